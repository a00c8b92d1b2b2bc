#pragma once

#include <QStringView>
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
// both are folded as the search folds them (SearchFold.h). The empty query stands nowhere.
std::vector<TextMatch> matchesIn(QStringView text, QStringView query);

} // namespace infobase::search
