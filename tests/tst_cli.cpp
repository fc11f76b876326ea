// glimmerpad-cli end to end on temporary folders: in-process through Cli::run, and the real binary.
#include "catalogue/limits.h"
#include "catalogue/xcodeinstallation.h"
#include "cli/clirunner.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;
using Glimmerpad::Limits::kMaxUserSnippetFileBytes;

namespace {

struct Outcome
{
    int code = -1;
    QString out;
    QString err;
};

class Cli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fx.install({{.identifier = u"alpha"_s,
                     .title = u"Alpha"_s,
                     .summary = u"First"_s,
                     .completionPrefix = u"al"_s},
                    {.identifier = u"blank"_s, .title = u"Blank"_s, .completionPrefix = u""_s},
                    {.identifier = u"none"_s, .title = u"None"_s, .contents = u"none body"_s}});
    }

    // Runs one command line, split at blanks, against the fixture's Xcode and home.
    Outcome run(const QString &command, QByteArray input = {}, const QString &xcode = {})
    {
        Outcome result;
        QTextStream out(&result.out), err(&result.err);
        QBuffer in(&input);
        in.open(QIODevice::ReadOnly);
        const QStringList args = {u"glimmerpad-cli"_s, u"--xcode"_s, xcode.isEmpty() ? fx.xcodePath() : xcode,
                                  u"--home"_s, fx.home()};
        result.code = Glimmerpad::Cli::run(args + command.split(u' ', Qt::SkipEmptyParts), out, err, in);
        out.flush();
        err.flush();
        return result;
    }
    QString file(const QString &id) const { return fx.userFolder() + u'/' + id + u".codesnippet"_s; }
    SnippetRecord written(const QString &id) const
    {
        return SnippetRecord::fromPropertyList(readFile(file(id)));
    }
    // Whether the override of id at path (its own file by default) is exactly the one meant.
    ::testing::AssertionResult exact(const QString &id, bool disabled, const std::optional<QString> &contents,
                                     const QString &path = {}) const
    {
        const SnippetCatalogue catalogue = fx.load();
        return isExactOverride(path.isEmpty() ? file(id) : path,
                               catalogue.recordAtRow(catalogue.rowOfIdentifier(id)), disabled, contents);
    }
    static void expectOneErrorLine(const Outcome &outcome, int code)
    {
        EXPECT_EQ(outcome.code, code) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.startsWith(u"glimmerpad-cli: "_s)) << outcome.err.toStdString();
        EXPECT_EQ(outcome.err.count(u'\n'), 1) << outcome.err.toStdString();
    }

    Fixture fx;
};

TEST_F(Cli, InfoReportsInstallationAndCounts)
{
    writeFile(file(u"alpha"_s), snippetFile({.identifier = u"alpha"_s}));
    writeFile(file(u"stray"_s), snippetFile({.identifier = u"stray"_s}));
    const QJsonObject info = QJsonDocument::fromJson(run(u"info --json"_s).out.toUtf8()).object();
    const QJsonObject expected{
        {u"xcode"_s, fx.xcodePath()},
        {u"version"_s, static_cast<double>(5.1f)},
        {u"library"_s, QString(fx.xcodePath() + QLatin1StringView(Xcode::kIdeKitLibraryComponent))},
        {u"userFolder"_s, fx.userFolder()},
        {u"systemSnippets"_s, 3},
        {u"userSnippets"_s, 2},
        {u"customSnippets"_s, 1}};
    EXPECT_EQ(info, expected);

    const Outcome text = run(u"info"_s);
    EXPECT_EQ(text.code, 0);
    EXPECT_TRUE(text.out.contains(u"\nVersion:          5.1\n"_s)) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(u"\nCustom snippets:  1\n"_s)) << text.out.toStdString();

    const QString examples = QStringLiteral(GLIMMERPAD_SOURCE_DIR "/examples/Xcode.app");
    const QByteArray sample = run(u"info --json"_s, {}, examples).out.toUtf8();
    EXPECT_EQ(QJsonDocument::fromJson(sample)[u"systemSnippets"_s].toInt(), 30);
}

