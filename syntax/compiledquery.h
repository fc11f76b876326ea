#pragma once

#include "syntax/syntax.h"

#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QRegularExpression>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

struct TSLanguage;
struct TSQuery;

// The highlight queries, compiled: what the document needs to turn a syntax tree into spans.
namespace Glimmerpad::Syntax {

// The grammar of a language (null for None), and its highlight query's source (generated from the
// grammars' highlights.scm).
const TSLanguage *grammar(Language language);
const char *querySource(Language language);

// The kind a capture name gives: the whole name, else its prefixes ("keyword.function.builtin",
// "keyword.function", "keyword"); nothing for names that colour nothing here ("spell", "label").
std::optional<Kind> kindOfCapture(QByteArrayView name);

// One text predicate of a pattern, which tree-sitter 0.20 leaves to its user to check.
struct Predicate
{
    enum class Test : quint8
    {
        Eq,
        EqCapture,
        Match,
        AnyOf,
        HasAncestor
    };
    Test test = Test::Eq;
    bool negated = false; // the not- form
    std::uint32_t capture = 0;
    std::uint32_t otherCapture = 0; // EqCapture
    QStringList strings;            // Eq: one; AnyOf: the choices
    QList<QByteArray> nodeTypes;    // HasAncestor
    QRegularExpression regex;       // Match
};

struct CompiledQuery
{
    CompiledQuery() = default;
    CompiledQuery(const CompiledQuery &) = delete;
    CompiledQuery &operator=(const CompiledQuery &) = delete;
    ~CompiledQuery();

    TSQuery *query = nullptr;                       // null when nothing of the query could be compiled
    std::vector<std::vector<Predicate>> predicates; // by pattern
    std::vector<qint8> captureKinds;                // by capture id: a Kind, or -1 for none
    QStringList dropped;                            // the patterns left out, and why
};

// Compiles the language's query, leaving out patterns that do not compile or whose predicates are
// not among those implemented (eq?, match?, any-of?, has-ancestor? and their not- forms).
CompiledQuery *compileQuery(Language language);

// The compiled queries, one per language, made on a worker thread at first need and kept for the
// life of the process; a compile still running when the application object is destroyed is waited
// for then. Thread-safe.
class Queries : public QObject
{
    Q_OBJECT

public:
    static Queries &instance();

    // The language's query when compiled; otherwise null, and its compile is started (once) on a
    // worker thread, after which ready() is emitted. Without an application object (a tool) the
    // query is compiled on the calling thread instead.
    const CompiledQuery *query(Language language);
    // Compiles the query on this thread unless it is compiled or compiling; then waits for it.
    const CompiledQuery *waitForQuery(Language language);

Q_SIGNALS:
    // Emitted on the worker thread: receivers on other threads get it queued.
    void ready(Glimmerpad::Syntax::Language language);

private:
    Queries() = default;
};

} // namespace Glimmerpad::Syntax
