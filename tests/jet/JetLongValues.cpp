#include "JetLongValues.h"

#include <QtEndian>
#include <algorithm>
#include <vector>

namespace jetfile {
namespace {

constexpr std::uint32_t kInlineFlag = 0x80000000;
constexpr std::uint32_t kSinglePageFlag = 0x40000000;
constexpr std::uint64_t kMaxLongValueSize = 0x3FFFFFFF; // 30 bits beside the two flags
constexpr std::uint32_t kPastAnyFile = 0x00FFFFF0;      // a page number no test file reaches

bool isChainDamage(JetDamage damage) {
    return damage == JetDamage::ChainToMissingPage || damage == JetDamage::ChainToWrongRow ||
           damage == JetDamage::ChainLoop || damage == JetDamage::ChainEndsEarly;
}

} // namespace

QByteArray longValueHeader(std::uint64_t size, LongValuePlacement placement,
                           std::uint32_t pageRow) {
    if (size > kMaxLongValueSize)
        throw JetWriteError("a long value holds at most 1 GiB - 1 bytes");
    std::uint32_t length = static_cast<std::uint32_t>(size);
    if (placement == LongValuePlacement::Inline)
        length |= kInlineFlag;
    else if (placement == LongValuePlacement::SinglePage)
        length |= kSinglePageFlag;
    QByteArray header(12, '\0');
    qToLittleEndian<std::uint32_t>(length, header.data());
    qToLittleEndian<std::uint32_t>(pageRow, header.data() + 4);
    return header;
}

QByteArray longValueBytes(const JetLongValue& value) {
    QByteArray bytes(static_cast<qsizetype>(value.size), '\0');
    if (value.size > 0)
        value.fill(0, bytes.data(), bytes.size());
    return bytes;
}

LongValueStore::LongValueStore(JetPageFile& file, const JetFileOptions& options,
                               JetFileLayout& layout)
    : file_(file), options_(options), layout_(layout) {}

QByteArray LongValueStore::store(const JetLongValue& value, LongValuePlacement placement) {
    Q_ASSERT(placement == LongValuePlacement::SinglePage || placement == LongValuePlacement::Chain);
    if (placement == LongValuePlacement::SinglePage) {
        if (value.size > kSinglePageCapacity)
            throw JetWriteError("a long value of " + std::to_string(value.size) +
                                " bytes does not fit one long-value page");
        ++layout_.singlePageValues;
        return longValueHeader(value.size, placement, storeOnSharedPage(value));
    }
    ++layout_.chainedValues;
    return longValueHeader(value.size, placement, storeChain(value));
}

std::uint32_t LongValueStore::storeOnSharedPage(const JetLongValue& value) {
    const QByteArray bytes = longValueBytes(value);
    if (shared_ && !shared_->fits(bytes.size()))
        flush();
    if (!shared_) {
        shared_.emplace(RowPage::kLongValueOwner);
        sharedPage_ = file_.allocate();
        ++layout_.longValuePages;
    }
    const int row = shared_->add(bytes);
    return sharedPage_ << 8 | static_cast<std::uint32_t>(row);
}

std::uint32_t LongValueStore::storeChain(const JetLongValue& value) {
    const std::size_t piece = options_.chainPieceSize == 0
                                  ? kChainPieceCapacity
                                  : std::min(options_.chainPieceSize, kChainPieceCapacity);
    const std::uint64_t links = std::max<std::uint64_t>(1, (value.size + piece - 1) / piece);
    const bool damaged = isChainDamage(options_.damage) && !chainDamaged_ && links >= 2;
    chainDamaged_ = chainDamaged_ || damaged;

    // The links take consecutive pages, so that each knows where the next one will be.
    const std::uint32_t first = file_.allocate();
    std::vector<char> record(4 + piece);
    for (std::uint64_t link = 0; link < links; ++link) {
        const std::uint32_t page = link == 0 ? first : file_.allocate();
        Q_ASSERT(page == first + link);
        const std::uint64_t offset = link * piece;
        const std::size_t length =
            static_cast<std::size_t>(std::min<std::uint64_t>(piece, value.size - offset));
        qToLittleEndian<std::uint32_t>(nextLink(first, link, links, damaged), record.data());
        if (length > 0)
            value.fill(offset, record.data() + 4, length);
        RowPage lval(RowPage::kLongValueOwner);
        lval.add(QByteArray(record.data(), static_cast<qsizetype>(4 + length)));
        file_.write(page, lval.bytes());
        ++layout_.longValuePages;
    }
    return first << 8;
}

std::uint32_t LongValueStore::nextLink(std::uint32_t first, std::uint64_t link, std::uint64_t links,
                                       bool damaged) const {
    const std::uint32_t following = static_cast<std::uint32_t>(first + link + 1) << 8;
    const bool last = link + 1 == links;
    if (damaged) {
        switch (options_.damage) {
        case JetDamage::ChainToMissingPage:
            if (link == 0)
                return kPastAnyFile << 8;
            break;
        case JetDamage::ChainToWrongRow:
            if (link == 0)
                return following | 7; // each link's page has row 0 only
            break;
        case JetDamage::ChainLoop:
            if (last)
                return first << 8;
            break;
        case JetDamage::ChainEndsEarly:
            if (link + 2 == links)
                return 0;
            break;
        default:
            break;
        }
    }
    return last ? 0 : following;
}

void LongValueStore::flush() {
    if (!shared_)
        return;
    file_.write(sharedPage_, shared_->bytes());
    shared_.reset();
}

void LongValueStore::checkDamageDone() const {
    if (isChainDamage(options_.damage) && !chainDamaged_)
        throw JetWriteError("damage to a chain needs a long value in a chain of two pages or more");
}

} // namespace jetfile
