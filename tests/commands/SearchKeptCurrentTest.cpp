// The search window kept as new as the base while it is open, by reading only the records
// that changed; the records it read go when it closes.
#include "BranchWindow.h"
#include "SearchWindowDriver.h"
#include "infobase/search/BranchSearch.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/BranchMoves.h"
#include "ui/Form_Glavn.h"
#include "ui/SearchBar.h"
#include "ui/TreeModelAdapter.h"

#include <QAbstractItemModel>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// Twenty branches of filler besides the few the tests look for, so that reading all records
// stands out from reading the changed ones.
constexpr int kFiller = 20;

QStringList treeOf() {
    QStringList tree{"Склад", "Заметки", "Quorlent"};
    for (int i = 0; i < kFiller; ++i) {
        tree << QStringLiteral("Ветка %1").arg(i);
    }
    return tree;
}

std::vector<SeedRecord> recordsOf() {
    std::vector<SeedRecord> records{{"Склад", "на окраине"},
                                    {"Заметки", "", "Купить молоко."},
                                    {"Quorlent", "", "Program notes"}};
    for (int i = 0; i < kFiller; ++i) {
        records.push_back({QStringLiteral("Ветка %1").arg(i), "описание", "текст"});
    }
    return records;
}

class SearchKeptCurrent : public ::testing::Test {
protected:
    BranchWindow program{treeOf(), recordsOf()};
    TForm_Glavn& window = program.window();
    const int recordCount = kFiller + 3;

    SearchBar& bar() { return openSearch(window); }
    qint64 rowsRead() { return bar().search().rowsRead(); }

    QStringList find(const QString& query) {
        bar().field()->setText(query);
        return rows();
    }

    // The rows of the list once the search has its results after the program waited for
    // input a moment, as it does between a person's keys.
    QStringList rows() {
        waitForResults(bar());
        return listRows(bar(), RowText::FirstLine);
    }

    void otherProgram(const QByteArray& sql) {
        infobase::SqlcipherConnection::open(program.program.path("Data/Quorlent.mdb"),
                                            infobase::branch_table::kPassword, {})
            .execute(sql);
    }

    void rename(const QString& from, const QString& to) {
        program.clickLabel(from);
        window.Edit_Mame_Vetok->setText(to);
        program.press(window.SpeedButton3);
        // The tree file's rewrite, a write of the base too, comes before the search looks.
        window.writeTreeFileNow();
    }
};

