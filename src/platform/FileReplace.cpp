#include "platform/FileReplace.h"

#include "common/DurableSave.h"
#include "common/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace platform {

void replaceFile(const QString& path, QByteArrayView bytes) {
    const QString shown = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw Failure(
            QStringLiteral("Cannot create file \"%1\". %2").arg(shown, file.errorString()));
    }
    const auto fail = [&](const QString& reason) {
        file.cancelWriting();
        throw Failure(QStringLiteral("Cannot write file \"%1\". %2").arg(shown, reason));
    };
    // The device's buffer is flushed and checked before the commit, because a failure in the
    // commit's own final flush can still be reported as success.
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush()) {
        fail(file.errorString());
    }
    if (!syncToDisk(file)) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!file.commit()) {
        fail(file.errorString());
    }
    syncFolder(QFileInfo(path).absolutePath());
}

} // namespace platform
