#include "infobase/TextArena.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <new>

namespace infobase {
namespace {

using Block = QTypedArrayData<char16_t>;

// 64 KiB blocks: a few hundred texts each, and well below the size at which the heap would
// map every block separately.
constexpr qsizetype kBlockUnits = 32 * 1024 - 32;

void release(QArrayData* block) {
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

QString TextArena::fromUtf16LittleEndian(const char* bytes, qsizetype length) {
    if (length == 0) {
        return QString(); // QString's own empty text, as a new node has
    }
    if (end_ - next_ < length + 1) {
        startBlock(length + 1);
    }
    char16_t* text = next_;
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        std::memcpy(text, bytes, 2 * size_t(length));
    } else {
        for (qsizetype i = 0; i < length; ++i) {
            text[i] = qFromLittleEndian<quint16>(bytes + 2 * i);
        }
    }
    text[length] = u'\0';
    next_ = text + length + 1;
    // The block is new and no other thread can hold a text of it yet, so the count of its
    // references can be raised without the cost of an atomic operation.
    block_->ref_.storeRelaxed(block_->ref_.loadRelaxed() + 1);
    return QString(QString::DataPointer(static_cast<Block*>(block_), text, length));
}

} // namespace infobase
