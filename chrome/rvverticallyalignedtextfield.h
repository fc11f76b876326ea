#pragma once

#include <QRectF>

namespace Glimmerpad {

// Centres a label's text vertically in the space it is given instead of placing it at the top.
class RVVerticallyAlignedTextField
{
public:
    // The rectangle to draw the text in: baseRect shrunk to contentHeight and moved down by half
    // the difference; baseRect unchanged when the content is as high as the space or higher. The
    // difference and its half are computed as float, which fixes where the text lands when the
    // heights differ by a fraction of a pixel.
    static QRectF drawingRectForBounds(const QRectF &baseRect, qreal contentHeight);
};

} // namespace Glimmerpad
