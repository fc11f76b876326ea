// What the screens show whole: the filter chips in any language and however many are on, the view
// choices of the last run as soon as the window shows, the compare window's chosen view in any
// palette, the help page in the user's language.
#include "app/comparewindow.h"
#include "app/filterbar.h"
#include "app/helpwindow.h"
#include "app/snippetlistmodel.h"
#include "appfixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSet>
#include <QStyle>
#include <QVBoxLayout>

#include <memory>
#include <vector>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;

namespace {

class ScreensTest : public AppTest
{};

} // namespace

TEST(Screens, FilterChipsKeepTheirWholeWordsInANarrowWindow)
{
    // Words as long as German ones, all four filters on.
    const QStringList words{QStringLiteral("Geänderte Snippets"), QStringLiteral("Handlungsbedarf"),
                            QStringLiteral("Kollisionen"), QStringLiteral("Auch Inhalte")};
    struct Case
    {
        const char *name;
        int width;
        bool oneRow;
    };
    const Case cases[] = {
        {"narrower than two chips", 220, false},
        {"the window's width", 540, false},
        {"wide", 1400, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *bar = new FilterBar;
        layout->addWidget(bar);
        layout->addStretch();
        std::vector<std::unique_ptr<QAction>> actions;
        for (const QString &word : words) {
            actions.push_back(std::make_unique<QAction>(word));
            actions.back()->setCheckable(true);
            actions.back()->setChecked(true);
            bar->addFilter(actions.back().get(), word);
        }
        window.resize(c.width, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();

        const QList<QAbstractButton *> chips = bar->visibleChips();
        ASSERT_EQ(chips.size(), words.size());
        QSet<int> rows;
        for (QAbstractButton *chip : chips) {
            SCOPED_TRACE(chip->text().toStdString());
            EXPECT_GE(chip->width(), chip->sizeHint().width());
            EXPECT_TRUE(bar->rect().contains(chip->geometry()))
                << chip->geometry().x() << "," << chip->geometry().y();
            rows.insert(chip->geometry().center().y());
        }
        EXPECT_EQ(rows.size() == 1, c.oneRow);
    }
}

TEST_F(ScreensTest, ViewChoicesOfTheLastRunShowAtLaunch)
{
    struct Case
    {
        QString key;
        QString placeholder;
    };
    const Case cases[] = {
        {RVAppDelegate::kSearchBodiesKey, qtTrId("search_placeholder_bodies")},
        {RVAppDelegate::kShowClashesKey, qtTrId("search_placeholder_plain")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        {
            QSettings remembered(fixture.root() + QStringLiteral("/settings.ini"), QSettings::IniFormat);
            remembered.clear();
            remembered.setValue(c.key, true);
        }
        launch();
        EXPECT_TRUE(main().filterBar()->isVisible());
        EXPECT_EQ(main().filterBar()->visibleChips().size(), 1);
        EXPECT_EQ(main().searchField()->placeholderText(), c.placeholder);
        app.reset();
    }
}

TEST(Screens, TheChosenCompareViewStandsOutUnderLightAndDarkPalettes)
{
    const QPalette light = QApplication::style()->standardPalette();
    QPalette dark = light;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Window, QColor(0x35, 0x35, 0x35));
        dark.setColor(group, QPalette::Button, QColor(0x35, 0x35, 0x35));
        dark.setColor(group, QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
        dark.setColor(group, QPalette::ButtonText, QColor(0xee, 0xee, 0xec));
        dark.setColor(group, QPalette::Highlight, QColor(0x15, 0x53, 0x9e));
    }
    for (const auto &[name, palette] : {std::pair{"light", light}, std::pair{"dark", dark}}) {
        SCOPED_TRACE(name);
        // The desktop's palette, as the window finds it when it opens.
        const QPalette before = QApplication::palette();
        QApplication::setPalette(palette);
        const auto restore = qScopeGuard([&before] { QApplication::setPalette(before); });
        CompareWindow window(nullptr);
        window.setComparisons(
            QStringLiteral("T"),
            {{QStringLiteral("Changes"), QStringLiteral("Before"), QStringLiteral("After"), {}}});
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        for (const CompareWindow::View view :
             {CompareWindow::View::SideBySide, CompareWindow::View::Unified}) {
            window.setView(view);
            const QList<QAbstractButton *> buttons = window.findChildren<QAbstractButton *>();
            int checked = 0;
            for (QAbstractButton *button : buttons) {
                if (!button->isCheckable())
                    continue;
                // Inside the frame, left of the words.
                const QColor fill =
                    button->grab().toImage().pixelColor(QPoint(3, 3) * button->devicePixelRatio());
                if (button->isChecked()) {
                    ++checked;
                    EXPECT_EQ(fill.rgb(), palette.color(QPalette::Highlight).rgb())
                        << button->text().toStdString();
                } else {
                    EXPECT_NE(fill.rgb(), palette.color(QPalette::Highlight).rgb())
                        << button->text().toStdString();
                }
            }
            EXPECT_EQ(checked, 1);
        }
    }
}

TEST(Screens, HelpShowsInTheFirstOfTheUsersLanguagesItIsWrittenIn)
{
    const QUrl page(QStringLiteral("qrc:/help/index.html"));
    const QUrl german(QStringLiteral("qrc:/help/index.de.html"));
    struct Case
    {
        QStringList languages;
        QUrl expected;
    };
    const Case cases[] = {
        {{QStringLiteral("de-DE"), QStringLiteral("de")}, german},
        {{QStringLiteral("de-AT")}, german},
        {{QStringLiteral("fr-FR"), QStringLiteral("fr"), QStringLiteral("de")}, german},
        {{QStringLiteral("fr-FR"), QStringLiteral("fr")}, page},
        {{QStringLiteral("en-GB"), QStringLiteral("de")}, page},
        {{}, page},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.languages.join(u' ').toStdString());
        EXPECT_EQ(HelpWindow::pageInLanguage(page, c.languages), c.expected);
    }
    // A page on the web is taken as it is.
    const QUrl web(QStringLiteral("http://glimmerpad.org/glimmerpad/help/"));
    EXPECT_EQ(HelpWindow::pageInLanguage(web, {QStringLiteral("de")}), web);
}
