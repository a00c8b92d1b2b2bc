#pragma once

#include "skin/qsSkinFormTypes.h"

#include <QFontMetrics>
#include <QSize>
#include <vector>

// Geometry of the default (skinless) frame, in window coordinates.
namespace qsframe {

inline constexpr int kBorderWidth = 3;
inline constexpr int kCaptionHeight = 19;
inline constexpr int kButtonSize = 17;
inline constexpr int kButtonTop = 4;
inline constexpr int kDefaultMinWidth = 120;
// Caption strip plus the borders above and below it.
inline constexpr int kNonClientHeight = kCaptionHeight + 2 * kBorderWidth;
inline constexpr int kNonClientWidth = 2 * kBorderWidth;

// The client rectangle of a window of the given outer size; a side that would turn negative
// collapses to zero.
QRect ClientRectFor(QSize outer);

// The outer size of a window whose client area has the given size.
QSize OuterSizeForClient(QSize client);

// The caption strip: below the top border, between the side borders, 19 high.
QRect CaptionStripRect(int outerWidth);

// The six default caption buttons, in the order the frame keeps them, with visibility and
// enabled state following the border icons (the close box is always shown).
std::vector<TqsCaptionButton> DefaultCaptionButtons(TqsBorderIcons icons);

// Gives each visible button its place: the system-menu button at the left end of the strip,
// the others from the right edge leftwards (close, maximize, minimize, roll up, tray).
void PlaceCaptionButtons(std::vector<TqsCaptionButton>& buttons, int outerWidth);

// The caption strip minus the places of the visible buttons.
QRect CaptionTextArea(const std::vector<TqsCaptionButton>& buttons, int outerWidth);

// Which part of the frame a window position lies in.
TqsHitArea HitTest(QPoint pos, const std::vector<TqsCaptionButton>& buttons, QSize outer);

// The caption cut to the available width: characters are dropped from its end until the rest
// followed by "..." fits (or nothing is left), then "..." is appended.
QString ShortenCaption(const QString& caption, const QFontMetrics& metrics, int available);

// Where the caption text starts in strip coordinates: centred in the space left between the
// reserves, with 5 pixels allowed for the text's trailing edge.
QPoint CaptionTextOrigin(int leftReserve, int available, int textWidth, int textHeight);

// Where a window moved to the given rectangle lands when every edge of it that comes within
// the distance of the same edge of the work area is drawn onto that edge.
QPoint SnapToEdges(const QRect& window, const QRect& workArea, int distance);

// The opacities a fade-in applies one after the other, up to and including the target.
std::vector<int> FadeInOpacities(int target);

} // namespace qsframe
