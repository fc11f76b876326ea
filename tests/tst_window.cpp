// The window chrome: the title-bar window's arithmetic, the main window's dressing, and the
// drawing of list rows and vertically centred labels.
#include "chrome/rvtablerowview.h"
#include "chrome/rvtitlebarview.h"
#include "chrome/rvverticallyalignedtextfield.h"
#include "chrome/rvwindow.h"
#include "chrome/rvwindowdressing.h"
#include "chrome/rvwindowsmenu.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QPainter>

#include <gtest/gtest.h>

#include <tuple>

using namespace Glimmerpad;
using Platform::WindowButton;

namespace {

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RVWindow::resetClassMeasurementsForTesting();
        window = std::make_unique<RVWindow>();
        window->resize(600, 400);
        window->show(); // a hidden window gets its resize events only when shown
    }

    QRectF frameOf(WindowButton button) const
    {
        return window->frameOfView(window->standardWindowButton(button));
    }

    // Gives a button another height, as another platform's buttons might have, and lays out again.
    void setButtonHeight(WindowButton button, qreal height)
    {
        const QRectF f = frameOf(button);
        window->setFrameOfView(window->standardWindowButton(button), QRectF(f.x(), f.y(), f.width(), height));
        window->_layoutTrafficLightsAndContent();
    }

    std::unique_ptr<RVWindow> window;
};

TEST_F(WindowTest, NewWindowStartsFromThePlatformStandard)
{
    EXPECT_EQ(window->titleBarHeight(), 22.0);
    EXPECT_EQ(window->trafficLightButtonsLeftMargin(), 8.0);
    EXPECT_TRUE(window->showsBaselineSeparator());
    EXPECT_TRUE(window->centerTrafficLightButtons());
    EXPECT_FALSE(window->centerFullScreenButton());
    EXPECT_FALSE(window->hideTitleBarInFullScreen());
    EXPECT_TRUE(window->windowMenuTitle().isEmpty());
    ASSERT_NE(qobject_cast<RVTitlebarView *>(window->titleBarView()), nullptr);
    EXPECT_EQ(window->children().indexOf(window->titleBarView()), 0); // behind every other subview
    EXPECT_EQ(window->frameOfView(window->contentView()).height(), 378.0);
}

TEST_F(WindowTest, TitleBarStripAndCentredOrTopAlignedButtons)
{
    window->setTitleBarHeight(36);
    EXPECT_EQ(window->frameOfView(window->titleBarView()), QRectF(0, 364, 600, 36));
    EXPECT_EQ(frameOf(WindowButton::Close).y(), 374.0); // 16 high, centred
    window->setCenterTrafficLightButtons(false);
    EXPECT_EQ(frameOf(WindowButton::Close).y(), 381.0); // top edge 3 below the title bar's top

    setButtonHeight(WindowButton::Close, 15);
    EXPECT_EQ(frameOf(WindowButton::Close).y(), 382.0);
    window->setCenterTrafficLightButtons(true);
    EXPECT_EQ(frameOf(WindowButton::Close).y(), 375.0); // 374.5 rounds away from zero, not to even
    EXPECT_EQ(frameOf(WindowButton::Zoom).y(), 375.0);  // all three share the close button's y
}

TEST_F(WindowTest, LightsAreSpacedByTheMeasuredSeparation)
{
    window->setTrafficLightButtonsLeftMargin(10);
    EXPECT_EQ(frameOf(WindowButton::Close).x(), 10.0);
    EXPECT_EQ(frameOf(WindowButton::Miniaturize).x(), 30.0);
    EXPECT_EQ(frameOf(WindowButton::Zoom).x(), 50.0);
    EXPECT_EQ(frameOf(WindowButton::Zoom).width(), 14.0); // sizes are kept
}

TEST_F(WindowTest, ContentEndsWhereTheTitleBarBegins)
{
    window->setTitleBarHeight(36);
    EXPECT_EQ(window->frameOfView(window->contentView()), QRectF(0, 0, 600, 364));
    window->setTitleBarHeight(0);
    EXPECT_EQ(window->frameOfView(window->contentView()).height(), 400.0);
    window->setTitleBarHeight(36);
    window->resize(700, 500); // the content follows the window, and stays below the title bar
    EXPECT_EQ(window->frameOfView(window->contentView()), QRectF(0, 0, 700, 464));
    EXPECT_EQ(window->frameOfView(window->titleBarView()), QRectF(0, 464, 700, 36));
}

