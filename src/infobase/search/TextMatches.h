#pragma once

#include <QStringView>
#include <limits>
#include <vector>

namespace infobase::search {

// One place where a query stands in a text: the code units it covers in the original text,
// accents written as separate marks included.
struct TextMatch {
    qsizetype start = 0;
    qsizetype length = 0;

    friend bool operator==(const TextMatch&, const TextMatch&) = default;
};

// Every place, first to last and not overlapping, where the query stands in the text when
// both are folded as the search folds them (SearchFold.h), at most `most` of them. The empty
// query stands nowhere.
std::vector<TextMatch> matchesIn(QStringView text, QStringView query,
                                 qsizetype most = std::numeric_limits<qsizetype>::max());

} // namespace infobase::search
