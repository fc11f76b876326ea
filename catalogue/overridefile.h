#pragma once

#include "catalogue/propertylist.h"
#include "catalogue/snippetrecord.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The contents of an override file: what it holds, and bytes that read back as exactly that.
namespace Glimmerpad::OverrideFile {

// An override of a system snippet: a copy of its record, marked as a user snippet of version 2,
// with the shortcut blanked when disabled (an empty shortcut of an enabled one becomes " ", which
// does not read as disabled) and the given contents in place of the system's.
PlistPtr dictionary(const SnippetRecord &system, bool disableShortcut, const std::optional<QString> &contents);
// Puts the body of shown (an override) into dictionary as shown holds it: whatever its value, or
// no body at all when it has none.
void keepContents(plist_t dictionary, const SnippetRecord &shown);

// Why text cannot be a snippet's contents; empty when it can. Checked before anything is encoded,
// so the reason can name the character and its line.
QString contentsRefusal(const QString &contents);

struct Encoded
{
    SnippetRecord record; // what was read back, whose source bytes are the XML to write
    QString refusal;      // why the dictionary cannot be written; empty when record holds it

    bool ok() const { return refusal.isEmpty(); }
};

// Encodes the dictionary as an XML property list and reads it back, with a strict XML reader and
// with the catalogue's own reader: only bytes that both accept and that give back every key and
// value exactly are returned. Anything else is refused, with the reason.
Encoded encode(plist_t dictionary);

} // namespace Glimmerpad::OverrideFile
