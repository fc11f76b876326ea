#pragma once

#include "catalogue/propertylist.h"

#include <QByteArrayView>

#include <plist/plist.h>

// What parsePropertyList checks before and after libplist 2.2 reads a binary list, each check
// keeping a fault of that library away. The bounds come from catalogue/limits.h.
namespace Glimmerpad::PlistDefences {

// Before a binary list is parsed: whether it nests at most kMaxNestingDepth levels, expands to at
// most kMaxExpandedNodes nodes or its size in bytes (whichever is more), and has no NUL in a
// string. libplist parses binary lists recursively and copies an object every time it is
// referenced, so a few hundred bytes of arrays that each refer twice to the next expand into
// billions of nodes; it stops the process on an assertion when a key holds a NUL, and cuts values
// at one. Whatever this check cannot follow is refused too.
bool binaryShapeIsSafe(QByteArrayView bytes);

enum class Shape
{
    TooDeep,
    Acceptable,
    RepeatsAKey
};

// After parsing: TooDeep when the tree nests deeper than kMaxNestingDepth (looked at no further),
// since libplist copies, frees and writes trees recursively and reads XML of any depth; otherwise
// RepeatsAKey when keysMayRepeat and a dictionary holds a key twice, which libplist's binary
// reader allows (its XML reader replaces the earlier value).
Shape shapeOf(plist_t root, bool keysMayRepeat);

// Mends a tree that repeats a key: a copy in which every dictionary holds each key once, at the
// position of its first occurrence with its last value. That is what libplist's XML reader and
// other readers of property lists make of a repeated key, and what an override, which replaces a
// key's one value, expects.
PlistPtr withEachKeyOnce(plist_t root);

} // namespace Glimmerpad::PlistDefences
