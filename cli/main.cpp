#include "catalogue/paths.h"
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
    // The arguments as the bytes they are: a file name that is not UTF-8 still names its file.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(Glimmerpad::decodeFileName(argv[i]));
    return Glimmerpad::Cli::run(arguments, out, err, input);
}
