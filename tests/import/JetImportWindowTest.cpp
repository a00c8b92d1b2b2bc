#include "JetFileWriter.h"
#include "ProgramFolder.h"
#include "infobase/tree/TreeFile.h"
#include "platform/DesktopServices.h"
#include "platform/QuorlentTool.h"
#include "skin/qsMessageForm.h"
#include "skin/qsMessageTypes.h"
#include "skin/qsSkinStdLabel.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/TreeModelAdapter.h"

#include <QApplication>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray jpeg() {
    QImage image(QSize(64, 48), QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

// A program folder as the Windows program left it: its Jet base and its tree file.
class WindowsFolder : public ::testing::Test {
protected:
    WindowsFolder() {
        jetfile::JetTableSpec table = jetfile::recordTable();
        // Columns: Dat, Imya_vetok, Opisanie, Texty, File, RashirenieFile.
        table.rows = {
            {QDateTime(QDate(2010, 5, 1), QTime(9, 0)), QStringLiteral("Фото"),
             QString::fromUtf8("Отпуск\r\nморе"), jetfile::JetCell{}, photo, qint64(0)},
            {jetfile::JetCell{}, QStringLiteral("Заметки"), QStringLiteral("про заметки"),
             QString::fromUtf8("первая строка\r\nвторая 😀"), jetfile::JetCell{}, qint64(0)},
        };
        QDir().mkpath(program.path(QStringLiteral("Data")));
        jetfile::writeJetFile(base, {table, jetfile::passwordTable()});
        infobase::TTreeNodes nodes;
        nodes.AddChild(nullptr, QStringLiteral("Фото"));
        nodes.AddChild(nullptr, QStringLiteral("Заметки"));
        infobase::writeTreeFile(program.path(QStringLiteral("Data/TreeView.dat")),
                                infobase::TreeViewState{}, nodes);
        windowsBase = fileBytes(base);
        window = &program.start();
        // The question is answered here; every other message is noted and closed.
        program.watch.stop();
        answering.setInterval(10);
        QObject::connect(&answering, &QTimer::timeout, [this] {
            auto* message = qobject_cast<TqsMessageForm*>(QApplication::activeModalWidget());
            if (message == nullptr || !message->isVisible()) {
                return;
            }
            const QString text = message->Message->Caption();
            messages << text;
            if (text.contains(QStringLiteral("Перенести записи"))) {
                message->SetModalResult(answer);
            } else {
                message->reject();
            }
        });
        answering.start();
    }

    void clickBranch(const QString& name) {
        infobase::TTreeNode* node = window->TreeNodes.getFirstNode();
        while (node != nullptr && node->Text() != name) {
            node = node->getNextSibling();
        }
        ASSERT_NE(node, nullptr);
        const QModelIndex index = window->TreeModel->indexOf(node);
        QTest::mouseClick(window->TreeView1->viewport(), Qt::LeftButton, {},
                          window->TreeView1->visualRect(index).topLeft() + QPoint(4, 4));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    platform::ScopedToolPath tool{QStringLiteral(QUORLENT_TOOL_FILE)};
    platform::ScopedDesktopServices russian{platform::DesktopServices{
        {}, [] { return QLocale(QLocale::Russian, QLocale::Russia); }, {}}};
    const QByteArray photo = jpeg();
    ProgramFolder program;
    const QString base = program.path(QStringLiteral("Data/Quorlent.mdb"));
    QByteArray windowsBase;
    TForm_Glavn* window = nullptr;
    QTimer answering;
    int answer = mrYes;
    QStringList messages;
};

TEST_F(WindowsFolder, YesBringsTheRecordsAcrossAndEveryBranchShowsItsOwnData) {
    window->Button_podluchit_bazy->click();
    ASSERT_EQ(messages.size(), 2) << messages.join(u'\n').toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("останется без изменений")));
    EXPECT_EQ(messages[1], QStringLiteral("Из базы Windows перенесено записей: 2.\r"
                                          "Её файл сохранён без изменений как "
                                          "Data/Quorlent.windows-jet4.mdb."));
    EXPECT_TRUE(window->TreeView1->isVisible());
    // The progress bar followed the tool's lines and is gone again.
    EXPECT_GT(window->ProgressBar1->value(), 0);
    EXPECT_FALSE(window->ProgressBar1->isVisible());
    EXPECT_EQ(fileBytes(program.path(QStringLiteral("Data/Quorlent.windows-jet4.mdb"))),
              windowsBase);
    window->PokazatClick();

    clickBranch(QStringLiteral("Фото"));
    EXPECT_EQ(window->Memo_opisanie->toPlainText(), QStringLiteral("Отпуск\nморе"));
    EXPECT_TRUE(window->Image1->isVisible());
    EXPECT_EQ(fileBytes(program.path(QStringLiteral("Temp/Dokument.jpg"))), photo);

    clickBranch(QStringLiteral("Заметки"));
    EXPECT_EQ(window->Memo_opisanie->toPlainText(), QStringLiteral("про заметки"));
    EXPECT_EQ(window->RichEdit->toPlainText(), QString::fromUtf8("первая строка\nвторая 😀"));
    EXPECT_EQ(messages.size(), 2) << messages.join(u'\n').toStdString();
}

