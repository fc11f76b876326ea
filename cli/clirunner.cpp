#include "cli/clirunner.h"

#include "catalogue/limits.h"
#include "catalogue/linediff.h"
#include "catalogue/overridetransfer.h"
#include "catalogue/paths.h"
#include "catalogue/snippetcatalogue.h"
#include "catalogue/snippetlanguage.h"
#include "catalogue/xcodeinstallation.h"
#include "platform/folders.h"
#include "platform/trash.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringDecoder>

#include <limits>
#include <variant>

namespace Glimmerpad::Cli {

namespace {

const QString kProgram = QStringLiteral("glimmerpad-cli");

struct Context
{
    QTextStream &out;
    QTextStream &err;
    QIODevice &input;

    int fail(const QString &message, int code = Failure)
    {
        err << kProgram << ": " << message << Qt::endl;
        return code;
    }
};

QString stateName(const SnippetState &state)
{
    if (!state.overridden)
        return QStringLiteral("system");
    return state.disabled ? QStringLiteral("disabled") : QStringLiteral("override");
}

QJsonValue jsonString(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// One line per row: tabs and line breaks inside a field would break the columns.
QString cell(const std::optional<QString> &value)
{
    QString text = value.value_or(QString());
    for (QChar &c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text;
}

// Reads at most limit + 1 bytes, so that a larger input shows without being read whole
// (/dev/zero would otherwise fill the memory).
QByteArray readBounded(QIODevice &device, qint64 limit)
{
    QByteArray bytes;
    while (bytes.size() <= limit) {
        const QByteArray chunk = device.read(limit + 1 - bytes.size());
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    return bytes;
}

// Reads the new contents from a file or standard input; refuses text that is not UTF-8,
// since decoding it with replacement characters would change the snippet behind the user's back.
std::optional<QString> readContents(Context &cx, const QString &source)
{
    const bool standardInput = source.isEmpty() || source == QLatin1StringView("-");
    const QString name = standardInput ? QStringLiteral("standard input") : source;
    QByteArray bytes;
    if (standardInput) {
        bytes = readBounded(cx.input, Limits::kMaxUserSnippetFileBytes);
    } else {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly)) {
            cx.fail(QStringLiteral("cannot read %1: %2").arg(source, file.errorString()));
            return std::nullopt;
        }
        bytes = readBounded(file, Limits::kMaxUserSnippetFileBytes);
    }
    if (bytes.size() > Limits::kMaxUserSnippetFileBytes) {
        cx.fail(QStringLiteral("%1 is larger than the %2 MiB a snippet file may hold")
                    .arg(name)
                    .arg(Limits::kMaxUserSnippetFileBytes / (1024 * 1024)));
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) {
        cx.fail(QStringLiteral("%1 is not UTF-8 text").arg(name));
        return std::nullopt;
    }
    return text;
}

enum class Change
{
    Disable,
    Enable,
    Revert,
    Rebase,
};

SnippetChange changeOf(Change change, const SnippetRecord &system, Rebase::Mode mode)
{
    switch (change) {
    case Change::Revert:
        return SnippetChange::revert(system);
    case Change::Rebase:
        return SnippetChange::rebase(system, mode);
    case Change::Disable:
    case Change::Enable:
        break;
    }
    // Switching keeps each body as it is on disk when the change is made.
    return SnippetChange::switchShortcut(system, change == Change::Disable);
}

QString noSuchSnippet(const QString &identifier)
{
    return QStringLiteral("no system snippet has the identifier \"%1\"").arg(identifier);
}

QString failureMessage(const char *verb, const QString &identifier, const QString &reason)
{
    return QStringLiteral("could not %1 the override of \"%2\": %3")
        .arg(QLatin1StringView(verb), identifier, reason);
}

// What a change says: the verb of a failure and the word for each snippet done.
struct ChangeWords
{
    const char *verb;
    const char *done;
};

ChangeWords wordsOf(Change change)
{
    switch (change) {
    case Change::Disable:
        return {"write", "disabled"};
    case Change::Enable:
        return {"write", "enabled"};
    case Change::Revert:
        return {"remove", "reverted"};
    case Change::Rebase:
        return {"rebase", "rebased"};
    }
    return {"change", "changed"};
}

// Why no system snippet answers to the language asked for, naming those there are; empty when one does.
QString languageProblem(const SnippetCatalogue &catalogue, const QString &language)
{
    if (language.isEmpty())
        return {};
    for (const SnippetRecord &system : catalogue.systemCodeSnippets()) {
        if (SnippetLanguage::matches(system.string(SnippetKey::Language).value_or(QString()), language))
            return {};
    }
    const QStringList known = catalogue.systemLanguages();
    return QStringLiteral("no system snippet is in the language \"%1\" (%2)")
        .arg(language, known.isEmpty() ? QStringLiteral("none names a language")
                                       : QStringLiteral("there are: ") + known.join(QStringLiteral(", ")));
}

// One command line, checked against its command's shape.
struct Invocation
{
    QString command;
    QStringList args;
    QString xcodePath;
    QString home;
    bool homeGiven = false; // by --home, rather than the session's
    bool json = false;
    SnippetFilter filter;
    bool selected = false;     // any of the selection's options given
    double xcodeVersion = 0.0; // once the installation has passed the gate
    bool orphaned = false;     // revert: the overrides of snippets this Xcode no longer has
    Rebase::Mode rebaseMode = Rebase::Mode::Merge;
};

int info(Context &cx, SnippetCatalogue &catalogue, const Invocation &in)
{
    const QString folder = catalogue.userCodeSnippetsDirectory();
    const auto systemCount = catalogue.systemCodeSnippets().size();
    const auto userCount = catalogue.userCodeSnippets().size();
    const auto customCount = static_cast<qint64>(catalogue.customSnippetCount());
    if (in.json) {
        const QJsonObject object{
            {QStringLiteral("xcode"), in.xcodePath},
            {QStringLiteral("version"), in.xcodeVersion},
            {QStringLiteral("library"), catalogue.systemCodeSnippetsPath()},
            {QStringLiteral("userFolder"), folder},
            {QStringLiteral("systemSnippets"), systemCount},
            {QStringLiteral("userSnippets"), userCount},
            {QStringLiteral("customSnippets"), customCount},
        };
        cx.out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
        return Success;
    }
    cx.out << "Xcode:            " << in.xcodePath << '\n'
           << "Version:          " << QString::number(static_cast<float>(in.xcodeVersion)) << '\n'
           << "Library:          " << catalogue.systemCodeSnippetsPath() << '\n'
           << "User folder:      " << folder << '\n'
           << "System snippets:  " << systemCount << '\n'
           << "User snippets:    " << userCount << '\n'
           << "Custom snippets:  " << customCount << Qt::endl;
    return Success;
}

// How the snippet's override stands; null when it has none.
QJsonValue statusOf(const SnippetCatalogue &catalogue, const SnippetRecord &system)
{
    const std::optional<OverrideReport> report = catalogue.reportOf(system);
    return report ? QJsonValue(statusName(report->status)) : QJsonValue(QJsonValue::Null);
}

int list(Context &cx, SnippetCatalogue &catalogue, const Invocation &in)
{
    catalogue.filterSystemCodeSnippets(in.filter);
    QJsonArray rows;
    for (const SnippetRecord &system : catalogue.filteredSystemCodeSnippets()) {
        const SnippetState snippet = catalogue.stateOf(system);
        const SnippetRecord &shown = snippet.shown;
        const QString state = stateName(snippet);
        if (in.json) {
            QJsonObject row{
                {QStringLiteral("identifier"), jsonString(system.identifier())},
                {QStringLiteral("title"), jsonString(shown.title())},
                {QStringLiteral("summary"), jsonString(system.summary())},
                {QStringLiteral("completionPrefix"), jsonString(shown.completionPrefix())},
                {QStringLiteral("state"), state},
                {QStringLiteral("status"), statusOf(catalogue, system)},
            };
            if (in.filter.clashesOnly) {
                QStringList others;
                for (const SnippetRecord &other : catalogue.clashingSnippets(system))
                    others.append(other.identifier().value_or(QString()));
                others.sort();
                row.insert(QStringLiteral("clashesWith"), QJsonArray::fromStringList(others));
            }
            rows.append(row);
        } else {
            cx.out << cell(system.identifier()) << '\t' << state << '\t' << cell(shown.completionPrefix())
                   << '\t' << cell(shown.title()) << '\t' << cell(system.summary()) << '\n';
        }
    }
    if (in.json)
        cx.out << QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Indented));
    cx.out.flush();
    return Success;
}

int status(Context &cx, SnippetCatalogue &catalogue, const Invocation &in)
{
    QJsonArray rows;
    for (const OverrideReport &report : catalogue.overrideReports()) {
        const QString file = displayFileName(report.file.path);
        if (in.json) {
            rows.append(QJsonObject{
                {QStringLiteral("identifier"), report.identifier},
                {QStringLiteral("status"), statusName(report.status)},
                {QStringLiteral("file"), file},
                {QStringLiteral("changed"), QJsonArray::fromStringList(report.changed)},
            });
        } else {
            cx.out << cell(report.identifier) << '\t' << statusName(report.status) << '\t' << cell(file)
                   << '\n';
        }
    }
    if (in.json)
        cx.out << QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Indented));
    cx.out.flush();
    return Success;
}

