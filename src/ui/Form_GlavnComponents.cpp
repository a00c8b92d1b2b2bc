// The main window's components with their design places, fonts, captions and states at
// start. The layout rule moves the connect button and the two panes later.
#include "ui/Fonts.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/WholeAccentsDelegate.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {

template <typename Widget>
Widget* place(Widget* widget, const char* name, QRect geometry, int fontHeight = 0) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    if (fontHeight != 0) {
        widget->setFont(ui::tahomaBold(fontHeight));
    }
    return widget;
}

// A flat button: no frame until the pointer is over it; it takes the focus by Tab, never
// by a click. With a glyph, the picture stands left of the caption at its own size.
QToolButton* flatButton(QWidget* parent, const char* name, QRect geometry, const QString& caption,
                        const QString& glyph = QString()) {
    auto* button = place(new QToolButton(parent), name, geometry, glyph.isEmpty() ? 21 : 16);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    if (!glyph.isEmpty()) {
        const QPixmap picture(glyph);
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.size());
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    return button;
}

QLabel* label(QWidget* parent, const char* name, QRect geometry, const QString& caption) {
    auto* result = place(new QLabel(caption, parent), name, geometry, 16);
    result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return result;
}

} // namespace

void TForm_Glavn::createComponents() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    client->installEventFilter(this); // docks the tree to the client height

    Button_podluchit_bazy = flatButton(client, "Button_podluchit_bazy", {544, 360, 241, 89},
                                       QStringLiteral("Подключить базу"));
    Button_podluchit_bazy->setCursor(Qt::PointingHandCursor);

    Image1 = place(new PictureView(client), "Image1", {927, 8, 389, 716});
    Image1->setCenter(true);
    Image1->setProportional(true);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);
    // Reached by Tab or a click, so that its menu opens from the keyboard too.
    Image1->setFocusPolicy(Qt::StrongFocus);
    Image1->setAccessibleName(QStringLiteral("Картинка ветки"));
    Image1->hide();

    TreeView1 = place(new QTreeView(client), "TreeView1", {0, 0, kTreeWidth, 0}, 19);
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setItemDelegate(new WholeAccentsDelegate(TreeView1));
    TreeView1->viewport()->setCursor(Qt::PointingHandCursor);
    TreeView1->setAccessibleName(QStringLiteral("Дерево веток"));
    TreeView1->hide();

    GroupBox_Rab_Vet_Tree = place(new QGroupBox(client), "GroupBox_Rab_Vet_Tree",
                                  {kTreeWidth, 0, kPanelWidth, 732}, 19);
    GroupBox_Rab_Vet_Tree->setTitle(QStringLiteral("Панель работы с ветками дерева:"));
    GroupBox_Rab_Vet_Tree->hide();
    QWidget* panel = GroupBox_Rab_Vet_Tree;

    Label1 =
        label(panel, "Label1", {16, 32, 260, 19}, QStringLiteral("Названия веток или подветок:"));
    SpeedButton_vvod_vetki =
        flatButton(panel, "SpeedButton_vvod_vetki", {16, 93, 185, 41},
                   QStringLiteral("Ввести ветку"), QStringLiteral(":/glyphs/branch.png"));
    SpeedButton_vvod_podvetki =
        flatButton(panel, "SpeedButton_vvod_podvetki", {40, 140, 185, 41},
                   QStringLiteral("Ввести подветку"), QStringLiteral(":/glyphs/sub-branch.png"));
    SpeedButton_Delete = flatButton(panel, "SpeedButton_Delete", {16, 636, 289, 41},
                                    QStringLiteral("Удалить ветку/ подветку"),
                                    QStringLiteral(":/glyphs/delete.png"));
    SpeedButton3 = flatButton(panel, "SpeedButton3", {16, 683, 345, 41},
                              QStringLiteral("Переименовать ветку/ подветку"),
                              QStringLiteral(":/glyphs/edit-field.png"));
    Label2 =
        label(panel, "Label2", {40, 188, 270, 19}, QStringLiteral("Описание (при необходимости):"));
    SpeedButton_File =
        flatButton(panel, "SpeedButton_File", {40, 436, 409, 58},
                   QStringLiteral("   Прикрепить файл"), QStringLiteral(":/glyphs/attach.png"));
    SpeedButton4 = flatButton(panel, "SpeedButton4", {40, 500, 409, 41},
                              QStringLiteral(" Открыть прикреплённый файл отдельно"),
                              QStringLiteral(":/glyphs/open-separately.png"));
    SpeedButton_zam_opisanie_podvetki = flatButton(
        panel, "SpeedButton_zam_opisanie_podvetki", {16, 588, 257, 39},
        QStringLiteral("Редактировать описание"), QStringLiteral(":/glyphs/edit-field.png"));
    SpeedButton1 =
        flatButton(panel, "SpeedButton1", {40, 541, 249, 41},
                   QStringLiteral(" Показать поле текста"), QStringLiteral(":/glyphs/text.png"));
    Edit_Mame_Vetok = place(new QLineEdit(panel), "Edit_Mame_Vetok", {8, 56, 441, 31});
    Memo_opisanie = place(new QPlainTextEdit(panel), "Memo_opisanie", {40, 213, 409, 217});
    Memo_opisanie->setTabChangesFocus(true);
    // Read out by their own labels, not by the panel's title.
    Label1->setBuddy(Edit_Mame_Vetok);
    Label2->setBuddy(Memo_opisanie);

    ProgressBar1 = place(new QProgressBar(client), "ProgressBar1", {122, 8, 329, 25});
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setAccessibleName(QStringLiteral("Ход копирования"));
    ProgressBar1->hide();

    RichEdit = place(new QTextEdit(client), "RichEdit", {927, 8, 389, 716}, 19);
    RichEdit->setAcceptRichText(false);
    RichEdit->setTabChangesFocus(true);
    RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit->viewport()->setBackgroundRole(QPalette::Window);
    RichEdit->setToolTip(QStringLiteral("Для сохранения кликните правую клавишу мышки"));
    RichEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    RichEdit->setPlainText(QStringLiteral("Ваш текст...."));
    RichEdit->hide();

    setTabOrder(TreeView1, Edit_Mame_Vetok);
    setTabOrder(Edit_Mame_Vetok, Memo_opisanie);
    setTabOrder(Memo_opisanie, RichEdit);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
}