TEST_F(WindowTest, FullScreenButtonMarginIsMeasuredOnceThenKept)
{
    EXPECT_EQ(window->fullScreenButtonRightMargin(), 4.0);
    EXPECT_EQ(frameOf(WindowButton::FullScreen).x(), 580.0);
    window->resize(800, 400);
    EXPECT_EQ(frameOf(WindowButton::FullScreen).x(), 780.0);
    window->setFullScreenButtonRightMargin(10);
    EXPECT_EQ(frameOf(WindowButton::FullScreen).x(), 774.0);
}

TEST_F(WindowTest, SettersOnAnEqualValueDoNothing)
{
    const int setups = window->trackingAreaSetups();
    window->setCenterTrafficLightButtons(true);
    window->setTrafficLightButtonsLeftMargin(window->trafficLightButtonsLeftMargin());
    EXPECT_EQ(window->trackingAreaSetups(), setups);

    // An equal height is not remembered for the way back from full screen; the window then
    // restores the height in force when it went full screen.
    window->setHideTitleBarInFullScreen(true);
    window->setTitleBarHeight(22);
    window->windowWillEnterFullScreen();
    EXPECT_EQ(window->titleBarHeight(), 0.0);
    window->windowWillExitFullScreen();
    EXPECT_EQ(window->titleBarHeight(), 22.0);
}

TEST_F(WindowTest, FullScreenCollapsesTheTitleBarOnlyWhenAsked)
{
    window->setTitleBarHeight(36);
    window->windowWillEnterFullScreen();
    EXPECT_EQ(window->titleBarHeight(), 36.0);
    EXPECT_FALSE(window->titleBarView()->isHidden());

    window->setHideTitleBarInFullScreen(true);
    window->windowWillEnterFullScreen();
    EXPECT_EQ(window->titleBarHeight(), 0.0);
    EXPECT_TRUE(window->titleBarView()->isHidden());
    EXPECT_EQ(window->frameOfView(window->contentView()).height(), 400.0);
    window->windowWillExitFullScreen();
    EXPECT_EQ(window->titleBarHeight(), 36.0);
    EXPECT_FALSE(window->titleBarView()->isHidden());
    EXPECT_EQ(window->frameOfView(window->contentView()).height(), 364.0);
}

TEST_F(WindowTest, ATitleBarViewIsReplacedOnlyByAnotherPresentView)
{
    QWidget *first = window->titleBarView();
    window->setTitleBarView(nullptr);
    window->setTitleBarView(first);
    EXPECT_EQ(window->titleBarView(), first);

    auto *second = new QWidget;
    window->setTitleBarView(second);
    EXPECT_EQ(window->titleBarView(), second);
    EXPECT_EQ(window->children().indexOf(second), 0);
    EXPECT_TRUE(first->isHidden());
    EXPECT_EQ(window->frameOfView(second), QRectF(0, 378, 600, 22));
}

TEST_F(WindowTest, WindowMenuListsOrderedInWindowsUnlessExcluded)
{
    auto listed = [this] {
        for (const RVWindowsMenu::Item &item : RVWindowsMenu::instance().items()) {
            if (item.window == window.get())
                return true;
        }
        return false;
    };
    window->setExcludedFromWindowsMenu(true);
    window->orderFront();
    EXPECT_FALSE(listed());
    window->setExcludedFromWindowsMenu(false);
    window->setWindowMenuTitle(QStringLiteral("Snippets"));
    window->makeKeyAndOrderFront();
    EXPECT_TRUE(listed());
    window->orderOut();
    EXPECT_FALSE(listed());
}

