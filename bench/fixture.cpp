#include "bench/fixture.h"

#include "catalogue/paths.h"
#include "catalogue/propertylist.h"
#include "catalogue/snippetrecord.h"
#include "catalogue/xcodeinstallation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <array>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

namespace Glimmerpad::Bench {

namespace {

// splitmix64: tiny, and unlike the standard distributions it gives the same numbers everywhere.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool oneIn(int n) { return below(n) == 0; }
    template<typename T, std::size_t N> const T &pick(const std::array<T, N> &items)
    {
        return items[static_cast<std::size_t>(below(static_cast<int>(N)))];
    }

private:
    std::uint64_t m_state;
};

// Words as snippet titles and summaries use them; the accented ones make the search fold.
constexpr std::array<const char *, 40> kTitleWords = {
    "Array",   "Block",  "Buffer", "Cache",  "Class",    "Closure",  "Dispatch", "Enum",   "Field",  "Guard",
    "Handler", "Index",  "Loop",   "Method", "Object",   "Protocol", "Queue",    "Record", "Switch", "Table",
    "Thread",  "Value",  "View",   "Window", "Observer", "Delegate", "Property", "Struct", "Test",   "Timer",
    "Task",    "Stream", "Lock",   "Error",  "Request",  "Layout",   "Image",    "Color",  "Font",   "Once"};
constexpr std::array<const char *, 12> kAccentedWords = {"Délégué", "Größe",  "Ångström",  "Façade",
                                                         "Naïve",   "Über",   "Schlüssel", "Señal",
                                                         "Café",    "Résumé", "Straße",    "Élément"};
constexpr std::array<const char *, 36> kSummaryWords = {
    "creates",  "returns",    "a",           "the",     "new",      "for",       "each",     "element",
    "in",       "with",       "when",        "value",   "is",       "called",    "on",       "main",
    "queue",    "once",       "of",          "an",      "instance", "variable",  "that",     "holds",
    "block",    "runs",       "after",       "delay",   "checks",   "condition", "branches", "integer",
    "iterates", "collection", "application", "declares"};
constexpr std::array<const char *, 8> kAccentedSummaryWords = {"été",   "déjà", "prêt",   "crée",
                                                               "objet", "über", "größer", "naïve"};
constexpr std::array<const char *, 14> kBodyLines = {"for (NSUInteger i = 0; i < <#count#>; i++) {",
                                                     "if (<#condition#>) {",
                                                     "dispatch_async(dispatch_get_main_queue(), ^{",
                                                     "<#statements#>",
                                                     "return <#value#>;",
                                                     "}",
                                                     "});",
                                                     "let <#name#> = <#value#>",
                                                     "guard let <#name#> = <#optional#> else { return }",
                                                     "[self <#method#>:<#argument#>];",
                                                     "// <#comment#>",
                                                     "switch <#value#> {",
                                                     "case <#pattern#>:",
                                                     "NSLog(@\"<#format#>\", <#arguments#>);"};
constexpr std::array<const char *, 4> kLanguages = {
    "Xcode.SourceCodeLanguage.Objective-C", "Xcode.SourceCodeLanguage.Swift", "Xcode.SourceCodeLanguage.C",
    "Xcode.SourceCodeLanguage.C-Plus-Plus"};
constexpr std::array<const char *, 5> kScopes = {"CodeBlock", "ClassImplementation", "TopLevel",
                                                 "StringOrComment", "ClassInterfaceMethods"};

struct Snippet
{
    std::string identifier;
    std::string title;
    std::string summary;
    std::string completionPrefix;
    std::string contents;
    std::string language;
    std::vector<std::string> scopes;
};

std::string uuid(Random &random)
{
    const std::uint64_t a = random.next();
    const std::uint64_t b = random.next();
    char text[40];
    std::snprintf(text, sizeof text, "%08" PRIX64 "-%04" PRIX64 "-%04" PRIX64 "-%04" PRIX64 "-%012" PRIX64,
                  a >> 32, (a >> 16) & 0xFFFF, a & 0xFFFF, b >> 48,
                  static_cast<std::uint64_t>(b & 0xFFFFFFFFFFFFULL));
    return text;
}

std::string lowered(std::string word)
{
    for (char &c : word) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return word;
}

// Two to four words; one title in eight has an accented word.
std::string title(Random &random)
{
    const int words = random.between(2, 4);
    const int accented = random.oneIn(8) ? random.below(words) : -1;
    std::string text;
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            text += ' ';
        text += i == accented ? random.pick(kAccentedWords) : random.pick(kTitleWords);
    }
    return text;
}

