#include "infobase/search/SearchFold.h"

#include <QChar>
#include <array>

namespace infobase::search {

namespace {

int utf8Length(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// The length of the UTF-8 sequence at `at`, and its code point; 0 when it is not a valid,
// shortest sequence.
int decodeUtf8(const unsigned char* at, qsizetype left, char32_t& c) {
    const unsigned char lead = at[0];
    int length = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (left < length) {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((at[i] & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (at[i] & 0x3F);
    }
    if (utf8Length(value) != length || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
        return 0;
    }
    c = value;
    return length;
}

// Marks that only put an accent on the letter before them.
bool isAccentMark(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE20 && c <= 0xFE2F);
}

// The letter without its accents: the first character of its canonical decomposition when
// the rest of that is accent marks (so "é" is "e", but a Korean syllable stays whole).
char32_t withoutAccents(char32_t c) {
    if (c == U'й' || c == U'Й') {
        return c;
    }
    for (;;) {
        if (QChar::decompositionTag(c) != QChar::Canonical) {
            return c;
        }
        const QString parts = QChar::decomposition(c);
        const char32_t base = parts.at(0).isHighSurrogate() && parts.size() > 1
                                  ? QChar::surrogateToUcs4(parts.at(0), parts.at(1))
                                  : parts.at(0).unicode();
        for (qsizetype i = QChar::requiresSurrogates(base) ? 2 : 1; i < parts.size(); ++i) {
            if (!isAccentMark(parts.at(i).unicode())) {
                return c;
            }
        }
        c = base;
    }
}

char32_t foldUncached(char32_t c) {
    if (c < 0x80) {
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    }
    if (isAccentMark(c)) {
        return kFoldedAway;
    }
    char32_t folded = QChar::toCaseFolded(withoutAccents(QChar::toCaseFolded(c)));
    if (folded == U'ё') {
        folded = U'е';
    }
    const bool sameUtf16 = QChar::requiresSurrogates(folded) == QChar::requiresSurrogates(c);
    return sameUtf16 && utf8Length(folded) <= utf8Length(c) ? folded : c;
}

// The characters of one and two bytes in UTF-8 (Latin, Greek, Cyrillic and their
// neighbours), worked out once: most of what the search folds. A mark left out is kAway.
constexpr char32_t kTableEnd = 0x800;
constexpr char16_t kAway = 0xFFFF;
const std::array<char16_t, kTableEnd>& smallFolds() {
    static const std::array<char16_t, kTableEnd> table = [] {
        std::array<char16_t, kTableEnd> folds{};
        for (char32_t c = 0; c < kTableEnd; ++c) {
            const char32_t folded = foldUncached(c);
            folds[c] = folded == kFoldedAway ? kAway : char16_t(folded);
        }
        return folds;
    }();
    return table;
}

// Writes the character as UTF-8 at `to`; the number of bytes written.
int writeUtf8(char32_t c, char* to) {
    if (c < 0x80) {
        to[0] = char(c);
        return 1;
    }
    if (c < 0x800) {
        to[0] = char(0xC0 | (c >> 6));
        to[1] = char(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        to[0] = char(0xE0 | (c >> 12));
        to[1] = char(0x80 | ((c >> 6) & 0x3F));
        to[2] = char(0x80 | (c & 0x3F));
        return 3;
    }
    to[0] = char(0xF0 | (c >> 18));
    to[1] = char(0x80 | ((c >> 12) & 0x3F));
    to[2] = char(0x80 | ((c >> 6) & 0x3F));
    to[3] = char(0x80 | (c & 0x3F));
    return 4;
}

} // namespace

char32_t foldForSearch(char32_t c) {
    if (c < kTableEnd) {
        const char16_t folded = smallFolds()[c];
        return folded == kAway ? kFoldedAway : folded;
    }
    return foldUncached(c);
}

QString foldedText(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* to = begin;
    const char16_t* from = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = from[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(from[i + 1])) {
            const char32_t folded = foldForSearch(QChar::surrogateToUcs4(unit, from[i + 1]));
            ++i;
            if (folded != kFoldedAway) {
                *to++ = QChar::highSurrogate(folded);
                *to++ = QChar::lowSurrogate(folded);
            }
        } else if (QChar::isSurrogate(unit)) {
            *to++ = unit;
        } else if (const char32_t folded = foldForSearch(unit); folded != kFoldedAway) {
            *to++ = char16_t(folded);
        }
    }
    out.truncate(to - begin);
    return out;
}

void appendFoldedUtf8(QByteArrayView utf8, QByteArray& out) {
    const auto* from = reinterpret_cast<const unsigned char*>(utf8.data());
    const qsizetype size = utf8.size();
    const qsizetype start = out.size();
    out.resize(start + size); // folding never makes a character longer in UTF-8
    char* const begin = out.data() + start;
    char* to = begin;
    const std::array<char16_t, kTableEnd>& folds = smallFolds();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char byte = from[i];
        if (byte < 0x80) {
            *to++ = char(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
            ++i;
            continue;
        }
        char32_t c = 0;
        const int length = decodeUtf8(from + i, size - i, c);
        if (length == 0) {
            *to++ = char(byte);
            ++i;
            continue;
        }
        i += length;
        const char32_t folded =
            c < kTableEnd ? (folds[c] == kAway ? kFoldedAway : folds[c]) : foldUncached(c);
        if (folded != kFoldedAway) {
            to += writeUtf8(folded, to);
        }
    }
    out.resize(start + (to - begin));
}

void appendFoldedUtf8(QStringView text, QByteArray& out) {
    const char16_t* from = text.utf16();
    const qsizetype size = text.size();
    const qsizetype start = out.size();
    out.resize(start + 3 * size); // at most three bytes for each code unit
    char* to = out.data() + start;
    char* const begin = to;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = from[i];
        char32_t c = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(from[i + 1])) {
            c = QChar::surrogateToUcs4(unit, from[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            c = u'?'; // as QString::toUtf8 writes it
        }
        if (const char32_t folded = foldForSearch(c); folded != kFoldedAway) {
            to += writeUtf8(folded, to);
        }
    }
    out.resize(start + (to - begin));
}

QByteArray foldedQuery(QStringView query) {
    QByteArray out;
    out.reserve(query.size() * 2);
    appendFoldedUtf8(query, out);
    out.removeIf([](char c) { return c == '\0'; });
    return out;
}

} // namespace infobase::search
