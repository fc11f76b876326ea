// How the window looks: colours legible under light and dark palettes and following a change of
// palette, the empty list saying why, the filters on shown above the list, the popover clear of the
// controls above the list, and the window's right edge free to resize by.
#include "app/filterbar.h"
#include "app/snippetitemdelegate.h"
#include "app/snippetlistview.h"
#include "appfixture.h"
#include "chrome/rvcolors.h"
#include "chrome/rvtitlebarview.h"
#include "chrome/rvwindowdressing.h"
#include "chrome/rvwindowframegestures.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>
#include <QWindow>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using RVColors::contrastRatio;

namespace {

QPalette makePalette(QColor window, QColor base, QColor text, QColor highlight)
{
    QPalette palette(QApplication::style()->standardPalette());
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::Button, window);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, base);
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            palette.setColor(group, role, text);
        palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    return palette;
}

QPalette darkPalette()
{
    return makePalette(QColor(0x35, 0x35, 0x35), QColor(0x2d, 0x2d, 0x2d), QColor(0xee, 0xee, 0xec),
                       QColor(0x15, 0x53, 0x9e));
}

// The palettes looked at: the style's own, a desktop's light and dark ones, and a dark one whose
// text is too dim for its base, which the drawing has to make up for.
const std::pair<const char *, QPalette> &palettes(int i)
{
    static const std::pair<const char *, QPalette> all[] = {
        {"style", QApplication::style()->standardPalette()},
        {"light", makePalette(QColor(0xf6, 0xf5, 0xf4), Qt::white, QColor(0x2e, 0x34, 0x36),
                              QColor(0x35, 0x84, 0xe4))},
        {"dark", darkPalette()},
        {"dim dark", makePalette(QColor(0x30, 0x30, 0x30), QColor(0x26, 0x26, 0x26), QColor(0x80, 0x80, 0x80),
                                 QColor(0x35, 0x84, 0xe4))},
    };
    return all[i];
}
constexpr int kPalettes = 4;

// Sets the application's palette for a test, and puts the one before back however the test ends.
struct PaletteScope
{
    explicit PaletteScope(const QPalette &palette) : before(QApplication::palette())
    {
        QApplication::setPalette(palette);
    }
    ~PaletteScope() { QApplication::setPalette(before); }
    QPalette before;
};

TEST(Look, TextReadsOnEveryColourDrawnUnderLightAndDarkPalettes)
{
    for (int i = 0; i < kPalettes; ++i) {
        const auto &[name, palette] = palettes(i);
        const RVTableRowView::Colors row = RVTableRowView::colorsFor(palette);
        const SnippetTextEdit::TokenColors token = SnippetTextEdit::tokenColors(palette);
        const QColor base = palette.color(QPalette::Base);
        const QColor text = palette.color(QPalette::Text);
        const auto mark = [&](SnippetListModel::Attention kind) {
            return SnippetItemDelegate::attentionMarkColors(kind, row);
        };
        const std::tuple<const char *, QColor, QColor> pairs[] = {
            {"row", SnippetItemDelegate::rowTextColor(row, false, 1.0), row.band},
            {"selected row", SnippetItemDelegate::rowTextColor(row, true, 1.0), row.selectionFill},
            {"dimmed row", SnippetItemDelegate::rowTextColor(row, false, 0.6), row.band},
            {"dimmed selected row", SnippetItemDelegate::rowTextColor(row, true, 0.6), row.selectionFill},
            {"stale mark", mark(SnippetListModel::Attention::Stale).glyph,
             mark(SnippetListModel::Attention::Stale).fill},
            {"orphan mark", mark(SnippetListModel::Attention::Orphaned).glyph,
             mark(SnippetListModel::Attention::Orphaned).fill},
            {"token", token.text, token.fill},
            {"empty list hint", SnippetListView::hintColor(palette), base},
        };
        for (const auto &[what, fg, bg] : pairs)
            EXPECT_GE(contrastRatio(fg, bg), RVColors::kTextContrast) << name << ": " << what;
        int kind = 0;
        for (const QColor &code : SnippetTextEdit::syntaxColors(palette)) {
            if (code.isValid()) {
                EXPECT_GE(contrastRatio(code, base), RVColors::kTextContrast) << name << ": code kind " << kind;
            }
            ++kind;
        }
        // Where the palette's own text reads on its base, ours reads on what we draw behind it.
        if (contrastRatio(text, base) >= RVColors::kTextContrast) {
            EXPECT_GE(contrastRatio(text, SnippetTextEdit::markedLineColor(palette)), RVColors::kTextContrast)
                << name;
        }
        // Dark palettes get dark rows, light ones the light grey band.
        EXPECT_EQ(RVColors::isDark(palette), RVColors::relativeLuminance(row.band) < 0.18) << name;
    }
}

