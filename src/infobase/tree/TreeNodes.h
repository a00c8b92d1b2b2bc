#pragma once

#include "infobase/tree/ChildList.h"
#include "infobase/tree/TreeChange.h"

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <future>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace infobase {

class TTreeNodes;

// One branch or sub-branch of the information tree. Its text names the branch and is the key
// of its record; the image indexes, Data and Enabled have no effect in the program and are
// carried only so that the tree file gives them back unchanged.
class TTreeNode {
public:
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    // The text is changed through TTreeNodes::setText, so that a view over the tree hears of it.
    const QString& Text() const { return text_; }

    qint32 ImageIndex = 0;
    qint32 SelectedIndex = 0;
    qint32 StateIndex = -1;
    qint32 OverlayIndex = -1;
    qint32 ExpandedImageIndex = 0;
    qint32 Data = 0; // an opaque word, never interpreted
    bool Enabled = true;
    bool Expanded = false; // the children are shown; never saved

    // Whether the node shows an expand button. Maintained by the tree (AddChild sets it,
    // deleting the last child clears it) and set from the tree file; it can be true without
    // children. Whether a branch has sub-branches is always asked of this flag.
    bool HasChildren() const { return hasChildren_; }

    // The parent node, or nullptr for a top-level node.
    TTreeNode* Parent() const { return parent_->parent_ ? parent_ : nullptr; }
    // The number of direct children and the child at an index 0 … Count() − 1.
    int Count() const { return children_.size(); }
    TTreeNode* Item(int index) const { return children_[index]; }
    // The node's position among its siblings.
    int Index() const { return index_; }
    // The next node of the same level, or nullptr after the last one.
    TTreeNode* getNextSibling() const;
    TTreeNode* getFirstChild() const { return children_.empty() ? nullptr : children_[0]; }
    // The node after this one in the tree's order (a node, then its sub-tree, then its next
    // sibling), or nullptr after the last node of the tree.
    TTreeNode* GetNext() const;
    // 0 for a top-level node.
    int Level() const;

private:
    friend class TTreeNodes;
    TTreeNode() = default;

    // The two small fields first, beside the public flags, so that a node takes 80 bytes.
    bool hasChildren_ = false;
    int index_ = 0;
    QString text_;
    TTreeNode* parent_ = nullptr; // top-level nodes hang below the tree's hidden root
    ChildList children_;
};

// Told about every change of a TTreeNodes, so that a view can follow it (a
// QAbstractItemModel adapter maps these onto its begin…/end… calls). A parent of nullptr
// means the top level.
class TreeNodesObserver {
public:
    virtual ~TreeNodesObserver() = default;
    virtual void nodeAboutToBeInserted(TTreeNode* parent, int row) = 0;
    virtual void nodeInserted() = 0;
    virtual void nodeAboutToBeRemoved(TTreeNode* parent, int row) = 0;
    virtual void nodeRemoved() = 0;
    // The node's text or its HasChildren flag changed.
    virtual void nodeChanged(TTreeNode* node) = 0;
    // Around a Move: the node at oldRow of oldParent goes to newParent, in front of the child
    // that is at newRow there before the move (newRow equal to their number: at the end).
    virtual void nodeAboutToBeMoved(TTreeNode* oldParent, int oldRow, TTreeNode* newParent,
                                    int newRow) = 0;
    virtual void nodeMoved() = 0;
    // Around a Reorder: the parent's children change places, and only they.
    virtual void childrenAboutToBeReordered(TTreeNode* parent) = 0;
    virtual void childrenReordered(TTreeNode* parent) = 0;
    // Around Clear and around a bulk update (BeginUpdate … EndUpdate), instead of the
    // single-node notifications.
    virtual void treeAboutToBeReset() = 0;
    virtual void treeReset() = 0;
};

// The information tree: an ordered forest of nodes. Siblings keep the order in which they
// were added until the user moves or orders them (Move, Reorder); texts need not be unique
// and have no length limit.
class TTreeNodes {
public:
    TTreeNodes();
    ~TTreeNodes();
    TTreeNodes(const TTreeNodes&) = delete;
    TTreeNodes& operator=(const TTreeNodes&) = delete;

    // Appends a node as the last one of the sibling's level (the last top-level node when the
    // sibling is nullptr or top-level). The sibling's flags are left alone.
    TTreeNode* Add(TTreeNode* sibling, QString text);
    // Appends a node as the last child of the parent (the last top-level node when the parent
    // is nullptr) and sets the parent's HasChildren. The parent stays collapsed or expanded.
    TTreeNode* AddChild(TTreeNode* parent, QString text);
    // Removes the node with all its descendants. When it was its parent's last child, the
    // parent's HasChildren is cleared. A removed selected node leaves no node selected.
    void Delete(TTreeNode* node);
    // Removes every node.
    void Clear();
    // Moves the node with its whole sub-tree to be the child at `index` of the new parent
    // (nullptr: the top level), the index counted among the new parent's children without
    // the node and limited to their number. Every node stays where it is in memory, so
    // pointers to the moved nodes stay valid. When the old parent loses its last child its
    // HasChildren is cleared; the new parent's is set. Returns false, changing nothing, when
    // the new parent is the node or inside its sub-tree, or the place is the node's own.
    bool Move(TTreeNode* node, TTreeNode* newParent, int index);
    // Whether the node may go under the parent (nullptr: the top level): not into itself and
    // not into its own sub-tree.
    static bool CanMoveUnder(const TTreeNode* node, const TTreeNode* newParent);
    // Puts the parent's children (nullptr: the top level) in the order given, which holds
    // each of them exactly once.
    void Reorder(TTreeNode* parent, const std::vector<TTreeNode*>& order);

    void setText(TTreeNode* node, const QString& text);
    void setHasChildren(TTreeNode* node, bool hasChildren);

    // The number of nodes at all levels.
    int Count() const { return count_; }
    // How many nodes at all levels carry exactly that text. The first call counts the whole
    // tree once; from then on every change keeps the counts in step, so a call is a lookup.
    int NameCount(const QString& text) const;
    // Starts that count off the calling thread (after a tree was read, so that the first
    // NameCount need not wait for it); changes made meanwhile are kept and added to it.
    void prepareNameCounts();
    // The top-level nodes.
    int TopCount() const { return root_.Count(); }
    TTreeNode* TopItem(int index) const { return root_.Item(index); }
    TTreeNode* getFirstNode() const { return root_.getFirstChild(); }

    // The selected node, or nullptr.
    TTreeNode* Selected() const { return selected_; }
    void setSelected(TTreeNode* node) { selected_ = node; }

    // Between BeginUpdate and EndUpdate (which nest) the observer hears one reset instead of
    // each change; the tree file reader builds the whole tree this way.
    void BeginUpdate();
    void EndUpdate();

    // The observer is not owned; nullptr detaches it.
    void setObserver(TreeNodesObserver* observer) { observer_ = observer; }
    // Told of every change outside a bulk update, as a TreeChange, in the order added; not
    // owned. Adding one twice keeps it once.
    void addRecorder(TreeChangeRecorder* recorder);
    void removeRecorder(TreeChangeRecorder* recorder);

    // For a reader that builds the tree inside BeginUpdate … EndUpdate: appends a node as the
    // last child of the parent (nullptr: the top level) with its text and HasChildren flag,
    // and changes nothing else — the parent's flag is the reader's to set.
    Q_ALWAYS_INLINE TTreeNode* appendLoaded(TTreeNode* parent, QString&& text, bool hasChildren) {
        Q_ASSERT(updateDepth_ > 0);
        TTreeNode* node = link(parentOrRoot(parent), std::move(text));
        node->hasChildren_ = hasChildren;
        return node;
    }

    // Makes room for that many more children under the parent (nullptr: the top level)
    // without changing the tree; the reader uses it when a count in the file is trustworthy.
    // A parent without children gets a run of the tree's own memory, freed with the tree.
    void reserveChildren(TTreeNode* parent, int count);

private:
    TTreeNode* append(TTreeNode* parent, QString text);
    // Makes a new node the last child of the parent (the hidden root for the top level).
    Q_ALWAYS_INLINE TTreeNode* link(TTreeNode* parent, QString&& text) {
        TTreeNode* node = allocate();
        node->text_ = std::move(text);
        node->parent_ = parent;
        node->index_ = parent->children_.size();
        parent->children_.push_back(node);
        ++count_;
        if (nameCounts_ || countsComing_.valid()) {
            countName(node->text_, 1);
        }
        return node;
    }
    using NameCounts = QHash<QString, int>;
    void countName(const QString& text, int change) const;
    // The texts of every node, taken from the blocks in the order they lie in memory.
    std::vector<QString> liveTexts() const;
    TTreeNode* parentOrRoot(TTreeNode* node) { return node ? node : &root_; }
    // Gives the parent's children from that position on their positions again.
    static void renumber(TTreeNode* parent, int from);
    TTreeNode* outside(TTreeNode* parent) const { return parent == &root_ ? nullptr : parent; }
    // Takes every node of the subtree out of the tree without recursion, so that any depth
    // is safe; their places are reused by the next nodes added.
    void destroySubtree(TTreeNode* node);
    TTreeNode* allocate() {
        if (released_.empty() && usedInLastBlock_ < kBlockSize) {
            return new (&blocks_.back()[usedInLastBlock_++]) TTreeNode;
        }
        return allocateElsewhere();
    }
    TTreeNode* allocateElsewhere();
    void destroyAllNodes();
    TTreeNode** lendChildRun(int count);
    bool notifying() const { return observer_ && updateDepth_ == 0; }
    bool recording() const { return !recorders_.empty() && updateDepth_ == 0; }
    void record(TreeChange forward, TreeChange inverse) const;

    TTreeNode root_;
    int count_ = 0;
    TTreeNode* selected_ = nullptr;
    TreeNodesObserver* observer_ = nullptr;
    std::vector<TreeChangeRecorder*> recorders_;
    int updateDepth_ = 0;
    // Nodes live in blocks, side by side in the order they were added, which saves a heap
    // block per node and keeps a walk through the tree close in memory. A node is made in its
    // place when it is first needed.
    struct alignas(TTreeNode) NodePlace {
        unsigned char bytes[sizeof(TTreeNode)];
    };
    static constexpr int kBlockSize = 512;
    std::vector<std::unique_ptr<NodePlace[]>> blocks_;
    int usedInLastBlock_ = kBlockSize;
    // Runs of child pointers lent to branches whose number of children was known ahead.
    static constexpr int kSlabSize = 4 * 1024;
    std::vector<std::unique_ptr<TTreeNode*[]>> slabs_;
    TTreeNode** slabNext_ = nullptr;
    int slabFree_ = 0;
    std::vector<TTreeNode*> released_; // places of deleted nodes, reset to a new node's state
    // The number of nodes per text, once asked for (NameCount). The keys share the nodes'
    // strings. Not made while a tree is read, so that reading costs nothing for it.
    mutable std::unique_ptr<NameCounts> nameCounts_;
    // While prepareNameCounts' count runs: what it will give, and the changes made meanwhile.
    mutable std::future<std::unique_ptr<NameCounts>> countsComing_;
    mutable std::vector<std::pair<QString, int>> changesMeanwhile_;
};

} // namespace infobase
