#include "catalogue/rebase.h"

#include "catalogue/snippetcatalogue.h"

namespace Glimmerpad::Rebase {

namespace {

// Whose shortcut the rebased override takes: off stays off, one of the user's own stays, and one
// the standard gave is the current standard's.
void setShortcut(plist_t dictionary, const SnippetRecord &override, const SnippetRecord &standard,
                 const SnippetRecord &current, Mode mode)
{
    const std::optional<QString> &mine = override.completionPrefix();
    const std::optional<QString> &recorded = standard.completionPrefix();
    const bool off = SnippetCatalogue::isDisabledOverride(override);
    const bool ownShortcut = mode == Mode::KeepMine ||
                             (mode == Mode::Merge && !standard.isNull() && !off && mine != recorded &&
                              !(mine == QStringLiteral(" ") && recorded && recorded->isEmpty()));
    if (off) {
        plist_dict_set_item(dictionary, SnippetKey::CompletionPrefix, plist_new_string(""));
    } else if (ownShortcut) {
        if (mine)
            plist_dict_set_item(dictionary, SnippetKey::CompletionPrefix, plist_new_string(mine->toUtf8().constData()));
        else
            plist_dict_remove_item(dictionary, SnippetKey::CompletionPrefix);
    } else if (const std::optional<QString> &standards = current.completionPrefix(); standards && standards->isEmpty()) {
        plist_dict_set_item(dictionary, SnippetKey::CompletionPrefix, plist_new_string(" ")); // on, without one
    }
}

// Puts the body of source into dictionary as source holds it: whatever its value, or none.
void takeBody(plist_t dictionary, const SnippetRecord &source)
{
    if (plist_t body = plist_dict_get_item(source.dictionary(), SnippetKey::Contents))
        plist_dict_set_item(dictionary, SnippetKey::Contents, plist_copy(body));
    else
        plist_dict_remove_item(dictionary, SnippetKey::Contents);
}

} // namespace

Outcome rebase(const SnippetRecord &override, const SnippetRecord &standard, const SnippetRecord &current, Mode mode,
               const BodyMerger &merger)
{
    Outcome outcome;
    PlistPtr dictionary = current.copyDictionary();
    plist_dict_set_item(dictionary.get(), SnippetKey::UserSnippet, plist_new_bool(1));
    plist_dict_set_item(dictionary.get(), SnippetKey::Version, plist_new_uint(2));
    setShortcut(dictionary.get(), override, standard, current, mode);

    const std::optional<QString> mine = override.contents();
    const std::optional<QString> base = standard.contents();
    const std::optional<QString> theirs = current.contents();
    if (mode == Mode::TakeStandard) {
        // The current record's body, as copied.
    } else if (mode == Mode::KeepMine || standard.isNull() || mine == theirs || theirs == base) {
        takeBody(dictionary.get(), override); // the user's, also where the standard did not change
    } else if (mine != base) {
        // Both changed it: the user's changes merged into the new standard.
        QString error;
        const std::optional<BodyMerge> merged =
            merger ? merger(base.value_or(QString()), mine.value_or(QString()), theirs.value_or(QString()), &error)
                   : std::nullopt;
        if (!merged) {
            outcome.refusal = merger ? QStringLiteral("the bodies could not be merged: %1").arg(error)
                                     : QStringLiteral("no way to merge bodies was given");
            return outcome;
        }
        if (merged->conflicted) {
            outcome.conflictText = merged->text;
            return outcome;
        }
        plist_dict_set_item(dictionary.get(), SnippetKey::Contents, plist_new_string(merged->text.toUtf8().constData()));
    }
    outcome.dictionary = std::move(dictionary);
    return outcome;
}

} // namespace Glimmerpad::Rebase
