#pragma once

#include <QtGlobal>
#include <algorithm>
#include <cstring>

namespace infobase {

class TTreeNode;

// The children of a node, in order: pointers in a run of memory that the list either owns or
// was lent by its tree. The tree file reader knows each branch's number of children before it
// reads them and lends runs cut from one large slab, so that reading a tree costs no heap
// block per branch; a lent run the list outgrows is left behind for a run of its own.
class ChildList {
public:
    ChildList() = default;
    ~ChildList() {
        if (owned()) {
            delete[] items_;
        }
    }
    ChildList(const ChildList&) = delete;
    ChildList& operator=(const ChildList&) = delete;

    int size() const { return size_; }
    bool empty() const { return size_ == 0; }
    TTreeNode* operator[](int index) const { return items_[index]; }
    TTreeNode* const* begin() const { return items_; }
    TTreeNode* const* end() const { return items_ + size_; }

    void push_back(TTreeNode* node) {
        if (size_ == capacity()) {
            reallocate(std::max(4, 2 * capacity()));
        }
        items_[size_++] = node;
    }
    void insert(int index, TTreeNode* node) {
        if (size_ == capacity()) {
            reallocate(std::max(4, 2 * capacity()));
        }
        std::memmove(items_ + index + 1, items_ + index,
                     sizeof(TTreeNode*) * size_t(size_ - index));
        items_[index] = node;
        ++size_;
    }
    void set(int index, TTreeNode* node) { items_[index] = node; }
    void erase(int index) {
        std::memmove(items_ + index, items_ + index + 1,
                     sizeof(TTreeNode*) * size_t(size_ - index - 1));
        --size_;
    }
    void clear() {
        ChildList empty;
        swap(empty);
    }
    void reserve(int capacity) {
        if (capacity > this->capacity()) {
            reallocate(capacity);
        }
    }
    // Takes a run of `capacity` pointers that the tree keeps alive; only for an empty list.
    void lend(TTreeNode** run, int capacity) {
        Q_ASSERT(size_ == 0);
        clear();
        items_ = run;
        capacity_ = -capacity;
    }

private:
    int capacity() const { return capacity_ < 0 ? -capacity_ : capacity_; }
    bool owned() const { return capacity_ > 0; }
    void reallocate(int capacity) {
        auto* items = new TTreeNode*[size_t(capacity)];
        std::copy(items_, items_ + size_, items);
        if (owned()) {
            delete[] items_;
        }
        items_ = items;
        capacity_ = capacity;
    }
    void swap(ChildList& other) {
        std::swap(items_, other.items_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    TTreeNode** items_ = nullptr;
    int size_ = 0;
    int capacity_ = 0; // negative for a lent run, which the list must not free
};

} // namespace infobase
