#pragma once

#include <QRectF>
#include <QSizeF>

namespace Glimmerpad::Platform {

// The standard window furniture of the desktop we imitate: title-bar height, and the sizes and
// default places of the title-bar buttons. Nothing on Linux supplies these for a frameless
// window, so they are defined here, once. Frames use a bottom-left origin with y up, in a frame
// view of the given size, as the window arithmetic that measures them does.
enum class WindowButton
{
    Close,
    Miniaturize,
    Zoom,
    FullScreen
};

struct WindowStandard
{
    static qreal titleBarHeight();
    static QSizeF buttonSize(WindowButton button);
    static QRectF defaultButtonFrame(WindowButton button, const QSizeF &frameViewSize);
    // What the content gets of a window frame, below a standard title bar.
    static QRectF contentRectForFrameRect(const QRectF &frame);
};

} // namespace Glimmerpad::Platform