// The title bar pairs its own colours: its text reads on it in the active and inactive look,
// whatever the palette.
TEST(Look, TitleTextReadsOnTheTitleBarUnderEveryPalette)
{
    for (int i = 0; i < kPalettes; ++i) {
        const auto &[name, palette] = palettes(i);
        const PaletteScope scope(palette);
        RVWindow window;
        window.resize(600, 400);
        const MainWindowDressing dressing =
            MainWindowDressing::apply(&window, nullptr, QStringLiteral("Title"));
        for (const bool active : {true, false}) {
            RVTitlebarView::setActiveLookOverride(active);
            const QImage bar = window.titleBarView()->grab().toImage();
            const QColor ink = dressing.titleLabel->palette().color(QPalette::WindowText);
            const QRect label = dressing.titleLabel->geometry();
            // Where the text could stand, away from it and from the buttons: the bar behind it.
            for (int y = label.top(); y <= label.bottom(); ++y)
                EXPECT_GE(contrastRatio(ink, bar.pixelColor(bar.width() * 3 / 4, y)), RVColors::kTextContrast)
                    << name << (active ? " active" : " inactive") << " y " << y;
        }
        RVTitlebarView::setActiveLookOverride(std::nullopt);
    }
}

class LookTest : public AppTest
{
protected:
    void TearDown() override { RVWindowFrameGestures::setUseWindowManager(true); }

    SnippetListView *list() const { return main().tableView(); }
};

TEST_F(LookTest, ListAndEditorTakeUpAChangeOfPalette)
{
    launch();
    selectRow(rowOf(QStringLiteral("If Statement")));
    SnippetTextEdit *edit = editor().contentsView();
    edit->setMarkedLines({1});
    const PaletteScope scope(darkPalette());
    QCoreApplication::processEvents();

    const QImage rows = list()->viewport()->grab().toImage();
    const QRect first = list()->visualRect(list()->model()->index(0, 0));
    EXPECT_EQ(rows.pixelColor(first.right() - 2, first.top() + 5).rgb(),
              RVTableRowView::colorsFor(darkPalette()).band.rgb());

    const QList<QTextLayout::FormatRange> formats = edit->document()->firstBlock().layout()->formats();
    ASSERT_EQ(formats.size(), 1);
    EXPECT_EQ(formats.first().format.foreground().color(), SnippetTextEdit::tokenColors(darkPalette()).text);
    ASSERT_EQ(edit->extraSelections().size(), 1);
    EXPECT_EQ(edit->extraSelections().first().format.background().color(),
              SnippetTextEdit::markedLineColor(darkPalette()));
    EXPECT_EQ(edit->markedLines(), QList<int>{1});
    // Colouring the text anew is not an edit.
    EXPECT_FALSE(editor().isDirty());
}

TEST_F(LookTest, TheEmptyListSaysWhyForTheFiltersInForce)
{
    const QString swift =
        QStringLiteral("<key>IDECodeSnippetLanguage</key><string>Xcode.SourceCodeLanguage.Swift</string>");
    const QString objc = QStringLiteral(
        "<key>IDECodeSnippetLanguage</key><string>Xcode.SourceCodeLanguage.Objective-C</string>");
    fixture.install(
        {{u"if"_qs, u"If Statement"_qs, u"Runs code when true"_qs, u"if"_qs, u"if (x) {}"_qs, objc},
         {u"guard"_qs, u"Guard"_qs, u"Leaves early"_qs, u"guard"_qs, u"guard x else {}"_qs, swift}});
    launch();
    const MainWindow::Actions &actions = main().actions();
    QComboBox *languages = main().languageChoice();
    struct Case
    {
        QString search;
        bool changed, attention;
        QString language;
        QString headline, hint;
    };
    const QString filtersHint = qtTrId("empty_filters_hint");
    const Case cases[] = {
        {u"zzz"_qs, false, false, {}, qtTrId("empty_search").arg(u"zzz"), qtTrId("empty_search_hint")},
        {u"zzz"_qs, true, false, {}, qtTrId("empty_search_filtered").arg(u"zzz"), filtersHint},
        {u"Guard"_qs, false, false, u"Objective-C"_qs, qtTrId("empty_search_filtered").arg(u"Guard"),
         filtersHint},
        {{}, true, false, {}, qtTrId("empty_changed"), filtersHint},
        {{}, true, false, u"Swift"_qs, qtTrId("empty_changed_language").arg(u"Swift"), filtersHint},
        {{}, false, true, {}, qtTrId("empty_attention"), filtersHint},
        {{}, true, true, u"Swift"_qs, qtTrId("empty_attention_language").arg(u"Swift"), filtersHint},
    };
    for (const Case &c : cases) {
        actions.showChangedOnly->setChecked(c.changed);
        actions.needsAttention->setChecked(c.attention);
        const int language = c.language.isEmpty() ? 0 : languages->findText(c.language);
        ASSERT_GE(language, 0) << c.language.toStdString();
        languages->setCurrentIndex(language);
        Q_EMIT languages->activated(language);
        main().searchField()->setText(c.search);
        ASSERT_EQ(list()->model()->rowCount(), 0) << c.headline.toStdString();
        EXPECT_EQ(list()->emptyHeadline(), c.headline);
        EXPECT_EQ(list()->emptyHint(), c.hint) << c.headline.toStdString();
        // A screen reader hears it too.
        EXPECT_TRUE(list()->accessibleDescription().startsWith(c.headline))
            << list()->accessibleDescription().toStdString();
    }
    // With rows again the list describes nothing.
    actions.showChangedOnly->setChecked(false);
    actions.needsAttention->setChecked(false);
    languages->setCurrentIndex(0);
    Q_EMIT languages->activated(0);
    main().searchField()->clear();
    EXPECT_EQ(list()->model()->rowCount(), 2);
    EXPECT_TRUE(list()->accessibleDescription().isEmpty());
}

