#include "chrome/rvtitlebarview.h"

#include "chrome/rvaccessible.h"
#include "platform/desktop.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <cstdint>
#include <cstdlib>

namespace Glimmerpad {

namespace {

std::optional<bool> activeLookOverride;
std::optional<bool> miniaturizeOnDoubleClickOverride;

QColor grey(float level)
{
    return QColor::fromRgbF(level, level, level);
}

} // namespace

RVTitlebarView::RVTitlebarView(QWidget *parent) : QWidget(parent)
{
    installChromeAccessibility(); // one title bar for screen readers, not its two title labels
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The window only hears of its own activation, not of its popover losing it to another
    // window, so the view follows the application's focus window and state itself.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, qOverload<>(&QWidget::update));
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, qOverload<>(&QWidget::update));
}

RVTitlebarView::~RVTitlebarView() = default;

void RVTitlebarView::setShowsBaselineSeparator(bool shows)
{
    if (shows == m_showsBaselineSeparator)
        return;
    m_showsBaselineSeparator = shows;
    update();
}

bool RVTitlebarView::isActiveLook() const
{
    const QWidget *own = window();
    if (own == this)
        return false;
    if (activeLookOverride)
        return *activeLookOverride;
    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
        return false;
    const QWidget *active = QApplication::activeWindow();
    if (!active)
        return false;
    const QWidget *owner = active->parentWidget();
    return active == own || (owner && owner->window() == own);
}

void RVTitlebarView::setActiveLookOverride(std::optional<bool> active)
{
    activeLookOverride = active;
}

void RVTitlebarView::setMiniaturizeOnDoubleClickOverride(std::optional<bool> miniaturize)
{
    miniaturizeOnDoubleClickOverride = miniaturize;
}

const QImage &RVTitlebarView::noiseTile()
{
    static const QImage tile = [] {
        QImage image(128, 128, QImage::Format_Grayscale8);
        // A fixed seed: the same grain in every run, and from one window to the next.
        std::srand(124);
        for (int y = 0; y < image.height(); ++y) {
            uchar *line = image.scanLine(y);
            for (int x = 0; x < image.width(); ++x) {
                const int r = std::rand() % 256;
                line[x] = static_cast<std::uint8_t>(r * 0.015);
            }
        }
        return image;
    }();
    return tile;
}

void RVTitlebarView::paintEvent(QPaintEvent *)
{
    // Everything is repainted each time: the gradient depends on the full height anyway.
    QPainter painter(this);
    const bool hasWindow = window() != this;
    const bool active = isActiveLook();
    const int w = width();
    const int h = height();

    QLinearGradient gradient(QPointF(0, h), QPointF(0, 0));
    gradient.setColorAt(0, grey(active ? 0.66f : 0.878f));
    gradient.setColorAt(1, grey(active ? 0.9f : 0.976f));
    painter.fillRect(rect(), gradient);

    if (active)
        drawNoise(&painter);

    if (hasWindow && m_showsBaselineSeparator) {
        // The line replaces the noise beneath it, so it stays one flat colour.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRect(0, h - 1, w, 1), grey(active ? 0.408f : 0.655f));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.fillRect(QRect(0, h - 2, w, 1), QColor::fromRgbF(1, 1, 1, 0.12f));
    }
}

void RVTitlebarView::drawNoise(QPainter *painter)
{
    const QImage &tile = noiseTile();
    const int side = tile.height();
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_Plus);
    // Tiles start at the bottom-left corner, so the grain stays put on the bottom edge when the
    // bar grows and a short bar shows the lower rows of the tile.
    for (int bottom = height(); bottom > 0; bottom -= side) {
        for (int x = 0; x < width(); x += side)
            painter->drawImage(QPoint(x, bottom - side), tile);
    }
    painter->restore();
}

void RVTitlebarView::mousePressEvent(QMouseEvent *event)
{
    // A single press goes on to the parent, which moves the window; a third click after a double
    // click starts over.
    m_miniaturizeOnRelease = false;
    event->ignore();
}

void RVTitlebarView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Asked at each double click, so a change in the desktop's settings counts at once.
    const bool miniaturize = miniaturizeOnDoubleClickOverride ? *miniaturizeOnDoubleClickOverride
                                                              : Platform::miniaturizeOnDoubleClick();
    if (event->button() == Qt::LeftButton && miniaturize) {
        m_miniaturizeOnRelease = true;
        event->accept();
        return;
    }
    event->ignore();
}

void RVTitlebarView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_miniaturizeOnRelease || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_miniaturizeOnRelease = false;
    event->accept();
    window()->showMinimized();
}

} // namespace Glimmerpad
