// glimmerpad-cli end to end on temporary folders: in-process through Cli::run, and the real binary.
#include "catalogue/limits.h"
#include "catalogue/linediff.h"
#include "catalogue/xcodeinstallation.h"
#include "cli/clirunner.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

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
    void SetUp() override { fx.install(library()); }

    // The library SetUp installs (alpha, blank, none), changed by edit; named() finds a snippet in it.
    using Edit = std::function<void(QList<Snippet> &)>;
    static QList<Snippet> library(const Edit &edit = {})
    {
        QList<Snippet> snippets{{.identifier = u"alpha"_s,
                                 .title = u"Alpha"_s,
                                 .summary = u"First"_s,
                                 .completionPrefix = u"al"_s,
                                 .extraXml = language(u"Swift"_s)},
                                {.identifier = u"blank"_s,
                                 .title = u"Blank"_s,
                                 .completionPrefix = u""_s,
                                 .extraXml = language(u"C-Plus-Plus"_s)},
                                {.identifier = u"none"_s, .title = u"None"_s, .contents = u"none body"_s}};
        if (edit)
            edit(snippets);
        return snippets;
    }
    static Snippet &named(QList<Snippet> &snippets, const QString &id)
    {
        return *std::find_if(snippets.begin(), snippets.end(), [&](const Snippet &s) { return s.identifier == id; });
    }
    void emptyHome()
    {
        QDir(fx.home()).removeRecursively();
        QDir().mkpath(fx.home());
    }

    static QString language(const QString &name)
    {
        return u"<key>IDECodeSnippetLanguage</key><string>Xcode.SourceCodeLanguage."_s + name +
               u"</string>"_s;
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
                               catalogue.systemCodeSnippet(id), disabled, contents);
    }
    // Each snippet's state as list shows it, and each override checked to be exactly the one meant:
    // the system's record with the contents given for it (none: the system's own).
    QStringList states(const QHash<QString, QString> &contents = {}) const
    {
        QStringList states;
        const SnippetCatalogue catalogue = fx.load();
        for (const SnippetRecord &system : catalogue.systemCodeSnippets()) {
            const SnippetState state = catalogue.stateOf(system);
            const QString id = *system.identifier();
            states.append(id + u':' +
                          (!state.overridden ? u"system"_s
                           : state.disabled  ? u"disabled"_s
                                             : u"override"_s));
            if (state.overridden) {
                EXPECT_TRUE(
                    isExactOverride(state.snapshot.path, system, state.disabled,
                                    contents.contains(id) ? std::optional(contents[id]) : std::nullopt));
            }
        }
        return states;
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
    EXPECT_EQ(QJsonDocument::fromJson(sample)[u"systemSnippets"_s].toInt(), 32);
}

TEST_F(Cli, ListShowsStatesShownFieldsAndTheSystemSummary)
{
    writeFile(file(u"alpha"_s), snippetFile({.identifier = u"alpha"_s,
                                             .title = u"Mine"_s,
                                             .summary = u"Other"_s,
                                             .completionPrefix = u""_s}));
    writeFile(file(u"blank"_s), snippetFile({.identifier = u"blank"_s, .completionPrefix = u" "_s}));
    // Written by hand, nothing recorded, and unlike the system records in more than body and shortcut.
    const QJsonDocument expected = QJsonDocument::fromJson(R"([
 {"identifier":"alpha","title":"Mine","summary":"First","completionPrefix":"","state":"disabled","status":"stale"},
 {"identifier":"blank","title":null,"summary":null,"completionPrefix":" ","state":"override","status":"stale"},
 {"identifier":"none","title":"None","summary":null,"completionPrefix":null,"state":"system","status":null}])");
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

// Several snippets, named or selected, each changed on its own: one line for each done or failed.
TEST_F(Cli, ChangesOfSeveralSnippetsNameEachOne)
{
    struct Case
    {
        QString before; // a command run first, if any
        QString command;
        int code;
        QString out;
        QString error; // how the one line of standard error starts, if any
        QString states;
    };
    const QString failed = u"glimmerpad-cli: could not write the override of \"blank\": "_s;
    const Case cases[] = {
        {{}, u"disable alpha none"_s, 0, u"alpha disabled\nnone disabled\n"_s, {}, u"disabled system disabled"_s},
        {{}, u"enable alpha nope blank alpha"_s, 1, u"alpha enabled\nblank enabled\n"_s,
         u"glimmerpad-cli: no system snippet has the identifier \"nope\""_s, u"override override system"_s},
        {u"disable alpha"_s, u"revert alpha none"_s, 0, u"alpha reverted\nnone has no override\n"_s, {},
         u"system system system"_s},
        {u"disable alpha none"_s, u"enable --changed"_s, 0, u"alpha enabled\nnone enabled\n"_s, {},
         u"override system override"_s},
        {{}, u"disable --filter N"_s, 0, u"blank disabled\nnone disabled\n"_s, {}, u"system disabled disabled"_s},
        {u"disable alpha"_s, u"revert --changed --filter one"_s, 0, {}, {}, u"disabled system system"_s},
        {{}, u"disable --language c++"_s, 0, u"blank disabled\n"_s, {}, u"system disabled system"_s},
        {{}, u"disable --language Kotlin"_s, 1, {},
         u"glimmerpad-cli: no system snippet is in the language \"Kotlin\" (there are: C++, Swift)"_s,
         u"system system system"_s},
        {u"mkdir blank"_s, u"disable alpha blank none"_s, 1, u"alpha disabled\nnone disabled\n"_s, failed,
         u"disabled system disabled"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString(c.before + u" | "_s + c.command).toStdString());
        QDir(fx.home()).removeRecursively();
        QDir().mkpath(fx.home());
        if (c.before == u"mkdir blank"_s) {
            QDir().mkpath(file(u"blank"_s)); // the write fails: the target is a folder
        } else if (!c.before.isEmpty()) {
            ASSERT_EQ(run(c.before).code, 0);
        }
        const MessageCapture log;
        const Outcome outcome = run(c.command);
        EXPECT_EQ(outcome.code, c.code);
        EXPECT_EQ(outcome.out, c.out);
        if (c.error.isEmpty()) {
            EXPECT_EQ(outcome.err, QString());
        } else {
            expectOneErrorLine(outcome, c.code);
            EXPECT_TRUE(outcome.err.startsWith(c.error)) << outcome.err.toStdString();
        }
        const QStringList expected = c.states.split(u' ');
        EXPECT_EQ(states(), QStringList({u"alpha:"_s + expected[0], u"blank:"_s + expected[1], u"none:"_s + expected[2]}));
    }
}