int show(Context &cx, SnippetCatalogue &catalogue, const Invocation &in)
{
    const QString &identifier = in.args.first();
    const SnippetRecord system = catalogue.systemCodeSnippet(identifier);
    if (system.isNull())
        return cx.fail(noSuchSnippet(identifier));
    cx.out << QString::fromUtf8(catalogue.stateOf(system).shown.toXml());
    cx.out.flush();
    return Success;
}

int diff(Context &cx, SnippetCatalogue &catalogue, const Invocation &in)
{
    const QString &identifier = in.args.first();
    const SnippetRecord system = catalogue.systemCodeSnippet(identifier);
    if (system.isNull())
        return cx.fail(noSuchSnippet(identifier));
    const SnippetState state = catalogue.stateOf(system);
    if (!state.overridden)
        return Success;
    QString error;
    const std::optional<QString> difference =
        unifiedDiff(system.contents().value_or(QString()), state.shown.contents().value_or(QString()),
                    QStringLiteral("system"), QStringLiteral("override"), &error);
    if (!difference)
        return cx.fail(QStringLiteral("cannot compare %1: %2").arg(identifier, error));
    cx.out << *difference << Qt::flush;
    return Success;
}

// One snippet a change command names: the system record to change, or why there is none (named
// by its identifier, or for a listed row without one by its title).
struct Target
{
    Identifier identifier;
    SnippetRecord system;
    QString problem;
};

