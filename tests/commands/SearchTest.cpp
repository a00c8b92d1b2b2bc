#include "BranchWindow.h"
#include "SearchWindowDriver.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "ui/Form_Glavn.h"
#include "ui/SearchBar.h"
#include "ui/TreeModelAdapter.h"

#include <QAbstractItemModel>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// Lets the program wait for input for a moment, as between a person's keystrokes.
class Search : public ::testing::Test {
protected:
    BranchWindow program{{"Документы", "Документы/Договоры", "Документы/Договоры/Аренда",
                          "Документы/Договоры/Аренда/Склад", "Заметки", "Ёлки", "Папка", "Папка2",
                          "Quorlent"},
                         {
                             {"Документы", "папка для бумаг"},
                             {"Договоры", ""},
                             {"Аренда", "аренда офиса", "Договор подписан в марте."},
                             {"Склад", "склад на окраине", "Ключи у охранника.\r\nКод двери 4471."},
                             {"Заметки", "Мысли о ЁЛКАХ", "Купить молоко и хлеб."},
                             {"Ёлки", "", ""},
                             {"Папка2", "уникальное описание"},
                             {"Quorlent", "", "Program notes in English"},
                         }};
    TForm_Glavn& window = program.window();

    SearchBar& bar() { return openSearch(window); }

