#include "BranchProgram.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/TextFontDialog.h"

#include <QClipboard>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QFontDialog>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const QString kPlaceholder =
    QStringLiteral("Ваш текст... (для сохранения кликните правую клавишу мышки).");
const QString kSaved = QStringLiteral("Сохранено.");
const QString kNoOwnRecord = QStringLiteral("У этой ветки нет своей записи в базе!");

// The pane's text with its line breaks as '\n' and non-breaking spaces kept.
QString paneText(const QTextEdit* pane) {
    return pane->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

void selectAll(QTextEdit* pane) {
    QTextCursor cursor = pane->textCursor();
    cursor.select(QTextCursor::Document);
    pane->setTextCursor(cursor);
}

TEST(TextPane, ShowWriteSaveAndComeBackKeepTheTextByteForByte) {
    BranchProgram program({QStringLiteral("Заметки"), QStringLiteral("Другое")});
    TForm_Glavn& window = program.window();
    program.clickBranch(QStringLiteral("Заметки"));

    QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(window.RichEdit->toPlainText(), kPlaceholder);
    EXPECT_TRUE(window.RichEdit->isVisible());
    EXPECT_FALSE(window.Image1->isVisible());

    // Saved untouched, the placeholder is the branch's text like any other.
    window.N5->trigger();
    EXPECT_EQ(program.takeMessages(), QStringList{kSaved});
    EXPECT_EQ(program.column(QStringLiteral("Заметки"), "Texty"), kPlaceholder.toUtf8());

    selectAll(window.RichEdit);
    typeText(window.RichEdit, QStringLiteral("Первая строка"));
    QTest::keyClick(window.RichEdit, Qt::Key_Return);
    QTest::keyClick(window.RichEdit, Qt::Key_Return);
    typeText(window.RichEdit, QStringLiteral("10\u00a0км"));
    window.N5->trigger();
    EXPECT_EQ(program.takeMessages(), QStringList{kSaved});
    const QByteArray stored = QStringLiteral("Первая строка\r\n\r\n10\u00a0км").toUtf8();
    EXPECT_EQ(program.column(QStringLiteral("Заметки"), "Texty"), stored);

    program.clickBranch(QStringLiteral("Другое"));
    QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);
    program.clickBranch(QStringLiteral("Заметки"));
    EXPECT_TRUE(window.RichEdit->isVisible());
    EXPECT_EQ(paneText(window.RichEdit), QStringLiteral("Первая строка\n\n10\u00a0км"));
    window.N5->trigger();
    EXPECT_EQ(program.takeMessages(), QStringList{kSaved});
    EXPECT_EQ(program.column(QStringLiteral("Заметки"), "Texty"), stored)
        << "shown and saved again, the text keeps its bytes";
    EXPECT_EQ(program.column(QStringLiteral("Другое"), "Texty"), QByteArray(""));

    window.RichEdit->clear();
    window.N5->trigger();
    EXPECT_EQ(program.takeMessages(), QStringList{kSaved});
    EXPECT_EQ(program.column(QStringLiteral("Заметки"), "Texty"), QByteArray(""));
}

// Save writes only into the clicked branch's own record; the store may stand on another.
TEST(TextPane, SaveWithoutTheBranchsOwnRecordChangesNoRecord) {
    BranchProgram program({QStringLiteral("Фото")}, {QStringLiteral("Фот")});
    TForm_Glavn& window = program.window();
    QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);

    window.N5->trigger(); // no branch clicked yet
    EXPECT_EQ(program.takeMessages(), QStringList{QStringLiteral("Вы не выбрали ветку!")});
    program.clickBranch(QStringLiteral("Фот")); // the lookup by prefix lands on "Фото"
    window.RichEdit->setPlainText(QStringLiteral("не для Фото"));
    window.N5->trigger();
    EXPECT_EQ(program.takeMessages(), QStringList{kNoOwnRecord});
    EXPECT_EQ(program.column(QStringLiteral("Фото"), "Texty"), QByteArray(""));
}

TEST(TextPane, AFailedSaveSaysSoAndTheStoreStaysUsable) {
    BranchProgram program({QStringLiteral("Удалённая"), QStringLiteral("Живая")});
    TForm_Glavn& window = program.window();
    program.clickBranch(QStringLiteral("Удалённая"));
    program.execute("DELETE FROM Tab_DB_Delphi_10 WHERE Imya_vetok = 'Удалённая'");
    QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);
    window.N5->trigger();
    EXPECT_EQ(program.takeMessages(), QStringList{QStringLiteral("Не удалось сохранить.")});

    program.clickBranch(QStringLiteral("Живая"));
    QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);
    window.N5->trigger();
    EXPECT_EQ(program.takeMessages(), QStringList{kSaved});
    EXPECT_EQ(program.column(QStringLiteral("Живая"), "Texty"), kPlaceholder.toUtf8());
}

