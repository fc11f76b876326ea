#include "catalogue/xmltext.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace Glimmerpad::XmlText {

static bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

std::optional<UnwritableCharacter> findUnwritableCharacter(QStringView text)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == u'\n') {
            ++line;
            continue;
        }
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i; // a pair: a character above U+FFFF, always allowed
            continue;
        }
        if (!isXmlCharacter(unit))
            return UnwritableCharacter{unit, line};
    }
    return std::nullopt;
}

QString describeCharacter(char32_t codePoint)
{
    static constexpr const char *kControlNames[32] = {
        "NULL", "START OF HEADING", "START OF TEXT", "END OF TEXT", "END OF TRANSMISSION", "ENQUIRY",
        "ACKNOWLEDGE", "BELL", "BACKSPACE", "CHARACTER TABULATION", "LINE FEED", "LINE TABULATION",
        "FORM FEED", "CARRIAGE RETURN", "SHIFT OUT", "SHIFT IN", "DATA LINK ESCAPE", "DEVICE CONTROL ONE",
        "DEVICE CONTROL TWO", "DEVICE CONTROL THREE", "DEVICE CONTROL FOUR", "NEGATIVE ACKNOWLEDGE",
        "SYNCHRONOUS IDLE", "END OF TRANSMISSION BLOCK", "CANCEL", "END OF MEDIUM", "SUBSTITUTE", "ESCAPE",
        "FILE SEPARATOR", "GROUP SEPARATOR", "RECORD SEPARATOR", "UNIT SEPARATOR"};
    const QString code = QStringLiteral("U+%1").arg(static_cast<uint>(codePoint), 4, 16, QLatin1Char('0')).toUpper();
    if (codePoint < 32)
        return code + u' ' + QLatin1StringView(kControlNames[codePoint]);
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
        return code + QStringLiteral(" (half of a surrogate pair)");
    if (codePoint == 0xFFFE || codePoint == 0xFFFF)
        return code + QStringLiteral(" (not a character)");
    return code;
}

QByteArray strictlyReadable(QByteArray xml)
{
    static constexpr QByteArrayView kCarriageReturn = "&#13;";
    const auto returns = std::count(xml.cbegin(), xml.cend(), '\r');
    if (returns == 0)
        return xml;
    QByteArray out;
    out.reserve(xml.size() + returns * (kCarriageReturn.size() - 1));
    for (const char c : std::as_const(xml)) {
        if (c == '\r')
            out += kCarriageReturn;
        else
            out += c;
    }
    return out;
}

bool isWellFormed(QByteArrayView xml, QString *error)
{
    QXmlStreamReader reader(QByteArray::fromRawData(xml.data(), xml.size()));
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError() && error)
        *error = QStringLiteral("%1 (line %2)").arg(reader.errorString()).arg(reader.lineNumber());
    return !reader.hasError();
}

} // namespace Glimmerpad::XmlText
