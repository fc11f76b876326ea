// The program driven as a user would: through its widgets, with the dialogs answered by a fake.
#include "app/editorpopover.h"
#include "app/elidedlabel.h"
#include "app/rvappdelegate.h"
#include "app/snippetlistmodel.h"
#include "app/snippettextedit.h"
#include "app/strings.h"
#include "catalogue/linediff.h"
#include "chrome/rvwindow.h"
#include "appfixture.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <utility>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;

namespace {

TEST_F(AppTest, LaunchListsSnippetsSelectsFirstRowAndShowsItInThePopover)
{
    launch();
    ASSERT_FALSE(interaction.exitCode);
    EXPECT_EQ(main().tableView()->model()->rowCount(), 3);
    EXPECT_TRUE(main().window()->isVisible());
    EXPECT_GE(main().window()->frameGeometry().x(), 450);
    EXPECT_EQ(main().window()->titleBarHeight(), 36.0);
    EXPECT_EQ(main().window()->windowTitle(), QStringLiteral("Glimmerpad"));
    EXPECT_EQ(qtTrId("no_such_key"), QStringLiteral("no_such_key"));
    EXPECT_EQ(app->selectedRow(), 0); // first launch: the setting is unset and reads as 0
    EXPECT_TRUE(editor().popover()->isShown());
    EXPECT_EQ(editor().titleLabel()->text(), QStringLiteral("Blank Prefix"));
    EXPECT_EQ(app->onOffSelectedSegment(), 0);
    EXPECT_TRUE(editor().contentsView()->isReadOnly());
    EXPECT_EQ(main().window()->focusWidget(), main().tableView());
    EXPECT_FALSE(QDir(fixture.userFolder()).exists()); // made by the first save, not by reading
}

TEST_F(AppTest, SelectedRowIsRestoredAtTheNextLaunchAndClearingItStoresMinusOne)
{
    launch();
    selectRow(2);
    EXPECT_EQ(settings->value(RVAppDelegate::kUserSelectedRowKey).toInt(), 2);
    app.reset();
    launch();
    EXPECT_EQ(app->selectedRow(), 2);
    EXPECT_EQ(editor().titleLabel()->text(), QStringLiteral("If Statement"));

    main().tableView()->selectionModel()->clearSelection();
    settle();
    EXPECT_EQ(settings->value(RVAppDelegate::kUserSelectedRowKey).toInt(), -1);
    EXPECT_FALSE(editor().popover()->isShown());
}

TEST_F(AppTest, EditTypeEditWritesOneOverrideWithTheText)
{
    launch();
    selectRow(rowOf(QStringLiteral("If Statement")));
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    EXPECT_FALSE(editor().contentsView()->isReadOnly());
    EXPECT_TRUE(editor().editButton()->isChecked());
    typeIntoEditor(QStringLiteral(" // mine"));
    EXPECT_TRUE(app->selectedSnippetIsDirty());
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);

    ASSERT_EQ(userFiles(), QStringList{QStringLiteral("if.codesnippet")});
    EXPECT_TRUE(wroteOverride(QStringLiteral("if"), false, QStringLiteral("if (<#condition#>) {\n} // mine")));
    // Back to viewing, clean, with nothing to undo into the earlier text.
    EXPECT_TRUE(editor().contentsView()->isReadOnly());
    EXPECT_FALSE(editor().editButton()->isChecked());
    EXPECT_FALSE(app->selectedSnippetIsDirty());
    EXPECT_FALSE(editor().contentsView()->document()->isUndoAvailable());
    EXPECT_TRUE(main().tableView()
                    ->model()
                    ->index(app->selectedRow(), 0)
                    .data(SnippetListModel::IsOverriddenRole)
                    .toBool());
}

TEST_F(AppTest, LeavingEditOrPressingDoneWithoutAChangeWritesNothing)
{
    launch();
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    EXPECT_TRUE(userFiles().isEmpty());
    QTest::mouseClick(editor().doneButton(), Qt::LeftButton);
    EXPECT_TRUE(userFiles().isEmpty());
    EXPECT_FALSE(editor().popover()->isShown());
}

TEST_F(AppTest, OnOffControlWritesDisabledOrEnabledOverrideAndDimsTheRow)
{
    launch();
    const int row = rowOf(QStringLiteral("Blank Prefix"));
    selectRow(row);
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    EXPECT_TRUE(wroteOverride(QStringLiteral("blank"), true, QStringLiteral("blank body")));
    const QModelIndex index = main().tableView()->model()->index(row, 0);
    EXPECT_DOUBLE_EQ(index.data(SnippetListModel::OpacityRole).toDouble(), 0.6);
    EXPECT_EQ(app->onOffSelectedSegment(), 1);

    QTest::mouseClick(editor().onOffControl()->button(0), Qt::LeftButton);
    // An empty system shortcut comes back as one blank, so the override does not read as off.
    EXPECT_TRUE(wroteOverride(QStringLiteral("blank"), false, QStringLiteral("blank body")));
    EXPECT_DOUBLE_EQ(index.data(SnippetListModel::OpacityRole).toDouble(), 1.0);
    EXPECT_TRUE(index.data(SnippetListModel::IsOverriddenRole).toBool());
    EXPECT_EQ(userFiles().size(), 1);
}

TEST_F(AppTest, SwitchingWhileEditingSavesTheTextWithTheNewState)
{
    launch();
    selectRow(rowOf(QStringLiteral("If Statement")));
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    typeIntoEditor(QStringLiteral("!"));
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    EXPECT_TRUE(wroteOverride(QStringLiteral("if"), true, QStringLiteral("if (<#condition#>) {\n}!")));
    EXPECT_TRUE(editor().contentsView()->isReadOnly());
}

TEST_F(AppTest, RevertDeletesTheOverrideAndTheRowShowsTheSystemSnippet)
{
    launch();
    const int row = rowOf(QStringLiteral("If Statement"));
    selectRow(row);
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    ASSERT_TRUE(main().actions().revert->isEnabled());
    main().actions().revert->trigger();
    EXPECT_TRUE(userFiles().isEmpty());
    const QModelIndex index = main().tableView()->model()->index(row, 0);
    EXPECT_FALSE(index.data(SnippetListModel::IsOverriddenRole).toBool());
    EXPECT_DOUBLE_EQ(index.data(SnippetListModel::OpacityRole).toDouble(), 1.0);
    EXPECT_EQ(app->onOffSelectedSegment(), 0);
    EXPECT_FALSE(main().actions().revert->isEnabled());
}

