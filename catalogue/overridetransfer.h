#pragma once

#include "catalogue/snippetcatalogue.h"

#include <QList>
#include <QString>
#include <QStringList>

// Overrides carried between machines: copied out of the user snippet folder as they are, and made
// again from snippet files.
namespace Glimmerpad::OverrideTransfer {

// What became of one snippet file in an export or an import. identifier is empty when the file
// carried none; system is the system snippet whose override was imported; file is the file written
// (export) or read (import), or the folder when the whole export was refused, as people read it;
// error says why when not ok; notCarried names the keys of an imported file that its override does
// not carry.
struct TransferResult
{
    QString identifier = {};
    SnippetRecord system = {};
    QString file = {};
    bool ok = false;
    QString error = {};
    QStringList notCarried = {};
};

// Copies the governing override file of every overridden system snippet, byte for byte, into
// folder as "<identifier>.codesnippet", in title order, then those of snippets this Xcode no
// longer has (orphaned, or made in a newer Xcode), by name; the folder is made when missing. What
// each was made from, when recorded, goes beside it as ".glimmerpad/<identifier>.codesnippet".
// Refused whole, nothing written, when the folder or its ".glimmerpad" folder already holds a
// ".codesnippet" entry: one failed result naming the folder. The user's own snippets (identifiers
// no system snippet has, nothing recorded) are not copied.
QList<TransferResult> exportOverrides(SnippetCatalogue &catalogue, const QString &folder);

// Makes the overrides that snippet files describe: each path is a snippet file or a folder whose
// ".codesnippet" entries are read (not its subfolders). A file whose identifier names a system
// snippet becomes that snippet's override as if made by hand: the system record with the file's
// contents (absent: the system's) and the file's shortcut state (an empty completion prefix: off);
// an override it replaces goes to the trash first. When what the file's override was made from
// lies beside it (in ".glimmerpad/<file name>", as export writes it), the override is rebased onto
// this Xcode's snippet first: a body the user did not change is this Xcode's, one both changed is
// merged, and a conflict skips the file. Of several files for one snippet the first governs and
// the others are skipped, as in the snippet folder. A ".glimmerpad" folder, or a file in one, is
// skipped, and anything else, with the reason: one result per file, in the order given (a folder's
// files by name), or per path that is missing, unreadable or a folder without snippet files. The
// overrides are written as one batch, each recording this Xcode's snippet as what it was made from.
QList<TransferResult> importOverrides(SnippetCatalogue &catalogue, const QStringList &paths);

} // namespace Glimmerpad::OverrideTransfer
