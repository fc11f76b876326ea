// Starting the program and what surrounds the window: the command line, where the window opens,
// the help, the choosers, and the words of failures.
#include "app/commandline.h"
#include "app/helpwindow.h"
#include "app/snippetlistmodel.h"
#include "app/strings.h"
#include "appfixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTextBrowser>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;

namespace {

// ---- the command line ---------------------------------------------------------------------------

TEST(CommandLine, QtsOwnOptionsAreLeftToQt)
{
    const struct
    {
        QStringList arguments;
        QStringList ours;
    } cases[] = {
        {{u"-style"_s, u"fusion"_s, u"X.app"_s}, {u"X.app"_s}},
        {{u"-style=fusion"_s, u"--platform"_s, u"offscreen"_s, u"-reverse"_s, u"--version"_s}, {u"--version"_s}},
        {{u"-qmljsdebugger=port:1"_s, u"-stylesheet"_s, u"a.qss"_s, u"-h"_s}, {u"-h"_s}},
        {{u"-display"_s, u":1"_s, u"-geometry"_s, u"10x10"_s, u"-nograb"_s}, {}},
        {{u"-style"_s}, {}}, // without its value Qt ignores it too
        // Not Qt's: left for the program to refuse or take.
        {{u"-stylee"_s, u"--versio"_s, u"-x=1"_s}, {u"-stylee"_s, u"--versio"_s, u"-x=1"_s}},
        {{u"--"_s, u"-reverse"_s}, {u"--"_s, u"-reverse"_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(CommandLine::withoutQtOptions(QStringList{u"glimmerpad"_s} + c.arguments),
                  QStringList{u"glimmerpad"_s} + c.ours);
    }
}

// The program itself, on a machine without a display: help and version answer with Qt's options
// around them, and a mistake is still one.
TEST(CommandLine, TheProgramTakesQtsOptionsWithoutADisplay)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    const struct
    {
        QStringList arguments;
        int exitCode;
        QString out;
    } cases[] = {
        {{u"-style"_s, u"fusion"_s, u"--help"_s}, 0, u"[APP]"_s},
        {{u"-platform"_s, u"offscreen"_s, u"--version"_s}, 0, QStringLiteral(GLIMMERPAD_VERSION)},
        {{u"-reverse"_s, u"-style=fusion"_s, u"-v"_s}, 0, QStringLiteral(GLIMMERPAD_VERSION)},
        {{u"-stylee"_s, u"fusion"_s}, 1, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(GLIMMERPAD_APP_PATH), c.arguments);
        ASSERT_TRUE(program.waitForFinished(60000));
        const QString err = QString::fromUtf8(program.readAllStandardError());
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.exitCode) << err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(program.readAllStandardOutput()).contains(c.out));
        if (c.exitCode != 0) {
            EXPECT_TRUE(err.contains(u"stylee"_s) || err.contains(u"s, t, y, l, e"_s)) << err.toStdString();
        }
    }
}

// ---- where the window opens -----------------------------------------------------------------

class StartupTest : public AppTest
{
protected:
    QString settingsPath() const { return fixture.root() + u"/settings.ini"_s; }
    void rememberGeometry(const QRect &frame) const
    {
        QSettings(settingsPath(), QSettings::IniFormat).setValue(RVAppDelegate::kWindowGeometryKey, frame);
    }
    void relaunch()
    {
        app.reset();
        interaction = FakeInteraction();
        launch();
    }
    QRect frame() const { return main().window()->frameGeometry(); }
    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

// The first window is wholly on the screen, narrower where it must be to keep the room on its left
// for the popover.
TEST_F(StartupTest, TheFirstWindowFitsTheScreenRightOfThePopoversRoom)
{
    launch();
    EXPECT_TRUE(available().contains(frame())) << frame().x() << ',' << frame().width();
    EXPECT_GE(frame().x(), 450);
    EXPECT_GE(frame().width(), main().window()->minimumWidth());
}

// Where the user leaves the window is where it opens next: as it was while the user can reach its
// title bar, left of where a first window goes included; otherwise where a first window goes.
TEST_F(StartupTest, TheWindowOpensWhereItWasLeftWhileThatIsOnTheScreen)
{
    launch();
    const QRect moved(20, 30, 400, 300);
    main().window()->setGeometry(moved);
    EXPECT_EQ(settings->value(RVAppDelegate::kWindowGeometryKey).toRect(), moved);
    relaunch();
    EXPECT_EQ(frame(), moved);

    const struct
    {
        QRect remembered;
        bool usedAsItIs;
    } cases[] = {
        {QRect(700, 10, 400, 300), true},    // a hundred pixels of its title bar on the screen
        {QRect(730, 10, 400, 300), false},   // too little of it
        {QRect(3000, 3000, 400, 300), false}, // a screen that has gone
        {QRect(100, -200, 400, 300), false},  // its title bar above the screen
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.remembered.x());
        rememberGeometry(c.remembered);
        relaunch();
        EXPECT_EQ(frame().height(), c.remembered.height());
        if (c.usedAsItIs) {
            EXPECT_EQ(frame(), c.remembered);
        } else {
            EXPECT_TRUE(available().contains(frame()));
            EXPECT_GE(frame().x(), 450);
        }
    }
    // No larger than the screen is now.
    rememberGeometry(QRect(10, 10, 4000, 3000));
    relaunch();
    EXPECT_EQ(frame(), QRect(QPoint(10, 10), available().size()));
}

// ---- help -----------------------------------------------------------------------------------

