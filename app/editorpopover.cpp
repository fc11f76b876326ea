#include "app/editorpopover.h"

#include "chrome/rvaccessible.h"
#include "platform/desktop.h"

#include <QApplication>
#include <QBitmap>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace Glimmerpad {

namespace {

constexpr int kFadeMilliseconds = 150;

// Keeps [start, start + length) inside [low, high], preferring the low end when it cannot fit.
int clampSpan(int start, int length, int low, int high)
{
    return std::max(low, std::min(start, high - length + 1));
}

} // namespace

EditorPopover::EditorPopover(QWidget *parentWindow)
    : QWidget(parentWindow ? parentWindow->window() : nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      m_layout(new QVBoxLayout(this)), m_fade(new QPropertyAnimation(this, "windowOpacity", this)),
      m_translucent(Platform::hasCompositingManager())
{
    // Not Qt::Popup: a popup grabs mouse and keyboard, and the list must stay usable underneath.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    // Must be decided before the native window exists: it picks a visual with alpha.
    if (m_translucent)
        setAttribute(Qt::WA_TranslucentBackground);
    // A panel of its own: Qt would call a plain frameless window a filler.
    setAccessibleRole(this, QAccessible::Dialog);
    //% "Snippet editor"
    setAccessibleName(qtTrId("popover_accessible_name"));

    m_fade->setDuration(kFadeMilliseconds);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);

    m_layout->setSpacing(0);
    setEdge(Qt::LeftEdge);
}

EditorPopover::~EditorPopover() = default;

void EditorPopover::setContentWidget(QWidget *content)
{
    if (content == m_content)
        return;
    delete m_content;
    m_content = content;
    if (content)
        m_layout->addWidget(content);
}

void EditorPopover::setAnimates(bool animates)
{
    m_animates = animates;
}

QRect EditorPopover::placement(const QRect &anchorGlobal, const QSize &size, int minimumWidth, const QRect &available,
                               const QRect &keepClear, Qt::Edge preferredEdge, Qt::Edge *edgeOut)
{
    const int roomLeft = anchorGlobal.left() - available.left();
    const int roomRight = available.left() + available.width() - (anchorGlobal.left() + anchorGlobal.width());
    const bool fitsLeft = roomLeft >= size.width();
    const bool fitsRight = roomRight >= size.width();

    Qt::Edge edge = preferredEdge == Qt::RightEdge ? Qt::RightEdge : Qt::LeftEdge;
    if (edge == Qt::LeftEdge && !fitsLeft && (fitsRight || roomRight > roomLeft))
        edge = Qt::RightEdge;
    else if (edge == Qt::RightEdge && !fitsRight && (fitsLeft || roomLeft > roomRight))
        edge = Qt::LeftEdge;
    if (edgeOut)
        *edgeOut = edge;

    // Narrower rather than over its own row, as far as the content allows.
    const int room = edge == Qt::LeftEdge ? roomLeft : roomRight;
    const int width = std::max(std::min(size.width(), room), std::min(minimumWidth, size.width()));
    const int besideX = edge == Qt::LeftEdge ? anchorGlobal.left() - width : anchorGlobal.left() + anchorGlobal.width();
    // Fitting nowhere, overlapping the anchor beats leaving the screen.
    const int x = clampSpan(besideX, width, available.left(), available.right());
    const int centredY = anchorGlobal.top() + (anchorGlobal.height() - size.height()) / 2;
    int y = clampSpan(centredY, size.height(), available.top(), available.bottom());
    const QRect placed(QPoint(x, y), QSize(width, size.height()));
    if (!keepClear.isEmpty() && placed.intersects(keepClear))
        y = clampSpan(keepClear.bottom() + 1, size.height(), keepClear.bottom() + 1, available.bottom());
    return {QPoint(x, y), QSize(width, size.height())};
}

void EditorPopover::showRelativeToRect(const QRect &rect, QWidget *anchor, Qt::Edge preferredEdge,
                                       const QRect &keepClear)
{
    Q_ASSERT(anchor);
    const QRect anchorGlobal(anchor->mapToGlobal(rect.topLeft()), rect.size());
    QScreen *screen = anchor->screen();
    const QRect available = screen ? screen->availableGeometry() : anchorGlobal;

    ensurePolished();
    // A label's new text reaches the layouts above it only through posted layout requests; measured
    // before those run, the size would be the previous snippet's.
    const QList<QLayout *> layouts = findChildren<QLayout *>();
    for (QLayout *layout : layouts)
        layout->invalidate();
    const QSize size = sizeHint().expandedTo(minimumSize()).boundedTo(maximumSize());
    Qt::Edge edge = Qt::LeftEdge;
    const QRect geometry = placement(anchorGlobal, size, std::max(minimumSizeHint().width(), minimumWidth()),
                                     available, keepClear, preferredEdge, &edge);

    m_arrowY = anchorGlobal.top() + anchorGlobal.height() / 2 - geometry.top();
    setEdge(edge);
    setGeometry(geometry);
    // Now rather than on the next layout request, so the content never sits under the arrow.
    m_layout->activate();
    updateMask();
    update();

    if (isVisible())
        return;
    m_fade->stop();
    if (m_animates) {
        setWindowOpacity(0.0);
        show();
        m_fade->start();
    } else {
        setWindowOpacity(1.0);
        show();
    }
}