TEST_F(Cli, JsonNamesEachSnippetWithItsOutcome)
{
    const auto json = [this](const QString &command, int code) {
        const Outcome outcome = run(command);
        EXPECT_EQ(outcome.code, code) << command.toStdString();
        EXPECT_EQ(outcome.err, QString()) << command.toStdString();
        return QJsonDocument::fromJson(outcome.out.toUtf8());
    };
    EXPECT_EQ(json(u"disable alpha nope --json"_s, 1), QJsonDocument::fromJson(R"([
        {"identifier": "alpha", "ok": true, "error": null},
        {"identifier": "nope", "ok": false, "error": "no system snippet has the identifier \"nope\""}])"));
    EXPECT_EQ(states(), QStringList({u"alpha:disabled"_s, u"blank:system"_s, u"none:system"_s}));
    EXPECT_EQ(json(u"revert --json --filter a"_s, 0), QJsonDocument::fromJson(R"([
        {"identifier": "alpha", "ok": true, "error": null},
        {"identifier": "blank", "ok": true, "error": null}])"));

    const QString in = fx.root() + u"/in"_s;
    writeFile(in + u"/a.codesnippet"_s, snippetFile({.identifier = u"none"_s, .completionPrefix = u""_s}));
    writeFile(in + u"/b.codesnippet"_s, snippetFile({.identifier = u"stray"_s}));
    const QJsonArray imported = json(u"import --json "_s + in, 1).array();
    const QJsonArray expected{QJsonObject{{u"identifier"_s, u"none"_s},
                                          {u"file"_s, QString(in + u"/a.codesnippet"_s)},
                                          {u"ok"_s, true},
                                          {u"error"_s, QJsonValue()}},
                              QJsonObject{{u"identifier"_s, u"stray"_s},
                                          {u"file"_s, QString(in + u"/b.codesnippet"_s)},
                                          {u"ok"_s, false},
                                          {u"error"_s, u"no system snippet has the identifier \"stray\""_s}}};
    EXPECT_EQ(imported, expected);
    EXPECT_EQ(states(), QStringList({u"alpha:system"_s, u"blank:system"_s, u"none:disabled"_s}));
}

TEST_F(Cli, ListSelectsByChangedStateAndLanguage)
{
    ASSERT_EQ(run(u"disable alpha none"_s).code, 0);
    EXPECT_EQ(states(), QStringList({u"alpha:disabled"_s, u"blank:system"_s, u"none:disabled"_s}));
    const std::pair<QString, QString> cases[] = {
        {u"list --changed"_s, u"alpha\tdisabled\t\tAlpha\tFirst\nnone\tdisabled\t\tNone\t\n"_s},
        {u"list --language swift"_s, u"alpha\tdisabled\t\tAlpha\tFirst\n"_s},
        {u"list --language Xcode.SourceCodeLanguage.C-Plus-Plus"_s, u"blank\tsystem\t\tBlank\t\n"_s},
        {u"list --changed --language C++"_s, u""_s},
        {u"list --changed --filter NON"_s, u"none\tdisabled\t\tNone\t\n"_s},
    };
    for (const auto &[command, out] : cases) {
        const Outcome outcome = run(command);
        EXPECT_EQ(outcome.code, 0) << command.toStdString();
        EXPECT_EQ(outcome.out, out) << command.toStdString();
    }
    const Outcome unknown = run(u"list --language C"_s); // C++ is no C
    expectOneErrorLine(unknown, 1);
    EXPECT_TRUE(unknown.err.contains(u"(there are: C++, Swift)"_s)) << unknown.err.toStdString();
}

// How each override stands against what it was made from: status names it with its file, --json
// adds the keys that changed, list --json shows it beside the state, and --stale selects the stale.
TEST_F(Cli, StatusTellsHowEachOverrideStands)
{
    // A legacy override, written without a record of what it was made from.
    const auto legacy = [this](const QString &title) {
        writeFile(file(u"alpha"_s), snippetFile({.identifier = u"alpha"_s, .title = title, .summary = u"First"_s,
                                                 .completionPrefix = u""_s, .extraXml = language(u"Swift"_s)}));
    };
    const std::tuple<const char *, std::function<void()>, QString, QString, QStringList> cases[] = {
        {"made here", [&] { run(u"disable alpha"_s); }, u"alpha"_s, u"current"_s, {}},
        {"body changed since",
         [&] {
             run(u"disable none"_s);
             fx.install(library([](auto &l) { named(l, u"none"_s).contents = u"new body"_s; }));
         },
         u"none"_s, u"stale"_s, {u"IDECodeSnippetContents"_s}},
        {"title changed since",
         [&] {
             run(u"enable alpha"_s);
             fx.install(library([](auto &l) { named(l, u"alpha"_s).title = u"Alpha 2"_s; }));
         },
         u"alpha"_s, u"stale"_s, {u"IDECodeSnippetTitle"_s}},
        {"snippet gone",
         [&] {
             run(u"disable alpha"_s);
             fx.install(library([](auto &l) { l.removeFirst(); }));
         },
         u"alpha"_s, u"orphaned"_s, {}},
        {"legacy", [&] { legacy(u"Alpha"_s); }, u"alpha"_s, u"unknown"_s, {}},
        {"legacy of another title", [&] { legacy(u"Old"_s); }, u"alpha"_s, u"stale"_s, {}},
        {"made in a newer Xcode",
         [&] {
             fx.writeInfo(u"6.0"_s);
             run(u"disable alpha"_s);
             fx.writeInfo(u"5.1"_s);
         },
         u"alpha"_s, u"newer"_s, {}},
    };
    for (const auto &[what, arrange, id, status, changed] : cases) {
        SCOPED_TRACE(what);
        emptyHome();
        fx.install(library());
        arrange();
        const Outcome text = run(u"status"_s);
        EXPECT_EQ(text.code, 0) << text.err.toStdString();
        EXPECT_EQ(text.out, id + u'\t' + status + u'\t' + file(id) + u'\n');
        EXPECT_EQ(QJsonDocument::fromJson(run(u"status --json"_s).out.toUtf8()).array(),
                  QJsonArray({QJsonObject{{u"identifier"_s, id},
                                          {u"status"_s, status},
                                          {u"file"_s, file(id)},
                                          {u"changed"_s, QJsonArray::fromStringList(changed)}}}));
        for (const QJsonValue row : QJsonDocument::fromJson(run(u"list --json"_s).out.toUtf8()).array()) {
            EXPECT_EQ(row[u"status"_s], row[u"identifier"_s] == id ? QJsonValue(status) : QJsonValue())
                << row[u"identifier"_s].toString().toStdString();
        }
        EXPECT_EQ(run(u"list --stale"_s).out.section(u'\t', 0, 0), status == u"stale"_s ? id : QString());
    }
}

