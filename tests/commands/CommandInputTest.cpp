// A click the user makes while a command works is dropped once the command has ended: applied
// then, it would land on the tree as the command left it, where its place may hold another
// branch. The click is queued as the window system queues a person's click.
#include "BranchWindow.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

namespace {

// Queues a left click at a point of the widget in the window system's queue, from which
// only an event loop that takes user input delivers it.
void queueUserClick(QWidget* widget, QPoint pos) {
    QWindow* window = widget->window()->windowHandle();
    const QPointF local = widget->mapTo(widget->window(), QPointF(pos));
    const QPointF global = widget->mapToGlobal(QPointF(pos));
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

// When the button first paints its waiting caption, queues a click on another branch.
class ClickWhileWaiting : public QObject {
public:
    ClickWhileWaiting(QToolButton* button, std::function<void()> click)
        : button_(button), click_(std::move(click)) {
        button->installEventFilter(this);
    }
    bool clicked = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !clicked &&
            button_->text() == QStringLiteral("Подождите.....")) {
            clicked = true;
            click_();
        }
        return false;
    }

private:
    QToolButton* button_;
    std::function<void()> click_;
};

TEST(CommandInput, AClickDuringADeleteNeverRunsOnTheChangedTree) {
    BranchWindow program({"Первая", "Вторая"}, {{"Первая"}, {"Вторая"}});
    TForm_Glavn& window = program.window();
    program.clickLabel("Вторая");

    // Where the tree stands when the queued click shows its branch.
    int nodesWhenShown = -1;
    QObject::connect(window.Edit_Mame_Vetok, &QLineEdit::textChanged, [&](const QString& text) {
        if (text == QStringLiteral("Первая")) {
            nodesWhenShown = window.TreeNodes.Count();
        }
    });
    const QRect first =
        window.TreeView1->visualRect(window.TreeModel->indexOf(program.node("Первая")));
    ClickWhileWaiting during(window.SpeedButton_Delete, [&] {
        queueUserClick(window.TreeView1->viewport(), first.topLeft() + QPoint(4, 4));
    });
    program.press(window.SpeedButton_Delete);
    ASSERT_TRUE(during.clicked);
    for (int i = 0; i < 5 && nodesWhenShown < 0; ++i) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(nodesWhenShown, -1) << "the click ran on the tree the delete changed";
    EXPECT_EQ(program.recordNames(), QStringList{"Первая"});
    EXPECT_EQ(program.treeFileNodes(), QStringList{"Первая"});
}

TEST(CommandInput, AClickOnARowThatMovesDuringADeleteSelectsNothing) {
    BranchWindow program({"A", "B", "C"}, {{"A", "a"}, {"B", "b"}, {"C", "c"}});
    TForm_Glavn& window = program.window();
    program.clickLabel("A");
    // B's row; once A is gone it is C's.
    const QRect rowOfB = window.TreeView1->visualRect(window.TreeModel->indexOf(program.node("B")));
    ClickWhileWaiting during(window.SpeedButton_Delete, [&] {
        queueUserClick(window.TreeView1->viewport(), rowOfB.topLeft() + QPoint(4, 4));
    });
    program.press(window.SpeedButton_Delete);
    ASSERT_TRUE(during.clicked);
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
    EXPECT_NE(window.TreeNodes.Selected(), program.node("C"));
    EXPECT_NE(window.Edit_Mame_Vetok->text(), "C");
    EXPECT_NE(window.Memo_opisanie->toPlainText(), "c");
    EXPECT_EQ(program.recordNames(), (QStringList{"B", "C"}));
    EXPECT_EQ(program.treeFileNodes(), (QStringList{"B", "C"}));
}

} // namespace
