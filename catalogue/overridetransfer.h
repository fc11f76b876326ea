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
// folder as "<identifier>.codesnippet", in title order; the folder is made when missing. Refused
// whole, nothing written, when the folder already holds a ".codesnippet" entry: one failed result
// naming the folder. Files carrying identifiers no system snippet has are not copied.
QList<TransferResult> exportOverrides(SnippetCatalogue &catalogue, const QString &folder);

// Makes the overrides that snippet files describe: each path is a snippet file or a folder whose
// ".codesnippet" entries are read (not its subfolders). A file whose identifier names a system
// snippet becomes that snippet's override as if made by hand: the system record with the file's
// contents (absent: the system's) and the file's shortcut state (an empty completion prefix: off);
// an override it replaces goes to the trash first. Of several files for one snippet the first
// governs and the others are skipped, as in the snippet folder. Anything else is skipped with the
// reason: one result per file, in the order given (a folder's files by name), or per path that is
// missing, unreadable or a folder without snippet files. The overrides are written as one batch.
QList<TransferResult> importOverrides(SnippetCatalogue &catalogue, const QStringList &paths);

} // namespace Glimmerpad::OverrideTransfer
