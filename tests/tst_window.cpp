// The window chrome: the title-bar window's arithmetic, the main window's dressing, and the
// drawing of list rows and vertically centred labels.
#include "chrome/rvsheet.h"
#include "chrome/rvtablerowview.h"
#include "chrome/rvtitlebarview.h"
#include "chrome/rvverticallyalignedtextfield.h"
#include "chrome/rvwindow.h"
#include "chrome/rvwindowdressing.h"
#include "chrome/rvwindowframegestures.h"
#include "chrome/rvwindowsmenu.h"

#include <QAbstractButton>
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>

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

    const QRectF close = frameOf(WindowButton::Close); // a button 15 high, as another desktop's might be
    window->setFrameOfView(window->standardWindowButton(WindowButton::Close), close.adjusted(0, 0, 0, -1));
    window->_layoutTrafficLightsAndContent();
    EXPECT_EQ(frameOf(WindowButton::Close).y(), 382.0);
    window->setCenterTrafficLightButtons(true);
    EXPECT_EQ(frameOf(WindowButton::Close).y(), 375.0); // 374.5 rounds away from zero, not to even
    EXPECT_EQ(frameOf(WindowButton::Zoom).y(), 375.0);  // all three share the close button's y
}

TEST_F(WindowTest, FullScreenCollapsesTheTitleBarOnlyWhenAsked)
{
    window->setTitleBarHeight(36);
    // Asked to hide or not, entering or leaving: the title bar's height, whether hidden, the content's.
    for (const auto &[hide, entering, height, hidden, content] : {std::tuple{false, true, 36.0, false, 364.0},
                                                                  {true, true, 0.0, true, 400.0},
                                                                  {true, false, 36.0, false, 364.0}}) {
        window->setHideTitleBarInFullScreen(hide);
        entering ? window->windowWillEnterFullScreen() : window->windowWillExitFullScreen();
        EXPECT_EQ(window->titleBarHeight(), height) << hide << entering;
        EXPECT_EQ(window->titleBarView()->isHidden(), hidden) << hide << entering;
        EXPECT_EQ(window->frameOfView(window->contentView()).height(), content) << hide << entering;
    }
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

TEST_F(WindowTest, EdgesResizeOverBackgroundsTheBackgroundMovesAndControlsKeepTheirPresses)
{
    RVWindowFrameGestures::setUseWindowManager(false); // the window follows the pointer itself
    // Pressed at `at` and dragged 30 left and 20 up: the cursor hovering there, how far each edge moves out.
    const std::tuple<QPoint, std::optional<Qt::CursorShape>, QMargins> cases[] = {
        {{597, 397}, Qt::SizeFDiagCursor, {0, 0, -30, -20}}, // over the content view
        {{2, 200}, Qt::SizeHorCursor, {30, 0, 0, 0}},
        {{300, 1}, Qt::SizeVerCursor, {0, 20, 0, 0}}, // over the title bar
        {{597, 3}, Qt::SizeBDiagCursor, {0, 20, -30, 0}},
        {{300, 12}, std::nullopt, {30, 20, -30, -20}},  // the title bar's background
        {{300, 200}, std::nullopt, {30, 20, -30, -20}}, // the content view's background
        {window->standardWindowButton(WindowButton::Zoom)->geometry().center(), std::nullopt, {}},
        {{599, 200}, std::nullopt, {}}}; // a scroll bar along the edge scrolls to its last pixel
    for (const auto &[at, cursor, grown] : cases) {
        SetUp(); // a new window each time: a window manager's late confirmations would undo this case
        auto *bar = new QScrollBar(Qt::Vertical, window->contentView());
        bar->setRange(0, 100);
        bar->setGeometry(600 - 15, 120, 15, 160);
        bar->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QWindow *native = window->windowHandle();
        const QRect expected = window->geometry() + grown;
        QTest::mouseMove(native, at);
        const QCursor *shown = QGuiApplication::overrideCursor();
        EXPECT_EQ(shown ? std::optional(shown->shape()) : std::nullopt, cursor) << at.x() << "," << at.y();
        const QPoint to = native->mapToGlobal(at - QPoint(30, 20)); // released where the pointer is
        QTest::mousePress(native, Qt::LeftButton, {}, at);
        QTest::mouseMove(native, native->mapFromGlobal(to));
        QTest::mouseRelease(native, Qt::LeftButton, {}, native->mapFromGlobal(to));
        EXPECT_EQ(window->geometry(), expected) << at.x() << "," << at.y();
        EXPECT_EQ(bar->value() > 0, at == QPoint(599, 200));
        QTest::mouseMove(native, QPoint(300, 200)); // off the edges, the cursor is the window's again
    }
    RVWindowFrameGestures::setUseWindowManager(true);
}

// A sheet belongs to the window: it hangs from the title bar, keeps the content from clicks and
// commands, leaves the title bar to move the window by, fits the window, and waits its turn.
TEST_F(WindowTest, SheetsHangInsideTheWindowOneAtATime)
{
    struct Delegate final : RVWindowDelegate
    {
        QRectF windowWillPositionSheet(RVWindow *w, QWidget *, const QRectF &proposed) override
        {
            return MainWindowDressing::sheetFrame(w, proposed);
        }
    } delegate;
    MainWindowDressing::apply(window.get(), &delegate, QStringLiteral("Title"));
    auto *content = new QWidget;
    auto *field = new QLineEdit(content);
    window->setContentView(content);
    window->resize(600, 500);
    window->activateWindow(); // shortcuts work only in the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto *command = new QAction(window.get());
    command->setShortcut(Qt::CTRL | Qt::Key_K);
    command->setShortcutContext(Qt::ApplicationShortcut);
    window->addAction(command);
    int commands = 0;
    QObject::connect(command, &QAction::triggered, [&] { ++commands; });

    QList<int> answers;
    const QString longMessage = QStringLiteral("A message long enough to wrap. ").repeated(12);
    RVSheet *first = RVSheet::begin(window.get(), RVSheet::Icon::Information, QStringLiteral("First"), longMessage,
                                    {{QStringLiteral("OK"), true, true}});
    RVSheet *second = RVSheet::begin(window.get(), RVSheet::Icon::Question, QStringLiteral("Second"),
                                     QStringLiteral("Reload?"),
                                     {{QStringLiteral("Reload"), false, false}, {QStringLiteral("Keep"), true, true}});
    QObject::connect(first, &RVSheet::finished, [&](int button) { answers.append(button); });
    QObject::connect(second, &RVSheet::finished, [&](int button) { answers.append(10 + button); });
    ASSERT_EQ(RVSheet::current(window.get()), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(first->window(), window.get());
    const QRect placed(first->mapTo(window.get(), QPoint()), first->size());
    EXPECT_EQ(placed.top(), 36);
    EXPECT_EQ(placed.left(), (600 - placed.width()) / 2);
    EXPECT_TRUE(QRect(0, 36, 600, 464).contains(placed));
    EXPECT_FALSE(window->contentView()->isAncestorOf(window->childAt(5, 490)));   // the content is covered
    EXPECT_TRUE(window->titleBarView() == window->childAt(300, 5) ||              // the title bar is not
                window->titleBarView()->isAncestorOf(window->childAt(300, 5)));
    QTest::keyClick(window.get(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(commands, 0);
    // Content taking the keys meanwhile gives them back, and has them once the sheets are answered.
    field->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), first->buttons().first());

    window->resize(window->minimumSize()); // the smallest window: the sheet shrinks to fit inside it
    const QRect fitted(first->mapTo(window.get(), QPoint()), first->size());
    EXPECT_TRUE(QRect(QPoint(0, 36), window->size() - QSize(0, 36)).contains(fitted))
        << fitted.width() << 'x' << fitted.height();

    QTest::keyClick(first->buttons().first(), Qt::Key_Return);
    EXPECT_EQ(answers, QList<int>{0});
    EXPECT_TRUE(second->isVisible());
    QTest::keyClick(second->buttons().first(), Qt::Key_Escape); // the safe answer, whatever has focus
    EXPECT_EQ(answers, QList<int>({0, 11}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(RVSheet::current(window.get()), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), field);
    QTest::keyClick(window.get(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(commands, 1);
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
    const QRgb grey = qRgb(242, 242, 242), white = qRgb(255, 255, 255); // grey: white 0.949
    const QRgb edge = qRgb(39, 95, 177), fill = qRgb(206, 222, 238);
    // Selected or not, the area redrawn, and pixels: the separator is drawn within that area only.
    const std::tuple<bool, QRectF, std::vector<std::pair<QPoint, QRgb>>> cases[] = {
        {false, {0, 0, 300, 63}, {{{150, 0}, grey}, {{150, 61}, grey}, {{0, 62}, white}}},
        {true, {0, 0, 300, 63}, {{{150, 0}, edge}, {{150, 1}, fill}, {{150, 61}, fill}, {{299, 62}, edge}}},
        {false, {0, 0, 300, 40}, {{{150, 62}, grey}}},
        {false, {100, 0, 50, 63}, {{{120, 62}, white}, {{99, 62}, grey}, {{150, 62}, grey}}}};
    for (const auto &[selected, dirty, pixels] : cases)
        for (const auto &[at, colour] : pixels)
            EXPECT_EQ(paintRow(selected, dirty).pixel(at), colour) << selected << at.x() << "," << at.y();
}

TEST(RowDrawing, VerticalCentringOnlyShrinksTallerBoxes)
{
    const QRectF box(2, 0, 200, 40);
    for (const auto &[content, rect] : {std::pair{16.0, QRectF(2, 12, 200, 16)}, {40.0, box}, {50.0, box}})
        EXPECT_EQ(RVVerticallyAlignedTextField::drawingRectForBounds(box, content), rect) << content;
    // The half is taken in single precision: 0.1 + 0.05f, not 0.1 + 0.05.
    const QRectF odd = RVVerticallyAlignedTextField::drawingRectForBounds(QRectF(0, 0.1, 10, 16.1), 16);
    EXPECT_EQ(odd.y(), 0.1 + static_cast<double>(static_cast<float>(16.1 - 16) * 0.5f));
}

} // namespace
