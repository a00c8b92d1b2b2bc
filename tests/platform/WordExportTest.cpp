#include "platform/WordExport.h"

#include "DocxReadBack.h"
#include "common/Failure.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const QString kDate = QStringLiteral("10.12.2026");
const QString kUser = QStringLiteral("petrov");
const QString kSignature = QStringLiteral("Вывел:  (petrov);   Дата: 10.12.2026");

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every paragraph left aligned, every run Arial 12 pt bold, not underlined, black; the last
// paragraph (the signature) pink. The page is A4 portrait with the export's margins, and the
// package holds no styles of its own.
void expectExportFormatting(const QJsonObject& document) {
    const QJsonArray paragraphs = document[QStringLiteral("paragraphs")].toArray();
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "paragraph " << i);
        const QJsonObject paragraph = paragraphs[i].toObject();
        EXPECT_EQ(paragraph[QStringLiteral("alignment")].toInt(-1), 0) << "left";
        const QString colour =
            i + 1 == paragraphs.size() ? QStringLiteral("FF00FF") : QStringLiteral("000000");
        for (const QJsonValue& run : paragraph[QStringLiteral("runs")].toArray()) {
            EXPECT_EQ(run[QStringLiteral("font")], QJsonValue(QStringLiteral("Arial")));
            EXPECT_EQ(run[QStringLiteral("size")].toDouble(), 12);
            EXPECT_EQ(run[QStringLiteral("bold")], QJsonValue(true));
            EXPECT_EQ(run[QStringLiteral("underline")], QJsonValue(false));
            EXPECT_EQ(run[QStringLiteral("colour")], QJsonValue(colour));
        }
    }
    const QJsonArray sections = document[QStringLiteral("sections")].toArray();
    ASSERT_EQ(sections.size(), 1);
    const QJsonObject page = sections[0].toObject();
    EXPECT_EQ(page[QStringLiteral("orientation")].toInt(-1), 0) << "portrait";
    EXPECT_DOUBLE_EQ(page[QStringLiteral("width")].toDouble(), 595.3);
    EXPECT_DOUBLE_EQ(page[QStringLiteral("height")].toDouble(), 841.9);
    EXPECT_EQ(page[QStringLiteral("top")].toDouble(), 20);
    EXPECT_EQ(page[QStringLiteral("bottom")].toDouble(), 15);
    EXPECT_EQ(page[QStringLiteral("left")].toDouble(), 90);
    EXPECT_EQ(page[QStringLiteral("right")].toDouble(), 10);
    EXPECT_TRUE(document[QStringLiteral("hideSpellingErrors")].toBool());
    EXPECT_TRUE(document[QStringLiteral("hideGrammaticalErrors")].toBool());
    EXPECT_FALSE(document[QStringLiteral("parts")].toArray().contains(
        QJsonValue(QStringLiteral("/word/styles.xml"))));
}

struct ExportCase {
    const char* what;
    QString name;
    QString text;
    QStringList paragraphs; // between the name's empty paragraph and the signature
};

TEST(WordExport, ReadsBackWithTheExportsParagraphsAndFormatting) {
    const ExportCase cases[] = {
        {"each kind of line break starts a paragraph; tabs and markup characters stay",
         QStringLiteral("Ветка «Сад» & <дом>"),
         QStringLiteral("Первая\tстрока\r\nвторая\nтретья\rчетвёртая\u2029пятая\u2028шестая"),
         {QStringLiteral("Первая\tстрока"), QStringLiteral("вторая"), QStringLiteral("третья"),
          QStringLiteral("четвёртая"), QStringLiteral("пятая"), QStringLiteral("шестая")}},
        {"empty lines, blanks at both ends and a closing line break are kept",
         QStringLiteral("  имя  "),
         QStringLiteral("\tа\n\n  б  \n"),
         {QStringLiteral("\tа"), QString(), QStringLiteral("  б  "), QString()}},
        {"characters XML cannot carry are dropped, a character beyond 16 bits stays",
         QStringLiteral("a\x01z"),
         QStringLiteral("x\x00y\x0B\x0C\x1F") + QChar(0xFFFE) + QChar(0xD800) +
             QStringLiteral("z\U0001F600") + QChar(0xDC00) + QStringLiteral("\x7F"),
         {QStringLiteral("xyz\U0001F600\x7F")}},
        {"an empty name and an empty text pane", QString(), QString(), {QString()}},
    };
    QTemporaryDir folder;
    for (const ExportCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = folder.filePath(QStringLiteral("export.docx"));
        platform::saveWordExport({c.name, c.text, kUser, kDate}, path);
        EXPECT_TRUE(unzipTestPasses(path));
        const QJsonObject document = readDocxBack(path);
        QString name = c.name;
        name.remove(QChar(0x01));
        EXPECT_EQ(paragraphTexts(document),
                  (QStringList{name, QString()} + c.paragraphs + QStringList{kSignature}));
        expectExportFormatting(document);
    }
}

