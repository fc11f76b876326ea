// Shortcuts in the window: typed in the popover, clashes said before Xcode meets them, and the
// views that find them.
#include "app/elidedlabel.h"
#include "app/snippetlistmodel.h"
#include "appfixture.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace Glimmerpad::Test {
namespace {

class ShortcutTest : public AppTest
{
protected:
    void edit(const QString &title)
    {
        selectRow(rowOf(title));
        QTest::mouseClick(editor().editButton(), Qt::LeftButton);
        ASSERT_TRUE(editor().isEditing());
    }
    void typeShortcut(const QString &shortcut)
    {
        editor().shortcutField()->selectAll();
        QTest::keyClick(editor().shortcutField(), Qt::Key_Delete);
        QTest::keyClicks(editor().shortcutField(), shortcut);
    }
    QString note() const
    {
        return editor().shortcutNote()->isVisibleTo(editor().popover()) ? editor().shortcutNote()->text()
                                                                        : QString();
    }
    QString storedShortcut(const QString &id) const
    {
        return userRecord(id + u".codesnippet"_s).completionPrefix().value_or(u"(none)"_s);
    }
};

TEST_F(ShortcutTest, ATypedShortcutIsSavedWithTheBodyOrRefusedWithTheTextKept)
{
    launch();
    edit(u"If Statement"_s);
    EXPECT_TRUE(editor().shortcutField()->isVisible());
    EXPECT_FALSE(editor().shortcutLabel()->isVisible());

    // Refused before anything is written: the note says why, the save says so, the text stays.
    const std::pair<QString, QString> refused[] = {
        {QString(), qtTrId("popover_shortcut_empty")},
        {u"i f"_s, qtTrId("popover_shortcut_invalid")},
        {u"if\u00a0x"_s, qtTrId("popover_shortcut_invalid")}, // a no-break space
    };
    for (const auto &[typed, why] : refused) {
        SCOPED_TRACE(typed.toStdString());
        typeShortcut(typed);
        EXPECT_EQ(note(), why);
        interaction.sheets.clear();
        QTest::mouseClick(editor().doneButton(), Qt::LeftButton);
        EXPECT_EQ(interaction.sheets.size(), 1);
        EXPECT_TRUE(userFiles().isEmpty());
        EXPECT_TRUE(editor().popover()->isShown() && editor().isEditing());
        EXPECT_EQ(editor().shortcutField()->text(), typed);
    }

    typeShortcut(u"iff"_s);
    typeIntoEditor(u" // checked"_s);
    QTest::keyClick(editor().shortcutField(), Qt::Key_Return); // as Done
    EXPECT_FALSE(editor().popover()->isShown());
    EXPECT_EQ(storedShortcut(u"if"_s), u"iff"_s);
    EXPECT_EQ(userRecord(u"if.codesnippet"_s).contents(), u"if (<#condition#>) {\n} // checked"_s);

    // A body saved later keeps the shortcut of the user's own.
    selectRow(rowOf(u"Blank Prefix"_s));
    edit(u"If Statement"_s);
    EXPECT_EQ(editor().shortcutField()->text(), u"iff"_s);
    typeIntoEditor(u"!"_s);
    QTest::mouseClick(editor().doneButton(), Qt::LeftButton);
    EXPECT_EQ(storedShortcut(u"if"_s), u"iff"_s);
}

// The " " of an enabled snippet that has no shortcut of its own is no typed shortcut: kept, unchecked.
TEST_F(ShortcutTest, AnUnchangedShortcutIsWrittenAsItIsAndOffMakesTheFieldReadOnly)
{
    launch();
    selectRow(rowOf(u"Blank Prefix"_s));
    QTest::mouseClick(editor().onOffControl()->button(0), Qt::LeftButton);
    ASSERT_EQ(storedShortcut(u"blank"_s), u" "_s);
    edit(u"Blank Prefix"_s);
    typeIntoEditor(u" more"_s);
    QTest::mouseClick(editor().doneButton(), Qt::LeftButton);
    EXPECT_TRUE(interaction.sheets.isEmpty()) << interaction.sheets.join(u'\n').toStdString();
    EXPECT_EQ(storedShortcut(u"blank"_s), u" "_s);
    EXPECT_EQ(userRecord(u"blank.codesnippet"_s).contents(), u"blank body more"_s);

    selectRow(rowOf(u"Délégué"_s));
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    edit(u"Délégué"_s);
    EXPECT_TRUE(editor().shortcutField()->isReadOnly());
}

TEST_F(ShortcutTest, ClashesShowOnTheRowInThePopoverAndInTheirOwnView)
{
    // A snippet of the user's own answering the same shortcut in the same place.
    fixture.writeUserFile(u"mine.codesnippet"_s, snippetFile({.identifier = u"mine"_s,
                                                              .title = u"My If"_s,
                                                              .completionPrefix = u"if"_s,
                                                              .contents = u"mine"_s}));
    launch();
    const QModelIndex ifRow = main().listModel()->index(rowOf(u"If Statement"_s), 0);
    EXPECT_TRUE(ifRow.data(SnippetListModel::ClashRole).toBool());
    for (const int role : {int(Qt::ToolTipRole), int(Qt::AccessibleTextRole)})
        EXPECT_TRUE(ifRow.data(role).toString().contains(u"“My If”"_s)) << role;
    EXPECT_FALSE(
        main().listModel()->index(rowOf(u"Délégué"_s), 0).data(SnippetListModel::ClashRole).toBool());

    selectRow(rowOf(u"Délégué"_s));
    EXPECT_EQ(note(), QString());
    selectRow(rowOf(u"If Statement"_s));
    EXPECT_TRUE(note().contains(u"“My If”"_s));

    // Live while typing, before anything is saved.
    edit(u"Délégué"_s);
    const std::pair<QString, QString> typed[] = {
        {u"if"_s, u"“If Statement”, “My If”"_s},
        {u"if2"_s, QString()},
        {u"deleg"_s, QString()}, // its own shortcut clashes with nothing
    };
    for (const auto &[shortcut, named] : typed) {
        typeShortcut(shortcut);
        EXPECT_EQ(note().contains(named) && note().isEmpty() == named.isEmpty(), true)
            << shortcut.toStdString();
    }
    EXPECT_TRUE(userFiles() == QStringList{u"mine.codesnippet"_s});
    QTest::mouseClick(editor().editButton(), Qt::LeftButton);

    main().actions().showClashes->trigger();
    EXPECT_EQ(main().listModel()->rowCount(), 1);
    EXPECT_EQ(main().listModel()->index(0, 0).data().toString(), u"If Statement"_s);
    EXPECT_EQ(settings->value(RVAppDelegate::kShowClashesKey).toBool(), true);
}

TEST_F(ShortcutTest, TurningOffAShortcutOfTheUsersOwnAsksFirst)
{
    launch();
    edit(u"If Statement"_s);
    typeShortcut(u"iff"_s);
    QTest::mouseClick(editor().doneButton(), Qt::LeftButton);
    ASSERT_EQ(storedShortcut(u"if"_s), u"iff"_s);

    selectRow(rowOf(u"Blank Prefix"_s));
    selectRow(rowOf(u"If Statement"_s));
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    ASSERT_EQ(interaction.questions.size(), 1);
    interaction.answerQuestion(false);
    EXPECT_EQ(editor().onOffSegment(), 0);
    EXPECT_EQ(storedShortcut(u"if"_s), u"iff"_s);

    // Several at once: asked once, for all.
    main().tableView()->selectAll();
    main().actions().turnOff->trigger();
    ASSERT_EQ(interaction.questions.size(), 2);
    EXPECT_EQ(interaction.questions.last(), qtTrId("batch_turn_off_own_title"));
    interaction.answerQuestion(true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return storedShortcut(u"if"_s).isEmpty(); }));
    EXPECT_EQ(storedShortcut(u"delegate"_s), QString());

    // A standard shortcut is switched off unasked.
    selectRow(rowOf(u"Délégué"_s));
    QTest::mouseClick(editor().onOffControl()->button(0), Qt::LeftButton);
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    EXPECT_EQ(interaction.questions.size(), 2);
}

