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

// Parses XML or binary property-list bytes. XML is read in UTF-8, with or without a byte-order mark,
// in UTF-16, or as its declaration says in ISO-8859-1 or US-ASCII, by our own reader
// (catalogue/xmlpropertylist.h); binary lists by libplist. Null when malformed, ill-formed in its
// encoding or in another one, nested deeper than kMaxNestingDepth, XML with a NUL character, with
// more than kMaxXmlNodes nodes or a reference that names no character, or a binary list whose
// strings hold a NUL or whose shared objects expand past kMaxExpandedNodes nodes and past its size
// in bytes. A key repeated in a dictionary is kept once, at its first position with its last value,
// in either format.
PlistPtr parsePropertyList(QByteArrayView bytes);
// The same, saying why when it gives null: "not valid UTF-8 (byte 0xE9 at offset 1234)", "not a
// property list", ..., to be shown after the file's name.
PlistPtr parsePropertyList(QByteArrayView bytes, QString *error);

// The strings a record decodes at once, each nullopt when the key is absent or holds no string.
struct RecordKeys
{
    std::optional<QString> identifier;
    std::optional<QString> title;
    std::optional<QString> summary;
    std::optional<QString> completionPrefix;
};

// The record keys of the dictionary the bytes hold, through the same reader and checks as
// parsePropertyList but, for XML, without building its tree. Nullopt when refused (the reason goes
// to *error) or when the top value is no dictionary.
std::optional<RecordKeys> readRecordKeys(QByteArrayView bytes, QString *error = nullptr);

// Serialises a node tree as an XML property list.
QByteArray toXmlPropertyList(plist_t node);

// The value of a PLIST_STRING node; nullopt for any other node or none.
std::optional<QString> stringValue(plist_t node);

// The string stored under key in a dictionary node; nullopt when absent or not a string.
std::optional<QString> dictString(plist_t dict, const char *key);

// Deep equality of two node trees: same types, same values, same dictionary keys, same array order.
bool propertyListsEqual(plist_t a, plist_t b);

} // namespace Glimmerpad
