// What a screen reader finds in every window of the program: each control a user can reach
// has a Russian name, the names follow what the window shows, and the tree tells each
// branch's level, place and sub-branches and announces its changes.
#include "BranchWindow.h"
#include "ui/Form_Glavn.h"
#include "ui/Form_ob_prilojenii.h"
#include "ui/PictureView.h"
#include "ui/SearchBar.h"
#include "ui/TextFontDialog.h"
#include "ui/TreeAccessibility.h"
#include "ui/TreeModelAdapter.h"

#include <QAccessible>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>

namespace {

bool interactive(QAccessibleInterface* object) {
    switch (object->role()) {
    // The items of lists and trees are named by what they hold (file names, branch names).
    case QAccessible::ListItem:
    case QAccessible::TreeItem:
    case QAccessible::Cell:
    case QAccessible::ColumnHeader:
    case QAccessible::RowHeader:
    case QAccessible::ScrollBar:
    case QAccessible::Separator:
        return false;
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::MenuItem:
    case QAccessible::PageTab:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
        return true;
    default:
        return object->state().focusable;
    }
}

// Every control under `root` that is on screen and can be used, without a name in Russian:
// "role 'name'" (the class of its object).
void collectUnnamed(QAccessibleInterface* root, QStringList& unnamed, int depth = 0) {
    if (root == nullptr || depth > 30) {
        return;
    }
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        if (child == nullptr || child->state().invisible) {
            continue;
        }
        static const QRegularExpression russian(QStringLiteral("[А-Яа-яЁё]"));
        QString name = child->text(QAccessible::Name);
        // A list to choose from is named by its value; the reader says its label with it.
        for (const auto& [label, relation] : child->relations(QAccessible::Label)) {
            name += u' ' + label->text(QAccessible::Name);
        }
        if (interactive(child) && !name.contains(russian)) {
            unnamed << QStringLiteral("%1 '%2' (%3)")
                           .arg(int(child->role()), 0, 16)
                           .arg(name, child->object()
                                          ? QString::fromLatin1(
                                                child->object()->metaObject()->className()) +
                                                u' ' + child->object()->objectName()
                                          : QStringLiteral("-"));
        }
        collectUnnamed(child, unnamed, depth + 1);
    }
}

QStringList unnamedIn(QObject* window) {
    QStringList unnamed;
    collectUnnamed(QAccessible::queryAccessibleInterface(window), unnamed);
    return unnamed;
}

// Runs `walk` on the modal window of type T once it is up, then closes it.
template <typename T> void whileModal(const std::function<void(T*)>& walk) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, walk] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            QTest::qWait(100); // the file list is filled by a thread of its own
            walk(dialog);
            dialog->reject();
        }
    });
    poll->start();
}