TEST_F(ShortcutTest, ScopesReadInWordsAndBodiesAreSearchedWhenAsked)
{
    fixture.install(
        {{.identifier = u"scoped"_s,
          .title = u"Scoped"_s,
          .completionPrefix = u"sc"_s,
          .contents = u"dispatch_async(queue)"_s,
          .extraXml = u"<key>IDECodeSnippetCompletionScopes</key>"
                      "<array><string>CodeBlock</string><string>TopLevel</string></array>"_s},
         {.identifier = u"plain"_s, .title = u"Plain"_s, .completionPrefix = u"zq"_s, .contents = u"x"_s}});
    launch();
    selectRow(rowOf(u"Scoped"_s));
    EXPECT_EQ(editor().scopesLabel()->text(),
              qtTrId("popover_scopes").arg(qtTrId("scope_code_block") + u", "_s + qtTrId("scope_top_level")));
    EXPECT_EQ(editor().scopesLabel()->toolTip(), u"CodeBlock, TopLevel"_s);
    selectRow(rowOf(u"Plain"_s));
    EXPECT_EQ(editor().scopesLabel()->text(), qtTrId("popover_scopes").arg(qtTrId("scope_all")));

    QTest::keyClicks(main().searchField(), u"DISPATCH"_s);
    EXPECT_EQ(main().listModel()->rowCount(), 0);
    main().actions().searchBodies->trigger();
    EXPECT_EQ(main().listModel()->rowCount(), 1);
    main().searchField()->clear();
    QTest::keyClicks(main().searchField(), u"zq"_s); // the shortcut, found without bodies too
    main().actions().searchBodies->trigger();
    EXPECT_EQ(main().listModel()->rowCount(), 1);

    // Both views come back at the next start.
    main().actions().searchBodies->trigger();
    main().actions().showClashes->trigger();
    settings->sync();
    app.reset();
    launch();
    EXPECT_TRUE(main().actions().searchBodies->isChecked());
    EXPECT_TRUE(main().actions().showClashes->isChecked());
}

} // namespace
} // namespace Glimmerpad::Test
