// The title bar view's pixels, its double click, and the desktop preference behind the double click.
#include "chrome/rvtitlebarview.h"
#include "platform/desktop.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>
#include <tuple>
#include <utility>

using namespace Glimmerpad;

namespace {

// The gradient alone: what the view paints under its noise.
class PlainTitlebarView : public RVTitlebarView
{
protected:
    void drawNoise(QPainter *) override {}
};

struct ActiveLook
{
    explicit ActiveLook(bool active) { RVTitlebarView::setActiveLookOverride(active); }
    ~ActiveLook() { RVTitlebarView::setActiveLookOverride(std::nullopt); }
};

// A view in a window unless `windowed` is false, in which case the view is its own window.
template<class View = RVTitlebarView> QImage paintBar(QSize size, bool separator, bool windowed = true)
{
    QWidget window;
    View view;
    if (windowed)
        view.setParent(&window);
    view.setShowsBaselineSeparator(separator);
    view.resize(size);
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The grey at pixel (x, y), which must be one.
int level(const QImage &image, int x, int y)
{
    const QRgb rgb = image.pixel(x, y);
    EXPECT_TRUE(qRed(rgb) == qGreen(rgb) && qGreen(rgb) == qBlue(rgb)) << x << "," << y;
    return qGreen(rgb);
}

int tileByte(int x, int y)
{
    return RVTitlebarView::noiseTile().constScanLine(y)[x];
}

} // namespace

TEST(TitlebarNoise, IsOneTileOfLevelsZeroToThreeInRoughlyEvenShares)
{
    const QImage &tile = RVTitlebarView::noiseTile();
    ASSERT_EQ(tile.size(), QSize(128, 128));
    ASSERT_EQ(tile.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(&tile, &RVTitlebarView::noiseTile()); // made once, for every window
    // Random bytes scaled by 0.015 fall 67, 67, 66 and 56 in 256 to the four levels.
    int counts[4] = {};
    for (int i = 0; i < 128 * 128; ++i) {
        const int byte = tileByte(i % 128, i / 128);
        ASSERT_LE(byte, 3) << i;
        ++counts[byte];
    }
    for (int l = 0; l < 4; ++l)
        EXPECT_NEAR(counts[l], (l < 2 ? 67 : l == 2 ? 66 : 56) * 64, 250) << "level " << l;
}

TEST(TitlebarPaint, GradientRunsFromTheBottomEdgeToTheTopWithNoiseOnlyInTheActiveLook)
{
    for (const auto &[forced, windowed, active] :
         {std::tuple{true, true, true}, {false, true, false}, {true, false, false}}) {
        const ActiveLook look(forced);
        // Without a window there is no separator to turn off.
        const QImage image = paintBar(QSize(300, 36), !windowed, windowed);
        const double bottom = active ? 0.66 : 0.878, top = active ? 0.9 : 0.976;
        for (const int y : {35, 34, 18, 0}) {
            const double expected = 255 * (bottom + (top - bottom) * (36 - (y + 0.5)) / 36);
            for (int x = 0; x < 300; ++x) {
                const double added = level(image, x, y) - expected; // the noise adds 0 to 3 levels
                EXPECT_TRUE(added >= -1 && added <= (active ? 4 : 1))
                    << forced << windowed << " " << x << "," << y;
            }
        }
    }
}

TEST(TitlebarPaint, SeparatorReplacesTheBottomRowAndLightensTheRowAbove)
{
    EXPECT_TRUE(RVTitlebarView().showsBaselineSeparator());
    for (const bool active : {true, false}) {
        const ActiveLook look(active);
        const QImage with = paintBar(QSize(300, 36), true), without = paintBar(QSize(300, 36), false);
        const int line = static_cast<int>(std::lround(255 * (active ? 0.408 : 0.655)));
        for (int x = 0; x < 300; ++x) {
            EXPECT_NEAR(level(with, x, 35), line, 1) << active << " " << x;
            const int under = level(without, x, 34);
            EXPECT_NEAR(level(with, x, 34), under + (255 - under) * 0.12, 1) << active << " " << x;
            for (int y = 0; y < 34; ++y)
                ASSERT_EQ(with.pixel(x, y), without.pixel(x, y)) << active << " " << x << "," << y;
        }
    }
}

TEST(TitlebarPaint, TheActiveLookFollowsTheWindowAndItsPopoverAndRepaintsWhenActivationMoves)
{
    struct CountingView : RVTitlebarView
    {
        using RVTitlebarView::RVTitlebarView;
        int paints = 0;
        void paintEvent(QPaintEvent *event) override { ++paints, RVTitlebarView::paintEvent(event); }
    };
    QWidget window, popover(&window, Qt::Tool), other;
    auto *view = new CountingView(&window);
    for (QWidget *w : {&window, &popover, &other}) {
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w)); // a window manager maps windows when it gets to it
    }
    const auto activate = [](QWidget *w) { // activation, too, comes when the window manager gets to it
        w->activateWindow();
        return QTest::qWaitFor([w] {
            return QApplication::activeWindow() == w && qApp->applicationState() == Qt::ApplicationActive;
        });
    };
    if (!activate(&other))
        GTEST_SKIP() << "this platform does not activate windows";
    for (const auto &[activated, active] : {std::pair{&window, true}, {&popover, true}, {&other, false}}) {
        const int paints = view->paints;
        ASSERT_TRUE(activate(activated)) << activated;
        EXPECT_EQ(view->isActiveLook(), active) << activated;
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->paints > paints; })) << activated;
    }
}

