#pragma once

// The SQLCipher build of the sqlite3 C API, with the encryption entry points
// (sqlite3_key) declared. Include this instead of <sqlite3.h>.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>
