#include "ImportedRows.h"
#include "JetFileWriter.h"
#include "ToolRun.h"
#include "common/Failure.h"
#include "infobase/wholefile/ImportPlacement.h"
#include "jet/CrashGuard.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using jetfile::JetCell;
using jetfile::JetDamage;
using jetfile::JetFileOptions;
using jetfile::JetLongValue;
using jetfile::JetRow;
using jetfile::JetType;

namespace {

QByteArray fileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return "<missing>";
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

// Bytes that do not repeat with the page size, so that a page read twice or skipped shows.
char patternByte(quint64 offset) {
    return char((offset * 131 + (offset >> 12) * 7 + 5) & 0xFF);
}

JetLongValue patternValue(quint64 size) {
    JetLongValue value;
    value.size = size;
    value.fill = [](quint64 offset, char* buffer, std::size_t length) {
        for (std::size_t i = 0; i < length; ++i) {
            buffer[i] = patternByte(offset + i);
        }
    };
    return value;
}

QByteArray patternBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        bytes[i] = patternByte(quint64(i));
    }
    return bytes;
}

QString attachmentCell(qsizetype size) {
    return QStringLiteral("%1:%2").arg(size).arg(
        QString::fromLatin1(patternBytes(std::min<qsizetype>(4, size)).toHex().toUpper()));
}

void writeRecords(const QString& path, const jetfile::RecordTableTypes& types,
                  std::vector<JetRow> rows, const JetFileOptions& options = {}) {
    jetfile::JetTableSpec table = jetfile::recordTable(types);
    table.rows = std::move(rows);
    jetfile::writeJetFile(path, {table, jetfile::passwordTable()}, options);
}

// The tool as its own process, as the program runs it.
struct ChildRun {
    int code = -1;
    bool crashed = false;
    QString out, err;
};

ChildRun runChild(const QStringList& args) {
    QProcess tool;
    tool.start(QStringLiteral(QUORLENT_TOOL_FILE), args);
    EXPECT_TRUE(tool.waitForFinished(-1));
    return {tool.exitCode(), tool.exitStatus() != QProcess::NormalExit,
            QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError())};
}

class JetImport : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
    const QString jet = path(QStringLiteral("windows.mdb"));
    const QString base = path(QStringLiteral("Quorlent.mdb"));
};

TEST_F(JetImport, BringsEveryValueAcrossExactlyWhateverTheColumnTypesAndLayout) {
    const QDateTime written(QDate(2003, 2, 1), QTime(10, 30));
    const QString twentyKilobytes = QString::fromUtf8("Текст ветки. ").repeated(800);
    const QString name = QString::fromUtf8("Ветка 😀 ёЁ");
    JetLongValue onOnePage = patternValue(3000);
    onOnePage.placement = jetfile::LongValuePlacement::SinglePage;
    const struct {
        const char* name;
        jetfile::RecordTableTypes types;
        JetFileOptions options;
    } variants[] = {
        {"date, 16-bit kind, compressed texts",
         {JetType::DateTime, JetType::Text, JetType::Integer, true},
         {}},
        {"text date, memo description, byte kind, UTF-16 texts, page-map pages, encoded pages, "
         "password",
         {JetType::Text, JetType::Memo, JetType::Byte, false},
         [] {
             JetFileOptions o;
             o.usageMap = jetfile::UsageMapKind::MapPages;
             o.encodePages = true;
             o.password = QStringLiteral("секрет");
             return o;
         }()},
        {"32-bit kind, every long value in a chain of short pieces",
         {JetType::DateTime, JetType::Text, JetType::Long, true},
         [] {
             JetFileOptions o;
             o.longValues = jetfile::LongValuePlacement::Chain;
             o.chainPieceSize = 1000;
             return o;
         }()},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.name);
        const bool textDate = v.types.dat == JetType::Text;
        const JetCell date = textDate ? JetCell(QStringLiteral("01.02.2003")) : JetCell(written);
        // Columns: Dat, Imya_vetok, Opisanie, Texty, File, RashirenieFile.
        writeRecords(
            jet, v.types,
            {
                {date, QStringLiteral("Корень"), QString::fromUtf8("две\r\nстроки"),
                 QStringLiteral("Текст"), patternBytes(100), qint64(0)},
                {JetCell{}, name, QString(), twentyKilobytes, patternValue(2 << 20), qint64(3)},
                {JetCell{}, QStringLiteral("Пустая"), JetCell{}, JetCell{}, JetCell{}, JetCell{}},
                {JetCell{}, QStringLiteral("Корень"), JetCell{}, QStringLiteral("x"), onOnePage,
                 qint64(2)},
            },
            v.options);
        const QByteArray jetBefore = fileHash(jet);
        QFile::remove(base);

        const Captured result = run({QStringLiteral("base"), QStringLiteral("import"), jet, base});
        ASSERT_EQ(result.code, 0) << result.err.toStdString();
        EXPECT_TRUE(result.out.contains(QString::fromUtf8("Готово: перенесено записей: 4")))
            << result.out.toStdString();
        const QString dat = textDate
                                ? QStringLiteral("01.02.2003")
                                : QLocale::system().toString(written.date(), QLocale::ShortFormat);
        EXPECT_EQ(importedRows(base),
                  (QStringList{
                      QString::fromUtf8("%1|Корень|две\r\nстроки|Текст|0|%2")
                          .arg(dat, attachmentCell(100)),
                      QString::fromUtf8("∅|%1||%2|3|%3")
                          .arg(name, twentyKilobytes, attachmentCell(2 << 20)),
                      QString::fromUtf8("∅|Пустая|∅|∅|∅|∅"),
                      QString::fromUtf8("∅|Корень|∅|x|2|%1").arg(attachmentCell(3000)),
                  }));
        EXPECT_EQ(fileHash(jet), jetBefore);
        EXPECT_FALSE(QFile::exists(infobase::importingPath(base)));
    }
}