TEST(TextPane, CopyAndPastePlainTextAtTheCaretOrOverTheSelection) {
    BranchProgram program({QStringLiteral("Заметки")});
    TForm_Glavn& window = program.window();
    QClipboard* clipboard = QGuiApplication::clipboard();
    const auto image = [] {
        auto* data = new QMimeData;
        data->setImageData(QImage(4, 4, QImage::Format_RGB32));
        return data;
    };
    const auto html = [] {
        auto* data = new QMimeData;
        data->setHtml(QStringLiteral("<i>курсив</i>"));
        data->setText(QStringLiteral("курсив"));
        return data;
    };
    const auto text = [](const char* value) {
        return [value] {
            auto* data = new QMimeData;
            data->setText(QString::fromUtf8(value));
            return data;
        };
    };
    const struct {
        const char* situation;
        int from, to; // selection, or the caret when equal
        QAction* command;
        std::function<QMimeData*()> clipboardBefore;
        const char* paneAfter;
        const char* clipboardAfter; // nullptr: not text
    } cases[] = {
        {"copy across lines", 2, 6, window.N7, text("old"), "ab\u00a0c\ndef", "\u00a0c\nd"},
        {"copy, nothing selected", 3, 3, window.N7, text("old"), "ab\u00a0c\ndef", ""},
        {"paste at the caret", 1, 1, window.N8, text("XY\nZ"), "aXY\nZb\u00a0c\ndef", "XY\nZ"},
        {"paste over the selection", 1, 5, window.N8, text("XY"), "aXYdef", "XY"},
        {"paste drops formatting", 0, 0, window.N8, html, "курсивab\u00a0c\ndef", "курсив"},
        {"paste of a picture", 1, 1, window.N8, image, "ab\u00a0c\ndef", nullptr},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.situation);
        window.RichEdit->setPlainText(QStringLiteral("ab\u00a0c\ndef"));
        QTextCursor cursor(window.RichEdit->document());
        cursor.setPosition(one.from);
        cursor.setPosition(one.to, QTextCursor::KeepAnchor);
        window.RichEdit->setTextCursor(cursor);
        clipboard->setMimeData(one.clipboardBefore());

        one.command->trigger();
        EXPECT_EQ(paneText(window.RichEdit), QString::fromUtf8(one.paneAfter));
        const QMimeData* after = clipboard->mimeData();
        if (one.clipboardAfter == nullptr) {
            EXPECT_FALSE(after->hasText());
        } else {
            EXPECT_TRUE(after->hasText());
            EXPECT_EQ(after->text(), QString::fromUtf8(one.clipboardAfter));
        }
    }
    // Pasted text takes the pane's look, not the formatting it came with.
    window.RichEdit->setPlainText(QStringLiteral("ab"));
    clipboard->setMimeData(html());
    window.N8->trigger();
    QTextCursor pasted(window.RichEdit->document());
    pasted.setPosition(1);
    EXPECT_FALSE(pasted.charFormat().fontItalic());
    EXPECT_TRUE(program.takeMessages().isEmpty());
}

