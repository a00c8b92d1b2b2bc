#include "jet/JetTableReader.h"

#include <QCryptographicHash>
#include <QDir>
#include <gtest/gtest.h>

namespace {

// Jet 4 files written by real Access, read in place from the shared fixtures folder:
// QUORLENT_FIXTURES when it is set, else the folder the build knows.
QString fixtureFolder() {
    QString root = qEnvironmentVariable("QUORLENT_FIXTURES");
    if (root.isEmpty()) {
        root = QStringLiteral(QUORLENT_FIXTURES_FOLDER);
    }
    return root + QStringLiteral("/jet/");
}

// Every text, integer and binary value of the table in row order, each ended by 0x1F and each
// row by 0x1E (a missing value as the empty text), hashed: the same digest taken over what
// mdb-export -b hex prints for the file.
QByteArray tableDigest(jet::JetTableReader& reader, qint64* rows) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    *rows = 0;
    while (reader.next()) {
        ++*rows;
        for (int column = 0; column < reader.columnCount(); ++column) {
            QByteArray value;
            switch (reader.columnKind(column)) {
            case jet::ColumnKind::Text:
                value = reader.text(column).value_or(QString()).toUtf8();
                break;
            case jet::ColumnKind::Integer:
                if (const auto number = reader.integer(column)) {
                    value = QByteArray::number(*number);
                }
                break;
            case jet::ColumnKind::Binary: {
                QByteArray bytes;
                reader.readBinary(
                    column, [&bytes](const char* data, qint64 size) { bytes.append(data, size); });
                EXPECT_EQ(bytes.size(), reader.binarySize(column).value_or(0));
                value = bytes.toHex();
                break;
            }
            default:
                continue;
            }
            hash.addData(value + '\x1f');
        }
        hash.addData(QByteArrayView("\x1e"));
    }
    return hash.result().toHex();
}

TEST(JetFixtures, EveryValueComesBackAsMdbExportPrintsIt) {
    if (!QDir(fixtureFolder()).exists()) {
        GTEST_SKIP() << "no Jet fixtures at " << fixtureFolder().toStdString();
    }
    const struct {
        const char* file;
        const char* table;
        qint64 rows;
        const char* digest;
    } cases[] = {
        // Compressed Unicode: Finnish, Cyrillic, Greek, Japanese, every Latin-1 character.
        {"testUnicodeCompV2003.mdb", "Table", 8,
         "0ba03fb0f946ce1fcfe7be739ec9711d1f8626ece4b4703fb6112d709633141a"},
        // A 22,970-byte binary value in a chain of long-value pages, memos, 60 columns.
        {"test2V2000.mdb", "MSP_PROJECTS", 1,
         "fb0849e268e4ab0b0096923c42573729b9a2ca582578700cc95f317397960c66"},
        // Rows moved to other pages by later updates.
        {"overflowTestV2003.mdb", "Table1", 7,
         "5db07cd1e722c45b2cff42fca3a63d153dee94f680aaee15f499674362ae81e6"},
        // Every page RC4-encoded.
        {"db-enc.mdb", "Table1", 2,
         "bcfbe97f21f5eee8464347d9340b0b9026d520220053798f12039adb25be7a5d"},
    };
    for (const auto& c : cases) {
        jet::JetTableReader reader(fixtureFolder() + QLatin1String(c.file), QLatin1String(c.table));
        EXPECT_EQ(reader.declaredRows(), c.rows) << c.file;
        qint64 rows = 0;
        EXPECT_EQ(tableDigest(reader, &rows), QByteArray(c.digest)) << c.file;
        EXPECT_EQ(rows, c.rows) << c.file;
    }
}

} // namespace