TEST(TitlebarPreference, GnomesSettingIsRead)
{
    // A stand-in for GNOME's schema whose default minimizes. GIO reads schemas once per process.
    QTemporaryDir schemas;
    QFile xml(schemas.filePath(QStringLiteral("titlebar.gschema.xml")));
    ASSERT_TRUE(xml.open(QIODevice::WriteOnly));
    xml.write(R"(<schemalist><enum id="test.Action"><value nick="minimize" value="4"/></enum>
<schema id="org.gnome.desktop.wm.preferences" path="/org/gnome/desktop/wm/preferences/">
<key name="action-double-click-titlebar" enum="test.Action"><default>'minimize'</default></key>
</schema></schemalist>)");
    xml.close();
    if (QProcess::execute(QStringLiteral("glib-compile-schemas"), {schemas.path()}) != 0)
        GTEST_SKIP() << "glib-compile-schemas is not available";
    qputenv("GSETTINGS_SCHEMA_DIR", schemas.path().toLocal8Bit());
    qputenv("GSETTINGS_BACKEND", "memory");
    EXPECT_TRUE(Platform::miniaturizeOnDoubleClick());
}

TEST(TitlebarDoubleClick, MinimizesOnTheSecondReleaseOnlyWhenTheDesktopAsks)
{
    // Steps: 0 and 1 set the preference; press, release, double click and drag (m) are left-button
    // events sent to the view; n restores the window. parentSaw: the events that reached the window.
    static constexpr std::string_view names = "prdm";
    static constexpr QEvent::Type types[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                             QEvent::MouseButtonDblClick, QEvent::MouseMove};
    struct Window : QWidget
    {
        QString saw;
        bool event(QEvent *event) override
        {
            for (size_t i = 0; i < names.size(); ++i)
                if (event->type() == types[i])
                    saw += QLatin1Char(names[i]);
            return QWidget::event(event);
        }
    };
    const std::tuple<const char *, bool, const char *> cases[] = {
        {"1prdr", true, "pr"},       // the second release minimizes; the window never sees the double click
        {"1prd", false, "pr"},       // not before the release
        {"0prdr", false, "prdr"},    // with the preference off everything goes to the window
        {"1pmr", false, "pmr"},      // a drag is the window's, to move it
        {"1prdpr", false, "prpr"},   // a lost release does not arm the next click
        {"1prdrnpr", false, "prpr"}, // a third click does nothing more
        {"1prdrn0prdr", false, "prprdr"}, // the preference is read at every double click
        {"0prdr1prdr", true, "prdrpr"},
    };
    for (const auto &[steps, minimized, parentSaw] : cases) {
        Window window;
        auto *view = new RVTitlebarView(&window);
        view->resize(300, 36);
        for (const char *s = steps; *s; ++s) {
            if (*s == '0' || *s == '1') {
                RVTitlebarView::setMiniaturizeOnDoubleClickOverride(*s == '1');
            } else if (*s == 'n') {
                window.showNormal();
            } else {
                const QEvent::Type type = types[names.find(*s)];
                const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
                QMouseEvent event(type, QPointF(20, 10), view->mapToGlobal(QPointF(20, 10)), button,
                                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
                QApplication::sendEvent(view, &event);
            }
        }
        EXPECT_EQ(bool(window.windowState() & Qt::WindowMinimized), minimized) << steps;
        EXPECT_EQ(window.saw, QString::fromLatin1(parentSaw)) << steps;
    }
    RVTitlebarView::setMiniaturizeOnDoubleClickOverride(std::nullopt);
}
