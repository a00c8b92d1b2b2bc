#pragma once

#include <QString>
#include <QtEndian>
#include <cstring>

namespace infobase {

// Makes many short texts that share a few large blocks of memory instead of a heap block
// each: the texts of a tree file are read this way, which saves an allocation per node and
// most of the heap's per-block overhead.
//
// Each text is an ordinary QString holding a counted reference to its block; a block is
// freed when its last text is. A text that is changed gets its own memory as any shared
// QString does, and until then keeps its block alive. Every text ends with a zero code
// unit, as QString's own data does.
class TextArena {
public:
    TextArena() = default;
    ~TextArena();
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // A text of `length` UTF-16 code units stored little-endian at `bytes`.
    QString fromUtf16LittleEndian(const char* bytes, qsizetype length) {
        if (length == 0) {
            return QString(); // QString's own empty text, as a new node has
        }
        if (end_ - next_ < length + 1) {
            startBlock(length + 1);
        }
        char16_t* text = next_;
        copyUnits(text, bytes, length);
        text[length] = u'\0';
        next_ = text + length + 1;
        // While the arena fills a block, every text of it is in the tree being read, which
        // nothing else touches until reading ends: the count of the block's references can
        // be raised without the cost of an atomic operation.
        block_->ref_.storeRelaxed(block_->ref_.loadRelaxed() + 1);
        return QString(QString::DataPointer(static_cast<Block*>(block_), text, length));
    }

private:
    using Block = QTypedArrayData<char16_t>;

    static void copyUnits(char16_t* to, const char* bytes, qsizetype length) {
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            std::memcpy(to, bytes, 2 * size_t(length));
        } else {
            for (qsizetype i = 0; i < length; ++i) {
                to[i] = qFromLittleEndian<quint16>(bytes + 2 * i);
            }
        }
    }
    void startBlock(qsizetype units);

    QArrayData* block_ = nullptr; // the arena's own reference, while it fills the block
    char16_t* next_ = nullptr;
    char16_t* end_ = nullptr;
};

} // namespace infobase
