#include "app/snippetitemdelegate.h"

#include "chrome/rvcolors.h"
#include "chrome/rvverticallyalignedtextfield.h"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QPainter>

#include <functional>

namespace Glimmerpad {

static constexpr int kIconLeft = 12;
static constexpr int kTextLeft = kIconLeft + SnippetItemDelegate::kIconSize + 10;
static constexpr int kTextRight = 10;

QRect SnippetItemDelegate::iconRect(const QRect &row)
{
    return {row.x() + kIconLeft, row.y() + (row.height() - kIconSize) / 2, kIconSize, kIconSize};
}

QRect SnippetItemDelegate::textRect(const QRect &row)
{
    return row.adjusted(kTextLeft, 0, -kTextRight, -1);
}

QSize SnippetItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return {option.rect.width() > 0 ? option.rect.width() : 200, kRowHeight};
}

// The row's text, cut with an ellipsis where it does not fit: the summary goes first.
static AttributedString fitted(const AttributedString &text, qreal width)
{
    if (text.formats.size() != 2)
        return text;
    const QTextLayout::FormatRange &titleRange = text.formats[0];
    const QTextLayout::FormatRange &summaryRange = text.formats[1];
    const QString title = text.text.mid(titleRange.start, titleRange.length);
    const QString summary = text.text.mid(summaryRange.start, summaryRange.length);
    const QFontMetricsF titleMetrics(titleRange.format.font());
    const QFontMetricsF summaryMetrics(summaryRange.format.font());

    AttributedString result = text;
    const qreal titleWidth = titleMetrics.horizontalAdvance(title);
    if (titleWidth >= width) {
        result.text = titleMetrics.elidedText(title, Qt::ElideRight, width);
        result.formats = {titleRange};
        result.formats[0].length = static_cast<int>(result.text.size());
        return result;
    }
    const QString shortSummary = summaryMetrics.elidedText(summary, Qt::ElideRight, width - titleWidth);
    result.text = title + shortSummary;
    result.formats[1].length = static_cast<int>(shortSummary.size());
    return result;
}

QColor SnippetItemDelegate::rowTextColor(const RVTableRowView::Colors &row, bool selected, qreal opacity)
{
    const QColor &background = selected ? row.selectionFill : row.band;
    return RVColors::readableOn(RVColors::over(selected ? row.selectedText : row.text, opacity, background),
                                background);
}

SnippetItemDelegate::MarkColors
SnippetItemDelegate::attentionMarkColors(SnippetListModel::Attention attention,
                                         const RVTableRowView::Colors &row)
{
    const bool darkRow = RVColors::relativeLuminance(row.band) < 0.18;
    const bool stale = attention == SnippetListModel::Attention::Stale;
    MarkColors colors;
    if (darkRow)
        colors.fill = stale ? QColor(0xf0, 0xa0, 0x20) : QColor(0x9a, 0x9a, 0x9a);
    else
        colors.fill = stale ? QColor(0xc2, 0x6e, 0x00) : QColor(0x6e, 0x6e, 0x6e);
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    colors.glyph = RVColors::readableOn(
        RVColors::contrastRatio(black, colors.fill) >= RVColors::contrastRatio(white, colors.fill) ? black
                                                                                                   : white,
        colors.fill);
    colors.ring = darkRow ? row.band : white;
    return colors;
}

SnippetItemDelegate::MarkColors SnippetItemDelegate::clashMarkColors(const RVTableRowView::Colors &row)
{
    const bool darkRow = RVColors::relativeLuminance(row.band) < 0.18;
    MarkColors colors;
    colors.fill = darkRow ? QColor(0xa8, 0x9c, 0xff) : QColor(0x5b, 0x4f, 0xc4);
    colors.glyph = RVColors::readableOn(darkRow ? QColor(Qt::black) : QColor(Qt::white), colors.fill);
    colors.ring = darkRow ? row.band : QColor(Qt::white);
    return colors;
}

