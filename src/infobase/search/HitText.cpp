#include "infobase/search/HitText.h"

#include "infobase/search/TextMatches.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeNodes.h"

namespace infobase::search {

namespace {

// How much of the excerpt comes before the match.
constexpr qsizetype kLeadLength = 30;

} // namespace

QString branchPath(const TTreeNode* node) {
    QString path = node->Text();
    for (const TTreeNode* up = node->Parent(); up; up = up->Parent()) {
        path = up->Text() + QStringLiteral(" / ") + path;
    }
    return path;
}

QString excerptAround(QStringView text, QStringView query) {
    const std::vector<TextMatch> matches = matchesIn(text, query, 1);
    const qsizetype at = matches.empty() ? -1 : matches.front().start;
    qsizetype from = at < 0 ? 0 : std::max<qsizetype>(0, at - kLeadLength);
    qsizetype to = std::min(text.size(), from + kExcerptLength);
    // A match near the end: show more of what comes before it.
    from = std::max<qsizetype>(0, std::min(from, to - kExcerptLength));
    // Never cut a character made of two code units in half.
    if (from > 0 && text[from].isLowSurrogate()) {
        ++from;
    }
    if (to < text.size() && text[to - 1].isHighSurrogate()) {
        --to;
    }
    QString excerpt = text.sliced(from, to - from).toString();
    for (QChar& c : excerpt) {
        if (c == u'\r' || c == u'\n' || c == u'\t' || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            c = u' ';
        }
    }
    excerpt = excerpt.simplified();
    if (from > 0) {
        excerpt.prepend(u'…');
    }
    if (to < text.size()) {
        excerpt.append(u'…');
    }
    return excerpt;
}

QString hitExcerpt(const SqlcipherConnection& connection, const BranchHit& hit, QStringView query) {
    const char* column = hit.place == MatchPlace::Description ? "Opisanie"
                         : hit.place == MatchPlace::Text      ? "Texty"
                                                              : nullptr;
    if (!column || hit.rowId == 0 || !connection.isOpen()) {
        return {};
    }
    try {
        SqlStatement row = connection.prepare(QByteArray("SELECT ") + column +
                                              " FROM Tab_DB_Delphi_10 WHERE rowid = ?");
        row.bindInt64(1, hit.rowId);
        return row.step() ? excerptAround(QString::fromUtf8(row.columnText(0)), query) : QString();
    } catch (const Failure&) {
        return {};
    }
}

} // namespace infobase::search