TEST_F(JetImport, LargeValuesComeAcrossWholeInFixedMemory) {
    // A memo over 16 MiB and an attachment over 256 MiB, the sizes libmdb reads as empty.
    const qint64 attachmentSize = qint64(300) << 20;
    const QString bigText = QString::fromUtf8("Длинный текст ветки с эмодзи 😀. ").repeated(330000);
    ASSERT_GT(bigText.size() * 2, 16 << 20);
    std::optional<JetRow> first =
        JetRow{JetCell{}, QStringLiteral("Текст"), JetCell{}, bigText, JetCell{}, qint64(0)};
    std::optional<JetRow> second = JetRow{JetCell{},
                                          QStringLiteral("Вложение"),
                                          JetCell{},
                                          JetCell{},
                                          patternValue(quint64(attachmentSize)),
                                          qint64(3)};
    jetfile::JetTableSpec table = jetfile::recordTable();
    table.nextRow = [&]() -> std::optional<JetRow> {
        std::optional<JetRow> row;
        std::swap(row, first.has_value() ? first : second);
        return row;
    };
    jetfile::writeJetFile(jet, {table, jetfile::passwordTable()});

    const ChildRun result = runChild({QStringLiteral("base"), QStringLiteral("import"), jet, base});
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    // Peak memory of the import: the long text is held whole, the attachment is not.
    EXPECT_LT(usage.ru_maxrss, 200L * 1024) << "kilobytes";

    const ChildRun listed = runChild({QStringLiteral("base"), QStringLiteral("list"), base});
    const QStringList lines = listed.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(QJsonDocument::fromJson(lines[0].toUtf8()).object()[u"Texty"].toString(), bigText);
    const QJsonObject attachment = QJsonDocument::fromJson(lines[1].toUtf8()).object();
    EXPECT_EQ(attachment[u"FileSize"].toInteger(), attachmentSize);
    QCryptographicHash expected(QCryptographicHash::Sha256);
    QByteArray piece(1 << 20, Qt::Uninitialized);
    for (qint64 at = 0; at < attachmentSize; at += piece.size()) {
        for (qsizetype i = 0; i < piece.size(); ++i) {
            piece[i] = patternByte(quint64(at + i));
        }
        expected.addData(piece);
    }
    EXPECT_EQ(attachment[u"FileSha256"].toString(), QString::fromLatin1(expected.result().toHex()));
}

TEST_F(JetImport, RefusesADamagedFileAndWritesNothing) {
    const struct {
        JetDamage damage;
        const char* says; // a word of the message naming the damage
    } cases[] = {
        {JetDamage::CutShort, "обрезан"},
        {JetDamage::ChainToMissingPage, "обрывается"},
        {JetDamage::ChainToWrongRow, "обрывается"},
        {JetDamage::ChainLoop, "зацикливается"},
        {JetDamage::ChainEndsEarly, "обрывается"},
        {JetDamage::CatalogPage, "каталог"},
        // libmdb 1.0.0 dies on this one; the tool still says what happened.
        {JetDamage::CatalogUsageMap, "libmdb аварийно завершилась"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.damage));
        JetFileOptions options;
        options.damage = c.damage;
        options.longValues = jetfile::LongValuePlacement::Chain;
        options.chainPieceSize = 500;
        writeRecords(jet, {},
                     {{JetCell{}, QStringLiteral("Ветка"), JetCell{}, JetCell{}, patternValue(5000),
                       qint64(0)},
                      {JetCell{}, QStringLiteral("Вторая"), JetCell{}, JetCell{},
                       patternValue(5000), qint64(0)}},
                     options);
        const QByteArray jetBefore = fileHash(jet);
        // In place, as the program runs it: the Windows file must stay where it is.
        const ChildRun result =
            runChild({QStringLiteral("base"), QStringLiteral("import"), jet, jet});
        EXPECT_FALSE(result.crashed);
        EXPECT_NE(result.code, 0);
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("quorlent-tool: ")))
            << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.says))) << result.err.toStdString();
        EXPECT_EQ(fileHash(jet), jetBefore);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
                  QStringList{QStringLiteral("windows.mdb")});
    }
}