TEST_F(AppTest, SearchNarrowsClosesThePopoverAndClearsFindSelectsTheText)
{
    launch();
    ASSERT_TRUE(editor().popover()->isShown());
    QTest::keyClicks(main().searchField(), QStringLiteral("delegue"));
    EXPECT_FALSE(editor().popover()->isShown());
    EXPECT_EQ(main().tableView()->model()->rowCount(), 1);
    EXPECT_EQ(main().tableView()->model()->index(0, 0).data().toString(), QStringLiteral("Délégué"));
    EXPECT_EQ(settings->value(RVAppDelegate::kUserSelectedRowKey).toInt(), 0); // the filter writes nothing

    main().searchField()->clear();
    EXPECT_EQ(main().tableView()->model()->rowCount(), 3);

    main().searchField()->setText(QStringLiteral("if"));
    main().tableView()->setFocus();
    main().actions().find->trigger();
    EXPECT_EQ(main().window()->focusWidget(), main().searchField());
    EXPECT_EQ(main().searchField()->selectedText(), QStringLiteral("if"));
}

TEST_F(AppTest, PopoverClosesWhenItsRowScrollsOutOfView)
{
    fixture.install(manySnippets(40));
    launch();
    main().window()->resize(540, 400);
    settle();
    selectRow(1);
    ASSERT_TRUE(editor().popover()->isShown());
    QScrollBar *bar = main().tableView()->verticalScrollBar();
    const QRect row = app->rectOfRow(1);
    bar->setValue(row.bottom() + 1); // the row's bottom edge exactly at the top: still shown
    EXPECT_TRUE(editor().popover()->isShown());
    bar->setValue(row.bottom() + 2);
    EXPECT_FALSE(editor().popover()->isShown());
}

TEST_F(AppTest, VersionGateRefusesOldXcodeAndTheChooserStandsInForAMissingOne)
{
    fixture.writeInfo(QStringLiteral("4.2"));
    launch();
    EXPECT_EQ(interaction.choosers, 0); // the default location exists
    EXPECT_EQ(interaction.alerts.size(), 1);
    EXPECT_TRUE(interaction.exitCode.has_value());
    EXPECT_FALSE(main().window()->isVisible());

    // Missing: a cancelled chooser ends the program, a chosen Xcode is used.
    QDir(fixture.xcodePath()).removeRecursively();
    Fixture elsewhere;
    elsewhere.install(manySnippets(5));
    for (const std::optional<QString> &answer : {std::optional<QString>(), std::optional(elsewhere.xcodePath())}) {
        interaction = FakeInteraction();
        interaction.chooserAnswer = answer;
        app.reset();
        launch();
        EXPECT_EQ(interaction.choosers, 1);
        EXPECT_EQ(interaction.exitCode.has_value(), !answer);
        EXPECT_EQ(interaction.alerts.size(), answer ? 0 : 1);
    }
    EXPECT_EQ(main().tableView()->model()->rowCount(), 5);
}

TEST_F(AppTest, FailedSaveKeepsTheTypedTextAndTellsTheUser)
{
    launch();
    selectRow(rowOf(QStringLiteral("If Statement")));
    // A folder where the override file would go makes the write fail, even as root.
    QDir().mkpath(fixture.userFolder() + QStringLiteral("/if.codesnippet"));
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    typeIntoEditor(QStringLiteral(" precious"));
    const MessageCapture log;
    QTest::mouseClick(editor().doneButton(), Qt::LeftButton);

    EXPECT_TRUE(editor().popover()->isShown());
    EXPECT_TRUE(editor().contentsView()->toPlainText().endsWith(QStringLiteral(" precious")));
    EXPECT_FALSE(editor().contentsView()->isReadOnly());
    EXPECT_TRUE(app->selectedSnippetIsDirty());
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Could not write User Snippet.")));
    ASSERT_EQ(interaction.sheets.size(), 1);
    EXPECT_FALSE(interaction.sheets.first().section(u'|', 1).isEmpty()); // the reason, from the file system
}

TEST_F(AppTest, KeyboardOpensEditsSavesAndClosesThePopover)
{
    launch();
    QListView *list = main().tableView();
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(editor().popover()->isShown());
    QTest::keyClick(list, Qt::Key_Down);
    settle();
    EXPECT_EQ(app->selectedRow(), 1);
    QTest::keyClick(list, Qt::Key_Escape);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(editor().popover()->isShown());
    EXPECT_EQ(editor().titleLabel()->text(), QStringLiteral("Délégué"));

    // Shortcuts need an active window; offscreen hands activation to whatever was shown last.
    main().window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main().window()));
    QTest::keyClick(list, Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(editor().contentsView()->isReadOnly());
    typeIntoEditor(QStringLiteral("!"));
    QTest::keyClick(editor().contentsView(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(wroteOverride(QStringLiteral("delegate"), false, QStringLiteral("delegate body!")));
    EXPECT_TRUE(editor().contentsView()->isReadOnly());
}

TEST_F(AppTest, ScreenReadersGetNamesForButtonsRowsControlsAndEditor)
{
    launch();
    auto nameOf = [](QObject *object) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
        return iface ? iface->text(QAccessible::Name) : QString();
    };
    EXPECT_EQ(nameOf(main().window()->standardWindowButton(Platform::WindowButton::Close)),
              QStringLiteral("Close"));
    EXPECT_FALSE(nameOf(editor().onOffControl()->button(0)->parentWidget()).isEmpty());
    EXPECT_FALSE(nameOf(editor().contentsView()).isEmpty());

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(main().tableView());
    ASSERT_NE(list, nullptr);
    QAccessibleInterface *row = nullptr;
    for (int i = 0; i < list->childCount() && !row; ++i) {
        if (list->child(i)->text(QAccessible::Name) == QStringLiteral("If Statement"))
            row = list->child(i);
    }
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(QAccessible::Description), QStringLiteral("Runs code when true"));
    selectRow(rowOf(QStringLiteral("If Statement")));
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    EXPECT_EQ(main().tableView()
                  ->model()
                  ->index(app->selectedRow(), 0)
                  .data(Qt::AccessibleDescriptionRole)
                  .toString(),
              QStringLiteral("Runs code when true (changed, shortcut off)"));
}