// --stale narrows the other selections and counts as one for the commands that change snippets.
TEST_F(Cli, StaleIsASelectionLikeTheOthers)
{
    ASSERT_EQ(run(u"disable alpha none"_s).code, 0);
    ASSERT_EQ(run(u"enable blank"_s).code, 0);
    fx.install(library([](auto &l) {
        named(l, u"alpha"_s).contents = u"new"_s;
        named(l, u"none"_s).contents = u"new"_s;
    }));
    const std::pair<QString, QString> steps[] = {
        {u"list --stale"_s, u"alpha\tdisabled\t\tAlpha\tFirst\nnone\tdisabled\t\tNone\t\n"_s},
        {u"list --stale --language swift"_s, u"alpha\tdisabled\t\tAlpha\tFirst\n"_s},
        {u"list --stale --filter NON"_s, u"none\tdisabled\t\tNone\t\n"_s},
        {u"enable --stale --filter NON"_s, u"none enabled\n"_s},
        {u"rebase --stale --language swift"_s, u"alpha rebased\n"_s},
        {u"revert --stale"_s, u"none reverted\n"_s},
        {u"list --changed"_s, u"alpha\tdisabled\t\tAlpha\tFirst\nblank\toverride\t \tBlank\t\n"_s},
    };
    for (const auto &[command, out] : steps) {
        const Outcome outcome = run(command);
        EXPECT_EQ(outcome.code, 0) << command.toStdString() << outcome.err.toStdString();
        EXPECT_EQ(outcome.out, out) << command.toStdString();
    }
}

// Rebase makes an override again on the current system snippet: a body the user left alone is the
// new one, the user's edits are kept or merged in, and a clash writes nothing; --keep-mine and
// --take-standard choose a side. A shortcut switched off stays off; the system's is refreshed.
TEST_F(Cli, RebaseBringsOverridesOntoTheCurrentSnippet)
{
    const QString base = u"one\ntwo\nthree\n"_s;
    const auto body = [](const QString &text) { return [text](auto &l) { named(l, u"none"_s).contents = text; }; };
    const Edit clash = body(u"one\nTHEIRS\nthree\n"_s);
    const QString conflict = u"could not rebase the override of \"none\": conflict in the body"_s;
    struct Case
    {
        const char *what;
        QString made; // by the Xcode of madeIn, with mine on standard input
        QString mine;
        Edit since; // the library's change since
        QString command;
        int code;
        QString out;
        QString err;   // the line on standard error, if any
        QString after; // the status afterwards
        bool disabled;
        std::optional<QString> contents; // of a rebased override (none: the system's)
        QString madeIn = u"5.1"_s;
    };
    const Case cases[] = {
        {"body untouched", u"disable none"_s, {}, body(u"one\nTWO\nthree\n"_s), u"rebase none"_s, 0,
         u"none rebased\n"_s, {}, u"current"_s, true, std::nullopt},
        {"edited, body not changed since", u"set-contents none -"_s, u"mine\n"_s,
         [](auto &l) { named(l, u"none"_s).title = u"None 2"_s; }, u"rebase none"_s, 0, u"none rebased\n"_s, {},
         u"current"_s, false, u"mine\n"_s},
        {"both changed apart", u"set-contents none -"_s, u"ONE\ntwo\nthree\n"_s, body(u"one\ntwo\nTHREE\n"_s),
         u"rebase --stale"_s, 0, u"none rebased\n"_s, {}, u"current"_s, false, u"ONE\ntwo\nTHREE\n"_s},
        {"both changed one line", u"set-contents none -"_s, u"one\nMINE\nthree\n"_s, clash, u"rebase none"_s, 1, {},
         conflict, u"stale"_s, false, {}},
        {"both changed one line, in JSON", u"set-contents none -"_s, u"one\nMINE\nthree\n"_s, clash,
         u"rebase none --json"_s, 1,
         uR"([{"identifier": "none", "ok": false, "error": "conflict in the body"}])"_s, {}, u"stale"_s, false, {}},
        {"keep mine", u"set-contents none -"_s, u"one\nMINE\nthree\n"_s, clash, u"rebase none --keep-mine"_s, 0,
         u"none rebased\n"_s, {}, u"current"_s, false, u"one\nMINE\nthree\n"_s},
        {"take the standard", u"set-contents none -"_s, u"one\nMINE\nthree\n"_s, clash,
         u"rebase none --take-standard"_s, 0, u"none rebased\n"_s, {}, u"current"_s, false, std::nullopt},
        {"current", u"disable none"_s, {}, {}, u"rebase none"_s, 0, u"none is current\n"_s, {}, u"current"_s, true, {}},
        {"no override", {}, {}, {}, u"rebase none"_s, 0, u"none has no override\n"_s, {}, {}, false, {}},
        {"made in a newer Xcode", u"disable none"_s, {}, body(u"new\n"_s), u"rebase none"_s, 0,
         u"none was made in a newer Xcode\n"_s, {}, u"newer"_s, true, {}, u"6.0"_s},
        {"switched off", u"disable alpha"_s, {}, [](auto &l) { named(l, u"alpha"_s).completionPrefix = u"alp"_s; },
         u"rebase alpha"_s, 0, u"alpha rebased\n"_s, {}, u"current"_s, true, std::nullopt},
        {"the system's shortcut", u"enable alpha"_s, {},
         [](auto &l) { named(l, u"alpha"_s).completionPrefix = u"alp"_s; }, u"rebase alpha"_s, 0,
         u"alpha rebased\n"_s, {}, u"current"_s, false, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const MessageCapture log;
        emptyHome();
        fx.install(library(body(base)));
        fx.writeInfo(c.madeIn);
        if (!c.made.isEmpty()) {
            ASSERT_EQ(run(c.made, c.mine.toUtf8()).code, 0);
        }
        const QString id = c.made.isEmpty() ? u"none"_s : c.made.section(u' ', 1, 1);
        const QByteArray before = readFile(file(id));
        fx.install(library([&](auto &l) {
            body(base)(l);
            if (c.since)
                c.since(l);
        }));
        const Outcome outcome = run(c.command);
        EXPECT_EQ(outcome.code, c.code);
        if (c.command.contains(u"--json"_s))
            EXPECT_EQ(QJsonDocument::fromJson(outcome.out.toUtf8()), QJsonDocument::fromJson(c.out.toUtf8()));
        else
            EXPECT_EQ(outcome.out, c.out);
        EXPECT_EQ(outcome.err, c.err.isEmpty() ? QString() : u"glimmerpad-cli: "_s + c.err + u'\n');
        EXPECT_EQ(run(u"status"_s).out.section(u'\t', 1, 1), c.after);
        if (c.out.contains(u"rebased"_s))
            EXPECT_TRUE(exact(id, c.disabled, c.contents));
        else
            EXPECT_EQ(readFile(file(id)), before); // nothing written
    }
}

// revert --orphaned removes the overrides of snippets this Xcode no longer has, and only those:
// not the user's own snippets, nor an override made in a newer Xcode.
TEST_F(Cli, RevertOrphanedRemovesOnlyTheOverridesOfSnippetsGone)
{
    fx.install(library([](auto &l) { l.append({.identifier = u"gamma"_s, .title = u"Gamma"_s}); }));
    ASSERT_EQ(run(u"disable gamma alpha none"_s).code, 0);
    fx.writeInfo(u"6.0"_s);
    ASSERT_EQ(run(u"disable blank"_s).code, 0);
    fx.install(library([](auto &l) { l.removeIf([](const Snippet &s) { return s.identifier != u"none"_s; }); }));
    fx.writeUserFile(u"mine.codesnippet"_s, snippetFile({.identifier = u"mine"_s}));
    EXPECT_EQ(run(u"status"_s).out, u"alpha\torphaned\t%1\nblank\tnewer\t%2\ngamma\torphaned\t%3\nnone\tcurrent\t%4\n"_s
                                        .arg(file(u"alpha"_s), file(u"blank"_s), file(u"gamma"_s), file(u"none"_s)));

    const Outcome reverted = run(u"revert --orphaned"_s);
    EXPECT_EQ(reverted.code, 0) << reverted.err.toStdString();
    EXPECT_EQ(reverted.out, u"alpha reverted\ngamma reverted\n"_s);
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()),
              QStringList({u"blank.codesnippet"_s, u"mine.codesnippet"_s, u"none.codesnippet"_s}));
    EXPECT_EQ(folderEntries(fx.userFolder() + u"/.glimmerpad"_s),
              QStringList({u"blank.codesnippet"_s, u"none.codesnippet"_s}));
    EXPECT_EQ(run(u"revert --orphaned --json"_s).out.trimmed(), u"[\n]"_s);
}

