#include "chrome/rvwindow.h"

#include "chrome/rvaccessible.h"
#include "chrome/rvtitlebarview.h"
#include "chrome/rvwindowbutton.h"
#include "chrome/rvwindowframegestures.h"
#include "chrome/rvwindowsmenu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QWindowStateChangeEvent>

#include <cmath>

namespace Glimmerpad {

using Platform::WindowButton;
using Platform::WindowStandard;

namespace {

// Process-wide measurements: 0 until measured; a measurement of 0 is taken again next time.
qreal s_minimumTitlebarHeight = 0;
qreal s_defaultTrafficLightLeftMargin = 0;
qreal s_trafficLightSeparation = 0;

// Every window, so that a full-screen change of any of them reaches all of them.
QList<QPointer<RVWindow>> &allWindows()
{
    static QList<QPointer<RVWindow>> windows;
    return windows;
}

int indexOf(WindowButton button)
{
    return static_cast<int>(button);
}

// Which pieces keep their distance to which edges when the window is resized: the content
// stretches both ways, the title bar stretches across and keeps to the top, the lights keep to
// the top-left corner and the full-screen button to the top-right.
enum Autoresize
{
    StretchBoth,
    StretchAcross,
    KeepTopLeft,
    KeepTopRight
};
const char *const kAutoresizeProperty = "_rvAutoresize";

} // namespace

RVWindow::RVWindow(QWidget *parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    // Without the window manager's frame Qt would not tell screen readers this is a window.
    setAccessibleRole(this, QAccessible::Window);
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(640, 480);
    m_laidOutSize = size();
    // The standard buttons at their standard places and the content below a standard-height title
    // bar: _doInitialWindowSetup() measures these for the defaults it starts from.
    const QSizeF size = frameViewFrame().size();
    for (WindowButton kind :
         {WindowButton::Close, WindowButton::Miniaturize, WindowButton::Zoom, WindowButton::FullScreen}) {
        auto *button = new RVWindowButton(kind, this);
        button->setProperty(kAutoresizeProperty,
                            kind == WindowButton::FullScreen ? KeepTopRight : KeepTopLeft);
        setFrameOfView(button, WindowStandard::defaultButtonFrame(kind, size));
        m_buttons[indexOf(kind)] = button;
    }
    connect(m_buttons[indexOf(WindowButton::Close)], &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_buttons[indexOf(WindowButton::Miniaturize)], &QAbstractButton::clicked, this,
            &QWidget::showMinimized);
    connect(m_buttons[indexOf(WindowButton::Zoom)], &QAbstractButton::clicked, this,
            [this] { isMaximized() ? showNormal() : showMaximized(); });
    connect(m_buttons[indexOf(WindowButton::FullScreen)], &QAbstractButton::clicked, this,
            &RVWindow::toggleFullScreen);

    m_contentView = new QWidget(this);
    m_contentView->setProperty(kAutoresizeProperty, StretchBoth);
    setFrameOfView(m_contentView, WindowStandard::contentRectForFrameRect(frameViewFrame()));

    _doInitialWindowSetup();
}

RVWindow::~RVWindow()
{
    allWindows().removeAll(this);
    RVWindowsMenu::instance().removeWindowsItem(this);
}

void RVWindow::_doInitialWindowSetup()
{
    _showsBaselineSeparator = true;
    _centerTrafficLightButtons = true;
    _titleBarHeight = _minimumTitlebarHeight();
    _trafficLightButtonsLeftMargin = _defaultTrafficLightLeftMargin();
    m_frameGestures = new RVWindowFrameGestures(this);

    allWindows().append(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &RVWindow::_displayWindowAndTitlebar);

    _createTitlebarView();
    _layoutTrafficLightsAndContent();
    _setupTrafficLightsTrackingArea();
}

void RVWindow::_createTitlebarView()
{
    setTitleBarView(new RVTitlebarView);
}

// ---- frames ---------------------------------------------------------------------------------

QRectF RVWindow::frameViewFrame() const
{
    return {0, 0, static_cast<qreal>(width()), static_cast<qreal>(height())};
}

QRectF RVWindow::frameOfView(const QWidget *view) const
{
    if (!view)
        return {};
    const_cast<RVWindow *>(this)->syncAutoresizing(); // frames are read against the current size
    const QRect g = view->geometry();
    return {static_cast<qreal>(g.x()), static_cast<qreal>(height() - g.y() - g.height()),
            static_cast<qreal>(g.width()), static_cast<qreal>(g.height())};
}

void RVWindow::setFrameOfView(QWidget *view, const QRectF &frame)
{
    if (!view)
        return;
    syncAutoresizing();
    const qreal top = height() - frame.y() - frame.height();
    view->setGeometry(QRectF(frame.x(), top, frame.width(), frame.height()).toRect());
}

QAbstractButton *RVWindow::standardWindowButton(WindowButton button) const
{
    return m_buttons[indexOf(button)];
}

// ---- properties -------------------------------------------------------------------------------

void RVWindow::setTitleBarHeight(qreal height)
{
    if (height == _titleBarHeight)
        return;
    _titleBarHeight = height;
    _cachedTitleBarHeight = height;
    _recalculateFrameForTitleBarView();
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
}

void RVWindow::setTrafficLightButtonsLeftMargin(qreal margin)
{
    if (margin == _trafficLightButtonsLeftMargin)
        return;
    _trafficLightButtonsLeftMargin = margin;
    _recalculateFrameForTitleBarView();
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
    _setupTrafficLightsTrackingArea();
}

void RVWindow::setFullScreenButtonRightMargin(qreal margin)
{
    if (margin == _fullScreenButtonRightMargin)
        return;
    _fullScreenButtonRightMargin = margin;
    _setFullScreenButtonRightMargin = true;
    _recalculateFrameForTitleBarView();
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
}

void RVWindow::setCenterTrafficLightButtons(bool center)
{
    if (center == _centerTrafficLightButtons)
        return;
    _centerTrafficLightButtons = center;
    _layoutTrafficLightsAndContent();
    _setupTrafficLightsTrackingArea();
}

void RVWindow::setCenterFullScreenButton(bool center)
{
    if (center == _centerFullScreenButton)
        return;
    _centerFullScreenButton = center;
    _layoutTrafficLightsAndContent();
}

void RVWindow::setShowsBaselineSeparator(bool shows)
{
    if (shows == _showsBaselineSeparator)
        return;
    _showsBaselineSeparator = shows;
    if (auto *view = qobject_cast<RVTitlebarView *>(titleBarView()))
        view->setShowsBaselineSeparator(shows);
    if (titleBarView())
        titleBarView()->update();
}

void RVWindow::setTitleBarView(QWidget *view)
{
    if (!view || view == _titleBarView)
        return;
    if (_titleBarView) {
        _titleBarView->hide();
        _titleBarView->deleteLater();
    }
    syncAutoresizing();
    _titleBarView = view;
    if (auto *titlebar = qobject_cast<RVTitlebarView *>(view))
        titlebar->setShowsBaselineSeparator(_showsBaselineSeparator);
    view->setProperty(kAutoresizeProperty, StretchAcross);
    view->setParent(this);
    _recalculateFrameForTitleBarView();
    view->lower(); // behind the content and the buttons
    view->show();
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
}

void RVWindow::setContentView(QWidget *view)
{
    if (!view || view == m_contentView)
        return;
    syncAutoresizing();
    const QRectF frame = frameOfView(m_contentView);
    delete m_contentView;
    m_contentView = view;
    view->setParent(this);
    view->setProperty(kAutoresizeProperty, StretchBoth);
    setFrameOfView(view, frame);
    view->show();
    if (_titleBarView)
        _titleBarView->lower();
}

// ---- the internal operations ------------------------------------------------------------------

void RVWindow::_recalculateFrameForTitleBarView()
{
    syncAutoresizing();
    if (!_titleBarView)
        return;
    const QRectF f = m_contentView ? frameViewFrame() : QRectF();
    setFrameOfView(_titleBarView,
                   QRectF(0, f.y() + f.height() - _titleBarHeight, f.width(), _titleBarHeight));
}

static qreal roundHalfAwayFromZero(qreal value)
{
    return std::round(value); // std::round rounds halves away from zero
}

void RVWindow::_layoutTrafficLightsAndContent()
{
    syncAutoresizing();
    QAbstractButton *close = standardWindowButton(WindowButton::Close);
    QAbstractButton *mini = standardWindowButton(WindowButton::Miniaturize);
    QAbstractButton *zoom = standardWindowButton(WindowButton::Zoom);
    const QRectF closeFrame = frameOfView(close);
    const QRectF t = frameOfView(_titleBarView);

    auto buttonY = [&t](qreal buttonHeight, bool centred) {
        return centred ? roundHalfAwayFromZero((t.y() + t.height() * 0.5) - 0.5 * buttonHeight)
                       : t.y() + t.height() - buttonHeight - 3;
    };
    const qreal y = buttonY(closeFrame.height(), _centerTrafficLightButtons);
    const qreal left = _trafficLightButtonsLeftMargin;
    const qreal separation = _trafficLightSeparation();
    qreal x = left;
    for (QAbstractButton *button : {close, mini, zoom}) {
        if (button) {
            const QRectF frame = frameOfView(button);
            setFrameOfView(button, QRectF(x, y, frame.width(), frame.height()));
        }
        x += separation;
    }

    if (QAbstractButton *fullScreen = standardWindowButton(WindowButton::FullScreen)) {
        if (!_setFullScreenButtonRightMargin) {
            const QRectF titleBar = frameOfView(_titleBarView);
            const QRectF button = frameOfView(fullScreen);
            setFullScreenButtonRightMargin(titleBar.width() - (button.x() + button.width()));
        }
        const QRectF button = frameOfView(fullScreen);
        const qreal fx = t.width() - button.width() - _fullScreenButtonRightMargin;
        setFrameOfView(fullScreen, QRectF(fx, buttonY(button.height(), _centerFullScreenButton),
                                          button.width(), button.height()));
    }

    if (m_contentView) {
        const qreal windowHeight = frameViewFrame().height();
        const QRectF content = frameOfView(m_contentView);
        const qreal newHeight = content.height() - (_titleBarHeight - (windowHeight - content.height()));
        setFrameOfView(m_contentView, QRectF(content.x(), content.y(), content.width(), newHeight));
        m_contentView->update();
    }
}

void RVWindow::_displayWindowAndTitlebar()
{
    if (_titleBarView)
        _titleBarView->update();
    // The lights turn grey with the title bar.
    for (RVWindowButton *button : m_buttons)
        button->update();
}

void RVWindow::_setupTrafficLightsTrackingArea()
{
    ++m_trackingAreaSetups;
    // Hover is worked out afresh from where the pointer is now, at the buttons' new places.
    bool overLights = false;
    for (RVWindowButton *button : m_buttons) {
        if (button->isLight() && button->isVisible() &&
            button->rect().contains(button->mapFromGlobal(QCursor::pos())))
            overLights = true;
    }
    setTrafficLightsHovered(overLights);
}

void RVWindow::_hideTitleBarView(bool hidden)
{
    if (_titleBarView)
        _titleBarView->setHidden(hidden);
}

qreal RVWindow::_minimumTitlebarHeight()
{
    if (s_minimumTitlebarHeight == 0) {
        const QRectF frame = frameViewFrame();
        s_minimumTitlebarHeight = frame.height() - WindowStandard::contentRectForFrameRect(frame).height();
    }
    return s_minimumTitlebarHeight;
}

qreal RVWindow::_defaultTrafficLightLeftMargin()
{
    if (s_defaultTrafficLightLeftMargin == 0)
        s_defaultTrafficLightLeftMargin = frameOfView(standardWindowButton(WindowButton::Close)).x();
    return s_defaultTrafficLightLeftMargin;
}

qreal RVWindow::_trafficLightSeparation()
{
    if (s_trafficLightSeparation == 0) {
        s_trafficLightSeparation = frameOfView(standardWindowButton(WindowButton::Miniaturize)).x() -
                                   frameOfView(standardWindowButton(WindowButton::Close)).x();
    }
    return s_trafficLightSeparation;
}

void RVWindow::resetClassMeasurementsForTesting()
{
    s_minimumTitlebarHeight = 0;
    s_defaultTrafficLightLeftMargin = 0;
    s_trafficLightSeparation = 0;
}

// ---- full screen ------------------------------------------------------------------------------

void RVWindow::windowWillEnterFullScreen()
{
    if (!_hideTitleBarInFullScreen)
        return;
    // A height never given through the setter is still worth restoring on the way out.
    if (_cachedTitleBarHeight == 0)
        _cachedTitleBarHeight = _titleBarHeight;
    _titleBarHeight = 0;
    _recalculateFrameForTitleBarView();
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
    _hideTitleBarView(true);
}

void RVWindow::windowWillExitFullScreen()
{
    if (!_hideTitleBarInFullScreen)
        return;
    _titleBarHeight = _cachedTitleBarHeight;
    _recalculateFrameForTitleBarView();
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
    _hideTitleBarView(false);
}

void RVWindow::notifyFullScreenChange(bool entering)
{
    m_fullScreenAnnounced = true;
    for (const QPointer<RVWindow> &window : allWindows()) {
        if (!window)
            continue;
        if (entering)
            window->windowWillEnterFullScreen();
        else
            window->windowWillExitFullScreen();
    }
}

void RVWindow::toggleFullScreen()
{
    const bool entering = !isFullScreen();
    notifyFullScreenChange(entering);
    if (entering)
        showFullScreen();
    else
        showNormal();
}

// ---- ordering and the Window menu -----------------------------------------------------------

void RVWindow::orderFront()
{
    show();
    raise();
    if (!m_excludedFromWindowsMenu)
        RVWindowsMenu::instance().addWindowsItem(this, _windowMenuTitle, false);
}

void RVWindow::makeKeyAndOrderFront()
{
    show();
    raise();
    activateWindow();
    if (!m_excludedFromWindowsMenu)
        RVWindowsMenu::instance().addWindowsItem(this, _windowMenuTitle, false);
}

void RVWindow::orderOut()
{
    hide();
    RVWindowsMenu::instance().removeWindowsItem(this);
}

void RVWindow::setRepresentedURL(const QUrl &) {}

void RVWindow::positionSheet(QWidget *sheet)
{
    if (!sheet)
        return;
    const QRectF frame = frameViewFrame();
    // Proposed to the delegate: centred, hanging from a standard-height title bar.
    QRectF proposed((frame.width() - sheet->width()) / 2, frame.height() - WindowStandard::titleBarHeight(),
                    sheet->width(), sheet->height());
    if (m_delegate)
        proposed = m_delegate->windowWillPositionSheet(this, sheet, proposed);
    const QPoint topLeft = QPointF(proposed.x(), frame.height() - proposed.y()).toPoint();
    if (sheet->isWindow())
        sheet->move(mapToGlobal(topLeft));
    else
        sheet->move(sheet->parentWidget()->mapFrom(this, topLeft));
}

bool RVWindow::isMainWindowLook() const
{
    // One rule for the whole title bar: the view that paints it decides, the buttons follow.
    if (const auto *view = qobject_cast<const RVTitlebarView *>(titleBarView()))
        return view->isActiveLook();
    return isActiveWindow();
}

void RVWindow::setTrafficLightsHovered(bool hovered)
{
    for (RVWindowButton *button : m_buttons) {
        if (button->isLight())
            button->setGroupHovered(hovered);
    }
}

// ---- events -----------------------------------------------------------------------------------

void RVWindow::syncAutoresizing()
{
    // Qt delivers the resize event of a hidden window only when it is shown; the layout may run
    // before that, so the children follow the size here, whenever it has changed.
    const QSize newSize = size();
    if (newSize == m_laidOutSize)
        return;
    const int dw = newSize.width() - m_laidOutSize.width();
    const int dh = newSize.height() - m_laidOutSize.height();
    m_laidOutSize = newSize;
    for (QObject *child : children()) {
        auto *view = qobject_cast<QWidget *>(child);
        const QVariant mask = view ? view->property(kAutoresizeProperty) : QVariant();
        if (!mask.isValid())
            continue;
        // Qt's origin is the top-left: keeping to the top means keeping y.
        QRect g = view->geometry();
        switch (mask.toInt()) {
        case StretchBoth:
            g.setSize(g.size() + QSize(dw, dh));
            break;
        case StretchAcross:
            g.setWidth(g.width() + dw);
            break;
        case KeepTopRight:
            g.translate(dw, 0);
            break;
        default:
            break;
        }
        view->setGeometry(g);
    }
}

void RVWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    _layoutTrafficLightsAndContent();
}

void RVWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    _layoutTrafficLightsAndContent();
}

void RVWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        _displayWindowAndTitlebar();
        if (isActiveWindow())
            _setupTrafficLightsTrackingArea();
        else
            resetPointerState();
    } else if (event->type() == QEvent::WindowStateChange) {
        const auto *change = static_cast<QWindowStateChangeEvent *>(event);
        const bool wasFullScreen = change->oldState().testFlag(Qt::WindowFullScreen);
        if (wasFullScreen != isFullScreen()) {
            // The window manager can change full screen without us: announce it late then.
            if (!m_fullScreenAnnounced)
                notifyFullScreenChange(isFullScreen());
            m_fullScreenAnnounced = false;
            if (wasFullScreen) {
                for (const QPointer<RVWindow> &window : allWindows()) {
                    if (window)
                        window->_setupTrafficLightsTrackingArea();
                }
            }
        }
    }
}

void RVWindow::closeEvent(QCloseEvent *event)
{
    if (m_delegate && !m_delegate->windowShouldClose(this)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    if (event->isAccepted())
        RVWindowsMenu::instance().removeWindowsItem(this);
}

void RVWindow::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    // A drag under way keeps going when the pointer outruns the window.
    if (!m_frameGestures->isDragging())
        resetPointerState();
}

// A press whose release went elsewhere, a hovered edge or a drag would otherwise outlive the pointer.
void RVWindow::resetPointerState()
{
    m_frameGestures->cancel();
    for (RVWindowButton *button : m_buttons)
        button->resetInteraction();
}

} // namespace Glimmerpad
