#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace infobase::search {

// Finds a byte string in long runs of text, many times over: the search's inner loop. It
// tests sixteen places at a time (thirty-two on a processor with AVX2) for two of the string's
// bytes (for a Cyrillic string, bytes that tell its letters apart, not the few lead bytes every
// Cyrillic letter shares) and compares the whole string only where both are right.
class ByteFinder {
public:
    explicit ByteFinder(QByteArray needle);

    bool isEmpty() const { return needle_.isEmpty(); }
    // The first place in [from, end) where the whole string begins, or nullptr. The empty
    // string is found at once.
    const char* find(const char* from, const char* end) const;

private:
    QByteArray needle_;
    qsizetype firstProbe_ = 0;
    qsizetype lastProbe_ = 0;
    // The two probed bytes, sixteen times each, ready for the comparison.
    alignas(16) char firstBytes_[16] = {};
    alignas(16) char lastBytes_[16] = {};
};

} // namespace infobase::search
