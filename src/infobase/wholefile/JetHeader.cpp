#include "infobase/wholefile/JetHeader.h"

#include <QFile>

namespace infobase {
namespace {

constexpr qsizetype kSignatureBytes = 0x15;
constexpr qsizetype kVersionOffset = 0x14;

} // namespace

AccessFileKind accessFileKind(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return AccessFileKind::NotAccess;
    }
    const QByteArray head = file.read(kSignatureBytes);
    if (head.size() < kSignatureBytes || !head.startsWith(QByteArrayLiteral("\x00\x01\x00\x00"))) {
        return AccessFileKind::NotAccess;
    }
    const QByteArray engine = head.mid(4, 16);
    const auto version = static_cast<unsigned char>(head[kVersionOffset]);
    if (engine == QByteArrayLiteral("Standard ACE DB\0")) {
        return AccessFileKind::Ace;
    }
    if (engine != QByteArrayLiteral("Standard Jet DB\0")) {
        return AccessFileKind::NotAccess;
    }
    switch (version) {
    case 0:
        return AccessFileKind::Jet3;
    case 1:
        return AccessFileKind::Jet4;
    default:
        // Later engines wrote their version byte into the old signature too.
        return version <= 6 ? AccessFileKind::Ace : AccessFileKind::UnknownJet;
    }
}

QString accessFileKindName(AccessFileKind kind) {
    switch (kind) {
    case AccessFileKind::Jet3:
        return QStringLiteral("база Access 97 (Jet 3.0)");
    case AccessFileKind::Jet4:
        return QStringLiteral("база Access 2000–2003 (Jet 4.0)");
    case AccessFileKind::Ace:
        return QStringLiteral("база Access 2007 или новее (.accdb)");
    case AccessFileKind::UnknownJet:
        return QStringLiteral("база Access неизвестной версии");
    case AccessFileKind::NotAccess:
        break;
    }
    return QStringLiteral("не база Access");
}

} // namespace infobase
