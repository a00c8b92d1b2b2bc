#pragma once

#include <QByteArrayView>
#include <QString>

namespace platform {

// Puts `bytes` in place of the file at `path`, whole or not at all: they go to a temporary
// file in the same folder, which is flushed to disk and then renamed over the old file. On
// any failure the old file (if any) stays as it was and no temporary file is left. Throws
// Failure with "Cannot create file …" or "Cannot write file …" and the system's reason.
void replaceFile(const QString& path, QByteArrayView bytes);

} // namespace platform
