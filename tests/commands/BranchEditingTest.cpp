#include "BranchWindow.h"
#include "CaptionsPainted.h"
#include "ui/Form_Glavn.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const QString kNoName = QStringLiteral("Вы не ввели название ветки!");
const QString kToday = QStringLiteral("05.03.2026");

class BranchEditing : public ::testing::Test {
protected:
    BranchWindow program{{"Корень", "Корень/Лист", "Другой"},
                         {{"Корень", "корень"}, {"Лист", "лист"}, {"Другой", "другой"}}};
    TForm_Glavn& window = program.window();
    QString treeFile() const { return program.program.path("Data/TreeView.dat"); }
};

TEST_F(BranchEditing, AddWritesNodeRecordAndTreeFileAndClearsTheName) {
    window.Edit_Mame_Vetok->setText("");
    program.press(window.SpeedButton_vvod_vetki);
    EXPECT_EQ(program.messages(), QStringList{kNoName});

    // No node selected: the last top-level node.
    window.Edit_Mame_Vetok->setText("Новая");
    window.Memo_opisanie->setPlainText("строка 1\nстрока 2");
    program.press(window.SpeedButton_vvod_vetki);
    // Selected node below the top level: the last node of its level.
    program.clickLabel("Корень/Лист");
    window.Edit_Mame_Vetok->setText("  ");
    program.press(window.SpeedButton_vvod_vetki);

    EXPECT_EQ(program.messages(), QStringList{kNoName});
    EXPECT_EQ(program.treeFileNodes(),
              (QStringList{"Корень", "Корень/Лист", "Корень/  ", "Другой", "Новая"}));
    EXPECT_EQ(program.column("Новая", "Dat"), kToday);
    EXPECT_EQ(program.column("Новая", "Opisanie"), "строка 1\r\nстрока 2");
    EXPECT_EQ(program.column("  ", "Opisanie"), "лист") << "the field as the click left it";
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "");
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "лист");
}

TEST_F(BranchEditing, SubBranchNeedsASelectedNodeAndAName) {
    window.Edit_Mame_Vetok->setText("Подветка");
    program.press(window.SpeedButton_vvod_podvetki);
    EXPECT_EQ(program.messages(), QStringList{"Вы не выбрали в какой ветке делаем подветку!"});
    program.clickLabel("Другой");
    window.Edit_Mame_Vetok->setText("");
    program.press(window.SpeedButton_vvod_podvetki);
    EXPECT_EQ(program.messages().last(), kNoName);
    EXPECT_EQ(program.recordNames(), (QStringList{"Корень", "Лист", "Другой"}));

    window.Edit_Mame_Vetok->setText("Подветка");
    program.press(window.SpeedButton_vvod_podvetki);
    EXPECT_EQ(program.treeFileNodes(),
              (QStringList{"Корень", "Корень/Лист", "Другой", "Другой/Подветка"}));
    EXPECT_EQ(program.column("Подветка", "Dat"), kToday);
    EXPECT_EQ(program.column("Подветка", "Opisanie"), "другой");
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "");
}

TEST_F(BranchEditing, DeleteShowsTheWaitingCaptionAndRemovesRecordNodeAndFileEntry) {
    program.press(window.SpeedButton_Delete);
    EXPECT_EQ(program.messages(), QStringList{"Вы не выбрали ветку!"});
    program.clickLabel("Корень");
    program.press(window.SpeedButton_Delete);
    EXPECT_EQ(program.messages().last(), "Сначала удалите подветку!");
    EXPECT_EQ(program.recordNames().size(), 3);

    program.clickLabel("Корень/Лист");
    CaptionsPainted painted(window.SpeedButton_Delete);
    program.press(window.SpeedButton_Delete);
    EXPECT_TRUE(painted.captions.contains("Подождите....."))
        << painted.captions.join('|').toStdString();
    EXPECT_EQ(window.SpeedButton_Delete->text(), " Удалить ветку/ подветку");
    EXPECT_EQ(program.recordNames(), (QStringList{"Корень", "Другой"}));
    EXPECT_EQ(program.treeFileNodes(), (QStringList{"Корень", "Другой"}));
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "");

    // The last nodes go one by one; then there is nothing to delete.
    for (const char* name : {"Корень", "Другой"}) {
        program.clickLabel(name);
        program.press(window.SpeedButton_Delete);
    }
    EXPECT_EQ(program.recordNames(), QStringList());
    EXPECT_EQ(program.treeFileNodes(), QStringList());
    program.forgetMessages();
    program.press(window.SpeedButton_Delete);
    EXPECT_EQ(program.messages(), QStringList{"Так нет же веток!"});
}

TEST_F(BranchEditing, RenameStoresNameDateAndTheClickedBranchsOwnDescription) {
    window.Edit_Mame_Vetok->setText("");
    program.press(window.SpeedButton3);
    EXPECT_EQ(program.messages(), QStringList{kNoName});

    program.clickLabel("Корень/Лист");
    program.clickLabel("Корень"); // a branch with sub-branches: its own description shows
    window.Edit_Mame_Vetok->setText("Ствол");
    program.press(window.SpeedButton3);
    EXPECT_EQ(program.treeFileNodes(), (QStringList{"Ствол", "Ствол/Лист", "Другой"}));
    EXPECT_EQ(program.recordNames(), (QStringList{"Ствол", "Лист", "Другой"}));
    EXPECT_EQ(program.column("Ствол", "Dat"), kToday);
    EXPECT_EQ(program.column("Ствол", "Opisanie"), "корень");
    EXPECT_EQ(program.column("Лист", "Dat"), "01.01.2026");
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "");
}

