#pragma once

// Long values (Memo, OLE Object) kept outside their rows: on a shared long-value page as one
// record, or in a chain of long-value pages, each page holding the next link and a piece.

#include "JetFileWriter.h"
#include "JetPageFile.h"

#include <optional>

namespace jetfile {

// The 12 bytes a row holds for a long value: its length with the placement in the top
// bits, where it is (page << 8 | row), and 4 unused bytes.
QByteArray longValueHeader(std::uint64_t size, LongValuePlacement placement, std::uint32_t pageRow);
// The whole value, for one that is stored in its row.
QByteArray longValueBytes(const JetLongValue& value);

class LongValueStore {
public:
    static constexpr std::size_t kSinglePageCapacity = RowPage::kMaxRowSize;
    static constexpr std::size_t kChainPieceCapacity = RowPage::kMaxRowSize - 4;

    LongValueStore(JetPageFile& file, const JetFileOptions& options, JetFileLayout& layout);

    // Stores the value on a long-value page (SinglePage) or in a chain (Chain) and returns
    // the header its row keeps.
    QByteArray store(const JetLongValue& value, LongValuePlacement placement);
    // Writes the long-value page still being filled.
    void flush();
    // Throws when damage to a chain was asked for and no chain could take it.
    void checkDamageDone() const;

private:
    std::uint32_t storeOnSharedPage(const JetLongValue& value);
    std::uint32_t storeChain(const JetLongValue& value);
    std::uint32_t nextLink(std::uint32_t first, std::uint64_t link, std::uint64_t links,
                           bool damaged) const;

    JetPageFile& file_;
    const JetFileOptions& options_;
    JetFileLayout& layout_;
    std::optional<RowPage> shared_;
    std::uint32_t sharedPage_ = 0;
    bool chainDamaged_ = false;
};

} // namespace jetfile
