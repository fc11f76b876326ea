// The snippet folder's lock: taken once per batch, never waited for by the process holding it, and
// judged by what this program may do when something else stands in its place.
#include "catalogue/snippetcatalogue.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <csignal>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;
using Status = ChangeResult::Status;

namespace {

class Lock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fx.install({{.identifier = u"a"_s, .title = u"A"_s}, {.identifier = u"b"_s, .title = u"B"_s},
                    {.identifier = u"c"_s, .title = u"C"_s}});
        QDir().mkpath(fx.userFolder());
        catalogue = fx.load();
        SnippetStore::Lock::setWaitLimit(std::chrono::milliseconds(200));
    }
    void TearDown() override { SnippetStore::Lock::setWaitLimit(std::chrono::seconds(10)); }

    QString lockPath() const { return fx.userFolder() + u"/.glimmerpad.lock"_s; }
    // A lock file as QLockFile writes one, for the program of that name.
    void writeLock(qint64 pid, const QByteArray &program = "glimmerpad-cli") const
    {
        writeFile(lockPath(), QByteArray::number(pid) + '\n' + program + '\n' + QSysInfo::machineHostName().toUtf8() + '\n');
    }
    QList<ChangeResult> switchAllOff()
    {
        QList<SnippetChange> changes;
        for (const SnippetRecord &system : catalogue.systemCodeSnippets())
            changes.append(SnippetChange::switchShortcut(system, true));
        return catalogue.apply(changes);
    }

    Fixture fx;
    SnippetCatalogue catalogue{QString()};
};

// What stands in the lock file's place decides at once: a folder is refused, naming it; a link and
// a lock of a program that has ended are taken over. Nothing is waited for.
TEST_F(Lock, WhatStandsInItsPlaceIsJudgedAtOnce)
{
    const std::pair<const char *, std::function<void()>> places[] = {
        {"a folder", [&] { QDir().mkpath(lockPath()); }},
        {"a dangling link", [&] { QFile::link(fx.root() + u"/nowhere"_s, lockPath()); }},
        {"a link to a file", [&] { writeFile(fx.root() + u"/kept"_s, "kept"); QFile::link(fx.root() + u"/kept"_s, lockPath()); }},
        {"a lock of a program that has ended", [&] { writeLock(999999999); }},
        {"a lock saying nothing, untouched for long", [&] {
             writeFile(lockPath(), "");
             QProcess::execute(u"touch"_s, {u"-d"_s, u"1 minute ago"_s, lockPath()});
         }},
    };
    for (const auto &[what, place] : places) {
        SCOPED_TRACE(what);
        QDir(fx.userFolder()).removeRecursively();
        QDir().mkpath(fx.userFolder());
        catalogue.parseUserCodeSnippets();
        place();
        const SnippetStore::Counters before = catalogue.store().counters();
        const QList<ChangeResult> results = switchAllOff();
        const bool folder = std::string_view(what) == "a folder";
        for (const ChangeResult &result : results)
            EXPECT_EQ(result.status, folder ? Status::Failed : Status::Done) << result.reason.toStdString();
        EXPECT_EQ(catalogue.store().counters().lockTakes - before.lockTakes, 1u);
        if (folder) {
            EXPECT_TRUE(results.first().reason.contains(lockPath() + u" is a folder"_s)) << results.first().reason.toStdString();
            EXPECT_TRUE(QFileInfo(lockPath()).isDir());
        } else {
            EXPECT_FALSE(QFileInfo::exists(lockPath())); // let go again
        }
    }
    EXPECT_EQ(readFile(fx.root() + u"/kept"_s), "kept"); // a link is removed, never what it leads to
}