QString accessibleName(QObject* object) {
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

TEST(AccessibilityWalk, EveryWindowAndStateHasRussianNames) {
    BranchWindow program(
        {QStringLiteral("Отпуск"), QStringLiteral("Документы"),
         QStringLiteral("Документы/Договор")},
        {{QStringLiteral("Отпуск"), QStringLiteral("Лето"), QStringLiteral("Море")},
         {QStringLiteral("Документы")},
         {QStringLiteral("Договор")}});
    TForm_Glavn& window = program.window();

    EXPECT_EQ(unnamedIn(&window), QStringList{}) << "the panel";
    program.clickLabel(QStringLiteral("Отпуск"));
    EXPECT_EQ(unnamedIn(&window), QStringList{}) << "a branch with its text";
    QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);
    program.clickLabel(QStringLiteral("Документы/Договор"));
    EXPECT_EQ(unnamedIn(&window), QStringList{}) << "a branch with its picture pane";

    // The menus, as they open.
    for (QMenu* menu :
         {window.PopupMenu_Tree, window.PopupMenu_Text, window.PopupMenu_Image, window.N1}) {
        menu->popup(window.mapToGlobal(QPoint(100, 100)));
        EXPECT_EQ(unnamedIn(menu), QStringList{}) << menu->objectName().toStdString();
        menu->hide();
    }

    // The search window with results.
    window.N_poisk->trigger();
    SearchBar& search = *window.SearchBar1;
    search.field()->setText(QStringLiteral("о"));
    QTest::qWait(100);
    EXPECT_EQ(unnamedIn(&search), QStringList{}) << "the search window";
    search.close();

    // The file dialog, the font dialog and the colour dialog it opens, the message window.
    QStringList inDialogs;
    program.program.writeFile(QStringLiteral("Договор аренды.pdf"), "%PDF-1.4\n%%EOF\n");
    whileModal<QFileDialog>([&](QFileDialog* dialog) {
        inDialogs << unnamedIn(dialog);
        // A folder's kind is in Russian too.
        auto* files = dialog->findChild<QFileSystemModel*>();
        const QModelIndex data = files->index(dialog->directory().filePath(QStringLiteral("Data")));
        EXPECT_EQ(data.siblingAtColumn(2).data().toString(), QStringLiteral("Папка"));
        // The size, kind and date of each file are shown whole.
        auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        for (int column = 1; column < list->model()->columnCount(list->rootIndex()); ++column) {
            EXPECT_GE(list->columnWidth(column),
                      static_cast<QAbstractItemView*>(list)->sizeHintForColumn(column))
                << column;
        }
    });
    program.press(window.SpeedButton_File);
    program.forgetMessages();
    whileModal<TextFontDialog>([&](TextFontDialog* dialog) { inDialogs << unnamedIn(dialog); });
    window.N10->trigger();
    program.program.watch.onShown = [&](QWidget* message) { inDialogs << unnamedIn(message); };
    window.showMessage(QStringLiteral("Проверка"));
    program.program.watch.onShown = {};
    EXPECT_EQ(inDialogs, QStringList{}) << "the dialogs";

    window.N2->trigger();
    EXPECT_EQ(unnamedIn(window.Form_ob_prilojenii), QStringList{}) << "the about window";
    window.Form_ob_prilojenii->close();
}

TEST(AccessibilityWalk, NamesFollowWhatIsShown) {
    BranchWindow program({QStringLiteral("Отпуск"), QStringLiteral("Заметки")},
                         {{QStringLiteral("Отпуск"), QStringLiteral("Лето")},
                          {QStringLiteral("Заметки"), {}, QStringLiteral("Море и горы")}});
    TForm_Glavn& window = program.window();

    program.clickLabel(QStringLiteral("Отпуск"));
    EXPECT_EQ(accessibleName(window.Image1), QStringLiteral("Картинка ветки «Отпуск»"));
    program.clickLabel(QStringLiteral("Заметки"));
    EXPECT_EQ(accessibleName(window.RichEdit), QStringLiteral("Текст ветки «Заметки»"));
    window.Edit_Mame_Vetok->setText(QStringLiteral("Записи"));
    program.press(window.SpeedButton3);
    EXPECT_EQ(accessibleName(window.RichEdit), QStringLiteral("Текст ветки «Записи»"))
        << "a rename renames the pane";

    window.N_poisk->trigger();
    SearchBar& search = *window.SearchBar1;
    search.field()->setText(QStringLiteral("о"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !search.count()->text().isEmpty(); }));
    EXPECT_EQ(accessibleName(search.count()), search.count()->text());
    EXPECT_TRUE(search.count()->text().startsWith(QStringLiteral("Найдено: ")));
    search.close();

    TextFontDialog& fonts = *window.FontDialog;
    const struct {
        QColor colour;
        const char* name;
    } colours[] = {{Qt::black, "Цвет: чёрный"},
                   {Qt::red, "Цвет: красный"},
                   {QColor(10, 20, 30), "Цвет: красный 10, зелёный 20, синий 30"}};
    for (const auto& c : colours) {
        fonts.setCurrentColor(c.colour);
        EXPECT_EQ(accessibleName(fonts.colourButton()), QString::fromUtf8(c.name));
    }
    fonts.setCurrentColor(Qt::black);
}

