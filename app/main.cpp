// glimmerpad: the snippet browser.
#ifdef GLIMMERPAD_BENCH_HOOKS
#include "app/benchhook.h"
#endif
#include "app/commandline.h"
#include "app/rvappdelegate.h"
#include "app/strings.h"
#include "app/userinteraction.h"
#include "platform/folders.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QListView>
#include <QSettings>
#include <QTimer>

#include <optional>

static void describeApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Glimmerpad"));
    QCoreApplication::setApplicationName(QStringLiteral("Glimmerpad"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GLIMMERPAD_VERSION));
}

// The command line is read before any window system is touched, so --help, --version and
// mistakes are answered on a machine without a display too. Qt's own options (-style fusion,
// -platform offscreen, ...) are left for the application object made afterwards, which takes them
// out of argv itself. Exits for help, version and mistakes; otherwise the Xcode application given,
// if any.
static std::optional<QString> readCommandLine(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    describeApplication();
    Glimmerpad::Strings::installTranslations(app);

    QCommandLineParser parser;
    //% "Browse the code snippets that ship inside Xcode, switch them off or on, edit and revert them."
    const QString description = qtTrId("cli_description");
    // --help-all can list only the options of the application object made so far, not the
    // window system's: they are named here.
    //% "Qt's own options (-style NAME, -platform NAME, -reverse, ...) are taken as by any Qt program."
    const QString qtOptions = qtTrId("cli_qt_options");
    parser.setApplicationDescription(description + u'\n' + qtOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    //% "The Xcode application to use instead of /Applications/Xcode.app."
    parser.addPositionalArgument(QStringLiteral("APP"), qtTrId("cli_app_argument"), QStringLiteral("[APP]"));
    parser.process(Glimmerpad::CommandLine::withoutQtOptions(QCoreApplication::arguments()));
    if (parser.positionalArguments().isEmpty())
        return std::nullopt;
    return QDir(parser.positionalArguments().constFirst()).absolutePath();
}

int main(int argc, char *argv[])
{
    const std::optional<QString> xcodeApp = readCommandLine(argc, argv);

    QApplication app(argc, argv);
    describeApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.glimmerpad.Glimmerpad"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("org.glimmerpad.Glimmerpad"),
                         QIcon(QStringLiteral(":/icons/org.glimmerpad.Glimmerpad.svg"))));
    Glimmerpad::Strings::installTranslations(app);

    Glimmerpad::DesktopInteraction interaction;
    QSettings settings;
    Glimmerpad::RVAppDelegate delegate(interaction, settings, Glimmerpad::Platform::homeDirectory());
    if (xcodeApp)
        delegate.setXcodeAppPathOverride(*xcodeApp);
#ifdef GLIMMERPAD_BENCH_HOOKS
    Glimmerpad::exitAfterFirstPaint(delegate.mainWindow().tableView()->viewport());
#endif

    // Launching starts once the event loop runs, so that what it shows and asks comes up in a
    // running program.
    QTimer::singleShot(0, &delegate, &Glimmerpad::RVAppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