// The snippets a change command names: its identifiers, each once, the rows its selection shows,
// or the orphaned overrides (each known by its own record, there being no system record).
QList<Target> targets(SnippetCatalogue &catalogue, const Invocation &in)
{
    QList<Target> list;
    if (in.orphaned) {
        for (const OverrideReport &report : catalogue.overrideReports()) {
            if (report.status == OverrideStatus::Orphaned)
                list.append({report.identifier, report.file.record, {}});
        }
        return list;
    }
    if (!in.selected) {
        QStringList identifiers = in.args;
        identifiers.removeDuplicates();
        for (const QString &identifier : std::as_const(identifiers)) {
            const SnippetRecord system = catalogue.systemCodeSnippet(identifier);
            list.append({identifier, system, system.isNull() ? noSuchSnippet(identifier) : QString()});
        }
        return list;
    }
    catalogue.filterSystemCodeSnippets(in.filter);
    QSet<QString> seen; // system snippets sharing an identifier share one override
    for (const SnippetRecord &system : catalogue.filteredSystemCodeSnippets()) {
        const Identifier &identifier = system.identifier();
        if (!identifier) {
            list.append({identifier,
                         {},
                         QStringLiteral("the snippet \"%1\" has no identifier, so it cannot be changed")
                             .arg(system.title().value_or(QString()))});
        } else if (!seen.contains(*identifier)) {
            seen.insert(*identifier);
            list.append({identifier, system, {}});
        }
    }
    return list;
}

