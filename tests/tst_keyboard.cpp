// The keyboard alone, and a screen reader's view through QAccessible: every control reachable,
// every element read as what it is, under its own words.
#include "app/elidedlabel.h"
#include "app/snippetlistmodel.h"
#include "appfixture.h"
#include "chrome/rvsheet.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;

namespace {

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// Whether the keys reach widget, in whatever window the desktop activates (a step of its own).
::testing::AssertionResult keysAt(QWidget *widget)
{
    if (QTest::qWaitFor([widget] { return QApplication::focusWidget() == widget; }))
        return ::testing::AssertionSuccess();
    const QWidget *at = QApplication::focusWidget();
    return ::testing::AssertionFailure() << "the keys are at " << (at ? qPrintable(at->objectName()) : "nothing");
}

void activate(QWidget *window)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

// Return presses the button with the keys, the safe one having them first; answered, a sheet hands
// the keys straight on (a screen reader reads out every widget they pass), and it reads as an alert.
TEST(SheetKeys, ReturnPressesTheFocusedButtonAndTheKeysGoStraightOn)
{
    QList<int> answers;
    QList<QWidget *> trail; // where the keys went
    RVWindow window;
    auto *content = new QWidget;
    auto *field = new QLineEdit(content);
    (new QVBoxLayout(content))->addWidget(field);
    content->layout()->addWidget(new QPushButton(QStringLiteral("Next in the tab order"), content));
    window.setContentView(content);
    window.show();
    activate(&window);
    field->setFocus();
    QObject::connect(qApp, &QApplication::focusChanged, &window, [&](QWidget *, QWidget *now) { trail.append(now); });
    const auto begin = [&](int safe) {
        const QList<RVSheet::Button> buttons{{QStringLiteral("A"), safe == 0, safe == 0}, {QStringLiteral("B")},
                                             {QStringLiteral("C"), safe == 2, safe == 2}};
        RVSheet *sheet = RVSheet::begin(&window, RVSheet::Icon::Question, QStringLiteral("Title"), QStringLiteral("Text"), buttons);
        QObject::connect(sheet, &RVSheet::finished, [&](int button) { answers.append(button); });
        return sheet;
    };

    for (const auto &[tabs, pressed] : {std::pair{0, 2}, {1, 0}, {2, 1}}) {
        begin(2);
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(answers.takeLast(), pressed) << tabs;
    }
    RVSheet *first = begin(2);
    RVSheet *second = begin(0);
    EXPECT_EQ(accessible(first)->role(), QAccessible::AlertMessage);
    EXPECT_EQ(accessible(first)->text(QAccessible::Description), QStringLiteral("Text"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    trail.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // the safe answer, wherever the keys are
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(answers, QList<int>({2, 0}));
    EXPECT_EQ(trail, QList<QWidget *>({second->buttons().at(0), field}));
}

class KeyboardTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        launch();
        activate(main().window());
        main().tableView()->setFocus();
    }
    // Runs inspect on the next menu to pop up, then closes it.
    static void onNextMenu(std::function<void(QMenu *)> inspect)
    {
        QTimer::singleShot(0, [inspect] {
            ASSERT_TRUE(QTest::qWaitFor([] { return qobject_cast<QMenu *>(QApplication::activePopupWidget()); }));
            inspect(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
            QApplication::activePopupWidget()->close();
        });
    }
};

TEST_F(KeyboardTest, TheListTheSearchFieldAndTheMenusTakeTheirKeys)
{
    QListView *list = main().tableView();
    list->selectionModel()->clearSelection(); // the focus ring stays on the first row
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(app->selectedRow(), 0);

    QLineEdit *search = main().searchField();
    QTest::keyClicks(search, QStringLiteral("e"));
    list->selectionModel()->clearSelection();
    QTest::keyClick(search, Qt::Key_Down);
    EXPECT_EQ(main().window()->focusWidget(), list);
    EXPECT_EQ(app->selectedRow(), 0);
    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_TRUE(search->text().isEmpty());

    QMenu *opened = nullptr;
    onNextMenu([&](QMenu *menu) { opened = menu; });
    QTest::keyClick(main().window()->findChild<QToolButton *>(QStringLiteral("menuButton")), Qt::Key_Return);
    EXPECT_EQ(opened, main().menu());
    // The row's own menu, beside the row with the ring.
    list->selectionModel()->setCurrentIndex(list->model()->index(1, 0), QItemSelectionModel::NoUpdate);
    const QRect row = list->visualRect(list->model()->index(1, 0)).translated(list->viewport()->mapToGlobal(QPoint()));
    QString command;
    onNextMenu([&](QMenu *menu) {
        command = menu->actions().first()->text();
        EXPECT_TRUE(menu->pos().y() >= row.top() && menu->pos().y() <= row.bottom()) << menu->pos().y();
    });
    QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(command, main().actions().turnOff->text());
}

// Only viewing, the popover's controls come after the list; Edit Snippet opens a closed one.
TEST_F(KeyboardTest, TabGoesThroughThePopoverAndEditSnippetOpensIt)
{
    const QList<QWidget *> stops = editor().popover()->tabStops();
    ASSERT_TRUE(editor().contentsView()->isReadOnly());
    ASSERT_TRUE(stops.size() >= 3 && stops.contains(editor().contentsView()));
    ASSERT_TRUE(keysAt(main().tableView()));
    for (QWidget *stop : stops) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(keysAt(stop));
    }
    EXPECT_EQ(stops.last(), editor().doneButton());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(keysAt(main().searchField()));
    QTest::keyClick(main().searchField(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(keysAt(editor().doneButton()));
    QTest::keyClick(editor().doneButton(), Qt::Key_Escape); // the keys go back where they came from
    EXPECT_FALSE(editor().popover()->isShown());
    ASSERT_TRUE(keysAt(main().searchField()));

    main().tableView()->setFocus();
    QTest::keyClick(main().tableView(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(editor().popover()->isShown() && editor().isEditing());
    EXPECT_TRUE(keysAt(editor().contentsView()));
}

TEST_F(KeyboardTest, ScreenReadersHearWhatEachThingIsAndItsWords)
{
    selectRow(rowOf(QStringLiteral("If Statement")));
    editor().titleLabel()->resize(30, editor().titleLabel()->height()); // cut short on screen, whole aloud
    QTest::keyClicks(main().searchField(), QStringLiteral("If")); // shows the clear button
    QToolButton *clearButton = nullptr; // beside the Search Bodies Too button
    for (QToolButton *button : main().searchField()->findChildren<QToolButton *>()) {
        if (button->defaultAction() != main().actions().searchBodies)
            clearButton = button;
    }
    const std::tuple<QObject *, QAccessible::Role, QString> cases[] = {
        {main().window(), QAccessible::Window, main().window()->windowTitle()}, // AT-SPI frame, not filler
        {main().window()->titleBarView(), QAccessible::StaticText, main().window()->windowTitle()},
        {editor().popover(), QAccessible::Dialog, qtTrId("popover_accessible_name")},
        {editor().titleLabel(), QAccessible::StaticText, QStringLiteral("If Statement")},
        {editor().shortcutLabel(), QAccessible::StaticText, QStringLiteral("if")},
        {editor().imageLabel(), QAccessible::Graphic, qtTrId("popover_icon_standard")},
        {clearButton, QAccessible::Button, qtTrId("search_clear")},
    };
    for (const auto &[object, role, name] : cases) {
        ASSERT_NE(accessible(object), nullptr) << name.toStdString();
        EXPECT_EQ(accessible(object)->role(), role) << name.toStdString();
        EXPECT_EQ(accessible(object)->text(QAccessible::Name), name);
    }
    // The title is read once below the window's own name: the title bar draws it twice.
    EXPECT_EQ(accessible(main().window()->titleBarView())->childCount(), 0);
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    EXPECT_EQ(accessible(editor().imageLabel())->text(QAccessible::Name), qtTrId("popover_icon_changed"));
}

} // namespace