TEST_F(WindowsFolder, NoLeavesEverythingAsItWas) {
    answer = mrNo;
    const QByteArray tree = fileBytes(program.path(QStringLiteral("Data/TreeView.dat")));
    window->Button_podluchit_bazy->click();
    ASSERT_EQ(messages.size(), 2) << messages.join(u'\n').toStdString();
    EXPECT_EQ(messages[1], QStringLiteral("Не удалось подключится."));
    EXPECT_FALSE(window->TreeView1->isVisible());
    EXPECT_EQ(QDir(program.path(QStringLiteral("Data"))).entryList(QDir::Files),
              (QStringList{QStringLiteral("Quorlent.mdb"), QStringLiteral("TreeView.dat")}));
    EXPECT_EQ(fileBytes(base), windowsBase);
    EXPECT_EQ(fileBytes(program.path(QStringLiteral("Data/TreeView.dat"))), tree);
}

// Whatever stops the import, the user reads why, the connect ends and the files stay as they
// were: a damaged Windows base, the tool dying on it, a base of another Access version.
TEST_F(WindowsFolder, AFailedImportIsAMessageAndChangesNothing) {
    QTemporaryDir scripts;
    const QString crashingTool = scripts.filePath(QStringLiteral("crashing-tool"));
    {
        QFile script(crashingTool);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nkill -SEGV $$\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    std::optional<platform::ScopedToolPath> crashing;
    jetfile::JetTableSpec table = jetfile::recordTable();
    table.rows = {{jetfile::JetCell{}, QStringLiteral("Ветка"), jetfile::JetCell{},
                   jetfile::JetCell{}, jetfile::JetCell{}, qint64(0)}};
    jetfile::JetFileOptions cut;
    cut.damage = jetfile::JetDamage::CutShort;
    jetfile::JetFileOptions badCatalogMap;
    badCatalogMap.damage = jetfile::JetDamage::CatalogUsageMap;
    const struct {
        const char* name;
        std::function<void()> prepare;
        QString says;
        bool asked;
    } cases[] = {
        {"damaged", [&] { jetfile::writeJetFile(base, {table}, cut); }, QStringLiteral("обрезан"),
         true},
        {"libmdb crashes in the tool", [&] { jetfile::writeJetFile(base, {table}, badCatalogMap); },
         QStringLiteral("libmdb аварийно завершилась"), true},
        {"the tool crashes", [&] { crashing.emplace(crashingTool); },
         QStringLiteral("аварийно завершилась"), true},
        {"Access 97",
         [&] {
             QFile jet3(base);
             ASSERT_TRUE(jet3.open(QIODevice::WriteOnly | QIODevice::Truncate));
             jet3.write(QByteArray::fromHex("00010000") + QByteArray("Standard Jet DB", 16) +
                        QByteArray(4096 - 20, '\0'));
         },
         QStringLiteral("база Access 97 (Jet 3.0)"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        const QByteArray before = fileBytes(base);
        messages.clear();
        window->Button_podluchit_bazy->click();
        ASSERT_EQ(messages.size(), c.asked ? 2 : 1) << messages.join(u'\n').toStdString();
        EXPECT_TRUE(messages.last().contains(c.says)) << messages.last().toStdString();
        EXPECT_FALSE(window->TreeView1->isVisible());
        EXPECT_EQ(window->Button_podluchit_bazy->text(), QStringLiteral("Подключить базу"));
        EXPECT_EQ(fileBytes(base), before);
        EXPECT_EQ(QDir(program.path(QStringLiteral("Data"))).entryList(QDir::Files),
                  (QStringList{QStringLiteral("Quorlent.mdb"), QStringLiteral("TreeView.dat")}));
    }
}

} // namespace
