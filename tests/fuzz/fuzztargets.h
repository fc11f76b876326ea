#pragma once

#include <QByteArrayView>

// What the fuzz targets do with one input, shared by the libFuzzer binaries and the replay test.
namespace Glimmerpad::Fuzz {

// The bytes as a user snippet file: a record, then a catalogue that reads it beside a small system
// library, its queries, an override written over it and a revert.
void userSnippetFile(QByteArrayView bytes);

// The bytes as a system library, after a three-byte header (row, flags, filter length) and the
// filter text: a catalogue, the filter, an override of the chosen row and its revert.
void systemLibrary(QByteArrayView bytes);

// Byte 0 picks a highlighted language; up to the first NUL comes a body (UTF-8), after it edits (16 at most),
// each two bytes of position (little-endian, taken modulo the length + 1), one of characters
// removed and one of length, then that many bytes of UTF-8 inserted. The body is highlighted and
// every edit applied to it incrementally; after each the spans must be in order, leave the
// placeholder tokens alone and, where the text parses, equal those of a fresh parse.
void syntaxHighlighting(QByteArrayView bytes);
// The bytes as any property list the catalogue reads: the tree and the record keys refused or read
// alike, and XML that libplist also reads giving its tree.
void xmlPropertyList(QByteArrayView bytes);

// Called with a description when an input breaks a promise of the catalogue; aborts by default,
// which is what libFuzzer reports. The replay test collects the descriptions instead.
using FailureHandler = void (*)(const char *what);
void setFailureHandler(FailureHandler handler);
// Reports a broken promise to the handler unless condition holds.
void check(bool condition, const char *what);

} // namespace Glimmerpad::Fuzz