TEST_F(Cli, DiffShowsWhatTheOverrideChangedInTheBody)
{
    const std::tuple<QString, QString> cases[] = {
        {{}, {}},                // no override
        {u"disable none"_s, {}}, // the same body
        {u"set-contents none"_s,
         u"--- system\n+++ override\n@@ -1 +1,2 @@\n-none body\n\\ No newline at end of file\n+new body\n+more\n"_s},
        {u"set-contents alpha"_s,
         u"--- system\n+++ override\n@@ -0,0 +1,2 @@\n+new body\n+more\n"_s}, // none before
    };
    for (const auto &[change, expected] : cases) {
        SCOPED_TRACE(change.toStdString());
        if (!change.isEmpty()) {
            ASSERT_EQ(run(change, "new body\nmore\n").code, 0);
        }
        const QString id = change.isEmpty() ? u"none"_s : change.section(u' ', 1);
        const Outcome outcome = run(u"diff "_s + id);
        EXPECT_EQ(outcome.code, 0);
        EXPECT_EQ(outcome.out, expected);
    }
    EXPECT_EQ(states({{u"none"_s, u"new body\nmore\n"_s}, {u"alpha"_s, u"new body\nmore\n"_s}}),
              QStringList({u"alpha:override"_s, u"blank:system"_s, u"none:disabled"_s}));
    expectOneErrorLine(run(u"diff nope"_s), 1);

    // A comparison that cannot be made fails with the reason, not as if nothing had changed.
    const MessageCapture log;
    setLineDiffLibrary(u"libgit2-missing.so.0"_s);
    const Outcome failed = run(u"diff none"_s);
    setLineDiffLibrary({});
    expectOneErrorLine(failed, 1);
    EXPECT_TRUE(failed.err.contains(u"cannot compare none: libgit2 cannot be used"_s)) << failed.err.toStdString();
}

// Export copies what governs each overridden system snippet, byte for byte and under the
// identifier's name; import makes the same overrides again from those files.
TEST_F(Cli, ExportAndImportCarryOverridesAcross)
{
    writeFile(fx.root() + u"/body"_s, "mine\n");
    ASSERT_EQ(run(u"set-contents alpha "_s + fx.root() + u"/body"_s).code, 0);
    ASSERT_EQ(run(u"disable none"_s).code, 0);
    const QString governing = fx.userFolder() + u"/other.codesnippet"_s; // any name governs
    ASSERT_TRUE(QFile::rename(file(u"none"_s), governing));
    writeFile(file(u"stray"_s), snippetFile({.identifier = u"stray"_s})); // a snippet of the user's own

    const QString out = fx.root() + u"/out/new"_s;
    const Outcome exported = run(u"export "_s + out);
    EXPECT_EQ(exported.code, 0) << exported.err.toStdString();
    EXPECT_EQ(exported.out, u"exported 2 overrides to "_s + out + u'\n');
    EXPECT_EQ(folderEntries(out), QStringList({u".glimmerpad"_s, u"alpha.codesnippet"_s, u"none.codesnippet"_s}));
    EXPECT_EQ(readFile(out + u"/alpha.codesnippet"_s), readFile(file(u"alpha"_s)));
    EXPECT_EQ(readFile(out + u"/none.codesnippet"_s), readFile(governing));

    // Into a folder with snippet files, or onto a file: refused whole, nothing written.
    const QStringList before = treeSnapshot(fx.root());
    for (const QString &target : QStringList{out, out + u"/alpha.codesnippet"_s}) {
        const Outcome refused = run(u"export "_s + target);
        expectOneErrorLine(refused, 1);
        EXPECT_TRUE(refused.err.contains(target)) << refused.err.toStdString();
        EXPECT_EQ(refused.out, QString());
    }
    EXPECT_EQ(treeSnapshot(fx.root()), before);

    ASSERT_EQ(run(u"revert --changed"_s).code, 0);
    EXPECT_EQ(states(), QStringList({u"alpha:system"_s, u"blank:system"_s, u"none:system"_s}));
    const Outcome imported = run(u"import "_s + out);
    EXPECT_EQ(imported.code, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, u"imported 2 overrides\n"_s);
    EXPECT_EQ(states({{u"alpha"_s, u"mine\n"_s}}),
              QStringList({u"alpha:override"_s, u"blank:system"_s, u"none:disabled"_s}));
}

