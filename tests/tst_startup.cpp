// Starting the program: the command line.
#include "app/commandline.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace Glimmerpad;
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

} // namespace
