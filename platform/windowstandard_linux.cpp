#include "platform/windowstandard.h"

namespace Glimmerpad::Platform {

namespace {
// The classic proportions: a 22-pixel title bar, 14×16 lights 20 apart starting 8 from the left,
// their tops 3 below the top edge, and the full-screen button 4 from the right edge.
constexpr qreal kTitleBarHeight = 22;
constexpr qreal kLightWidth = 14;
constexpr qreal kLightHeight = 16;
constexpr qreal kFirstLightX = 8;
constexpr qreal kLightSpacing = 20;
constexpr qreal kTopInset = 3;
constexpr qreal kFullScreenSize = 16;
constexpr qreal kFullScreenRightInset = 4;
} // namespace

qreal WindowStandard::titleBarHeight()
{
    return kTitleBarHeight;
}

QSizeF WindowStandard::buttonSize(WindowButton button)
{
    return button == WindowButton::FullScreen ? QSizeF(kFullScreenSize, kFullScreenSize)
                                              : QSizeF(kLightWidth, kLightHeight);
}

QRectF WindowStandard::defaultButtonFrame(WindowButton button, const QSizeF &frameViewSize)
{
    const QSizeF size = buttonSize(button);
    const qreal y = frameViewSize.height() - kTopInset - size.height();
    switch (button) {
    case WindowButton::Close:
        return {kFirstLightX, y, size.width(), size.height()};
    case WindowButton::Miniaturize:
        return {kFirstLightX + kLightSpacing, y, size.width(), size.height()};
    case WindowButton::Zoom:
        return {kFirstLightX + 2 * kLightSpacing, y, size.width(), size.height()};
    case WindowButton::FullScreen:
        return {frameViewSize.width() - kFullScreenRightInset - size.width(), y, size.width(), size.height()};
    }
    return {};
}

QRectF WindowStandard::contentRectForFrameRect(const QRectF &frame)
{
    return {frame.x(), frame.y(), frame.width(), qMax<qreal>(0, frame.height() - kTitleBarHeight)};
}

} // namespace Glimmerpad::Platform
