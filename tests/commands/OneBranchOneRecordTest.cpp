// Data shown for one branch is stored into that branch's own record only, and a command
// deletes or changes only the record of the branch it acts on.
#include "BranchWindow.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

const QString kNameTaken = QStringLiteral("Ветка с таким названием уже есть!");
const QString kClickFirst =
    QStringLiteral("Сначала щёлкните эту ветку.\rС клавиатуры: выберите её и нажмите Enter.");

TEST(OneBranchOneRecord, CaseTwinsEachShowAndKeepTheirOwnRecord) {
    BranchWindow program({}, {});
    TForm_Glavn& window = program.window();
    for (const auto& [name, description] : {std::pair{"Фото", "A"}, std::pair{"фото", "B"}}) {
        window.Edit_Mame_Vetok->setText(name);
        window.Memo_opisanie->setPlainText(description);
        program.press(window.SpeedButton_vvod_vetki);
    }
    program.clickLabel("фото");
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "B");
    // The text pane's save and the description command store into фото's record.
    program.press(window.SpeedButton1);
    window.N5->trigger();
    program.press(window.SpeedButton_zam_opisanie_podvetki);
    window.Edit_Mame_Vetok->setText("фото-2");
    program.press(window.SpeedButton3);
    EXPECT_EQ(program.column("фото-2", "Opisanie"), "B");
    EXPECT_EQ(program.column("Фото", "Opisanie"), "A");
    EXPECT_EQ(program.column("Фото", "Texty"), "");
    EXPECT_EQ(program.recordNames(), (QStringList{"Фото", "фото-2"}));
}