TEST(WordExport, TenThousandLinesBecomeTenThousandParagraphs) {
    QStringList lines;
    for (int i = 1; i <= 10000; ++i) {
        lines << QStringLiteral("строка %1").arg(i);
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("long.docx"));
    platform::saveWordExport({QStringLiteral("Длинная"), lines.join(u'\n'), kUser, kDate}, path);
    EXPECT_TRUE(unzipTestPasses(path));
    const QJsonObject document = readDocxBack(path);
    EXPECT_EQ(paragraphTexts(document), (QStringList{QStringLiteral("Длинная"), QString()} + lines +
                                         QStringList{kSignature}));
    expectExportFormatting(document);
}

TEST(WordExport, ANameEndingInDocGetsTheSameDocument) {
    QTemporaryDir folder;
    const platform::WordExport content{QStringLiteral("Имя"), QStringLiteral("текст"), kUser,
                                       kDate};
    platform::saveWordExport(content, folder.filePath(QStringLiteral("a.doc")));
    platform::saveWordExport(content, folder.filePath(QStringLiteral("a.docx")));
    const QJsonObject asDoc = readDocxBack(folder.filePath(QStringLiteral("a.doc")));
    EXPECT_EQ(paragraphTexts(asDoc),
              (QStringList{QStringLiteral("Имя"), QString(), QStringLiteral("текст"), kSignature}));
    EXPECT_EQ(asDoc, readDocxBack(folder.filePath(QStringLiteral("a.docx"))));
}

TEST(WordExport, ReplacesAnExistingFileWhole) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("old.docx"));
    writeFile(path, QByteArray(1 << 20, 'x'));
    platform::saveWordExport({QStringLiteral("Новое"), QString(), kUser, kDate}, path);
    EXPECT_TRUE(unzipTestPasses(path));
    EXPECT_EQ(paragraphTexts(readDocxBack(path)).value(0), QStringLiteral("Новое"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("old.docx")});
}

// A save that cannot be made reports why and leaves what stood at the path, and nothing
// else, behind.
TEST(WordExport, AFailedSaveReportsAndLeavesNothingBehind) {
    QTemporaryDir folder;
    const platform::WordExport content{QStringLiteral("Имя"), QStringLiteral("текст"), kUser,
                                       kDate};
    const auto expectFailure = [&](const QString& path) {
        try {
            platform::saveWordExport(content, path);
            ADD_FAILURE() << "saved " << path.toStdString();
        } catch (const Failure& failure) {
            EXPECT_TRUE(failure.message().contains(path)) << failure.message().toStdString();
        }
    };

    // A folder that no one can write (not even an administrator).
    expectFailure(QStringLiteral("/proc/export.docx"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/proc/export.docx")));
    // A folder that does not exist.
    expectFailure(folder.filePath(QStringLiteral("missing/export.docx")));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("missing"))));
    // A folder standing where the file would go keeps its content.
    QDir(folder.path()).mkpath(QStringLiteral("taken.docx"));
    writeFile(folder.filePath(QStringLiteral("taken.docx/inside")), "kept");
    expectFailure(folder.filePath(QStringLiteral("taken.docx")));
    EXPECT_EQ(readFile(folder.filePath(QStringLiteral("taken.docx/inside"))), "kept");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("taken.docx")});
}

TEST(WordExport, AFailedSaveLeavesTheEarlierFileWhole) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "an administrator writes into a read-only folder";
    }
    QTemporaryDir folder;
    const platform::WordExport content{QStringLiteral("Имя"), QString(), kUser, kDate};
    const QString locked = folder.filePath(QStringLiteral("locked"));
    QDir(folder.path()).mkpath(QStringLiteral("locked"));
    writeFile(locked + QStringLiteral("/old.docx"), "earlier document");
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_THROW(platform::saveWordExport(content, locked + QStringLiteral("/old.docx")), Failure);
    EXPECT_EQ(readFile(locked + QStringLiteral("/old.docx")), "earlier document");
    EXPECT_EQ(QDir(locked).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("old.docx")});
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Converts with LibreOffice where it is installed: the document opens there, prints to a
// PDF, and its text comes out in the same paragraphs.
TEST(WordExport, LibreOfficeReadsIt) {
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty()) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("export.docx"));
    platform::saveWordExport(
        {QStringLiteral("Ветка"), QStringLiteral("один\tдва\r\nтри"), kUser, kDate}, path);
    const auto convert = [&](const QString& format) {
        QProcess process;
        process.start(office, {QStringLiteral("-env:UserInstallation=file://") +
                                   folder.filePath(QStringLiteral("profile")),
                               QStringLiteral("--headless"), QStringLiteral("--convert-to"), format,
                               QStringLiteral("--outdir"), folder.path(), path});
        ASSERT_TRUE(process.waitForFinished(180000));
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    };
    convert(QStringLiteral("pdf"));
    EXPECT_TRUE(readFile(folder.filePath(QStringLiteral("export.pdf"))).startsWith("%PDF"));
    convert(QStringLiteral("txt:Text (encoded):UTF8"));
    QString text = QString::fromUtf8(readFile(folder.filePath(QStringLiteral("export.txt"))));
    text.remove(QChar(0xFEFF));
    EXPECT_EQ(text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts),
              (QStringList{QStringLiteral("Ветка"), QStringLiteral("один\tдва"),
                           QStringLiteral("три"), kSignature}));
}

} // namespace
