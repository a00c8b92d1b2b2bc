#pragma once

// The check every written file goes through: the table read back by mdb-json and by libmdb
// holds exactly the rows it was written with.

#include "JetFileWriter.h"

// Each row of spec.rows as mdb-json prints it (texts, numbers, dates, OLE values in base64,
// NULLs left out) and as libmdb cracks it out of the file (the stored bytes of every value,
// long values link by link to the length their header declares).
void expectTableReadsBack(const QString& file, const jetfile::JetTableSpec& spec);