TEST_F(SearchKeptCurrent, ARenameANewTextAMoveAndAnotherProgramsChangeReadOnlyTheChangedRows) {
    EXPECT_EQ(find("склад"), QStringList{"Склад"});
    EXPECT_EQ(rowsRead(), recordCount);

    const struct {
        const char* what;
        std::function<void()> change;
        QStringList found;
        qint64 rowsRead; // at most
    } steps[] = {
        {"a rename", [&] { rename("Склад", "Хранилище"); }, {}, 1},
        {"a new text",
         [&] {
             program.clickLabel("Заметки");
             window.RichEdit->setPlainText("Склад пуст, купить молоко.");
             window.N5->trigger();
         },
         {"Заметки"},
         1},
        {"a name and a description",
         [&] {
             otherProgram("UPDATE Tab_DB_Delphi_10 SET Imya_vetok = 'Склад 2', "
                          "Opisanie = 'склад' WHERE Imya_vetok = 'Хранилище'");
         },
         {"Заметки"}, // the branch is still named Хранилище: it has no record of its own now
         1},
        {"a move, which changes no record",
         [&] {
             program.clickLabel("Заметки");
             window.MoveSelectedBranch(infobase::BranchStep::Up);
         },
         {"Заметки"},
         0},
        {"another program's new text",
         [&] {
             otherProgram("UPDATE Tab_DB_Delphi_10 SET Texty = 'Склад закрыт' "
                          "WHERE Imya_vetok = 'Quorlent'");
         },
         {"Заметки", "Quorlent"},
         1},
        {"another program's new record for the renamed branch",
         [&] {
             otherProgram("INSERT INTO Tab_DB_Delphi_10 (Imya_vetok, Texty) "
                          "VALUES ('Хранилище', 'старый склад')");
         },
         {"Заметки", "Хранилище", "Quorlent"},
         1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        const qint64 before = rowsRead();
        step.change();
        EXPECT_EQ(rows(), step.found.isEmpty() ? QStringList{"Ничего не найдено."} : step.found);
        EXPECT_LE(rowsRead() - before, step.rowsRead);
    }
    EXPECT_EQ(program.messages(), QStringList{"Сохранено."});
}

TEST_F(SearchKeptCurrent, ResultsFollowingEachCommandAreThoseOfASearchMadeAfresh) {
    const QString query = "к";
    find(query);
    const auto add = [&](const char* at, const char* name, const char* description, bool sub) {
        program.clickLabel(at);
        window.Edit_Mame_Vetok->setText(name);
        window.Memo_opisanie->setPlainText(description);
        program.press(sub ? window.SpeedButton_vvod_podvetki : window.SpeedButton_vvod_vetki);
    };
    const auto move = [&](const char* branch, infobase::BranchStep step) {
        program.clickLabel(branch);
        window.MoveSelectedBranch(step);
    };
    const struct {
        const char* what;
        std::function<void()> command;
    } steps[] = {
        {"a branch added", [&] { add("Склад", "Кладовая", "", false); }},
        {"a sub-branch added", [&] { add("Склад", "Полка", "ключи", true); }},
        {"a branch with a sub-branch moved down",
         [&] { move("Склад", infobase::BranchStep::Down); }},
        {"moved down again", [&] { move("Склад", infobase::BranchStep::Down); }},
        {"moved under the branch above", [&] { move("Quorlent", infobase::BranchStep::In); }},
        {"a sub-branch renamed", [&] { rename("Заметки/Quorlent", "Стол"); }},
        {"renamed back", [&] { rename("Заметки/Стол", "Quorlent"); }},
        {"a sub-branch deleted",
         [&] {
             program.clickLabel("Склад/Полка");
             program.press(window.SpeedButton_Delete);
         }},
        {"the deletion undone", [&] { window.N_otmenitClick(); }},
        {"and done again", [&] { window.N_povtoritClick(); }},
        {"the top level sorted",
         [&] { window.sortBranches(nullptr, infobase::SortDirection::Descending); }},
        {"a backup of the base with the search's change note", [&] { window.N_save_copyClick(); }},
        {"another program's changes",
         [&] {
             otherProgram(
                 "UPDATE Tab_DB_Delphi_10 SET Imya_vetok = 'Кот' "
                 "WHERE Imya_vetok = 'Ветка 3';"
                 "UPDATE Tab_DB_Delphi_10 SET Texty = 'кино' WHERE Imya_vetok = 'Quorlent';"
                 "DELETE FROM Tab_DB_Delphi_10 WHERE Imya_vetok = 'Ветка 4';"
                 "INSERT INTO Tab_DB_Delphi_10 (Imya_vetok) VALUES ('Ветка 3')");
         }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.command();
        const QStringList followed = rows();
        const qint64 read = rowsRead();
        bar().field()->clear();
        EXPECT_EQ(find(query), followed);
        EXPECT_EQ(rowsRead(), read) << "a query reads nothing";
    }
    EXPECT_EQ(program.messages(),
              QStringList{"Копии файлов баз дерева\rскопированы в папку Backup copies."});
}

TEST_F(SearchKeptCurrent, TheRecordsGoWhenTheWindowClosesAndAreReadAgainWhenItOpens) {
    EXPECT_EQ(find("молоко"), QStringList{"Заметки"});
    EXPECT_GT(bar().search().memoryBytes(), 0u);
    QTest::keyClick(bar().field(), Qt::Key_Escape);
    EXPECT_EQ(window.SearchBar1->search().memoryBytes(), 0u);
    EXPECT_FALSE(window.SearchBar1->search().ready());

    otherProgram("UPDATE Tab_DB_Delphi_10 SET Texty = 'молоко' WHERE Imya_vetok = 'Ветка 7'");
    pause(30); // nothing is read while the window is closed
    EXPECT_EQ(window.SearchBar1->search().rowsRead(), recordCount);
    EXPECT_EQ(rows(), (QStringList{"Заметки", "Ветка 7"})); // opens it again
    EXPECT_EQ(rowsRead(), 2 * recordCount);
    EXPECT_GT(bar().search().memoryBytes(), 0u);
}

TEST_F(SearchKeptCurrent, ABaseThatTakesNoChangeLogIsReadWholeAfterEachChange) {
    // Another program has a view of the log's name: the log cannot be made.
    otherProgram("CREATE VIEW RecordVersions AS SELECT 1 AS version");
    EXPECT_EQ(find("склад"), QStringList{"Склад"});
    rename("Склад", "Хранилище");
    EXPECT_EQ(rows(), QStringList{"Ничего не найдено."});
    otherProgram("UPDATE Tab_DB_Delphi_10 SET Texty = 'склад' WHERE Imya_vetok = 'Quorlent'");
    EXPECT_EQ(rows(), QStringList{"Quorlent"});
    // The first search, the other program's change, and the rename; the rewrite of the tree
    // file that follows the rename writes the base too, which may cost one read more.
    EXPECT_GE(rowsRead(), 3 * recordCount);
    EXPECT_LE(rowsRead(), 4 * recordCount);
}

TEST_F(SearchKeptCurrent, ALogTableDroppedByAnotherProgramIsMadeAgainAndWritesGoOn) {
    EXPECT_EQ(find("склад"), QStringList{"Склад"});
    otherProgram("DROP TABLE RecordVersions");
    // The search notices while the program waits, reads everything and makes the log again.
    EXPECT_EQ(rows(), QStringList{"Склад"});
    pause(50);
    EXPECT_EQ(rowsRead(), 2 * recordCount);

    rename("Склад", "Хранилище");
    EXPECT_EQ(rows(), QStringList{"Ничего не найдено."});
    EXPECT_EQ(rowsRead(), 2 * recordCount + 1);
    EXPECT_EQ(program.column("Хранилище", "Imya_vetok"), "Хранилище");
    EXPECT_EQ(program.messages(), QStringList{});
}

} // namespace
