#pragma once

#include "platform/windowstandard.h"

#include <QAbstractButton>

namespace Glimmerpad {

// One of the buttons on the tall title bar: the three lights (close, miniaturize, zoom) and the
// full-screen button. The lights show their glyphs while the pointer is over any of them, as a
// group, and turn grey while their window does not have the active look.
class RVWindowButton final : public QAbstractButton
{
    Q_OBJECT

public:
    RVWindowButton(Platform::WindowButton kind, QWidget *parent);

    bool isLight() const { return m_kind != Platform::WindowButton::FullScreen; }

    // The pointer is over the group of lights (set by the window for all three at once).
    void setGroupHovered(bool hovered);
    // Forgets a press whose release went elsewhere (often lost after a system move).
    void resetInteraction();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    Platform::WindowButton m_kind;
    bool m_groupHovered = false;
};

} // namespace Glimmerpad
