#include "cli/clirunner.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("glimmerpad-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GLIMMERPAD_VERSION));

    QTextStream out(stdout);
    QTextStream err(stderr);
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return Glimmerpad::Cli::Failure;
    return Glimmerpad::Cli::run(QCoreApplication::arguments(), out, err, input);
}
