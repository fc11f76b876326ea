#pragma once

#include "catalogue/propertylist.h"
#include "catalogue/snippetrecord.h"

#include <QString>

#include <functional>
#include <optional>

// Bringing an override made from an older system record onto the current one: the current record,
// with what the user changed in the override (its body, its shortcut) kept.
namespace Glimmerpad::Rebase {

// The merge of two changed versions of a body.
struct BodyMerge
{
    QString text;
    bool conflicted = false; // the text marks lines both changed; nothing is written from it unasked
};
// Merges the changes from base to ours and from base to theirs; nothing, with the reason in
// *error, when it cannot. Set by the programs (the merge needs libgit2, which the catalogue does
// not link).
using BodyMerger =
    std::function<std::optional<BodyMerge>(const QString &base, const QString &ours, const QString &theirs, QString *error)>;

enum class Mode
{
    Merge,        // the user's changes from the recorded standard, merged into the current record
    KeepMine,     // the current record with the override's body and shortcut
    TakeStandard, // the current record, the override's on/off state kept
};

struct Outcome
{
    PlistPtr dictionary;    // the override to write, when it could be made
    QString conflictText;   // the merged body with its conflicts marked, when the merge conflicted
    QString refusal;        // why no override can be made
    bool conflicted() const { return !conflictText.isNull(); }
};

// The override rebased onto current. standard is the record the override was made from, null when
// none was recorded: then the override's body and on/off state are kept. A shortcut of " ", which
// an enabled override of a snippet without a shortcut holds, counts as the standard's empty one.
Outcome rebase(const SnippetRecord &override, const SnippetRecord &standard, const SnippetRecord &current, Mode mode,
               const BodyMerger &merger);

} // namespace Glimmerpad::Rebase
