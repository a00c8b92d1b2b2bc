#include "infobase/store/BranchText.h"

#include <gtest/gtest.h>

namespace {

using namespace infobase;

TEST(BranchText, AStoredTextShownAndSavedAgainKeepsItsBytes) {
    const QString texts[] = {
        QString(),
        QStringLiteral("одна строка"),
        QStringLiteral("две\r\nстроки\r\n"),
        QStringLiteral("\r\n\r\nпустые строки в начале"),
        QStringLiteral("tab\there, non-breaking\u00A0space, emoji 🙂"),
    };
    for (const QString& texty : texts) {
        QString raw = paneTextFromTexty(texty);
        // What the editor's document gives back: paragraphs separated by U+2029.
        raw.replace(u'\n', QChar::ParagraphSeparator);
        EXPECT_EQ(textyFromPaneText(raw), texty) << texty.toStdString();
    }
}

TEST(BranchText, EveryKindOfLineBreakBecomesOneLineBreak) {
    EXPECT_EQ(paneTextFromTexty(QStringLiteral("a\rb\nc\r\nd\n\re")),
              QStringLiteral("a\nb\nc\nd\n\ne"));
    EXPECT_EQ(textyFromPaneText(QStringLiteral("a\u2029b\u2028c\nd")),
              QStringLiteral("a\r\nb\r\nc\r\nd"));
    // A lone CR or LF is saved back as CR LF: one line break, neither gained nor lost.
    EXPECT_EQ(textyFromPaneText(paneTextFromTexty(QStringLiteral("a\rb\nc"))),
              QStringLiteral("a\r\nb\r\nc"));
}

} // namespace
