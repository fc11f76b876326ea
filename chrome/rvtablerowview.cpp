#include "chrome/rvtablerowview.h"

#include "chrome/rvcolors.h"

#include <QPainter>
#include <QPalette>

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

RVTableRowView::Colors RVTableRowView::colorsFor(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    Colors colors;
    if (RVColors::isDark(palette)) {
        // The band a shade lighter than the base, so the darker base between rows still separates
        // them; the selection the highlight, subdued toward the band, edged in the highlight itself.
        const QColor highlight = palette.color(QPalette::Active, QPalette::Highlight);
        colors.band = RVColors::mix(base, text, 0.06);
        colors.selectionFill = RVColors::mix(colors.band, highlight, 0.4);
        colors.selectionEdge = RVColors::mix(highlight, text, 0.25);
    } else {
        colors.band = rowGrey();
        colors.selectionFill = selectionFillBlue();
        colors.selectionEdge = selectionEdgeBlue();
    }
    colors.separator = base;
    colors.text = RVColors::readableOn(text, colors.band);
    colors.selectedText = RVColors::readableOn(text, colors.selectionFill);
    return colors;
}

// The light look over a list of the given background, with black text.
static RVTableRowView::Colors lightColors(const QColor &backgroundColor)
{
    return {RVTableRowView::rowGrey(),
            RVTableRowView::selectionFillBlue(),
            RVTableRowView::selectionEdgeBlue(),
            backgroundColor,
            Qt::black,
            Qt::black};
}

RVTableRowView::RVTableRowView(const QRectF &bounds, bool selected, const QColor &backgroundColor)
    : RVTableRowView(bounds, selected, lightColors(backgroundColor))
{}

RVTableRowView::RVTableRowView(const QRectF &bounds, bool selected, const Colors &colors)
    : m_bounds(bounds), m_selected(selected), m_colors(colors)
{}

RVTableRowView::BackgroundStyle RVTableRowView::interiorBackgroundStyle() const
{
    return RVColors::contrastRatio(m_colors.band, Qt::black) >=
                   RVColors::contrastRatio(m_colors.band, Qt::white)
               ? BackgroundStyle::Light
               : BackgroundStyle::Dark;
}

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
    fillReplacing(painter, m_bounds, m_colors.band);
}

void RVTableRowView::drawSelectionInRect(QPainter *painter, const QRectF &) const
{
    const QRectF b = m_bounds;
    painter->fillRect(QRectF(b.x(), b.y(), b.width(), 1), m_colors.selectionEdge);
    painter->fillRect(QRectF(b.x(), b.y() + 1, b.width(), b.height() - 1), m_colors.selectionFill);
}

void RVTableRowView::drawSeparatorInRect(QPainter *painter, const QRectF &dirtyRect) const
{
    const QRectF line(m_bounds.x(), m_bounds.y() + m_bounds.height() - 1, m_bounds.width(), 1);
    const QRectF visible = line.intersected(dirtyRect);
    if (visible.isEmpty())
        return;
    fillReplacing(painter, visible, m_selected ? m_colors.selectionEdge : m_colors.separator);
}

void RVTableRowView::draw(QPainter *painter, const QRectF &dirtyRect) const
{
    drawBackgroundInRect(painter, dirtyRect);
    if (m_selected)
        drawSelectionInRect(painter, dirtyRect);
    drawSeparatorInRect(painter, dirtyRect);
}

} // namespace Glimmerpad
