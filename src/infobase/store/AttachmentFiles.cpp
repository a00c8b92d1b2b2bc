#include "infobase/store/AttachmentFiles.h"

#include "common/Failure.h"
#include "infobase/store/BranchField.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace infobase {

std::optional<qint32> attachmentKindOfFileName(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) {
        return std::nullopt;
    }
    const QString extension = name.mid(dot);
    const std::pair<QLatin1StringView, qint32> kinds[] = {
        {QLatin1StringView(".pdf"), kindPdf},
        {QLatin1StringView(".docx"), kindDocx},
        {QLatin1StringView(".jpg"), kindJpeg},
        {QLatin1StringView(".rar"), kindRar},
    };
    for (const auto& [known, kind] : kinds) {
        if (extension.compare(known, Qt::CaseInsensitive) == 0) {
            return kind;
        }
    }
    return std::nullopt;
}

QString extractedAttachmentName(qint32 kind) {
    switch (kind) {
    case kindPdf:
        return QStringLiteral("Dokument.pdf");
    case kindDocx:
        return QStringLiteral("Dokument.docx");
    case kindJpeg:
        return QStringLiteral("Dokument.jpg");
    case kindRar:
        return QStringLiteral("Dokument.rar");
    default:
        return QString();
    }
}

qint64 extractAttachment(const BranchField& file, const QString& path) {
    const QFileInfo target(path);
    // QTemporaryFile makes the file readable and writable by its owner only.
    QTemporaryFile copy(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!copy.open()) {
        throw Failure(
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, copy.errorString()));
    }
    file.SaveToStream(copy);
    if (!copy.flush()) {
        throw Failure(QStringLiteral("Cannot write file \"%1\". %2").arg(path, copy.errorString()));
    }
    const qint64 size = copy.size();
    if (size == 0) {
        return 0;
    }
    if (std::rename(QFile::encodeName(copy.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0) {
        throw Failure(QStringLiteral("Cannot create file \"%1\". %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    copy.setAutoRemove(false);
    return size;
}

} // namespace infobase