TEST_F(BranchEditing, ReplaceDescriptionWritesTheClickedBranchsRecordOnly) {
    window.Memo_opisanie->clear();
    program.press(window.SpeedButton_zam_opisanie_podvetki);
    EXPECT_EQ(program.messages(), QStringList{"Поле описание пусто!"});
    window.Memo_opisanie->setPlainText("до щелчка");
    program.press(window.SpeedButton_zam_opisanie_podvetki);
    EXPECT_EQ(program.messages().last(), "Вы не выбрали ветку!");

    program.clickLabel("Другой");
    window.Memo_opisanie->setPlainText("новое\nописание");
    program.press(window.SpeedButton_zam_opisanie_podvetki);
    EXPECT_EQ(program.messages().last(), "Отредактировано!");
    EXPECT_EQ(program.column("Другой", "Opisanie"), "новое\r\nописание");
    EXPECT_EQ(program.column("Другой", "Dat"), kToday);
    EXPECT_EQ(program.column("Другой", "Imya_vetok"), "Другой");
    EXPECT_EQ(program.column("Корень", "Opisanie"), "корень");
}

TEST(BranchEditingOwnRecord, CommandsNeverWriteAnotherBranchsRecord) {
    // Фото has no record: the lookup would land on Фотоальбом. фото's own record is фото,
    // though the lookup ignoring case finds Фото first.
    BranchWindow program({"Фото", "фото", "Фотоальбом"},
                         {{"Фотоальбом", "альбом"}, {"Фото", "Фото"}, {"фото", "фото"}});
    TForm_Glavn& window = program.window();
    program.clickLabel("фото");
    program.press(window.SpeedButton_Delete);
    EXPECT_EQ(program.recordNames(), (QStringList{"Фотоальбом", "Фото"}));
    EXPECT_EQ(program.treeFileNodes(), (QStringList{"Фото", "Фотоальбом"}));

    program.clickLabel("Фото");
    program.press(window.SpeedButton_Delete); // deletes Фото's own record
    program.clickLabel("Фотоальбом");
    window.Edit_Mame_Vetok->setText("Фото");
    program.press(window.SpeedButton3);
    program.clickLabel("Фото");
    window.Memo_opisanie->setPlainText("чужое");
    program.forgetMessages();
    program.press(window.SpeedButton_zam_opisanie_podvetki);
    EXPECT_EQ(program.messages(), QStringList{"Отредактировано!"});
    EXPECT_EQ(program.recordNames(), QStringList{"Фото"});
    EXPECT_EQ(program.column("Фото", "Opisanie"), "чужое");
}

TEST(BranchEditingOwnRecord, ABranchWithoutARecordOfItsOwnChangesNoRecord) {
    // The node changes, the record the lookup lands on does not.
    BranchWindow second({"Фото"}, {{"Фотоальбом", "альбом"}});
    TForm_Glavn& other = second.window();
    second.clickLabel("Фото");
    other.Memo_opisanie->setPlainText("чужое");
    second.press(other.SpeedButton_zam_opisanie_podvetki);
    EXPECT_EQ(second.messages(), QStringList{"У этой ветки нет своей записи в базе!"});
    other.Edit_Mame_Vetok->setText("Снимки");
    second.press(other.SpeedButton3);
    EXPECT_EQ(second.treeFileNodes(), QStringList{"Снимки"});
    second.clickLabel("Снимки");
    second.press(other.SpeedButton_Delete);
    EXPECT_EQ(second.treeFileNodes(), QStringList());
    EXPECT_EQ(second.recordNames(), QStringList{"Фотоальбом"});
    EXPECT_EQ(second.column("Фотоальбом", "Opisanie"), "альбом");
    EXPECT_EQ(second.column("Фотоальбом", "Dat"), "01.01.2026");
}

TEST(BranchEditingDescription, ShowingAndStoringKeepsTheDescriptionsBytes) {
    const QString stored = QStringLiteral("первая\r\nвторая\r\n");
    BranchWindow program({"Ветка"}, {{"Ветка", stored}});
    TForm_Glavn& window = program.window();
    for (int round = 0; round < 3; ++round) {
        program.clickLabel("Ветка");
        window.Edit_Mame_Vetok->setText("Ветка");
        program.press(window.SpeedButton3);
        program.clickLabel("Ветка");
        program.press(window.SpeedButton_zam_opisanie_podvetki);
    }
    EXPECT_EQ(program.column("Ветка", "Opisanie"), stored);
}

TEST_F(BranchEditing, AFailedTreeFileWriteReachesTheGeneralErrorReport) {
    // A folder where the tree file should be: the tree file cannot be replaced.
    ASSERT_TRUE(QFile::remove(treeFile()));
    ASSERT_TRUE(QDir().mkpath(treeFile()));
    window.Edit_Mame_Vetok->setText("Новая");
    program.press(window.SpeedButton_vvod_vetki);
    ASSERT_EQ(program.program.watch.seen.size(), 1);
    EXPECT_EQ(program.program.watch.seen[0].kind, "box");
    EXPECT_TRUE(program.program.watch.seen[0].text.contains("TreeView.dat"))
        << program.program.watch.seen[0].text.toStdString();
    // Nothing of the command is stored, nor kept in the tree; the name can be tried again.
    EXPECT_EQ(program.node("Новая"), nullptr);
    EXPECT_EQ(program.column("Новая", "Dat"), std::nullopt);
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Новая");

    program.clickLabel("Другой");
    program.press(window.SpeedButton_Delete);
    EXPECT_EQ(program.program.watch.seen.size(), 2);
    EXPECT_NE(program.node("Другой"), nullptr);
    EXPECT_EQ(program.recordNames(), (QStringList{"Корень", "Лист", "Другой"}));
}

} // namespace