    // Types the query as a person does and returns every row of the list once the search
    // has its results.
    QStringList find(const QString& query) {
        bar().field()->clear();
        for (const QChar c : query) {
            QTest::sendKeyEvent(QTest::Click, bar().field(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
        return rows();
    }

    QStringList rows() {
        waitForResults(bar());
        return shown();
    }

    QStringList shown() { return listRows(bar(), RowText::Whole); }

    // Right after a command, before the program waited for input, the list either says it
    // is searching again or already shows the results as they now are; then it shows them.
    void expectUpToDate(const QStringList& expected) {
        bar().repaint();
        if (bar().count()->text() != "Поиск…") {
            EXPECT_EQ(shown(), expected) << "shown at once";
        }
        EXPECT_EQ(rows(), expected);
    }
};

TEST_F(Search, FindsWordsInNamesDescriptionsAndTextsIgnoringCaseAndYo) {
    const struct {
        const char* query;
        QStringList expected;
    } cases[] = {
        {"аренд", {"Документы / Договоры / Аренда\nв названии"}},
        {"ОКРАИН", {"Документы / Договоры / Аренда / Склад\nв описании: склад на окраине"}},
        {"код двери",
         {"Документы / Договоры / Аренда / Склад\nв тексте: Ключи у охранника. Код двери 4471."}},
        // ё and е are one letter to a reader; Latin ignores case too.
        {"елк", {"Заметки\nв описании: Мысли о ЁЛКАХ", "Ёлки\nв названии"}},
        {"ЁЛК", {"Заметки\nв описании: Мысли о ЁЛКАХ", "Ёлки\nв названии"}},
        {"ENGLISH", {"Quorlent\nв тексте: Program notes in English"}},
        // In the tree's order; the name before the description before the text.
        {"до",
         {"Документы\nв названии", "Документы / Договоры\nв названии",
          "Документы / Договоры / Аренда\nв тексте: Договор подписан в марте."}},
        // "Папка" has no record of its own: Папка2's description is not its.
        {"уникальное", {"Папка2\nв описании: уникальное описание"}},
        {"папка",
         {"Документы\nв описании: папка для бумаг", "Папка\nв названии", "Папка2\nв названии"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(find(QString::fromUtf8(c.query)), c.expected) << c.query;
        EXPECT_EQ(bar().count()->text(), QStringLiteral("Найдено: %1").arg(c.expected.size()))
            << c.query;
    }
    EXPECT_EQ(program.messages(), QStringList());
}

TEST_F(Search, NothingFoundSaysSoInTheList) {
    EXPECT_EQ(find("жираф"), QStringList{"Ничего не найдено."});
    EXPECT_EQ(bar().count()->text(), "Найдено: 0");
    EXPECT_FALSE(bar().list()->model()->index(0, 0).flags() & Qt::ItemIsSelectable);
    EXPECT_EQ(find(""), QStringList());
}

TEST_F(Search, ChoosingAResultExpandsItsParentsAndShowsItAsAClickDoes) {
    ASSERT_EQ(find("4471").size(), 1);
    QTest::keyClick(bar().field(), Qt::Key_Down);
    EXPECT_TRUE(bar().list()->hasFocus());
    // Ctrl+F in the search window, as in the main window (a shortcut reaches the active
    // window and the windows it owns).
    bar().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&bar()));
    QTest::keyClick(bar().list(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(bar().field()->hasFocus());
    EXPECT_EQ(bar().field()->selectedText(), "4471");
    QTest::keyClick(bar().field(), Qt::Key_Down);
    QTest::keyClick(bar().list(), Qt::Key_Return);
    infobase::TTreeNode* склад = program.node("Документы/Договоры/Аренда/Склад");
    EXPECT_EQ(window.TreeNodes.Selected(), склад);
    for (const char* parent : {"Документы", "Документы/Договоры", "Документы/Договоры/Аренда"}) {
        EXPECT_TRUE(window.TreeView1->isExpanded(window.TreeModel->indexOf(program.node(parent))))
            << parent;
    }
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Склад");
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "склад на окраине");
    EXPECT_TRUE(window.RichEdit->isVisible());
    EXPECT_EQ(window.RichEdit->toPlainText(), "Ключи у охранника.\nКод двери 4471.");

    // A double click on another result; the commands then act on that branch.
    ASSERT_EQ(find("молоко").size(), 1);
    const QModelIndex first = bar().list()->model()->index(0, 0);
    bar().list()->scrollTo(first);
    const QPoint at = bar().list()->visualRect(first).center();
    // A person's double click: a click, then the second press that makes it double.
    QTest::mouseClick(bar().list()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(window.TreeNodes.Selected(), склад) << "a single click only marks the result";
    QTest::mouseDClick(bar().list()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(window.TreeNodes.Selected(), program.node("Заметки"));
    EXPECT_EQ(window.RichEdit->toPlainText(), "Купить молоко и хлеб.");
    window.Memo_opisanie->setPlainText("новое описание");
    program.press(window.SpeedButton_zam_opisanie_podvetki);
    EXPECT_EQ(program.column("Заметки", "Opisanie"), "новое описание");
    EXPECT_EQ(program.messages(), QStringList{"Отредактировано!"});
}

TEST_F(Search, ResultsFollowRenameDeleteDescriptionAndAnotherProgramsChange) {
    EXPECT_EQ(find("склад"), (QStringList{"Документы / Договоры / Аренда / Склад\nв названии"}));

    program.clickLabel("Документы/Договоры/Аренда/Склад");
    window.Edit_Mame_Vetok->setText("Хранилище");
    program.press(window.SpeedButton3);
    // Its description still says "склад"; the name no longer does.
    expectUpToDate({"Документы / Договоры / Аренда / Хранилище\nв описании: склад на окраине"});

    program.clickLabel("Документы/Договоры/Аренда/Хранилище");
    program.press(window.SpeedButton_Delete);
    expectUpToDate({"Ничего не найдено."});

    // A new description changes only the record, not the tree.
    program.clickLabel("Ёлки");
    window.Memo_opisanie->setPlainText("запасы склада");
    program.press(window.SpeedButton_zam_opisanie_podvetki);
    expectUpToDate({"Ёлки\nв описании: запасы склада"});

    // Another program writes to the base while the search is open.
    {
        auto other = infobase::SqlcipherConnection::open(program.program.path("Data/Quorlent.mdb"),
                                                         infobase::branch_table::kPassword, {});
        other.execute("UPDATE Tab_DB_Delphi_10 SET Texty = 'Склад закрыт' "
                      "WHERE Imya_vetok = 'Quorlent'");
    }
    expectUpToDate({"Ёлки\nв описании: запасы склада", "Quorlent\nв тексте: Склад закрыт"});

    // Changes made while the search window is closed show when it opens again.
    QTest::keyClick(bar().field(), Qt::Key_Escape);
    program.clickLabel("Ёлки");
    program.press(window.SpeedButton_Delete);
    window.N_poisk->trigger();
    EXPECT_EQ(bar().field()->text(), "склад");
    expectUpToDate({"Quorlent\nв тексте: Склад закрыт"});
}

TEST_F(Search, ABaseThatCannotBeReadIsSaidAndReadAgainOnTheNextQuery) {
    ASSERT_EQ(find("склад").size(), 1);
    // The base file moves away while the program has it open, and changes there; the change
    // log goes too, so that the search has to read everything again, by the file's name.
    const QString base = program.program.path("Data/Quorlent.mdb");
    const QString moved = program.program.path("Data/moved.mdb");
    ASSERT_TRUE(QFile::rename(base, moved));
    infobase::SqlcipherConnection::open(moved, infobase::branch_table::kPassword, {})
        .execute("UPDATE Tab_DB_Delphi_10 SET Texty = 'склад' WHERE Imya_vetok = 'Quorlent';"
                 "DROP TABLE RecordVersionsEpoch;");
    bar().repaint();
    for (int i = 0; i < 500 && bar().list()->model()->rowCount() == 0; ++i) {
        pause(10);
    }
    EXPECT_EQ(shown(), QStringList{"Не удалось прочитать базу. Поиск повторится при следующем "
                                   "изменении запроса или базы."});
    EXPECT_EQ(bar().count()->text(), "");

    ASSERT_TRUE(QFile::rename(moved, base));
    EXPECT_EQ(find("склад"), (QStringList{"Документы / Договоры / Аренда / Склад\nв названии",
                                          "Quorlent\nв тексте: склад"}));
    EXPECT_EQ(program.messages(), QStringList());
}

TEST_F(Search, EscapeClosesTheWindowAndItsControlsAreNamed) {
    EXPECT_TRUE(window.menuBar()->actions().contains(window.N_poisk));
    EXPECT_EQ(window.N_poisk->text(), "Поиск");
    // Ctrl+F wherever the focus is in the main window; Escape closes the window again.
    for (QWidget* focus : std::initializer_list<QWidget*>{window.TreeView1, window.Edit_Mame_Vetok,
                                                          window.Memo_opisanie}) {
        QTest::keyClick(focus, Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(window.SearchBar1 && window.SearchBar1->isVisible())
            << focus->objectName().toStdString();
        QTest::keyClick(window.SearchBar1->field(), Qt::Key_Escape);
        EXPECT_FALSE(window.SearchBar1->isVisible());
    }
    EXPECT_EQ(bar().field()->accessibleName(), "Найти");
    EXPECT_EQ(bar().list()->accessibleName(), "Найдено");
    // The count is read as the text it shows, and described as what it is.
    EXPECT_TRUE(bar().count()->accessibleName().isEmpty());
    EXPECT_EQ(bar().count()->accessibleDescription(), "Число найденных");
}

TEST(SearchBeforeConnect, AsksForTheConnectFirst) {
    ProgramFolder program;
    program.createBase();
    TForm_Glavn& window = program.start();
    program.watch.seen.clear();
    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
    window.N_poisk->trigger();
    EXPECT_EQ(program.watch.texts(),
              (QStringList{"Сначала подключите базу.", "Сначала подключите базу."}));
    EXPECT_EQ(window.SearchBar1, nullptr);
}

} // namespace