// Export carries what each override was made from, and the overrides of snippets this Xcode no
// longer has; import rebases them onto the importing Xcode's snippets: a switched-off override lands
// with the new body, an edited one is merged, a clash is skipped. Without what they were made from,
// the files are taken as they are.
TEST_F(Cli, ExportAndImportCarryWhatOverridesWereMadeFrom)
{
    const Edit older = [](auto &l) {
        named(l, u"alpha"_s).contents = u"a1\na2\na3\n"_s;
        named(l, u"none"_s).contents = u"one\ntwo\nthree\n"_s;
    };
    fx.install(library([&](auto &l) {
        older(l);
        l.append({.identifier = u"gamma"_s, .title = u"Gamma"_s});
    }));
    ASSERT_EQ(run(u"disable gamma none"_s).code, 0);
    ASSERT_EQ(run(u"set-contents alpha -"_s, "A1\na2\na3\n").code, 0);
    fx.install(library(older)); // gamma's override is orphaned now
    fx.writeUserFile(u"mine.codesnippet"_s, snippetFile({.identifier = u"mine"_s}));
    const QString out = fx.root() + u"/out"_s, plain = fx.root() + u"/plain"_s;
    EXPECT_EQ(run(u"export "_s + out).out, u"exported 3 overrides to "_s + out + u'\n');
    const QStringList names{u"alpha.codesnippet"_s, u"gamma.codesnippet"_s, u"none.codesnippet"_s};
    EXPECT_EQ(folderEntries(out), QStringList{u".glimmerpad"_s} + names);
    for (const QString &name : names) {
        EXPECT_EQ(readFile(out + u'/' + name), readFile(fx.userFolder() + u'/' + name));
        EXPECT_EQ(readFile(out + u"/.glimmerpad/"_s + name), readFile(fx.userFolder() + u"/.glimmerpad/"_s + name));
        writeFile(plain + u'/' + name, readFile(out + u'/' + name));
    }
    // Never into a folder whose .glimmerpad holds snippet files; never from a .glimmerpad folder.
    writeFile(fx.root() + u"/used/.glimmerpad/x.codesnippet"_s, "");
    expectOneErrorLine(run(u"export "_s + fx.root() + u"/used"_s), 1);
    const Outcome standards = run(u"import "_s + out + u"/.glimmerpad/ "_s + out + u"/.glimmerpad/none.codesnippet"_s);
    EXPECT_EQ(standards.code, 1);
    EXPECT_EQ(standards.out, u"imported 0 overrides\n"_s);
    EXPECT_EQ(standards.err.count(u"holds what overrides were made from, not overrides\n"_s), 2);

    const Edit newer = [](auto &l) {
        named(l, u"alpha"_s).contents = u"a1\na2\nA3\n"_s;
        named(l, u"none"_s).contents = u"one\nTWO\nthree\n"_s;
        l.append({.identifier = u"gamma"_s, .title = u"Gamma 2"_s});
    };
    const QString merged = u"A1\na2\nA3\n"_s;
    const std::tuple<const char *, Edit, bool, QString, QString, QString, QHash<QString, QString>> cases[] = {
        {"over the overrides made, stale now", newer, true, out, {}, u"override system disabled disabled"_s,
         {{u"alpha"_s, merged}}},
        {"into another home", newer, false, out, {}, u"override system disabled disabled"_s, {{u"alpha"_s, merged}}},
        {"a clash",
         [&](auto &l) {
             newer(l);
             named(l, u"alpha"_s).contents = u"X1\na2\na3\n"_s;
         },
         false, out,
         u"skipped "_s + out + u"/alpha.codesnippet: conflict in the body"_s, u"system system disabled disabled"_s, {}},
        {"without what they were made from", newer, false, plain, u"gamma.codesnippet without IDECodeSnippetTitle"_s,
         u"override system disabled disabled"_s,
         {{u"alpha"_s, u"A1\na2\na3\n"_s}, {u"none"_s, u"one\ntwo\nthree\n"_s}}},
    };
    for (const auto &[what, since, keepHome, from, error, states, contents] : cases) {
        SCOPED_TRACE(what);
        if (!keepHome)
            emptyHome();
        fx.install(library(since));
        const Outcome imported = run(u"import "_s + from);
        EXPECT_EQ(imported.code, error.contains(u"skipped"_s) ? 1 : 0);
        EXPECT_TRUE(error.isEmpty() ? imported.err.isEmpty() : imported.err.contains(error))
            << imported.err.toStdString();
        const QStringList ids{u"alpha"_s, u"blank"_s, u"gamma"_s, u"none"_s};
        QStringList expected;
        for (const QString &state : states.split(u' '))
            expected.append(ids.at(expected.size()) + u':' + state);
        EXPECT_EQ(this->states(contents), expected);
        for (const QString &line : run(u"status"_s).out.split(u'\n', Qt::SkipEmptyParts))
            EXPECT_EQ(line.section(u'\t', 1, 1), u"current"_s) << line.toStdString();
    }
}

