#pragma once

#include <QPointer>
#include <QWidget>

class QPainterPath;
class QPropertyAnimation;
class QVBoxLayout;

namespace Glimmerpad {

// The floating panel that holds the snippet editor beside its row in the list: a rounded panel
// with an arrow pointing at the row. It grabs no input and does not take focus when shown, so
// the list underneath stays usable while it is open. It sizes itself to the content's size hint
// (bounded by its own minimum and maximum size).
class EditorPopover : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kCornerRadius = 6;
    static constexpr int kArrowDepth = 10;
    static constexpr int kArrowWidth = 20;
    static constexpr int kPadding = 8;

    explicit EditorPopover(QWidget *parentWindow);
    ~EditorPopover() override;

    // Takes ownership; a previous content widget is deleted.
    void setContentWidget(QWidget *content);

    // Whether showing fades in. On by default.
    void setAnimates(bool animates);

    // Shows (never toggles) the popover beside `rect`, given in `anchor`'s coordinates. Qt::LeftEdge
    // puts it to the left of the rect with the arrow on its right side, Qt::RightEdge to the right;
    // when the anchor screen's available geometry has no room there it goes on the other side, and
    // with room on neither it narrows to the larger one. Vertically it is centred on the rect, kept
    // inside the available geometry, and below keepClear (global; say the window's title bar with
    // its buttons) where it would cover it. It is sized after its content has taken its new texts.
    // Calling it again while shown moves the popover and re-points the arrow without fading in.
    void showRelativeToRect(const QRect &rect, QWidget *anchor, Qt::Edge preferredEdge = Qt::LeftEdge,
                            const QRect &keepClear = {});
    // The side of the rect the popover is on.
    Qt::Edge shownEdge() const;
    bool isShown() const;
    // Hidden with the keys in it, it gives them back to its window.
    void setVisible(bool visible) override;

    // Where a popover of `size` (no narrower than minimumWidth) goes beside `anchorGlobal` inside
    // `available`, below `keepClear` where it would cover it; `edgeOut` receives the side chosen.
    // Only Qt::LeftEdge and Qt::RightEdge are meaningful; any other edge means left.
    static QRect placement(const QRect &anchorGlobal, const QSize &size, int minimumWidth, const QRect &available,
                           const QRect &keepClear, Qt::Edge preferredEdge, Qt::Edge *edgeOut);

    // The popover is a window of its own but sits in its window's tab order: Tab comes into it
    // (taking its first control, or its last for Shift+Tab, and the keys with it) and leaves it
    // past either end through tabbedOut(). Without a receiver of tabbedOut Tab goes round inside.
    void focusFromOutside(bool first);
    // Its controls that Tab stops at, in tab order.
    QList<QWidget *> tabStops() const;

Q_SIGNALS:
    // The popover went from shown to hidden: close() or hide().
    void closed();
    // Escape was pressed in it: its owner decides whether it closes (it may hold unsaved text).
    void escapePressed();
    // Tab past its last control (forward) or Shift+Tab before its first.
    void tabbedOut(bool forward);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QPainterPath outline() const;
    void setEdge(Qt::Edge edge);
    void updateMask();

    QVBoxLayout *m_layout;
    QPointer<QWidget> m_content;
    QPropertyAnimation *m_fade;
    Qt::Edge m_edge = Qt::LeftEdge;
    int m_arrowY = 0; // the arrow tip in local coordinates, before clamping to the straight edge
    bool m_translucent;
    bool m_animates = true;
};

} // namespace Glimmerpad
