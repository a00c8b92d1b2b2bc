#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <utility>
#include <vector>

namespace infobase {
class TTreeNode;
class TTreeNodes;
} // namespace infobase

namespace infobase::search {

class ByteFinder;
class RecordCorpus;

// The branches of a tree in the tree's order (each node before its children, siblings in
// their order), each with its name folded (SearchFold.h) and its own record in a corpus.
// It holds node pointers and the corpus's slots: follow each change of the tree with the
// calls below (or rebuild it), and rebuild it whenever the corpus gains, loses or renames a
// record. A change costs a pass over the pointers and the folded names, never the folding
// of every name again.
class TreeOrder {
public:
    TreeOrder(const TTreeNodes& tree, const RecordCorpus& records);

    // Before a branch leaves its place (removed, or about to move): it and its sub-branches
    // go from the order. The places they had.
    std::pair<int, int> removeBranch(const TTreeNode* root);
    // After a branch came to its place (inserted, or moved): it and its sub-branches come
    // into the order there. The places they have.
    std::pair<int, int> insertBranch(const TTreeNode* root, const RecordCorpus& records);
    // After a branch with its sub-branches moved in the tree from the places [begin, end) the
    // order still gives it: it and its sub-branches go to their new places, and only the
    // places between the old and the new ones change. The places they have now.
    std::pair<int, int> moveBranch(const TTreeNode* root, int begin, int end);
    // After a branch's text changed. Its place, or size() for a node not in the order.
    int renameBranch(const TTreeNode* node, const RecordCorpus& records);
    // After records of those names came, went or were renamed in the corpus: the branches
    // of those texts look for their own record again. The places of those branches.
    std::vector<int> reown(const std::vector<QString>& names, const RecordCorpus& records);
    // The places of the branches whose own records are among the slots, in order.
    std::vector<int> placesOwning(const std::vector<int>& slots, int slotCount) const;

    int size() const { return static_cast<int>(nodes_.size()); }
    TTreeNode* node(int index) const { return nodes_[index]; }
    // The branch's own record in the corpus, or -1.
    int ownRecord(int index) const { return ownRecords_[index]; }
    // The branch's name folded.
    QByteArrayView foldedName(int index) const {
        return QByteArrayView(folded_).sliced(nameStarts_[index],
                                              nameStarts_[index + 1] - nameStarts_[index] - 1);
    }

    // The places [first, second) of the branch and all its sub-branches, which follow it;
    // an empty range for a node not in the tree.
    std::pair<int, int> subtree(const TTreeNode* root) const;

    // For each branch of the places [begin, end), whether its name holds the folded query;
    // zero for the others.
    void matchNames(const ByteFinder& query, int begin, int end, std::vector<char>& found) const;
    // The same for the places listed, in any order.
    void matchNames(const ByteFinder& query, const std::vector<int>& among,
                    std::vector<char>& found) const;

    std::size_t memoryBytes() const;

    // The place of the node, or size() for a node not in the order. Looks first near the
    // place last found: a person's next command is mostly near the last one.
    int placeOf(const TTreeNode* node) const;

private:
    // The place after the branch's sub-branches: the next sibling's of the branch or of its
    // nearest parent that has one.
    int placeAfter(const TTreeNode* root) const;
    void matchNameRange(const ByteFinder& query, int begin, int end,
                        std::vector<char>& found) const;
    // Appends the node with its own record and folded name.
    void append(TTreeNode* node, const RecordCorpus& records, std::vector<TTreeNode*>& nodes,
                std::vector<int>& owns, QByteArray& folded, std::vector<qsizetype>& starts) const;

    mutable int lastPlace_ = 0;
    std::vector<TTreeNode*> nodes_;
    std::vector<int> ownRecords_;
    QByteArray folded_;                 // the names, each followed by a zero byte
    std::vector<qsizetype> nameStarts_; // where each name begins, and the end
};

} // namespace infobase::search
