// What the screens show whole: the filter chips in any language and however many are on, the view
// choices of the last run as soon as the window shows.
#include "app/filterbar.h"
#include "app/snippetlistmodel.h"
#include "appfixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QSet>
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
