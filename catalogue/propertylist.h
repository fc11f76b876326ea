#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <plist/plist.h>

#include <memory>
#include <optional>

namespace Glimmerpad {

struct PlistDeleter
{
    void operator()(plist_t node) const noexcept
    {
        if (node)
            plist_free(node);
    }
};

// Owns one libplist node tree (plist_t is an untyped pointer).
using PlistPtr = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistDeleter>;
// A node tree several owners read pieces of; made from a PlistPtr, which brings its deleter.
using SharedPlist = std::shared_ptr<std::remove_pointer_t<plist_t>>;

// Parses XML or binary property-list bytes (libplist tells them apart). Null when malformed,
// nested deeper than kMaxNestingDepth, XML with a NUL byte or so many entities that libplist would
// decode them for minutes, or a binary list whose strings hold a NUL or whose shared objects expand
// past kMaxExpandedNodes nodes and past its size in bytes. A key repeated in a dictionary is kept
// once, at its first position with its last value, in either format.
PlistPtr parsePropertyList(QByteArrayView bytes);

// Serialises a node tree as an XML property list.
QByteArray toXmlPropertyList(plist_t node);

// The value of a PLIST_STRING node; nullopt for any other node or none.
std::optional<QString> stringValue(plist_t node);

// The string stored under key in a dictionary node; nullopt when absent or not a string.
std::optional<QString> dictString(plist_t dict, const char *key);

// Deep equality of two node trees: same types, same values, same dictionary keys, same array order.
bool propertyListsEqual(plist_t a, plist_t b);

} // namespace Glimmerpad
