#pragma once

#include <QRect>

#include <algorithm>

namespace Glimmerpad {

// frame made no larger than available and moved into it as little as it takes.
inline QRect fittedInto(QRect frame, const QRect &available)
{
    frame.setSize(frame.size().boundedTo(available.size()));
    frame.moveLeft(std::clamp(frame.left(), available.left(), available.right() + 1 - frame.width()));
    frame.moveTop(std::clamp(frame.top(), available.top(), available.bottom() + 1 - frame.height()));
    return frame;
}

} // namespace Glimmerpad