// Changes every snippet named in one batch (one lock, one look at the folder) and says what became
// of each: a line on standard output for each done, one on standard error for each failed; with
// json, one array of them all instead.
int changeEach(Context &cx, SnippetCatalogue &catalogue, Change change, const Invocation &in)
{
    const QList<Target> named = targets(catalogue, in);
    QList<SnippetChange> changes;
    QHash<QString, QString> givenUp; // identifier → a shortcut of the user's own that Off gives up
    for (const Target &target : named) {
        if (!target.problem.isEmpty())
            continue;
        changes.append(changeOf(change, target.system, in.rebaseMode));
        if (change == Change::Disable && catalogue.hasOwnShortcut(target.system))
            givenUp.insert(*target.identifier,
                           catalogue.stateOf(target.system).shown.completionPrefix().value_or(QString()));
    }
    ChangeBatch batch(catalogue, changes);
    QJsonArray results;
    bool allSucceeded = true;
    for (const Target &target : named) {
        QString error = target.problem;
        QString done;
        if (error.isEmpty()) {
            const QString &identifier = *target.identifier;
            const ChangeResult result = batch.step();
            if (!result.succeeded()) {
                error =
                    in.json ? result.reason : failureMessage(wordsOf(change).verb, identifier, result.reason);
            } else if (result.status == ChangeResult::Status::NothingToDo) {
                // A rebase says why ("is current", ...); a revert has nothing to remove.
                done = identifier + u' ' +
                       (result.reason.isEmpty() ? QStringLiteral("has no override") : result.reason);
            } else {
                done = identifier + u' ' + QLatin1StringView(wordsOf(change).done);
            }
        }
        allSucceeded = allSucceeded && error.isEmpty();
        if (in.json) {
            results.append(
                QJsonObject{{QStringLiteral("identifier"), jsonString(target.identifier)},
                            {QStringLiteral("ok"), error.isEmpty()},
                            {QStringLiteral("error"), error.isEmpty() ? QJsonValue() : QJsonValue(error)}});
        } else if (error.isEmpty()) {
            cx.out << done << Qt::endl;
            if (const QString own = givenUp.value(*target.identifier); !own.isEmpty())
                cx.err << kProgram << ": note: " << *target.identifier << " gave up its own shortcut \""
                       << own << "\"; enable gives it the standard one" << Qt::endl;
        } else {
            cx.fail(error);
        }
    }
    if (in.json)
        cx.out << QString::fromUtf8(QJsonDocument(results).toJson(QJsonDocument::Indented)) << Qt::flush;
    if (const QString problem = batch.finish(); !problem.isEmpty()) {
        cx.fail(problem);
        allSucceeded = false;
    }
    return allSucceeded ? Success : Failure;
}

int setContents(Context &cx, SnippetCatalogue &catalogue, const Invocation &in)
{
    const QString &identifier = in.args.first();
    const SnippetRecord system = catalogue.systemCodeSnippet(identifier);
    if (system.isNull())
        return cx.fail(noSuchSnippet(identifier));
    const std::optional<QString> contents = readContents(cx, in.args.value(1));
    if (!contents)
        return Failure;
    const ChangeResult result = catalogue.apply(SnippetChange::setContents(system, *contents));
    return result.succeeded() ? Success : cx.fail(failureMessage("write", identifier, result.reason));
}

int setShortcut(Context &cx, SnippetCatalogue &catalogue, const Invocation &in)
{
    const QString &identifier = in.args.first();
    const SnippetRecord system = catalogue.systemCodeSnippet(identifier);
    if (system.isNull())
        return cx.fail(noSuchSnippet(identifier));
    const ChangeResult result = catalogue.apply(SnippetChange::setShortcut(system, in.args.at(1)));
    return result.succeeded() ? Success : cx.fail(failureMessage("write", identifier, result.reason));
}

QString overrides(qsizetype count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" override") : QStringLiteral(" overrides"));
}