// A capitalised word and three to nine more; one summary in eight has an accented word.
std::string summary(Random &random)
{
    const int words = random.between(3, 9);
    const int accented = random.oneIn(8) ? random.below(words) : -1;
    std::string text = random.pick(kTitleWords);
    for (int i = 0; i < words; ++i)
        text += std::string(" ") +
                (i == accented ? random.pick(kAccentedSummaryWords) : random.pick(kSummaryWords));
    return text + '.';
}

std::string body(Random &random)
{
    std::string text;
    const int lines = random.between(1, 15);
    for (int i = 0; i < lines; ++i) {
        if (i > 0)
            text += '\n';
        text += std::string(static_cast<std::size_t>(random.below(3) * 4), ' ') + random.pick(kBodyLines);
    }
    return text;
}

Snippet snippet(Random &random, std::string identifier)
{
    Snippet s;
    s.identifier = std::move(identifier);
    s.title = title(random);
    s.summary = summary(random);
    s.completionPrefix = lowered(random.pick(kTitleWords)) + random.pick(kTitleWords);
    s.contents = body(random);
    s.language = random.pick(kLanguages);
    const int scopes = random.between(1, 2);
    for (int i = 0; i < scopes; ++i)
        s.scopes.emplace_back(random.pick(kScopes));
    return s;
}

// Keys in the order Xcode writes them (sorted).
PlistPtr dictionary(const Snippet &s, bool userSnippet)
{
    PlistPtr dict(plist_new_dict());
    plist_dict_set_item(dict.get(), SnippetKey::CompletionPrefix,
                        plist_new_string(s.completionPrefix.c_str()));
    plist_t scopes = plist_new_array();
    for (const std::string &scope : s.scopes)
        plist_array_append_item(scopes, plist_new_string(scope.c_str()));
    plist_dict_set_item(dict.get(), "IDECodeSnippetCompletionScopes", scopes);
    plist_dict_set_item(dict.get(), SnippetKey::Contents, plist_new_string(s.contents.c_str()));
    plist_dict_set_item(dict.get(), SnippetKey::Identifier, plist_new_string(s.identifier.c_str()));
    plist_dict_set_item(dict.get(), "IDECodeSnippetLanguage", plist_new_string(s.language.c_str()));
    plist_dict_set_item(dict.get(), SnippetKey::Summary, plist_new_string(s.summary.c_str()));
    plist_dict_set_item(dict.get(), SnippetKey::Title, plist_new_string(s.title.c_str()));
    plist_dict_set_item(dict.get(), SnippetKey::UserSnippet, plist_new_bool(userSnippet ? 1 : 0));
    plist_dict_set_item(dict.get(), SnippetKey::Version, plist_new_uint(userSnippet ? 2 : 1));
    return dict;
}

QByteArray serialised(plist_t node, bool binary)
{
    char *bytes = nullptr;
    uint32_t length = 0;
    if (binary)
        plist_to_bin(node, &bytes, &length);
    else
        plist_to_xml(node, &bytes, &length);
    QByteArray result(bytes, static_cast<qsizetype>(length));
    if (binary)
        plist_to_bin_free(bytes);
    else
        plist_to_xml_free(bytes);
    return result;
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = QStringLiteral("cannot make the folder of %1").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QByteArray infoPlist()
{
    PlistPtr info(plist_new_dict());
    plist_dict_set_item(info.get(), "CFBundleIdentifier", plist_new_string(Xcode::kBundleIdentifier));
    plist_dict_set_item(info.get(), "CFBundleName", plist_new_string("Xcode"));
    plist_dict_set_item(info.get(), "CFBundleShortVersionString", plist_new_string("5.1"));
    plist_dict_set_item(info.get(), "CFBundleVersion", plist_new_string("5084"));
    return serialised(info.get(), false);
}

} // namespace

