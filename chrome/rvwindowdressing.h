#pragma once

#include <QRectF>
#include <QSize>
#include <QString>

class QFont;
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

    static constexpr int kTitleGap = 8;               // between the title and the buttons beside it
    static constexpr int kMinimumContentWidth = 320;  // the search field, its menu and a readable list
    static constexpr int kMinimumContentHeight = 170; // the search field and two rows

    // Also gives the window its minimum size (below).
    static MainWindowDressing apply(RVWindow *window, RVWindowDelegate *delegate, const QString &title);

    // The smallest the dressed window may be: the centred title clear of the window buttons on
    // either side, the content at least kMinimumContentWidth by kMinimumContentHeight.
    static QSize minimumSize(const RVWindow *window, const QString &title, const QFont &titleFont);

    // Where a sheet attaches to the window: at the x and size proposed, its top edge along the bottom
    // of the title bar, so that the sheet hangs below the tall title bar rather than over it. Both
    // rectangles use the window's own coordinates with a bottom-left origin; y is the top edge.
    static QRectF sheetFrame(const RVWindow *window, const QRectF &proposed);
};

} // namespace Glimmerpad