int exportTo(Context &cx, SnippetCatalogue &catalogue, const Invocation &in)
{
    const QString &folder = in.args.first();
    const QList<OverrideTransfer::TransferResult> results =
        OverrideTransfer::exportOverrides(catalogue, folder);
    if (results.size() == 1 && !results.first().ok && results.first().identifier.isEmpty())
        return cx.fail(results.first().error); // refused whole
    qsizetype exported = 0;
    for (const OverrideTransfer::TransferResult &result : results) {
        if (result.ok)
            ++exported;
        else
            cx.fail(QStringLiteral("could not export \"%1\": %2").arg(result.identifier, result.error));
    }
    cx.out << "exported " << overrides(exported) << " to " << folder << Qt::endl;
    return exported == results.size() ? Success : Failure;
}

int importFrom(Context &cx, SnippetCatalogue &catalogue, const Invocation &in)
{
    const QList<OverrideTransfer::TransferResult> results =
        OverrideTransfer::importOverrides(catalogue, in.args);
    QJsonArray array;
    qsizetype imported = 0;
    for (const OverrideTransfer::TransferResult &result : results) {
        if (result.ok)
            ++imported;
        if (in.json) {
            QJsonObject object{
                {QStringLiteral("identifier"),
                 result.identifier.isEmpty() ? QJsonValue() : QJsonValue(result.identifier)},
                {QStringLiteral("file"), result.file},
                {QStringLiteral("ok"), result.ok},
                {QStringLiteral("error"), result.ok ? QJsonValue() : QJsonValue(result.error)}};
            if (!result.notCarried.isEmpty())
                object.insert(QStringLiteral("notCarried"), QJsonArray::fromStringList(result.notCarried));
            array.append(object);
        } else if (!result.ok) {
            cx.fail(QStringLiteral("skipped %1: %2").arg(result.file, result.error));
        } else if (!result.notCarried.isEmpty()) {
            // Said, not failed: the override was made, with what an override carries.
            cx.err << kProgram << ": imported " << result.file << " without "
                   << result.notCarried.join(QStringLiteral(", "))
                   << " (an override carries the body, the on/off state and the system's shortcut)"
                   << Qt::endl;
        }
    }
    if (in.json)
        cx.out << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)) << Qt::flush;
    else
        cx.out << "imported " << overrides(imported) << Qt::endl;
    return imported == results.size() ? Success : Failure;
}

constexpr qsizetype kAnyNumber = std::numeric_limits<qsizetype>::max();

// What a command takes besides its arguments.
enum Takes : unsigned
{
    TakesNone = 0,
    Json = 1u << 0,
    Selection = 1u << 1,  // with arguments: identifiers or a selection, one of the two
    Orphaned = 1u << 2,   // --orphaned, in place of identifiers or a selection
    RebaseMode = 1u << 3, // --keep-mine or --take-standard
};

