#include "infobase/wholefile/ImportedBase.h"

#include "ImportedRows.h"
#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/wholefile/ImportPlacement.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace infobase;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(ImportedBase, StoresValuesAndMissingValuesAndStreamsAttachments) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.mdb"));
    // An attachment over several of the stream's pieces, given in odd-sized parts.
    QByteArray big(3 * (1 << 20) + 17, '\0');
    for (qsizetype i = 0; i < big.size(); ++i) {
        big[i] = char(i * 7 + 3);
    }
    {
        ImportedBase base(path);
        ImportedRecord full;
        full.dat = QStringLiteral("01.02.2003");
        full.name = QString::fromUtf8("Ветка 😀");
        full.description = QString::fromUtf8("две\r\nстроки");
        full.text = QString();
        full.kind = -5;
        full.attachmentSize = big.size();
        base.add(full, [&big](AttachmentStream& stream) {
            for (qsizetype at = 0; at < big.size(); at += 4093) {
                stream.write(big.constData() + at, std::min<qsizetype>(4093, big.size() - at));
            }
        });
        base.add(ImportedRecord{}, nullptr);
        ImportedRecord emptyFile;
        emptyFile.attachmentSize = 0;
        base.add(emptyFile, nullptr);
        base.finish(3, [](qint64, qint64) {});
        EXPECT_EQ(base.attachmentBytes(), big.size());
    }
    EXPECT_EQ(importedRows(path),
              (QStringList{QString::fromUtf8("01.02.2003|Ветка 😀|две\r\nстроки||-5|%1:%2")
                               .arg(big.size())
                               .arg(QString::fromLatin1(big.left(4).toHex().toUpper())),
                           QString::fromUtf8("∅|∅|∅|∅|∅|∅"), QString::fromUtf8("∅|∅|∅|∅|∅|0:")}));
    // The program's password table is there for the connect to open.
    SqlcipherConnection::Options options;
    options.readOnly = true;
    EXPECT_NO_THROW(SqlcipherConnection::open(path, branch_table::kPassword, options)
                        .prepare("SELECT Parol FROM Tab_Parol"));
}

TEST(ImportedBase, AFailureLeavesNoFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.mdb"));
    ImportedRecord withFile;
    withFile.attachmentSize = 10;
    const struct {
        const char* name;
        std::function<void(ImportedBase&)> work;
    } cases[] = {
        {"attachment shorter than declared",
         [&](ImportedBase& base) {
             base.add(withFile, [](AttachmentStream& s) { s.write("12345", 5); });
         }},
        {"attachment longer than declared",
         [&](ImportedBase& base) {
             base.add(withFile, [](AttachmentStream& s) { s.write("12345678901", 11); });
         }},
        {"fewer records than the table's count",
         [&](ImportedBase& base) {
             base.add(ImportedRecord{}, nullptr);
             base.finish(2, [](qint64, qint64) {});
         }},
    };
    for (const auto& c : cases) {
        {
            ImportedBase base(path);
            EXPECT_THROW(c.work(base), Failure) << c.name;
        }
        EXPECT_FALSE(QFile::exists(path)) << c.name;
    }
}

TEST(ImportPlacement, KeepsTheOldFileAndNeverOverwritesOne) {
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("Quorlent.mdb"));
    const QString importing = importingPath(base);
    const QString kept = dir.filePath(QStringLiteral("Quorlent.windows-jet4.mdb"));
    const QString keptAgain = dir.filePath(QStringLiteral("Quorlent.windows-jet4-2.mdb"));

    // In place: the old file keeps its bytes under the kept name, the new one takes the name.
    writeFile(base, "old windows base");
    writeFile(importing, "new base");
    EXPECT_EQ(placeImportedBase(importing, base, base), kept);
    EXPECT_EQ(readAll(kept), "old windows base");
    EXPECT_EQ(readAll(base), "new base");
    EXPECT_FALSE(QFile::exists(importing));

    // A later import in place keeps its old file under the next free name.
    writeFile(dir.filePath(QStringLiteral("second.tmp")), "second windows base");
    ASSERT_TRUE(QFile::remove(base));
    ASSERT_TRUE(QFile::rename(dir.filePath(QStringLiteral("second.tmp")), base));
    writeFile(importing, "second new base");
    EXPECT_EQ(placeImportedBase(importing, base, base), keptAgain);
    EXPECT_EQ(readAll(kept), "old windows base");
    EXPECT_EQ(readAll(keptAgain), "second windows base");

    // To another name: a file already there is never replaced.
    const QString other = dir.filePath(QStringLiteral("other.mdb"));
    writeFile(other, "someone's file");
    writeFile(importing, "third new base");
    EXPECT_THROW(placeImportedBase(importing, other, base), Failure);
    EXPECT_EQ(readAll(other), "someone's file");
    ASSERT_TRUE(QFile::remove(other));
    EXPECT_EQ(placeImportedBase(importing, other, base), QString());
    EXPECT_EQ(readAll(other), "third new base");
    EXPECT_FALSE(QFile::exists(importing));
}

TEST(ImportPlacement, AKilledPlacementIsFinishedWithTheSameKeptName) {
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("Quorlent.mdb"));
    const QString kept = dir.filePath(QStringLiteral("Quorlent.windows-jet4.mdb"));
    writeFile(base, "old windows base");
    // Killed after the old file got its second name, before the new base took the first.
    ASSERT_EQ(::link(QFile::encodeName(base).constData(), QFile::encodeName(kept).constData()), 0);
    writeFile(importingPath(base), "new base");
    EXPECT_EQ(placeImportedBase(importingPath(base), base, base), kept);
    EXPECT_EQ(readAll(kept), "old windows base");
    EXPECT_EQ(readAll(base), "new base");
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Quorlent.windows-jet4-2.mdb"))));
}

} // namespace
