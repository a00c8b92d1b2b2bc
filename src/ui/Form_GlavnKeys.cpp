// The window from the keyboard: the connect button and the panel's buttons are reached by
// Tab in the order they stand and pressed by Enter or Space; each branch command has a key
// that works while the tree or the panel has the focus; Enter on a branch shows it as a
// click does; after the connect the focus goes to the tree.
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/TreeAccessibility.h"
#include "ui/TreeModelAdapter.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>

namespace {

bool isEnter(const QKeyEvent* key) {
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Enter presses the button that has the focus, as Space does.
class EnterPressesButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !isEnter(static_cast<QKeyEvent*>(event))) {
            return false;
        }
        static_cast<QToolButton*>(watched)->click();
        return true;
    }
};

// Enter on the tree's branch does what a click on it does.
class EnterShowsBranch : public QObject {
public:
    explicit EnterShowsBranch(TForm_Glavn* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !isEnter(static_cast<QKeyEvent*>(event))) {
            return false;
        }
        window_->TreeView1Click();
        return true;
    }

private:
    TForm_Glavn* window_;
};

} // namespace

void TForm_Glavn::createCommandKeys() {
    const struct {
        QToolButton* button;
        QKeySequence keys;
    } commands[] = {
        {SpeedButton_vvod_vetki, QKeySequence(Qt::Key_Insert)},
        {SpeedButton_vvod_podvetki, QKeySequence(Qt::ALT | Qt::Key_Insert)},
        {SpeedButton_File, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {SpeedButton4, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {SpeedButton1, QKeySequence(Qt::CTRL | Qt::Key_T)},
        {SpeedButton_zam_opisanie_podvetki, QKeySequence(Qt::Key_F4)},
        {SpeedButton_Delete, QKeySequence(Qt::Key_Delete)},
        {SpeedButton3, QKeySequence(Qt::Key_F2)},
    };
    auto* enterPresses = new EnterPressesButton(this);
    Button_podluchit_bazy->installEventFilter(enterPresses);
    for (const auto& command : commands) {
        QToolButton* button = command.button;
        button->installEventFilter(enterPresses);
        const QString keyName = command.keys.toString(QKeySequence::NativeText);
        button->setToolTip(button->text().trimmed() + QStringLiteral(" (") + keyName +
                           QStringLiteral(")"));
        button->setAccessibleDescription(QStringLiteral("Клавиша ") + keyName);

        // One action for both places. In the fields a key that edits text (Delete) stays the
        // field's: the field claims it before any shortcut. The other keys edit no text, so
        // that a name typed into the field is added or renamed without leaving it.
        auto* key = new QAction(button);
        key->setShortcut(command.keys);
        key->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        TreeView1->addAction(key);
        GroupBox_Rab_Vet_Tree->addAction(key);
        connect(key, &QAction::triggered, button, [button] {
            // The panel's commands work on what the panel shows: with the panel hidden the
            // key does nothing.
            if (button->isVisible() && button->isEnabled()) {
                button->click();
            } else {
                QApplication::beep();
            }
        });
    }

    // Tab goes through the controls in the order they stand: the tree, then the panel from
    // top to bottom, then the pane at the right.
    QWidget* const order[] = {Button_podluchit_bazy,
                              TreeView1,
                              Edit_Mame_Vetok,
                              SpeedButton_vvod_vetki,
                              SpeedButton_vvod_podvetki,
                              Memo_opisanie,
                              SpeedButton_File,
                              SpeedButton4,
                              SpeedButton1,
                              SpeedButton_zam_opisanie_podvetki,
                              SpeedButton_Delete,
                              SpeedButton3,
                              RichEdit,
                              Image1};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    TreeView1->installEventFilter(new EnterShowsBranch(this));
    new TreeAccessibility(TreeView1, TreeModel.get());

    // A rename or a delete changes whose picture and text the panes hold.
    connect(TreeModel.get(), &QAbstractItemModel::dataChanged, this, &TForm_Glavn::nameShownPanes);
    connect(TreeModel.get(), &QAbstractItemModel::rowsRemoved, this, &TForm_Glavn::nameShownPanes);
    connect(TreeModel.get(), &QAbstractItemModel::modelReset, this, &TForm_Glavn::nameShownPanes);

    // The connect button goes away with a successful connect: the tree takes the focus.
    connect(Button_podluchit_bazy, &QToolButton::clicked, this, [this] {
        if (Store.Connected() && TreeView1->isVisible()) {
            TreeView1->setFocus(Qt::OtherFocusReason);
        }
    });
}
