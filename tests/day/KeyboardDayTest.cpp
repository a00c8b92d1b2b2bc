// A user's day with the keyboard alone: no pointer event reaches the program. The first start,
// the connect, the branch panel from the main menu, branches and a sub-branch, a rename and a
// new description of a branch chosen with the arrows, a file attached by typing its path and
// opened, a text written and saved, an export, a backup, the search, moves and the ordering,
// the about window, the close and a second start; then the data files are read back.
#include "ProgramFolder.h"
#include "infobase/store/RecordStore.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/tree/TreeNodes.h"
#include "infobase/tree/TreeViewState.h"
#include "platform/DesktopServices.h"
#include "skin/qsMessageForm.h"
#include "skin/qsSkinStdLabel.h"
#include "ui/Form_Glavn.h"
#include "ui/Form_ob_prilojenii.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// The widget a key goes to: an open menu, else the widget with the focus.
QWidget* keyTarget() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        return popup;
    }
    return QApplication::focusWidget();
}

void key(Qt::Key pressed, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = keyTarget();
    ASSERT_NE(target, nullptr) << "no widget has the focus";
    QTest::keyClick(target, pressed, modifiers);
    QTest::qWait(20);
}

void typeText(const QString& text) {
    for (const QChar c : text) {
        if (c == u'\n') {
            key(Qt::Key_Return);
        } else {
            QTest::sendKeyEvent(QTest::Click, keyTarget(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
    }
    QTest::qWait(20);
}

// Tab until `widget` has the focus (at most a round of the window's controls).
void tabTo(QWidget* widget) {
    for (int i = 0; i < 30 && QApplication::focusWidget() != widget; ++i) {
        key(Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), widget) << widget->objectName().toStdString();
}

// The person at the keyboard: answers each message with Enter; in a file dialog types the
// prepared path into the name field (choosing the file type with the keys when the typed
// name is not of the kind shown) and presses Enter.
class KeyboardPerson : public QObject {
public:
    KeyboardPerson() {
        poll_.setInterval(20);
        connect(&poll_, &QTimer::timeout, this, &KeyboardPerson::look);
        poll_.start();
    }

    QStringList messages;
    QStringList fileAnswers;

    QStringList take() {
        QStringList taken = messages;
        messages.clear();
        return taken;
    }

private:
    void look() {
        if (busy_) {
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || !modal->isActiveWindow()) {
            return;
        }
        busy_ = true;
        if (auto* message = qobject_cast<TqsMessageForm*>(modal)) {
            if (modal != answered_) {
                answered_ = modal;
                messages << message->Message->Caption();
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal);
                   dialog != nullptr && modal != answered_ && !fileAnswers.isEmpty()) {
            answered_ = modal;
            answerFileDialog(dialog, fileAnswers.takeFirst());
        }
        busy_ = false;
    }

    static void answerFileDialog(QFileDialog* dialog, const QString& path) {
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        const QString suffix = QFileInfo(path).suffix().toUpper();
        if (dialog->acceptMode() == QFileDialog::AcceptOpen &&
            !types->currentText().startsWith(suffix)) {
            for (int i = 0; i < 30 && QApplication::focusWidget() != types; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            for (int i = 0; i < types->count() && !types->currentText().startsWith(suffix); ++i) {
                QTest::keyClick(types, Qt::Key_Down);
            }
            for (int i = 0; i < 30 && QApplication::focusWidget() != name; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
        }
        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        for (const QChar c : path) {
            QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        // The dialog's default button follows the typed name once its listing holds it.
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QPushButton* accept = buttons->button(dialog->acceptMode() == QFileDialog::AcceptOpen
                                                  ? QDialogButtonBox::Open
                                                  : QDialogButtonBox::Save);
        EXPECT_TRUE(QTest::qWaitFor([accept] { return accept->isEnabled(); }, 3000))
            << path.toStdString();
        QTest::keyClick(name, Qt::Key_Return);
    }

    QTimer poll_;
    QPointer<QWidget> answered_;
    bool busy_ = false;
};

// Walks the tree with the arrows (Down, and Right to open a branch) until `name` is the
// current branch, then presses Enter to show it.
void showWithArrows(TForm_Glavn& window, const QString& name) {
    QTreeView* tree = window.TreeView1;
    tabTo(tree);
    key(Qt::Key_Home);
    for (int i = 0; i < 40 && tree->currentIndex().data().toString() != name; ++i) {
        if (tree->model()->hasChildren(tree->currentIndex()) &&
            !tree->isExpanded(tree->currentIndex())) {
            key(Qt::Key_Right);
        } else {
            key(Qt::Key_Down);
        }
    }
    ASSERT_EQ(tree->currentIndex().data().toString(), name);
    key(Qt::Key_Return);
}

// Opens the main menu with Alt and takes its item `index` (0 the first) with the arrows;
// `sub` > 0 goes that many items down in the menu that opens.
void mainMenu(int index, int sub = -1) {
    key(Qt::Key_Alt);
    auto* bar = qobject_cast<QMenuBar*>(QApplication::focusWidget());
    ASSERT_NE(bar, nullptr) << "Alt puts the focus on the menu bar";
    for (int i = 0; i < index; ++i) {
        key(Qt::Key_Right);
    }
    if (sub < 0) {
        key(Qt::Key_Return);
        return;
    }
    key(Qt::Key_Down);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    for (int i = 0; i < sub; ++i) {
        key(Qt::Key_Down);
    }
    key(Qt::Key_Return);
}

QStringList nodePaths(const infobase::TTreeNode* node, const QString& path = {}) {
    QStringList paths;
    for (; node != nullptr; node = node->getNextSibling()) {
        paths << path + node->Text()
              << nodePaths(node->getFirstChild(), path + node->Text() + u'/');
    }
    return paths;
}

QStringList treeFilePaths(const QString& file) {
    infobase::TreeViewState state;
    infobase::TTreeNodes nodes;
    infobase::readTreeFile(file, state, nodes);
    return nodePaths(nodes.getFirstNode());
}

class PointerAlarm : public QObject {
public:
    int seen = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            ++seen;
            break;
        default:
            break;
        }
        return false;
    }
};

const QByteArray kContract =
    "%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\ntrailer << >>\n%%EOF\n";

TEST(KeyboardDay, EveryCommandWithoutThePointer) {
    ProgramFolder program;
    program.createBase();
    program.watch.stop();
    const QString contractFile = program.path(QStringLiteral("Договор аренды.pdf"));
    const QString exportFile = program.path(QStringLiteral("Отпуск.docx"));
    program.writeFile(QStringLiteral("Договор аренды.pdf"), kContract);
    QStringList opened;
    platform::ScopedDesktopServices desktop({{}, {}, [&](const QString& path) {
                                                 opened << path;
                                                 return QStringList{QStringLiteral("true")};
                                             }});
    PointerAlarm pointer;
    qApp->installEventFilter(&pointer);
    KeyboardPerson person;

    // --- First start: the message is answered with Enter, the connect button has the focus.
    TForm_Glavn& window = program.start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !person.messages.isEmpty(); }, 3000));
    EXPECT_TRUE(person.take().first().startsWith(QStringLiteral("Возможно Вы в первый раз")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeModalWidget() == nullptr; }));
    ASSERT_EQ(QApplication::focusWidget(), window.Button_podluchit_bazy);
    key(Qt::Key_Space);
    ASSERT_TRUE(window.Store.Connected());
    EXPECT_EQ(QApplication::focusWidget(), window.TreeView1) << "the tree takes the focus";

    // --- The panel from the main menu: "Панель работы с ветками дерева" → "Показать".
    mainMenu(0, 0);
    ASSERT_TRUE(window.GroupBox_Rab_Vet_Tree->isVisible());

    // --- Two branches, typed and added with Insert from the fields.
    tabTo(window.Edit_Mame_Vetok);
    typeText(QStringLiteral("Отпуск"));
    tabTo(window.Memo_opisanie);
    typeText(QStringLiteral("Лето 2026"));
    key(Qt::Key_Insert);
    tabTo(window.Edit_Mame_Vetok);
    typeText(QStringLiteral("Документы"));
    key(Qt::Key_Insert);
    // --- Sub-branches of a branch chosen with the arrows: one through its button and Space,
    // one with Alt+Insert from the name field; then a branch by Enter on its button.
    showWithArrows(window, QStringLiteral("Документы"));
    tabTo(window.Edit_Mame_Vetok);
    typeText(QStringLiteral("Договор"));
    tabTo(window.SpeedButton_vvod_podvetki);
    key(Qt::Key_Space);
    tabTo(window.Edit_Mame_Vetok);
    typeText(QStringLiteral("Акт"));
    key(Qt::Key_Insert, Qt::AltModifier);
    tabTo(window.Edit_Mame_Vetok);
    typeText(QStringLiteral("Черновик"));
    tabTo(window.SpeedButton_vvod_vetki);
    key(Qt::Key_Return);
    EXPECT_TRUE(person.take().isEmpty());

    // --- Rename with F2 and a new description with F4, on the branch shown with Enter.
    showWithArrows(window, QStringLiteral("Черновик"));
    tabTo(window.Edit_Mame_Vetok);
    typeText(QStringLiteral("Заметки"));
    key(Qt::Key_F2);
    showWithArrows(window, QStringLiteral("Отпуск"));
    tabTo(window.Memo_opisanie);
    key(Qt::Key_A, Qt::ControlModifier);
    typeText(QStringLiteral("Лето 2026, море"));
    key(Qt::Key_F4);
    EXPECT_EQ(person.take(), QStringList{QStringLiteral("Отредактировано!")});

    // --- The contract attached by typing its path (Ctrl+O), then opened (Ctrl+Shift+O).
    showWithArrows(window, QStringLiteral("Договор"));
    person.take(); // not a picture: the display says so
    person.fileAnswers << contractFile;
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(person.take(), QStringList{QStringLiteral("Файл добавлен в базу!")});
    key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(opened, QStringList{program.path(QStringLiteral("Temp/Dokument.pdf"))});

    // --- A text for the holiday: Ctrl+T opens the pane, its menu saves and exports.
    showWithArrows(window, QStringLiteral("Отпуск"));
    key(Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(window.RichEdit->isVisible());
    tabTo(window.RichEdit);
    key(Qt::Key_A, Qt::ControlModifier);
    typeText(QStringLiteral("Море и горы"));
    key(Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_EQ(menu, window.PopupMenu_Text);
    EXPECT_EQ(menu->activeAction(), window.Word1) << "the menu opens on its first item";
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(person.take(), QStringList{QStringLiteral("Сохранено.")});
    person.fileAnswers << exportFile;
    key(Qt::Key_F10, Qt::ShiftModifier);
    key(Qt::Key_Return);
    QTest::qWait(100);
    EXPECT_TRUE(QFileInfo::exists(exportFile));

    // --- The backup: the main menu's third item.
    mainMenu(2);
    EXPECT_EQ(person.take(), QStringList{QStringLiteral("Копии файлов баз дерева\r"
                                                        "скопированы в папку Backup copies.")});

    // --- The search finds the text and shows its branch.
    key(Qt::Key_F, Qt::ControlModifier);
    typeText(QStringLiteral("горы"));
    QTest::qWait(200);
    key(Qt::Key_Return);
    EXPECT_EQ(window.TreeNodes.Selected()->Text(), QStringLiteral("Отпуск"));
    key(Qt::Key_Escape);

    // --- Moves and the ordering: "Отпуск" goes down, then the sub-branches of "Документы" are
    // put in order from the tree's menu.
    tabTo(window.TreeView1);
    key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(
        treeFilePaths(program.path(QStringLiteral("Data/TreeView.dat"))),
        (QStringList{"Документы", "Документы/Договор", "Документы/Акт", "Отпуск", "Заметки"}));
    showWithArrows(window, QStringLiteral("Документы"));
    key(Qt::Key_Up, Qt::ControlModifier); // already first: nothing changes
    key(Qt::Key_F10, Qt::ShiftModifier);
    for (int i = 0; i < 4; ++i) {
        key(Qt::Key_Down);
    }
    EXPECT_EQ(window.PopupMenu_Tree->activeAction(), window.N_po_alfavitu);
    key(Qt::Key_Return);
    EXPECT_EQ(
        treeFilePaths(program.path(QStringLiteral("Data/TreeView.dat"))),
        (QStringList{"Документы", "Документы/Акт", "Документы/Договор", "Отпуск", "Заметки"}));

    // --- Delete with Delete on the tree.
    showWithArrows(window, QStringLiteral("Заметки"));
    key(Qt::Key_Delete);
    EXPECT_TRUE(person.take().isEmpty());

    // --- The about window, closed with Escape.
    mainMenu(1);
    ASSERT_TRUE(window.Form_ob_prilojenii->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.Form_ob_prilojenii));
    key(Qt::Key_Escape);
    EXPECT_FALSE(window.Form_ob_prilojenii->isVisible());

    // --- The close (Alt+F4 is the window system's: it asks the window to close).
    window.close();
    QTest::qWait(50);
    EXPECT_EQ(person.take(), QStringList{QStringLiteral("Мусор удален.")});
    program.window.reset();

    // --- The second start: connect, panel, everything where it was left.
    TForm_Glavn& again = program.start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&again));
    ASSERT_EQ(QApplication::focusWidget(), again.Button_podluchit_bazy);
    key(Qt::Key_Return);
    ASSERT_TRUE(again.Store.Connected());
    mainMenu(0, 0);
    showWithArrows(again, QStringLiteral("Отпуск"));
    EXPECT_EQ(again.RichEdit->toPlainText(), QStringLiteral("Море и горы"));
    EXPECT_EQ(again.Memo_opisanie->toPlainText(), QStringLiteral("Лето 2026, море"));
    again.close();
    QTest::qWait(50);
    program.window.reset();
    qApp->removeEventFilter(&pointer);
    EXPECT_EQ(pointer.seen, 0) << "no pointer event reached the program";

    // --- The data files.
    EXPECT_EQ(treeFilePaths(program.path(QStringLiteral("Data/TreeView.dat"))),
              (QStringList{"Документы", "Документы/Акт", "Документы/Договор", "Отпуск"}));
    infobase::RecordStore store;
    store.connect(program.path(QStringLiteral("Data/Quorlent.mdb")));
    infobase::BranchQuery& records = store.Query_Glav;
    EXPECT_EQ(records.RecordCount(), 4);
    ASSERT_TRUE(records.LocateOwn(QStringLiteral("Отпуск")));
    EXPECT_EQ(records.FieldByName("Texty").AsString(), QStringLiteral("Море и горы"));
    EXPECT_EQ(records.FieldByName("Opisanie").AsString(), QStringLiteral("Лето 2026, море"));
    ASSERT_TRUE(records.LocateOwn(QStringLiteral("Договор")));
    EXPECT_EQ(records.FieldByName("RashirenieFile").AsInteger(), 3);
    EXPECT_FALSE(records.LocateOwn(QStringLiteral("Заметки")));
    EXPECT_FALSE(records.LocateOwn(QStringLiteral("Черновик")));
    EXPECT_TRUE(QFileInfo::exists(program.path(QStringLiteral("Backup copies/TreeView.dat"))));
}

} // namespace
