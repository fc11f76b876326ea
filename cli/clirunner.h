#pragma once

#include <QIODevice>
#include <QStringList>
#include <QTextStream>

namespace Glimmerpad::Cli {

enum ExitCode : int
{
    Success = 0,
    Failure = 1, // the operation failed, or the installation was refused
    UsageError = 2,
};

// Runs one glimmerpad-cli command line (arguments[0] is the program name) against the given
// streams, so tests can drive it without a process. input stands for standard input.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err, QIODevice &input);

} // namespace Glimmerpad::Cli
