#pragma once

#include <QColor>

class QPalette;

namespace Glimmerpad::RVColors {

// The contrast text needs against its background to be read by most (WCAG AA, normal text).
inline constexpr qreal kTextContrast = 4.5;

// WCAG's relative luminance of an opaque colour, 0 (black) to 1 (white).
qreal relativeLuminance(const QColor &colour);
// WCAG's contrast ratio of two opaque colours, 1 (none) to 21 (black on white).
qreal contrastRatio(const QColor &a, const QColor &b);

// Whether a palette draws light text on a dark base: the list, the editor and the popover then
// take their dark colours.
bool isDark(const QPalette &palette);

// a at t = 0, b at t = 1, componentwise; opaque.
QColor mix(const QColor &a, const QColor &b, qreal t);
// What `colour` looks like drawn at `opacity` over `background`.
QColor over(const QColor &colour, qreal opacity, const QColor &background);

// `text` itself when it reads on `background` with at least `ratio`; otherwise the nearest colour
// toward black or white (whichever reads better there) that does. Themes pick text and base
// colours freely; what we draw on our own fills must stay legible whatever they chose.
QColor readableOn(const QColor &text, const QColor &background, qreal ratio = kTextContrast);

} // namespace Glimmerpad::RVColors
