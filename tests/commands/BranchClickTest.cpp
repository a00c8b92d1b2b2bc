#include "BranchWindow.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/TreeModelAdapter.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

const QString kNotAPicture = QStringLiteral(
    "Это файл не jpg.\rОткройте его кликнув кнопку \"Открыть прикреплённый файл отдельно\".");

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class BranchClick : public ::testing::Test {
protected:
    // A picture larger than the pane, so that it is shown scaled down.
    const QByteArray photo = jpegPicture({4000, 3000}, Qt::darkGreen);
    BranchWindow program{
        {"Фото", "Заметки", "Договор", "Пусто", "Папка", "Папка/Лист", "Битый", "Странный"},
        {
            {"Фото", "Отпуск\r\nморе", {}, 0, photo},
            {"Заметки", "про заметки", "первая строка\r\nвторая", 0, {}},
            {"Договор", "договор аренды", {}, 3, "%PDF-1.4 not a picture"},
            {"Пусто", "ничего", {}, 0, {}},
            {"Папка", "своё описание папки", {}, 0, {}},
            {"Лист", "лист", {}, 0, {}},
            {"Битый", "", {}, 0, "GIF89a, not a JPEG"},
            {"Странный", "", {}, 7, "bytes of an unknown kind"},
        }};
    TForm_Glavn& window = program.window();
};

TEST_F(BranchClick, AJpegIsExtractedAndShownScaledDownWithTheDescriptionAsStored) {
    // At its designed size the window has room for the picture pane beside the panel.
    window.showNormal();
    QTest::qWait(0);
    ASSERT_FALSE(window.Image1->size().isEmpty());
    program.clickLabel("Фото");
    EXPECT_EQ(program.messages(), QStringList());
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Фото");
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "Отпуск\nморе") << "no line break added";
    EXPECT_TRUE(window.Image1->isVisible());
    EXPECT_FALSE(window.RichEdit->isVisible());
    EXPECT_EQ(fileBytes(program.program.path("Temp/Dokument.jpg")), photo);
    // Decoded for the pane: no larger than twice the pane, and drawn inside it, centred.
    const QSize pane = window.Image1->size();
    const QImage& shown = window.Image1->picture();
    EXPECT_EQ(shown.width() * 3, shown.height() * 4);
    EXPECT_TRUE(shown.width() >= pane.width() || shown.height() >= pane.height());
    EXPECT_LT(shown.width(), 2 * pane.width());
    const QRect drawn = window.Image1->pictureRect();
    EXPECT_TRUE(QRect(QPoint(), pane).contains(drawn));
    EXPECT_LE(std::abs(drawn.center().x() - pane.width() / 2), 1);
}

TEST_F(BranchClick, ATextGoesToTheTextPaneAndTheDescriptionFieldShowsThisBranchsOwn) {
    program.clickLabel("Фото");
    program.clickLabel("Заметки");
    EXPECT_TRUE(window.RichEdit->isVisible());
    EXPECT_FALSE(window.Image1->isVisible());
    EXPECT_EQ(window.RichEdit->toPlainText(), "первая строка\nвторая");
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "про заметки");
    EXPECT_EQ(program.messages(), QStringList());
}

TEST_F(BranchClick, ARecordThatCannotBeReadIsToldAndThePanesShowNothingOfAnotherBranch) {
    program.clickLabel("Заметки");
    ASSERT_EQ(window.Memo_opisanie->toPlainText(), "про заметки");
    const auto renameTable = [this](const char* from, const char* to) {
        infobase::SqlcipherConnection::open(program.program.path("Data/Quorlent.mdb"),
                                            infobase::branch_table::kPassword, {})
            .execute(QByteArray("ALTER TABLE ") + from + " RENAME TO " + to);
    };
    renameTable("Tab_DB_Delphi_10", "Tab_Elsewhere");
    program.clickLabel("Договор");
    ASSERT_EQ(program.messages().size(), 1);
    EXPECT_TRUE(program.messages()[0].startsWith("Не удалось прочитать запись ветки «Договор»: "))
        << program.messages()[0].toStdString();
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Договор");
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "");
    EXPECT_FALSE(window.RichEdit->isVisible());

    renameTable("Tab_Elsewhere", "Tab_DB_Delphi_10");
    program.forgetMessages();
    program.clickLabel("Заметки");
    EXPECT_EQ(program.messages(), QStringList());
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "про заметки");
}

