// The compare window: each change marked by a sign and its words, a missing final line feed said,
// equal texts said, the panes in step, the view remembered, a window of the application's own
// beside what it compares, and colours that stay readable on a light and a dark palette.
#include "app/comparewindow.h"
#include "chrome/rvcolors.h"
#include "app/snippetlistmodel.h"
#include "appfixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QStyleFactory>

#include <string_view>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;

namespace {

// A pane's rows as "<sign><number> <text>", changed words in brackets: "+2 go([now]);". The
// signs: ' ' same, '-' removed, '+' added, '~' a filler, '\' a note.
QStringList rendered(const DiffPane *pane)
{
    QStringList out;
    for (const DiffPane::Row &row : pane->rows()) {
        static const QString signs = u" -+~\\"_s;
        QString text = row.text;
        for (auto span = row.changedWords.crbegin(); span != row.changedWords.crend(); ++span)
            text.insert(span->start + span->length, u']').insert(span->start, u'[');
        out.append(signs[static_cast<int>(row.kind)] + (row.number > 0 ? QString::number(row.number) : QString()) +
                   u' ' + text);
    }
    return out;
}

std::unique_ptr<CompareWindow> comparing(const QString &before, const QString &after)
{
    auto window = std::make_unique<CompareWindow>(nullptr);
    window->setComparisons(u"T"_s, {{u"Changes"_s, u"Before"_s, u"After"_s, lineDiff(before, after).value()}});
    return window;
}

QAbstractButton *viewButton(const CompareWindow *window, const char *id)
{
    const QList<QAbstractButton *> buttons = window->findChildren<QAbstractButton *>();
    const auto found = std::find_if(buttons.cbegin(), buttons.cend(),
                                    [id](const QAbstractButton *b) { return b->text() == qtTrId(id); });
    return found == buttons.cend() ? nullptr : *found;
}

} // namespace

TEST(CompareWindow, SaysWhatDiffersLineByLineWithNotesAndWords)
{
    const QString note = qtTrId("compare_no_final_newline");
    struct Case
    {
        const char *what;
        QString before, after;
        QStringList left, right;
        bool same;
    };
    const Case cases[] = {
        {"a line and its words", u"if (a) {\n}\n"_s, u"if (a && b) {\n    go();\n}\n"_s,
         {u"-1 if (a) {"_s, u"~ "_s, u" 2 }"_s}, {u"+1 if (a[ && b]) {"_s, u"+2     go();"_s, u" 3 }"_s}, false},
        {"line feed added", u"a\nb"_s, u"a\nb\n"_s, {u" 1 a"_s, u"-2 b"_s, u"\\ "_s + note},
         {u" 1 a"_s, u"+2 b"_s, u"~ "_s}, false},
        {"line feed taken away", u"a\n"_s, u"a"_s, {u"-1 a"_s, u"~ "_s}, {u"+1 a"_s, u"\\ "_s + note}, false},
        {"neither has one: no difference in that", u"x"_s, u"y"_s, {u"-1 [x]"_s}, {u"+1 [y]"_s}, false},
        {"equal", u"a\n"_s, u"a\n"_s, {u" 1 a"_s}, {u" 1 a"_s}, true},
    };
    for (const Case &c : cases) {
        const auto window = comparing(c.before, c.after);
        EXPECT_EQ(rendered(window->beforePane()), c.left) << c.what;
        EXPECT_EQ(rendered(window->afterPane()), c.right) << c.what;
        EXPECT_EQ(window->summaryLabel()->isVisibleTo(window.get()), c.same) << c.what;
        EXPECT_EQ(window->beforePane()->blockCount(), window->afterPane()->blockCount()) << c.what; // in step
    }

    // The unified view: the signs in the text, the same notes and words.
    const auto window = comparing(u"a\nx"_s, u"a\ny\n"_s);
    EXPECT_EQ(window->unifiedPane()->toPlainText(), u"  a\n- x\n\\ "_s + note + u"\n+ y"_s);
    EXPECT_EQ(rendered(window->unifiedPane()).at(1), u"-2 - [x]"_s);
    // The words are tinted and underlined over their line's tint.
    const CompareColours colours = compareColours(window->afterPane()->palette());
    const QList<QTextEdit::ExtraSelection> marks = window->afterPane()->extraSelections();
    ASSERT_EQ(marks.size(), 3); // the line, the filler beside the note, the word
    EXPECT_EQ(marks.first().format.background().color(), colours.addedLine);
    EXPECT_EQ(marks.last().cursor.selectedText(), u"y"_s);
    EXPECT_EQ(marks.last().format.background().color(), colours.addedWord);
    EXPECT_TRUE(marks.last().format.fontUnderline());
}

