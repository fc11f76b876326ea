#include "chrome/rvwindowframegestures.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>
#include <QWindow>

namespace Glimmerpad {

namespace {

bool s_useWindowManager = true;

Qt::CursorShape cursorFor(Qt::Edges edges)
{
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling = ((edges & Qt::LeftEdge) && (edges & Qt::TopEdge)) ||
                             ((edges & Qt::RightEdge) && (edges & Qt::BottomEdge));
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    return horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

bool isMouseButtonOrMove(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
           type == QEvent::MouseButtonRelease;
}

} // namespace

RVWindowFrameGestures::RVWindowFrameGestures(QWidget *window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
    if (window->windowHandle())
        watchNativeWindow();
}

RVWindowFrameGestures::~RVWindowFrameGestures()
{
    if (m_nativeWindow)
        m_nativeWindow->removeEventFilter(this);
}

void RVWindowFrameGestures::setUseWindowManager(bool use)
{
    s_useWindowManager = use;
}

// The native window is made when the widget is first shown, and made anew when it is recreated;
// every showing is a chance to follow it.
void RVWindowFrameGestures::watchNativeWindow()
{
    QWindow *native = m_window->windowHandle();
    if (native == m_nativeWindow)
        return;
    if (m_nativeWindow)
        m_nativeWindow->removeEventFilter(this);
    m_nativeWindow = native;
    if (native)
        native->installEventFilter(this);
}

bool RVWindowFrameGestures::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show)
        watchNativeWindow();
    if (!isMouseButtonOrMove(event->type()))
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    return watched == m_window ? backgroundMouseEvent(mouse) : edgeMouseEvent(mouse);
}

// What reaches the window's widget is what no child took: the background.
bool RVWindowFrameGestures::backgroundMouseEvent(QMouseEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (event->button() != Qt::LeftButton)
            return false;
        beginMove(event->globalPosition());
        event->accept();
        return true;
    case QEvent::MouseMove:
        if (m_drag != Drag::Move || !(event->buttons() & Qt::LeftButton))
            return false;
        m_window->move(m_dragStartGeometry.topLeft() + (event->globalPosition() - m_dragStart).toPoint());
        return true;
    default:
        m_drag = Drag::None;
        return false;
    }
}

// Seen on the native window, before any widget: a press on an edge never reaches the child under it.
bool RVWindowFrameGestures::edgeMouseEvent(QMouseEvent *event)
{
    if (!eventsGoToThisWindow())
        return false;
    const QEvent::Type type = event->type();
    const QPoint global = event->globalPosition().toPoint();
    if (m_drag == Drag::Resize && type != QEvent::MouseButtonPress) {
        if (type == QEvent::MouseMove)
            resizeTo(global);
        else
            m_drag = Drag::None;
        return true;
    }
    const Qt::Edges edges = edgesAt(global);
    if (type == QEvent::MouseButtonPress) {
        if (!edges || event->button() != Qt::LeftButton)
            return false;
        beginResize(edges, event->globalPosition());
        return true;
    }
    if (type == QEvent::MouseMove && event->buttons() == Qt::NoButton)
        showEdgeCursor(edges);
    return false;
}

// While a popup is open, or a widget of another window holds the mouse, the window's mouse events
// are delivered there, not to this window.
bool RVWindowFrameGestures::eventsGoToThisWindow() const
{
    if (QApplication::activePopupWidget())
        return false;
    const QWidget *grabber = QWidget::mouseGrabber();
    return !grabber || grabber->window() == m_window;
}

// Controls keep their presses to the last pixel, edge or not: a scroll bar along the window's side
// scrolls, a button in its corner clicks. What else lies at an edge (backgrounds, labels, the list's
// rows) gives way to resizing, or a window filled by a list would have no edge left to resize by.
static bool takesPressesAtEdges(const QWidget *widget)
{
    return qobject_cast<const QAbstractSlider *>(widget) || qobject_cast<const QAbstractButton *>(widget) ||
           qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget) ||
           qobject_cast<const QComboBox *>(widget) || qobject_cast<const QPlainTextEdit *>(widget) ||
           qobject_cast<const QTextEdit *>(widget);
}

bool RVWindowFrameGestures::childTakesPressAt(const QPoint &windowPos) const
{
    for (const QWidget *widget = m_window->childAt(windowPos); widget && widget != m_window;
         widget = widget->parentWidget()) {
        if (takesPressesAtEdges(widget))
            return true;
    }
    return false;
}

Qt::Edges RVWindowFrameGestures::edgesAt(const QPoint &globalPos) const
{
    if (m_window->isMaximized() || m_window->isFullScreen())
        return {};
    const QPoint p = m_window->mapFromGlobal(globalPos);
    if (!m_window->rect().contains(p) || childTakesPressAt(p))
        return {};
    Qt::Edges edges;
    if (p.x() < kResizeMargin)
        edges |= Qt::LeftEdge;
    if (p.x() >= m_window->width() - kResizeMargin)
        edges |= Qt::RightEdge;
    if (p.y() < kResizeMargin)
        edges |= Qt::TopEdge;
    if (p.y() >= m_window->height() - kResizeMargin)
        edges |= Qt::BottomEdge;
    return edges;
}

void RVWindowFrameGestures::beginMove(const QPointF &globalPos)
{
    if (s_useWindowManager && m_window->windowHandle() && m_window->windowHandle()->startSystemMove())
        return;
    m_drag = Drag::Move;
    m_dragStart = globalPos;
    m_dragStartGeometry = m_window->frameGeometry();
}

void RVWindowFrameGestures::beginResize(Qt::Edges edges, const QPointF &globalPos)
{
    if (s_useWindowManager && m_window->windowHandle() && m_window->windowHandle()->startSystemResize(edges))
        return;
    m_drag = Drag::Resize;
    m_dragEdges = edges;
    m_dragStart = globalPos;
    m_dragStartGeometry = m_window->geometry();
}

// The edges being dragged follow the pointer; the opposite edges stay, and the window keeps its
// minimum size when the left or top edge is dragged past it.
void RVWindowFrameGestures::resizeTo(const QPoint &globalPos)
{
    const QPoint delta = globalPos - m_dragStart.toPoint();
    QRect g = m_dragStartGeometry;
    if (m_dragEdges & Qt::LeftEdge)
        g.setLeft(qMin(g.left() + delta.x(), g.right() - m_window->minimumWidth()));
    if (m_dragEdges & Qt::RightEdge)
        g.setRight(g.right() + delta.x());
    if (m_dragEdges & Qt::TopEdge)
        g.setTop(qMin(g.top() + delta.y(), g.bottom() - m_window->minimumHeight()));
    if (m_dragEdges & Qt::BottomEdge)
        g.setBottom(g.bottom() + delta.y());
    m_window->setGeometry(g);
}

// An application-wide cursor, so that it shows over children that set a cursor of their own.
void RVWindowFrameGestures::showEdgeCursor(Qt::Edges edges)
{
    if (edges && !m_edgeCursor) {
        QGuiApplication::setOverrideCursor(cursorFor(edges));
        m_edgeCursor = true;
    } else if (edges && m_edgeCursor) {
        QGuiApplication::changeOverrideCursor(cursorFor(edges));
    } else if (!edges && m_edgeCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_edgeCursor = false;
    }
}

void RVWindowFrameGestures::cancel()
{
    m_drag = Drag::None;
    if (m_edgeCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_edgeCursor = false;
    }
}

} // namespace Glimmerpad
