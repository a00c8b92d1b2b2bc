#include "infobase/search/ByteFinder.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QUORLENT_BYTE_FINDER_AVX2 1
#endif

namespace infobase::search {

namespace {

bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

#ifdef QUORLENT_BYTE_FINDER_AVX2
// Thirty-two places at a time, on a processor that can: the first place from `at` where
// both probed bytes are right and the whole string begins, or the first place not tested.
__attribute__((target("avx2"))) const char* findWide(const char* at, const char* last,
                                                     const char* needle, qsizetype size,
                                                     qsizetype firstProbe, qsizetype lastProbe,
                                                     const char** found) {
    const __m256i firstByte = _mm256_set1_epi8(needle[firstProbe]);
    const __m256i lastByte = _mm256_set1_epi8(needle[lastProbe]);
    for (; last - at >= 31; at += 32) {
        const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + firstProbe));
        const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + lastProbe));
        unsigned candidates = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(
            _mm256_cmpeq_epi8(first, firstByte), _mm256_cmpeq_epi8(second, lastByte))));
        while (candidates) {
            const char* place = at + __builtin_ctz(candidates);
            if (size == 2 || std::memcmp(place, needle, size) == 0) {
                *found = place;
                return at;
            }
            candidates &= candidates - 1;
        }
    }
    return at;
}

bool wide() {
    static const bool supported = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);
    return supported;
}
#endif

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
#ifdef QUORLENT_BYTE_FINDER_AVX2
    if (wide()) {
        const char* found = nullptr;
        at = findWide(at, last, needle, size, firstProbe_, lastProbe_, &found);
        if (found) {
            return found;
        }
    }
#endif
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
