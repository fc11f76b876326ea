#pragma once

#include <QString>

class QLabel;

namespace Glimmerpad {

class RVWindow;
class RVWindowDelegate;

// Dresses the main window once at launch: a 36-pixel title bar with centred lights 10 pixels
// from the left, a baseline separator, the title, and the title text drawn as two stacked labels
// (dark text over a light copy one pixel below) that stretch with the title bar.
struct MainWindowDressing
{
    static constexpr qreal kTitleBarHeight = 36.0;
    static constexpr qreal kTrafficLightsLeftMargin = 10.0;
    static constexpr int kTitleFontPixelSize = 13;

    QLabel *highlightLabel = nullptr; // white 0.9, one pixel lower
    QLabel *titleLabel = nullptr;     // white 0.15, drawn over the highlight

    static MainWindowDressing apply(RVWindow *window, RVWindowDelegate *delegate, const QString &title);
};

} // namespace Glimmerpad