TEST_F(Cli, ListShowsStatesShownFieldsAndTheSystemSummary)
{
    writeFile(file(u"alpha"_s), snippetFile({.identifier = u"alpha"_s,
                                             .title = u"Mine"_s,
                                             .summary = u"Other"_s,
                                             .completionPrefix = u""_s}));
    writeFile(file(u"blank"_s), snippetFile({.identifier = u"blank"_s, .completionPrefix = u" "_s}));
    const QJsonDocument expected = QJsonDocument::fromJson(R"([
 {"identifier":"alpha","title":"Mine","summary":"First","completionPrefix":"","state":"disabled"},
 {"identifier":"blank","title":null,"summary":null,"completionPrefix":" ","state":"override"},
 {"identifier":"none","title":"None","summary":null,"completionPrefix":null,"state":"system"}])");
    EXPECT_EQ(QJsonDocument::fromJson(run(u"list --json"_s).out.toUtf8()), expected);
    EXPECT_EQ(run(u"list"_s).out,
              u"alpha\tdisabled\t\tMine\tFirst\nblank\toverride\t \t\t\nnone\tsystem\t\tNone\t\n"_s);
    EXPECT_EQ(run(u"list --filter NON"_s).out, u"none\tsystem\t\tNone\t\n"_s);
}

TEST_F(Cli, ShowPrintsTheShownRecordAsAPropertyList)
{
    writeFile(file(u"alpha"_s), snippetFile({.identifier = u"alpha"_s, .title = u"Mine"_s}));
    const SnippetCatalogue catalogue = fx.load();
    for (const qsizetype row : {0, 2}) {
        const SnippetRecord expected = catalogue.shownRecord(catalogue.recordAtRow(row));
        const Outcome shown = run(u"show "_s + *expected.identifier());
        EXPECT_TRUE(propertyListsEqual(SnippetRecord::fromPropertyList(shown.out.toUtf8()).dictionary(), expected.dictionary())) << row;
    }
}

TEST_F(Cli, ChangesWriteAndRemoveOverrideFiles)
{
    ASSERT_EQ(run(u"disable alpha"_s).code, 0);
    EXPECT_TRUE(exact(u"alpha"_s, true, std::nullopt));

    // New contents keep the shortcut switched off; switching it on keeps the new contents.
    const QString text = u"Grüße ✓\n<#code#>\n"_s;
    writeFile(fx.root() + u"/new.txt"_s, text.toUtf8());
    ASSERT_EQ(run(u"set-contents alpha "_s + fx.root() + u"/new.txt"_s).code, 0);
    EXPECT_TRUE(exact(u"alpha"_s, true, text));
    ASSERT_EQ(run(u"enable alpha"_s).code, 0);
    EXPECT_TRUE(exact(u"alpha"_s, false, text));

    ASSERT_EQ(run(u"set-contents none"_s, "from standard input").code, 0);
    EXPECT_TRUE(exact(u"none"_s, false, u"from standard input"_s));

    ASSERT_EQ(run(u"revert alpha"_s).code, 0);
    EXPECT_EQ(folderEntries(fx.userFolder()), QStringList{u"none.codesnippet"_s});
    EXPECT_EQ(run(u"revert alpha"_s).out, u"alpha has no override\n"_s);
}

TEST_F(Cli, FailuresExitWithOneAndOneLine)
{
    writeFile(fx.root() + u"/latin1.txt"_s, "caf\xE9");
    for (const QString &command : QStringList{u"show nope"_s, u"disable nope"_s,
                                              u"set-contents alpha "_s + fx.root() + u"/latin1.txt"_s,
                                              u"set-contents alpha "_s + fx.root() + u"/missing.txt"_s}) {
        SCOPED_TRACE(command.toStdString());
        expectOneErrorLine(run(command), 1);
    }
    const Outcome piped = run(u"set-contents alpha -"_s, "caf\xC3");
    expectOneErrorLine(piped, 1);
    EXPECT_TRUE(piped.err.contains(u"standard input is not UTF-8"_s)) << piped.err.toStdString();
    EXPECT_TRUE(folderEntries(fx.userFolder()).isEmpty());

    QDir().mkpath(file(u"alpha"_s)); // the write fails: the target is a folder
    const MessageCapture log;
    const Outcome failed = run(u"disable alpha"_s);
    expectOneErrorLine(failed, 1);
    const QString prefix = u"glimmerpad-cli: could not write the override of \"alpha\": "_s;
    EXPECT_TRUE(failed.err.startsWith(prefix) && failed.err.size() > prefix.size() + 1)
        << failed.err.toStdString();
}

