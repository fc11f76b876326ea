#pragma once

#include "catalogue/snippetrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

// Completion shortcuts: which text can be one, and which snippets answer the same one where Xcode
// would offer both.
namespace Glimmerpad::Shortcuts {

inline constexpr char kScopesKey[] = "IDECodeSnippetCompletionScopes";
inline constexpr char kAllScopes[] = "All";

// Why text cannot be a completion shortcut; empty when it can. An empty shortcut is how a snippet
// is switched off, which the shortcut switch does, not a typed shortcut.
QString refusal(const QString &shortcut);

// Whether a snippet, as Xcode uses it, answers its shortcut: one that is not blank once trimmed.
bool isEnabled(const SnippetRecord &shown);

// The completion scopes of a snippet; a snippet that names none is offered everywhere.
QStringList scopes(const SnippetRecord &record);
bool scopesMeet(const QStringList &a, const QStringList &b);

// One snippet Xcode would offer, as it would use it.
struct Candidate
{
    SnippetRecord shown;
    QString identifier;
};

// For each candidate, the indexes of the others it clashes with, in order: both enabled, the same
// shortcut, the same language, and scopes that meet.
QList<QList<qsizetype>> clashes(const QList<Candidate> &candidates);

} // namespace Glimmerpad::Shortcuts