// A screen reader meets each pane named by its heading, the standard's first.
TEST(CompareWindow, PanesAreNamedByTheirHeadingsInReadingOrder)
{
    const auto window = comparing(u"a\n"_s, u"b\n"_s);
    QAccessibleInterface *before = QAccessible::queryAccessibleInterface(window->beforePane());
    QAccessibleInterface *after = QAccessible::queryAccessibleInterface(window->afterPane());
    for (const auto &[pane, heading] : {std::pair{before, u"Before"_s}, std::pair{after, u"After"_s}}) {
        EXPECT_EQ(pane->text(QAccessible::Name), heading);
        const auto labels = pane->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1);
        EXPECT_EQ(labels.first().first->text(QAccessible::Name), heading);
    }
    QAccessibleInterface *columns = before->parent()->parent();
    EXPECT_EQ(after->parent()->parent(), columns);
    EXPECT_LT(columns->indexOfChild(before->parent()), columns->indexOfChild(after->parent()));
}

TEST(CompareWindow, PanesScrollTogetherBothWays)
{
    QString shortLines, longLines;
    for (int i = 0; i < 200; ++i) {
        shortLines += u"line %1\n"_s.arg(i);
        longLines += u"line %1 %2\n"_s.arg(i).arg(QString(300, u'x'));
    }
    const auto window = comparing(shortLines, longLines);
    window->resize(600, 400);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QScrollBar *leftDown = window->beforePane()->verticalScrollBar(), *rightDown = window->afterPane()->verticalScrollBar();
    QScrollBar *leftAcross = window->beforePane()->horizontalScrollBar(),
               *rightAcross = window->afterPane()->horizontalScrollBar();
    ASSERT_GT(rightAcross->maximum(), leftAcross->maximum() + 100);

    rightDown->setValue(50);
    EXPECT_EQ(leftDown->value(), 50);
    leftDown->setValue(20);
    EXPECT_EQ(rightDown->value(), 20);
    leftAcross->setValue(leftAcross->maximum() / 2);
    EXPECT_EQ(rightAcross->value(), leftAcross->maximum() / 2);
    // The wider side goes on where the narrower one stops, and is not pulled back by it.
    rightAcross->setValue(rightAcross->maximum());
    EXPECT_EQ(leftAcross->value(), leftAcross->maximum());
    EXPECT_EQ(rightAcross->value(), rightAcross->maximum());
}

TEST(CompareWindow, GoesBesideWhatItComparesAndShrinksOnlyWhenItMust)
{
    const QSize size(800, 500), minimum(400, 250);
    const QRect screen(0, 0, 1920, 1080), window(500, 100, 540, 680), popover(50, 200, 440, 340), row(500, 320, 540, 60);
    const QRect clear = popover | row;
    struct Case
    {
        const char *what;
        QRect available, window, keepClear, expected;
    };
    const Case cases[] = {
        {"beside the main window, level with it", screen, window, clear, QRect(QPoint(1040, 100), size)},
        {"to the left of the popover when the main window is at the right edge", screen,
         window.translated(880, 0), clear.translated(880, 0), QRect(QPoint(130, 100), size)},
        {"over the rest of the main window, below the row and popover", QRect(0, 0, 1280, 1200), window, clear,
         QRect(QPoint(480, 540), size)},
        {"shrunk into the roomiest place", QRect(0, 0, 1280, 800), window, clear, QRect(480, 540, 800, 260)},
        {"no room even for the minimum: on the screen", QRect(0, 0, 600, 400), QRect(0, 0, 600, 400),
         QRect(0, 0, 600, 400), QRect(QPoint(0, 0), QSize(600, 400))},
    };
    for (const Case &c : cases) {
        const QRect placed = CompareWindow::placement(c.available, size, minimum, c.window, c.keepClear);
        EXPECT_EQ(placed, c.expected) << c.what;
        EXPECT_TRUE(c.available.contains(placed)) << c.what;
    }
}

