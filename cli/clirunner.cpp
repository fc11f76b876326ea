#include "cli/clirunner.h"

#include "catalogue/limits.h"
#include "catalogue/linediff.h"
#include "catalogue/snippetcatalogue.h"
#include "catalogue/snippetlanguage.h"
#include "catalogue/xcodeinstallation.h"
#include "platform/folders.h"
#include "platform/trash.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

const char kCommandHelp[] = R"(Commands:
  info [--json]                  Xcode path, version, library, user snippet folder and counts
  list [SELECTION] [--json]      the snippets in list order, with their state
  show ID                        the shown record of snippet ID, as an XML property list
  diff ID                        a unified diff from the system body of ID to its override's
  disable ID...|SELECTION [--json]
                                 write overrides with the completion shortcut off
  enable ID...|SELECTION [--json]
                                 write overrides with the completion shortcut on
  revert ID...|SELECTION [--json]
                                 delete the overrides
  set-contents ID [FILE|-]       write an override of ID whose contents are FILE's text
                                 (standard input when FILE is absent or "-")
  export DIR                     copy every override into DIR, which holds no snippet file yet
  import PATH... [--json]        make overrides from snippet files, or folders of them

SELECTION is any of --filter TEXT, --changed and --language NAME: the snippets the list shows
with them. disable, enable and revert take identifiers or a selection, not both; each snippet is
changed on its own, and one line names each done (standard output) or failed (standard error).
Exit status: 0 when everything succeeded, 1 when anything failed, 2 for a usage error.)";

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

int info(Context &cx, const SnippetCatalogue &catalogue, const QString &xcodePath, double version, bool json)
{
    const QString folder = catalogue.userCodeSnippetsDirectory();
    const auto systemCount = catalogue.systemCodeSnippets().size();
    const auto userCount = catalogue.userCodeSnippets().size();
    const auto customCount = static_cast<qint64>(catalogue.customSnippetCount());
    if (json) {
        const QJsonObject object{
            {QStringLiteral("xcode"), xcodePath},
            {QStringLiteral("version"), version},
            {QStringLiteral("library"), catalogue.systemCodeSnippetsPath()},
            {QStringLiteral("userFolder"), folder},
            {QStringLiteral("systemSnippets"), systemCount},
            {QStringLiteral("userSnippets"), userCount},
            {QStringLiteral("customSnippets"), customCount},
        };
        cx.out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
        return Success;
    }
    cx.out << "Xcode:            " << xcodePath << '\n'
           << "Version:          " << QString::number(static_cast<float>(version)) << '\n'
           << "Library:          " << catalogue.systemCodeSnippetsPath() << '\n'
           << "User folder:      " << folder << '\n'
           << "System snippets:  " << systemCount << '\n'
           << "User snippets:    " << userCount << '\n'
           << "Custom snippets:  " << customCount << Qt::endl;
    return Success;
}

int list(Context &cx, SnippetCatalogue &catalogue, const SnippetFilter &filter, bool json)
{
    catalogue.filterSystemCodeSnippets(filter);
    QJsonArray rows;
    for (const SnippetRecord &system : catalogue.filteredSystemCodeSnippets()) {
        const SnippetState snippet = catalogue.stateOf(system);
        const SnippetRecord &shown = snippet.shown;
        const QString state = stateName(snippet);
        if (json) {
            rows.append(QJsonObject{
                {QStringLiteral("identifier"), jsonString(system.identifier())},
                {QStringLiteral("title"), jsonString(shown.title())},
                {QStringLiteral("summary"), jsonString(system.summary())},
                {QStringLiteral("completionPrefix"), jsonString(shown.completionPrefix())},
                {QStringLiteral("state"), state},
            });
        } else {
            cx.out << cell(system.identifier()) << '\t' << state << '\t' << cell(shown.completionPrefix())
                   << '\t' << cell(shown.title()) << '\t' << cell(system.summary()) << '\n';
        }
    }
    if (json)
        cx.out << QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Indented));
    cx.out.flush();
    return Success;
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

// A change is a reading of the snippet's override and a writing of the new one; when another
// program changed the override in between, the change is made again on what is there now, so
// that neither change is lost. Bounded: each retry means another writer finished meanwhile.
constexpr int kMaxChangeAttempts = 20;

enum class Change
{
    Disable,
    Enable,
    Revert,
    SetContents,
};