// The tab-focusable widgets after `from` in the focus chain, up to `count` of them.
QList<QWidget *> tabOrderAfter(QWidget *from, int count)
{
    QList<QWidget *> order;
    for (QWidget *w = from->nextInFocusChain(); w != from && order.size() < count;
         w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(from->window()) && w->isEnabled())
            order.append(w);
    }
    return order;
}

TEST_F(LookTest, FiltersRememberedFromTheLastRunShowAsChipsThatTurnThemOff)
{
    {
        QSettings remembered(fixture.root() + QStringLiteral("/settings.ini"), QSettings::IniFormat);
        remembered.setValue(RVAppDelegate::kShowChangedOnlyKey, true);
        remembered.setValue(RVAppDelegate::kNeedsAttentionKey, true);
    }
    launch();
    FilterBar *bar = main().filterBar();
    EXPECT_TRUE(bar->isVisible());
    const QList<QAbstractButton *> chips = bar->visibleChips();
    ASSERT_EQ(chips.size(), 2);
    EXPECT_EQ(list()->model()->rowCount(), 0);
    EXPECT_EQ(list()->emptyHeadline(), qtTrId("empty_attention"));
    // Reached by Tab after the controls above, before the list.
    auto *menuButton = main().window()->findChild<QToolButton *>(QStringLiteral("menuButton"));
    ASSERT_TRUE(menuButton);
    EXPECT_EQ(tabOrderAfter(menuButton, 3), (QList<QWidget *>{chips[0], chips[1], list()}));

    // Return on the first chip turns Show Changed Only off, Space on the other Show Needing Attention.
    QTest::keyClick(chips[0], Qt::Key_Return);
    EXPECT_FALSE(main().actions().showChangedOnly->isChecked());
    EXPECT_FALSE(settings->value(RVAppDelegate::kShowChangedOnlyKey).toBool());
    EXPECT_EQ(bar->visibleChips(), QList<QAbstractButton *>{chips[1]});
    EXPECT_TRUE(bar->isVisible());
    QTest::keyClick(chips[1], Qt::Key_Space);
    EXPECT_FALSE(main().actions().needsAttention->isChecked());
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(list()->model()->rowCount(), 3);

    // Turned on from the menu, the chip comes back.
    main().actions().showChangedOnly->setChecked(true);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->visibleChips(), QList<QAbstractButton *>{chips[0]});
}

TEST_F(LookTest, MaximisedThePopoverKeepsClearOfTheControlsAboveTheList)
{
    launch();
    RVWindow *window = main().window();
    const QRect screen = window->screen()->availableGeometry();
    window->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->geometry() == screen; }));
    QCoreApplication::processEvents();
    selectRow(0);
    ASSERT_TRUE(editor().popover()->isShown());
    const QRect popover = editor().popover()->geometry();
    QWidget *menuButton = window->findChild<QToolButton *>(QStringLiteral("menuButton"));
    for (QWidget *control :
         {static_cast<QWidget *>(main().searchField()), static_cast<QWidget *>(main().languageChoice()),
          menuButton, window->titleBarView()}) {
        const QRect global(control->mapToGlobal(QPoint()), control->size());
        EXPECT_FALSE(popover.intersects(global)) << control->metaObject()->className();
    }
}

TEST_F(LookTest, TheRightEdgeAndCornerBesideTheListsScrollBarResizeTheWindow)
{
    fixture.install(manySnippets(40));
    launch();
    RVWindowFrameGestures::setUseWindowManager(false); // the window follows the pointer itself
    RVWindow *window = main().window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QScrollBar *scroll = list()->verticalScrollBar();
    ASSERT_TRUE(scroll->isVisible());
    const int listMiddle = list()->mapTo(window, list()->rect().center()).y();
    const std::pair<QPoint, QSize> cases[] = {
        {{window->width() - 2, listMiddle}, {30, 0}},            // the right edge, level with the scroll bar
        {{window->width() - 2, window->height() - 2}, {30, 20}}, // the bottom-right corner
    };
    for (const auto &[at, grown] : cases) {
        const QRect before = window->geometry();
        QWindow *native = window->windowHandle();
        const QPoint to = native->mapToGlobal(at + QPoint(30, 20));
        QTest::mousePress(native, Qt::LeftButton, {}, at);
        QTest::mouseMove(native, native->mapFromGlobal(to));
        QTest::mouseRelease(native, Qt::LeftButton, {}, native->mapFromGlobal(to));
        EXPECT_EQ(window->size(), before.size() + grown) << at.x() << "," << at.y();
        EXPECT_EQ(scroll->value(), 0);
        window->setGeometry(before);
    }
}

} // namespace
