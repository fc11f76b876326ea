#include "catalogue/xcodeinstallation.h"
#include "platform/processes.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUuid>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;

namespace {

// Whether a process runs from a bundle whose Info.plist says bundleIdentifier, as the running
// guard asks it.
bool findProcessWithBundleIdentifier(const QString &bundleIdentifier)
{
    return Platform::isAnyProcessRunningFromBundle(
        [&](const QString &bundle) { return Xcode::bundleIdentifierAtPath(bundle) == bundleIdentifier; });
}

} // namespace

TEST(ProcessBundle, OnlyExecutablesInsideContentsMacOSBelongToABundle)
{
    const struct
    {
        QString executable;
        QString bundle;
    } cases[] = {
        {u"/Applications/Xcode.app/Contents/MacOS/Xcode"_qs, u"/Applications/Xcode.app"_qs},
        {u"/Applications/My Tools.app/Contents/MacOS/run"_qs, u"/Applications/My Tools.app"_qs},
        {u"/A.app/Contents/MacOS/Helpers/tool"_qs, u"/A.app"_qs},
        // The innermost bundle owns the process.
        {u"/X.app/Contents/Developer/Applications/Simulator.app/Contents/MacOS/Simulator"_qs,
         u"/X.app/Contents/Developer/Applications/Simulator.app"_qs},
        {u"/A.app/Contents/MacOS/B.app/Contents/Resources/tool"_qs, u"/A.app"_qs},
        {u"/usr/bin/sleep"_qs, QString()},
        {QString(), QString()},
        {u"/A.app/Contents/MacOS/"_qs, QString()},
        {u"/A.app/Contents/MacOS"_qs, QString()},
        {u"/A.app/Contents/Resources/tool"_qs, QString()},
        {u"/A.APP/Contents/MacOS/A"_qs, QString()},
        {u"/A.app/contents/macos/A"_qs, QString()},
        {u"/.app/Contents/MacOS/A"_qs, QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Platform::applicationBundleOfExecutable(c.executable), c.bundle)
            << c.executable.toStdString();
}

TEST(ForEachRunningProcess, VisitsEveryProcessInPidOrderAndStopsWhenAsked)
{
    const qint64 self = QCoreApplication::applicationPid();
    const QString selfPath = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();

    QList<qint64> pids;
    QString selfSeenAs;
    const auto all = Platform::forEachRunningProcess([&](const Platform::RunningProcess &process) {
        pids.append(process.pid);
        if (process.pid == self)
            selfSeenAs = process.executablePath;
        return false;
    });
    EXPECT_EQ(all, Platform::ProcessWalk::Exhausted);
    EXPECT_EQ(selfSeenAs, selfPath);
    EXPECT_TRUE(std::is_sorted(pids.cbegin(), pids.cend()));
    EXPECT_EQ(std::adjacent_find(pids.cbegin(), pids.cend()), pids.cend());

    // Processes come and go between two walks: what stopping shows is that none after self was visited.
    QList<qint64> visited;
    const auto stopped = Platform::forEachRunningProcess([&](const Platform::RunningProcess &process) {
        visited.append(process.pid);
        return process.pid == self;
    });
    EXPECT_EQ(stopped, Platform::ProcessWalk::Stopped);
    ASSERT_FALSE(visited.isEmpty());
    EXPECT_EQ(visited.last(), self);
    EXPECT_TRUE(std::is_sorted(visited.cbegin(), visited.cend()));
}

class ProcessLookup : public ::testing::Test
{
protected:
    // A copy of sleep posing as the executable of <root>/<name>.app, described by infoXml.
    QString makeBundle(const QString &name, const QByteArray &infoXml)
    {
        const QString bundle = m_fixture.root() + u'/' + name + u".app";
        EXPECT_TRUE(writeFile(bundle + u"/Contents/Info.plist", infoXml));
        EXPECT_TRUE(QDir().mkpath(bundle + u"/Contents/MacOS"));
        const QString executable = bundle + u"/Contents/MacOS/" + name;
        EXPECT_TRUE(QFile::copy(u"/bin/sleep"_qs, executable));
        return executable;
    }

    static QByteArray info(const QString &identifier)
    {
        return plistDocument("<dict><key>CFBundleIdentifier</key><string>" + xmlEscaped(identifier).toUtf8() +
                             "</string></dict>\n");
    }

    static bool start(QProcess &process, const QString &executable)
    {
        process.start(executable, {u"30"_qs});
        return process.waitForStarted(10000);
    }

    static void stop(QProcess &process)
    {
        process.kill();
        process.waitForFinished(10000);
    }

    Fixture m_fixture;
    const QString m_uniqueIdentifier =
        u"org.glimmerpad.test."_qs + QUuid::createUuid().toString(QUuid::Id128);
};

TEST_F(ProcessLookup, MatchesARunningBundleByExactIdentifierUntilItExits)
{
    QProcess fakeXcode;
    ASSERT_TRUE(start(fakeXcode, makeBundle(u"Fake"_qs, info(u"com.apple.dt.Xcode"_qs))));
    QProcess unique;
    ASSERT_TRUE(start(unique, makeBundle(u"Unique"_qs, toBinaryPlist(info(m_uniqueIdentifier)))));

    EXPECT_TRUE(findProcessWithBundleIdentifier(u"com.apple.dt.Xcode"_qs));
    EXPECT_FALSE(findProcessWithBundleIdentifier(u"com.apple.dt.xcode"_qs));
    EXPECT_TRUE(findProcessWithBundleIdentifier(m_uniqueIdentifier)); // binary Info.plist
    EXPECT_FALSE(findProcessWithBundleIdentifier(m_uniqueIdentifier.chopped(1)));

    stop(unique);
    EXPECT_FALSE(findProcessWithBundleIdentifier(m_uniqueIdentifier));
    stop(fakeXcode);
}

TEST_F(ProcessLookup, ExecutableReplacedWhileRunningStillCounts)
{
    // An update that replaces the bundle's executable leaves the old one running.
    const QString executable = makeBundle(u"Updated"_qs, info(m_uniqueIdentifier));
    QProcess process;
    ASSERT_TRUE(start(process, executable));
    ASSERT_TRUE(QFile::remove(executable));

    QString seenAs;
    Platform::forEachRunningProcess([&](const Platform::RunningProcess &running) {
        if (running.pid == process.processId())
            seenAs = running.executablePath;
        return !seenAs.isEmpty();
    });
    EXPECT_EQ(seenAs,
              QFileInfo(m_fixture.root()).canonicalFilePath() + u"/Updated.app/Contents/MacOS/Updated");
    EXPECT_TRUE(findProcessWithBundleIdentifier(m_uniqueIdentifier));
    stop(process);
}

// Stand-ins that run as something else: a script runs as its interpreter with the script's path
// as its second argument; a link to a program elsewhere runs that program, started by the link's
// own path, also a relative one.
TEST_F(ProcessLookup, ScriptsAndLinksInsideABundleCount)
{
    const struct
    {
        const char *kind;
        std::function<QString(const QString &executable)> make; // returns what to start
        bool relative;
    } cases[] = {
        {"script", [](const QString &executable) {
             writeFile(executable, "#!/bin/sh\nsleep 30\n");
             QFile::setPermissions(executable, QFile::permissions(executable) | QFile::ExeOwner);
             return executable;
         }, false},
        {"link", [](const QString &executable) {
             QFile::link(u"/bin/sleep"_qs, executable);
             return executable;
         }, false},
        {"link started by a relative path", [](const QString &executable) {
             QFile::link(u"/bin/sleep"_qs, executable);
             return executable;
         }, true},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        const QString name = u"Stand%1"_qs.arg(++n);
        const QString bundle = m_fixture.root() + u'/' + name + u".app";
        ASSERT_TRUE(writeFile(bundle + u"/Contents/Info.plist", info(m_uniqueIdentifier + name)));
        ASSERT_TRUE(QDir().mkpath(bundle + u"/Contents/MacOS"));
        const QString started = c.make(bundle + u"/Contents/MacOS/" + name);
        QProcess process;
        if (c.relative) {
            process.setWorkingDirectory(m_fixture.root());
            process.start(u"./"_qs + name + u".app/Contents/MacOS/" + name, {u"30"_qs});
        } else {
            process.start(started, {u"30"_qs});
        }
        ASSERT_TRUE(process.waitForStarted(10000));
        // The process is up once its command line names the bundle.
        ASSERT_TRUE(QTest::qWaitFor([&] { return findProcessWithBundleIdentifier(m_uniqueIdentifier + name); }));
        stop(process);
        // A shell killed while it starts its command leaves a copy of itself for a moment, until
        // that copy becomes the command: gone soon after.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !findProcessWithBundleIdentifier(m_uniqueIdentifier + name); }));
    }
}