ChangeResult applyChange(SnippetCatalogue &catalogue, Change change, const QString &identifier,
                         const std::optional<QString> &newContents)
{
    if (change == Change::Revert)
        return catalogue.removeUserCodeSnippet(identifier);
    ChangeResult result;
    for (int attempt = 0; attempt < kMaxChangeAttempts; ++attempt) {
        const SnippetState state = catalogue.stateOf(catalogue.systemCodeSnippet(identifier));
        const bool disable = change == Change::Disable || (change == Change::SetContents && state.disabled);
        const std::optional<QString> contents = newContents ? newContents : state.shown.contents();
        result = catalogue.overrideSystemCodeSnippet(identifier, disable, contents, state.snapshot);
        if (result.status != ChangeResult::Status::ChangedOnDisk)
            break;
    }
    return result;
}

QString noSuchSnippet(const QString &identifier)
{
    return QStringLiteral("no system snippet has the identifier \"%1\"").arg(identifier);
}

QString failureMessage(Change change, const QString &identifier, const QString &reason)
{
    return QStringLiteral("could not %1 the override of \"%2\": %3")
        .arg(change == Change::Revert ? QStringLiteral("remove") : QStringLiteral("write"), identifier,
             reason);
}

int setContents(Context &cx, SnippetCatalogue &catalogue, const QString &identifier, const QString &source)
{
    if (catalogue.systemCodeSnippet(identifier).isNull())
        return cx.fail(noSuchSnippet(identifier));
    const std::optional<QString> newContents = readContents(cx, source);
    if (!newContents)
        return Failure;
    const ChangeResult result = applyChange(catalogue, Change::SetContents, identifier, newContents);
    return result.succeeded() ? Success
                              : cx.fail(failureMessage(Change::SetContents, identifier, result.reason));
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

// One snippet to change: its identifier, or, for a listed row without one, its title to name it by.
struct Target
{
    Identifier identifier;
    QString title;
};

// Changes each snippet on its own and says what became of each: a line on standard output for
// each done, one on standard error for each failed; with json, one array of them all instead.
int changeEach(Context &cx, SnippetCatalogue &catalogue, Change change, const QList<Target> &targets,
               bool json)
{
    QJsonArray results;
    bool allSucceeded = true;
    for (const Target &target : targets) {
        QString error;
        QString done;
        if (!target.identifier) {
            error = QStringLiteral("the snippet \"%1\" has no identifier, so it cannot be changed")
                        .arg(target.title);
        } else if (const QString &identifier = *target.identifier;
                   catalogue.systemCodeSnippet(identifier).isNull()) {
            error = noSuchSnippet(identifier);
        } else if (const ChangeResult result = applyChange(catalogue, change, identifier, std::nullopt);
                   !result.succeeded()) {
            error = json ? result.reason : failureMessage(change, identifier, result.reason);
        } else if (result.status == ChangeResult::Status::NothingToDo) {
            done = identifier + QStringLiteral(" has no override");
        } else {
            done = identifier + (change == Change::Revert    ? QStringLiteral(" reverted")
                                 : change == Change::Disable ? QStringLiteral(" disabled")
                                                             : QStringLiteral(" enabled"));
        }
        allSucceeded = allSucceeded && error.isEmpty();
        if (json) {
            results.append(
                QJsonObject{{QStringLiteral("identifier"), jsonString(target.identifier)},
                            {QStringLiteral("ok"), error.isEmpty()},
                            {QStringLiteral("error"), error.isEmpty() ? QJsonValue() : QJsonValue(error)}});
        } else if (error.isEmpty()) {
            cx.out << done << Qt::endl;
        } else {
            cx.fail(error);
        }
    }
    if (json)
        cx.out << QString::fromUtf8(QJsonDocument(results).toJson(QJsonDocument::Indented)) << Qt::flush;
    return allSucceeded ? Success : Failure;
}

int diff(Context &cx, const SnippetCatalogue &catalogue, const QString &identifier)
{
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

QString overrides(qsizetype count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" override") : QStringLiteral(" overrides"));
}

int exportTo(Context &cx, SnippetCatalogue &catalogue, const QString &folder)
{
    const QList<TransferResult> results = catalogue.exportOverrides(folder);
    if (results.size() == 1 && !results.first().ok && results.first().identifier.isEmpty())
        return cx.fail(results.first().error); // refused whole
    qsizetype exported = 0;
    for (const TransferResult &result : results) {
        if (result.ok)
            ++exported;
        else
            cx.fail(QStringLiteral("could not export \"%1\": %2").arg(result.identifier, result.error));
    }
    cx.out << "exported " << overrides(exported) << " to " << folder << Qt::endl;
    return exported == results.size() ? Success : Failure;
}

