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
// is read, so a file is counted first and refused above this many (some 64 MiB of tree): a user
// snippet file of the largest size packed with empty elements would otherwise take 120 to 270 MB.
// A library of 10,000 snippets makes about 600,000; Xcode's own has a few hundred snippets.
inline constexpr quint64 kMaxXmlNodes = 1 << 20;

// libplist 2.2 looks a key up each time one is set in a dictionary, walking the entries before it
// (past 500, a chain of a 4,096-bucket table that crafted keys fill alone) and comparing their bytes,
// so a dictionary of k keys costs up to k times the bytes of its keys to build. The XML reader
// counts, for each key, the keys before it in its dictionary times its length and 32 bytes more,
// and refuses a file whose count passes this (some 40 ms of libplist's work at worst). A library of
// 10,000 snippets counts about 20 million; Info.plist a few hundred thousand.
inline constexpr quint64 kMaxKeyLookupWork = quint64(1) << 27;

} // namespace Glimmerpad::Limits
