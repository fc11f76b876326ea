#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// What text an XML property list can carry, and XML that every reader gets back exactly.
namespace Glimmerpad::XmlText {

// A character XML 1.0 cannot hold, not even as a character reference: a C0 control other than
// tab, line feed and carriage return, U+FFFE, U+FFFF, or half of a surrogate pair.
struct UnwritableCharacter
{
    char32_t codePoint = 0;
    qsizetype line = 1; // counting line feeds, from 1
};
std::optional<UnwritableCharacter> findUnwritableCharacter(QStringView text);

// "U+000C FORM FEED", "U+FFFE (not a character)", "U+D800 (half of a surrogate pair)".
QString describeCharacter(char32_t codePoint);

// Takes the XML libplist writes and makes what it says come back exactly from any XML reader: a
// carriage return becomes a character reference (an XML reader that normalises line ends turns a
// raw one, or CR LF, into a line feed).
QByteArray strictlyReadable(QByteArray xml);

// Whether bytes are well-formed XML; the parser's complaint and its line otherwise.
bool isWellFormed(QByteArrayView xml, QString *error = nullptr);

} // namespace Glimmerpad::XmlText
