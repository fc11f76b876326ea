#include "cli/clirunner.h"

#include "catalogue/snippetcatalogue.h"
#include "catalogue/xcodeinstallation.h"
#include "platform/applications.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

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

QString stateOf(const SnippetCatalogue &catalogue, const SnippetRecord &system)
{
    const SnippetRecord override = catalogue.overrideForIdentifier(system.identifier());
    if (override.isNull())
        return QStringLiteral("system");
    return SnippetCatalogue::isDisabledOverride(override) ? QStringLiteral("disabled")
                                                          : QStringLiteral("override");
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
        const SnippetRecord shown = catalogue.shownRecord(system);
        const QString state = stateOf(catalogue, system);
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

// Reads the new contents from a file or standard input; refuses text that is not UTF-8,
// since decoding it with replacement characters would change the snippet behind the user's back.
std::optional<QString> readContents(Context &cx, const QString &source)
{
    QByteArray bytes;
    if (source.isEmpty() || source == QLatin1StringView("-")) {
        bytes = cx.input.readAll();
    } else {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly)) {
            cx.fail(QStringLiteral("cannot read %1: %2").arg(source, file.errorString()));
            return std::nullopt;
        }
        bytes = file.readAll();
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) {
        const bool standardInput = source.isEmpty() || source == QLatin1StringView("-");
        cx.fail(QStringLiteral("%1 is not UTF-8 text")
                    .arg(standardInput ? QStringLiteral("standard input") : source));
        return std::nullopt;
    }
    return text;
}

int change(Context &cx, SnippetCatalogue &catalogue, const QString &command, const QString &identifier,
           const QString &source)
{
    const qsizetype row = catalogue.rowOfIdentifier(identifier);
    if (row < 0)
        return cx.fail(QStringLiteral("no system snippet has the identifier \"%1\"").arg(identifier));
    const SnippetRecord system = catalogue.recordAtRow(row);
    const SnippetRecord override = catalogue.overrideForIdentifier(system.identifier());
    const SnippetRecord shown = override.isNull() ? system : override;

    ChangeResult result;
    if (command == QLatin1StringView("revert")) {
        result = catalogue.removeUserCodeSnippetAtIndex(row);
        if (result.status == ChangeResult::Status::NothingToDo)
            cx.out << identifier << " has no override" << Qt::endl;
    } else {
        const bool disabled = !override.isNull() && SnippetCatalogue::isDisabledOverride(override);
        std::optional<QString> contents = shown.contents();
        bool disable = disabled;
        if (command == QLatin1StringView("disable")) {
            disable = true;
        } else if (command == QLatin1StringView("enable")) {
            disable = false;
        } else {
            contents = readContents(cx, source);
            if (!contents)
                return Failure;
        }
        result = catalogue.overrideSystemCodeSnippetAtIndex(row, disable, contents);
    }
    if (!result.succeeded()) {
        const QString what =
            command == QLatin1StringView("revert") ? QStringLiteral("remove") : QStringLiteral("write");
        return cx.fail(
            QStringLiteral("could not %1 the override of \"%2\": %3").arg(what, identifier, result.reason));
    }
    return Success;
}

} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err, QIODevice &input)
{
    Context cx{out, err, input};

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists and overrides the code snippets that ship inside Xcode.\n\n") +
        QLatin1StringView(kCommandHelp));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption xcodeOption(
        QStringLiteral("xcode"),
        QStringLiteral("The Xcode application bundle (default: %1).")
            .arg(Xcode::defaultXcodeAppPath(Platform::applicationsDirectory())),
        QStringLiteral("APP"));
    const QCommandLineOption homeOption(
        QStringLiteral("home"), QStringLiteral("The home folder (default: %1).").arg(QDir::homePath()),
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
        out << parser.helpText() << Qt::endl;
        return Success;
    }
    if (parser.isSet(version)) {
        out << kProgram << ' ' << QStringLiteral(GLIMMERPAD_VERSION) << Qt::endl;
        return Success;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return cx.fail(QStringLiteral("no command given (see --help)"), UsageError);
    const QString command = positional.first();
    const QStringList args = positional.mid(1);

    struct Shape
    {
        const char *name;
        qsizetype minArgs, maxArgs;
        bool json, filter;
    };
    static constexpr Shape shapes[] = {
        {"info", 0, 0, true, false},     {"list", 0, 0, true, true},     {"show", 1, 1, false, false},
        {"disable", 1, 1, false, false}, {"enable", 1, 1, false, false}, {"set-contents", 1, 2, false, false},
        {"revert", 1, 1, false, false},
    };
    const auto shape = std::find_if(std::begin(shapes), std::end(shapes),
                                    [&](const Shape &s) { return command == QLatin1StringView(s.name); });
    if (shape == std::end(shapes))
        return cx.fail(QStringLiteral("unknown command \"%1\" (see --help)").arg(command), UsageError);
    if (args.size() < shape->minArgs || args.size() > shape->maxArgs)
        return cx.fail(QStringLiteral("wrong number of arguments for %1 (see --help)").arg(command),
                       UsageError);
    if ((parser.isSet(jsonOption) && !shape->json) || (parser.isSet(filterOption) && !shape->filter))
        return cx.fail(QStringLiteral("%1 takes no such option (see --help)").arg(command), UsageError);

    // The version gate, before anything is read or written.
    const QString xcodePath = parser.isSet(xcodeOption)
                                  ? parser.value(xcodeOption)
                                  : Xcode::defaultXcodeAppPath(Platform::applicationsDirectory());
    if (!QFileInfo::exists(xcodePath))
        return cx.fail(QStringLiteral("no Xcode installation at %1 (use --xcode APP)").arg(xcodePath));
    const double xcodeVersion = Xcode::xcodeVersionAtPath(xcodePath);
    if (!Xcode::isSupportedVersion(xcodeVersion)) {
        return cx.fail(QStringLiteral("the Xcode at %1 has version %2; version %3 or later is required")
                           .arg(xcodePath, QString::number(static_cast<float>(xcodeVersion)),
                                QString::number(Xcode::kMinimumSupportedVersion)));
    }

    SnippetCatalogue catalogue(parser.isSet(homeOption) ? parser.value(homeOption) : QDir::homePath());
    catalogue.parseSystemCodeSnippets(xcodePath);
    catalogue.parseUserCodeSnippets();

    if (command == QLatin1StringView("info"))
        return info(cx, catalogue, xcodePath, xcodeVersion, parser.isSet(jsonOption));
    if (command == QLatin1StringView("list"))
        return list(cx, catalogue, parser.value(filterOption), parser.isSet(jsonOption));
    if (command == QLatin1StringView("show")) {
        const qsizetype row = catalogue.rowOfIdentifier(args.first());
        if (row < 0)
            return cx.fail(QStringLiteral("no system snippet has the identifier \"%1\"").arg(args.first()));
        out << QString::fromUtf8(catalogue.shownRecord(catalogue.recordAtRow(row)).toXml());
        out.flush();
        return Success;
    }
    return change(cx, catalogue, command, args.first(), args.value(1));
}

} // namespace Glimmerpad::Cli