// A switch without typing writes the body as stored; typed text is saved as typed.
TEST_F(AppTest, TheStoredBodySurvivesOnOffAndTypedTextIsSavedAsTyped)
{
    const QString body = u"a\u00A0b\u2028c\r\nd\re"_qs;
    fixture.install({{QStringLiteral("odd"), QStringLiteral("Odd"), {}, QStringLiteral("od"), body, {}}});
    launch();
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    EXPECT_TRUE(wroteOverride(QStringLiteral("odd"), true, body));
    QTest::mouseClick(editor().onOffControl()->button(0), Qt::LeftButton);
    EXPECT_TRUE(wroteOverride(QStringLiteral("odd"), false, body));

    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    typeIntoEditor(u"\u00A0!"_qs);
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    EXPECT_TRUE(wroteOverride(QStringLiteral("odd"), false, u"a\u00A0b\nc\nd\ne\u00A0!"_qs));

    // An override without a body shows none, and switching it keeps it without one.
    const QString path = fixture.userFolder() + u"/odd.codesnippet"_qs;
    writeFile(path, snippetFile({.identifier = u"odd"_qs, .title = u"Odd"_qs, .completionPrefix = u"od"_qs}));
    app.reset();
    launch();
    EXPECT_EQ(editor().contentsView()->toPlainText(), QString());
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    const SnippetRecord written = userRecord(u"odd.codesnippet"_qs);
    EXPECT_TRUE(SnippetCatalogue::isDisabledOverride(written));
    EXPECT_EQ(plist_dict_get_item(written.dictionary(), SnippetKey::Contents), nullptr);
    EXPECT_EQ(editor().contentsView()->toPlainText(), QString());
}

// A change made on disk after the popover was filled is never overwritten: nothing is written,
// the typed text and the editing stay, and the user may reload what is on disk.
TEST_F(AppTest, AChangeOnDiskIsNeverOverwritten)
{
    launch();
    selectRow(rowOf(QStringLiteral("If Statement")));
    const QString path = fixture.userFolder() + QStringLiteral("/if.codesnippet");
    const QByteArray outside = snippetFile({.identifier = u"if"_qs, .title = u"If Statement"_qs,
                                            .completionPrefix = u"if"_qs, .contents = u"from git"_qs});
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    typeIntoEditor(QStringLiteral(" typed"));
    writeFile(path, outside);
    QTest::mouseClick(editor().doneButton(), Qt::LeftButton);
    EXPECT_EQ(readFile(path), outside);
    EXPECT_EQ(interaction.questions.size(), 1);
    EXPECT_TRUE(editor().popover()->isShown());
    EXPECT_TRUE(editor().contentsView()->toPlainText().endsWith(QStringLiteral(" typed")));
    EXPECT_FALSE(editor().contentsView()->isReadOnly());

    interaction.answerQuestion(false); // keep editing: the next save is refused the same way
    QTest::mouseClick(editor().doneButton(), Qt::LeftButton);
    EXPECT_EQ(readFile(path), outside);
    EXPECT_EQ(interaction.questions.size(), 2);
    interaction.answerQuestion(true); // reload: what is on disk, the typed text given up
    EXPECT_EQ(editor().contentsView()->toPlainText(), QStringLiteral("from git"));
    EXPECT_TRUE(editor().contentsView()->isReadOnly());

    // A switch of the shortcut meets the same rule, and goes back to what is shown.
    writeFile(path, snippetFile({.identifier = u"if"_qs, .completionPrefix = u"if"_qs, .contents = u"again"_qs}));
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    EXPECT_EQ(userRecord(QStringLiteral("if.codesnippet")).contents(), QStringLiteral("again"));
    EXPECT_EQ(app->onOffSelectedSegment(), 0);
    EXPECT_EQ(interaction.questions.size(), 3);
    EXPECT_TRUE(interaction.sheets.isEmpty());
}

// Reverting the snippet being edited asks about its typed text first; saved, it stays on disk and
// in the popover when the trash refuses the revert.
TEST_F(AppTest, AFailedRevertLeavesThePopoverAsItWas)
{
    launch();
    selectRow(rowOf(QStringLiteral("If Statement")));
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    const QString trash = QDir::homePath() + QStringLiteral("/.local/share/Trash");
    QDir(trash).removeRecursively();
    writeFile(trash + QStringLiteral("/info"), "a file where the trash keeps its records");
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    typeIntoEditor(QStringLiteral(" typed"));
    main().actions().revert->trigger(); // the snippet being edited: asked about its text first
    ASSERT_EQ(interaction.choices.size(), 1);
    interaction.answerChoice(2); // Cancel: nothing happens
    EXPECT_EQ(userFiles(), QStringList{QStringLiteral("if.codesnippet")});
    EXPECT_TRUE(editor().isEditing());
    main().actions().revert->trigger();
    interaction.answerChoice(0); // Save, then revert: which the trash refuses
    QDir(trash).removeRecursively();
    EXPECT_EQ(userFiles(), QStringList{QStringLiteral("if.codesnippet")});
    EXPECT_TRUE(wroteOverride(u"if"_qs, true, u"if (<#condition#>) {\n} typed"_qs));
    EXPECT_EQ(interaction.sheets.size(), 1);
    EXPECT_TRUE(editor().contentsView()->toPlainText().endsWith(QStringLiteral(" typed")));
}

TEST_F(AppTest, AnUnusableHomeFolderIsRefusedWithAnAlert)
{
    for (const QString &home : QStringList{QString(), QStringLiteral("relative/home"), fixture.root() + u"/gone"}) {
        SCOPED_TRACE(home.toStdString());
        interaction = FakeInteraction();
        settings = std::make_unique<QSettings>(fixture.root() + QStringLiteral("/settings.ini"), QSettings::IniFormat);
        app = std::make_unique<RVAppDelegate>(interaction, *settings, home);
        app->setXcodeAppPathOverride(fixture.xcodePath());
        app->applicationDidFinishLaunching();
        EXPECT_EQ(interaction.alerts.size(), 1);
        EXPECT_EQ(interaction.exitCode, 1);
        EXPECT_FALSE(main().window()->isVisible());
        EXPECT_FALSE(QFileInfo::exists(fixture.root() + QStringLiteral("/gone")));
        EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + QStringLiteral("/relative")));
    }
}