// F1 shows the help page the program ships, which needs no network; it links to its home on the web.
TEST_F(StartupTest, HelpShowsThePageShippedWithTheProgram)
{
    launch();
    main().actions().help->trigger();
    ASSERT_EQ(interaction.helpPages, QList<QUrl>{QUrl(RVAppDelegate::kHelpPage)});
    QFile page(u":"_s + QUrl(RVAppDelegate::kHelpPage).path());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(page.readAll()).contains(u"href=\""_s + RVAppDelegate::kHelpUrl + u'"'));

    // The real thing: a window of the main window's, on the screen; F1 again brings the same one.
    DesktopInteraction desktop;
    for (int times = 0; times < 2; ++times)
        desktop.showHelp(main().window(), QUrl(RVAppDelegate::kHelpPage));
    const QList<HelpWindow *> windows = main().window()->findChildren<HelpWindow *>();
    ASSERT_EQ(windows.size(), 1);
    HelpWindow *help = windows.first();
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(available().contains(help->frameGeometry()));
    EXPECT_TRUE(help->browser()->toPlainText().contains(u"Ctrl+Shift+R"_s));
    EXPECT_TRUE(help->browser()->openExternalLinks());
    EXPECT_EQ(help->windowTitle(), qtTrId("help_window_title"));
}

// ---- choosers -------------------------------------------------------------------------------

// Each chooser opens where the last one was left, in the home folder at first and once that
// folder has gone.
TEST_F(StartupTest, ChoosersOpenInTheLastFolderUsed)
{
    // Xcode is not where it is looked for: it is asked for at each start.
    Fixture elsewhere;
    elsewhere.install(manySnippets(2));
    QDir(fixture.xcodePath()).removeRecursively();
    interaction.chooserAnswer = elsewhere.xcodePath();
    launch();
    app.reset();
    launch();
    const QString xcodeFolder = QFileInfo(elsewhere.xcodePath()).absolutePath();

    const QString out = fixture.root() + u"/exported"_s;
    QDir().mkpath(out);
    interaction.folderAnswer = out;
    main().actions().exportOverrides->trigger();
    interaction.filesAnswer = {fixture.root() + u"/nothing.codesnippet"_s};
    main().actions().importOverrides->trigger();
    main().actions().exportOverrides->trigger();
    QDir(out).removeRecursively();
    main().actions().exportOverrides->trigger();
    EXPECT_EQ(interaction.chooserFolders,
              QStringList({fixture.home(), xcodeFolder, xcodeFolder, out, fixture.root(), fixture.home()}));
}

// ---- the words of failures ------------------------------------------------------------------

// Cancelling the Xcode chooser says that no Xcode was chosen, not that its version is refused.
TEST_F(StartupTest, CancellingTheXcodeChooserSaysNoneWasChosen)
{
    QDir(fixture.xcodePath()).removeRecursively();
    launch();
    EXPECT_EQ(interaction.choosers, 1);
    EXPECT_EQ(interaction.alerts, QStringList{qtTrId("no_xcode_title")});
    EXPECT_EQ(interaction.exitCode, 1);
    EXPECT_FALSE(main().window()->isVisible());
}

// A failure the file system reports comes as sentences that name the folder, each once.
TEST_F(StartupTest, FailuresAreSentencesThatNameTheFolder)
{
    launch();
    const QString out = fixture.root() + u"/exported"_s;
    const struct
    {
        const char *what;
        std::function<void()> fail;
        QString folder;
    } cases[] = {
        {"a save",
         [&] {
             selectRow(rowOf(u"If Statement"_s));
             QDir().mkpath(fixture.userFolder() + u"/if.codesnippet"_s); // a folder where the file would go
             QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
         },
         fixture.userFolder()},
        {"an export",
         [&] {
             writeFile(out + u"/mine.codesnippet"_s, "x");
             interaction.folderAnswer = out;
             main().actions().exportOverrides->trigger();
         },
         out},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        interaction.sheets.clear();
        c.fail();
        ASSERT_EQ(interaction.sheets.size(), 1);
        const QStringList lines = interaction.sheets.first().section(u'|', 1).split(u'\n', Qt::SkipEmptyParts);
        const auto naming = std::find_if(lines.cbegin(), lines.cend(), [&](const QString &l) { return l.contains(c.folder); });
        ASSERT_NE(naming, lines.cend()) << interaction.sheets.first().toStdString();
        EXPECT_TRUE(naming->front().isUpper()) << naming->toStdString();
        EXPECT_TRUE(naming->endsWith(u'.'));
        EXPECT_EQ(naming->count(c.folder), 1) << naming->toStdString();
    }
}

TEST(Strings, AReasonBecomesASentence)
{
    const std::pair<QString, QString> cases[] = {
        {u"the snippet folder /a could not be made (No space left on device)"_s,
         u"The snippet folder /a could not be made (No space left on device)."_s},
        {u"Glimmerpad is already changing the snippets in /a."_s, u"Glimmerpad is already changing the snippets in /a."_s},
        {u"élan vital? "_s, u"Élan vital?"_s},
        {u"com.example.if.codesnippet could not be read"_s, u"com.example.if.codesnippet could not be read."_s},
        {u"if.codesnippet: not a snippet file"_s, u"if.codesnippet: not a snippet file."_s},
        {QString(), QString()},
    };
    for (const auto &[clause, sentence] : cases)
        EXPECT_EQ(Strings::sentence(clause), sentence);
}

} // namespace
