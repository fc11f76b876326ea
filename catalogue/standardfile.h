#pragma once

#include "catalogue/overridefile.h"
#include "catalogue/snippetrecord.h"

#include <QString>

// What an override was made from: the system record it copied and the version of the Xcode that
// record came from. Kept beside the override, in the snippet folder's ".glimmerpad" folder under
// the override file's own name: Xcode reads only the ".codesnippet" files of the folder itself and
// rewrites keys it does not know in those, and the folder goes wherever the snippets go (synced,
// linked, copied).
namespace Glimmerpad::StandardFile {

inline constexpr char kFolderName[] = ".glimmerpad";

struct Standard
{
    SnippetRecord record; // null when there is none
    QString xcodeVersion; // CFBundleShortVersionString of that Xcode
};

// The file's bytes for a standard, checked as an override's are: read back strictly and by the
// catalogue's reader, they give back exactly the record and version.
OverrideFile::Encoded encode(const SnippetRecord &system, const QString &xcodeVersion);
// The standard a standard file holds; a null record when it holds none.
Standard decode(const SnippetRecord &file);

} // namespace Glimmerpad::StandardFile