TEST_F(AppTest, RunningXcodeIsReportedOnceAfterASave)
{
    // A stand-in Xcode: a copy of sleep inside a bundle that says it is Xcode.
    Fixture bundle;
    const QString executable = bundle.root() + QStringLiteral("/Fake.app/Contents/MacOS/Fake");
    writeFile(bundle.root() + QStringLiteral("/Fake.app/Contents/Info.plist"),
              plistDocument("<dict><key>CFBundleIdentifier</key><string>com.apple.dt.Xcode</string></dict>"));
    QDir().mkpath(QFileInfo(executable).absolutePath());
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), executable));
    QFile::setPermissions(executable, QFile::permissions(executable) | QFile::ExeOwner);
    QProcess xcode;
    xcode.start(executable, {QStringLiteral("30")});
    ASSERT_TRUE(xcode.waitForStarted());

    launch();
    app->setXcodeCheckDelay(std::chrono::milliseconds(0)); // the check is deferred all the same
    EXPECT_TRUE(app->xcodeProcessIsRunning());
    // A save that wrote nothing queues no check: its own message is the only one.
    const QString blocked = fixture.userFolder() + QStringLiteral("/blank.codesnippet");
    QDir().mkpath(blocked);
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    settle();
    EXPECT_EQ(interaction.sheets.size(), 1);
    EXPECT_FALSE(app->xcodeAlertShown());
    QDir().rmdir(blocked);
    interaction.sheets.clear();
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    QTest::mouseClick(editor().onOffControl()->button(0), Qt::LeftButton); // a second check queued
    EXPECT_TRUE(interaction.sheets.isEmpty()); // not while the save is still going on
    ASSERT_TRUE(QTest::qWaitFor([this] { return app->xcodeAlertShown(); }));
    settle();
    EXPECT_EQ(interaction.sheets.size(), 1);
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    settle();
    EXPECT_EQ(interaction.sheets.size(), 1);

    xcode.kill();
    xcode.waitForFinished();
}

// The popover takes its size from the snippet it shows, after its texts are laid out: a long
// title is cut with an ellipsis rather than widening it, and it never covers its own row.
TEST_F(AppTest, ThePopoverFitsItsSnippetAndNeverCoversItsRow)
{
    const QString longTitle = QStringLiteral("A title far too long for any popover ").repeated(8);
    fixture.install({{u"a"_qs, u"A short one"_qs, {}, u"a"_qs, u"body"_qs, {}},
                     {u"b"_qs, u"B "_qs + longTitle, {}, QStringLiteral("shortcut").repeated(20), u"body"_qs, {}},
                     {u"c"_qs, u"C short"_qs, {}, u"c"_qs, u"body"_qs, {}}});
    launch();
    QList<int> widths;
    for (const int row : {0, 1, 2, 1, 0}) {
        selectRow(row);
        const QRect popover = editor().popover()->geometry();
        const QRect rowRect(main().tableView()->viewport()->mapToGlobal(
                                main().tableView()->visualRect(main().listModel()->index(row)).topLeft()),
                            main().tableView()->visualRect(main().listModel()->index(row)).size());
        EXPECT_FALSE(popover.intersects(rowRect)) << row;
        widths.append(popover.width());
    }
    EXPECT_EQ(widths, QList<int>(5, widths.first()));
    selectRow(1);
    EXPECT_EQ(editor().titleLabel()->text(), u"B "_qs + longTitle);
    EXPECT_TRUE(editor().titleLabel()->isElided());
    EXPECT_EQ(editor().titleLabel()->toolTip(), u"B "_qs + longTitle);
    EXPECT_TRUE(editor().shortcutLabel()->isElided());
}

// A search keeps the highlighted snippet wherever its row goes, and highlights nothing in its place
// when it hides it; the row's menu acts on its own row, and the keys go on from the row.
TEST_F(AppTest, RevertMenusAndKeysFollowTheHighlightedSnippet)
{
    launch();
    const int delegateRow = rowOf(QStringLiteral("Délégué"));
    selectRow(delegateRow);
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton); // overridden now
    EXPECT_TRUE(main().actions().revert->isEnabled());
    main().searchField()->setText(QStringLiteral("dé")); // one row left: the snippet is on row 0 now
    ASSERT_EQ(app->selectedRow(), 0);
    EXPECT_EQ(main().listModel()->index(0).data().toString(), QStringLiteral("Délégué"));
    EXPECT_TRUE(main().actions().revert->isEnabled());
    main().searchField()->setText(QStringLiteral("i")); // hidden: nothing else is highlighted instead
    EXPECT_TRUE(app->selectedRows().isEmpty());
    EXPECT_FALSE(main().actions().revert->isEnabled());

    // The row menu of an overridden row that is not the highlighted one reverts that row.
    main().searchField()->clear();
    selectRow(0);
    bool offered = false;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        const QList<QAction *> items = menu->actions();
        const auto found = std::find_if(items.cbegin(), items.cend(), [&](const QAction *item) {
            return item->text() == main().actions().revert->text();
        });
        if (found == items.cend()) {
            menu->close();
            return;
        }
        QAction *revert = *found;
        offered = revert->isEnabled();
        revert->trigger();
        menu->close();
    });
    const QRect target = main().tableView()->visualRect(main().listModel()->index(delegateRow));
    Q_EMIT main().tableView()->customContextMenuRequested(target.center());
    EXPECT_TRUE(offered);
    EXPECT_TRUE(userFiles().isEmpty());

    // The keyboard goes on from the highlighted row after the list was filtered.
    main().searchField()->setText(QStringLiteral("e"));
    QTest::keyClick(main().tableView(), Qt::Key_Down);
    settle();
    EXPECT_EQ(app->selectedRow(), 1);
}

