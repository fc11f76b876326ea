#pragma once

#include "syntax/syntax.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

struct TSParser;
struct TSQueryCursor;
struct TSTree;

namespace Glimmerpad::Syntax {

struct CompiledQuery;

// Starts compiling the language's highlight query on a worker thread unless that was done; true
// when it is compiled. Documents do this themselves; calling it early only saves them the wait.
bool prepare(Language language);
// Waits until the language's query is compiled (compiling it on this thread when nobody has
// started to): for tools, tests and benchmarks, never for a window's thread.
void waitUntilPrepared(Language language);
// The patterns of the language's query that were left out, with why: those naming what the
// grammar lacks, and those with a predicate other than #eq?, #match?, #any-of?, #has-ancestor? and
// their not- forms. Empty until the query is compiled.
QStringList droppedPatterns(Language language);

// The syntax tree of one body and its highlighting. Placeholder tokens (<#name#>) are parsed as
// an identifier of their length, so that `if (<#condition#>)` reads as code, and get no span of
// their own: the editor draws them. Used on one thread; no call waits for a query to compile.
class Document : public QObject
{
    Q_OBJECT

public:
    explicit Document(Language language, QObject *parent = nullptr);
    ~Document() override;

    Language language() const { return m_language; }
    // Whether spans() can say anything: the language's query is compiled. Until then it gives none.
    bool isReady() const { return m_query != nullptr; }
    // Whether the text has a tree: not when it is over 8 M characters long, or took too long.
    bool isParsed() const { return m_tree != nullptr; }
    // Whether the tree has syntax errors (a fragment, or text being typed).
    bool hasErrors() const;

    void setText(const QString &text);
    // The text after an edit, with the edit as QTextDocument::contentsChange reports it (UTF-16
    // positions, the added characters counted in newText). The tree is edited and parsed again
    // incrementally; what changed is found by comparing the texts, so a report that overstates the
    // edit (QTextDocument's does when only formats change) costs nothing. Returns the stretches of
    // newText whose highlighting may have changed, in order and apart; they hold the edit itself.
    QList<TextRange> applyEdit(const QString &newText, int position, int charsRemoved, int charsAdded);

    // The spans in [start, start + length) (one text block, say), clipped to it, in order and not
    // overlapping. Where patterns capture one node the last of them decides; an inner node's kind
    // shows over its outer node's.
    QList<Span> spans(int start, int length) const;

Q_SIGNALS:
    // Emitted once, on this document's thread, when the query it waited for has been compiled:
    // highlight again then.
    void highlightingReady();

private:
    // The tree of m_parsed, from old when it was edited to it; null when out of time or too long.
    TSTree *treeOf(const TSTree *old);
    QList<TextRange> edit(const QString &newText, int position, int charsAdded);
    // The kind of each unit of [start, end), -1 for none.
    std::vector<qint8> kinds(int start, int end) const;

    Language m_language;
    const CompiledQuery *m_query = nullptr;
    TSParser *m_parser = nullptr;
    TSTree *m_tree = nullptr;
    TSQueryCursor *m_cursor = nullptr;
    // The text as parsed: placeholder tokens replaced by underscores.
    QString m_parsed;
    // The placeholder tokens of the text, in order.
    QList<TextRange> m_tokens;
    // What the last edit changed (all of a text just set), not yet asked for: the editor asks for
    // its lines one after another, and one query over all of them costs a fraction of one per line.
    QList<TextRange> m_changed;
    mutable int m_cacheStart = 0;
    mutable std::vector<qint8> m_cache; // the kinds from m_cacheStart on
};

} // namespace Glimmerpad::Syntax