// A mark on the row's icon: a ringed disc, drawn at full opacity whatever the row's, with its
// glyph drawn by `glyph` inside it.
static void drawMark(QPainter *painter, const QRectF &disc, const SnippetItemDelegate::MarkColors &mark,
                     const std::function<void(const QRectF &)> &glyph)
{
    painter->save();
    painter->setOpacity(1.0);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(mark.ring, 1.5));
    painter->setBrush(mark.fill);
    painter->drawEllipse(disc);
    glyph(disc);
    painter->restore();
}

// ---- focus ring ------------------------------------------------------------------------------
// Where the keys are in the list: around the current row while the list has them, highlighted or
// not, in the palette's focus colour, over whatever the row draws.
static void drawFocusRing(QPainter *painter, const QStyleOptionViewItem &option)
{
    if (!option.state.testFlag(QStyle::State_HasFocus))
        return;
    painter->save();
    painter->setOpacity(1.0);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(option.palette.color(QPalette::Active, QPalette::Highlight), 2));
    painter->drawRoundedRect(QRectF(option.rect).adjusted(2, 2, -2, -3), 3, 3); // inside the separator
    painter->restore();
}
// -----------------------------------------------------------------------------------------------

void SnippetItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    painter->save();
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    const RVTableRowView::Colors colors = RVTableRowView::colorsFor(view ? view->palette() : option.palette);
    RVTableRowView(option.rect, selected, colors).draw(painter, option.rect);

    // The cell's opacity is set for every row, so a dimmed row never leaks into the next.
    const qreal opacity = index.data(SnippetListModel::OpacityRole).toReal();
    painter->setOpacity(opacity);
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    const QRect iconBox = iconRect(option.rect);
    icon.paint(painter, iconBox);
    // An override that needs a look carries a mark at the icon's lower left, opposite the badge
    // that says it is an override: amber for a stale one, grey for one of a snippet gone.
    if (const auto attention =
            index.data(SnippetListModel::AttentionRole).value<SnippetListModel::Attention>();
        attention != SnippetListModel::Attention::None) {
        const MarkColors mark = attentionMarkColors(attention, colors);
        drawMark(painter, QRectF(iconBox.left() - 3, iconBox.bottom() - 11, 14, 14), mark,
                 [&](const QRectF &disc) {
                     QFont font = option.font;
                     font.setPixelSize(10);
                     font.setBold(true);
                     painter->setFont(font);
                     painter->setPen(mark.glyph);
                     painter->drawText(disc, Qt::AlignCenter,
                                       attention == SnippetListModel::Attention::Stale ? QStringLiteral("!")
                                                                                       : QStringLiteral("?"));
                 });
    }

    // A shortcut another snippet answers too: a mark at the icon's upper left.
    if (index.data(SnippetListModel::ClashRole).toBool()) {
        const MarkColors mark = clashMarkColors(colors);
        // Two bars: two snippets on one shortcut.
        drawMark(painter, QRectF(iconBox.left() - 3, iconBox.top() - 3, 14, 14), mark,
                 [&](const QRectF &disc) {
                     painter->setPen(QPen(mark.glyph, 1.6, Qt::SolidLine, Qt::RoundCap));
                     const QPointF c = disc.center();
                     painter->drawLine(QPointF(c.x() - 3, c.y() - 1.8), QPointF(c.x() + 3, c.y() - 1.8));
                     painter->drawLine(QPointF(c.x() - 3, c.y() + 1.8), QPointF(c.x() + 3, c.y() + 1.8));
                 });
    }

    const auto text = index.data(SnippetListModel::AttributedTextRole).value<AttributedString>();
    const QRect box = textRect(option.rect);
    const AttributedString line = fitted(text, box.width());
    QTextLayout layout(line.text, option.font);
    layout.setFormats(line.formats);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    textLine.setLineWidth(box.width() + 1000); // fitted() already made it fit; never wrap
    layout.endLayout();

    const QRectF drawing = RVVerticallyAlignedTextField::drawingRectForBounds(box, textLine.height());
    // Dimmed through its colour rather than the painter, so that it stays legible.
    painter->setOpacity(1.0);
    painter->setPen(rowTextColor(colors, selected, opacity));
    layout.draw(painter, drawing.topLeft());
    painter->restore();
    drawFocusRing(painter, option);
}

} // namespace Glimmerpad
