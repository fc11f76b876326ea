#include "catalogue/xmlencoding.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <optional>

namespace Glimmerpad::XmlEncoding {

namespace {

enum class Encoding
{
    Utf8,
    Utf16,
    Latin1,
    Ascii
};

constexpr QByteArrayView kUtf8Mark = "\xEF\xBB\xBF";

// The names these encodings go by in declarations, compared without regard to case.
std::optional<Encoding> encodingNamed(QByteArrayView name)
{
    static constexpr std::pair<QByteArrayView, Encoding> kNames[] = {
        {"UTF-8", Encoding::Utf8},     {"UTF-16", Encoding::Utf16},      {"UTF-16LE", Encoding::Utf16},
        {"UTF-16BE", Encoding::Utf16}, {"ISO-8859-1", Encoding::Latin1}, {"ISO_8859-1", Encoding::Latin1},
        {"latin1", Encoding::Latin1},  {"l1", Encoding::Latin1},         {"US-ASCII", Encoding::Ascii},
        {"ASCII", Encoding::Ascii}};
    for (const auto &[known, encoding] : kNames) {
        if (name.compare(known, Qt::CaseInsensitive) == 0)
            return encoding;
    }
    return std::nullopt;
}

Utf8Xml refused(QString reason)
{
    Utf8Xml result;
    result.refusal = std::move(reason);
    return result;
}

// "byte 0xE9 at offset 1234": where the file goes wrong, for a user to look at.
QString byteAt(QByteArrayView bytes, qsizetype offset)
{
    return QStringLiteral("byte 0x%1 at offset %2")
        .arg(QString::number(static_cast<uchar>(bytes[offset]), 16).toUpper().rightJustified(2, u'0'))
        .arg(offset);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The encoding the XML declaration at the start of text names, as spelt there: empty without a
// declaration or an encoding in it; nullopt when the declaration is malformed. Blanks before it
// are passed over, as libplist does.
std::optional<QByteArrayView> declaredEncoding(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    if (!text.startsWith("<?xml") || text.size() < 6 || !isBlank(text[5]))
        return QByteArrayView();
    const qsizetype end = text.indexOf("?>");
    if (end < 0)
        return std::nullopt;
    QByteArrayView rest = text.sliced(5, end - 5);
    const qsizetype at = rest.indexOf("encoding");
    if (at < 0)
        return QByteArrayView();
    if (!isBlank(rest[at - 1]))
        return std::nullopt;
    rest = rest.sliced(at + 8).trimmed();
    if (!rest.startsWith('='))
        return std::nullopt;
    rest = rest.sliced(1).trimmed();
    if (rest.isEmpty() || (rest.front() != '"' && rest.front() != '\''))
        return std::nullopt;
    const qsizetype close = rest.indexOf(rest.front(), 1);
    if (close < 0)
        return std::nullopt;
    const QByteArrayView name = rest.sliced(1, close - 1);
    // A name is a letter, then letters, digits, '.', '_' and '-': nothing else reaches a message.
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const auto isNameCharacter = [&](char c) {
        return isLetter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    };
    if (name.isEmpty() || !isLetter(name[0]) || !std::all_of(name.begin(), name.end(), isNameCharacter))
        return std::nullopt;
    return name;
}

// The offset of the first byte that does not begin a well-formed UTF-8 sequence, or begins one
// cut short; -1 when there is none. Overlong forms, surrogates and code points past U+10FFFF are
// ill-formed: Qt's decoder, which reads the strings later, would show each as U+FFFD.
qsizetype firstInvalidUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        // Eight ASCII bytes at a time: most of a property list is markup.
        if (size - i >= 8) {
            quint64 word = 0;
            std::memcpy(&word, p + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const uchar lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        uchar low = 0x80, high = 0xBF; // the bounds of the second byte, narrower after some leads
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : low;   // overlong
            high = lead == 0xED ? 0x9F : high; // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : low;   // overlong
            high = lead == 0xF4 ? 0x8F : high; // past U+10FFFF
        } else {
            return i;
        }
        if (size - i < length || p[i + 1] < low || p[i + 1] > high)
            return i;
        for (int k = 2; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return i;
        }
        i += length;
    }
    return -1;
}

// UTF-16 as the start of a file shows it: a byte-order mark, or the "<?" of an XML declaration.
struct Utf16Start
{
    QStringDecoder::Encoding order;
    qsizetype markSize;
};

std::optional<Utf16Start> utf16Start(QByteArrayView xml)
{
    if (xml.startsWith("\xFF\xFE"))
        return Utf16Start{QStringDecoder::Utf16LE, 2};
    if (xml.startsWith("\xFE\xFF"))
        return Utf16Start{QStringDecoder::Utf16BE, 2};
    if (xml.startsWith(QByteArrayView("<\0?\0", 4)))
        return Utf16Start{QStringDecoder::Utf16LE, 0};
    if (xml.startsWith(QByteArrayView("\0<\0?", 4)))
        return Utf16Start{QStringDecoder::Utf16BE, 0};
    return std::nullopt;
}

// The index of the first half of a surrogate pair that stands alone; -1 when there is none.
qsizetype firstUnpairedSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return i;
    }
    return -1;
}

