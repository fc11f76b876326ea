#include "chrome/rvwindowbutton.h"

#include "chrome/rvwindow.h"

#include <QPainter>
#include <QPainterPath>

namespace Glimmerpad {

using Platform::WindowButton;

namespace {

struct LightColours
{
    QColor fill;
    QColor rim;
    QColor glyph;
};

LightColours coloursFor(WindowButton kind, bool active)
{
    if (!active)
        return {QColor(0xdc, 0xdc, 0xdc), QColor(0xbf, 0xbf, 0xbf), QColor(0x80, 0x80, 0x80)};
    switch (kind) {
    case WindowButton::Close:
        return {QColor(0xff, 0x5f, 0x57), QColor(0xe0, 0x44, 0x3e), QColor(0x4d, 0x00, 0x00)};
    case WindowButton::Miniaturize:
        return {QColor(0xfe, 0xbc, 0x2e), QColor(0xdc, 0x9b, 0x1c), QColor(0x99, 0x57, 0x00)};
    default:
        return {QColor(0x28, 0xc8, 0x40), QColor(0x1a, 0xab, 0x29), QColor(0x00, 0x65, 0x00)};
    }
}

QString accessibleNameFor(WindowButton kind)
{
    switch (kind) {
    case WindowButton::Close:
        //% "Close"
        return qtTrId("window_button_close");
    case WindowButton::Miniaturize:
        //% "Minimize"
        return qtTrId("window_button_minimize");
    case WindowButton::Zoom:
        //% "Zoom"
        return qtTrId("window_button_zoom");
    case WindowButton::FullScreen:
        //% "Full Screen"
        return qtTrId("window_button_full_screen");
    }
    return {};
}

} // namespace

RVWindowButton::RVWindowButton(WindowButton kind, QWidget *parent) : QAbstractButton(parent), m_kind(kind)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setAccessibleName(accessibleNameFor(kind));
    setToolTip(accessibleNameFor(kind));
    resize(sizeHint());
}

QSize RVWindowButton::sizeHint() const
{
    return Platform::WindowStandard::buttonSize(m_kind).toSize();
}

void RVWindowButton::setGroupHovered(bool hovered)
{
    if (m_groupHovered == hovered)
        return;
    m_groupHovered = hovered;
    update();
}

void RVWindowButton::resetInteraction()
{
    setDown(false);
    setGroupHovered(false);
}

void RVWindowButton::enterEvent(QEnterEvent *event)
{
    if (auto *w = qobject_cast<RVWindow *>(window()))
        w->setTrafficLightsHovered(isLight());
    QAbstractButton::enterEvent(event);
}

void RVWindowButton::leaveEvent(QEvent *event)
{
    if (auto *w = qobject_cast<RVWindow *>(window()))
        w->setTrafficLightsHovered(false);
    QAbstractButton::leaveEvent(event);
}

static void drawFullScreenButton(QPainter &p, const QRectF &box, bool active, bool down)
{
    const QColor ink = active ? QColor(0x55, 0x55, 0x55) : QColor(0x9a, 0x9a, 0x9a);
    const QRectF r = box.adjusted(2.5, 2.5, -2.5, -2.5);
    p.setPen(QPen(down ? ink.darker(140) : ink, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    // Two arrows pointing away from each other along the diagonal.
    p.drawLine(r.center() + QPointF(1, -1), r.topRight());
    p.drawLine(r.topRight(), r.topRight() + QPointF(-3.5, 0));
    p.drawLine(r.topRight(), r.topRight() + QPointF(0, 3.5));
    p.drawLine(r.center() + QPointF(-1, 1), r.bottomLeft());
    p.drawLine(r.bottomLeft(), r.bottomLeft() + QPointF(3.5, 0));
    p.drawLine(r.bottomLeft(), r.bottomLeft() + QPointF(0, -3.5));
}

void RVWindowButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const auto *w = qobject_cast<const RVWindow *>(window());
    const bool active = w ? w->isMainWindowLook() : isActiveWindow();
    const QRectF box = rect();

    if (!isLight()) {
        drawFullScreenButton(p, box, active, isDown());
        return;
    }

    // A 12-pixel light centred in the button's frame.
    const qreal diameter = qMin<qreal>(12, qMin(box.width(), box.height()) - 1);
    const QRectF light(box.center().x() - diameter / 2, box.center().y() - diameter / 2, diameter, diameter);
    const LightColours colours = coloursFor(m_kind, active || m_groupHovered);
    p.setPen(QPen(colours.rim, 0.8));
    p.setBrush(isDown() ? colours.fill.darker(120) : colours.fill);
    p.drawEllipse(light);
    if (!m_groupHovered)
        return;

    p.setPen(QPen(colours.glyph, 1.2, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = light.center();
    const qreal g = diameter * 0.22;
    switch (m_kind) {
    case WindowButton::Close:
        p.drawLine(c + QPointF(-g, -g), c + QPointF(g, g));
        p.drawLine(c + QPointF(-g, g), c + QPointF(g, -g));
        break;
    case WindowButton::Miniaturize:
        p.drawLine(c + QPointF(-g * 1.3, 0), c + QPointF(g * 1.3, 0));
        break;
    default:
        p.drawLine(c + QPointF(-g * 1.3, 0), c + QPointF(g * 1.3, 0));
        p.drawLine(c + QPointF(0, -g * 1.3), c + QPointF(0, g * 1.3));
        break;
    }
}

} // namespace Glimmerpad
