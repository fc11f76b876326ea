#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The character encodings an XML property list is read in. libplist 2.2 takes every byte as UTF-8
// and ignores the XML declaration, so XML in any other encoding is brought to UTF-8 before it
// parses it, or refused.
namespace Glimmerpad::XmlEncoding {

// What libplist may read of some XML bytes, or why nothing.
struct Utf8Xml
{
    QByteArrayView unchanged; // a part of the bytes, when they are UTF-8 as they stand
    QByteArray converted;     // otherwise the text converted to UTF-8
    QString refusal;          // why the bytes cannot be read (neither of the above is set then)

    QByteArrayView text() const { return converted.isNull() ? unchanged : QByteArrayView(converted); }
};

// Reads the encoding from a byte-order mark, from UTF-16 without one ("<?" in either byte order)
// or from the XML declaration, and gives the text as UTF-8: a UTF-8 mark dropped; UTF-16,
// ISO-8859-1 and US-ASCII converted; UTF-8 checked. Anything ill-formed in its encoding, any other
// encoding and a declaration that contradicts the mark are refused.
Utf8Xml toUtf8(QByteArrayView xml);

} // namespace Glimmerpad::XmlEncoding