Utf8Xml fromUtf16(QByteArrayView xml, Utf16Start start)
{
    const QByteArrayView units = xml.sliced(start.markSize);
    // Qt's decoder reports neither a missing last byte nor a lone surrogate: both are looked for here.
    if (units.size() % 2 != 0)
        return refused(QStringLiteral("not valid UTF-16 (it ends half-way through a character)"));
    // The mark is sliced off above: a second one is the character it then is in the file.
    QStringDecoder decoder(start.order, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(units);
    if (decoder.hasError())
        return refused(QStringLiteral("not valid UTF-16"));
    if (const qsizetype at = firstUnpairedSurrogate(text); at >= 0) {
        return refused(QStringLiteral("not valid UTF-16 (half of a surrogate pair at offset %1)")
                           .arg(start.markSize + 2 * at));
    }
    Utf8Xml result;
    result.converted = text.toUtf8();
    return result;
}

QString encodingName(Encoding encoding)
{
    return encoding == Encoding::Utf16 ? QStringLiteral("UTF-16") : QStringLiteral("UTF-8");
}

} // namespace

Utf8Xml toUtf8(QByteArrayView xml)
{
    // The encoding the start of the file shows, and the text after a byte-order mark.
    std::optional<Encoding> shown;
    Utf8Xml result;
    result.unchanged = xml;
    if (xml.startsWith(kUtf8Mark)) {
        shown = Encoding::Utf8;
        result.unchanged = xml.sliced(kUtf8Mark.size());
    } else if (const std::optional<Utf16Start> start = utf16Start(xml)) {
        shown = Encoding::Utf16;
        result = fromUtf16(xml, *start);
        if (!result.refusal.isEmpty())
            return result;
    }
    // libplist reads past the declaration without looking at its encoding, so converted text may
    // keep a declaration of UTF-16 or ISO-8859-1.
    const QByteArrayView text = result.text();
    const std::optional<QByteArrayView> declared = declaredEncoding(text);
    if (!declared)
        return refused(QStringLiteral("its XML declaration is malformed"));
    const QString name = QString::fromLatin1(*declared);
    const std::optional<Encoding> encoding =
        declared->isEmpty() ? shown.value_or(Encoding::Utf8) : encodingNamed(*declared);
    if (!encoding)
        return refused(QStringLiteral("declares the encoding %1, which Glimmerpad does not read").arg(name));
    if (shown && *encoding != *shown) {
        return refused(
            QStringLiteral("written in %1 but declares the encoding %2").arg(encodingName(*shown), name));
    }

    switch (*encoding) {
    case Encoding::Utf16:
        if (!shown)
            return refused(QStringLiteral("declares the encoding %1 but is not written in it").arg(name));
        return result;
    case Encoding::Utf8:
        if (const qsizetype invalid = firstInvalidUtf8(text); invalid >= 0) {
            const qsizetype offset = invalid + (xml.size() - text.size()); // in the file, past the mark
            return refused(QStringLiteral("not valid UTF-8 (%1)").arg(byteAt(xml, offset)));
        }
        return result;
    case Encoding::Latin1:
        result.converted = QString::fromLatin1(text).toUtf8();
        return result;
    case Encoding::Ascii:
        if (const auto *high =
                std::find_if(text.begin(), text.end(), [](char c) { return static_cast<uchar>(c) >= 0x80; });
            high != text.end()) {
            return refused(QStringLiteral("declares the encoding %1 but holds %2")
                               .arg(name, byteAt(text, high - text.begin())));
        }
        return result;
    }
    Q_UNREACHABLE();
    return result;
}

} // namespace Glimmerpad::XmlEncoding