QString fixtureXcodePath(const QString &root)
{
    return appendPathComponent(root, QStringLiteral("Xcode.app"));
}

QString fixtureHome(const QString &root)
{
    return appendPathComponent(root, QStringLiteral("home"));
}

QString fixtureUserFolder(const QString &root)
{
    return appendPathComponent(fixtureHome(root),
                               QStringLiteral("Library/Developer/Xcode/UserData/CodeSnippets"));
}

std::optional<FixtureSummary> writeFixture(const QString &root, const FixtureSize &size, QString *error)
{
    QString ignored;
    QString &reason = error ? *error : ignored;
    if (size.systemSnippets < 0 || size.userSnippets < 0) {
        reason = QStringLiteral("sizes cannot be negative");
        return std::nullopt;
    }
    if (QFileInfo::exists(root) &&
        !QDir(root).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        reason = QStringLiteral("%1 exists and is not an empty folder").arg(root);
        return std::nullopt;
    }

    Random random(size.seed);
    FixtureSummary summary;
    const QString xcode = fixtureXcodePath(root);
    if (!writeFile(appendPathComponent(xcode, QLatin1StringView(Xcode::kInfoPlistComponent)), infoPlist(),
                   &reason))
        return std::nullopt;

    std::vector<Snippet> system;
    system.reserve(static_cast<std::size_t>(size.systemSnippets));
    PlistPtr library(plist_new_array());
    for (int i = 0; i < size.systemSnippets; ++i) {
        const std::string language = lowered(random.pick(kTitleWords));
        system.push_back(snippet(random, "Xcode.SourceCodeSnippet." + language + '.' + std::to_string(i)));
        plist_array_append_item(library.get(), dictionary(system.back(), false).release());
    }
    const QByteArray libraryBytes = serialised(library.get(), false);
    if (!writeFile(appendPathComponent(xcode, QLatin1StringView(Xcode::kIdeKitLibraryComponent)),
                   libraryBytes, &reason)) {
        return std::nullopt;
    }
    summary.systemSnippets = size.systemSnippets;
    summary.libraryBytes = libraryBytes.size();

    const QString folder = fixtureUserFolder(root);
    if (!QDir().mkpath(folder)) {
        reason = QStringLiteral("cannot make %1").arg(folder);
        return std::nullopt;
    }
    // Overrides go round the system snippets; once every one has a file named after its identifier,
    // further files for the same identifier get names of their own, as copies between Macs leave them.
    const int overrides = size.systemSnippets > 0 ? size.userSnippets / 2 : 0;
    QSet<int> overridden;
    for (int i = 0; i < size.userSnippets; ++i) {
        const bool isOverride = i < overrides;
        std::string name;
        PlistPtr dict;
        if (isOverride) {
            const int target = i % size.systemSnippets;
            Snippet s = system[static_cast<std::size_t>(target)];
            const bool disabled = i % 10 == 0;
            if (disabled)
                s.completionPrefix.clear();
            else if (random.oneIn(3))
                s.contents = body(random);
            name = overridden.contains(target) ? uuid(random) : s.identifier;
            overridden.insert(target);
            dict = dictionary(s, true);
            ++summary.overrides;
            summary.disabledOverrides += disabled ? 1 : 0;
        } else {
            name = uuid(random);
            dict = dictionary(snippet(random, name), true);
            ++summary.plainUserSnippets;
        }
        const bool binary = random.oneIn(4);
        const QByteArray bytes = serialised(dict.get(), binary);
        if (!writeFile(
                appendPathComponent(folder, QString::fromStdString(name) + QStringLiteral(".codesnippet")),
                bytes, &reason)) {
            return std::nullopt;
        }
        ++summary.userFiles;
        summary.binaryFiles += binary ? 1 : 0;
        summary.userFolderBytes += bytes.size();
    }
    summary.overriddenSystemSnippets = static_cast<int>(overridden.size());
    return summary;
}

} // namespace Glimmerpad::Bench