// After an Xcode update the user is told once; Needing Attention lists the stale overrides and
// then the orphaned ones, each marked; a rebase without a clash is written at once, and one with a
// clash opens in the editor, where saving makes the override current.
TEST_F(AppTest, StaleOverridesAreToldOnceListedMarkedAndRebased)
{
    launch();
    selectRow(rowOf(QStringLiteral("If Statement")));
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    typeIntoEditor(QStringLiteral(" // mine"));
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    for (const QString &title : {QStringLiteral("Délégué"), QStringLiteral("Blank Prefix")}) {
        selectRow(rowOf(title));
        QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    }
    ASSERT_EQ(userFiles().size(), 3);
    app.reset();

    // The update changes the line the user changed in one and the summary of another, and drops a third.
    fixture.writeLibrary(libraryFile({
        {QStringLiteral("if"), QStringLiteral("If Statement"), QStringLiteral("Runs code when true"),
         QStringLiteral("if"), QStringLiteral("if (<#condition#>) {\n    <#code#>\n}"), {}},
        {QStringLiteral("delegate"), QStringLiteral("Délégué"), QStringLiteral("Crée une vue"),
         QStringLiteral("deleg"), QStringLiteral("delegate body"), {}},
    }));
    launch();
    ASSERT_EQ(interaction.questions.size(), 1);
    interaction.answerQuestion(true); // Show Them
    EXPECT_TRUE(main().actions().needsAttention->isChecked());
    QAbstractItemModel *model = main().tableView()->model();
    QStringList listed;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        const auto attention = index.data(SnippetListModel::AttentionRole).value<SnippetListModel::Attention>();
        listed.append(index.data().toString() + u'=' + QString::number(static_cast<int>(attention)));
        const QString note = qtTrId(attention == SnippetListModel::Attention::Stale ? "row_stale" : "row_orphaned");
        EXPECT_TRUE(index.data(Qt::ToolTipRole).toString().endsWith(note));
        EXPECT_TRUE(index.data(Qt::AccessibleTextRole).toString().endsWith(note));
    }
    const auto entry = [](const char *title, SnippetListModel::Attention attention) -> QString {
        return QString::fromUtf8(title) + u'=' + QString::number(static_cast<int>(attention));
    };
    EXPECT_EQ(listed, (QStringList{entry("Délégué", SnippetListModel::Attention::Stale),
                                   entry("If Statement", SnippetListModel::Attention::Stale),
                                   entry("Blank Prefix", SnippetListModel::Attention::Orphaned)}));

    // The clash: the merged text waits in the editor, nothing written until it is saved.
    selectRow(rowOf(QStringLiteral("If Statement")));
    ASSERT_TRUE(editor().rebaseButton()->isVisible());
    const QByteArray before = readFile(fixture.userFolder() + QStringLiteral("/if.codesnippet"));
    QTest::mouseClick(editor().rebaseButton(), Qt::LeftButton);
    EXPECT_FALSE(editor().contentsView()->isReadOnly());
    EXPECT_TRUE(editor().contentsView()->toPlainText().contains(QStringLiteral("<<<<<<< yours")));
    EXPECT_TRUE(interaction.sheets.last().startsWith(qtTrId("rebase_conflict_title")));
    EXPECT_EQ(readFile(fixture.userFolder() + QStringLiteral("/if.codesnippet")), before);
    const QString finished = QStringLiteral("if (<#condition#>) {\n    <#code#>\n} // mine");
    editor().contentsView()->setPlainText(finished);
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    EXPECT_TRUE(wroteOverride(QStringLiteral("if"), false, finished));
    EXPECT_FALSE(app->catalogue().isStale(app->selectedSnippet()));
    EXPECT_FALSE(editor().rebaseButton()->isVisible());

    // The summary alone changed: written at once, still switched off.
    selectRow(rowOf(QStringLiteral("Délégué")));
    ASSERT_TRUE(main().actions().rebase->isEnabled());
    main().actions().rebase->trigger();
    EXPECT_TRUE(wroteOverride(QStringLiteral("delegate"), true, std::nullopt));
    EXPECT_FALSE(app->catalogue().isStale(app->selectedSnippet()));
    EXPECT_FALSE(main().actions().rebase->isEnabled());

    // The orphan goes, with what it was made from.
    selectRow(rowOf(QStringLiteral("Blank Prefix")));
    EXPECT_FALSE(editor().editButton()->isEnabled()); // nothing in this Xcode to make it on
    main().actions().revert->trigger();
    EXPECT_EQ(userFiles(), (QStringList{QStringLiteral("delegate.codesnippet"), QStringLiteral("if.codesnippet")}));
    EXPECT_FALSE(QFileInfo::exists(fixture.userFolder() + QStringLiteral("/.glimmerpad/blank.codesnippet")));

    // Told once: the next start finds nothing newly stale.
    app.reset();
    launch();
    EXPECT_EQ(interaction.questions.size(), 1);
}

// The window keeps its title clear of the buttons and room for its content; the popover closes
// when resizing hides its row, as scrolling it away does.
TEST_F(AppTest, TheWindowHasAMinimumSizeAndThePopoverFollowsItsRowThroughResizing)
{
    fixture.install(manySnippets(40));
    launch();
    const QSize minimum = main().window()->minimumSize();
    EXPECT_GE(minimum.width(), 320);
    EXPECT_GT(minimum.height(), qRound(main().window()->titleBarHeight()));
    main().window()->resize(20, 20);
    EXPECT_EQ(main().window()->size(), minimum);
    EXPECT_GT(main().window()->contentView()->height(), 0);

    main().window()->resize(540, 700);
    selectRow(6);
    ASSERT_TRUE(editor().popover()->isShown());
    main().window()->resize(540, 300); // row 6 now lies below the list's end
    QCoreApplication::processEvents();
    EXPECT_FALSE(editor().popover()->isShown());
}

// ---- many snippets at once, views, comparison, export and import, live refresh ----

// Of two snippets sharing an identifier, what is written is always the one in hand: the one the
// popover shows, or the highlighted one, whatever else is highlighted or changes on disk.
TEST_F(AppTest, SnippetsSharingAnIdentifierAreWrittenFromTheirOwnRecord)
{
    fixture.install({{u"dup"_qs, u"Dup A"_qs, {}, u"da"_qs, u"body a"_qs, {}},
                     {u"dup"_qs, u"Dup B"_qs, {}, u"db"_qs, u"body b"_qs, {}},
                     {u"if"_qs, u"If Statement"_qs, {}, u"if"_qs, u"if body"_qs, {}}});
    const std::pair<const char *, std::function<void()>> ways[] = {
        {"alone, from the popover", [&] { QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton); }},
        {"with another row highlighted",
         [&] {
             main().tableView()->selectionModel()->select(main().listModel()->index(rowOf(u"If Statement"_qs)),
                                                          QItemSelectionModel::Select);
             main().actions().turnOff->trigger();
             EXPECT_TRUE(wroteOverride(u"if"_qs, true, std::nullopt));
         }},
        {"after another file appeared",
         [&] {
             QSignalSpy refreshed(app.get(), &RVAppDelegate::refreshedFromDisk);
             writeFile(fixture.userFolder() + u"/other.codesnippet"_qs, snippetFile({.identifier = u"x"_qs}));
             ASSERT_TRUE(refreshed.wait());
             ASSERT_EQ(app->selectedRow(), rowOf(u"Dup B"_qs));
             QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
         }},
    };
    for (const auto &[way, write] : ways) {
        SCOPED_TRACE(way);
        QDir(fixture.userFolder()).removeRecursively();
        app.reset();
        launch();
        app->watcher().setDelay(std::chrono::milliseconds(50));
        selectRow(rowOf(u"Dup B"_qs));
        write();
        const SnippetRecord b = app->catalogue().systemCodeSnippets().at(1);
        ASSERT_EQ(b.title(), u"Dup B"_qs);
        EXPECT_TRUE(isExactOverride(fixture.userFolder() + u"/dup.codesnippet"_qs, b, true, std::nullopt));
        EXPECT_TRUE(interaction.sheets.isEmpty()) << interaction.sheets.join(u'\n').toStdString();
    }
}

