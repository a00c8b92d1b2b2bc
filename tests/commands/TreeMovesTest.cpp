#include "BranchWindow.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QStringList kTree{"Корень", "Корень/Лист", "Корень/Второй", "Другой", "Третий"};

// Every node of the window's tree as its path, in tree order.
QStringList treeInMemory(const TForm_Glavn& window) {
    QStringList paths;
    const auto visit = [&](const auto& self, const infobase::TTreeNode* node,
                           const QString& above) -> void {
        for (; node; node = node->getNextSibling()) {
            const QString path = above.isEmpty() ? node->Text() : above + '/' + node->Text();
            paths << path;
            self(self, node->getFirstChild(), path);
        }
    };
    visit(visit, window.TreeNodes.getFirstNode(), QString());
    return paths;
}

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

class TreeMoves : public ::testing::Test {
protected:
    BranchWindow program{kTree, {{"Корень", "корень"}, {"Другой", "другой"}}};
    TForm_Glavn& window = program.window();
    QTreeView* tree = window.TreeView1;

    QString treeFile() const { return program.program.path("Data/TreeView.dat"); }
    QModelIndex indexOf(const QString& path) {
        return window.TreeModel->indexOf(program.node(path));
    }

    void select(const QString& path) {
        tree->selectionModel()->setCurrentIndex(indexOf(path), QItemSelectionModel::ClearAndSelect);
    }
    QPoint onLabel(const QString& path) { return tree->visualRect(indexOf(path)).center(); }
    // Just inside the label's top edge: between it and the branch above.
    QPoint aboveLabel(const QString& path) {
        return tree->visualRect(indexOf(path)).topLeft() + QPoint(10, 1);
    }
    QPoint emptySpace() { return {40, tree->viewport()->height() - 5}; }

    // Drags the branch, as the view's own drag does (the press has selected it), to the point
    // of the tree's viewport; drops it there when the tree takes it. Returns whether it did.
    bool drag(const QString& path, QPoint at) {
        select(path);
        const std::unique_ptr<QMimeData> data(window.TreeModel->mimeData({indexOf(path)}));
        QWidget* viewport = tree->viewport();
        QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &move);
        if (!move.isAccepted()) {
            QDragLeaveEvent leave;
            QApplication::sendEvent(viewport, &leave);
            return false;
        }
        QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drop);
        settle();
        return true;
    }

    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QTest::keyClick(tree, key, modifiers);
        settle();
    }

    // The moved branch is the selected one and the panel and the panes are as the click on
    // "Другой" left them; the tree file holds what the window shows.
    void expectKept(const QString& selected) {
        EXPECT_EQ(window.TreeNodes.Selected(), program.node(selected)) << selected.toStdString();
        EXPECT_TRUE(tree->selectionModel()->isSelected(indexOf(selected)));
        EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Другой");
        EXPECT_EQ(window.Memo_opisanie->toPlainText(), "другой");
        EXPECT_EQ(program.treeFileNodes(), treeInMemory(window));
    }

    void SetUp() override {
        program.clickLabel("Другой");
        tree->expand(indexOf("Корень"));
        tree->setFocus();
        settle();
    }
};

TEST_F(TreeMoves, ADragLandsOnABranchBetweenBranchesOrBelowTheLast) {
    ASSERT_TRUE(drag("Другой", onLabel("Корень")));
    EXPECT_EQ(treeInMemory(window),
              (QStringList{"Корень", "Корень/Лист", "Корень/Второй", "Корень/Другой", "Третий"}));
    expectKept("Корень/Другой");

    ASSERT_TRUE(drag("Третий", aboveLabel("Корень/Второй")));
    EXPECT_EQ(treeInMemory(window), (QStringList{"Корень", "Корень/Лист", "Корень/Третий",
                                                 "Корень/Второй", "Корень/Другой"}));
    expectKept("Корень/Третий");

    // A branch with sub-branches, expanded: it goes whole and stays expanded.
    ASSERT_TRUE(drag("Корень/Лист", onLabel("Корень/Второй")));
    tree->expand(indexOf("Корень/Второй"));
    ASSERT_TRUE(drag("Корень/Второй", emptySpace()));
    EXPECT_EQ(treeInMemory(window),
              (QStringList{"Корень", "Корень/Третий", "Корень/Другой", "Второй", "Второй/Лист"}));
    expectKept("Второй");
    EXPECT_TRUE(tree->isExpanded(indexOf("Второй")));
    EXPECT_TRUE(program.messages().isEmpty()) << program.messages().join('|').toStdString();

    // Back between two top-level branches: the restarted program reads the same tree.
    ASSERT_TRUE(drag("Второй", aboveLabel("Корень")));
    const QStringList moved{"Второй", "Второй/Лист", "Корень", "Корень/Третий", "Корень/Другой"};
    EXPECT_EQ(program.treeFileNodes(), moved);
    program.program.window->close();
    program.program.window.reset();
    EXPECT_EQ(treeInMemory(program.program.start()), moved);
}

