#pragma once

#include "catalogue/snippetrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Glimmerpad {

// What the list shows: the system snippets whose title or summary contains text (ignoring case and
// diacritics; empty text: all), of those only the overridden ones when changedOnly, only those whose
// override is stale when staleOnly, and of those only the ones in language (its readable name or
// the full IDECodeSnippetLanguage value, ignoring case; empty: any language). needsAttention shows
// the stale ones and, after them, the orphaned overrides (of snippets this Xcode no longer has).
struct SnippetFilter
{
    QString text = {};
    bool changedOnly = false;
    QString language = {};
    bool staleOnly = false;
    bool needsAttention = false;

    friend bool operator==(const SnippetFilter &, const SnippetFilter &) = default;
};

// What the filter looks at in the system snippets, made when first needed and kept until the
// library changes: their folded titles and summaries, and their languages.
class SnippetSearch
{
public:
    // Forgets what was made of the previous library.
    void reset();
    // The indexes, in system's order, of the snippets whose folded title or summary contains the
    // folded text; text is not empty. Typing on narrows what matched the shorter text.
    QList<qsizetype> matches(const QList<SnippetRecord> &system, const QString &text);
    // Each system snippet's IDECodeSnippetLanguage value, empty when it has none.
    const QStringList &languageValues(const QList<SnippetRecord> &system);

private:
    void ensureText(const QList<SnippetRecord> &system);

    // The folded titles and summaries in one text, so that a search is one scan: system snippet i's
    // folded title and summary, each followed by a NUL, start at m_starts[2i] and [2i + 1]; one
    // more start marks the end. A missing title or summary folds to nothing and so never matches.
    QString m_text;
    QList<qsizetype> m_starts;
    // The last search's folded text and what it matched.
    QString m_lastNeedle;
    QList<qsizetype> m_lastMatches;
    QStringList m_languages;
};

} // namespace Glimmerpad