// Import leaves the highlighted snippet and the popover as they were, and what the popover then
// saves is still its own snippet.
TEST_F(AppTest, ImportKeepsTheHighlightedSnippet)
{
    launch();
    const int row = rowOf(u"If Statement"_qs);
    selectRow(row);
    const QString file = fixture.root() + u"/in/delegate.codesnippet"_qs;
    writeFile(file, snippetFile({.identifier = u"delegate"_qs, .completionPrefix = u""_qs, .contents = u"imported"_qs}));
    interaction.filesAnswer = {file};
    main().actions().importOverrides->trigger();
    EXPECT_TRUE(wroteOverride(u"delegate"_qs, true, u"imported"_qs));
    EXPECT_EQ(app->selectedRow(), row);
    EXPECT_EQ(main().tableView()->currentIndex().row(), row);
    EXPECT_TRUE(main().listModel()->index(rowOf(u"Délégué"_qs)).data(SnippetListModel::IsOverriddenRole).toBool());
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    EXPECT_TRUE(wroteOverride(u"if"_qs, true, std::nullopt));
    EXPECT_EQ(interaction.sheets.size(), 1); // the import's own report
}

// A long batch shows its progress below the list and may be stopped between snippets: what was
// done stays done and is told, the commands wait meanwhile, and the folder is looked at once.
TEST_F(AppTest, ALongBatchShowsProgressAndStopsBetweenSnippets)
{
    fixture.install(manySnippets(120));
    launch();
    app->changes().setProgressDelay(std::chrono::milliseconds(0));
    app->changes().setSliceLength(std::chrono::milliseconds(0)); // one snippet at a time
    main().tableView()->selectAll();
    const quint64 looks = app->catalogue().store().counters().folderLooks;
    main().actions().turnOff->trigger();
    ASSERT_TRUE(app->changes().isRunning());
    EXPECT_TRUE(app->changes().progressView()->isVisible());
    EXPECT_FALSE(main().actions().turnOn->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([this] { return userFiles().size() >= 5; }));
    QTest::mouseClick(app->changes().progressView()->findChild<QPushButton *>(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !app->changes().isRunning(); }));

    const qsizetype done = userFiles().size();
    EXPECT_LT(done, 120);
    EXPECT_EQ(app->catalogue().customSnippetCount(), quint64(done));
    ASSERT_EQ(interaction.sheets.size(), 1);
    EXPECT_TRUE(interaction.sheets.first().contains(u"Stopped after %1 of 120"_qs.arg(done)))
        << interaction.sheets.first().toStdString();
    EXPECT_FALSE(app->changes().progressView()->isVisible());
    EXPECT_TRUE(main().actions().turnOn->isEnabled());
    EXPECT_EQ(app->catalogue().store().counters().folderLooks - looks, 1u);
}

// When Xcode's library changes under the window, the highlight and the popover follow their
// snippet into the new library, and a save writes the new record.
TEST_F(AppTest, ANewLibraryKeepsTheSnippetInHand)
{
    launch();
    app->watcher().setDelay(std::chrono::milliseconds(50));
    selectRow(rowOf(u"If Statement"_qs));
    QSignalSpy refreshed(app.get(), &RVAppDelegate::refreshedFromDisk);
    fixture.install({{u"aaa"_qs, u"Aardvark"_qs, {}, u"aa"_qs, u"new"_qs, {}},
                     {u"if"_qs, u"If Block"_qs, {}, u"if"_qs, u"if (x) {}"_qs, {}},
                     {u"blank"_qs, u"Blank Prefix"_qs, {}, u""_qs, u"blank body"_qs, {}}});
    ASSERT_TRUE(refreshed.wait());
    EXPECT_EQ(main().listModel()->rowCount(), 3);
    EXPECT_EQ(app->selectedRow(), rowOf(u"If Block"_qs));
    EXPECT_EQ(editor().titleLabel()->text(), u"If Block"_qs);
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    EXPECT_TRUE(wroteOverride(u"if"_qs, true, std::nullopt));
    EXPECT_TRUE(interaction.sheets.isEmpty()) << interaction.sheets.join(u'\n').toStdString();
}

// Text typed in the popover and not saved is never dropped unasked: every way of leaving it asks
// once; Cancel leaves everything as it was, Discard gives the text up, Save writes it first.
TEST_F(AppTest, TypedTextIsNeverDroppedUnasked)
{
    struct Way
    {
        const char *what;
        std::function<void()> leave;
        bool closesWindow, movesHighlight;
    };
    const Way ways[] = {
        {"Escape in the list", [&] { QTest::keyClick(main().tableView(), Qt::Key_Escape); }, false, false},
        {"Escape in the popover", [&] { QTest::keyClick(editor().popover(), Qt::Key_Escape); }, false, false},
        {"another row",
         [&] {
             main().tableView()->selectionModel()->setCurrentIndex(main().listModel()->index(rowOf(u"Délégué"_qs)),
                                                                   QItemSelectionModel::ClearAndSelect);
         },
         false, true},
        {"closing the window", [&] { main().window()->close(); }, true, false},
        {"quitting", [&] { main().actions().quit->trigger(); }, true, false},
    };
    enum Answer { Save, Discard, Cancel };
    const QString ifFile = fixture.userFolder() + u"/if.codesnippet"_qs;
    for (const Way &way : ways) {
        for (const Answer answer : {Cancel, Discard, Save}) {
            SCOPED_TRACE(testing::Message() << way.what << ", answer " << answer);
            QFile::remove(ifFile);
            interaction = FakeInteraction();
            app.reset();
            launch();
            const int row = rowOf(u"If Statement"_qs);
            selectRow(row);
            QTest::mouseClick(editor().editButton(), Qt::LeftButton);
            typeIntoEditor(u" typed"_qs);
            way.leave();
            QCoreApplication::processEvents();
            ASSERT_EQ(interaction.choices.size(), 1);
            EXPECT_TRUE(interaction.choices.first().endsWith(u"|Save/Discard/Cancel"_qs));
            interaction.answerChoice(answer);
            QCoreApplication::processEvents(); // the popover of the row moved to opens next
            const bool cancelled = answer == Cancel;
            EXPECT_EQ(editor().isShown() && editor().snippet().title() == u"If Statement"_qs, cancelled);
            EXPECT_EQ(app->selectedRow() == row, cancelled || !way.movesHighlight);
            EXPECT_EQ(main().window()->isVisible(), cancelled || !way.closesWindow);
            if (answer == Save)
                EXPECT_TRUE(wroteOverride(u"if"_qs, false, u"if (<#condition#>) {\n} typed"_qs));
            else
                EXPECT_FALSE(QFileInfo::exists(ifFile));
            if (cancelled) {
                EXPECT_TRUE(editor().contentsView()->toPlainText().endsWith(u" typed"_qs));
                EXPECT_TRUE(editor().isEditing());
                EXPECT_TRUE(editor().editButton()->isChecked());
            }
        }
    }
}

