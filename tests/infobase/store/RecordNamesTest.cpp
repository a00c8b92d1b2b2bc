#include "infobase/store/RecordNames.h"

#include <gtest/gtest.h>

namespace {

using infobase::RecordNames;

TEST(RecordNames, FoldsExactlyAsQtFoldsWholeStrings) {
    const QString cases[] = {
        QStringLiteral("Ветка ЁЖ ß ẞ İ ſ ΣΑΣ ς Ǆ ǅ"),
        QStringLiteral("plain lower case"),
        QString::fromUcs4(U"𐐀𐐁 \U0001E900 \U00010400x"), // Deseret and Adlam capitals
        // surrogates out of their pairs, before and after a folded letter
        QString(QChar(0xD801)) + QStringLiteral("A") + QChar(0xDC00) + QChar(0xD801) +
            QStringLiteral("b") + QChar(0xD801),
        QStringLiteral("a") + QChar(0xDC00),
        QString(),
    };
    for (const QString& name : cases) {
        EXPECT_EQ(RecordNames::fold(name), name.toCaseFolded()) << name.toStdString();
    }
}

TEST(RecordNames, NamesStayRightThroughRenamesRemovalsAndReuse) {
    RecordNames names;
    const RecordNames::Slot a = names.add(1, u"Первая");
    const RecordNames::Slot b = names.add(2, u"second");
    RecordNames::Slot c = names.add(3, u"Третья");
    names.remove(c);
    c = names.add(7, u"Седьмая");
    // Many renames leave old names behind; the buffer is rewritten without them.
    QString longName;
    for (int i = 0; i < 5000; ++i) {
        longName = QStringLiteral("Имя номер %1 ").arg(i).repeated(4);
        names.rename(b, longName);
    }
    EXPECT_EQ(names.name(a), u"Первая");
    EXPECT_EQ(names.folded(a), u"первая");
    EXPECT_EQ(names.name(b), longName);
    EXPECT_EQ(names.folded(b), longName.toCaseFolded());
    EXPECT_EQ(names.rowId(c), 7);
    EXPECT_EQ(names.name(c), u"Седьмая");
    EXPECT_EQ(names.folded(c), u"седьмая");
    EXPECT_LT(names.bytesHeld(), std::size_t(64 * 1024));
}

} // namespace