// Import makes the override a user would make by hand from each file it can, and names every
// other file with the reason.
// Import makes what it can, says what it did not carry, skips the rest with the reason, takes the
// first file for a snippet, and puts an override it replaces in the trash first.
TEST_F(Cli, ImportSkipsWhatItCannotUseAndSaysWhy)
{
    const QString in = fx.root() + u"/in"_s, empty = fx.root() + u"/empty"_s,
                  missing = fx.root() + u"/missing"_s;
    QDir().mkpath(empty);
    writeFile(in + u"/1.codesnippet"_s, snippetFile({.identifier = u"blank"_s,
                                                     .title = u"Renamed"_s,
                                                     .completionPrefix = u""_s,
                                                     .contents = u"imported\r\nbody"_s}));
    writeFile(in + u"/2.codesnippet"_s, snippetFile({.identifier = u"none"_s, .completionPrefix = u"xyz"_s}));
    writeFile(in + u"/3.codesnippet"_s, "not a property list");
    writeFile(in + u"/4.codesnippet"_s, snippetFile({.title = u"Anonymous"_s}));
    writeFile(in + u"/5.codesnippet"_s, snippetFile({.identifier = u"stray"_s}));
    writeFile(in + u"/6.codesnippet"_s,
              snippetFile({.identifier = u"alpha"_s,
                           .extraXml = u"<key>IDECodeSnippetContents</key><integer>3</integer>"_s}));
    writeFile(in + u"/7.codesnippet"_s, snippetFile({.identifier = u"alpha"_s, .contents = u"form\ffeed"_s}));
    writeFile(in + u"/8.codesnippet"_s, snippetFile({.identifier = u"alpha"_s, .contents = u"caf\u00E9"_s})
                                            .replace("UTF-8", "windows-1252")
                                            .replace("caf\xC3\xA9", "caf\xE9"));
    writeFile(in + u"/9.codesnippet"_s, snippetFile({.identifier = u"blank"_s, .contents = u"second"_s}));
    writeFile(in + u"/notes.txt"_s, "not read: only .codesnippet files of a folder are");
    // A name that is not UTF-8, holding a body in ISO-8859-1: read, decoded as declared.
    const QByteArray latin1Name = QFile::encodeName(in) + "/caf\xE9.codesnippet";
    const QByteArray latin1Body = snippetFile({.identifier = u"alpha"_s, .contents = u"caf\u00E9"_s})
                                      .replace("UTF-8", "ISO-8859-1")
                                      .replace("caf\xC3\xA9", "caf\xE9");
    std::FILE *latin1 = std::fopen(latin1Name.constData(), "wb");
    ASSERT_NE(latin1, nullptr);
    std::fwrite(latin1Body.constData(), 1, static_cast<std::size_t>(latin1Body.size()), latin1);
    std::fclose(latin1);
    ASSERT_EQ(run(u"disable alpha"_s).code, 0); // replaced by the import: to the trash first
    const QByteArray replaced = readFile(file(u"alpha"_s));

    const Outcome outcome = run(u"import "_s + in + u' ' + missing + u' ' + empty);
    EXPECT_EQ(outcome.code, 1);
    EXPECT_EQ(outcome.out, u"imported 3 overrides\n"_s);
    const std::pair<QString, QString> said[] = {
        {u"imported "_s + in + u"/1.codesnippet without "_s, u"IDECodeSnippetTitle ("_s},
        {u"imported "_s + in + u"/2.codesnippet without "_s, u"IDECodeSnippetCompletionPrefix ("_s},
        {u"skipped "_s + in + u"/3.codesnippet: "_s, u"not a snippet file"_s},
        {u"skipped "_s + in + u"/4.codesnippet: "_s, u"the snippet carries no identifier"_s},
        {u"skipped "_s + in + u"/5.codesnippet: "_s, u"no system snippet has the identifier \"stray\""_s},
        {u"skipped "_s + in + u"/6.codesnippet: "_s, u"the snippet's contents are not text"_s},
        {u"skipped "_s + in + u"/7.codesnippet: "_s, u"FORM FEED"_s},
        {u"skipped "_s + in + u"/8.codesnippet: "_s, u"declares the encoding windows-1252, which Glimmerpad does not read"_s},
        {u"skipped "_s + in + u"/9.codesnippet: "_s, u"another file for this snippet was imported: "_s + in + u"/1.codesnippet"_s},
        {u"skipped "_s + missing + u": "_s, u"cannot be read"_s},
        {u"skipped "_s + empty + u": "_s, u"the folder holds no .codesnippet file"_s},
    };
    const QStringList lines = outcome.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), std::size(said)) << outcome.err.toStdString();
    for (std::size_t i = 0; i < std::size(said); ++i) {
        const QString prefix = u"glimmerpad-cli: "_s + said[i].first;
        EXPECT_TRUE(lines[i].startsWith(prefix) && lines[i].contains(said[i].second)) << lines[i].toStdString();
    }
    EXPECT_EQ(states({{u"blank"_s, u"imported\r\nbody"_s}, {u"alpha"_s, u"caf\u00E9"_s}}),
              QStringList({u"alpha:override"_s, u"blank:disabled"_s, u"none:override"_s}));
    EXPECT_EQ(readFile(fx.home() + u"/.local/share/Trash/files/alpha.codesnippet"_s), replaced);

    // The name that is not UTF-8 is shown with its byte, in JSON too.
    writeFile(in + u"/9.codesnippet"_s, "damaged");
    const QJsonArray json = QJsonDocument::fromJson(run(u"import --json "_s + in).out.toUtf8()).array();
    QStringList files;
    for (const QJsonValue &result : json)
        files.append(result[u"file"_s].toString().section(u'/', -1));
    EXPECT_TRUE(files.contains(u"caf\\xE9.codesnippet"_s)) << files.join(u' ').toStdString();
    EXPECT_EQ(json.first()[u"notCarried"_s].toArray(), QJsonArray{u"IDECodeSnippetTitle"_s});
    // An empty selection would select everything: a usage error.
    for (const QString &option : {u"--filter"_s, u"--language"_s}) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QBuffer none;
        none.open(QIODevice::ReadOnly);
        EXPECT_EQ(Glimmerpad::Cli::run({u"glimmerpad-cli"_s, u"--xcode"_s, fx.xcodePath(), u"--home"_s, fx.home(),
                                        u"list"_s, option, QString()},
                                       outStream, errStream, none),
                  2);
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
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList{u"none.codesnippet"_s});
    EXPECT_EQ(run(u"revert alpha"_s).out, u"alpha has no override\n"_s);
}

// With --home, a reverted override goes to that home's trash, not to the trash of whoever runs it.
TEST_F(Cli, RevertMovesTheOverrideToTheTrashOfTheHomeGiven)
{
    ASSERT_EQ(run(u"disable alpha"_s).code, 0);
    const QByteArray written = readFile(file(u"alpha"_s));
    const Outcome reverted = run(u"revert alpha"_s);
    EXPECT_EQ(reverted.code, 0) << reverted.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(file(u"alpha"_s)));
    const QString trash = fx.home() + u"/.local/share/Trash"_s;
    // The override, and beside it what it was made from.
    EXPECT_EQ(folderEntries(trash + u"/files"_s), QStringList({u"alpha.2.codesnippet"_s, u"alpha.codesnippet"_s}));
    EXPECT_EQ(readFile(trash + u"/files/alpha.codesnippet"_s), written);
    EXPECT_FALSE(QFileInfo::exists(fx.userFolder() + u"/.glimmerpad/alpha.codesnippet"_s));
    const QList<QByteArray> record = readFile(trash + u"/info/alpha.codesnippet.trashinfo"_s).split('\n');
    ASSERT_GE(record.size(), 2);
    EXPECT_EQ(QByteArray::fromPercentEncoding(record[1]), "Path=" + QFile::encodeName(file(u"alpha"_s)));
    EXPECT_FALSE(QFileInfo::exists(QDir::homePath() + u"/.local/share/Trash"_s));
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
    EXPECT_TRUE(snippetFolderEntries(fx.userFolder()).isEmpty());
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
            "\"$2\" --xcode \"$3\" --home \"$4\" disable alpha >/dev/null || exit 98\n"
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
                  ".glimmerpad\nalpha.codesnippet\n"); // no leftovers
    }
}

