// The program driven as a user would, for the application's test files: the controller on a
// temporary installation and home, with the dialogs answered by a fake.
#pragma once

#include "app/editorpopover.h"
#include "app/rvappdelegate.h"
#include "app/snippetlistmodel.h"
#include "app/snippettextedit.h"
#include "app/strings.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDir>
#include <QListView>
#include <QSettings>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace Glimmerpad::Test {

class FakeInteraction final : public UserInteraction
{
public:
    std::optional<QString> chooserAnswer;
    std::optional<QString> folderAnswer;
    QStringList filesAnswer;
    int choosers = 0;
    QStringList chooserFolders; // where each chooser opened
    QStringList alerts;
    QStringList sheets;
    QList<QUrl> helpPages;
    std::optional<int> exitCode;

    std::optional<QString> chooseApplicationBundle(QWidget *, const QString &, const QString &, const QString &,
                                                   const QString &startFolder) override
    {
        ++choosers;
        chooserFolders.append(startFolder);
        return chooserAnswer;
    }
    std::optional<QString> chooseFolder(QWidget *, const QString &, const QString &startFolder) override
    {
        chooserFolders.append(startFolder);
        return folderAnswer;
    }
    QStringList chooseSnippetFiles(QWidget *, const QString &, const QString &startFolder) override
    {
        chooserFolders.append(startFolder);
        return filesAnswer;
    }
    void runCriticalAlert(QWidget *, const QString &title, const QString &, const QString &) override
    {
        alerts.append(title);
    }
    void beginSheet(RVWindow *, RVSheet::Icon, const QString &title, const QString &message, const QString &) override
    {
        sheets.append(title + u'|' + message);
    }
    // Questions wait for the test to answer them through answerQuestion.
    void beginQuestionSheet(RVWindow *, const QString &title, const QString &, const QString &, const QString &,
                            std::function<void(bool)> answered) override
    {
        questions.append(title);
        pendingAnswer = std::move(answered);
    }
    void answerQuestion(bool accept) { std::exchange(pendingAnswer, {})(accept); }
    // Choices likewise, through answerChoice.
    void beginChoiceSheet(RVWindow *, const QString &title, const QString &, const QStringList &buttons, int,
                          std::function<void(int)> answered) override
    {
        choices.append(title + u'|' + buttons.join(u'/'));
        pendingChoice = std::move(answered);
    }
    void answerChoice(int button) { std::exchange(pendingChoice, {})(button); }

    QStringList questions;
    std::function<void(bool)> pendingAnswer;
    QStringList choices;
    std::function<void(int)> pendingChoice;
    void showHelp(QWidget *, const QUrl &page) override { helpPages.append(page); }
    void terminate(int code) override { exitCode = code; }
};

inline QList<Snippet> manySnippets(int count)
{
    QList<Snippet> snippets;
    for (int i = 0; i < count; ++i) {
        const QString n = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        snippets.append({QStringLiteral("id.%1").arg(n),
                         QStringLiteral("Snippet %1").arg(n),
                         QStringLiteral("Summary number %1").arg(n),
                         QStringLiteral("sn%1").arg(n),
                         QStringLiteral("body <#%1#>").arg(n),
                         {}});
    }
    return snippets;
}

class AppTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { Strings::installTranslations(*QCoreApplication::instance()); }

    void SetUp() override
    {
        fixture.install({
            {QStringLiteral("if"),
             QStringLiteral("If Statement"),
             QStringLiteral("Runs code when true"),
             QStringLiteral("if"),
             QStringLiteral("if (<#condition#>) {\n}"),
             {}},
            {QStringLiteral("blank"),
             QStringLiteral("Blank Prefix"),
             QStringLiteral("Has no shortcut"),
             QString(QLatin1StringView("")),
             QStringLiteral("blank body"),
             {}},
            {QStringLiteral("delegate"),
             QStringLiteral("Délégué"),
             QStringLiteral("Crée une table"),
             QStringLiteral("deleg"),
             QStringLiteral("delegate body"),
             {}},
        });
    }

    void launch()
    {
        settings = std::make_unique<QSettings>(fixture.root() + QStringLiteral("/settings.ini"),
                                               QSettings::IniFormat);
        app = std::make_unique<RVAppDelegate>(interaction, *settings, fixture.home());
        app->setXcodeAppPathOverride(fixture.xcodePath());
        tester = std::make_unique<QAbstractItemModelTester>(
            main().listModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
        app->applicationDidFinishLaunching();
        settle();
    }

    // Lets the deferred calls run (the row restore, then the popover it queues), however slow the
    // machine: until a selected row's snippet is in the popover, not for a fixed time.
    void settle()
    {
        QCoreApplication::processEvents();
        if (!app || interaction.exitCode)
            return;
        // The rows' clashes, told after the list's first paint.
        ASSERT_TRUE(QTest::qWaitFor([this] { return !main().listModel()->clashesDeferred(); }));
        ASSERT_TRUE(QTest::qWaitFor([this] {
            const int row = app->selectedRow();
            return row < 0 || (editor().popover()->isShown() &&
                               app->selectedSnippet().isSameRecord(app->catalogue().recordAtRow(row)));
        }));
    }

    void selectRow(int row)
    {
        QListView *list = main().tableView();
        list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                                QItemSelectionModel::ClearAndSelect);
        settle();
    }

    int rowOf(const QString &title) const
    {
        QAbstractItemModel *model = main().tableView()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toString() == title)
                return row;
        }
        return -1;
    }

    QStringList userFiles() const
    {
        return QDir(fixture.userFolder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    SnippetRecord userRecord(const QString &name) const
    {
        return SnippetRecord::fromPropertyList(readFile(fixture.userFolder() + u'/' + name));
    }

    // Whether "<id>.codesnippet" is exactly the override of that system snippet meant.
    ::testing::AssertionResult wroteOverride(const QString &id, bool disabled,
                                             const std::optional<QString> &contents) const
    {
        const SnippetRecord &system = app->catalogue().systemCodeSnippets().at(
            app->catalogue().systemCodeSnippetIdentifiers().indexOf(id));
        return isExactOverride(fixture.userFolder() + u'/' + id + u".codesnippet", system, disabled, contents);
    }

    void typeIntoEditor(const QString &text)
    {
        editor().contentsView()->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor().contentsView(), text);
    }

    MainWindow &main() const { return app->mainWindow(); }
    EditingSession &editor() const { return app->editor(); }

    Fixture fixture;
    FakeInteraction interaction;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<RVAppDelegate> app;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

} // namespace Glimmerpad::Test