int importFrom(Context &cx, SnippetCatalogue &catalogue, const QStringList &paths, bool json)
{
    const QList<TransferResult> results = catalogue.importOverrides(paths);
    QJsonArray array;
    qsizetype imported = 0;
    for (const TransferResult &result : results) {
        if (result.ok)
            ++imported;
        if (json) {
            array.append(
                QJsonObject{{QStringLiteral("identifier"),
                             result.identifier.isEmpty() ? QJsonValue() : QJsonValue(result.identifier)},
                            {QStringLiteral("file"), result.file},
                            {QStringLiteral("ok"), result.ok},
                            {QStringLiteral("error"), result.ok ? QJsonValue() : QJsonValue(result.error)}});
        } else if (!result.ok) {
            cx.fail(QStringLiteral("skipped %1: %2").arg(result.file, result.error));
        }
    }
    if (json)
        cx.out << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)) << Qt::flush;
    else
        cx.out << "imported " << overrides(imported) << Qt::endl;
    return imported == results.size() ? Success : Failure;
}

} // namespace

namespace {

// One command line, checked against the commands' shapes.
struct Invocation
{
    QString command;
    QStringList args;
    QString xcodePath;
    QString home;
    bool json = false;
    SnippetFilter filter;
    bool selected = false; // any of --filter, --changed, --language given
};

constexpr qsizetype kAnyNumber = std::numeric_limits<qsizetype>::max();

struct CommandShape
{
    const char *name;
    qsizetype minArgs, maxArgs;
    bool json, selection;
};
// disable, enable and revert take identifiers or a selection: at least one of them, checked below.
constexpr CommandShape kCommandShapes[] = {
    {"info", 0, 0, true, false},
    {"list", 0, 0, true, true},
    {"show", 1, 1, false, false},
    {"diff", 1, 1, false, false},
    {"disable", 0, kAnyNumber, true, true},
    {"enable", 0, kAnyNumber, true, true},
    {"revert", 0, kAnyNumber, true, true},
    {"set-contents", 1, 2, false, false},
    {"export", 1, 1, false, false},
    {"import", 1, kAnyNumber, true, false},
};

// The command line as an invocation; otherwise the exit code of what was answered instead (help,
// version) or refused (a usage error).
std::variant<Invocation, int> parseCommandLine(Context &cx, const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists and overrides the code snippets that ship inside Xcode.\n\n") +
        QLatin1StringView(kCommandHelp));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QString defaultXcode = Xcode::defaultXcodeAppPath(Platform::applicationsDirectory());
    const QCommandLineOption xcodeOption(
        QStringLiteral("xcode"), QStringLiteral("The Xcode application bundle (default: %1).").arg(defaultXcode),
        QStringLiteral("APP"));
    const QCommandLineOption homeOption(
        QStringLiteral("home"), QStringLiteral("The home folder (default: %1).").arg(Platform::homeDirectory()),
        QStringLiteral("DIR"));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"), QStringLiteral("info, list, disable, enable, revert, import: print JSON."));
    const QCommandLineOption filterOption(
        QStringLiteral("filter"), QStringLiteral("Select the snippets whose title or summary contains TEXT."),
        QStringLiteral("TEXT"));
    const QCommandLineOption changedOption(QStringLiteral("changed"),
                                           QStringLiteral("Select the snippets that have an override."));
    const QCommandLineOption languageOption(
        QStringLiteral("language"),
        QStringLiteral(
            "Select the snippets in language NAME (as Swift, C++ or Objective-C, or the full value)."),
        QStringLiteral("NAME"));
    parser.addOptions({xcodeOption, homeOption, jsonOption, filterOption, changedOption, languageOption});
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
    Invocation invocation{
        positional.first(),
        positional.mid(1),
        parser.isSet(xcodeOption) ? parser.value(xcodeOption) : defaultXcode,
        parser.isSet(homeOption) ? parser.value(homeOption) : Platform::homeDirectory(),
        parser.isSet(jsonOption),
        {parser.value(filterOption), parser.isSet(changedOption), parser.value(languageOption)},
        parser.isSet(filterOption) || parser.isSet(changedOption) || parser.isSet(languageOption)};
    const auto shape = std::find_if(std::begin(kCommandShapes), std::end(kCommandShapes), [&](const CommandShape &s) {
        return invocation.command == QLatin1StringView(s.name);
    });
    if (shape == std::end(kCommandShapes))
        return cx.fail(QStringLiteral("unknown command \"%1\" (see --help)").arg(invocation.command), UsageError);
    if (invocation.args.size() < shape->minArgs || invocation.args.size() > shape->maxArgs) {
        return cx.fail(QStringLiteral("wrong number of arguments for %1 (see --help)").arg(invocation.command),
                       UsageError);
    }
    if ((invocation.json && !shape->json) || (invocation.selected && !shape->selection))
        return cx.fail(QStringLiteral("%1 takes no such option (see --help)").arg(invocation.command), UsageError);
    if (shape->selection && invocation.command != QLatin1StringView("list")) {
        // Both would leave unclear whether the identifiers narrow the selection or add to it.
        if (invocation.args.isEmpty() == !invocation.selected) {
            return cx.fail(
                QStringLiteral("%1 takes identifiers or a selection (--filter, --changed, --language), "
                               "one of the two (see --help)")
                    .arg(invocation.command),
                UsageError);
        }
    }
    return invocation;
}