Qt::Edge EditorPopover::shownEdge() const
{
    return m_edge;
}

bool EditorPopover::isShown() const
{
    return isVisible();
}

void EditorPopover::setEdge(Qt::Edge edge)
{
    m_edge = edge;
    // The arrow sits on the side facing the anchor: on the right when the popover is left of it.
    const int arrowRight = edge == Qt::LeftEdge ? kArrowDepth : 0;
    const int arrowLeft = edge == Qt::LeftEdge ? 0 : kArrowDepth;
    m_layout->setContentsMargins(kPadding + arrowLeft, kPadding, kPadding + arrowRight, kPadding);
}

QPainterPath EditorPopover::outline() const
{
    // Drawn with the arrow on the right, then mirrored. Half-pixel coordinates put the 1 px
    // border on whole pixels.
    const qreal r = kCornerRadius;
    const qreal d = 2 * r;
    const qreal top = 0.5;
    const qreal left = 0.5;
    const qreal bottom = height() - 0.5;
    const qreal tip = width() - 0.5;
    const qreal edge = tip - kArrowDepth;
    const qreal half = kArrowWidth / 2.0;
    const qreal lowest = top + r + half;
    const qreal highest = bottom - r - half;
    const qreal arrowY = lowest <= highest ? std::clamp(m_arrowY + 0.5, lowest, highest) : height() / 2.0;

    QPainterPath path;
    path.moveTo(left + r, top);
    path.lineTo(edge - r, top);
    path.arcTo(QRectF(edge - d, top, d, d), 90, -90);
    path.lineTo(edge, arrowY - half);
    path.lineTo(tip, arrowY);
    path.lineTo(edge, arrowY + half);
    path.lineTo(edge, bottom - r);
    path.arcTo(QRectF(edge - d, bottom - d, d, d), 0, -90);
    path.lineTo(left + r, bottom);
    path.arcTo(QRectF(left, bottom - d, d, d), 270, -90);
    path.lineTo(left, top + r);
    path.arcTo(QRectF(left, top, d, d), 180, -90);
    path.closeSubpath();

    if (m_edge == Qt::RightEdge)
        return QTransform(-1, 0, 0, 1, width(), 0).map(path);
    return path;
}

void EditorPopover::updateMask()
{
    if (m_translucent || size().isEmpty())
        return;
    // The same path, pen and (aliased) rendering as paintEvent, so every border pixel is inside.
    QBitmap bitmap(size());
    bitmap.fill(Qt::color0);
    QPainter painter(&bitmap);
    painter.setPen(QPen(Qt::color1, 1));
    painter.setBrush(Qt::color1);
    painter.drawPath(outline());
    painter.end();
    setMask(bitmap);
}

void EditorPopover::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // A mask has no partial pixels; antialiasing against it would leave a dark fringe.
    painter.setRenderHint(QPainter::Antialiasing, m_translucent);
    QColor border = palette().color(QPalette::WindowText);
    border.setAlpha(60);
    painter.setPen(QPen(border, 1));
    painter.setBrush(palette().color(QPalette::Window).lighter(104));
    painter.drawPath(outline());
}

void EditorPopover::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateMask();
}

void EditorPopover::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Spontaneous hides come from the window system (the main window minimised); the popover is
    // still open then and comes back with it.
    if (event->spontaneous())
        return;
    m_fade->stop();
    Q_EMIT closed();
}

void EditorPopover::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A style sheet fixes the palette of the widgets under it when it polishes them; applied
    // again, it polishes them in the new palette (a theme switched while the program runs).
    if (event->type() == QEvent::PaletteChange && m_content && !m_content->styleSheet().isEmpty())
        m_content->setStyleSheet(m_content->styleSheet());
}

void EditorPopover::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Q_EMIT escapePressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

void EditorPopover::setVisible(bool visible)
{
    // Closed with the keys in it (Escape, Done), it gives them back to its window, to the widget
    // that had them there, rather than leave them to whichever window the desktop picks.
    const bool hadKeys = !visible && isVisible() && QApplication::activeWindow() == this;
    QWidget::setVisible(visible);
    if (hadKeys && parentWidget())
        parentWidget()->window()->activateWindow();
}

QList<QWidget *> EditorPopover::tabStops() const
{
    QList<QWidget *> stops;
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (w->window() == this && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(this) && w->isEnabled() &&
            !w->focusProxy())
            stops.append(w);
    }
    return stops;
}

void EditorPopover::focusFromOutside(bool first)
{
    const QList<QWidget *> stops = tabStops();
    if (stops.isEmpty())
        return;
    activateWindow();
    (first ? stops.first() : stops.last())->setFocus(first ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool EditorPopover::focusNextPrevChild(bool next)
{
    const QList<QWidget *> stops = tabStops();
    if (!stops.isEmpty() && isSignalConnected(QMetaMethod::fromSignal(&EditorPopover::tabbedOut)) &&
        QApplication::focusWidget() == (next ? stops.last() : stops.first())) {
        Q_EMIT tabbedOut(next);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

} // namespace Glimmerpad
