#include "CaptionsPainted.h"
#include "ProgramFolder.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"

#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// A base with both tables but keyed with another password.
void createBaseWithOtherPassword(const QString& path) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "PRAGMA key = 'not the password';"
                           "CREATE TABLE Tab_DB_Delphi_10 (Imya_vetok TEXT);"
                           "CREATE TABLE Tab_Parol (Parol TEXT);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
}

void dropPasswordTable(const QString& path) {
    infobase::SqlcipherConnection::open(path, infobase::branch_table::kPassword, {})
        .execute("DROP TABLE Tab_Parol");
}

void expectNotConnected(ProgramFolder& program, const char* situation) {
    SCOPED_TRACE(situation);
    TForm_Glavn& window = *program.window;
    CaptionsPainted painted(window.Button_podluchit_bazy);
    program.watch.seen.clear();
    window.Button_podluchit_bazy->click();
    EXPECT_EQ(program.watch.texts(), QStringList{QStringLiteral("Не удалось подключится.")});
    EXPECT_TRUE(painted.captions.contains(QStringLiteral("Подождите......")));
    EXPECT_EQ(window.Button_podluchit_bazy->text(), QStringLiteral("Подключить базу"));
    EXPECT_TRUE(window.Button_podluchit_bazy->isVisible());
    EXPECT_FALSE(window.TreeView1->isVisible());
    EXPECT_FALSE(window.Image1->isVisible());
    EXPECT_FALSE(window.N1->menuAction()->isEnabled());
}

TEST(Connect, FailsForEachBrokenBaseAndThenConnectsTheGoodOne) {
    ProgramFolder program;
    TForm_Glavn& window = program.start();
    const QString base = program.path(QStringLiteral("Data/Quorlent.mdb"));
    // The layout rule runs after a failure too: move the button off its place first.
    window.Button_podluchit_bazy->move(0, 0);
    expectNotConnected(program, "no base file");
    EXPECT_EQ(
        window.Button_podluchit_bazy->pos(),
        QPoint(window.frameGeometry().width() / 2 - 241 / 2, window.frameGeometry().height() / 2));

    createBaseWithOtherPassword(base);
    expectNotConnected(program, "wrong password");

    QFile::remove(base);
    program.createBase();
    dropPasswordTable(base);
    expectNotConnected(program, "no password table");

    QFile::remove(base);
    program.createBase();
    program.watch.seen.clear();
    window.Button_podluchit_bazy->click();
    EXPECT_TRUE(program.watch.seen.isEmpty());
    EXPECT_TRUE(window.Store.Connected());
    EXPECT_TRUE(window.TreeView1->isVisible());
    EXPECT_TRUE(window.Image1->isVisible());
    EXPECT_FALSE(window.Button_podluchit_bazy->isVisible());
    EXPECT_TRUE(window.N1->menuAction()->isEnabled());
    EXPECT_FALSE(window.GroupBox_Rab_Vet_Tree->isVisible()) << "the panel waits for Показать";
    EXPECT_EQ(window.Image1->geometry(), window.centralWidget()->rect().adjusted(457, 0, 0, 0))
        << "the layout rule has placed the pane right of the tree, inside the client area";
}

TEST(Connect, PanelShowsAndHidesAndTabGoesTreeNameDescription) {
    ProgramFolder program;
    program.createBase();
    TForm_Glavn& window = program.start();
    window.Button_podluchit_bazy->click();
    ASSERT_TRUE(window.TreeView1->isVisible());

    window.Pokazat->trigger();
    EXPECT_TRUE(window.GroupBox_Rab_Vet_Tree->isVisible());
    EXPECT_EQ(window.Image1->x(), 457 + 464);
    window.Pokazat->trigger();
    EXPECT_EQ(window.Image1->x(), 457 + 464);

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.TreeView1->setFocus();
    // Tab goes down the panel as its controls stand: the name, its two buttons, the
    // description.
    for (QWidget* next :
         std::initializer_list<QWidget*>{window.Edit_Mame_Vetok, window.SpeedButton_vvod_vetki,
                                         window.SpeedButton_vvod_podvetki, window.Memo_opisanie}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }

    window.Skryt->trigger();
    window.Skryt->trigger();
    EXPECT_FALSE(window.GroupBox_Rab_Vet_Tree->isVisible());
    EXPECT_EQ(window.Image1->x(), 457);
    EXPECT_EQ(window.RichEdit->x(), 457);
}

} // namespace
