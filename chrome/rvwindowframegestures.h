#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRect>

class QMouseEvent;
class QWidget;
class QWindow;

namespace Glimmerpad {

// Moving and resizing a frameless window by hand: dragging its background moves it, and a press
// within a few pixels of any edge resizes it from that edge, unless a control (a scroll bar, a
// button, a text field) lies under the pointer there. While the pointer hovers over an edge the
// cursor shows the resize direction.
// The window manager does the move or resize when it can; where it cannot (a bare X server), the
// window follows the pointer itself.
//
// Two objects are watched, and nothing else: the window's widget, for presses that no child took
// (the background), and the window's native window, which every mouse event of the window passes
// through before any widget sees it, so edges win over children, and hovering is seen over children
// that do not track the mouse. Mouse events that the native window hands to a popup or to another
// window's mouse grabber are left alone, like every event of other windows.
class RVWindowFrameGestures final : public QObject
{
    Q_OBJECT

public:
    // How far in from each edge a press resizes the window.
    static constexpr int kResizeMargin = 5;

    explicit RVWindowFrameGestures(QWidget *window); // a child of window
    ~RVWindowFrameGestures() override;

    bool isDragging() const { return m_drag != Drag::None; }
    // Forgets a drag under way and puts back the cursor: the pointer has left, or the window is
    // no longer active.
    void cancel();

    // Whether moves and resizes are handed to the window manager first (on by default). Tests turn
    // it off to drive the window's own following of the pointer.
    static void setUseWindowManager(bool use);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Drag
    {
        None,
        Move,
        Resize
    };

    void watchNativeWindow();
    // The edges within reach of a press at globalPos; none while maximized or full screen, and none
    // where a control of the window takes the press.
    Qt::Edges edgesAt(const QPoint &globalPos) const;
    bool childTakesPressAt(const QPoint &windowPos) const;
    bool backgroundMouseEvent(QMouseEvent *event);
    bool edgeMouseEvent(QMouseEvent *event);
    bool eventsGoToThisWindow() const;
    void beginMove(const QPointF &globalPos);
    void beginResize(Qt::Edges edges, const QPointF &globalPos);
    void resizeTo(const QPoint &globalPos);
    void showEdgeCursor(Qt::Edges edges);

    QWidget *m_window;
    QPointer<QWindow> m_nativeWindow;
    Drag m_drag = Drag::None;
    Qt::Edges m_dragEdges;
    QPointF m_dragStart;
    QRect m_dragStartGeometry;
    bool m_edgeCursor = false;
};

} // namespace Glimmerpad
