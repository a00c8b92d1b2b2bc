// The main menu and the context menus of the two panes, with their pictures from the
// image list.
#include "ui/DividerMenuStyle.h"
#include "ui/Form_Glavn.h"
#include "ui/KeyboardPopup.h"
#include "ui/MenuBarStyle.h"
#include "ui/PictureView.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>

namespace {

QAction* item(QWidget* menu, const char* name, const QString& caption) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(QLatin1String(name));
    menu->addAction(action);
    return action;
}

QAction* item(QWidget* menu, const char* name, const QString& caption, const QIcon& picture) {
    QAction* action = item(menu, name, caption);
    action->setIcon(picture);
    return action;
}

// Opens a pane's menu from the keyboard, as the menu key and Shift+F10 do elsewhere: below
// the caret of a text, in the middle of a picture.
class KeyboardMenu : public QObject {
public:
    KeyboardMenu(QWidget* pane, QMenu* menu) : QObject(pane), menu_(menu) {
        pane->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Menu &&
            !(key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            return false;
        }
        auto* pane = static_cast<QWidget*>(watched);
        const QRect caret = pane->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        popupFromKeyboard(
            menu_, pane->mapToGlobal(caret.isValid() ? caret.bottomLeft() : pane->rect().center()));
        return true;
    }

private:
    QMenu* menu_;
};

// A context menu is announced to assistive technology by its title, as a menu of the menu
// bar is.
QMenu* contextMenu(QWidget* parent, const char* name, const QString& title) {
    auto* menu = new QMenu(title, parent);
    menu->setObjectName(QLatin1String(name));
    menu->setAccessibleName(title);
    return menu;
}

} // namespace

void TForm_Glavn::createMainMenu() {
    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    auto* barStyle = new MenuBarStyle;
    barStyle->setParent(MainMenu1);
    MainMenu1->setStyle(barStyle);

    N1 = new QMenu(QStringLiteral("Панель работы с ветками дерева"), MainMenu1);
    N1->setObjectName(QStringLiteral("N1"));
    N1->setIcon(ImageList1.icon(ImageList::TreeDiagram));
    N1->menuAction()->setEnabled(false);
    MainMenu1->addMenu(N1);
    Pokazat = item(N1, "Pokazat", QStringLiteral("Показать"));
    Skryt = item(N1, "Skryt", QStringLiteral("Скрыть"));

    N2 = item(MainMenu1, "N2", QStringLiteral("О приложении"),
              ImageList1.icon(ImageList::QuestionMark));
    N_save_copy = item(MainMenu1, "N_save_copy", QStringLiteral("Сохранить копию данных"),
                       ImageList1.icon(ImageList::FloppyDisk));

    connect(Pokazat, &QAction::triggered, this, &TForm_Glavn::PokazatClick);
    connect(Skryt, &QAction::triggered, this, &TForm_Glavn::SkrytClick);
    connect(N2, &QAction::triggered, this, &TForm_Glavn::N2Click);
    connect(N_save_copy, &QAction::triggered, this, &TForm_Glavn::N_save_copyClick);
    createSearchCommand();
}

void TForm_Glavn::createPopupMenus() {
    PopupMenu_Image = contextMenu(this, "PopupMenu_Image", QStringLiteral("Меню картинки"));
    N_Strech = item(PopupMenu_Image, "N_Strech", QStringLiteral("Во весь размер"));
    N_norm_syze = item(PopupMenu_Image, "N_norm_syze", QStringLiteral("В нормальный размер"));
    connect(N_Strech, &QAction::triggered, this, &TForm_Glavn::N_StrechClick);
    connect(N_norm_syze, &QAction::triggered, this, &TForm_Glavn::N_norm_syzeClick);
    connect(Image1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenu_Image->popup(Image1->mapToGlobal(at)); });
    new KeyboardMenu(Image1, PopupMenu_Image);

    const QString divider(17, QLatin1Char('_'));
    PopupMenu_Text = contextMenu(this, "PopupMenu_Text", QStringLiteral("Меню текста"));
    Word1 = item(PopupMenu_Text, "Word1", QStringLiteral("  Сохранить в Word"),
                 ImageList1.icon(ImageList::WordDocument));
    connect(Word1, &QAction::triggered, this, &TForm_Glavn::Word1Click);
    N5 = item(PopupMenu_Text, "N5", QStringLiteral("  Сохранить в базе"),
              ImageList1.icon(ImageList::DatabaseCylinder));
    N6 = item(PopupMenu_Text, "N6", divider);
    N7 = item(PopupMenu_Text, "N7", QStringLiteral("  Скопировать"),
              ImageList1.icon(ImageList::OpenBook));
    N8 = item(PopupMenu_Text, "N8", QStringLiteral("  Вставить"),
              ImageList1.icon(ImageList::BarChart));
    N9 = item(PopupMenu_Text, "N9", divider);
    N10 = item(PopupMenu_Text, "N10", QStringLiteral("  Изменить шрифт"),
               ImageList1.icon(ImageList::ColouredLetters));
    // The dividers look as items with their caption but are separators: the arrows step over
    // them and a reader hears a separator.
    N6->setSeparator(true);
    N9->setSeparator(true);
    auto* dividers = new DividerMenuStyle;
    dividers->setParent(PopupMenu_Text);
    PopupMenu_Text->setStyle(dividers);
    connect(RichEdit, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenu_Text->popup(RichEdit->mapToGlobal(at)); });
    new KeyboardMenu(RichEdit, PopupMenu_Text);
}
