#pragma once

#include "infobase/tree/TreeNodes.h"

#include <QString>

// The benchmarks' tree of 100 000 nodes: 100 branches of 9 sub-branches of 110 leaves each
// (100 + 900 + 99 000), with Cyrillic texts.
inline void growSampleTree(infobase::TTreeNodes& tree) {
    tree.BeginUpdate();
    for (int a = 0; a < 100; ++a) {
        infobase::TTreeNode* branch = tree.AddChild(nullptr, QStringLiteral("Ветка %1").arg(a));
        for (int b = 0; b < 9; ++b) {
            infobase::TTreeNode* sub =
                tree.AddChild(branch, QStringLiteral("Подветка %1.%2").arg(a).arg(b));
            for (int c = 0; c < 110; ++c) {
                tree.AddChild(sub, QStringLiteral("Запись %1.%2.%3").arg(a).arg(b).arg(c));
            }
        }
    }
    tree.EndUpdate();
}
