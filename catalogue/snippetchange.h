#pragma once

#include "catalogue/rebase.h"
#include "catalogue/snippetrecord.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace Glimmerpad {

// What governs a system snippet on disk: the override's file and the bytes it was read from;
// both empty when nothing overrides the snippet. A writer that read an override compares it with
// what is there when it writes, so that a change made meanwhile is never overwritten unseen.
struct OverrideSnapshot
{
    QString path;
    QByteArray bytes;

    friend bool operator==(const OverrideSnapshot &, const OverrideSnapshot &) = default;
};

// One change to a system snippet's override, named by the system record it starts from: a record
// of the catalogue's library, so that of several snippets sharing an identifier it is exactly this
// one. What a change keeps "as shown" is what the folder holds when the change is made, under its
// lock: a change another program made meanwhile is kept, not undone.
struct SnippetChange
{
    enum class Kind
    {
        Override, // write the override
        Revert,   // remove it, with every other file that carries the identifier
        Rebase,   // make it again on the current system record, with the user's changes
    };
    enum class Shortcut
    {
        Off,     // the empty completion shortcut
        On,      // the system's shortcut (" " when that is empty)
        AsShown, // off when the snippet is switched off now, else as shown (a shortcut of the user's kept)
        Given,   // shortcutText
    };
    enum class Body
    {
        System, // the system snippet's own body
        Shown,  // the body the snippet shows now: its override's, absent when the override has none
        Given,  // contents
    };

    Kind kind = Kind::Override;
    SnippetRecord system;
    Shortcut shortcut = Shortcut::AsShown;
    Body body = Body::Shown;
    QString contents;
    std::optional<OverrideSnapshot> expected; // only while the override on disk is still this one
    bool trashReplaced = false;               // an override this one replaces goes to the trash first
    // The system record is recorded as the override's standard, as when it is made: the save that
    // ends a rebase the user finished by hand.
    bool recordsStandard = false;
    Rebase::Mode rebaseMode = Rebase::Mode::Merge;
    QString shortcutText = {};

    // The shortcut switched as asked and the body given; none: the system snippet's own.
    static SnippetChange override(SnippetRecord system, bool disableShortcut, std::optional<QString> contents)
    {
        return {Kind::Override, std::move(system), disableShortcut ? Shortcut::Off : Shortcut::On,
                contents ? Body::Given : Body::System, contents.value_or(QString()), {}, false};
    }
    // The shortcut switched as asked, the body kept as shown.
    static SnippetChange switchShortcut(SnippetRecord system, bool disableShortcut)
    {
        return {Kind::Override, std::move(system), disableShortcut ? Shortcut::Off : Shortcut::On, Body::Shown, {}, {},
                false};
    }
    // The body given, the shortcut kept as shown.
    static SnippetChange setContents(SnippetRecord system, QString contents)
    {
        return {Kind::Override, std::move(system), Shortcut::AsShown, Body::Given, std::move(contents), {}, false};
    }
    // The shortcut given, the body kept as shown: a switched-off snippet is thereby on again.
    static SnippetChange setShortcut(SnippetRecord system, QString shortcut)
    {
        return SnippetChange{Kind::Override, std::move(system), Shortcut::AsShown, Body::Shown, {}, {}, false}
            .withShortcut(std::move(shortcut));
    }
    static SnippetChange revert(SnippetRecord system) { return {Kind::Revert, std::move(system), {}, {}, {}, {}, false}; }
    static SnippetChange rebase(SnippetRecord system, Rebase::Mode mode = Rebase::Mode::Merge)
    {
        SnippetChange change{Kind::Rebase, std::move(system), {}, {}, {}, {}, false};
        change.rebaseMode = mode;
        return change;
    }

    SnippetChange withShortcut(QString text) const
    {
        SnippetChange change = *this;
        change.shortcut = Shortcut::Given;
        change.shortcutText = std::move(text);
        return change;
    }
    SnippetChange expecting(OverrideSnapshot snapshot) const
    {
        SnippetChange change = *this;
        change.expected = std::move(snapshot);
        return change;
    }
};

} // namespace Glimmerpad