// The commands: what --help says of each, the arguments and options each takes, and what runs it.
struct Command
{
    const char *name;
    const char *usage; // after the name
    const char *help;  // lines after the first start with '\n'
    qsizetype minArgs, maxArgs;
    unsigned takes;
    int (*run)(Context &cx, SnippetCatalogue &catalogue, const Invocation &in);
};
// disable, enable, revert and rebase take identifiers or a selection (or revert --orphaned): at
// least one of them, checked below.
constexpr Command kCommands[] = {
    {"info", "[--json]", "Xcode path, version, library, user snippet folder and counts", 0, 0, Json, info},
    {"list", "[SELECTION] [--json]", "the snippets in list order, with their state", 0, 0, Json | Selection,
     list},
    {"status", "[--json]",
     "every override and how it stands against the system snippet\nit was made from: current, stale, "
     "orphaned, "
     "unknown or newer",
     0, 0, Json, status},
    {"show", "ID", "the shown record of snippet ID, as an XML property list", 1, 1, TakesNone, show},
    {"diff", "ID", "a unified diff from the system body of ID to its override's", 1, 1, TakesNone, diff},
    {"disable", "ID...|SELECTION [--json]", "write overrides with the completion shortcut off", 0, kAnyNumber,
     Json | Selection,
     [](Context &cx, SnippetCatalogue &c, const Invocation &in) {
         return changeEach(cx, c, Change::Disable, in);
     }},
    {"enable", "ID...|SELECTION [--json]", "write overrides with the completion shortcut on", 0, kAnyNumber,
     Json | Selection,
     [](Context &cx, SnippetCatalogue &c, const Invocation &in) {
         return changeEach(cx, c, Change::Enable, in);
     }},
    {"revert", "ID...|SELECTION|--orphaned [--json]",
     "delete the overrides; --orphaned: those of snippets this Xcode\nno longer has", 0, kAnyNumber,
     Json | Selection | Orphaned,
     [](Context &cx, SnippetCatalogue &c, const Invocation &in) {
         return changeEach(cx, c, Change::Revert, in);
     }},
    {"rebase", "ID...|SELECTION [--keep-mine|--take-standard] [--json]",
     "make the overrides again on the current system snippets, with\nyour changes to the body and shortcut "
     "merged "
     "in; --keep-mine:\nyour body and shortcut as they are; --take-standard: only on/off",
     0, kAnyNumber, Json | Selection | RebaseMode,
     [](Context &cx, SnippetCatalogue &c, const Invocation &in) {
         return changeEach(cx, c, Change::Rebase, in);
     }},
    {"set-contents", "ID [FILE|-]",
     "write an override of ID whose contents are FILE's text\n(standard input when FILE is absent or \"-\")",
     1, 2, TakesNone, setContents},
    {"set-shortcut", "ID SHORTCUT",
     "write an override of ID that answers SHORTCUT, with the body as\nshown (a switched-off snippet is "
     "turned on)",
     2, 2, TakesNone, setShortcut},
    {"export", "DIR",
     "copy every override, with what it was made from, into DIR,\nwhich holds no snippet file yet", 1, 1,
     TakesNone, exportTo},
    {"import", "PATH... [--json]", "make overrides from snippet files, or folders of them", 1, kAnyNumber,
     Json, importFrom},
};

QString commandHelp()
{
    constexpr int kColumn = 33; // where the descriptions start
    QString text = QStringLiteral("Commands:\n");
    for (const Command &command : kCommands) {
        QString line =
            QStringLiteral("  %1 %2").arg(QLatin1StringView(command.name), QLatin1StringView(command.usage));
        line = line.size() < kColumn - 1 ? line.leftJustified(kColumn, u' ')
                                         : line + u'\n' + QString(kColumn, u' ');
        text += line + QString::fromUtf8(command.help).replace(u'\n', u'\n' + QString(kColumn, u' ')) + u'\n';
    }
    return text + QStringLiteral(R"(
SELECTION is any of --filter TEXT, --body TEXT, --changed, --stale, --clashes and --language NAME:
the snippets the list shows with them. disable, enable, revert and rebase take identifiers or a selection, not both; the
snippets are changed one after another under one lock, and one line names each done (standard
output) or failed (standard error).
An override is stale when the system snippet it was made from has changed since (a newer Xcode);
rebase brings it onto the current one. What each override was made from is kept in the snippet
folder's .glimmerpad folder.
Two snippets clash when both answer the same shortcut in the same language where their completion
scopes meet; list --clashes --json names, for each, the snippets it clashes with.
Exit status: 0 when everything succeeded, 1 when anything failed, 2 for a usage error.)");
}

