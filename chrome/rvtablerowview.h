#pragma once

#include <QColor>
#include <QRectF>

class QPainter;
class QPalette;

namespace Glimmerpad {

// Paints one row of the snippet list: a grey band, a pale blue band framed by dark blue lines
// when selected, and a one-pixel line at the bottom. Rows use a top-left origin, y down.
// Under a dark palette the same bands come in dark colours of their own, with light text.
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

    // What a row is painted with, the text that stands on it included.
    struct Colors
    {
        QColor band;          // every row
        QColor selectionFill; // the selected row below its top line
        QColor selectionEdge; // the selected row's top and bottom lines
        QColor separator;     // under an unselected row: the list's own background
        QColor text;          // on the band
        QColor selectedText;  // on the selection fill
    };
    // A light palette gets the grey and blue bands above and its own text colour; a dark one a
    // band a shade off its base and a selection in its highlight colour. Either way the text is
    // the palette's, made darker or lighter where it would not read on the band.
    static Colors colorsFor(const QPalette &palette);

    // backgroundColor is the colour the list gives its rows, under which the separator shows.
    RVTableRowView(const QRectF &bounds, bool selected, const QColor &backgroundColor);
    RVTableRowView(const QRectF &bounds, bool selected, const Colors &colors);

    void drawBackgroundInRect(QPainter *painter, const QRectF &dirtyRect) const;
    void drawSelectionInRect(QPainter *painter, const QRectF &dirtyRect) const;
    void drawSeparatorInRect(QPainter *painter, const QRectF &dirtyRect) const;
    // The order the list uses: background, selection when selected, separator.
    void draw(QPainter *painter, const QRectF &dirtyRect) const;

    // Text in a row stands on the same background whether selected or not: a light one keeps
    // dark text in selected rows too, a dark one light text.
    BackgroundStyle interiorBackgroundStyle() const;
    const Colors &colors() const { return m_colors; }

private:
    QRectF m_bounds;
    bool m_selected;
    Colors m_colors;
};

} // namespace Glimmerpad