TEST_F(TreeMoves, ADragIntoItsOwnSubTreeIsRefused) {
    const QByteArray before = [&] {
        QFile file(treeFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    EXPECT_FALSE(drag("Корень", onLabel("Корень/Лист")));
    EXPECT_FALSE(drag("Корень", aboveLabel("Корень/Второй")));
    EXPECT_FALSE(drag("Корень", onLabel("Корень")));
    EXPECT_EQ(treeInMemory(window), kTree);
    QFile file(treeFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before) << "the tree file is not written";
}

TEST_F(TreeMoves, KeysMoveTheSelectedBranchOrDoNothing) {
    struct Step {
        const char* branch;
        Qt::Key key;
        QStringList tree; // empty: nothing moves
    };
    const Step steps[] = {
        {"Корень/Второй",
         Qt::Key_Up,
         {"Корень", "Корень/Второй", "Корень/Лист", "Другой", "Третий"}},
        {"Корень/Второй", Qt::Key_Up, {}},
        {"Корень/Второй",
         Qt::Key_Right,
         {"Корень", "Корень/Второй", "Корень/Лист", "Другой", "Третий"}},
        {"Корень/Лист",
         Qt::Key_Right,
         {"Корень", "Корень/Второй", "Корень/Второй/Лист", "Другой", "Третий"}},
        {"Корень/Второй/Лист", Qt::Key_Down, {}},
        {"Корень/Второй/Лист",
         Qt::Key_Left,
         {"Корень", "Корень/Второй", "Корень/Лист", "Другой", "Третий"}},
        {"Корень/Второй", Qt::Key_Left, {"Корень", "Корень/Лист", "Второй", "Другой", "Третий"}},
        {"Второй", Qt::Key_Left, {}},
        {"Третий", Qt::Key_Down, {}},
        {"Корень", Qt::Key_Down, {"Второй", "Корень", "Корень/Лист", "Другой", "Третий"}},
    };
    QStringList expected = kTree;
    for (const Step& step : steps) {
        SCOPED_TRACE(QStringLiteral("%1, key %2").arg(step.branch).arg(step.key).toStdString());
        const QString name = QString(step.branch).section('/', -1);
        select(step.branch);
        key(step.key);
        if (!step.tree.isEmpty()) {
            expected = step.tree;
        }
        EXPECT_EQ(treeInMemory(window), expected);
        const QString at = expected.filter(QRegularExpression("(^|/)" + name + "$")).first();
        expectKept(at);
    }
    EXPECT_TRUE(tree->isExpanded(indexOf("Корень"))) << "the moved branch stays expanded";
    EXPECT_TRUE(program.messages().isEmpty()) << program.messages().join('|').toStdString();

    // In a field the same keys move the caret, not the branch.
    window.Edit_Mame_Vetok->setFocus();
    QTest::keyClick(window.Edit_Mame_Vetok, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(treeInMemory(window), expected);
}

TEST_F(TreeMoves, TheTreeMenuIsReachedFromTheKeyboardAndOrdersSubBranches) {
    QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(window.PopupMenu_Tree);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->role(), QAccessible::PopupMenu);
    EXPECT_EQ(menu->text(QAccessible::Name), "Меню дерева");
    QStringList items;
    for (int i = 0; i < menu->childCount(); ++i) {
        if (menu->child(i)->role() == QAccessible::MenuItem) {
            items << menu->child(i)->text(QAccessible::Name);
        }
    }
    EXPECT_EQ(items, (QStringList{"Переместить вверх", "Переместить вниз", "На уровень выше",
                                  "На уровень ниже", "Упорядочить подветки по алфавиту",
                                  "Упорядочить подветки по алфавиту от Я до А",
                                  "Упорядочить верхний уровень по алфавиту",
                                  "Упорядочить верхний уровень от Я до А"}));

    select("Корень");
    key(Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(window.PopupMenu_Tree->isVisible());
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(window.PopupMenu_Tree, Qt::Key_Up); // from the last item: the ordering
    }
    QTest::keyClick(window.PopupMenu_Tree, Qt::Key_Return);
    settle();
    EXPECT_FALSE(window.PopupMenu_Tree->isVisible());
    EXPECT_EQ(treeInMemory(window),
              (QStringList{"Корень", "Корень/Второй", "Корень/Лист", "Другой", "Третий"}));
    expectKept("Корень");

    // The menu key opens it too, on its first item; its move acts on the selected branch.
    select("Третий");
    key(Qt::Key_Menu, Qt::NoModifier);
    ASSERT_TRUE(window.PopupMenu_Tree->isVisible());
    EXPECT_EQ(window.PopupMenu_Tree->activeAction(), window.N_vverh);
    QTest::keyClick(window.PopupMenu_Tree, Qt::Key_Return);
    settle();
    EXPECT_EQ(treeInMemory(window),
              (QStringList{"Корень", "Корень/Второй", "Корень/Лист", "Третий", "Другой"}));
    expectKept("Третий");
}

TEST(TreeSorts, NumbersAsNumbersBothWaysForSubBranchesAndTheTopLevel) {
    BranchWindow program{{"Заметки", "Заметки/Заметка 10", "Заметки/Заметка 2", "Заметки/Заметка 1",
                          "Заметки/Заметка 11", "Б", "А 10", "А 9"},
                         {}};
    TForm_Glavn& window = program.window();
    program.clickLabel("Заметки");
    const struct {
        QAction* command;
        QStringList tree;
    } sorts[] = {
        {window.N_po_alfavitu,
         {"Заметки", "Заметки/Заметка 1", "Заметки/Заметка 2", "Заметки/Заметка 10",
          "Заметки/Заметка 11", "Б", "А 10", "А 9"}},
        {window.N_po_alfavitu_obratno,
         {"Заметки", "Заметки/Заметка 11", "Заметки/Заметка 10", "Заметки/Заметка 2",
          "Заметки/Заметка 1", "Б", "А 10", "А 9"}},
        {window.N_verhniy_po_alfavitu,
         {"А 9", "А 10", "Б", "Заметки", "Заметки/Заметка 11", "Заметки/Заметка 10",
          "Заметки/Заметка 2", "Заметки/Заметка 1"}},
        {window.N_verhniy_obratno,
         {"Заметки", "Заметки/Заметка 11", "Заметки/Заметка 10", "Заметки/Заметка 2",
          "Заметки/Заметка 1", "Б", "А 10", "А 9"}},
    };
    for (const auto& sort : sorts) {
        SCOPED_TRACE(sort.command->text().toStdString());
        sort.command->trigger();
        settle();
        EXPECT_EQ(treeInMemory(window), sort.tree);
        EXPECT_EQ(program.treeFileNodes(), sort.tree);
        EXPECT_EQ(window.TreeNodes.Selected(), program.node("Заметки")) << "still selected";
        EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Заметки");
    }
    // Without a selected branch the top level is still ordered.
    window.TreeView1->selectionModel()->clear();
    window.N_verhniy_po_alfavitu->trigger();
    settle();
    EXPECT_EQ(treeInMemory(window).first(), "А 9");
    EXPECT_TRUE(program.messages().isEmpty()) << program.messages().join('|').toStdString();
}

TEST_F(TreeMoves, AFailedWriteTakesTheMoveBackAndReachesTheGeneralErrorReport) {
    // A folder where the tree file should be: the tree file cannot be replaced.
    ASSERT_TRUE(QFile::remove(treeFile()));
    ASSERT_TRUE(QDir().mkpath(treeFile()));
    select("Третий");
    key(Qt::Key_Up);
    ASSERT_TRUE(drag("Другой", onLabel("Корень")));
    select("Корень");
    key(Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(window.PopupMenu_Tree, Qt::Key_Up);
    QTest::keyClick(window.PopupMenu_Tree, Qt::Key_Return);
    settle();

    ASSERT_EQ(program.program.watch.seen.size(), 3) << program.messages().join('|').toStdString();
    for (const ModalWatch::Seen& seen : program.program.watch.seen) {
        EXPECT_EQ(seen.kind, "box");
        EXPECT_TRUE(seen.text.contains("TreeView.dat")) << seen.text.toStdString();
    }
    EXPECT_EQ(treeInMemory(window), kTree);
    EXPECT_EQ(window.TreeNodes.Selected(), program.node("Корень"));
}

// A drag ends with a release that the platform hands to the tree: it is no click, so the
// panes keep the branch they show.
TEST_F(TreeMoves, TheReleaseEndingADragIsNoClick) {
    QWidget* viewport = tree->viewport();
    const QPoint from = onLabel("Третий");
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, from + QPoint(0, -60));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(0, -60));
    settle();
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Другой");

    program.clickLabel("Третий");
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "Третий") << "a click still shows its branch";
}

} // namespace
