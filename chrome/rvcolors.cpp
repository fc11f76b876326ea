#include "chrome/rvcolors.h"

#include <QPalette>

#include <algorithm>
#include <cmath>

namespace Glimmerpad::RVColors {

namespace {

qreal linear(qreal channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// Below this luminance a base counts as dark: about mid-grey to the eye (L* 50).
constexpr qreal kDarkLuminance = 0.18;

} // namespace

qreal relativeLuminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

qreal contrastRatio(const QColor &a, const QColor &b)
{
    const qreal la = relativeLuminance(a);
    const qreal lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDark(const QPalette &palette)
{
    return relativeLuminance(palette.color(QPalette::Base)) < kDarkLuminance;
}

QColor mix(const QColor &a, const QColor &b, qreal t)
{
    const QColor x = a.toRgb();
    const QColor y = b.toRgb();
    return QColor::fromRgbF(float(x.redF() + (y.redF() - x.redF()) * t),
                            float(x.greenF() + (y.greenF() - x.greenF()) * t),
                            float(x.blueF() + (y.blueF() - x.blueF()) * t));
}

QColor over(const QColor &colour, qreal opacity, const QColor &background)
{
    return mix(background, colour, opacity * colour.alphaF());
}

QColor readableOn(const QColor &text, const QColor &background, qreal ratio)
{
    const QColor opaque = over(text, 1.0, background);
    if (contrastRatio(opaque, background) >= ratio)
        return opaque;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const QColor toward =
        contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
    // The contrast grows steadily on the way to the far end: halve the step until the least
    // change that reads is found.
    // A little beyond the ratio, so that rounding to whole colour levels keeps it.
    const qreal aim = ratio + 0.05;
    qreal low = 0.0;
    qreal high = 1.0;
    for (int i = 0; i < 16; ++i) {
        const qreal t = (low + high) / 2;
        if (contrastRatio(mix(opaque, toward, t), background) >= aim)
            high = t;
        else
            low = t;
    }
    return mix(opaque, toward, high);
}

} // namespace Glimmerpad::RVColors
