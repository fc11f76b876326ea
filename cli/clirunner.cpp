#include "cli/clirunner.h"

#include "catalogue/limits.h"
#include "catalogue/snippetcatalogue.h"
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
#include <QStringDecoder>

#include <variant>

namespace Glimmerpad::Cli {

namespace {

const QString kProgram = QStringLiteral("glimmerpad-cli");

const char kCommandHelp[] = R"(Commands:
  info [--json]                  Xcode path, version, library, user snippet folder and counts
  list [--filter TEXT] [--json]  the snippets in list order, with their state
  show ID                        the shown record of snippet ID, as an XML property list
  disable ID                     write an override of ID with its completion shortcut off
  enable ID                      write an override of ID with its completion shortcut on
  set-contents ID [FILE|-]       write an override of ID whose contents are FILE's text
                                 (standard input when FILE is absent or "-")
  revert ID                      delete the override of ID)";

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

int list(Context &cx, SnippetCatalogue &catalogue, const QString &filter, bool json)
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

int change(Context &cx, SnippetCatalogue &catalogue, const QString &command, const QString &identifier,
           const QString &source)
{
    const qsizetype row = catalogue.rowOfIdentifier(identifier);
    if (row < 0)
        return cx.fail(QStringLiteral("no system snippet has the identifier \"%1\"").arg(identifier));
    const bool revert = command == QLatin1StringView("revert");
    std::optional<QString> newContents;
    if (command == QLatin1StringView("set-contents")) {
        newContents = readContents(cx, source);
        if (!newContents)
            return Failure;
    }

    ChangeResult result;
    if (revert) {
        result = catalogue.removeUserCodeSnippetAtIndex(row);
        if (result.status == ChangeResult::Status::NothingToDo)
            cx.out << identifier << " has no override" << Qt::endl;
    } else {
        for (int attempt = 0; attempt < kMaxChangeAttempts; ++attempt) {
            const SnippetState state = catalogue.stateOf(catalogue.recordAtRow(row));
            const bool disable = command == QLatin1StringView("disable")  ? true
                                 : command == QLatin1StringView("enable") ? false
                                                                          : state.disabled;
            const std::optional<QString> contents = newContents ? newContents : state.shown.contents();
            result = catalogue.overrideSystemCodeSnippetAtIndex(row, disable, contents, state.snapshot);
            if (result.status != ChangeResult::Status::ChangedOnDisk)
                break;
        }
    }
    if (!result.succeeded()) {
        const QString what = revert ? QStringLiteral("remove") : QStringLiteral("write");
        return cx.fail(
            QStringLiteral("could not %1 the override of \"%2\": %3").arg(what, identifier, result.reason));
    }
    return Success;
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
    QString filter;
};

struct CommandShape
{
    const char *name;
    qsizetype minArgs, maxArgs;
    bool json, filter;
};
constexpr CommandShape kCommandShapes[] = {
    {"info", 0, 0, true, false},     {"list", 0, 0, true, true},     {"show", 1, 1, false, false},
    {"disable", 1, 1, false, false}, {"enable", 1, 1, false, false}, {"set-contents", 1, 2, false, false},
    {"revert", 1, 1, false, false},
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
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("info, list: print JSON."));
    const QCommandLineOption filterOption(
        QStringLiteral("filter"), QStringLiteral("list: only snippets whose title or summary contains TEXT."),
        QStringLiteral("TEXT"));
    parser.addOptions({xcodeOption, homeOption, jsonOption, filterOption});
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
    Invocation invocation{positional.first(),
                          positional.mid(1),
                          parser.isSet(xcodeOption) ? parser.value(xcodeOption) : defaultXcode,
                          parser.isSet(homeOption) ? parser.value(homeOption) : Platform::homeDirectory(),
                          parser.isSet(jsonOption),
                          parser.value(filterOption)};
    const auto shape = std::find_if(std::begin(kCommandShapes), std::end(kCommandShapes), [&](const CommandShape &s) {
        return invocation.command == QLatin1StringView(s.name);
    });
    if (shape == std::end(kCommandShapes))
        return cx.fail(QStringLiteral("unknown command \"%1\" (see --help)").arg(invocation.command), UsageError);
    if (invocation.args.size() < shape->minArgs || invocation.args.size() > shape->maxArgs) {
        return cx.fail(QStringLiteral("wrong number of arguments for %1 (see --help)").arg(invocation.command),
                       UsageError);
    }
    if ((invocation.json && !shape->json) || (parser.isSet(filterOption) && !shape->filter))
        return cx.fail(QStringLiteral("%1 takes no such option (see --help)").arg(invocation.command), UsageError);
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
    const qsizetype row = catalogue.rowOfIdentifier(identifier);
    if (row < 0)
        return cx.fail(QStringLiteral("no system snippet has the identifier \"%1\"").arg(identifier));
    cx.out << QString::fromUtf8(catalogue.stateOf(catalogue.recordAtRow(row)).shown.toXml());
    cx.out.flush();
    return Success;
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
    catalogue.parseSystemCodeSnippets(invocation.xcodePath);
    catalogue.parseUserCodeSnippets();

    const QString &command = invocation.command;
    if (command == QLatin1StringView("info"))
        return info(cx, catalogue, invocation.xcodePath, xcodeVersion, invocation.json);
    if (command == QLatin1StringView("list"))
        return list(cx, catalogue, invocation.filter, invocation.json);
    if (command == QLatin1StringView("show"))
        return show(cx, catalogue, invocation.args.first());
    return change(cx, catalogue, command, invocation.args.first(), invocation.args.value(1));
}

} // namespace Glimmerpad::Cli
