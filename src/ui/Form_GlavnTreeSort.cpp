// Ordering branches from the tree's menu: the selected branch's sub-branches or the top
// level, in natural order (numbers as numbers) from "А" to "Я" or from "Я" to "А". A sort
// changes only the tree's shape and is kept as a move is: the tree file is rewritten, or the
// old order comes back.
#include "ui/Form_Glavn.h"

#include <QAction>

void TForm_Glavn::connectTreeSorts() {
    connect(N_po_alfavitu, &QAction::triggered, this, &TForm_Glavn::N_po_alfavituClick);
    connect(N_po_alfavitu_obratno, &QAction::triggered, this, [this] {
        if (infobase::TTreeNode* node = TreeNodes.Selected()) {
            sortBranches(node, infobase::SortDirection::Descending);
        }
    });
    connect(N_verhniy_po_alfavitu, &QAction::triggered, this,
            [this] { sortBranches(nullptr, infobase::SortDirection::Ascending); });
    connect(N_verhniy_obratno, &QAction::triggered, this,
            [this] { sortBranches(nullptr, infobase::SortDirection::Descending); });
}

void TForm_Glavn::N_po_alfavituClick() {
    if (infobase::TTreeNode* node = TreeNodes.Selected()) {
        sortBranches(node, infobase::SortDirection::Ascending);
    }
}

void TForm_Glavn::sortBranches(infobase::TTreeNode* parent, infobase::SortDirection direction) {
    const auto undo = recordUndo(infobase::UndoCommand::Sort, parent ? parent->Text() : QString());
    // The selected branch stays selected and in sight wherever the sort put it.
    keepShapeChange(infobase::sortChildrenByName(TreeNodes, parent, direction),
                    TreeNodes.Selected());
}
