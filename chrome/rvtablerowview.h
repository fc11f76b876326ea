#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace Glimmerpad {

// Paints one row of the snippet list: a grey band, a pale blue band framed by dark blue lines
// when selected, and a one-pixel line at the bottom. Rows use a top-left origin, y down.
class RVTableRowView
{
public:
    enum class BackgroundStyle
    {
        Light,
        Dark
    };

    static const QColor &rowGrey();
    static const QColor &selectionEdgeBlue();
    static const QColor &selectionFillBlue();

    // backgroundColor is the colour the list gives its rows, under which the separator shows.
    RVTableRowView(const QRectF &bounds, bool selected, const QColor &backgroundColor);

    void drawBackgroundInRect(QPainter *painter, const QRectF &dirtyRect) const;
    void drawSelectionInRect(QPainter *painter, const QRectF &dirtyRect) const;
    void drawSeparatorInRect(QPainter *painter, const QRectF &dirtyRect) const;
    // The order the list uses: background, selection when selected, separator.
    void draw(QPainter *painter, const QRectF &dirtyRect) const;

    // Text in a row always stands on a light background, so selected rows keep dark text.
    BackgroundStyle interiorBackgroundStyle() const { return BackgroundStyle::Light; }

private:
    QRectF m_bounds;
    bool m_selected;
    QColor m_backgroundColor;
};

} // namespace Glimmerpad
