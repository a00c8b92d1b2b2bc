#include "infobase/tree/TextArena.h"

#include <algorithm>
#include <new>

namespace infobase {
namespace {

// 64 KiB blocks: a few hundred texts each, and well below the size at which the heap would
// map every block separately.
constexpr qsizetype kBlockUnits = 32 * 1024 - 32;

void release(QArrayData* block) {
    using Block = QTypedArrayData<char16_t>;
    if (block && !block->deref()) {
        Block::deallocate(block);
    }
}

} // namespace

TextArena::~TextArena() {
    release(block_);
}

void TextArena::startBlock(qsizetype units) {
    auto [header, data] = Block::allocate(std::max(units, kBlockUnits));
    if (!header) {
        throw std::bad_alloc();
    }
    release(block_);
    block_ = header;
    next_ = data;
    end_ = data + header->allocatedCapacity();
}

} // namespace infobase
