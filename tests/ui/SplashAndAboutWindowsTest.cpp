#include "ui/Form_ob_prilojenii.h"
#include "ui/Form_zastavka.h"
#include "ui/PictureView.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QPoint screenCentre() {
    return QGuiApplication::primaryScreen()->geometry().center();
}

TEST(SplashWindow, ShowsTheStretchedPictureAndTheRedNameAndStaysUntilClosed) {
    TForm_zastavka splash;
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.size(), QSize(510, 341));
    EXPECT_LE((splash.geometry().center() - screenCentre()).manhattanLength(), 1);

    EXPECT_EQ(splash.Image1->picture().size(), QSize(640, 480)) << "decoded from the resources";
    EXPECT_EQ(splash.Image1->pictureRect(), QRect(0, 0, 510, 341)) << "squeezed to fill";

    EXPECT_EQ(splash.Label1->text(), QStringLiteral("Тальверо v.9.0"));
    EXPECT_EQ(splash.Label1->pos(), QPoint(8, 314));
    EXPECT_EQ(QFontInfo(splash.Label1->font()).family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(splash.Label1->font().pixelSize(), 16);
    EXPECT_TRUE(splash.Label1->font().bold());
    EXPECT_EQ(splash.Label1->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_FALSE(splash.Label1->autoFillBackground()) << "drawn over the picture";

    // It has no close box; Escape, which closes other dialogs, leaves it standing.
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    QTest::keyClick(&splash, Qt::Key_Escape);
    EXPECT_TRUE(splash.isVisible());
    splash.close();
    EXPECT_FALSE(splash.isVisible());
}

TEST(AboutWindow, HoldsTheDescriptionAndNineVersionsReadOnly) {
    TForm_ob_prilojenii about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Окно о приложении"));
    EXPECT_EQ(about.size(), QSize(660, 730));
    EXPECT_EQ(about.minimumSize(), about.maximumSize()) << "fixed size";
    EXPECT_FALSE(about.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(about.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_LE((about.geometry().center() - screenCentre()).manhattanLength(), 1);

    QPlainTextEdit* memo = about.Memo1;
    EXPECT_EQ(memo->geometry(), QRect(0, 0, 660, 730));
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_TRUE(memo->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(QFontInfo(memo->font()).family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(memo->font().pixelSize(), 19);
    EXPECT_TRUE(memo->font().bold());
    EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(Qt::blue));

    const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 15);
    EXPECT_EQ(lines.mid(0, 6),
              (QStringList{QStringLiteral("Приложение для упорядоченного хранения любой"),
                           QStringLiteral("информации в виде файлов или записей"),
                           QStringLiteral("отображающихся в дереве. Есть возможность "),
                           QStringLiteral("копирования резервных копий."), QString(),
                           QStringLiteral("Версии:")}));
    // Nine numbered, dated entries.
    const QRegularExpression entry(QStringLiteral("^(\\d)\\. .*\\(\\d\\d\\.\\d\\d\\.\\d{4}\\)"));
    for (int i = 0; i < 9; ++i) {
        const QRegularExpressionMatch match = entry.match(lines[6 + i]);
        ASSERT_TRUE(match.hasMatch()) << lines[6 + i].toStdString();
        EXPECT_EQ(match.captured(1).toInt(), i + 1);
    }
}

} // namespace
