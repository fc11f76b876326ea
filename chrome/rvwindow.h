#pragma once

#include "platform/windowstandard.h"

#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QUrl;

namespace Glimmerpad {

class RVWindow;
class RVWindowButton;
class RVWindowFrameGestures;

// Answers the window's questions about placement; the application gives the window one.
class RVWindowDelegate
{
public:
    virtual ~RVWindowDelegate() = default;
    // Where a sheet attaches: proposedRect and the result use the window's own coordinates with a
    // bottom-left origin; y is where the sheet's top edge goes.
    virtual QRectF windowWillPositionSheet(RVWindow *window, QWidget *sheet, const QRectF &proposedRect) = 0;
    // Whether the window may close now (its close button, a quit command); a delegate that says no
    // may close it later itself.
    virtual bool windowShouldClose(RVWindow *) { return true; }
};

// A frameless top-level window with a tall title bar of its own: the title bar view is pinned
// along the top across the full width, the window buttons are laid out on it, and the content
// view ends where the title bar begins. The window itself plays the frame view: the parent of
// the title bar view, the buttons and the content view.
//
// The layout arithmetic works in the frame view's coordinates with a bottom-left origin and y up,
// the same as Platform::WindowStandard's frames, so that its measurements apply unchanged;
// frameOfView() and setFrameOfView() convert to and from Qt's top-left origin.
//
// Dragging the background moves the window and the edges resize it (RVWindowFrameGestures).
class RVWindow : public QWidget
{
    Q_OBJECT

public:
    explicit RVWindow(QWidget *parent = nullptr);
    ~RVWindow() override;

    // -- properties; each setter acts only when the value changes
    qreal titleBarHeight() const { return _titleBarHeight; }
    void setTitleBarHeight(qreal height);
    qreal trafficLightButtonsLeftMargin() const { return _trafficLightButtonsLeftMargin; }
    void setTrafficLightButtonsLeftMargin(qreal margin);
    qreal fullScreenButtonRightMargin() const { return _fullScreenButtonRightMargin; }
    void setFullScreenButtonRightMargin(qreal margin);
    bool centerTrafficLightButtons() const { return _centerTrafficLightButtons; }
    void setCenterTrafficLightButtons(bool center);
    bool centerFullScreenButton() const { return _centerFullScreenButton; }
    void setCenterFullScreenButton(bool center);
    bool showsBaselineSeparator() const { return _showsBaselineSeparator; }
    void setShowsBaselineSeparator(bool shows);
    bool hideTitleBarInFullScreen() const { return _hideTitleBarInFullScreen; }
    void setHideTitleBarInFullScreen(bool hide) { _hideTitleBarInFullScreen = hide; }
    QString windowMenuTitle() const { return _windowMenuTitle; }
    void setWindowMenuTitle(const QString &title) { _windowMenuTitle = title; }
    QWidget *titleBarView() const { return _titleBarView; }
    void setTitleBarView(QWidget *view); // takes ownership; a null view is ignored

    RVWindowDelegate *delegate() const { return m_delegate; }
    void setDelegate(RVWindowDelegate *delegate) { m_delegate = delegate; }

    void setContentView(QWidget *view); // takes ownership
    QWidget *contentView() const { return m_contentView; }
    QAbstractButton *standardWindowButton(Platform::WindowButton button) const;

    // -- ordering, with the Window menu kept up to date
    void makeKeyAndOrderFront();
    void orderFront();
    void orderOut();
    bool isExcludedFromWindowsMenu() const { return m_excludedFromWindowsMenu; }
    void setExcludedFromWindowsMenu(bool excluded) { m_excludedFromWindowsMenu = excluded; }
    void setRepresentedURL(const QUrl &url); // does nothing: the window never has one

    void toggleFullScreen();
    // Moves a sheet of its present size to where the delegate says, centred below a standard
    // title bar unless it says otherwise. The sheet may be a child widget (RVSheet) or a window.
    void positionSheet(QWidget *sheet);

    // This window has the active look: the application is active and the window, or a window
    // of its own such as a popover, is the active window.
    bool isMainWindowLook() const;
    void setTrafficLightsHovered(bool hovered);

    // -- frames in the frame view's coordinates (bottom-left origin)
    QRectF frameViewFrame() const;
    QRectF frameOfView(const QWidget *view) const;
    void setFrameOfView(QWidget *view, const QRectF &frame);

    // -- the steps that the setters and full-screen changes run, public so that tests can run them
    //    one at a time
    void _recalculateFrameForTitleBarView();
    void _layoutTrafficLightsAndContent();
    void _displayWindowAndTitlebar();
    void _setupTrafficLightsTrackingArea();
    void _hideTitleBarView(bool hidden);
    qreal _minimumTitlebarHeight();
    qreal _defaultTrafficLightLeftMargin();
    qreal _trafficLightSeparation();
    void windowWillEnterFullScreen();
    void windowWillExitFullScreen();

    // The three measurements are made once per process; tests start afresh with this.
    static void resetClassMeasurementsForTesting();
    // How many times the tracking area of the buttons was set up anew (for tests).
    int trackingAreaSetups() const { return m_trackingAreaSetups; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void _doInitialWindowSetup();
    void _createTitlebarView();
    void syncAutoresizing();
    void resetPointerState();
    void notifyFullScreenChange(bool entering);

    // Fields, as the window arithmetic names them.
    qreal _titleBarHeight = 0;
    QPointer<QWidget> _titleBarView;
    QString _windowMenuTitle;
    bool _centerFullScreenButton = false;
    bool _hideTitleBarInFullScreen = false;
    bool _showsBaselineSeparator = false;
    bool _centerTrafficLightButtons = false;
    qreal _cachedTitleBarHeight = 0;
    qreal _trafficLightButtonsLeftMargin = 0;
    qreal _fullScreenButtonRightMargin = 0;
    bool _setFullScreenButtonRightMargin = false;

    QWidget *m_contentView = nullptr;
    QSize m_laidOutSize; // the size the children were last placed for
    RVWindowButton *m_buttons[4] = {};
    RVWindowDelegate *m_delegate = nullptr;
    bool m_excludedFromWindowsMenu = false;
    bool m_fullScreenAnnounced = false;
    int m_trackingAreaSetups = 0;
    RVWindowFrameGestures *m_frameGestures = nullptr;
};

} // namespace Glimmerpad
