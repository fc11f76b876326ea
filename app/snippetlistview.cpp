#include "app/snippetlistview.h"

#include "chrome/rvcolors.h"

#include <QPainter>

namespace Glimmerpad {

namespace {

constexpr int kSideMargin = 24;
constexpr int kTopMargin = 40;
constexpr int kGap = 6;

} // namespace

void SnippetListView::setEmptyText(const QString &headline, const QString &hint)
{
    // Also when the words stay: the rows may have come or gone.
    updateDescription();
    if (headline == m_headline && hint == m_hint)
        return;
    m_headline = headline;
    m_hint = hint;
    updateDescription();
    viewport()->update();
}

QColor SnippetListView::hintColor(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    return RVColors::readableOn(RVColors::mix(palette.color(QPalette::Active, QPalette::Text), base, 0.3),
                                base);
}

void SnippetListView::updateDescription()
{
    const bool empty = !model() || model()->rowCount(rootIndex()) == 0;
    const QString description = empty && !m_headline.isEmpty()
                                    ? (m_hint.isEmpty() ? m_headline : m_headline + u' ' + m_hint)
                                    : QString();
    if (accessibleDescription() != description)
        setAccessibleDescription(description);
}

void SnippetListView::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
    if (m_headline.isEmpty() || (model() && model()->rowCount(rootIndex()) > 0))
        return;
    QPainter painter(viewport());
    const QRect area = viewport()->rect().adjusted(kSideMargin, kTopMargin, -kSideMargin, 0);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

    QFont headlineFont = font();
    headlineFont.setBold(true);
    if (headlineFont.pointSizeF() > 0)
        headlineFont.setPointSizeF(headlineFont.pointSizeF() * 1.15);
    else
        headlineFont.setPixelSize(qRound(headlineFont.pixelSize() * 1.15));
    painter.setFont(headlineFont);
    painter.setPen(palette().color(QPalette::Active, QPalette::Text));
    QRect used;
    painter.drawText(area, flags, m_headline, &used);
    if (m_hint.isEmpty())
        return;
    painter.setFont(font());
    painter.setPen(hintColor(palette()));
    painter.drawText(area.adjusted(0, used.height() + kGap, 0, 0), flags, m_hint);
}

} // namespace Glimmerpad
