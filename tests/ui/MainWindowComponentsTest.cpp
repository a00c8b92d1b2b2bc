#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

QString textOf(const QWidget* widget) {
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (auto* box = qobject_cast<const QGroupBox*>(widget)) {
        return box->title();
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    if (auto* memo = qobject_cast<const QPlainTextEdit*>(widget)) {
        return memo->toPlainText();
    }
    if (auto* rich = qobject_cast<const QTextEdit*>(widget)) {
        return rich->toPlainText();
    }
    return QString();
}

TEST(MainWindowComponents, StandAsDesignedAtStart) {
    const struct {
        const char* name;
        const char* parent;
        QRect geometry;
        int fontHeight; // 0: not a text control
        const char* text;
        bool visible;
    } table[] = {
        {"Button_podluchit_bazy", "ClientArea", {544, 360, 241, 89}, 21, "Подключить базу", true},
        {"Image1", "ClientArea", {927, 8, 389, 716}, 0, "", false},
        {"GroupBox_Rab_Vet_Tree",
         "ClientArea",
         {457, 0, 464, 732},
         19,
         "Панель работы с ветками дерева:",
         false},
        {"Label1",
         "GroupBox_Rab_Vet_Tree",
         {16, 32, 260, 19},
         16,
         "Названия веток или подветок:",
         true},
        {"SpeedButton_vvod_vetki",
         "GroupBox_Rab_Vet_Tree",
         {16, 93, 185, 41},
         16,
         "Ввести ветку",
         true},
        {"SpeedButton_vvod_podvetki",
         "GroupBox_Rab_Vet_Tree",
         {40, 140, 185, 41},
         16,
         "Ввести подветку",
         true},
        {"SpeedButton_Delete",
         "GroupBox_Rab_Vet_Tree",
         {16, 636, 289, 41},
         16,
         "Удалить ветку/ подветку",
         true},
        {"SpeedButton3",
         "GroupBox_Rab_Vet_Tree",
         {16, 683, 345, 41},
         16,
         "Переименовать ветку/ подветку",
         true},
        {"Label2",
         "GroupBox_Rab_Vet_Tree",
         {40, 188, 270, 19},
         16,
         "Описание (при необходимости):",
         true},
        {"SpeedButton_File",
         "GroupBox_Rab_Vet_Tree",
         {40, 436, 409, 58},
         16,
         "   Прикрепить файл",
         true},
        {"SpeedButton4",
         "GroupBox_Rab_Vet_Tree",
         {40, 500, 409, 41},
         16,
         " Открыть прикреплённый файл отдельно",
         true},
        {"SpeedButton_zam_opisanie_podvetki",
         "GroupBox_Rab_Vet_Tree",
         {16, 588, 257, 39},
         16,
         "Редактировать описание",
         true},
        {"SpeedButton1",
         "GroupBox_Rab_Vet_Tree",
         {40, 541, 249, 41},
         16,
         " Показать поле текста",
         true},
        {"Edit_Mame_Vetok", "GroupBox_Rab_Vet_Tree", {8, 56, 441, 31}, 19, "", true},
        {"Memo_opisanie", "GroupBox_Rab_Vet_Tree", {40, 213, 409, 217}, 19, "", true},
        {"ProgressBar1", "ClientArea", {122, 8, 329, 25}, 0, "", false},
        {"RichEdit", "ClientArea", {927, 8, 389, 716}, 19, "Ваш текст....", false},
    };
    TForm_Glavn window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Окно главное Тальверо"));
    EXPECT_EQ(window.font().pixelSize(), 11);
    EXPECT_FALSE(window.font().bold());
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        auto* widget = window.findChild<QWidget*>(QLatin1String(row.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QLatin1String(row.parent));
        EXPECT_EQ(widget->geometry(), row.geometry);
        EXPECT_EQ(textOf(widget), QString::fromUtf8(row.text));
        // Its own visibility: the panel's children stand ready inside the hidden panel.
        EXPECT_EQ(widget->isVisibleTo(widget->parentWidget()), row.visible);
        if (row.fontHeight != 0) {
            const QFontInfo font(widget->font());
            EXPECT_EQ(font.family(), QStringLiteral("Tahoma"));
            EXPECT_EQ(widget->font().pixelSize(), row.fontHeight);
            EXPECT_TRUE(font.bold());
        }
    }

    EXPECT_FALSE(window.TreeView1->isVisibleTo(&window));
    EXPECT_EQ(window.TreeView1->width(), TForm_Glavn::kTreeWidth);
    EXPECT_EQ(window.TreeView1->indentation(), 19);
    EXPECT_EQ(window.TreeView1->font().pixelSize(), 19);
    EXPECT_EQ(window.TreeView1->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(window.TreeView1->viewport()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(window.Button_podluchit_bazy->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(window.Image1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(window.Image1->center() && window.Image1->proportional());
    EXPECT_FALSE(window.Image1->stretch());
    EXPECT_EQ(window.RichEdit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(window.RichEdit->toolTip(),
              QStringLiteral("Для сохранения кликните правую клавишу мышки"));
    EXPECT_EQ(window.ProgressBar1->minimum(), 0);
    EXPECT_EQ(window.ProgressBar1->maximum(), 100);
    EXPECT_EQ(window.ProgressBar1->value(), 0);
    EXPECT_FALSE(window.Timer1->isActive());
    EXPECT_EQ(window.Timer1->interval(), 1000);
}

TEST(MainWindowComponents, GlyphsHaveTheirSizes) {
    const struct {
        const char* button;
        QSize glyph;
    } table[] = {
        {"SpeedButton_vvod_vetki", {27, 33}},
        {"SpeedButton_vvod_podvetki", {27, 33}},
        {"SpeedButton_Delete", {41, 41}},
        {"SpeedButton3", {32, 32}},
        {"SpeedButton_File", {48, 48}},
        {"SpeedButton4", {41, 41}},
        {"SpeedButton_zam_opisanie_podvetki", {32, 32}},
        {"SpeedButton1", {47, 46}},
    };
    TForm_Glavn window;
    for (const auto& row : table) {
        auto* button = window.findChild<QToolButton*>(QLatin1String(row.button));
        ASSERT_NE(button, nullptr) << row.button;
        EXPECT_EQ(button->iconSize(), row.glyph) << row.button;
        EXPECT_EQ(button->icon().availableSizes(), QList<QSize>{row.glyph}) << row.button;
        EXPECT_EQ(button->focusPolicy(), Qt::TabFocus) << row.button; // Tab, never a click
        EXPECT_TRUE(button->autoRaise()) << row.button;
    }
}

TEST(MainWindowComponents, ImageListHoldsTenMaskedPictures) {
    TForm_Glavn window;
    ASSERT_EQ(window.ImageList1.count(), 10);
    for (int i = 0; i < window.ImageList1.count(); ++i) {
        const QImage picture = window.ImageList1.picture(i).toImage();
        EXPECT_EQ(picture.size(), QSize(16, 16)) << i;
        ASSERT_TRUE(picture.hasAlphaChannel()) << i;
        int transparent = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                transparent += qAlpha(picture.pixel(x, y)) == 0;
            }
        }
        EXPECT_GT(transparent, 0) << i << ": the mask leaves the background out";
        EXPECT_LT(transparent, 256) << i << ": the picture shows something";
    }
}

bool samePicture(const QIcon& icon, const QPixmap& picture) {
    return !icon.isNull() && icon.pixmap(16, 16).toImage() == picture.toImage();
}

TEST(MainWindowComponents, MenusHoldTheirItemsPicturesAndStates) {
    TForm_Glavn window;
    const QList<QAction*> bar = window.menuBar()->actions();
    ASSERT_EQ(bar.size(), 5);
    EXPECT_EQ(bar[0], window.N1->menuAction());
    EXPECT_EQ(bar[1], window.N2);
    EXPECT_EQ(bar[2], window.N_save_copy);
    // The search, enabled before the connect too (it then asks for the connect); the menu
    // "Правка" comes last.
    EXPECT_EQ(bar[3], window.N_poisk);
    EXPECT_EQ(bar[4], window.N_pravka->menuAction());
    EXPECT_EQ(window.N_poisk->text(), QStringLiteral("Поиск"));
    EXPECT_EQ(window.N_poisk->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_TRUE(window.N_poisk->isEnabled());

    EXPECT_EQ(window.N1->title(), QStringLiteral("Панель работы с ветками дерева"));
    EXPECT_TRUE(samePicture(window.N1->icon(), window.ImageList1.picture(2)));
    EXPECT_FALSE(window.N1->menuAction()->isEnabled());
    const QList<QAction*> panelItems = window.N1->actions();
    ASSERT_EQ(panelItems.size(), 2);
    EXPECT_EQ(panelItems[0]->text(), QStringLiteral("Показать"));
    EXPECT_EQ(panelItems[1]->text(), QStringLiteral("Скрыть"));
    for (QAction* item : panelItems) {
        EXPECT_TRUE(item->isEnabled());
        EXPECT_TRUE(item->icon().isNull());
    }
    EXPECT_EQ(window.N2->text(), QStringLiteral("О приложении"));
    EXPECT_TRUE(samePicture(window.N2->icon(), window.ImageList1.picture(0)));
    EXPECT_EQ(window.N_save_copy->text(), QStringLiteral("Сохранить копию данных"));
    EXPECT_TRUE(samePicture(window.N_save_copy->icon(), window.ImageList1.picture(1)));
    EXPECT_TRUE(window.N2->isEnabled() && window.N_save_copy->isEnabled());
    // The bar shows each item's picture (the search has none) and, beside it, its caption.
    window.menuBar()->resize(1324, window.menuBar()->sizeHint().height());
    for (QAction* item : bar) {
        const int caption = window.menuBar()->fontMetrics().horizontalAdvance(item->text());
        const int picture = item->icon().isNull() ? 0 : 16;
        EXPECT_GE(window.menuBar()->actionGeometry(item).width(), picture + caption)
            << item->text().toStdString();
    }

    const QList<QAction*> imageItems = window.PopupMenu_Image->actions();
    ASSERT_EQ(imageItems.size(), 2);
    EXPECT_EQ(imageItems[0]->text(), QStringLiteral("Во весь размер"));
    EXPECT_EQ(imageItems[1]->text(), QStringLiteral("В нормальный размер"));
    EXPECT_TRUE(imageItems[0]->icon().isNull() && imageItems[1]->icon().isNull());

    const struct {
        const char* caption;
        int picture; // -1: none
    } textItems[] = {
        {"  Сохранить в Word", 6}, {"  Сохранить в базе", 5}, {"_________________", -1},
        {"  Скопировать", 7},      {"  Вставить", 8},         {"_________________", -1},
        {"  Изменить шрифт", 9},
    };
    const QList<QAction*> textActions = window.PopupMenu_Text->actions();
    ASSERT_EQ(textActions.size(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(textActions[i]->text(), QString::fromUtf8(textItems[i].caption)) << i;
        if (textItems[i].picture < 0) {
            EXPECT_TRUE(textActions[i]->icon().isNull()) << i;
        } else {
            EXPECT_TRUE(samePicture(textActions[i]->icon(),
                                    window.ImageList1.picture(textItems[i].picture)))
                << i;
        }
    }
}

TEST(MainWindowComponents, PictureMenuSwitchesStretching) {
    TForm_Glavn window;
    window.N_Strech->trigger();
    EXPECT_TRUE(window.Image1->stretch());
    window.N_norm_syze->trigger();
    EXPECT_FALSE(window.Image1->stretch());
}

} // namespace
