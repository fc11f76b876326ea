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
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTextBrowser>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;

namespace {

TEST(CommandLine, QtsOwnOptionsAreLeftToQt)
{
    const std::pair<QString, QString> cases[] = {
        {u"-style fusion -style=fusion --platform offscreen -reverse --version X.app"_s, u"--version X.app"_s},
        {u"-qmljsdebugger=port:1 -display :1 -geometry 10x10 -nograb -h -style"_s, u"-h"_s},
        {u"-stylee --versio -x=1 -- -reverse"_s, u"-stylee --versio -x=1 -- -reverse"_s}, // not Qt's
    };
    for (const auto &[given, ours] : cases)
        EXPECT_EQ(CommandLine::withoutQtOptions(QString(u"glimmerpad "_s + given).split(u' ')),
                  QString(u"glimmerpad "_s + ours).split(u' '));
}

// The program itself, without a display: help and version answer with Qt's options around them,
// and a mistake is still one.
TEST(CommandLine, TheProgramTakesQtsOptionsWithoutADisplay)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    const std::tuple<QString, int, QString> cases[] = {
        {u"-style fusion --help"_s, 0, u"[APP]"_s},
        {u"-platform offscreen -reverse -style=fusion --version"_s, 0, QStringLiteral(GLIMMERPAD_VERSION)},
        {u"-stylee fusion"_s, 1, QString()},
    };
    for (const auto &[arguments, exitCode, out] : cases) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(GLIMMERPAD_APP_PATH), arguments.split(u' '));
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitCode(), exitCode) << program.readAllStandardError().toStdString();
        EXPECT_TRUE(QString::fromUtf8(program.readAllStandardOutput()).contains(out)) << arguments.toStdString();
    }
}

class StartupTest : public AppTest
{
protected:
    void relaunchRemembering(const QRect &frame)
    {
        app.reset();
        settings->setValue(RVAppDelegate::kWindowGeometryKey, frame);
        settings->sync();
        launch();
    }
    QRect frame() const { return main().window()->frameGeometry(); }
    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

// The first window is wholly on the screen, right of the popover's room (narrower for it); where
// the user leaves it is where it opens next while its title bar can be reached there, else it is
// placed as a first window.
TEST_F(StartupTest, TheWindowFitsTheScreenAndOpensWhereItWasLeft)
{
    launch();
    EXPECT_TRUE(available().contains(frame()));
    EXPECT_GE(frame().x(), 450);
    main().window()->setGeometry(20, 30, 400, 300);
    EXPECT_EQ(settings->value(RVAppDelegate::kWindowGeometryKey).toRect(), QRect(20, 30, 400, 300));

    const std::pair<QRect, bool> cases[] = {
        {QRect(20, 30, 400, 300), true},      // left of where a first window goes
        {QRect(700, 10, 400, 300), true},     // a hundred pixels of its title bar on the screen
        {QRect(730, 10, 400, 300), false},    // too little of it
        {QRect(3000, 3000, 400, 300), false}, // a screen that has gone
        {QRect(100, -200, 400, 300), false},  // its title bar above the screen
    };
    for (const auto &[remembered, usedAsItIs] : cases) {
        relaunchRemembering(remembered);
        if (usedAsItIs)
            EXPECT_EQ(frame(), remembered);
        else
            EXPECT_TRUE(available().contains(frame()) && frame().x() >= 450) << remembered.x();
    }
    relaunchRemembering(QRect(10, 10, 4000, 3000));
    EXPECT_EQ(frame(), QRect(QPoint(10, 10), available().size())); // no larger than the screen now is
}

// F1 shows the page the program ships, which needs no network and links to its home on the web;
// the real seam shows it in one window of the main window's, on the screen.
TEST_F(StartupTest, HelpShowsThePageShippedWithTheProgram)
{
    launch();
    main().actions().help->trigger();
    ASSERT_EQ(interaction.helpPages, QList<QUrl>{QUrl(RVAppDelegate::kHelpPage)});

    DesktopInteraction desktop;
    desktop.showHelp(main().window(), QUrl(RVAppDelegate::kHelpPage));
    desktop.showHelp(main().window(), QUrl(RVAppDelegate::kHelpPage));
    const QList<HelpWindow *> windows = main().window()->findChildren<HelpWindow *>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows.first()->isVisible());
    EXPECT_TRUE(available().contains(windows.first()->frameGeometry()));
    EXPECT_TRUE(windows.first()->browser()->toPlainText().contains(u"Ctrl+Shift+R"_s));
    EXPECT_TRUE(windows.first()->browser()->toHtml().contains(RVAppDelegate::kHelpUrl));
}

// Each chooser opens where the last one was left: in the home folder at first and once that
// folder has gone.
TEST_F(StartupTest, ChoosersOpenInTheLastFolderUsed)
{
    Fixture elsewhere; // Xcode is not where it is looked for: asked for at each start
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

// Cancelling the Xcode chooser says that no Xcode was chosen, not that its version is refused.
TEST_F(StartupTest, CancellingTheXcodeChooserSaysNoneWasChosen)
{
    QDir(fixture.xcodePath()).removeRecursively();
    launch();
    EXPECT_EQ(interaction.alerts, QStringList{qtTrId("no_xcode_title")});
    EXPECT_EQ(interaction.exitCode, 1);
}

// What the file system refuses comes as a sentence that names the folder once.
TEST_F(StartupTest, FailuresAreSentencesThatNameTheFolder)
{
    launch();
    selectRow(rowOf(u"If Statement"_s));
    QDir().mkpath(fixture.userFolder() + u"/if.codesnippet"_s); // a folder where the file would go
    QTest::mouseClick(editor().onOffControl()->button(1), Qt::LeftButton);
    const QString out = fixture.root() + u"/exported"_s;
    writeFile(out + u"/mine.codesnippet"_s, "x"); // export refuses a folder with snippets in it
    interaction.folderAnswer = out;
    main().actions().exportOverrides->trigger();

    ASSERT_EQ(interaction.sheets.size(), 2);
    for (const auto &[sheet, folder] : {std::pair{interaction.sheets[0], fixture.userFolder()}, std::pair{interaction.sheets[1], out}}) {
        const QStringList lines = sheet.section(u'|', 1).split(u'\n');
        const QString naming = lines.filter(folder).value(0);
        EXPECT_TRUE(naming.front().isUpper() && naming.endsWith(u'.') && naming.count(folder) == 1) << sheet.toStdString();
    }
    // A clause that begins with a name keeps its case.
    EXPECT_EQ(Strings::sentence(u"if.codesnippet: not a snippet file"_s), u"if.codesnippet: not a snippet file."_s);
}

} // namespace
