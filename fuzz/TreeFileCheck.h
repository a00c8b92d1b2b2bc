#pragma once

#include <QByteArrayView>
#include <QString>

// Reads bytes as the program reads its tree file and checks what must hold for any input:
// reading ends with success or with one of the reader's own failure texts, and a tree that
// was read is written and read again to the same bytes. Returns what went wrong, or an
// empty string. Shared by the fuzz target and the test that replays its corpus.
QString checkTreeFileInput(QByteArrayView bytes);