// The font dialog: font and colour applied to the selection or to the caret; a cancel
// changes nothing; the last confirmed choice stays for the next use.
TEST(TextPane, FontDialogAppliesFontAndColourAndKeepsTheLastChoice) {
    BranchProgram program({QStringLiteral("Заметки")});
    TForm_Glavn& window = program.window();
    QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);
    window.RichEdit->setPlainText(QStringLiteral("abc def"));
    const QFont paneFont = window.RichEdit->currentCharFormat().font();
    EXPECT_EQ(paneFont.family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(paneFont.pixelSize(), 19);
    EXPECT_TRUE(paneFont.bold());

    QFont offered;
    const auto choose = [&](const QFont& font, const QColor& colour, bool confirm) {
        whenShown<TextFontDialog>([&offered, font, colour, confirm](TextFontDialog* dialog) {
            offered = dialog->currentFont();
            dialog->fontChoices()->setCurrentFont(font);
            whenShown<QColorDialog>([colour](QColorDialog* colours) {
                colours->setCurrentColor(colour);
                colours->accept();
            });
            dialog->colourButton()->click();
            confirm ? dialog->accept() : dialog->reject();
        });
        window.N10->trigger();
    };
    const auto formatAt = [&](int position) {
        QTextCursor cursor(window.RichEdit->document());
        cursor.setPosition(position);
        return cursor.charFormat(); // the format of the character before the position
    };

    QTextCursor selection(window.RichEdit->document());
    selection.setPosition(4);
    selection.setPosition(7, QTextCursor::KeepAnchor);
    window.RichEdit->setTextCursor(selection);
    QFont chosen(QStringLiteral("MS Sans Serif"), 20);
    chosen.setUnderline(true);
    choose(chosen, Qt::red, true);
    EXPECT_EQ(offered.family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(offered.pointSize(), 14);
    EXPECT_TRUE(offered.bold());
    EXPECT_EQ(formatAt(7).font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_TRUE(formatAt(7).font().underline());
    EXPECT_EQ(formatAt(7).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(formatAt(3).font().family(), QStringLiteral("Tahoma")) << "outside the selection";

    // Cancelled: nothing changes, and the next use offers the last confirmed font.
    window.RichEdit->setTextCursor(selection);
    choose(QFont(QStringLiteral("Tahoma"), 30), Qt::blue, false);
    EXPECT_EQ(offered.family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(formatAt(7).font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(formatAt(7).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(window.FontDialog->currentColor(), QColor(Qt::red));

    // Nothing selected: the text typed next at the caret takes the font.
    QTextCursor caret(window.RichEdit->document());
    caret.setPosition(1);
    window.RichEdit->setTextCursor(caret);
    choose(QFont(QStringLiteral("Tahoma"), 9), Qt::darkGreen, true);
    QTest::keyClicks(window.RichEdit, QStringLiteral("x"));
    EXPECT_EQ(window.RichEdit->toPlainText(), QStringLiteral("axbc def"));
    EXPECT_EQ(formatAt(2).font().pointSize(), 9);
    EXPECT_EQ(formatAt(2).foreground().color(), QColor(Qt::darkGreen));
    EXPECT_EQ(formatAt(1).foreground().color(), formatAt(3).foreground().color());
}

// A font chosen in the pane belongs to the text it was chosen for: a text shown next, from a
// record or as the placeholder, is in the pane's own font throughout.
TEST(TextPane, AChosenFontDoesNotSpreadToTheTextsShownLater) {
    BranchProgram program({QStringLiteral("Заметки"), QStringLiteral("Другое")});
    TForm_Glavn& window = program.window();
    for (const QString& branch : {QStringLiteral("Другое"), QStringLiteral("Заметки")}) {
        program.clickBranch(branch);
        QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);
        window.N5->trigger();
        ASSERT_EQ(program.takeMessages(), QStringList{kSaved});
    }
    selectAll(window.RichEdit);
    whenShown<TextFontDialog>([](TextFontDialog* dialog) {
        dialog->fontChoices()->setCurrentFont(QFont(QStringLiteral("MS Sans Serif"), 20));
        whenShown<QColorDialog>([](QColorDialog* colours) {
            colours->setCurrentColor(Qt::red);
            colours->accept();
        });
        dialog->colourButton()->click();
        dialog->accept();
    });
    window.N10->trigger();
    ASSERT_EQ(window.RichEdit->currentCharFormat().font().family(),
              QStringLiteral("MS Sans Serif"));

    const auto expectPaneFont = [&](const char* shown) {
        SCOPED_TRACE(shown);
        const int end = window.RichEdit->document()->characterCount() - 1;
        for (const int position : {0, 1, end}) {
            QTextCursor cursor(window.RichEdit->document());
            cursor.setPosition(position);
            const QTextCharFormat format = cursor.charFormat();
            EXPECT_EQ(format.font().family(), QStringLiteral("Tahoma")) << position;
            EXPECT_EQ(format.font().pixelSize(), 19) << position;
            EXPECT_TRUE(format.font().bold()) << position;
            EXPECT_FALSE(format.hasProperty(QTextFormat::ForegroundBrush)) << position;
        }
    };
    program.clickBranch(QStringLiteral("Другое"));
    ASSERT_EQ(window.RichEdit->toPlainText(), kPlaceholder);
    expectPaneFont("a text from the record");
    selectAll(window.RichEdit);
    // The dialog offers the last choice; accepted as it stands.
    whenShown<TextFontDialog>([](TextFontDialog* dialog) { dialog->accept(); });
    window.N10->trigger();
    ASSERT_EQ(window.RichEdit->currentCharFormat().font().family(),
              QStringLiteral("MS Sans Serif"));
    QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);
    expectPaneFont("the placeholder");
}

TEST(TextPane, RightClickOpensTheMenuAndItsDividersDoNothing) {
    BranchProgram program({QStringLiteral("Заметки")});
    TForm_Glavn& window = program.window();
    QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, {40, 40},
                                 window.RichEdit->viewport()->mapToGlobal(QPoint(40, 40)));
    QApplication::sendEvent(window.RichEdit->viewport(), &rightClick);
    EXPECT_TRUE(window.PopupMenu_Text->isVisible());
    window.PopupMenu_Text->hide();

    for (QAction* divider : {window.N6, window.N9}) {
        EXPECT_TRUE(divider->isEnabled());
        divider->trigger();
    }
    QTest::qWait(50);
    EXPECT_EQ(window.RichEdit->toPlainText(), kPlaceholder);
    EXPECT_TRUE(program.takeMessages().isEmpty());
}

} // namespace