// What the tree tells the reader while the user works: "Focus Отпуск", "StateChanged
// Документы", ...
class Announcements {
public:
    explicit Announcements(QTreeView* tree) {
        auto* reader = tree->findChild<TreeAccessibility*>();
        QObject::connect(reader, &TreeAccessibility::announced, reader,
                         [this](QAccessible::Event what, const QModelIndex& item) {
                             const char* kind = what == QAccessible::Focus ? "Focus"
                                                : what == QAccessible::StateChanged
                                                    ? "StateChanged"
                                                    : "DescriptionChanged";
                             items << QString::fromLatin1(kind) + u' ' + item.data().toString();
                         });
    }

    QStringList items;
};

QAccessibleInterface* treeItem(QTreeView* tree, const QString& name) {
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(tree);
    for (int i = 0; i < view->childCount(); ++i) {
        QAccessibleInterface* item = view->child(i);
        if (item->role() == QAccessible::TreeItem && item->text(QAccessible::Name) == name) {
            return item;
        }
    }
    return nullptr;
}

TEST(AccessibilityWalk, TheTreeTellsLevelPlaceAndSubBranches) {
    BranchWindow program({QStringLiteral("Отпуск"), QStringLiteral("Документы"),
                          QStringLiteral("Документы/Договор"), QStringLiteral("Документы/Акт")},
                         {});
    TForm_Glavn& window = program.window();
    QTreeView* tree = window.TreeView1;
    Announcements heard(tree);

    // Tabbing into a tree without a selection selects and announces a branch.
    window.TreeView1->clearSelection();
    window.Edit_Mame_Vetok->setFocus();
    QTest::keyClick(window.Edit_Mame_Vetok, Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(tree->hasFocus());
    ASSERT_NE(window.TreeNodes.Selected(), nullptr);
    const QString first = window.TreeNodes.Selected()->Text();
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.items.contains("Focus " + first); }))
        << heard.items.join(", ").toStdString();

    const auto description = [&](const QString& name) {
        QAccessibleInterface* item = treeItem(tree, name);
        return item ? item->text(QAccessible::Description) : QStringLiteral("not shown");
    };
    EXPECT_EQ(description(QStringLiteral("Отпуск")),
              QStringLiteral("Уровень 1, 1 из 2, без подветок"));
    EXPECT_EQ(description(QStringLiteral("Документы")),
              QStringLiteral("Уровень 1, 2 из 2, подветок: 2, свёрнута"));

    heard.items.clear();
    tree->expand(window.TreeModel->indexOf(program.node(QStringLiteral("Документы"))));
    EXPECT_TRUE(heard.items.contains(QStringLiteral("StateChanged Документы")))
        << heard.items.join(", ").toStdString();
    EXPECT_TRUE(treeItem(tree, QStringLiteral("Документы"))->state().expanded);
    EXPECT_EQ(description(QStringLiteral("Документы")),
              QStringLiteral("Уровень 1, 2 из 2, подветок: 2, раскрыта"));
    EXPECT_EQ(description(QStringLiteral("Акт")),
              QStringLiteral("Уровень 2, 2 из 2, без подветок"));

    // A move: the branch is read again at its new place.
    program.clickLabel(QStringLiteral("Документы/Акт"));
    tree->setFocus();
    heard.items.clear();
    QTest::keyClick(tree, Qt::Key_Up, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.items.contains(QStringLiteral("Focus Акт")); }))
        << heard.items.join(", ").toStdString();
    EXPECT_EQ(description(QStringLiteral("Акт")),
              QStringLiteral("Уровень 2, 1 из 2, без подветок"));

    heard.items.clear();
    tree->collapse(window.TreeModel->indexOf(program.node(QStringLiteral("Документы"))));
    EXPECT_TRUE(heard.items.contains(QStringLiteral("StateChanged Документы")));
}

} // namespace