// A real full device and a real read-only folder: a small tmpfs in a user and mount namespace,
// where the machine allows one (CI runs as root, and permission bits alone stop no write there).
TEST_F(Cli, FullOrReadOnlyFolderKeepsTheEarlierOverrideAndSaysWhy)
{
    if (QProcess::execute(u"unshare"_s, {u"-rm"_s, u"true"_s}) != 0)
        GTEST_SKIP() << "no user and mount namespaces here";
    QDir().mkpath(fx.userFolder());
    writeFile(fx.root() + u"/big.txt"_s, QByteArray(256 * 1024, 'x'));
    const std::pair<QString, QString> cases[] = {
        {u"full"_s, u"head -c 1048576 /dev/zero > \"$F/filler\" 2>/dev/null"_s},
        {u"read-only"_s, u"mount -o remount,ro \"$F\""_s},
    };
    for (const auto &[what, fault] : cases) {
        SCOPED_TRACE(what.toStdString());
        const QString out = fx.root() + u'/' + what;
        QDir().mkpath(out);
        const QString script =
            u"F=$1; mount -t tmpfs -o size=128k tmpfs \"$F\" || exit 99\n"
            "\"$2\" --xcode \"$3\" --home \"$4\" disable alpha || exit 98\n"
            "cp \"$F/alpha.codesnippet\" \"$5/before\"\n"_s +
            fault +
            u"\n\"$2\" --xcode \"$3\" --home \"$4\" set-contents alpha \"$6\" 2>\"$5/err\"\n"
            "echo $? >\"$5/code\"; cp \"$F/alpha.codesnippet\" \"$5/after\"; ls -A \"$F\" >\"$5/entries\"\n"_s;
        ASSERT_EQ(
            QProcess::execute(u"unshare"_s, {u"-rm"_s, u"sh"_s, u"-c"_s, script, u"sh"_s, fx.userFolder(),
                                             QStringLiteral(GLIMMERPAD_CLI_PATH), fx.xcodePath(), fx.home(),
                                             out, fx.root() + u"/big.txt"_s}),
            0);
        EXPECT_EQ(readFile(out + u"/code"_s), "1\n");
        const QString err = QString::fromUtf8(readFile(out + u"/err"_s));
        EXPECT_TRUE(err.contains(u"Could not write User Snippet.\n"_s)) << err.toStdString(); // the log line
        const QString prefix = u"glimmerpad-cli: could not write the override of \"alpha\": "_s;
        EXPECT_GT(err.section(prefix, 1).trimmed().size(), 0) << err.toStdString(); // the reason
        EXPECT_FALSE(readFile(out + u"/before"_s).isEmpty());
        EXPECT_EQ(readFile(out + u"/after"_s), readFile(out + u"/before"_s));
        EXPECT_EQ(readFile(out + u"/entries"_s).replace("filler\n", ""),
                  "alpha.codesnippet\n"); // no leftovers
    }
}

TEST_F(Cli, RefusedInstallationsAndUsageErrorsTouchNothing)
{
    expectOneErrorLine(run(u"info"_s, {}, fx.root() + u"/Nowhere.app"_s), 1);
    fx.writeInfo(u"4.2"_s);
    expectOneErrorLine(run(u"list"_s), 1);
    for (const QString &command :
         {u""_s, u"frob"_s, u"show"_s, u"disable alpha beta"_s, u"set-contents alpha a b"_s, u"info extra"_s,
          u"--json show alpha"_s, u"--filter x info"_s, u"--bogus info"_s}) {
        SCOPED_TRACE(command.toStdString());
        expectOneErrorLine(run(command), 2);
    }
    EXPECT_FALSE(QFileInfo::exists(fx.home() + u"/Library"_s));

    const Outcome help = run(u"--help"_s);
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(u"set-contents ID [FILE|-]"_s));
    const Outcome version = run(u"--version"_s);
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, u"glimmerpad-cli " GLIMMERPAD_VERSION "\n"_s);
}

TEST_F(Cli, BinaryReadsStandardInputAndReturnsExitCodes)
{
    const auto runBinary = [&](const QString &command, const QByteArray &input) {
        QProcess process;
        process.start(QStringLiteral(GLIMMERPAD_CLI_PATH),
                      QStringList{u"--xcode"_s, fx.xcodePath(), u"--home"_s, fx.home()} +
                          command.split(u' '));
        process.write(input);
        process.closeWriteChannel();
        const bool finished = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit;
        return Outcome{finished ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
                       QString::fromUtf8(process.readAllStandardError())};
    };
    const QString text = u"piped ✓\n\tin\n"_s;
    EXPECT_EQ(runBinary(u"set-contents none -"_s, text.toUtf8()).code, 0);
    EXPECT_TRUE(exact(u"none"_s, false, text));
    expectOneErrorLine(runBinary(u"set-contents none -"_s, "\xC3\x28"), 1);
    EXPECT_EQ(written(u"none"_s).contents(), text);
    EXPECT_EQ(runBinary(u"frob"_s, {}).code, 2);
}

