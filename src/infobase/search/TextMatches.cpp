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
    FoldedWithOrigins out;
    out.folded.reserve(text.size());
    out.origins.reserve(size_t(text.size()));
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        const qsizetype from = i;
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < size && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        ++i;
        const char32_t folded = QChar::isSurrogate(c) ? c : foldForSearch(c);
        if (folded == kFoldedAway) {
            continue;
        }
        if (QChar::requiresSurrogates(folded)) {
            out.folded.append(QChar(QChar::highSurrogate(folded)));
            out.folded.append(QChar(QChar::lowSurrogate(folded)));
            out.origins.push_back(from);
            out.origins.push_back(from);
        } else {
            out.folded.append(QChar(char16_t(folded)));
            out.origins.push_back(from);
        }
    }
    return out;
}

} // namespace

std::vector<TextMatch> matchesIn(QStringView text, QStringView query) {
    std::vector<TextMatch> matches;
    const QString needle = foldedText(query);
    if (needle.isEmpty()) {
        return matches;
    }
    const FoldedWithOrigins hay = foldWithOrigins(text);
    for (qsizetype at = hay.folded.indexOf(needle); at >= 0;
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
