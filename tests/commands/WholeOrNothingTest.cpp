// A tree command whose record cannot be written changes nothing, and leaves nothing behind
// that a later command could post or drop.
#include "BranchWindow.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "ui/Form_Glavn.h"

#include <QAction>
#include <QLineEdit>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Another connection holding the base's exclusive lock: the program's writes wait for it,
// then are refused with "database is locked".
class BaseLock {
public:
    explicit BaseLock(const ProgramFolder& folder)
        : base_(infobase::SqlcipherConnection::open(folder.path("Data/Quorlent.mdb"),
                                                    infobase::branch_table::kPassword, {})) {
        base_.execute("BEGIN EXCLUSIVE");
    }
    void release() { base_.execute("ROLLBACK"); }

private:
    infobase::SqlcipherConnection base_;
};

class WholeOrNothing : public ::testing::Test {
protected:
    BranchWindow program{{"A", "B"}, {{"A", "a"}, {"B", "b"}}};
    TForm_Glavn& window = program.window();

    QStringList treeInMemory() {
        QStringList names;
        for (int i = 0; i < window.TreeNodes.TopCount(); ++i) {
            names << window.TreeNodes.TopItem(i)->Text();
        }
        return names;
    }
    void expectAgreeing(const QStringList& names) {
        EXPECT_EQ(treeInMemory(), names);
        EXPECT_EQ(program.treeFileNodes(), names);
        EXPECT_EQ(program.recordNames(), names);
    }
};

TEST_F(WholeOrNothing, ARefusedAddLeavesNothingThatAFailedTextSaveCouldDrop) {
    BaseLock lock(program.program);
    window.Edit_Mame_Vetok->setText("L1");
    program.press(window.SpeedButton_vvod_vetki);
    ASSERT_EQ(program.program.watch.seen.size(), 1);
    EXPECT_EQ(program.program.watch.seen[0].text, "database is locked");
    EXPECT_EQ(treeInMemory(), (QStringList{"A", "B"}));
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "L1");

    program.clickLabel("A");
    window.RichEdit->setPlainText("текст");
    window.N5->trigger();
    EXPECT_EQ(program.messages().last(), "Не удалось сохранить.");
    lock.release();

    window.Edit_Mame_Vetok->setText("L2");
    program.press(window.SpeedButton_vvod_vetki);
    expectAgreeing({"A", "B", "L2"});
    EXPECT_EQ(program.column("A", "Texty"), "");
}

TEST_F(WholeOrNothing, ARefusedRenameIsNeverPostedLater) {
    program.clickLabel("B");
    BaseLock lock(program.program);
    window.Edit_Mame_Vetok->setText("B2");
    program.press(window.SpeedButton3);
    ASSERT_EQ(program.program.watch.seen.size(), 1);
    EXPECT_EQ(program.program.watch.seen[0].text, "database is locked");
    EXPECT_EQ(treeInMemory(), (QStringList{"A", "B"}));
    lock.release();

    program.clickLabel("A");
    window.Edit_Mame_Vetok->setText("C");
    program.press(window.SpeedButton_vvod_vetki);
    expectAgreeing({"A", "B", "C"});
    EXPECT_EQ(program.column("B", "Opisanie"), "b");
}

TEST_F(WholeOrNothing, ARefusedDeleteKeepsTheBranch) {
    program.clickLabel("A");
    BaseLock lock(program.program);
    program.press(window.SpeedButton_Delete);
    EXPECT_EQ(program.program.watch.seen.last().text, "database is locked");
    lock.release();
    expectAgreeing({"A", "B"});
    program.clickLabel("A");
    program.press(window.SpeedButton_Delete);
    expectAgreeing({"B"});
}

} // namespace