TEST(OneBranchOneRecord, ABranchWithoutItsOwnRecordNeverReachesACaseTwinsRecord) {
    const struct {
        const char* command;
        QString branch;
        QString twin; // has the record
    } cases[] = {{"delete", "фото", "Фото"},
                 {"description", "КНИГА", "Книга"},
                 {"rename", "альбом", "Альбом"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        BranchWindow program({c.twin, c.branch}, {{c.twin, "своё"}});
        TForm_Glavn& window = program.window();
        program.clickLabel(c.branch);
        window.Memo_opisanie->setPlainText("чужое");
        window.Edit_Mame_Vetok->setText("Новое имя");
        const QString command = c.command;
        program.press(command == "delete"        ? window.SpeedButton_Delete
                      : command == "description" ? window.SpeedButton_zam_opisanie_podvetki
                                                 : window.SpeedButton3);
        EXPECT_EQ(program.recordNames(), QStringList{c.twin});
        EXPECT_EQ(program.column(c.twin, "Opisanie"), "своё");
        EXPECT_EQ(program.column(c.twin, "Dat"), "01.01.2026");
    }
}

TEST(OneBranchOneRecord, CommandsThatStoreThePanelRefuseWhenTheSelectionMovedWithoutAClick) {
    BranchWindow program({"Один", "Два"}, {{"Один", "1"}, {"Два", "2"}});
    TForm_Glavn& window = program.window();
    for (const char* how : {"key", "right button"}) {
        SCOPED_TRACE(how);
        program.clickLabel("Один");
        const QModelIndex two = window.TreeModel->indexOf(program.node("Два"));
        if (QString(how) == "key") {
            window.TreeView1->setFocus();
            QTest::keyClick(window.TreeView1, Qt::Key_Down);
        } else {
            QTest::mouseClick(window.TreeView1->viewport(), Qt::RightButton, {},
                              window.TreeView1->visualRect(two).center());
        }
        ASSERT_EQ(window.TreeNodes.Selected(), program.node("Два"));
        program.forgetMessages();
        window.Edit_Mame_Vetok->setText("Два-новое");
        program.press(window.SpeedButton3);
        program.press(window.SpeedButton_zam_opisanie_podvetki);
        EXPECT_EQ(program.messages(), (QStringList{kClickFirst, kClickFirst}));
        EXPECT_EQ(program.recordNames(), (QStringList{"Один", "Два"}));
        EXPECT_EQ(program.column("Два", "Opisanie"), "2");
        EXPECT_EQ(program.column("Один", "Opisanie"), "1");
        EXPECT_EQ(program.treeFileNodes(), (QStringList{"Один", "Два"}));
    }
}

TEST(OneBranchOneRecord, TheTextPaneSavesIntoTheBranchWhoseTextItHolds) {
    BranchWindow program({"Other", "Parent", "Parent/Child"},
                         {{"Other", {}, "текст Other"}, {"Parent", {}, ""}, {"Child"}});
    TForm_Glavn& window = program.window();
    program.clickLabel("Other");
    program.clickLabel("Parent"); // has sub-branches: the pane keeps Other's text
    ASSERT_EQ(window.RichEdit->toPlainText(), "текст Other");
    window.RichEdit->setPlainText("правка Other");
    window.N5->trigger();
    EXPECT_EQ(program.messages(), QStringList{"Сохранено."});
    EXPECT_EQ(program.column("Parent", "Texty"), "");
    EXPECT_EQ(program.column("Other", "Texty"), "правка Other");
}

TEST(OneBranchOneRecord, ANameAnotherBranchHasIsRefusedAndOldTwinsKeepTheirRecord) {
    BranchWindow program({"Один", "Шесть", "Шесть/Лист", "Пара", "Пара"},
                         {{"Один", "1"}, {"Шесть", "6"}, {"Лист"}, {"Пара", "общая"}});
    TForm_Glavn& window = program.window();
    program.clickLabel("Шесть");
    for (QToolButton* command :
         {window.SpeedButton3, window.SpeedButton_vvod_vetki, window.SpeedButton_vvod_podvetki}) {
        window.Edit_Mame_Vetok->setText("Один");
        program.forgetMessages();
        program.press(command);
        EXPECT_EQ(program.messages(), QStringList{kNameTaken});
    }
    window.Edit_Mame_Vetok->setText("Лист");
    program.press(window.SpeedButton_vvod_podvetki);
    EXPECT_EQ(program.messages().last(), kNameTaken);
    EXPECT_EQ(program.treeFileNodes(),
              (QStringList{"Один", "Шесть", "Шесть/Лист", "Пара", "Пара"}));
    EXPECT_EQ(program.recordNames(), (QStringList{"Один", "Шесть", "Лист", "Пара"}));

    // A rename to its own name is no clash; "шесть" is another name.
    for (const char* name : {"Шесть", "шесть"}) {
        program.clickLabel(program.node("Шесть") ? "Шесть" : "шесть");
        window.Edit_Mame_Vetok->setText(name);
        program.press(window.SpeedButton3);
    }
    EXPECT_EQ(program.recordNames(), (QStringList{"Один", "шесть", "Лист", "Пара"}));

    // A tree made before names had to differ: the record stays while a twin carries it.
    infobase::TTreeNode* second = window.TreeNodes.TopItem(3);
    QTest::mouseClick(window.TreeView1->viewport(), Qt::LeftButton, {},
                      window.TreeView1->visualRect(window.TreeModel->indexOf(second)).center());
    QCoreApplication::processEvents();
    ASSERT_EQ(window.TreeNodes.Selected(), second);
    program.press(window.SpeedButton_Delete);
    EXPECT_EQ(program.column("Пара", "Opisanie"), "общая");
    program.clickLabel("Пара");
    program.press(window.SpeedButton_Delete);
    EXPECT_EQ(program.recordNames(), (QStringList{"Один", "шесть", "Лист"}));
    EXPECT_EQ(program.treeFileNodes(), (QStringList{"Один", "шесть", "шесть/Лист"}));
}

// The tree file keeps 255 code units of a name: a longer name would come back cut after the
// next start, as another branch's name or apart from its record.
TEST(OneBranchOneRecord, ANameLongerThanTheTreeFileKeepsIsRefusedByEveryCommand) {
    const QString kTooLong = QStringLiteral("Название ветки длиннее 255 знаков!");
    const QString full(255, u'P');
    BranchWindow program({full}, {{full, "p"}});
    TForm_Glavn& window = program.window();
    const QString smiley = QStringLiteral("\U0001F600");
    for (const QString& name : {full + u'ы', QString(254, u'Q') + smiley}) {
        for (QToolButton* command : {window.SpeedButton_vvod_vetki,
                                     window.SpeedButton_vvod_podvetki, window.SpeedButton3}) {
            program.clickLabel(full);
            window.Edit_Mame_Vetok->setText(name);
            program.forgetMessages();
            program.press(command);
            EXPECT_EQ(program.messages(), QStringList{kTooLong});
        }
    }
    EXPECT_EQ(program.recordNames(), QStringList{full});
    EXPECT_EQ(program.treeFileNodes(), QStringList{full});

    // A pair of code units that ends at the last one kept is kept whole.
    const QString fits = QString(253, u'Q') + smiley;
    window.Edit_Mame_Vetok->setText(fits);
    program.forgetMessages();
    program.press(window.SpeedButton_vvod_vetki);
    EXPECT_EQ(program.messages(), QStringList{});
    EXPECT_EQ(program.recordNames(), (QStringList{full, fits}));
    EXPECT_EQ(program.treeFileNodes(), (QStringList{full, fits}));
}

// An older base may hold a name twice, each with a branch: the last branch of the name takes
// every record of it, so that a new branch of that name starts with nothing of theirs.
TEST(OneBranchOneRecord, DeletingTheLastBranchOfARepeatedNameDeletesEveryRecordOfIt) {
    BranchWindow program({"Дубль", "Дубль", "Другая"},
                         {{"Дубль", "первая"}, {"Дубль", "вторая"}, {"Другая", "д"}});
    TForm_Glavn& window = program.window();
    infobase::TTreeNode* second = window.TreeNodes.TopItem(1);
    QTest::mouseClick(window.TreeView1->viewport(), Qt::LeftButton, {},
                      window.TreeView1->visualRect(window.TreeModel->indexOf(second)).center());
    QCoreApplication::processEvents();
    ASSERT_EQ(window.TreeNodes.Selected(), second);
    program.press(window.SpeedButton_Delete);
    EXPECT_EQ(program.recordNames(), (QStringList{"Дубль", "Дубль", "Другая"}));
    program.clickLabel("Дубль");
    program.press(window.SpeedButton_Delete);
    EXPECT_EQ(program.recordNames(), QStringList{"Другая"});
    EXPECT_EQ(program.treeFileNodes(), QStringList{"Другая"});

    window.Memo_opisanie->clear();
    window.Edit_Mame_Vetok->setText("Дубль");
    program.press(window.SpeedButton_vvod_vetki);
    program.clickLabel("Дубль");
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "");
    EXPECT_EQ(program.recordNames(), (QStringList{"Другая", "Дубль"}));
}

} // namespace
