#include "infobase/tree/PropertyIdents.h"

#include <span>

namespace infobase::idents {
namespace {

struct NamedValue {
    const char* name;
    qint32 value;
};

// Every cursor that has a name. Where two names share a value, the first one is written.
constexpr NamedValue kCursors[] = {
    {"crDefault", 0},   {"crArrow", -2},      {"crCross", -3},      {"crIBeam", -4},
    {"crSizeNESW", -6}, {"crSizeNS", -7},     {"crSizeNWSE", -8},   {"crSizeWE", -9},
    {"crUpArrow", -10}, {"crHourGlass", -11}, {"crDrag", -12},      {"crNoDrop", -13},
    {"crHSplit", -14},  {"crVSplit", -15},    {"crMultiDrag", -16}, {"crSQLWait", -17},
    {"crNo", -18},      {"crAppStart", -19},  {"crHelp", -20},      {"crHandPoint", -21},
    {"crSizeAll", -22}, {"crNone", -1},       {"crSize", -22},
};

constexpr qint32 kSystemColor = qint32(0xFF000000);

constexpr NamedValue kColors[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clActiveBorder", kSystemColor | 0x0A},
    {"clActiveCaption", kSystemColor | 0x02},
    {"clAppWorkSpace", kSystemColor | 0x0C},
    {"clBackground", kSystemColor | 0x01},
    {"clBtnFace", kSystemColor | 0x0F},
    {"clBtnHighlight", kSystemColor | 0x14},
    {"clBtnShadow", kSystemColor | 0x10},
    {"clBtnText", kSystemColor | 0x12},
    {"clCaptionText", kSystemColor | 0x09},
    {"clDefault", 0x20000000},
    {"clGradientActiveCaption", kSystemColor | 0x1B},
    {"clGradientInactiveCaption", kSystemColor | 0x1C},
    {"clGrayText", kSystemColor | 0x11},
    {"clHighlight", kSystemColor | 0x0D},
    {"clHighlightText", kSystemColor | 0x0E},
    {"clHotLight", kSystemColor | 0x1A},
    {"clInactiveBorder", kSystemColor | 0x0B},
    {"clInactiveCaption", kSystemColor | 0x03},
    {"clInactiveCaptionText", kSystemColor | 0x13},
    {"clInfoBk", kSystemColor | 0x18},
    {"clInfoText", kSystemColor | 0x17},
    {"clMenu", kSystemColor | 0x04},
    {"clMenuBar", kSystemColor | 0x1E},
    {"clMenuHighlight", kSystemColor | 0x1D},
    {"clMenuText", kSystemColor | 0x07},
    {"clNone", 0x1FFFFFFF},
    {"clScrollBar", kSystemColor | 0x00},
    {"cl3DDkShadow", kSystemColor | 0x15},
    {"cl3DLight", kSystemColor | 0x16},
    {"clWindow", kSystemColor | 0x05},
    {"clWindowFrame", kSystemColor | 0x06},
    {"clWindowText", kSystemColor | 0x08},
};

constexpr NamedValue kCharsets[] = {
    {"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255},
};

constexpr NamedValue kAlignments[] = {
    {"alNone", 0},  {"alTop", 1},    {"alBottom", 2}, {"alLeft", 3},
    {"alRight", 4}, {"alClient", 5}, {"alCustom", 6},
};

constexpr NamedValue kFontStyles[] = {
    {"fsBold", 0}, {"fsItalic", 1}, {"fsUnderline", 2}, {"fsStrikeOut", 3}};

QString nameOf(std::span<const NamedValue> table, qint32 value) {
    for (const NamedValue& entry : table) {
        if (entry.value == value) {
            return QString::fromLatin1(entry.name);
        }
    }
    return {};
}

std::optional<qint32> valueOf(std::span<const NamedValue> table, const QString& name) {
    for (const NamedValue& entry : table) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) {
            return entry.value;
        }
    }
    return std::nullopt;
}

} // namespace

QString cursorName(qint32 value) {
    return nameOf(kCursors, value);
}
std::optional<qint32> cursorValue(const QString& name) {
    return valueOf(kCursors, name);
}

QString colorName(qint32 value) {
    return nameOf(kColors, value);
}
std::optional<qint32> colorValue(const QString& name) {
    return valueOf(kColors, name);
}

QString charsetName(qint32 value) {
    return nameOf(kCharsets, value);
}
std::optional<qint32> charsetValue(const QString& name) {
    return valueOf(kCharsets, name);
}

QString alignName(int value) {
    return nameOf(kAlignments, value);
}
std::optional<int> alignValue(const QString& name) {
    return valueOf(kAlignments, name);
}

QString fontStyleName(int bit) {
    return nameOf(kFontStyles, bit);
}
std::optional<int> fontStyleBit(const QString& name) {
    return valueOf(kFontStyles, name);
}

} // namespace infobase::idents
