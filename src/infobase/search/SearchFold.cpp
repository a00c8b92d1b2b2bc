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

char32_t foldUncached(char32_t c) {
    if (c < 0x80) {
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    }
    char32_t folded = QChar::toCaseFolded(c);
    if (folded == U'ё') {
        folded = U'е';
    }
    return utf8Length(folded) == utf8Length(c) ? folded : c;
}

// The characters of one and two bytes in UTF-8 (Latin, Greek, Cyrillic and their
// neighbours), worked out once: most of what the search folds.
constexpr char32_t kTableEnd = 0x800;
const std::array<char16_t, kTableEnd>& smallFolds() {
    static const std::array<char16_t, kTableEnd> table = [] {
        std::array<char16_t, kTableEnd> folds{};
        for (char32_t c = 0; c < kTableEnd; ++c) {
            folds[c] = char16_t(foldUncached(c));
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
    return c < kTableEnd ? smallFolds()[c] : foldUncached(c);
}

QString foldedText(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    const char16_t* from = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = from[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(from[i + 1])) {
            const char32_t folded = foldForSearch(QChar::surrogateToUcs4(unit, from[i + 1]));
            to[i] = QChar::highSurrogate(folded);
            to[i + 1] = QChar::lowSurrogate(folded);
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            to[i] = unit;
        } else {
            to[i] = char16_t(foldForSearch(unit));
        }
    }
    return out;
}

void appendFoldedUtf8(QByteArrayView utf8, QByteArray& out) {
    const auto* from = reinterpret_cast<const unsigned char*>(utf8.data());
    const qsizetype size = utf8.size();
    const qsizetype start = out.size();
    out.resize(start + size); // folding keeps every character's length in UTF-8
    char* to = out.data() + start;
    const std::array<char16_t, kTableEnd>& folds = smallFolds();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char byte = from[i];
        if (byte < 0x80) {
            to[i] = char(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
            ++i;
            continue;
        }
        char32_t c = 0;
        const int length = decodeUtf8(from + i, size - i, c);
        if (length == 0) {
            to[i] = char(byte);
            ++i;
            continue;
        }
        writeUtf8(c < kTableEnd ? folds[c] : foldUncached(c), to + i);
        i += length;
    }
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
        to += writeUtf8(foldForSearch(c), to);
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
