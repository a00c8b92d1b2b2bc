#include "infobase/wholefile/JetHeader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using infobase::AccessFileKind;

namespace {

QByteArray header(const char* engine, char version) {
    QByteArray bytes("\x00\x01\x00\x00", 4);
    bytes += QByteArray(engine, 16);
    bytes += version;
    bytes += QByteArray(4096 - bytes.size(), '\0');
    return bytes;
}

TEST(JetHeader, TellsTheKindFromTheSignature) {
    const struct {
        QByteArray bytes;
        AccessFileKind kind;
    } cases[] = {
        {header("Standard Jet DB\0", 0), AccessFileKind::Jet3},
        {header("Standard Jet DB\0", 1), AccessFileKind::Jet4},
        {header("Standard Jet DB\0", 2), AccessFileKind::Ace},
        {header("Standard ACE DB\0", 3), AccessFileKind::Ace},
        {header("Standard Jet DB\0", 0x40), AccessFileKind::UnknownJet},
        {header("Standard Foo DB\0", 1), AccessFileKind::NotAccess},
        {QByteArray("SQLite format 3\0", 16) + QByteArray(100, '\1'), AccessFileKind::NotAccess},
        {header("Standard Jet DB\0", 1).left(0x14), AccessFileKind::NotAccess}, // cut in it
        {QByteArray(), AccessFileKind::NotAccess},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quorlent.mdb"));
    for (const auto& c : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        EXPECT_EQ(infobase::accessFileKind(path), c.kind) << c.bytes.left(24).toHex().constData();
    }
    EXPECT_EQ(infobase::accessFileKind(dir.filePath(QStringLiteral("missing"))),
              AccessFileKind::NotAccess);
}

} // namespace
