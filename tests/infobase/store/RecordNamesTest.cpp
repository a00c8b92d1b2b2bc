#include "infobase/store/RecordNames.h"

#include "infobase/store/NameIndex.h"

#include <gtest/gtest.h>

namespace {

using infobase::NameIndex;
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
    EXPECT_EQ(names.folded(a).toString(), u"первая");
    EXPECT_EQ(names.name(b), longName);
    EXPECT_EQ(names.folded(b).toString(), longName.toCaseFolded());
    EXPECT_EQ(names.rowId(c), 7);
    EXPECT_EQ(names.name(c), u"Седьмая");
    EXPECT_EQ(names.folded(c).toString(), u"седьмая");
    EXPECT_LT(names.bytesHeld(), std::size_t(64 * 1024));
}

// The name order over stored names (folded as they are read, or kept folded beside them)
// is exactly: QString::toCaseFolded compared, then the names, then the keys.
TEST(RecordNames, TheNameOrderIsCaseFoldedThenExactThenByKey) {
    const QString names[] = {
        QStringLiteral("Запись 1"),
        QStringLiteral("запись 1"),
        QStringLiteral("ЗАПИСЬ 10"),
        QStringLiteral("Запись"),
        QStringLiteral(""),
        QStringLiteral("Ёж"),
        QStringLiteral("ёж"),
        QStringLiteral("Straße"),
        QStringLiteral("STRASSE"),
        QStringLiteral("ΣΑΣ"),
        QStringLiteral("σας"),
        QString::fromUcs4(U"\U00010400x"),
        QString::fromUcs4(U"\U00010428X"),
        QString::fromUcs4(U"\U00010428x"),
        QString(QChar(0xFFFD)),
        QString(QChar(0xE000)),
        QStringLiteral("Запись 1"), // the same name again, under another key
    };
    RecordNames stored;
    std::vector<RecordNames::Slot> slots;
    for (const QString& name : names) {
        slots.push_back(stored.add(qint64(slots.size()) + 1, name));
    }
    const auto expected = [&](std::size_t a, std::size_t b) {
        if (const int byFolded = names[a].toCaseFolded().compare(names[b].toCaseFolded())) {
            return byFolded < 0;
        }
        if (const int byName = names[a].compare(names[b])) {
            return byName < 0;
        }
        return a < b;
    };
    const NameIndex::Order order{stored};
    for (std::size_t a = 0; a < slots.size(); ++a) {
        for (std::size_t b = 0; b < slots.size(); ++b) {
            EXPECT_EQ(order(slots[a], slots[b]), expected(a, b))
                << names[a].toStdString() << " / " << names[b].toStdString();
        }
    }
}

} // namespace
