#pragma once

#include <QString>
#include <QtGlobal>

namespace infobase {

// Alignments of a control within its window's client area, in the order of their values.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// A control's bounds in pixels within the window's client area.
struct TBounds {
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Width = 0;
    qint32 Height = 0;
    friend bool operator==(const TBounds&, const TBounds&) = default;
};

// Bits of a font style set.
enum TFontStyle : quint8 { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Cursor values that the tree view uses.
inline constexpr qint32 crDefault = 0;
inline constexpr qint32 crDrag = -12;
inline constexpr qint32 crHandPoint = -21;

// The system colour of window text.
inline constexpr qint32 clWindowText = qint32(0xFF000008);

inline constexpr quint8 DEFAULT_CHARSET = 1;

struct TreeViewFont {
    quint8 Charset = DEFAULT_CHARSET;
    qint32 Color = clWindowText;
    qint32 Height = -19; // negative: character height in pixels
    QString Name = QStringLiteral("Tahoma");
    quint8 Style = fsBold; // TFontStyle bits
    friend bool operator==(const TreeViewFont&, const TreeViewFont&) = default;
};

// The display settings of the tree view TreeView1 that its tree file keeps, as plain data: the
// window passes them in when it writes the file and takes them back when it reads it. The
// initial values are the designed ones.
struct TreeViewState {
    static constexpr TBounds kDesignedBounds{0, 0, 457, 732};

    TBounds bounds = kDesignedBounds; // where the view stands now
    // The bounds last given other than by the alignment; they survive aligning.
    TBounds explicitBounds = kDesignedBounds;
    qint32 Cursor = crHandPoint;
    TAlign Align = TAlign::alLeft;
    qint32 DragCursor = crHandPoint;
    TreeViewFont Font;
    qint32 Indent = 19;
    bool ParentFont = false;
    qint32 TabOrder = 0;
    bool Visible = true;

    // Places the view by its alignment as the only aligned control of a client area of that
    // size, keeping its current width or height across the aligned edge (at the left edge:
    // Left and Top 0, the client height); the explicit bounds stay as they are.
    void alignWithin(qint32 clientWidth, qint32 clientHeight);

    friend bool operator==(const TreeViewState&, const TreeViewState&) = default;
};

} // namespace infobase