TEST_F(BranchClick, ABranchWithoutTextOrAttachmentKeepsTheEarlierPicture) {
    program.clickLabel("Фото");
    const QImage before = window.Image1->picture();
    program.clickLabel("Заметки");
    program.clickLabel("Пусто");
    EXPECT_TRUE(window.Image1->isVisible());
    EXPECT_FALSE(window.RichEdit->isVisible());
    EXPECT_EQ(window.Image1->picture(), before);
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "ничего");
}

TEST_F(BranchClick, ABranchWithSubBranchesShowsTheCrossAndItsOwnDescription) {
    program.clickLabel("Фото");
    program.clickLabel("Папка");
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Папка");
    EXPECT_EQ(window.Image1->picture().size(), QSize(16, 16));
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "своё описание папки");
    EXPECT_EQ(program.messages(), QStringList());
}

TEST_F(BranchClick, WhatIsNotAReadableJpegEndsInTheMessageAfterTheDescription) {
    const struct {
        const char* branch;
        const char* description;
        const char* extracted; // nullptr: nothing written to Temp
    } cases[] = {
        {"Договор", "договор аренды", "Temp/Dokument.pdf"},
        {"Битый", "", "Temp/Dokument.jpg"},
        {"Странный", "", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.branch);
        program.forgetMessages();
        program.clickLabel(c.branch);
        EXPECT_EQ(program.messages(), QStringList{kNotAPicture});
        EXPECT_EQ(window.Edit_Mame_Vetok->text(), c.branch);
        EXPECT_EQ(window.Memo_opisanie->toPlainText(), QString::fromUtf8(c.description));
        if (c.extracted) {
            EXPECT_TRUE(QFile::exists(program.program.path(c.extracted)));
        }
    }
    EXPECT_EQ(fileBytes(program.program.path("Temp/Dokument.pdf")), "%PDF-1.4 not a picture");
}

TEST_F(BranchClick, ExpandButtonAndEmptySpaceShowTheSelectedBranchAgainAndNothingWithoutOne) {
    // Before any selection a click changes nothing.
    program.clickEmptySpace();
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "");
    EXPECT_TRUE(window.Image1->picture().isNull());

    program.clickLabel("Договор");
    ASSERT_EQ(program.messages().size(), 1);
    window.Edit_Mame_Vetok->setText("typed");
    program.clickExpandButton("Папка");
    EXPECT_EQ(program.messages().size(), 2) << "the selected branch is shown again";
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Договор");
    EXPECT_TRUE(window.TreeView1->isExpanded(window.TreeModel->indexOf(program.node("Папка"))));

    window.Edit_Mame_Vetok->setText("typed");
    program.clickEmptySpace();
    EXPECT_EQ(program.messages().size(), 3);
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Договор");
}

TEST_F(BranchClick, KeyboardSelectionDoesNotShowTheBranch) {
    program.clickLabel("Пусто");
    window.TreeView1->setFocus();
    QTest::keyClick(window.TreeView1, Qt::Key_Up);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.TreeNodes.Selected(), program.node("Договор"));
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Пусто");
    EXPECT_EQ(program.messages(), QStringList());
}

TEST(BranchClickNames, ABranchWithoutARecordOfItsOwnShowsEmptyPanesNeverAnothersRecord) {
    // Фото has no record of its own: neither the record a prefix finds (Фотоальбом) nor
    // one of another letter case (фото) is shown for it.
    BranchWindow program({"Фото", "фото", "Новая"},
                         {{"Фотоальбом", "альбом", {}, 0, jpegPicture({8, 8}, Qt::red)},
                          {"фото", "маленькое", "текст фото"}});
    TForm_Glavn& window = program.window();
    program.clickLabel("фото");
    EXPECT_TRUE(window.RichEdit->isVisible());
    program.clickLabel("Фото");
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "");
    EXPECT_TRUE(window.Image1->picture().isNull());
    EXPECT_FALSE(window.RichEdit->isVisible());
    program.clickLabel("Новая");
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "");
    EXPECT_TRUE(window.Image1->picture().isNull());
    EXPECT_EQ(program.messages(), QStringList());
}

} // namespace
