#include "infobase/search/ByteFinder.h"
#include "infobase/search/FindBranches.h"
#include "infobase/search/HitText.h"
#include "infobase/search/RecordCorpus.h"
#include "infobase/search/SearchFold.h"
#include "infobase/search/TextMatches.h"
#include "infobase/search/TreeOrder.h"
#include "infobase/tree/TreeNodes.h"

#include <gtest/gtest.h>

namespace search = infobase::search;

namespace {

struct Row {
    qint64 rowId;
    QString name;
    QString description = {};
    QString text = {};
};

std::shared_ptr<const search::RecordCorpus> corpusOf(const std::vector<Row>& rows) {
    search::RecordCorpus::Builder builder;
    for (const Row& row : rows) {
        builder.add(row.rowId, row.name, row.description.toUtf8(), row.text.toUtf8());
    }
    return builder.finish();
}

TEST(SearchFold, FoldsCaseYoAndAccentsAlikeInUtf8AndUtf16) {
    const struct {
        QString text;
        QString folded;
    } cases[] = {
        {"ЁЛКА Ёж ёлка", "елка еж елка"},
        {"Quorlent ДОГОВОР", "quorlent договор"},
        {"ΣΊΣΥΦΟΣ", "σισυφοσ"},
        // Accents go, on a letter or as marks of their own; й stays a letter of its own.
        {"Café CRÈME Ångström ǖ", "cafe creme angstrom u"},
        {QString::fromUtf8("café é̀"), "cafe e"},
        {"Йод мой ЙОГА", "йод мой йога"},
        // Kelvin sign and capital sharp s fold to shorter letters; Korean syllables stay.
        {QString::fromUtf8("K ẞ 한"), QString::fromUtf8("k ß 한")},
        // A character outside the 16-bit range, and a lone half of one.
        {QString::fromUtf8("𐐀x") + QChar(0xD800), QString::fromUtf8("𐐨x") + QChar(0xD800)},
    };
    for (const auto& c : cases) {
        const QString folded = search::foldedText(c.text);
        EXPECT_EQ(folded, c.folded) << c.text.toStdString();
        QByteArray utf8;
        search::appendFoldedUtf8(c.text.toUtf8(), utf8);
        QByteArray fromText;
        search::appendFoldedUtf8(QStringView(c.text), fromText);
        EXPECT_LE(utf8.size(), c.text.toUtf8().size()) << c.text.toStdString();
        EXPECT_EQ(fromText, utf8) << c.text.toStdString();
        if (!c.text.contains(QChar(0xD800))) {
            EXPECT_EQ(utf8, c.folded.toUtf8()) << c.text.toStdString();
        }
    }
    QByteArray broken;
    search::appendFoldedUtf8(QByteArrayView("\xFF\xD0\x90\xC3"), broken);
    EXPECT_EQ(broken, QByteArray("\xFF\xD0\xB0\xC3")) << "invalid bytes stay, А folds";
    EXPECT_EQ(search::foldedQuery(QString("А") + QChar(0) + "Б"), QString("аб").toUtf8());
}

TEST(TextMatches, FindsEveryPlaceInTheOriginalText) {
    using search::TextMatch;
    const struct {
        QString text;
        QString query;
        std::vector<TextMatch> places;
    } cases[] = {
        {"Ёлка, елка, ЕЛКА", "елк", {{0, 3}, {6, 3}, {12, 3}}},
        {"café и cafe", "CAFÉ", {{0, 4}, {7, 4}}},
        // Marks of their own belong to the letter before them.
        {QString::fromUtf8("a cafés"), "cafe", {{2, 5}}},
        {QString::fromUtf8("x𐐀y"), QString::fromUtf8("𐐨y"), {{1, 3}}},
        {"аааа", "аа", {{0, 2}, {2, 2}}},
        {"мой", "мои", {}},
        {"текст", "", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(search::matchesIn(c.text, c.query), c.places) << c.query.toStdString();
    }
}

TEST(ByteFinder, FindsWhatIndexOfFindsAtEveryPlaceAndLength) {
    // Runs long enough for the 32- and 16-place steps and their tails, with the string at every
    // place: first, inside, straddling a step's end, last, and cut off by the end.
    const QByteArray needles[] = {"a", "ab", QString("ёж").toUtf8(), QString("молоко").toUtf8(),
                                  "abcdefghijklmnopqrstuvwxyz0123456789"};
    for (const QByteArray& needle : needles) {
        const search::ByteFinder finder(needle);
        for (int length = 0; length < 80; ++length) {
            for (int place = 0; place <= length; ++place) {
                QByteArray hay(length, 'x');
                hay.replace(place, needle.size(), needle);
                hay.truncate(length);
                const char* found = finder.find(hay.constData(), hay.constData() + hay.size());
                const qsizetype expected = hay.indexOf(needle);
                EXPECT_EQ(found ? found - hay.constData() : -1, expected)
                    << needle.constData() << " " << length << " " << place;
            }
        }
    }
    // The probed bytes alike but the string not: no match.
    const QByteArray near = QString("малоко").toUtf8();
    EXPECT_EQ(search::ByteFinder(QString("молоко").toUtf8()).find(near.begin(), near.end()),
              nullptr);
}

TEST(RecordCorpus, OwnRecordIsTheExactNameOrTheOnlyLongerOneOfALongName) {
    const QString long255(255, u'д');
    const QString other255 = QString(254, u'д') + u'ж';
    const auto corpus = corpusOf({
        {7, "Ветка"},
        {3, "Ветка"},
        {5, "ветка"},
        {9, "Ветка длинная"},
        {11, long255 + "хвост"},
        {12, other255 + "один"},
        {13, other255 + "два"},
    });
    const struct {
        QString text;
        qint64 rowId; // 0: no own record
    } cases[] = {
        {"Ветка", 3},      // the lowest key of the exact names
        {"ветка", 5},      // letter case counts
        {"ВЕТКА", 0},      //
        {"Ветка длин", 0}, // a beginning is not a name
        {long255, 11},     // cut by the tree file: the one record that begins with it
        {other255, 0},     // two begin with it: neither is its own
        {"Нет такой", 0},
    };
    for (const auto& c : cases) {
        const int own = corpus->ownRecordOf(c.text);
        EXPECT_EQ(own < 0 ? 0 : corpus->rowId(own), c.rowId) << c.text.left(20).toStdString();
    }
}

TEST(FindBranches, TreeOrderFirstPlaceOwnRecordsOnlyAndAnyDepth) {
    infobase::TTreeNodes tree;
    infobase::TTreeNode* docs = tree.AddChild(nullptr, "Документы");
    infobase::TTreeNode* lease = tree.AddChild(docs, "Аренда");
    infobase::TTreeNode* notes = tree.AddChild(nullptr, "Заметки");
    infobase::TTreeNode* folder = tree.AddChild(nullptr, "Папка");
    infobase::TTreeNode* deep = folder;
    for (int level = 0; level < 20000; ++level) {
        deep = tree.AddChild(deep, "уровень");
    }
    infobase::TTreeNode* bottom = tree.AddChild(deep, "Дно");
    const auto corpus = corpusOf({
        {1, "Заметки", "про аренду", "аренда и ещё раз аренда"},
        {2, "Аренда", "", "договор"},
        {3, "Папка ", "аренда"}, // not Папка's: one blank more
        {4, "Дно", "", "на самом дне"},
        {5, "Документы", "договоры", "договор"},
    });
    const search::TreeOrder order(tree, *corpus);
    using search::MatchPlace;
    const auto found = [&](const char* query) {
        std::vector<std::tuple<infobase::TTreeNode*, qint64, MatchPlace>> hits;
        for (const auto& hit : search::findBranches(order, *corpus, QString::fromUtf8(query))) {
            hits.emplace_back(hit.node, hit.rowId, hit.place);
        }
        return hits;
    };
    using Hits = std::vector<std::tuple<infobase::TTreeNode*, qint64, MatchPlace>>;
    EXPECT_EQ(found("АРЕНД"),
              (Hits{{lease, 2, MatchPlace::Name}, {notes, 1, MatchPlace::Description}}));
    EXPECT_EQ(found("договор"),
              (Hits{{docs, 5, MatchPlace::Description}, {lease, 2, MatchPlace::Text}}));
    EXPECT_EQ(found("дне"), (Hits{{bottom, 4, MatchPlace::Text}}));
    EXPECT_EQ(found("папка"), (Hits{{folder, 0, MatchPlace::Name}}));
    EXPECT_EQ(found("").size(), 0u);
    EXPECT_EQ(found("уровень").size(), 20000u);
    EXPECT_EQ(search::branchPath(lease), "Документы / Аренда");

    // Within one branch: the branch and its sub-branches, however deep.
    const auto within = [&](const char* query, const infobase::TTreeNode* root) {
        Hits hits;
        for (const auto& hit :
             search::findBranches(order, *corpus, QString::fromUtf8(query), root)) {
            hits.emplace_back(hit.node, hit.rowId, hit.place);
        }
        return hits;
    };
    EXPECT_EQ(within("аренд", docs), (Hits{{lease, 2, MatchPlace::Name}}));
    EXPECT_EQ(within("аренд", notes), (Hits{{notes, 1, MatchPlace::Description}}));
    EXPECT_EQ(within("аренд", lease), (Hits{{lease, 2, MatchPlace::Name}}));
    EXPECT_EQ(within("дне", folder), (Hits{{bottom, 4, MatchPlace::Text}}));
    EXPECT_EQ(within("уровень", deep).size(), 1u);
    EXPECT_EQ(within("документы", lease), Hits{});
}

TEST(HitText, ExcerptSurroundsTheFirstMatch) {
    const QString longText = QString(100, u'а') + "\r\nКЛЮЧ под ковриком" + QString(100, u'б');
    const struct {
        QString text;
        QString query;
        QString excerpt;
    } cases[] = {
        {"Короткий текст", "текст", "Короткий текст"},
        {"Ключи у охранника.\r\nКод\tдвери 4471.", "код", "Ключи у охранника. Код двери 4471."},
        {longText, "ключ",
         "…" + QString(28, u'а') + " КЛЮЧ под ковриком" + QString(43, u'б') + "…"},
        {longText, "нет", QString(90, u'а').simplified() + "…"},
        {QString(100, u'в') + "ёж", "еж", "…" + QString(88, u'в') + "ёж"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(search::excerptAround(c.text, c.query), c.excerpt) << c.query.toStdString();
    }
}

} // namespace
