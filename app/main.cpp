// glimmerpad: the snippet browser.
#include "app/rvappdelegate.h"
#include "app/strings.h"
#include "app/userinteraction.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSettings>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Glimmerpad"));
    QApplication::setApplicationName(QStringLiteral("Glimmerpad"));
    QApplication::setApplicationVersion(QStringLiteral(GLIMMERPAD_VERSION));
    Glimmerpad::Strings::installTranslations(app);

    QCommandLineParser parser;
    //% "Browse the code snippets that ship inside Xcode, switch them off or on, edit and revert them."
    parser.setApplicationDescription(qtTrId("cli_description"));
    parser.addHelpOption();
    parser.addVersionOption();
    //% "The Xcode application to use instead of /Applications/Xcode.app."
    parser.addPositionalArgument(QStringLiteral("APP"), qtTrId("cli_app_argument"), QStringLiteral("[APP]"));
    parser.process(app);

    Glimmerpad::DesktopInteraction interaction;
    QSettings settings;
    Glimmerpad::RVAppDelegate delegate(interaction, settings, QDir::homePath());
    if (!parser.positionalArguments().isEmpty())
        delegate.setXcodeAppPathOverride(QDir(parser.positionalArguments().constFirst()).absolutePath());

    // As a platform's application main would: run the loop, then tell the delegate.
    QTimer::singleShot(0, &delegate, &Glimmerpad::RVAppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