TEST_F(Cli, RefusedInstallationsAndUsageErrorsTouchNothing)
{
    expectOneErrorLine(run(u"info"_s, {}, fx.root() + u"/Nowhere.app"_s), 1);
    fx.writeInfo(u"4.2"_s);
    expectOneErrorLine(run(u"list"_s), 1);
    for (const QString &command :
         {u""_s, u"frob"_s, u"show"_s, u"disable"_s, u"revert alpha --changed"_s, u"enable --json"_s,
          u"set-contents alpha a b"_s, u"info extra"_s, u"--json show alpha"_s, u"--filter x info"_s,
          u"--changed diff alpha"_s, u"--language C import x"_s, u"--json export x"_s, u"export"_s,
          u"export a b"_s, u"import"_s, u"diff alpha beta"_s, u"--bogus info"_s, u"status x"_s,
          u"status --stale"_s, u"revert alpha --stale"_s, u"rebase"_s, u"revert --orphaned alpha"_s,
          u"revert --orphaned --changed"_s, u"disable --orphaned"_s, u"rebase --changed --keep-mine --take-standard"_s,
          u"enable alpha --keep-mine"_s, u"list --take-standard"_s, u"set-shortcut alpha"_s,
          u"set-shortcut alpha a b"_s, u"--json set-shortcut alpha a"_s, u"disable alpha --clashes"_s}) {
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
    const Outcome several = runBinary(u"disable alpha nope"_s, {});
    EXPECT_EQ(several.code, 1);
    EXPECT_EQ(several.out, u"alpha disabled\n"_s);
    EXPECT_TRUE(exact(u"alpha"_s, true, std::nullopt));
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
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList({u"alpha-2.codesnippet"_s, u"alpha.codesnippet"_s}));
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
// What stands in the lock file's place is judged at once, as a whole command: a folder refused
// with its path (every snippet says so, exit 1), a dangling link or a lock of an ended program taken
// over.
TEST_F(Cli, TheLockIsJudgedAtOnceByWhatStandsInItsPlace)
{
    const QString lock = fx.userFolder() + u"/.glimmerpad.lock"_s;
    const std::tuple<const char *, std::function<void()>, int> cases[] = {
        {"a folder", [&] { QDir().mkpath(lock); }, 1},
        {"a dangling link", [&] { QFile::link(fx.root() + u"/nowhere"_s, lock); }, 0},
        {"an ended program's lock", [&] { writeFile(lock, "999999999\nglimmerpad-cli\n" + QSysInfo::machineHostName().toUtf8() + '\n'); }, 0},
    };
    for (const auto &[what, place, code] : cases) {
        SCOPED_TRACE(what);
        QDir(fx.home()).removeRecursively();
        QDir().mkpath(fx.userFolder());
        place();
        const Outcome outcome = run(u"disable alpha blank"_s);
        EXPECT_EQ(outcome.code, code) << outcome.err.toStdString();
        if (code != 0) {
            EXPECT_EQ(outcome.err.count(lock + u" is a folder, not a lock file; remove it"_s), 2) << outcome.err.toStdString();
            EXPECT_EQ(states(), QStringList({u"alpha:system"_s, u"blank:system"_s, u"none:system"_s}));
        } else {
            EXPECT_EQ(states(), QStringList({u"alpha:disabled"_s, u"blank:disabled"_s, u"none:system"_s}));
            EXPECT_FALSE(QFileInfo::exists(lock));
        }
    }
}

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
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList{u"alpha.codesnippet"_s});
}

// ---- shortcuts ------------------------------------------------------------------------------

QString scopes(const QStringList &names)
{
    QString xml = u"<key>IDECodeSnippetCompletionScopes</key><array>"_s;
    for (const QString &name : names)
        xml += u"<string>"_s + name + u"</string>"_s;
    return xml + u"</array>"_s;
}

// The search finds a snippet by its shortcut, the system's or the one shown, and --body by the
// body it shows; both fold as titles do and narrow the other selections.
TEST_F(Cli, SearchFindsShortcutsAndShownBodies)
{
    fx.install(library([](QList<Snippet> &snippets) { named(snippets, u"blank"_s).completionPrefix = u"bx"_s; }));
    ASSERT_EQ(run(u"set-shortcut none Énum"_s).code, 0);
    ASSERT_EQ(run(u"set-contents alpha"_s, "let ÉTÉ = 1\n").code, 0);
    const std::pair<QString, QStringList> cases[] = {
        {u"list --filter BX"_s, {u"blank"_s}},            // the system's shortcut
        {u"list --filter enum"_s, {u"none"_s}},           // the shortcut the override answers, folded
        {u"list --filter nON"_s, {u"none"_s}},            // the title, as before
        {u"list --body ete"_s, {u"alpha"_s}},             // the override's body, folded
        {u"list --body none"_s, {u"none"_s}},             // the system's body where it is shown
        {u"list --body body --filter alpha"_s, {}},       // both must hold
        {u"list --body body --changed"_s, {u"none"_s}},
    };
    for (const auto &[command, ids] : cases) {
        SCOPED_TRACE(command.toStdString());
        const Outcome outcome = run(command);
        EXPECT_EQ(outcome.code, 0);
        QStringList found;
        for (const QString &line : outcome.out.split(u'\n', Qt::SkipEmptyParts))
            found.append(line.section(u'\t', 0, 0));
        EXPECT_EQ(found, ids);
    }
    expectOneErrorLine(run(u"list --body"_s), 2);
}