// The version gate and the home folder, before anything is read or written; the reason otherwise.
QString installationProblem(const Invocation &invocation, double *version)
{
    if (!QFileInfo::exists(invocation.xcodePath))
        return QStringLiteral("no Xcode installation at %1 (use --xcode APP)").arg(invocation.xcodePath);
    *version = Xcode::xcodeVersionAtPath(invocation.xcodePath);
    if (!Xcode::isSupportedVersion(*version)) {
        return QStringLiteral("the Xcode at %1 has version %2; version %3 or later is required")
            .arg(invocation.xcodePath, QString::number(static_cast<float>(*version)),
                 QString::number(Xcode::kMinimumSupportedVersion));
    }
    if (const QString problem = SnippetCatalogue::homeDirectoryProblem(invocation.home); !problem.isEmpty())
        return problem + QStringLiteral(" (use --home DIR)");
    return {};
}

int show(Context &cx, const SnippetCatalogue &catalogue, const QString &identifier)
{
    const SnippetRecord system = catalogue.systemCodeSnippet(identifier);
    if (system.isNull())
        return cx.fail(noSuchSnippet(identifier));
    cx.out << QString::fromUtf8(catalogue.stateOf(system).shown.toXml());
    cx.out.flush();
    return Success;
}

// The snippets a change command names: its identifiers, each once, or the rows its selection shows.
QList<Target> targets(SnippetCatalogue &catalogue, const Invocation &invocation)
{
    QList<Target> list;
    if (!invocation.selected) {
        QStringList identifiers = invocation.args;
        identifiers.removeDuplicates();
        for (const QString &identifier : std::as_const(identifiers))
            list.append({identifier, {}});
        return list;
    }
    catalogue.filterSystemCodeSnippets(invocation.filter);
    QSet<QString> seen; // system snippets sharing an identifier share one override
    for (const SnippetRecord &system : catalogue.filteredSystemCodeSnippets()) {
        const Identifier &identifier = system.identifier();
        if (identifier && seen.contains(*identifier))
            continue;
        if (identifier)
            seen.insert(*identifier);
        list.append({identifier, system.title().value_or(QString())});
    }
    return list;
}

} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err, QIODevice &input)
{
    Context cx{out, err, input};
    const std::variant<Invocation, int> parsed = parseCommandLine(cx, arguments);
    if (const int *code = std::get_if<int>(&parsed))
        return *code;
    const Invocation &invocation = std::get<Invocation>(parsed);
    double xcodeVersion = 0.0;
    if (const QString problem = installationProblem(invocation, &xcodeVersion); !problem.isEmpty())
        return cx.fail(problem);

    SnippetCatalogue catalogue(invocation.home);
    catalogue.setFileDisposer(&Platform::discardFile);
    catalogue.parseCodeSnippets(invocation.xcodePath);

    const QString &command = invocation.command;
    if (const QString problem = languageProblem(catalogue, invocation.filter.language); !problem.isEmpty())
        return cx.fail(problem);
    if (command == QLatin1StringView("info"))
        return info(cx, catalogue, invocation.xcodePath, xcodeVersion, invocation.json);
    if (command == QLatin1StringView("list"))
        return list(cx, catalogue, invocation.filter, invocation.json);
    if (command == QLatin1StringView("show"))
        return show(cx, catalogue, invocation.args.first());
    if (command == QLatin1StringView("diff"))
        return diff(cx, catalogue, invocation.args.first());
    if (command == QLatin1StringView("set-contents"))
        return setContents(cx, catalogue, invocation.args.first(), invocation.args.value(1));
    if (command == QLatin1StringView("export"))
        return exportTo(cx, catalogue, invocation.args.first());
    if (command == QLatin1StringView("import"))
        return importFrom(cx, catalogue, invocation.args, invocation.json);
    const Change change = command == QLatin1StringView("disable")  ? Change::Disable
                          : command == QLatin1StringView("enable") ? Change::Enable
                                                                   : Change::Revert;
    return changeEach(cx, catalogue, change, targets(catalogue, invocation), invocation.json);
}

} // namespace Glimmerpad::Cli