// The command line as an invocation of a command; otherwise the exit code of what was answered
// instead (help, version) or refused (a usage error).
std::variant<std::pair<Invocation, const Command *>, int> parseCommandLine(Context &cx,
                                                                           const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists and overrides the code snippets that ship inside Xcode.\n\n") + commandHelp());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QString defaultXcode = Xcode::defaultXcodeAppPath(Platform::applicationsDirectory());
    const QCommandLineOption xcodeOption(
        QStringLiteral("xcode"),
        QStringLiteral("The Xcode application bundle (default: %1).").arg(defaultXcode),
        QStringLiteral("APP"));
    const QCommandLineOption homeOption(
        QStringLiteral("home"),
        QStringLiteral("The home folder (default: %1).").arg(Platform::homeDirectory()),
        QStringLiteral("DIR"));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"),
        QStringLiteral("info, list, status, disable, enable, revert, rebase, import: print JSON."));
    const QCommandLineOption filterOption(
        QStringLiteral("filter"),
        QStringLiteral("Select the snippets whose title, summary or completion shortcut contains TEXT."),
        QStringLiteral("TEXT"));
    const QCommandLineOption bodyOption(
        QStringLiteral("body"), QStringLiteral("Select the snippets whose body (as shown) contains TEXT."),
        QStringLiteral("TEXT"));
    const QCommandLineOption clashesOption(
        QStringLiteral("clashes"),
        QStringLiteral("Select the snippets whose shortcut another snippet answers in the same place."));
    const QCommandLineOption changedOption(QStringLiteral("changed"),
                                           QStringLiteral("Select the snippets that have an override."));
    const QCommandLineOption staleOption(
        QStringLiteral("stale"),
        QStringLiteral(
            "Select the snippets whose override was made from a system snippet that has changed since."));
    const QCommandLineOption languageOption(
        QStringLiteral("language"),
        QStringLiteral(
            "Select the snippets in language NAME (as Swift, C++ or Objective-C, or the full value)."),
        QStringLiteral("NAME"));
    const QCommandLineOption orphanedOption(
        QStringLiteral("orphaned"),
        QStringLiteral("revert: the overrides of snippets this Xcode no longer has."));
    const QCommandLineOption keepMineOption(
        QStringLiteral("keep-mine"),
        QStringLiteral("rebase: keep each override's body and shortcut as they are."));
    const QCommandLineOption takeStandardOption(
        QStringLiteral("take-standard"),
        QStringLiteral("rebase: take the current system body and shortcut, keeping only on or off."));
    parser.addOptions({xcodeOption, homeOption, jsonOption, filterOption, bodyOption, changedOption,
                       staleOption, clashesOption, languageOption, orphanedOption, keepMineOption,
                       takeStandardOption});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("One of the commands below."),
                                 QStringLiteral("COMMAND [ARGS]"));

    if (!parser.parse(arguments))
        return cx.fail(parser.errorText() + QStringLiteral(" (see --help)"), UsageError);
    if (parser.isSet(help)) {
        cx.out << parser.helpText() << Qt::endl;
        return Success;
    }
    if (parser.isSet(version)) {
        cx.out << kProgram << ' ' << QStringLiteral(GLIMMERPAD_VERSION) << Qt::endl;
        return Success;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return cx.fail(QStringLiteral("no command given (see --help)"), UsageError);
    Invocation in{positional.first(),
                  positional.mid(1),
                  parser.isSet(xcodeOption) ? parser.value(xcodeOption) : defaultXcode,
                  parser.isSet(homeOption) ? parser.value(homeOption) : Platform::homeDirectory(),
                  parser.isSet(homeOption),
                  parser.isSet(jsonOption),
                  {parser.value(filterOption), parser.isSet(changedOption), parser.value(languageOption),
                   parser.isSet(staleOption), false, parser.value(bodyOption), parser.isSet(clashesOption)},
                  parser.isSet(filterOption) || parser.isSet(changedOption) || parser.isSet(staleOption) ||
                      parser.isSet(languageOption) || parser.isSet(bodyOption) ||
                      parser.isSet(clashesOption)};
    in.orphaned = parser.isSet(orphanedOption);
    const bool keepMine = parser.isSet(keepMineOption), takeStandard = parser.isSet(takeStandardOption);
    in.rebaseMode = keepMine       ? Rebase::Mode::KeepMine
                    : takeStandard ? Rebase::Mode::TakeStandard
                                   : Rebase::Mode::Merge;
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands), [&](const Command &c) {
        return in.command == QLatin1StringView(c.name);
    });
    if (command == std::end(kCommands))
        return cx.fail(QStringLiteral("unknown command \"%1\" (see --help)").arg(in.command), UsageError);
    if (in.args.size() < command->minArgs || in.args.size() > command->maxArgs)
        return cx.fail(QStringLiteral("wrong number of arguments for %1 (see --help)").arg(in.command),
                       UsageError);
    const auto refuses = [&command](Takes takes) { return (command->takes & takes) == 0; };
    if ((in.json && refuses(Json)) || (in.selected && refuses(Selection)) ||
        (in.orphaned && refuses(Orphaned)) || ((keepMine || takeStandard) && refuses(RebaseMode)))
        return cx.fail(QStringLiteral("%1 takes no such option (see --help)").arg(in.command), UsageError);
    if (keepMine && takeStandard) {
        return cx.fail(
            QStringLiteral("--keep-mine and --take-standard ask for opposite rebases; give one (see --help)"),
            UsageError);
    }
    // The orphaned overrides are a set of their own: no identifier or selection can name them.
    if (in.orphaned && (!in.args.isEmpty() || in.selected)) {
        return cx.fail(QStringLiteral("%1 --orphaned takes neither identifiers nor a selection (see --help)")
                           .arg(in.command),
                       UsageError);
    }
    // An empty value would select every snippet, which is never what a typo meant.
    for (const QCommandLineOption *option : {&filterOption, &bodyOption, &languageOption}) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return cx.fail(QStringLiteral("--%1 needs a value (see --help)").arg(option->names().first()),
                           UsageError);
    }
    // Both would leave unclear whether the identifiers narrow the selection or add to it.
    if ((command->takes & Selection) && command->maxArgs > 0 && !in.orphaned &&
        in.args.isEmpty() == !in.selected) {
        return cx.fail(
            QStringLiteral("%1 takes identifiers or a selection (--filter, --body, --changed, --stale, "
                           "--clashes, --language), "
                           "one of the two (see --help)")
                .arg(in.command),
            UsageError);
    }
    return std::pair{in, &*command};
}