// set-shortcut writes the shortcut with the body as shown (turning a switched-off snippet on) and
// refuses, touching nothing, what cannot be a shortcut.
TEST_F(Cli, SetShortcutWritesItOrSaysWhyNot)
{
    ASSERT_EQ(run(u"set-contents none"_s, "mine\n").code, 0);
    ASSERT_EQ(run(u"disable none"_s).code, 0);
    const auto setShortcut = [this](const QString &id, const QString &shortcut) {
        Outcome result;
        QTextStream out(&result.out), err(&result.err);
        QBuffer in;
        in.open(QIODevice::ReadOnly);
        result.code = Glimmerpad::Cli::run({u"glimmerpad-cli"_s, u"--xcode"_s, fx.xcodePath(), u"--home"_s, fx.home(),
                                            u"set-shortcut"_s, id, shortcut},
                                           out, err, in);
        err.flush();
        return result;
    };
    ASSERT_EQ(setShortcut(u"none"_s, u"nö"_s).code, 0);
    EXPECT_EQ(written(u"none"_s).completionPrefix(), u"nö"_s);
    EXPECT_EQ(written(u"none"_s).contents(), u"mine\n"_s);
    const QByteArray before = readFile(file(u"none"_s));
    const std::pair<QString, QString> refused[] = {
        {u""_s, u"cannot be empty"_s},
        {u"a b"_s, u"spaces or control characters"_s},
        {u"a\tb"_s, u"spaces or control characters"_s},
        {u"a\u0007"_s, u"spaces or control characters"_s},
    };
    for (const auto &[shortcut, reason] : refused) {
        SCOPED_TRACE(shortcut.toStdString());
        const Outcome outcome = setShortcut(u"none"_s, shortcut);
        expectOneErrorLine(outcome, 1);
        EXPECT_TRUE(outcome.err.contains(reason)) << outcome.err.toStdString();
    }
    expectOneErrorLine(setShortcut(u"nosuch"_s, u"x"_s), 1);
    EXPECT_EQ(readFile(file(u"none"_s)), before);

    // A body saved later keeps the user's shortcut; switching off gives it up, and on again brings
    // the standard's back.
    ASSERT_EQ(run(u"set-contents none"_s, "again\n").code, 0);
    EXPECT_EQ(written(u"none"_s).completionPrefix(), u"nö"_s);
    const Outcome off = run(u"disable none"_s); // says what it gives up
    EXPECT_EQ(off.code, 0);
    EXPECT_TRUE(off.err.contains(u"gave up its own shortcut \"nö\""_s)) << off.err.toStdString();
    EXPECT_FALSE(run(u"disable none"_s).err.contains(u"gave up"_s));
    ASSERT_EQ(run(u"enable none"_s).code, 0);
    EXPECT_EQ(written(u"none"_s).completionPrefix(), std::nullopt);
}

// Which snippets clash: both on, the same shortcut and language, scopes that meet ("All" meets
// every one), as shown (an override's shortcut and state), the user's own snippets included.
TEST_F(Cli, ClashesFollowShortcutLanguageAndScopes)
{
    struct Case
    {
        const char *name;
        QList<Snippet> library;
        QString commands; // run first, ";"-separated
        QByteArray ownFile;
        QMap<QString, QStringList> clashes;
    };
    const auto snippet = [](const QString &id, const QString &prefix, const QString &extra = language(u"Swift"_s)) {
        return Snippet{.identifier = id, .title = id.toUpper(), .completionPrefix = prefix, .extraXml = extra};
    };
    const QString swift = language(u"Swift"_s);
    const QList<Case> cases = {
        {"same shortcut and language", {snippet(u"a"_s, u"go"_s), snippet(u"b"_s, u"go"_s)}, {}, {},
         {{u"a"_s, {u"b"_s}}, {u"b"_s, {u"a"_s}}}},
        {"another language", {snippet(u"a"_s, u"go"_s), snippet(u"b"_s, u"go"_s, language(u"C"_s))}, {}, {}, {}},
        {"scopes apart",
         {snippet(u"a"_s, u"go"_s, swift + scopes({u"CodeBlock"_s})),
          snippet(u"b"_s, u"go"_s, swift + scopes({u"TopLevel"_s, u"StringOrComment"_s}))},
         {}, {}, {}},
        {"scopes meeting",
         {snippet(u"a"_s, u"go"_s, swift + scopes({u"CodeBlock"_s, u"TopLevel"_s})),
          snippet(u"b"_s, u"go"_s, swift + scopes({u"TopLevel"_s}))},
         {}, {}, {{u"a"_s, {u"b"_s}}, {u"b"_s, {u"a"_s}}}},
        {"All meets every scope",
         {snippet(u"a"_s, u"go"_s, swift + scopes({u"All"_s})), snippet(u"b"_s, u"go"_s, swift + scopes({u"TopLevel"_s})),
          snippet(u"c"_s, u"go"_s, swift + scopes({u"CodeBlock"_s}))},
         {}, {}, {{u"a"_s, {u"b"_s, u"c"_s}}, {u"b"_s, {u"a"_s}}, {u"c"_s, {u"a"_s}}}},
        {"one switched off", {snippet(u"a"_s, u"go"_s), snippet(u"b"_s, u"go"_s)}, u"disable b"_s, {}, {}},
        {"an override's own shortcut",
         {snippet(u"a"_s, u"go"_s), snippet(u"b"_s, u"run"_s), snippet(u"c"_s, u"go"_s)}, u"set-shortcut c do;set-shortcut b go"_s,
         {}, {{u"a"_s, {u"b"_s}}, {u"b"_s, {u"a"_s}}}},
        {"a user's own snippet", {snippet(u"a"_s, u"go"_s), snippet(u"b"_s, u"run"_s)}, {},
         snippetFile(snippet(u"mine"_s, u"go"_s)), {{u"a"_s, {u"mine"_s}}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(fx.userFolder()).removeRecursively();
        fx.install(c.library);
        if (!c.ownFile.isEmpty())
            fx.writeUserFile(u"mine.codesnippet"_s, c.ownFile);
        for (const QString &command : c.commands.split(u';', Qt::SkipEmptyParts))
            ASSERT_EQ(run(command).code, 0) << command.toStdString();
        const Outcome outcome = run(u"list --clashes --json"_s);
        ASSERT_EQ(outcome.code, 0);
        QMap<QString, QStringList> clashes;
        for (const QJsonValue &row : QJsonDocument::fromJson(outcome.out.toUtf8()).array()) {
            QStringList others;
            for (const QJsonValue &other : row[u"clashesWith"_s].toArray())
                others.append(other.toString());
            clashes.insert(row[u"identifier"_s].toString(), others);
        }
        EXPECT_EQ(clashes, c.clashes);
    }
    // The other selections narrow the rows; the clashes are the whole catalogue's.
    EXPECT_EQ(run(u"list --clashes --filter A"_s).out.section(u'\t', 0, 0), u"a"_s);
}

} // namespace