TEST_F(WindowTest, DressingGivesTheTallTitleBarAndTwoStackedLabels)
{
    const MainWindowDressing dressing =
        MainWindowDressing::apply(window.get(), nullptr, QStringLiteral("Title"));
    EXPECT_EQ(window->titleBarHeight(), 36.0);
    EXPECT_EQ(window->trafficLightButtonsLeftMargin(), 10.0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Title"));
    const QObjectList labels = window->titleBarView()->children();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(labels[0], dressing.highlightLabel); // the light copy first, the dark text over it
    EXPECT_EQ(labels[1], dressing.titleLabel);
    EXPECT_EQ(dressing.titleLabel->geometry(), QRect(0, 8, 600, 17));     // y 11..28 from the bottom
    EXPECT_EQ(dressing.highlightLabel->geometry(), QRect(0, 9, 600, 17)); // y 10..27
    EXPECT_EQ(dressing.titleLabel->text(), QStringLiteral("Title"));
    window->resize(800, 400);
    EXPECT_EQ(dressing.titleLabel->width(), 800);
    EXPECT_EQ(dressing.highlightLabel->width(), 800);

    // Sheets keep the proposed x and size and hang from the bottom of the title bar in force.
    for (const auto &[height, titleBar, top] : {std::tuple{500, 36.0, 464.0}, {300, 50.0, 250.0}}) {
        window->resize(600, height);
        window->setTitleBarHeight(titleBar);
        EXPECT_EQ(MainWindowDressing::sheetFrame(window.get(), {10, 300, 400, 120}),
                  QRectF(10, top, 400, 120));
    }
}

// ---- rows and labels ----------------------------------------------------------------------

QImage paintRow(bool selected, const QRectF &dirty)
{
    QImage image(300, 63, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    RVTableRowView(QRectF(0, 0, 300, 63), selected, Qt::white).draw(&painter, dirty);
    return image;
}

TEST(RowDrawing, BandsAndSeparators)
{
    const QRgb grey = qRgb(242, 242, 242); // white 0.949
    const QRgb white = qRgb(255, 255, 255);
    const QRgb edge = qRgb(39, 95, 177);
    const QRgb fill = qRgb(206, 222, 238);
    const QImage plain = paintRow(false, QRectF(0, 0, 300, 63));
    EXPECT_EQ(plain.pixel(150, 0), grey);
    EXPECT_EQ(plain.pixel(150, 61), grey);
    EXPECT_EQ(plain.pixel(0, 62), white);

    const QImage selected = paintRow(true, QRectF(0, 0, 300, 63));
    EXPECT_EQ(selected.pixel(150, 0), edge);
    EXPECT_EQ(selected.pixel(150, 1), fill);
    EXPECT_EQ(selected.pixel(150, 61), fill);
    EXPECT_EQ(selected.pixel(299, 62), edge);

    // The separator is drawn within the area being redrawn only.
    EXPECT_EQ(paintRow(false, QRectF(0, 0, 300, 40)).pixel(150, 62), grey);
    const QImage part = paintRow(false, QRectF(100, 0, 50, 63));
    EXPECT_EQ(part.pixel(120, 62), white);
    EXPECT_EQ(part.pixel(99, 62), grey);
    EXPECT_EQ(part.pixel(150, 62), grey);
}

TEST(RowDrawing, VerticalCentringOnlyShrinksTallerBoxes)
{
    EXPECT_EQ(RVVerticallyAlignedTextField::drawingRectForBounds(QRectF(2, 0, 200, 40), 16),
              QRectF(2, 12, 200, 16));
    EXPECT_EQ(RVVerticallyAlignedTextField::drawingRectForBounds(QRectF(2, 0, 200, 40), 40),
              QRectF(2, 0, 200, 40));
    EXPECT_EQ(RVVerticallyAlignedTextField::drawingRectForBounds(QRectF(2, 0, 200, 40), 50),
              QRectF(2, 0, 200, 40));
    // The half is taken in single precision: 0.1 + 0.05f, not 0.1 + 0.05.
    const QRectF odd = RVVerticallyAlignedTextField::drawingRectForBounds(QRectF(0, 0.1, 10, 16.1), 16);
    EXPECT_EQ(odd.y(), 0.1 + static_cast<double>(static_cast<float>(16.1 - 16) * 0.5f));
}

} // namespace