// What a property list cannot carry is refused with the character and its line, nothing written;
// what it can carry comes back exactly, carriage returns and entity-packed text included.
TEST_F(Cli, TextIsWrittenExactlyOrRefusedWithTheReason)
{
    ASSERT_EQ(run(u"set-contents alpha -"_s, "earlier").code, 0);
    const QByteArray earlier = readFile(file(u"alpha"_s));
    const std::pair<QString, QString> refused[] = {
        {u"one\ntwo\nthree\f"_s, u"U+000C FORM FEED on line 3"_s},
        {u"\x1b[31mred"_s, u"U+001B ESCAPE on line 1"_s},
        {u"a\x01"_s, u"U+0001 START OF HEADING"_s},
        {u"\uFFFE"_s, u"U+FFFE (not a character)"_s},
        {u"x\uFFFF"_s, u"U+FFFF (not a character)"_s},
    };
    for (const auto &[text, reason] : refused) {
        SCOPED_TRACE(reason.toStdString());
        const Outcome outcome = run(u"set-contents alpha -"_s, text.toUtf8());
        expectOneErrorLine(outcome, 1);
        EXPECT_TRUE(outcome.err.contains(reason)) << outcome.err.toStdString();
        EXPECT_EQ(readFile(file(u"alpha"_s)), earlier);
    }

    QString html;
    while (html.size() < 670'000)
        html += u"<p>Fish &amp; chips &lt;3 \"quoted\" 'too' &gt; </p>\r\n"_s;
    const QString kept[] = {u"crlf\r\nand cr\rand lf\n"_s, u"\r"_s, u"tab\tnbsp\u00A0del\x7f \U0001F600"_s, html,
                            QString(kMaxUserSnippetFileBytes / 8, u'&')};
    for (const QString &text : kept) {
        SCOPED_TRACE(text.left(20).toStdString());
        ASSERT_EQ(run(u"set-contents alpha -"_s, text.toUtf8()).code, 0);
        EXPECT_TRUE(exact(u"alpha"_s, false, text));
        EXPECT_TRUE(run(u"list --filter Alpha"_s).out.startsWith(u"alpha\toverride\t"_s));
    }

    // Over the size a snippet file may have: refused before anything is read whole or written.
    const QByteArray earlierBig = readFile(file(u"alpha"_s));
    const Outcome tooBig = run(u"set-contents alpha -"_s, QByteArray(kMaxUserSnippetFileBytes + 1, 'x'));
    expectOneErrorLine(tooBig, 1);
    EXPECT_TRUE(tooBig.err.contains(u"standard input is larger than the 16 MiB"_s)) << tooBig.err.toStdString();
    const Outcome endless = run(u"set-contents alpha /dev/zero"_s);
    expectOneErrorLine(endless, 1);
    const Outcome escaped = run(u"set-contents alpha -"_s, QByteArray(kMaxUserSnippetFileBytes / 4, '<'));
    expectOneErrorLine(escaped, 1); // fits as text, not once every "<" is written as "&lt;"
    EXPECT_TRUE(escaped.err.contains(u"more than the 16 MiB a snippet file may hold"_s)) << escaped.err.toStdString();
    EXPECT_EQ(readFile(file(u"alpha"_s)), earlierBig);
}

// Links are written through only to a file holding this very snippet (dotfiles in a repository);
// anything else is refused with the link and its target named, and revert takes the link itself.
TEST_F(Cli, LinksAreWrittenThroughOnlyToThisSnippetsOwnFile)
{
    const QString repo = fx.root() + u"/repo"_s;
    const QString elsewhere = fx.root() + u"/notes.txt"_s;
    writeFile(elsewhere, "my notes");
    writeFile(repo + u"/other.codesnippet"_s, snippetFile({.identifier = u"other"_s}));
    const std::tuple<QString, QString> refusedLinks[] = {
        {elsewhere, u"which does not hold this snippet"_s},
        {repo + u"/other.codesnippet"_s, u"which does not hold this snippet"_s},
        {fx.root() + u"/nowhere/gone.codesnippet"_s, u"which does not exist"_s},
    };
    QDir().mkpath(fx.userFolder());
    for (const auto &[target, reason] : refusedLinks) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(file(u"alpha"_s));
        ASSERT_TRUE(QFile::link(target, file(u"alpha"_s)));
        const QStringList before = treeSnapshot(fx.root());
        const Outcome outcome = run(u"disable alpha"_s);
        expectOneErrorLine(outcome, 1);
        EXPECT_TRUE(outcome.err.contains(file(u"alpha"_s)) && outcome.err.contains(target) &&
                    outcome.err.contains(reason))
            << outcome.err.toStdString();
        EXPECT_EQ(treeSnapshot(fx.root()), before);
    }

    const QString own = repo + u"/alpha.codesnippet"_s;
    writeFile(own, snippetFile({.identifier = u"alpha"_s, .contents = u"tracked"_s}));
    QFile::remove(file(u"alpha"_s));
    ASSERT_TRUE(QFile::link(own, file(u"alpha"_s)));
    ASSERT_EQ(run(u"disable alpha"_s).code, 0);
    EXPECT_TRUE(QFileInfo(file(u"alpha"_s)).isSymLink());
    EXPECT_TRUE(exact(u"alpha"_s, true, u"tracked"_s, own));
    ASSERT_EQ(run(u"revert alpha"_s).code, 0);
    EXPECT_FALSE(QFileInfo(file(u"alpha"_s)).isSymLink());
    EXPECT_TRUE(exact(u"alpha"_s, true, u"tracked"_s, own));
}

