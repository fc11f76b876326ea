#include "chrome/rvtablerowview.h"

#include <QPainter>

namespace Glimmerpad {

const QColor &RVTableRowView::rowGrey()
{
    static const QColor grey = QColor::fromRgbF(0.949f, 0.949f, 0.949f);
    return grey;
}

const QColor &RVTableRowView::selectionEdgeBlue()
{
    static const QColor blue(39, 95, 177);
    return blue;
}

const QColor &RVTableRowView::selectionFillBlue()
{
    static const QColor blue(206, 222, 238);
    return blue;
}

RVTableRowView::RVTableRowView(const QRectF &bounds, bool selected, const QColor &backgroundColor)
    : m_bounds(bounds), m_selected(selected), m_backgroundColor(backgroundColor)
{}

// Fills replace what lies beneath (the row colours are opaque), like a copy.
static void fillReplacing(QPainter *painter, const QRectF &rect, const QColor &color)
{
    const QPainter::CompositionMode mode = painter->compositionMode();
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->fillRect(rect, color);
    painter->setCompositionMode(mode);
}

void RVTableRowView::drawBackgroundInRect(QPainter *painter, const QRectF &) const
{
    fillReplacing(painter, m_bounds, rowGrey());
}

void RVTableRowView::drawSelectionInRect(QPainter *painter, const QRectF &) const
{
    const QRectF b = m_bounds;
    painter->fillRect(QRectF(b.x(), b.y(), b.width(), 1), selectionEdgeBlue());
    painter->fillRect(QRectF(b.x(), b.y() + 1, b.width(), b.height() - 1), selectionFillBlue());
}

void RVTableRowView::drawSeparatorInRect(QPainter *painter, const QRectF &dirtyRect) const
{
    const QRectF line(m_bounds.x(), m_bounds.y() + m_bounds.height() - 1, m_bounds.width(), 1);
    const QRectF visible = line.intersected(dirtyRect);
    if (visible.isEmpty())
        return;
    fillReplacing(painter, visible, m_selected ? selectionEdgeBlue() : m_backgroundColor);
}

void RVTableRowView::draw(QPainter *painter, const QRectF &dirtyRect) const
{
    drawBackgroundInRect(painter, dirtyRect);
    if (m_selected)
        drawSelectionInRect(painter, dirtyRect);
    drawSeparatorInRect(painter, dirtyRect);
}

} // namespace Glimmerpad
