#include "infobase/search/ByteFinder.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace infobase::search {

namespace {

bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

ByteFinder::ByteFinder(QByteArray needle) : needle_(std::move(needle)) {
    const qsizetype size = needle_.size();
    if (size == 0) {
        return;
    }
    lastProbe_ = size - 1;
    // The first letter's second byte rather than its lead byte, when it has one to spare.
    firstProbe_ = size > 2 && isContinuationByte(needle_[1]) ? 1 : 0;
    std::memset(firstBytes_, needle_[firstProbe_], sizeof firstBytes_);
    std::memset(lastBytes_, needle_[lastProbe_], sizeof lastBytes_);
}

const char* ByteFinder::find(const char* from, const char* end) const {
    const qsizetype size = needle_.size();
    if (size == 0) {
        return from;
    }
    if (end - from < size) {
        return nullptr;
    }
    const char* needle = needle_.constData();
    if (size == 1) {
        return static_cast<const char*>(std::memchr(from, needle[0], end - from));
    }
    const char* last = end - size; // the last place the string can begin
    const char* at = from;
#ifdef __SSE2__
    const __m128i firstByte = _mm_load_si128(reinterpret_cast<const __m128i*>(firstBytes_));
    const __m128i lastByte = _mm_load_si128(reinterpret_cast<const __m128i*>(lastBytes_));
    for (; last - at >= 15; at += 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + firstProbe_));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + lastProbe_));
        unsigned candidates = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(first, firstByte), _mm_cmpeq_epi8(second, lastByte))));
        while (candidates) {
            const char* place = at + __builtin_ctz(candidates);
            if (size == 2 || std::memcmp(place, needle, size) == 0) {
                return place;
            }
            candidates &= candidates - 1;
        }
    }
#endif
    for (; at <= last; ++at) {
        if (at[firstProbe_] == needle[firstProbe_] && at[lastProbe_] == needle[lastProbe_] &&
            std::memcmp(at, needle, size) == 0) {
            return at;
        }
    }
    return nullptr;
}

} // namespace infobase::search