// A running program's lock is waited for once per batch, then every change says whose it is; the
// process that holds a lock is refused at once, never waiting for itself.
TEST_F(Lock, ALiveLockIsWaitedForOncePerBatchAndOwnLockNever)
{
    QProcess holder;
    holder.start(u"sleep"_s, {u"30"_s});
    ASSERT_TRUE(holder.waitForStarted());
    ::kill(static_cast<pid_t>(holder.processId()), SIGSTOP); // stopped, not ended
    writeLock(holder.processId(), "sleep");
    const SnippetStore::Counters before = catalogue.store().counters();
    for (const ChangeResult &result : switchAllOff()) {
        EXPECT_EQ(result.status, Status::Failed);
        EXPECT_TRUE(result.reason.contains(u"stayed locked by sleep (process %1)"_s.arg(holder.processId())))
            << result.reason.toStdString();
    }
    EXPECT_EQ(catalogue.store().counters().lockTakes - before.lockTakes, 1u);
    holder.kill();
    holder.waitForFinished();
    QFile::remove(lockPath());

    ChangeBatch held(catalogue, {SnippetChange::revert(catalogue.recordAtRow(0))});
    ASSERT_EQ(held.begin(std::chrono::milliseconds(0)), SnippetStore::Lock::State::Held);
    const ChangeResult own = catalogue.apply(SnippetChange::switchShortcut(catalogue.recordAtRow(1), true));
    EXPECT_EQ(own.status, Status::Failed);
    EXPECT_TRUE(own.reason.startsWith(u"Glimmerpad is already changing the snippets in"_s)) << own.reason.toStdString();
}

// A lock file that cannot be removed at the end (the folder turned unwritable mid-batch) is said
// once, with its path; the changes after the turn fail with their reasons, none waits.
TEST_F(Lock, ALockThatCannotBeLetGoIsSaid)
{
    ASSERT_EQ(switchAllOff().size(), 3);
    bool frozen = false;
    catalogue.store().setFileDisposer([&](const QString &path, QString *error) {
        const bool removed = QFile::remove(path);
        frozen = QProcess::execute(u"chattr"_s, {u"+i"_s, fx.userFolder()}) == 0;
        *error = u"not removed"_s;
        return removed;
    });
    QList<SnippetChange> reverts;
    for (const SnippetRecord &system : catalogue.systemCodeSnippets())
        reverts.append(SnippetChange::revert(system));
    ChangeBatch batch(catalogue, reverts);
    QList<ChangeResult> results;
    while (!batch.atEnd())
        results.append(batch.step());
    const QString problem = batch.finish();
    QProcess::execute(u"chattr"_s, {u"-i"_s, fx.userFolder()});
    if (!frozen)
        GTEST_SKIP() << "no immutable folders here";
    EXPECT_EQ(results[0].status, Status::Done);
    EXPECT_EQ(results[1].status, Status::Failed);
    EXPECT_EQ(problem, u"the lock file %1 could not be removed; remove it before the next change"_s.arg(lockPath()));
}

// A lock file that cannot be made is said with the system's reason, never a guessed one; here a
// folder nothing may be made in, which QLockFile reports as an unknown error.
TEST_F(Lock, ALockThatCannotBeMadeSaysWhyAsTheSystemDoes)
{
    if (QProcess::execute(u"chattr"_s, {u"+i"_s, fx.userFolder()}) != 0)
        GTEST_SKIP() << "no immutable folders here";
    const QList<ChangeResult> results = switchAllOff();
    QProcess::execute(u"chattr"_s, {u"-i"_s, fx.userFolder()});
    ASSERT_FALSE(results.isEmpty());
    EXPECT_EQ(results.first().reason,
              u"the snippet folder %1 cannot be locked: the lock file %2 could not be made (%3)"_s.arg(
                  fx.userFolder(), lockPath(), qt_error_string(EPERM)));
}

// Owned by another user who has ended (a killed sudo glimmerpad-cli), a lock cannot be opened to be
// removed the way QLockFile removes one; the folder is the user's, so it is taken over all the same.
TEST_F(Lock, AnotherUsersLockOfAnEndedProgramIsTakenOver)
{
    if (QProcess::execute(u"unshare"_s, {u"-r"_s, u"true"_s}) != 0)
        GTEST_SKIP() << "no user namespaces here";
    writeLock(999999999);
    if (QProcess::execute(u"chown"_s, {u"65534"_s, lockPath()}) != 0)
        GTEST_SKIP() << "cannot give a file to another user here";
    QProcess cli;
    cli.start(u"unshare"_s, {u"-r"_s, QStringLiteral(GLIMMERPAD_CLI_PATH), u"--xcode"_s, fx.xcodePath(), u"--home"_s,
                             fx.home(), u"disable"_s, u"a"_s});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(fx.userFolder() + u"/a.codesnippet"_s));
    EXPECT_FALSE(QFileInfo::exists(lockPath()));
}

} // namespace
