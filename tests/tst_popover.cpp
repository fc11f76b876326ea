// The editor popover's placement, window behaviour and drawing, and the snippet body editor.
#include "app/editorpopover.h"
#include "app/snippettextedit.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Glimmerpad;
using namespace Qt::StringLiterals;

namespace {

// The bounds of the token fill pixels in rows [top, top + height) of `image`.
QRect tokenFill(const QImage &image, int top, int height)
{
    QRect found;
    for (int y = std::max(top, 0); y < std::min(top + height, image.height()); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == SnippetTextEdit::tokenColors(QApplication::palette()).fill.rgb())
                found |= QRect(x, y, 1, 1);
    return found;
}

// The caret at `position` in the editor's own coordinates.
QRect caretAt(const SnippetTextEdit &edit, int position)
{
    QTextCursor cursor(edit.document());
    cursor.setPosition(position);
    return edit.cursorRect(cursor).translated(edit.viewport()->pos());
}

} // namespace

TEST(PopoverPlacement, PrefersTheGivenSideFlipsNarrowsAndStaysOnScreenAndOffTheTitleBar)
{
    const QRect screen(0, 30, 1000, 770); // a panel along the top
    const QSize size(300, 200);
    struct Case
    {
        QRect anchor;
        Qt::Edge preferred, edge;
        QRect placed;
        int minimumWidth = 300;
        QRect keepClear = {};
    };
    const Case cases[] = {
        {{400, 300, 200, 20}, Qt::LeftEdge, Qt::LeftEdge, {100, 210, 300, 200}},
        {{400, 300, 200, 20}, Qt::RightEdge, Qt::RightEdge, {600, 210, 300, 200}},
        {{300, 300, 200, 20}, Qt::LeftEdge, Qt::LeftEdge, {0, 210, 300, 200}},    // exactly enough room
        {{299, 300, 200, 20}, Qt::LeftEdge, Qt::RightEdge, {499, 210, 300, 200}}, // one pixel short
        {{600, 300, 200, 20}, Qt::RightEdge, Qt::LeftEdge, {300, 210, 300, 200}},
        // No room anywhere: the roomier side, narrowed to it as far as the content allows...
        {{50, 300, 800, 20}, Qt::LeftEdge, Qt::RightEdge, {850, 210, 150, 200}, 120},
        // ...and over the row only when the content cannot be that narrow.
        {{50, 300, 800, 20}, Qt::LeftEdge, Qt::RightEdge, {800, 210, 200, 200}, 200},
        {{400, 40, 200, 20}, Qt::LeftEdge, Qt::LeftEdge, {100, 30, 300, 200}},
        {{400, 780, 200, 20}, Qt::LeftEdge, Qt::LeftEdge, {100, 600, 300, 200}},
        // Off a title bar it would cover (a maximised window's buttons), also where that means off centre.
        {{10, 60, 900, 20}, Qt::LeftEdge, Qt::RightEdge, {910, 67, 90, 200}, 90, {0, 30, 1000, 37}},
    };
    for (const Case &c : cases) {
        Qt::Edge edge = Qt::TopEdge;
        const QRect placed =
            EditorPopover::placement(c.anchor, size, c.minimumWidth, screen, c.keepClear, c.preferred, &edge);
        EXPECT_EQ(edge, c.edge) << c.anchor.x() << "," << c.anchor.y();
        EXPECT_EQ(placed, c.placed) << c.anchor.x() << "," << c.anchor.y();
    }
}

