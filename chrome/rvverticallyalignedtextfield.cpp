#include "chrome/rvverticallyalignedtextfield.h"

namespace Glimmerpad {

QRectF RVVerticallyAlignedTextField::drawingRectForBounds(const QRectF &baseRect, qreal contentHeight)
{
    QRectF r = baseRect;
    const float d = static_cast<float>(r.height() - contentHeight);
    if (d > 0) {
        r.setHeight(r.height() - static_cast<double>(d));
        r.moveTop(r.y() + static_cast<double>(d * 0.5f));
    }
    return r;
}

} // namespace Glimmerpad