// A snippet of the user's own stored under an override's name is neither overwritten nor trashed.
TEST_F(Cli, AUsersOwnSnippetUnderTheOverridesNameIsNeverTouched)
{
    const QByteArray mine = snippetFile({.identifier = u"mine"_s, .contents = u"my own"_s});
    writeFile(file(u"alpha"_s), mine);
    writeFile(file(u"alpha-2"_s), snippetFile({.identifier = u"also mine"_s}));
    ASSERT_EQ(run(u"disable alpha"_s).code, 0);
    EXPECT_TRUE(exact(u"alpha"_s, true, std::nullopt, file(u"alpha-3"_s)));
    EXPECT_TRUE(run(u"list --filter Alpha"_s).out.startsWith(u"alpha\tdisabled\t"_s));
    ASSERT_EQ(run(u"enable alpha"_s).code, 0); // the override found again, wherever it is
    EXPECT_TRUE(exact(u"alpha"_s, false, std::nullopt, file(u"alpha-3"_s)));
    ASSERT_EQ(run(u"revert alpha"_s).code, 0);
    EXPECT_EQ(folderEntries(fx.userFolder()), QStringList({u"alpha-2.codesnippet"_s, u"alpha.codesnippet"_s}));
    EXPECT_EQ(readFile(file(u"alpha"_s)), mine);
    EXPECT_EQ(run(u"revert alpha"_s).out, u"alpha has no override\n"_s);
}

TEST_F(Cli, AnUnusableHomeIsRefused)
{
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(fx.root());
    for (const QString &home : QStringList{u""_s, u"relative"_s, fx.root() + u"/missing"_s}) {
        SCOPED_TRACE(home.toStdString());
        Outcome outcome;
        QTextStream out(&outcome.out), err(&outcome.err);
        QBuffer in;
        in.open(QIODevice::ReadOnly);
        outcome.code = Glimmerpad::Cli::run(
            {u"glimmerpad-cli"_s, u"--xcode"_s, fx.xcodePath(), u"--home"_s, home, u"disable"_s, u"alpha"_s}, out,
            err, in);
        err.flush();
        expectOneErrorLine(outcome, 1);
        EXPECT_TRUE(outcome.err.contains(u"home folder"_s)) << outcome.err.toStdString();
    }
    EXPECT_EQ(folderEntries(fx.root()), QStringList({u"Applications"_s, u"home"_s}));
    QDir::setCurrent(cwd);
}

// Two programs changing one snippet at once: each change is made on what the other left, so
// neither is lost, and no lock file stays behind.
TEST_F(Cli, TwoWritersAtOnceLoseNothing)
{
    const auto start = [&](QProcess &process, const QStringList &command) {
        process.start(QStringLiteral(GLIMMERPAD_CLI_PATH),
                      QStringList{u"--xcode"_s, fx.xcodePath(), u"--home"_s, fx.home()} + command);
    };
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(run(u"enable alpha"_s).code, 0);
        const QString text = u"round %1"_s.arg(round);
        writeFile(fx.root() + u"/text"_s, text.toUtf8());
        QProcess setContents, disable;
        start(setContents, {u"set-contents"_s, u"alpha"_s, fx.root() + u"/text"_s});
        start(disable, {u"disable"_s, u"alpha"_s});
        for (QProcess *process : {&setContents, &disable}) {
            ASSERT_TRUE(process->waitForFinished(60000));
            EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
        }
        EXPECT_TRUE(exact(u"alpha"_s, true, text));
    }
    EXPECT_EQ(folderEntries(fx.userFolder()), QStringList{u"alpha.codesnippet"_s});
}

} // namespace
