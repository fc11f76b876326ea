#pragma once

#include "catalogue/snippetrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Glimmerpad {

// What the list shows: the system snippets whose title, summary or completion shortcut (the
// system's or the one shown) contains text (ignoring case and diacritics; empty text: all) and
// whose shown body contains body (likewise; empty: any), of those only the overridden ones when changedOnly, only those whose
// override is stale when staleOnly, and of those only the ones in language (its readable name or
// the full IDECodeSnippetLanguage value, ignoring case; empty: any language). needsAttention shows
// the stale ones and, after them, the orphaned overrides (of snippets this Xcode no longer has);
// clashesOnly the ones whose shortcut another snippet answers too. With textInBodies, text also
// finds the snippets whose shown body contains it.
struct SnippetFilter
{
    QString text = {};
    bool changedOnly = false;
    QString language = {};
    bool staleOnly = false;
    bool needsAttention = false;
    QString body = {};
    bool clashesOnly = false;
    bool textInBodies = false; // the text matches a shown body too

    friend bool operator==(const SnippetFilter &, const SnippetFilter &) = default;
};

// What the filter looks at in the system snippets, made when first needed and kept until the
// library changes: their folded titles, summaries and shortcuts, their folded bodies, and their
// languages.
class SnippetSearch
{
public:
    // Forgets what was made of the previous library.
    void reset();
    // The indexes, in system's order, of the snippets whose folded title, summary or completion
    // shortcut contains the folded text; text is not empty. Typing on narrows what matched the
    // shorter text.
    QList<qsizetype> matches(const QList<SnippetRecord> &system, const QString &text);
    // The indexes, in system's order, of the snippets whose folded body contains the folded text;
    // the bodies are folded at the first such search.
    QList<qsizetype> bodyMatches(const QList<SnippetRecord> &system, const QString &text);
    // Each system snippet's IDECodeSnippetLanguage value, empty when it has none.
    const QStringList &languageValues(const QList<SnippetRecord> &system);

private:
    static constexpr qsizetype kTextFields = 3; // title, summary, shortcut
    void ensureText(const QList<SnippetRecord> &system);
    void ensureBodies(const QList<SnippetRecord> &system);

    // The folded fields in one text, so that a search is one scan: system snippet i's folded field
    // k, followed by a NUL, starts at m_starts[kTextFields * i + k]; one more start marks the end.
    // A missing field folds to nothing and so never matches.
    QString m_text;
    QList<qsizetype> m_starts;
    // The last search's folded text and what it matched.
    QString m_lastNeedle;
    QList<qsizetype> m_lastMatches;
    QStringList m_languages;
    // The folded bodies, laid out likewise, one field each.
    QString m_bodies;
    QList<qsizetype> m_bodyStarts;
};

} // namespace Glimmerpad
