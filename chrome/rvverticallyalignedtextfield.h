#pragma once

#include <QRectF>

namespace Glimmerpad {

// Centres a label's text vertically in the space it is given instead of placing it at the top.
class RVVerticallyAlignedTextField
{
public:
    // The rectangle to draw the text in: baseRect shrunk to contentHeight and moved down by half
    // the difference, computed in single precision as the original did; baseRect unchanged when
    // the content is as high as the space or higher.
    static QRectF drawingRectForBounds(const QRectF &baseRect, qreal contentHeight);
};

} // namespace Glimmerpad
