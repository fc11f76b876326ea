#pragma once

#include "catalogue/propertylist.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The reader of XML property lists: pugixml parses the text in place, and one walk over its tree
// checks what the format allows and gives either libplist nodes or, for a record read at load, only
// the strings of the keys a record decodes. Both go through the same checks, so a file gives a
// record by either way or by neither.
namespace Glimmerpad::XmlPropertyList {

// What a walk over the text gives, or why nothing.
struct Read
{
    PlistPtr root;            // parse(): the whole tree
    bool dictionary = false;  // readKeys(): whether the top value is a dictionary
    RecordKeys keys;          // readKeys(): its keys, when it is one
    QString refusal;          // empty when the text was read
};

// utf8 is XML in UTF-8 without a byte-order mark (XmlEncoding brings it there). Refused, with the
// line where it applies: more nodes than kMaxXmlNodes, a document type with declarations of its
// own, malformed XML, an undefined entity, an "&" that begins no reference, a reference to no
// character, an element or structure property lists do not have, nesting deeper than
// kMaxNestingDepth. A key given twice in a dictionary keeps its first place and its last value.
Read parse(QByteArrayView utf8);
Read readKeys(QByteArrayView utf8);

// How many nodes pugixml makes of text at most (elements, texts, attributes), counted without
// parsing it and only until past kMaxXmlNodes, or a refusal of the document type. For the tests.
struct Census
{
    quint64 nodes = 0;
    QString refusal;
};
Census census(QByteArrayView xml);

} // namespace Glimmerpad::XmlPropertyList
