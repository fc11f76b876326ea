#pragma once

#include <QtGlobal>

// Every bound the property-list reader and the override writer keep, in one place: a file the
// writer produces must pass the reader, so the two may never drift apart.
namespace Glimmerpad::Limits {

// libplist takes lengths as 32-bit values, and a file of several hundred megabytes is never a
// property list we want anyway, so every read is bounded. An override larger than a user snippet
// file may be is refused before it is written, since it would not be read back.
inline constexpr qint64 kMaxUserSnippetFileBytes = 16 * 1024 * 1024;
inline constexpr qint64 kMaxSystemLibraryBytes = 256 * 1024 * 1024;

// Deeper property lists are refused: libplist 2.2 copies, frees and writes trees recursively and
// indents XML by depth (output grows with its square), and the XML reader walks them recursively.
// Real snippets nest a few levels.
inline constexpr int kMaxNestingDepth = 512;

// libplist 2.2 copies a binary list's object every time it is referenced, so a few hundred bytes of
// arrays referring twice to the next expand into billions of nodes. Python's plistlib writes a
// container shared by many records once, and such a library expands to a few hundred thousand.
// A binary list may expand to this many nodes (some 120 MiB in libplist) or to its size in bytes,
// whichever is more: an unshared list is never refused for its size alone.
inline constexpr quint64 kMaxExpandedNodes = 1 << 20;

// XML is parsed into a tree of about 64 bytes a node (an element, a text, an attribute) before it
// is read, so a file is counted first and refused above this many: a user snippet file of the
// largest size packed with empty elements would otherwise take some 200 MB. A library of 10,000
// snippets makes about a million.
inline constexpr quint64 kMaxXmlNodes = quint64(3) << 20;

} // namespace Glimmerpad::Limits
