#pragma once

#include "app/snippetlistmodel.h"
#include "chrome/rvtablerowview.h"

#include <QStyledItemDelegate>

namespace Glimmerpad {

// Draws a row of the snippet list: the row band, the icon, and the title in bold followed by
// " - summary", dimmed for a disabled override.
class SnippetItemDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int kRowHeight = 63;
    static constexpr int kIconSize = 32;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Where the icon and the text go inside a row.
    static QRect iconRect(const QRect &row);
    static QRect textRect(const QRect &row);

    // The mark on an override that needs a look: a disc, the glyph on it, and the ring that
    // parts it from the icon. Amber for a stale override, grey for an orphaned one, in shades
    // that stand out from the row's band.
    struct MarkColors
    {
        QColor fill;
        QColor glyph;
        QColor ring;
    };
    // The text of a row drawn at `opacity` (a disabled override's 0.6): the row's text colour seen
    // through that opacity, darkened or lightened back to legible where a theme's colours are too close.
    static QColor rowTextColor(const RVTableRowView::Colors &row, bool selected, qreal opacity);
    static MarkColors attentionMarkColors(SnippetListModel::Attention attention, const RVTableRowView::Colors &row);
    // The mark of a row whose shortcut another snippet answers too.
    static MarkColors clashMarkColors(const RVTableRowView::Colors &row);
};

} // namespace Glimmerpad
