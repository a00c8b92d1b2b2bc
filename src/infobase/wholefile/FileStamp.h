#pragma once

#include <QByteArray>
#include <QString>

namespace infobase {

// Tells a file as some program last left it from any later write, without reading it: its
// size, its times of change and its place on the disk, which every write and every
// replacement changes. Empty for a missing file.
QByteArray fileStamp(const QString& path);

} // namespace infobase
