#include "infobase/search/TextMatches.h"

#include "infobase/search/SearchFold.h"

#include <QString>

namespace infobase::search {

namespace {

// The folded text and, for each of its code units, the original code unit it came from.
struct FoldedWithOrigins {
    QString folded;
    std::vector<qsizetype> origins;
};

FoldedWithOrigins foldWithOrigins(QStringView text) {
    const qsizetype size = text.size();
    FoldedWithOrigins out{QString(size, Qt::Uninitialized), std::vector<qsizetype>(size_t(size))};
    char16_t* const folded = reinterpret_cast<char16_t*>(out.folded.data());
    qsizetype to = 0; // folding never makes a text longer in UTF-16
    for (qsizetype i = 0; i < size;) {
        const qsizetype from = i;
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < size && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        ++i;
        const char32_t f = QChar::isSurrogate(c) ? c : foldForSearch(c);
        if (f == kFoldedAway) {
            continue;
        }
        if (QChar::requiresSurrogates(f)) {
            folded[to] = QChar::highSurrogate(f);
            out.origins[size_t(to++)] = from;
            folded[to] = QChar::lowSurrogate(f);
        } else {
            folded[to] = char16_t(f);
        }
        out.origins[size_t(to++)] = from;
    }
    out.folded.truncate(to);
    out.origins.resize(size_t(to));
    return out;
}

} // namespace

std::vector<TextMatch> matchesIn(QStringView text, QStringView query, qsizetype most) {
    std::vector<TextMatch> matches;
    const QString needle = foldedText(query);
    if (needle.isEmpty()) {
        return matches;
    }
    const FoldedWithOrigins hay = foldWithOrigins(text);
    for (qsizetype at = hay.folded.indexOf(needle); at >= 0 && qsizetype(matches.size()) < most;
         at = hay.folded.indexOf(needle, at + needle.size())) {
        const qsizetype end = at + needle.size();
        // The marks folded away after the match's last letter belong to it.
        const qsizetype originalEnd =
            end < hay.folded.size() ? hay.origins[size_t(end)] : text.size();
        const qsizetype start = hay.origins[size_t(at)];
        matches.push_back({start, originalEnd - start});
    }
    return matches;
}

} // namespace infobase::search