// The version gate and the home folder, before anything is read or written; the reason otherwise.
QString installationProblem(Invocation &in)
{
    if (!QFileInfo::exists(in.xcodePath))
        return QStringLiteral("no Xcode installation at %1 (use --xcode APP)").arg(in.xcodePath);
    in.xcodeVersion = Xcode::xcodeVersionAtPath(in.xcodePath);
    if (!Xcode::isSupportedVersion(in.xcodeVersion)) {
        return QStringLiteral("the Xcode at %1 has version %2; version %3 or later is required")
            .arg(in.xcodePath, QString::number(static_cast<float>(in.xcodeVersion)),
                 QString::number(Xcode::kMinimumSupportedVersion));
    }
    if (const QString problem = SnippetCatalogue::homeDirectoryProblem(in.home); !problem.isEmpty())
        return problem + QStringLiteral(" (use --home DIR)");
    return {};
}

} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err, QIODevice &input)
{
    Context cx{out, err, input};
    auto parsed = parseCommandLine(cx, arguments);
    if (const int *code = std::get_if<int>(&parsed))
        return *code;
    auto &[invocation, command] = std::get<0>(parsed);
    if (const QString problem = installationProblem(invocation); !problem.isEmpty())
        return cx.fail(problem);

    SnippetCatalogue catalogue(invocation.home);
    // Reverted overrides go to a trash, whence they can be brought back: with --home, that home's own,
    // so that they stay with it rather than fill the user's; otherwise the desktop's.
    const QString dataHome = invocation.homeGiven ? Platform::dataHomeOf(invocation.home) : QString();
    catalogue.store().setFileDisposer([dataHome](const QString &path, QString *error) {
        return Platform::discardFile(path, error, dataHome);
    });
    // A rebase (and an import of an override with what it was made from) merges bodies both the
    // user and a newer Xcode changed.
    catalogue.setBodyMerger(threeWayBodyMerger());
    catalogue.parseCodeSnippets(invocation.xcodePath);
    if (const QString problem = languageProblem(catalogue, invocation.filter.language); !problem.isEmpty())
        return cx.fail(problem);
    return command->run(cx, catalogue, invocation);
}

} // namespace Glimmerpad::Cli
