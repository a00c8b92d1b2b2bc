#pragma once

#include <QByteArray>
#include <QByteArrayView>
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
// It holds node pointers and the corpus's slots: rebuild it whenever the tree changes, or
// the corpus gains, loses or renames a record.
class TreeOrder {
public:
    TreeOrder(const TTreeNodes& tree, const RecordCorpus& records);

    int size() const { return static_cast<int>(nodes_.size()); }
    TTreeNode* node(int index) const { return nodes_[index]; }
    // The branch's own record in the corpus, or -1.
    int ownRecord(int index) const { return ownRecords_[index]; }

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

private:
    std::vector<TTreeNode*> nodes_;
    std::vector<int> ownRecords_;
    QByteArray folded_;                 // the names, each followed by a zero byte
    std::vector<qsizetype> nameStarts_; // where each name begins, and the end
};

} // namespace infobase::search
