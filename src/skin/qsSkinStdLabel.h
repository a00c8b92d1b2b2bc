#pragma once

#include "skin/qsFont.h"
#include "skin/qsSkinData.h"

#include <QPointer>
#include <QWidget>

// How a label line that does not fit is shortened.
enum class TqsEllipsType { None, EndEllipsis, PathEllipsis, WordEllipsis };

// A text label that paints itself onto its parent (it fills no background of its own
// while transparent). "&" marks the access key, "&&" shows one "&". With auto-size on it
// takes the extent of its text: one line per line break, never wrapped.
class TqsSkinStdLabel : public QWidget {
    Q_OBJECT
public:
    explicit TqsSkinStdLabel(QWidget* parent);

    TqsSkinData* SkinData() const { return FSkinData; }
    void SetSkinData(TqsSkinData* value) { FSkinData = value; }
    QString SkinDataName() const { return FSkinDataName; }
    void SetSkinDataName(const QString& value) { FSkinDataName = value; }
    // The font drawn with while UseSkinFont is on (there is no skin entry to take one from).
    const FontDescription& DefaultFont() const { return FDefaultFont; }
    void SetDefaultFont(const FontDescription& value);
    // The label's own font, drawn with while UseSkinFont is off.
    const FontDescription& Font() const { return FFont; }
    void SetFont(const FontDescription& value);
    bool UseSkinFont() const { return FUseSkinFont; }
    void SetUseSkinFont(bool value);
    bool UseSkinColor() const { return FUseSkinColor; }
    void SetUseSkinColor(bool value) { FUseSkinColor = value; }
    TqsEllipsType EllipsType() const { return FEllipsType; }
    void SetEllipsType(TqsEllipsType value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    Qt::Alignment Alignment() const { return FAlignment; }
    void SetAlignment(Qt::Alignment value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);

    // The extent of the caption drawn with the label's font and format.
    QSize TextExtent() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    const FontDescription& drawingFont() const { return FUseSkinFont ? FDefaultFont : FFont; }
    int formatFlags() const;
    void captionChanged();

    QPointer<TqsSkinData> FSkinData;
    QString FSkinDataName = QStringLiteral("stdlabel");
    FontDescription FDefaultFont;
    FontDescription FFont;
    bool FUseSkinFont = true;
    bool FUseSkinColor = true;
    TqsEllipsType FEllipsType = TqsEllipsType::None;
    bool FTransparent = true;
    bool FAutoSize = true;
    bool FWordWrap = false;
    Qt::Alignment FAlignment = Qt::AlignLeft;
    bool FShowAccelChar = true;
    QString FCaption;
};
