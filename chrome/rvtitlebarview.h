#pragma once

#include <QImage>
#include <QWidget>

#include <optional>

namespace Glimmerpad {

// The strip along the top of the window that stands for the title bar: a grey gradient, darker
// at the bottom, with a faint noise over it while the window has the active look, and a separator
// line along the bottom edge. Every paint covers the whole view.
//
// A double click minimizes the window when the desktop asks for that
// (Platform::miniaturizeOnDoubleClick(), unless overridden); every other press, move and release is
// left to the parent, which moves the window when its background is dragged.
class RVTitlebarView : public QWidget
{
    Q_OBJECT

public:
    explicit RVTitlebarView(QWidget *parent = nullptr);
    ~RVTitlebarView() override;

    // Whether the bottom row draws the separator line; the window keeps this in step with its
    // own setting. On by default.
    bool showsBaselineSeparator() const { return m_showsBaselineSeparator; }
    void setShowsBaselineSeparator(bool shows);

    // The application is active and the view's window is the active window, or the active window
    // belongs to it (a popover). Worked out at each paint, and the view repaints itself whenever
    // activation moves; a view that is its own window never has the active look.
    bool isActiveLook() const;

    // Replaces the activation half of isActiveLook() for every view while set: offscreen tests
    // cannot activate windows reliably. std::nullopt goes back to asking the application.
    static void setActiveLookOverride(std::optional<bool> active);

    // Replaces the desktop's double-click preference for every view while set, so that tests do
    // not depend on the desktop they run on. std::nullopt goes back to asking the desktop.
    static void setMiniaturizeOnDoubleClickOverride(std::optional<bool> miniaturize);

    // The noise over the active look: 128 x 128 grey levels of 0 to 3, the same in every run,
    // made on first use. Row 0 is the top row of the tile.
    static const QImage &noiseTile();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

    // Adds the noise tiles to what is painted; tests replace it to see the gradient alone.
    virtual void drawNoise(QPainter *painter);

private:
    bool m_showsBaselineSeparator = true;
    // A double click that will minimize the window when its button is released.
    bool m_miniaturizeOnRelease = false;
};

} // namespace Glimmerpad
