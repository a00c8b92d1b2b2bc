#include "ui/Form_ob_prilojenii.h"
#include "ui/Form_zastavka.h"
#include "ui/PictureView.h"

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QPoint screenCentre() {
    return QGuiApplication::primaryScreen()->geometry().center();
}

// The dark pixels of a text drawn black on white: how many, and the box around them.
struct Ink {
    int pixels = 0;
    QRect box;
};
Ink inkOf(const QFont& font, const QString& text) {
    QImage image(200, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(10, 60, text);
    }
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                ++ink.pixels;
                ink.box |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
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

    QPlainTextEdit* memo = about.Memo1;
    EXPECT_EQ(memo->geometry(), QRect(0, 0, 660, 730));
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_TRUE(memo->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
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

TEST(AboutWindow, TextIsDrawnBoldWithNineteenPixelCharacters) {
    TForm_ob_prilojenii about;
    const QFont font = about.Memo1->font();
    EXPECT_EQ(QFontInfo(font).pixelSize(), 19);
    // Capitals of a 19-pixel character height stand 13 to 15 pixels tall in a face of this
    // look (a bitmap face's smallest size draws them 9 pixels tall).
    const Ink capitals = inkOf(font, QStringLiteral("НЕТ"));
    EXPECT_GE(capitals.box.height(), 13);
    EXPECT_LE(capitals.box.height(), 15);
    // Bold strokes: clearly more ink than the same face drawn regular.
    QFont regular = font;
    regular.setBold(false);
    EXPECT_GT(capitals.pixels * 100, inkOf(regular, QStringLiteral("НЕТ")).pixels * 115);
}

TEST(AboutWindow, IsCentredOnTheScreenWithItsFrameAtEveryShow) {
    TForm_ob_prilojenii about;
    for (int show = 0; show < 2; ++show) {
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        EXPECT_NE(about.frameGeometry(), about.geometry()) << "the window has a frame";
        EXPECT_LE((about.frameGeometry().center() - screenCentre()).manhattanLength(), 1)
            << "show " << show;
        about.move(about.pos() + QPoint(40, 30)); // moved by the user, then closed
        about.close();
    }
}

} // namespace
