#pragma once

#include <QChar>
#include <QColor>
#include <QPalette>
#include <QPoint>
#include <QString>

class QPainter;

// Drawing helpers shared by the message window's controls.
namespace qsdraw {

// The platform's system colours, taken from the palette the way the Windows style maps
// them: button face and text, the 3D shadow, highlight and dark shadow, window and
// window text, and the grey of disabled text.
QColor BtnFace(const QPalette& palette);
QColor BtnText(const QPalette& palette);
QColor BtnShadow(const QPalette& palette);
QColor BtnHighlight(const QPalette& palette);
QColor DkShadow3D(const QPalette& palette);
QColor WindowColor(const QPalette& palette);
QColor WindowText(const QPalette& palette);
QColor GrayText(const QPalette& palette);

// Fixed colours of the pointer feedback on buttons and check boxes.
inline const QColor kFrameBlue{59, 107, 183};
inline const QColor kHoverFill{193, 212, 243};
inline const QColor kPressedFill{162, 188, 228};

// A one-pixel line from `from` towards `to`, the end point itself not drawn.
void LineTo(QPainter& painter, QPoint from, QPoint to);

// The access key of a caption: the character after a single "&" ("&&" is a plain "&"),
// upper-cased; a null character when there is none.
QChar AccessKey(const QString& caption);

// A caption as it is shown: a single "&" is not shown and marks the next character as the
// access key, "&&" shows one "&". AccessIndex is the access key's place in Text, -1 when
// there is none.
struct ShownCaption {
    QString Text;
    int AccessIndex = -1;
};
ShownCaption ShowCaption(const QString& caption);

} // namespace qsdraw