TEST(CompareWindow, ColoursKeepTextReadableOnLightAndDarkPalettes)
{
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(u"Fusion"_s));
    QPalette light = fusion->standardPalette();
    QPalette dark = light;
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
    QPalette grey = light; // text and base already near the limit: the tints give way
    grey.setColor(QPalette::Base, QColor(0xa0, 0xa0, 0xa0));
    grey.setColor(QPalette::Text, Qt::black);
    for (const auto &[name, palette] : {std::pair{"light", light}, std::pair{"dark", dark}, std::pair{"grey", grey}}) {
        const CompareColours c = compareColours(palette);
        const QColor base = palette.color(QPalette::Base), text = palette.color(QPalette::Text);
        for (const QColor &background : {c.removedLine, c.removedWord, c.addedLine, c.addedWord})
            EXPECT_GE(RVColors::contrastRatio(text, background), 4.5) << name << ' ' << background.name().toStdString();
        if (std::string_view(name) == "grey")
            continue;
        // Each mark stands apart from the page and from the other marks.
        const QList<QColor> all{base, c.removedLine, c.removedWord, c.addedLine, c.addedWord};
        EXPECT_EQ(QSet<QRgb>({all[0].rgb(), all[1].rgb(), all[2].rgb(), all[3].rgb(), all[4].rgb()}).size(), 5) << name;
    }
}

// Through the program: the override against the standard and, for a stale override, the standard
// then against now; the chosen view kept across starts; Escape closes; Tab reaches every control.
TEST_F(AppTest, CompareWindowOffersBothComparisonsRemembersItsViewAndTakesTheKeyboard)
{
    launch();
    selectRow(rowOf(u"If Statement"_qs));
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    typeIntoEditor(u" // mine"_qs);
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    app.reset();
    fixture.writeLibrary(libraryFile({{u"if"_qs, u"If Statement"_qs, u"Runs code when true"_qs, u"if"_qs,
                                       u"if (<#cond#>) {\n}"_qs, {}}}));
    launch();
    interaction.answerQuestion(false);
    selectRow(rowOf(u"If Statement"_qs));
    main().actions().compare->trigger();
    CompareWindow *window = app->compareWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint)); // the application's own dressing
    EXPECT_EQ(window->parentWidget(), main().window());
    EXPECT_FALSE(window->frameGeometry().intersects(editor().popover()->frameGeometry()));
    ASSERT_EQ(window->comparisonCount(), 2);
    // Neither text ends in a line feed: nothing to say about it.
    EXPECT_EQ(rendered(window->beforePane()), (QStringList{u"-1 if ([<#cond#>]) {"_s, u"-2 }"_s}));
    EXPECT_EQ(rendered(window->afterPane()), (QStringList{u"+1 if ([<#condition#>]) {"_s, u"+2 }[ // mine]"_s}));
    window->setCurrentComparison(1);
    EXPECT_EQ(rendered(window->beforePane()), (QStringList{u"-1 if ([<#condition#>]) {"_s, u" 2 }"_s}));
    EXPECT_EQ(rendered(window->afterPane()), (QStringList{u"+1 if ([<#cond#>]) {"_s, u" 2 }"_s}));

    viewButton(window, "compare_unified")->click();
    EXPECT_EQ(window->view(), CompareWindow::View::Unified);
    EXPECT_TRUE(window->unifiedPane()->isVisibleTo(window));

    // Tab goes round every control; Escape closes and gives the keys back to the main window.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }));
    QSet<QWidget *> reached;
    for (int i = 0; i < 12; ++i) {
        reached.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (const char *id : {"compare_side_by_side", "compare_unified"})
        EXPECT_TRUE(reached.contains(viewButton(window, id))) << id;
    EXPECT_TRUE(reached.contains(window->unifiedPane()));
    EXPECT_TRUE(reached.contains(static_cast<QWidget *>(window->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Close))));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([this] { return app->compareWindow() == nullptr; }));
    EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == main().window(); }));

    app.reset();
    launch();
    selectRow(rowOf(u"If Statement"_qs));
    main().actions().compare->trigger();
    ASSERT_NE(app->compareWindow(), nullptr);
    EXPECT_EQ(app->compareWindow()->view(), CompareWindow::View::Unified);

    // When the differences cannot be worked out, a sheet says why and no window opens.
    app->compareWindow()->close();
    ASSERT_TRUE(QTest::qWaitFor([this] { return app->compareWindow() == nullptr; }));
    const MessageCapture log;
    setLineDiffLibrary(u"libgit2-missing.so.0"_qs);
    main().actions().compare->trigger();
    setLineDiffLibrary({});
    EXPECT_EQ(app->compareWindow(), nullptr);
    ASSERT_EQ(interaction.sheets.size(), 1);
    EXPECT_TRUE(interaction.sheets.first().startsWith(u"Cannot Compare|"_qs)) << interaction.sheets.first().toStdString();
}
