#pragma once

#include <QByteArrayView>
#include <QString>

namespace infobase {

// Decodes 8-bit text of the Windows Cyrillic code page 1251, in which the program's users wrote
// the 8-bit texts of older files. Every byte maps to one character; none is lost.
QString fromWindows1251(QByteArrayView bytes);

} // namespace infobase
