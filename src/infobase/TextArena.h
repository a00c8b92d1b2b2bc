#pragma once

#include <QString>

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
    QString fromUtf16LittleEndian(const char* bytes, qsizetype length);

private:
    void startBlock(qsizetype units);

    QArrayData* block_ = nullptr; // the arena's own reference, while it fills the block
    char16_t* next_ = nullptr;
    char16_t* end_ = nullptr;
};

} // namespace infobase
