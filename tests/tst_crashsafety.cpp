// A writer killed at random moments while it saves a large override.
#include "catalogue/snippetcatalogue.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;

namespace {

// After every kill the override is absent, whole with the text before, or whole with the text
// being saved; never cut or mixed. Files an interrupted save leaves behind are never read.
// GLIMMERPAD_KILLS sets how many kills (default 20, scripts/torture asks for hundreds); the loop
// also ends after two minutes.
TEST(CrashSafety, KilledWriterLeavesTheOldOrTheNewOverrideWhole)
{
    Fixture fx;
    fx.install(
        {{.identifier = u"big"_s, .title = u"Big"_s, .completionPrefix = u"big"_s, .contents = u"s"_s}});
    // Two texts of different lengths: a cut or a mix of them is neither.
    const QString texts[] = {u"first ✓\n"_s.repeated(100000), u"second line\n"_s.repeated(120000)};
    for (int i = 0; i < 2; ++i)
        writeFile(fx.root() + u"/text"_s + QString::number(i), texts[i].toUtf8());
    const QString override = fx.userFolder() + u"/big.codesnippet"_s;
    const auto startWriter = [&](QProcess &writer, int text) {
        writer.start(QStringLiteral(GLIMMERPAD_CLI_PATH),
                     {u"--xcode"_s, fx.xcodePath(), u"--home"_s, fx.home(), u"set-contents"_s, u"big"_s,
                      fx.root() + u"/text"_s + QString::number(text)});
        return writer.waitForStarted();
    };

    // How long a save that replaces an earlier one takes, so that the kills spread over all of it.
    QProcess first, second;
    ASSERT_TRUE(startWriter(first, 0) && first.waitForFinished(-1) && first.exitCode() == 0);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(startWriter(second, 1) && second.waitForFinished(-1) && second.exitCode() == 0);
    const auto saveTime = std::chrono::microseconds(clock.nsecsElapsed() / 1000);
    std::optional<QString> onDisk = texts[1];

    const int wanted = qEnvironmentVariableIsSet("GLIMMERPAD_KILLS")
                           ? qEnvironmentVariableIntValue("GLIMMERPAD_KILLS")
                           : 20;
    std::mt19937 random(20240601);
    std::uniform_int_distribution<long> moment(0, saveTime.count() * 12 / 10);
    int kills = 0, finished = 0, corrupted = 0, leftovers = 0, oldSeen = 0, newSeen = 0;
    clock.restart();
    for (int run = 0; kills < wanted && clock.elapsed() < 120000; ++run) {
        const int text = run % 2;
        QProcess writer;
        ASSERT_TRUE(startWriter(writer, text));
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        writer.waitForFinished(-1);
        (writer.exitStatus() == QProcess::CrashExit ? kills : finished)++;

        const SnippetCatalogue catalogue = fx.load();
        const QStringList read = snippetPaths(catalogue);
        leftovers +=
            static_cast<int>(snippetFolderEntries(fx.userFolder()).size()) - (QFile::exists(override) ? 1 : 0);
        const std::optional<QString> now = SnippetRecord::fromPropertyList(readFile(override)).contents();
        const bool whole = (read.isEmpty() && !onDisk && !now) ||
                           (read == QStringList{override} && (now == onDisk || now == texts[text]));
        if (!whole) {
            ++corrupted;
            ADD_FAILURE() << "run " << run << ": " << read.join(u' ').toStdString() << " holds "
                          << (now ? now->size() : -1) << " characters";
        }
        (now == onDisk ? oldSeen : newSeen)++;
        onDisk = now;
    }
    EXPECT_EQ(corrupted, 0);
    RecordProperty("kills", kills);
    RecordProperty("corrupted", corrupted);
    RecordProperty("finishedBeforeKill", finished);
    RecordProperty("oldContentAfterKill", oldSeen);
    RecordProperty("newContentAfterKill", newSeen);
    RecordProperty("leftoverFiles", leftovers);
}

} // namespace
