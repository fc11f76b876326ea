#include "syntax/compiledquery.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <tree_sitter/api.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

extern "C" {
const TSLanguage *tree_sitter_c();
const TSLanguage *tree_sitter_cpp();
const TSLanguage *tree_sitter_objc();
const TSLanguage *tree_sitter_swift();
}

Q_LOGGING_CATEGORY(lcSyntax, "glimmerpad.syntax", QtWarningMsg)

namespace Glimmerpad::Syntax {

namespace {

constexpr std::array kLanguages = {Language::C, Language::Cpp, Language::ObjectiveC, Language::Swift};

// Where each top-level pattern of a query source starts: at an opening bracket or a string outside
// any bracket, comments and strings skipped. A pattern runs to the next one's start.
QList<qsizetype> topLevelPatternStarts(QByteArrayView source)
{
    QList<qsizetype> starts;
    int depth = 0;
    for (qsizetype i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (c == ';') {
            while (i < source.size() && source[i] != '\n')
                ++i;
        } else if (c == '"') {
            if (depth == 0)
                starts.append(i);
            for (++i; i < source.size() && source[i] != '"'; ++i) {
                if (source[i] == '\\')
                    ++i;
            }
        } else if (c == '(' || c == '[') {
            if (depth++ == 0)
                starts.append(i);
        } else if ((c == ')' || c == ']') && depth > 0) {
            --depth;
        }
    }
    return starts;
}

int lineAt(QByteArrayView source, qsizetype offset)
{
    return int(source.first(std::min(offset, source.size())).count('\n')) + 1;
}

QString firstLineAt(QByteArrayView source, qsizetype offset)
{
    const QByteArrayView rest = source.sliced(std::min(offset, source.size()));
    const qsizetype end = rest.indexOf('\n');
    return QString::fromUtf8(end < 0 ? rest : rest.first(end)).trimmed();
}

const char *queryErrorName(TSQueryError error)
{
    switch (error) {
    case TSQueryErrorSyntax:
        return "a syntax error";
    case TSQueryErrorNodeType:
        return "a node type the grammar lacks";
    case TSQueryErrorField:
        return "a field the grammar lacks";
    case TSQueryErrorCapture:
        return "an unknown capture";
    case TSQueryErrorStructure:
        return "a structure the grammar cannot produce";
    case TSQueryErrorLanguage:
        return "a grammar of another version";
    case TSQueryErrorNone:
        break;
    }
    return "an error";
}

// The predicates of one pattern, or the reason they cannot be checked here.
std::variant<std::vector<Predicate>, QString> readPredicates(const TSQuery *query, std::uint32_t pattern)
{
    std::uint32_t count = 0;
    const TSQueryPredicateStep *steps = ts_query_predicates_for_pattern(query, pattern, &count);
    std::vector<Predicate> predicates;
    for (std::uint32_t first = 0; first < count;) {
        std::uint32_t done = first;
        while (done < count && steps[done].type != TSQueryPredicateStepTypeDone)
            ++done;
        const auto string = [&](std::uint32_t i) {
            std::uint32_t length = 0;
            const char *value = ts_query_string_value_for_id(query, steps[i].value_id, &length);
            return QByteArrayView(value, length);
        };
        const auto isCapture = [&](std::uint32_t i) {
            return i < done && steps[i].type == TSQueryPredicateStepTypeCapture;
        };
        const auto isString = [&](std::uint32_t i) {
            return i < done && steps[i].type == TSQueryPredicateStepTypeString;
        };
        if (!isString(first))
            return QStringLiteral("a predicate without a name");
        QByteArrayView name = string(first);
        Predicate predicate;
        predicate.negated = name.startsWith("not-");
        if (predicate.negated)
            name = name.sliced(4);
        const std::uint32_t arguments = done - first - 1;
        if (!isCapture(first + 1))
            return u"#%1 without a capture"_qs.arg(QString::fromUtf8(string(first)));
        predicate.capture = steps[first + 1].value_id;
        bool understood = true;
        if (name == "eq?" && arguments == 2 && isCapture(first + 2)) {
            predicate.test = Predicate::Test::EqCapture;
            predicate.otherCapture = steps[first + 2].value_id;
        } else if (name == "eq?" && arguments == 2 && isString(first + 2)) {
            predicate.test = Predicate::Test::Eq;
            predicate.strings.append(QString::fromUtf8(string(first + 2)));
        } else if (name == "match?" && arguments == 2 && isString(first + 2)) {
            predicate.test = Predicate::Test::Match;
            predicate.regex.setPattern(QString::fromUtf8(string(first + 2)));
            if (!predicate.regex.isValid())
                return u"#match? with a pattern Qt cannot read (%1)"_qs.arg(predicate.regex.errorString());
            predicate.regex.optimize();
        } else if ((name == "any-of?" || name == "has-ancestor?") && arguments >= 2) {
            const bool anyOf = name == "any-of?";
            predicate.test = anyOf ? Predicate::Test::AnyOf : Predicate::Test::HasAncestor;
            for (std::uint32_t i = first + 2; i < done; ++i) {
                understood = understood && isString(i);
                if (anyOf)
                    predicate.strings.append(QString::fromUtf8(string(i)));
                else
                    predicate.nodeTypes.append(string(i).toByteArray());
            }
        } else {
            understood = false;
        }
        if (!understood)
            return u"#%1 is not checked here"_qs.arg(QString::fromUtf8(string(first)));
        predicates.push_back(std::move(predicate));
        first = done + 1;
    }
    return predicates;
}

struct Slot
{
    std::atomic<const CompiledQuery *> compiled = nullptr;
    bool started = false;
};

// The compiles' state. Never destroyed, like the queries: nothing a worker touches goes away at exit.
struct State
{
    std::mutex mutex;
    std::condition_variable compiled;
    std::array<Slot, kLanguages.size()> slots;
    std::vector<std::thread> workers;
};

State &state()
{
    static State *const instance = new State;
    return *instance;
}

Slot &slotOf(Language language)
{
    return state().slots[static_cast<std::size_t>(language) - 1];
}

void compileAndPublish(Language language)
{
    const CompiledQuery *compiled = compileQuery(language);
    {
        const std::lock_guard lock(state().mutex);
        slotOf(language).compiled.store(compiled, std::memory_order_release);
    }
    state().compiled.notify_all();
    Q_EMIT Queries::instance().ready(language);
}

// A compile still running when the application object goes is waited for then, before anything it
// uses is destroyed.
void joinWorkers()
{
    std::vector<std::thread> workers;
    {
        const std::lock_guard lock(state().mutex);
        workers.swap(state().workers);
    }
    for (std::thread &worker : workers)
        worker.join();
}

} // namespace

const TSLanguage *grammar(Language language)
{
    switch (language) {
    case Language::C:
        return tree_sitter_c();
    case Language::Cpp:
        return tree_sitter_cpp();
    case Language::ObjectiveC:
        return tree_sitter_objc();
    case Language::Swift:
        return tree_sitter_swift();
    case Language::None:
        break;
    }
    return nullptr;
}

std::optional<Kind> kindOfCapture(QByteArrayView name)
{
    static const std::pair<const char *, Kind> kNames[] = {
        {"keyword", Kind::Keyword},
        {"keyword.directive", Kind::Preprocessor},
        {"storageclass", Kind::Keyword},
        {"exception", Kind::Keyword},
        {"type.qualifier", Kind::Keyword},
        {"variable.builtin", Kind::Keyword},  // self, super, this
        {"character.special", Kind::Keyword}, // Swift's _
        {"string", Kind::String},
        {"character", Kind::String},
        {"comment", Kind::Comment},
        {"number", Kind::Number},
        {"type", Kind::Type},
        {"namespace", Kind::Type},
        {"function", Kind::Function},
        {"method", Kind::Function},
        {"constructor", Kind::Function},
        {"function.macro", Kind::Preprocessor},
        {"constant", Kind::Constant},
        {"boolean", Kind::Constant},
        {"variable", Kind::Variable},
        {"parameter", Kind::Variable},
        {"variable.member", Kind::Property},
        {"property", Kind::Property},
        {"field", Kind::Property},
        {"include", Kind::Preprocessor},
        {"preproc", Kind::Preprocessor},
        {"attribute", Kind::Attribute},
        {"operator", Kind::Operator},
        {"punctuation", Kind::Punctuation},
        {"delimiter", Kind::Punctuation},
    };
    for (QByteArrayView prefix = name; !prefix.isEmpty();) {
        for (const auto &[capture, kind] : kNames) {
            if (prefix == capture)
                return kind;
        }
        const qsizetype dot = prefix.lastIndexOf('.');
        prefix = dot < 0 ? QByteArrayView() : prefix.first(dot);
    }
    return std::nullopt;
}

CompiledQuery::~CompiledQuery()
{
    if (query)
        ts_query_delete(query);
}

CompiledQuery *compileQuery(Language language)
{
    auto *compiled = new CompiledQuery;
    const TSLanguage *language_ = grammar(language);
    if (!language_)
        return compiled;
    // A pattern the grammar cannot take is blanked out (its lines kept, so that later errors still
    // name the right line) and the rest compiled again.
    QByteArray source(querySource(language));
    const QList<qsizetype> starts = topLevelPatternStarts(source);
    for (qsizetype attempt = 0; attempt <= starts.size(); ++attempt) {
        std::uint32_t errorOffset = 0;
        TSQueryError error = TSQueryErrorNone;
        compiled->query =
            ts_query_new(language_, source.constData(), std::uint32_t(source.size()), &errorOffset, &error);
        if (compiled->query)
            break;
        const auto after = std::upper_bound(starts.cbegin(), starts.cend(), qsizetype(errorOffset));
        if (after == starts.cbegin())
            break;
        const qsizetype begin = *(after - 1), end = after == starts.cend() ? source.size() : *after;
        compiled->dropped.append(
            u"%1, line %2: %3 (%4)"_qs.arg(QLatin1StringView(languageName(language)))
                .arg(lineAt(source, begin))
                .arg(firstLineAt(source, begin), QLatin1StringView(queryErrorName(error))));
        for (qsizetype i = begin; i < end; ++i) {
            if (source[i] != '\n')
                source[i] = ' ';
        }
    }
    if (!compiled->query) {
        qCWarning(lcSyntax) << "no highlighting for" << languageName(language)
                            << ": its query does not compile";
        return compiled;
    }

    const std::uint32_t captures = ts_query_capture_count(compiled->query);
    for (std::uint32_t id = 0; id < captures; ++id) {
        std::uint32_t length = 0;
        const char *name = ts_query_capture_name_for_id(compiled->query, id, &length);
        const std::optional<Kind> kind = kindOfCapture(QByteArrayView(name, length));
        compiled->captureKinds.push_back(kind ? qint8(*kind) : qint8(-1));
    }
    const std::uint32_t patterns = ts_query_pattern_count(compiled->query);
    compiled->predicates.resize(patterns);
    for (std::uint32_t pattern = 0; pattern < patterns; ++pattern) {
        auto predicates = readPredicates(compiled->query, pattern);
        if (auto *reason = std::get_if<QString>(&predicates)) {
            ts_query_disable_pattern(compiled->query, pattern);
            const qsizetype begin = ts_query_start_byte_for_pattern(compiled->query, pattern);
            compiled->dropped.append(u"%1, line %2: %3 (%4)"_qs.arg(QLatin1StringView(languageName(language)))
                                         .arg(lineAt(source, begin))
                                         .arg(firstLineAt(source, begin), *reason));
        } else {
            compiled->predicates[pattern] = std::move(std::get<std::vector<Predicate>>(predicates));
        }
    }
    for (const QString &dropped : std::as_const(compiled->dropped))
        qCDebug(lcSyntax) << "pattern left out:" << dropped;
    return compiled;
}

Queries &Queries::instance()
{
    // Never destroyed: a compile may still be finishing on its worker while the process ends.
    static Queries *const instance = new Queries;
    return *instance;
}

const CompiledQuery *Queries::query(Language language)
{
    if (language == Language::None)
        return nullptr;
    Slot &slot = slotOf(language);
    if (const CompiledQuery *compiled = slot.compiled.load(std::memory_order_acquire))
        return compiled;
    // Without an application there is no window to keep responsive, and no event loop to tell.
    if (!QCoreApplication::instance())
        return waitForQuery(language);
    const std::lock_guard lock(state().mutex);
    if (!slot.started) {
        slot.started = true;
        if (state().workers.empty())
            qAddPostRoutine(joinWorkers);
        state().workers.emplace_back(compileAndPublish, language);
    }
    return nullptr;
}

const CompiledQuery *Queries::waitForQuery(Language language)
{
    if (language == Language::None)
        return nullptr;
    Slot &slot = slotOf(language);
    if (const CompiledQuery *compiled = slot.compiled.load(std::memory_order_acquire))
        return compiled;
    std::unique_lock lock(state().mutex);
    if (!slot.started) {
        slot.started = true;
        lock.unlock();
        compileAndPublish(language);
        return slot.compiled.load(std::memory_order_acquire);
    }
    state().compiled.wait(lock, [&] { return slot.compiled.load(std::memory_order_acquire) != nullptr; });
    return slot.compiled.load(std::memory_order_acquire);
}

} // namespace Glimmerpad::Syntax