TEST(JetImportCrash, ACrashWhileReadingIsAMessageAndLeavesNoHalfFile) {
    QTemporaryDir dir;
    const QString half = dir.filePath(QStringLiteral("Quorlent.mdb.importing"));
    EXPECT_EXIT(
        {
            QFile file(half);
            file.open(QIODevice::WriteOnly);
            file.write("half");
            file.close();
            const jet::CrashGuard guard(half);
            std::raise(SIGSEGV);
        },
        testing::ExitedWithCode(jet::CrashGuard::kExitStatus), "повреждён.*libmdb");
    EXPECT_FALSE(QFile::exists(half));
}

TEST_F(JetImport, RefusesWhatItCannotBringAcross) {
    QFile jet3(jet);
    ASSERT_TRUE(jet3.open(QIODevice::WriteOnly));
    jet3.write(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00\x00", 21) + QByteArray(8171, '\0'));
    jet3.close();
    Captured result = run({QStringLiteral("base"), QStringLiteral("import"), jet, base});
    EXPECT_EQ(result.code, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Access 97"))) << result.err.toStdString();

    jetfile::JetTableSpec wrongType = jetfile::recordTable();
    wrongType.columns[1].type = JetType::Long; // Imya_vetok
    jetfile::writeJetFile(jet, {wrongType});
    result = run({QStringLiteral("base"), QStringLiteral("import"), jet, base});
    EXPECT_EQ(result.code, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Imya_vetok"))) << result.err.toStdString();

    jetfile::writeJetFile(jet, {jetfile::passwordTable()});
    result = run({QStringLiteral("base"), QStringLiteral("import"), jet, base});
    EXPECT_EQ(result.code, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Tab_DB_Delphi_10")))
        << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(base));

    // A file already under the new base's name is never replaced.
    writeRecords(jet, {}, {});
    QFile taken(base);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("someone's file");
    taken.close();
    result = run({QStringLiteral("base"), QStringLiteral("import"), jet, base});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(fileHash(base),
              QCryptographicHash::hash("someone's file", QCryptographicHash::Sha256).toHex());
}

// Killed at any moment, an import in place leaves the Windows file under the base's name, or
// the finished base there with the Windows file kept beside; and the next import finishes.
TEST_F(JetImport, AKilledImportLeavesOneOfTwoWholeStates) {
    std::vector<JetRow> rows;
    for (int i = 0; i < 24; ++i) {
        rows.push_back({JetCell{}, QStringLiteral("Ветка %1").arg(i), JetCell{}, JetCell{},
                        patternValue(1 << 20), qint64(0)});
    }
    const QString original = path(QStringLiteral("original.mdb"));
    writeRecords(original, {}, rows);
    const QByteArray jetHash = fileHash(original);
    const QString kept = path(QStringLiteral("Quorlent.windows-jet4.mdb"));
    for (const int lines : {0, 1, 30, 80, 1000}) {
        SCOPED_TRACE(lines);
        QFile::remove(base);
        QFile::remove(kept);
        ASSERT_TRUE(QFile::copy(original, base));
        QProcess tool;
        tool.start(QStringLiteral(QUORLENT_TOOL_FILE),
                   {QStringLiteral("base"), QStringLiteral("import"), base, base});
        int seen = 0;
        while (seen < lines && tool.waitForReadyRead(5000)) {
            seen += tool.readAllStandardOutput().count('\n');
        }
        tool.kill();
        tool.waitForFinished(-1);

        if (fileHash(base) == jetHash) {
            // Not yet placed: the next connect asks again.
            EXPECT_TRUE(!QFile::exists(kept) || infobase::sameFile(kept, base));
        } else {
            EXPECT_EQ(importedRows(base).size(), 24);
            EXPECT_EQ(fileHash(kept), jetHash);
        }
        if (fileHash(base) == jetHash) {
            const ChildRun again =
                runChild({QStringLiteral("base"), QStringLiteral("import"), base, base});
            ASSERT_EQ(again.code, 0) << again.err.toStdString();
            EXPECT_EQ(importedRows(base).size(), 24);
            EXPECT_EQ(fileHash(kept), jetHash);
        }
        EXPECT_FALSE(QFile::exists(infobase::importingPath(base)));
    }
}

} // namespace
