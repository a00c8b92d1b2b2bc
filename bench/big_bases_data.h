#pragma once

#include <QString>

// The big bases the program is measured on, each a program folder (Data/Quorlent.mdb and
// Data/TreeView.dat) generated once under $QUORLENT_BENCH_DATA, or big_bases_data beside the
// benchmark, and reused by later runs.
namespace big_bases {

struct Shape {
    const char* name;
    int top;          // top-level branches
    int middle;       // sub-branches of each
    int leaves;       // sub-branches of each of those
    int textBytes;    // the text of a branch that has one, about that many UTF-8 bytes
    int textEvery;    // one branch in that many has a description and a text; 0: none
    int pictureEvery; // one branch in that many has a small JPEG attached; 0: none
};

// A few levels of Cyrillic names, half the branches with a description and a text, one in a
// hundred with a picture: 101 100 and 1 010 100 branches. Besides them, each tree holds the
// branch kSortBranch with kSortChildren sub-branches in no order.
inline constexpr Shape kRealistic100k{"100k", 100, 10, 100, 800, 2, 100};
inline constexpr Shape kRealistic1M{"1M", 100, 100, 100, 800, 2, 100};
// The same 101 100 branches with 10 KB of text each (about 1 GB), and with none.
inline constexpr Shape kTexts100k{"100k-texts", 100, 10, 100, 10'000, 1, 0};
inline constexpr Shape kNoTexts100k{"100k-no-texts", 100, 10, 100, 0, 0, 0};

inline const QString kSortBranch = QStringLiteral("Сортировка");
inline constexpr int kSortChildren = 1000;

// A word found in one text of about a thousand, and one in every text.
inline const QString kRareWord = QStringLiteral("жемчужина");

// The program folder of that shape, generated when it is not there yet.
QString programFolder(const Shape& shape);

// The names of a leaf, for picking branches to click and move.
QString leafName(int top, int middle, int leaf);

} // namespace big_bases