TEST(PopoverWindow, ShowsBesideTheAnchorWithoutTakingFocusAndReportsClosing)
{
    QWidget window;
    auto *edit = new QLineEdit(&window);
    // Room for the popover on either side of the edit; near the top, so it is pushed down off centre.
    edit->setGeometry(0, 10, 200, 20);
    window.setGeometry(300, 0, 300, 300);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), edit);

    EditorPopover popover(&window);
    popover.setAnimates(false);
    auto *content = new QWidget;
    content->setFixedSize(200, 120);
    popover.setContentWidget(content);
    int closedCount = 0;
    QObject::connect(&popover, &EditorPopover::closed, [&] { ++closedCount; });

    popover.showRelativeToRect(edit->rect(), edit);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&popover));
    EXPECT_EQ(popover.shownEdge(), Qt::LeftEdge);
    EXPECT_EQ(popover.geometry().right() + 1, edit->mapToGlobal(QPoint()).x());
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a popup grabs the keyboard and mouse";
    // The offscreen platform activates every window it shows; elsewhere the edit keeps the focus.
    if (QGuiApplication::platformName() != u"offscreen") {
        EXPECT_EQ(QApplication::focusWidget(), edit);
    }
    EXPECT_EQ(content->x(), EditorPopover::kPadding);

    // Whether the panel covers `p`: by alpha where the window is translucent, else by its shape mask.
    const auto covers = [&](int x, int y) {
        return popover.mask().isEmpty() ? qAlpha(popover.grab().toImage().pixel(x, y)) > 0
                                        : popover.mask().contains(QPoint(x, y));
    };
    // The arrow is on the right, at the anchor's centre rather than its own; the corners are left out.
    const int tipY = edit->mapToGlobal(QPoint(0, 10)).y() - popover.y();
    const int right = popover.width() - 3;
    ASSERT_LT(tipY, popover.height() / 2 - EditorPopover::kArrowWidth);
    EXPECT_TRUE(covers(right, tipY));
    EXPECT_FALSE(covers(right, popover.height() / 2));
    EXPECT_FALSE(covers(0, 0));

    // Moving while shown is not closing.
    popover.showRelativeToRect(edit->rect(), edit, Qt::RightEdge);
    EXPECT_EQ(popover.shownEdge(), Qt::RightEdge);
    EXPECT_EQ(content->x(), EditorPopover::kPadding + EditorPopover::kArrowDepth);
    EXPECT_TRUE(covers(2, tipY));
    EXPECT_FALSE(covers(2, popover.height() / 2));
    EXPECT_EQ(closedCount, 0);

    popover.close();
    EXPECT_FALSE(popover.isShown());
    EXPECT_EQ(closedCount, 1);

    // Escape is its owner's to answer: the popover may hold text not yet saved.
    int escapes = 0;
    QObject::connect(&popover, &EditorPopover::escapePressed, [&escapes] { ++escapes; });
    popover.showRelativeToRect(edit->rect(), edit);
    QTest::keyClick(&popover, Qt::Key_Escape);
    EXPECT_TRUE(popover.isShown());
    EXPECT_EQ(escapes, 1);
    EXPECT_EQ(closedCount, 1);
}

TEST(PopoverSnippetEdit, PlaceholderRangesAreTheShortestTokensInALine)
{
    const std::pair<QString, QList<std::pair<int, int>>> cases[] = {
        {u"<#a#>"_s, {{0, 5}}},
        {u"if (<#cond#>) { <#body#> }"_s, {{4, 8}, {16, 8}}},
        {u"<# unclosed"_s, {}},
        {u"<##>"_s, {{0, 4}}},
        {u"<#>"_s, {}},            // the two marks cannot share the '#'
        {u"<#a<#b#>"_s, {{0, 8}}}, // from the first opening mark, not the innermost
    };
    for (const auto &[line, ranges] : cases)
        EXPECT_EQ(SnippetTextEdit::placeholderRanges(line), ranges) << line.toStdString();
}

TEST(PopoverSnippetEdit, PaintsABoxBehindEachTokenOnlyWhereverItIsScrolledTo)
{
    SnippetTextEdit edit;
    edit.setFrameShape(QFrame::NoFrame);
    edit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit.setPlainText(u"x <#name#> y\nplain line\n<#first second#>"_s);
    // Room for "<#first " and the default 4 px margins only: the last token runs past the edge.
    edit.resize(edit.fontMetrics().horizontalAdvance(u"<#first s"_s) + 2 * 4, 150);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    const QImage image = edit.grab().toImage().convertToFormat(QImage::Format_RGB32);

    const QRect name = caretAt(edit, 2).united(caretAt(edit, 10));
    const QRect box = tokenFill(image, 0, name.bottom() + 1);
    EXPECT_FALSE(box.isEmpty());
    EXPECT_TRUE(name.adjusted(-2, -1, 2, 1).contains(box)) << "box off the token";
    EXPECT_TRUE(tokenFill(image, caretAt(edit, 13).top(), caretAt(edit, 13).height()).isEmpty());

    // Code is not wrapped: the token stays on its line, and scrolled to its end, the box is there.
    ASSERT_EQ(caretAt(edit, 24 + 16).top(), caretAt(edit, 24).top()) << "the line wrapped";
    QScrollBar *bar = edit.horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    const QImage scrolled = edit.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect end = caretAt(edit, 24 + 16);
    const QRect endBox = tokenFill(scrolled, end.top(), end.height());
    ASSERT_FALSE(endBox.isEmpty());
    EXPECT_NEAR(endBox.right(), end.left(), 3);
}

// Aligned code keeps its columns: no line of a snippet is broken, inside a word or a run of spaces.
TEST(PopoverSnippetEdit, KeepsEachLineOfAlignedCodeWhole)
{
    SnippetTextEdit edit;
    edit.setPlainText(u"id observer = [[NSNotificationCenter defaultCenter] addObserverForName:<#name#>\n"
                      u"                                                            usingBlock:^(NSNotification *note) {\n"
                      u"    <#statements#>\n}];"_s);
    edit.resize(300, 200);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    for (QTextBlock block = edit.document()->firstBlock(); block.isValid(); block = block.next())
        EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
    EXPECT_GT(edit.horizontalScrollBar()->maximum(), 0);
}