// Searching and scrolling never close a popover holding text not saved, nor does a change from
// outside that takes its snippet out of the list: the text stays, with the notice.
TEST_F(AppTest, TypedTextStaysThroughSearchScrollingAndChangesFromOutside)
{
    fixture.install(manySnippets(40));
    writeFile(fixture.userFolder() + u"/id.01.codesnippet"_qs, snippetFile({.identifier = u"id.01"_qs, .title = u"Mine"_qs}));
    launch();
    app->watcher().setDelay(std::chrono::milliseconds(50));
    main().window()->resize(540, 400);
    selectRow(1);
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    typeIntoEditor(u" typed"_qs);

    main().searchField()->setText(u"zzz"_qs); // nothing listed
    EXPECT_TRUE(editor().isShown());
    main().searchField()->clear();
    main().tableView()->verticalScrollBar()->setValue(main().tableView()->verticalScrollBar()->maximum());
    EXPECT_TRUE(editor().isShown());

    main().actions().showChangedOnly->setChecked(true);
    EXPECT_TRUE(editor().isShown());
    QSignalSpy refreshed(app.get(), &RVAppDelegate::refreshedFromDisk);
    QFile::remove(fixture.userFolder() + u"/id.01.codesnippet"_qs); // reverted from outside: no longer listed
    ASSERT_TRUE(refreshed.wait());
    EXPECT_EQ(main().listModel()->rowCount(), 0);
    EXPECT_TRUE(editor().isShown());
    EXPECT_TRUE(editor().contentsView()->toPlainText().endsWith(u" typed"_qs));
    EXPECT_TRUE(editor().changedOnDiskLabel()->isVisibleTo(editor().popover()));
    EXPECT_TRUE(interaction.choices.isEmpty());
}

// While another program holds the snippet folder's lock, the window waits for it without blocking,
// says whom it waits for, and can stop; once the lock is let go, the change is made.
TEST_F(AppTest, AHeldLockIsWaitedForWithoutBlockingTheWindow)
{
    launch();
    app->changes().setProgressDelay(std::chrono::milliseconds(0));
    selectRow(rowOf(u"If Statement"_qs));
    QProcess holder;
    holder.start(u"sleep"_qs, {u"30"_qs});
    ASSERT_TRUE(holder.waitForStarted());
    ::kill(static_cast<pid_t>(holder.processId()), SIGSTOP);
    writeFile(fixture.userFolder() + u"/.glimmerpad.lock"_qs,
              QByteArray::number(holder.processId()) + "\nsleep\n" + QSysInfo::machineHostName().toUtf8() + '\n');

    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    ASSERT_TRUE(app->changes().isRunning()); // the click came back at once
    EXPECT_TRUE(app->changes().progressView()->isVisible());
    const auto *label = app->changes().progressView()->findChild<QLabel *>();
    EXPECT_TRUE(label->text().contains(u"locked by sleep (process %1)"_qs.arg(holder.processId())))
        << label->text().toStdString();
    main().searchField()->setText(u"delegue"_qs); // the window answers meanwhile
    EXPECT_EQ(main().listModel()->rowCount(), 1);
    main().searchField()->clear();
    QTest::mouseClick(app->changes().progressView()->findChild<QPushButton *>(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !app->changes().isRunning(); }));
    EXPECT_FALSE(QFileInfo::exists(fixture.userFolder() + u"/if.codesnippet"_qs));
    ASSERT_EQ(interaction.sheets.size(), 1);
    EXPECT_TRUE(interaction.sheets.first().contains(u"locked by sleep"_qs)) << interaction.sheets.first().toStdString();
    EXPECT_EQ(app->onOffSelectedSegment(), 0);

    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    ASSERT_TRUE(app->changes().isRunning());
    holder.kill();
    holder.waitForFinished();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !app->changes().isRunning(); }));
    EXPECT_TRUE(wroteOverride(u"if"_qs, true, std::nullopt));
}

// The list follows the folder however it changes: a stream of unrelated writes beside the snippets
// is told at least every second, so a snippet written amid it shows; a folder swapped for another
// is read anew; a folder deleted from outside stays deleted.
TEST_F(AppTest, TheListFollowsTheFolderHoweverItChanges)
{
    QDir().mkpath(fixture.userFolder());
    launch();
    app->watcher().setDelay(std::chrono::milliseconds(300), std::chrono::milliseconds(600));
    QSignalSpy refreshed(app.get(), &RVAppDelegate::refreshedFromDisk);
    const auto overridden = [this](const QString &title) {
        return main().listModel()->index(rowOf(title)).data(SnippetListModel::IsOverriddenRole).toBool();
    };

    QTimer notes;
    int saved = 0;
    QObject::connect(&notes, &QTimer::timeout, [&] { writeFile(fixture.userFolder() + u"/notes.txt"_qs, QByteArray::number(++saved)); });
    notes.start(100);
    writeFile(fixture.userFolder() + u"/if.codesnippet"_qs, snippetFile({.identifier = u"if"_qs, .title = u"If Statement"_qs}));
    ASSERT_TRUE(refreshed.wait(3000));
    EXPECT_TRUE(notes.isActive()); // told while the stream went on
    notes.stop();
    EXPECT_TRUE(overridden(u"If Statement"_qs));

    const QString other = fixture.root() + u"/other"_qs;
    writeFile(other + u"/blank.codesnippet"_qs, snippetFile({.identifier = u"blank"_qs, .title = u"Blank Prefix"_qs}));
    ASSERT_TRUE(QDir().rename(fixture.userFolder(), fixture.root() + u"/moved"_qs));
    ASSERT_TRUE(QFile::link(other, fixture.userFolder())); // a link put in its place
    ASSERT_TRUE(QTest::qWaitFor([&] { return overridden(u"Blank Prefix"_qs) && !overridden(u"If Statement"_qs); }));

    ASSERT_TRUE(QFile::remove(fixture.userFolder()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !overridden(u"Blank Prefix"_qs); }));
    QTest::qWait(700);
    EXPECT_FALSE(QFileInfo::exists(fixture.userFolder()));
}

