#include "app/elidedlabel.h"

#include <QResizeEvent>

#include <algorithm>

namespace Glimmerpad {

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setText(const QString &text)
{
    if (m_ownToolTip.isNull())
        m_ownToolTip = toolTip();
    m_text = text;
    // Screen readers read the whole text, not what fits.
    setAccessibleName(text);
    showElided();
    updateGeometry();
}

bool ElidedLabel::isElided() const
{
    return QLabel::text() != m_text;
}

QSize ElidedLabel::sizeHint() const
{
    const QSize hint = QLabel::sizeHint();
    return {std::min(fontMetrics().horizontalAdvance(m_text) + 2, kPreferredWidth), hint.height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {fontMetrics().horizontalAdvance(QStringLiteral("M\u2026")), QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    showElided();
}

void ElidedLabel::showElided()
{
    const int room = contentsRect().width();
    const QString shown = fontMetrics().elidedText(m_text, Qt::ElideRight, std::max(room, 0));
    QLabel::setText(shown);
    setToolTip(shown != m_text ? m_text : m_ownToolTip);
}

} // namespace Glimmerpad