// Several highlighted rows: the popover closes, the commands act on all of them, reverting many
// is asked once, and a failure names the snippet while the others stay done.
TEST_F(AppTest, CommandsActOnEveryHighlightedRow)
{
    launch();
    QItemSelectionModel *selection = main().tableView()->selectionModel();
    selection->select(QItemSelection(main().listModel()->index(0), main().listModel()->index(2)),
                      QItemSelectionModel::ClearAndSelect);
    QCoreApplication::processEvents();
    EXPECT_FALSE(editor().popover()->isShown());
    EXPECT_EQ(app->selectedRows(), QList<int>({0, 1, 2}));

    QDir().mkpath(fixture.userFolder() + u"/delegate.codesnippet"_qs); // this one cannot be written
    main().actions().turnOff->trigger();
    EXPECT_TRUE(wroteOverride(u"if"_qs, true, std::nullopt));
    EXPECT_TRUE(wroteOverride(u"blank"_qs, true, std::nullopt));
    ASSERT_EQ(interaction.sheets.size(), 1);
    EXPECT_TRUE(interaction.sheets.first().contains(u"delegate: "_qs)) << interaction.sheets.first().toStdString();
    main().actions().turnOn->trigger();
    EXPECT_TRUE(wroteOverride(u"blank"_qs, false, std::nullopt));

    main().actions().revert->trigger();
    ASSERT_EQ(interaction.questions.size(), 1);
    EXPECT_EQ(interaction.questions.first(), qtTrId("batch_revert_count_question", 2)); // how many go
    interaction.answerQuestion(true);
    EXPECT_EQ(userFiles(), QStringList{u"delegate.codesnippet"_qs});
}

// Changed only, a language, and the search text narrow the list together, and the choices come
// back at the next start.
TEST_F(AppTest, ChangedOnlyAndLanguageViewsCombineWithTheSearchAndSurviveRelaunch)
{
    const auto swift = u"<key>IDECodeSnippetLanguage</key><string>Xcode.SourceCodeLanguage.Swift</string>"_qs;
    const auto objc = u"<key>IDECodeSnippetLanguage</key><string>Xcode.SourceCodeLanguage.Objective-C</string>"_qs;
    fixture.install({{u"s1"_qs, u"Swift One"_qs, {}, u"s1"_qs, u"a"_qs, swift},
                     {u"s2"_qs, u"Swift Two"_qs, {}, u"s2"_qs, u"b"_qs, swift},
                     {u"o1"_qs, u"ObjC One"_qs, {}, u"o1"_qs, u"c"_qs, objc}});
    writeFile(fixture.userFolder() + u"/s2.codesnippet"_qs, snippetFile({.identifier = u"s2"_qs, .title = u"Swift Two"_qs}));
    launch();
    QComboBox *languages = main().languageChoice();
    ASSERT_EQ(languages->count(), 3); // All, Objective-C, Swift
    languages->setCurrentIndex(languages->findText(u"Swift"_qs));
    Q_EMIT languages->activated(languages->currentIndex());
    EXPECT_EQ(main().listModel()->rowCount(), 2);
    main().actions().showChangedOnly->setChecked(true);
    EXPECT_EQ(main().listModel()->rowCount(), 1);
    main().searchField()->setText(u"One"_qs);
    EXPECT_EQ(main().listModel()->rowCount(), 0);
    main().searchField()->clear();

    app.reset();
    launch();
    EXPECT_TRUE(main().actions().showChangedOnly->isChecked());
    EXPECT_EQ(main().languageChoice()->currentText(), u"Swift"_qs);
    ASSERT_EQ(main().listModel()->rowCount(), 1);
    EXPECT_EQ(main().listModel()->index(0).data().toString(), u"Swift Two"_qs);
}

TEST_F(AppTest, ExportAndImportGoThroughTheChoosersAndSayWhatTheyDid)
{
    launch();
    selectRow(rowOf(u"If Statement"_qs));
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    const QString out = fixture.root() + u"/exported"_qs;
    interaction.folderAnswer = out;
    main().actions().exportOverrides->trigger();
    EXPECT_EQ(folderEntries(out), QStringList({u".glimmerpad"_qs, u"if.codesnippet"_qs}));
    EXPECT_EQ(readFile(out + u"/if.codesnippet"_qs), readFile(fixture.userFolder() + u"/if.codesnippet"_qs));
    ASSERT_EQ(interaction.sheets.size(), 1);

    main().actions().revert->trigger();
    writeFile(fixture.root() + u"/junk.codesnippet"_qs, "not a snippet");
    interaction.filesAnswer = {out + u"/if.codesnippet"_qs, fixture.root() + u"/junk.codesnippet"_qs};
    main().actions().importOverrides->trigger();
    EXPECT_TRUE(wroteOverride(u"if"_qs, true, std::nullopt));
    ASSERT_EQ(interaction.sheets.size(), 2);
    EXPECT_TRUE(interaction.sheets.last().contains(u"junk.codesnippet"_qs)) << interaction.sheets.last().toStdString();
}

// Files written from outside show up; a burst of them is read once; a popover being edited keeps
// its text and says that the snippet changed on disk.
TEST_F(AppTest, ChangesOnDiskRefreshTheListOnceForABurst)
{
    launch();
    app->watcher().setDelay(std::chrono::milliseconds(200));
    QSignalSpy refreshes(app.get(), &RVAppDelegate::refreshedFromDisk);
    selectRow(rowOf(u"If Statement"_qs));
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);
    typeIntoEditor(u" typed"_qs);

    for (int i = 0; i < 20; ++i)
        writeFile(fixture.userFolder() + u"/burst%1.codesnippet"_qs.arg(i), snippetFile({.identifier = u"x%1"_qs.arg(i)}));
    writeFile(fixture.userFolder() + u"/if.codesnippet"_qs,
              snippetFile({.identifier = u"if"_qs, .title = u"From Elsewhere"_qs, .contents = u"other"_qs}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshes.count() > 0; }));
    EXPECT_EQ(refreshes.count(), 1);
    EXPECT_EQ(main().listModel()->index(rowOf(u"From Elsewhere"_qs)).data(SnippetListModel::IsOverriddenRole), true);
    EXPECT_EQ(app->selectedSnippet().identifier(), u"if"_qs); // still highlighted, wherever its row is now
    EXPECT_TRUE(editor().contentsView()->toPlainText().endsWith(u" typed"_qs));
    EXPECT_TRUE(editor().changedOnDiskLabel()->isVisibleTo(editor().popover()));
}

} // namespace

