#include "catalogue/paths.h"

#include <QStringDecoder>

#include <algorithm>

namespace Glimmerpad {

static QString withoutTrailingSeparators(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

QString appendPathComponent(const QString &base, const QString &component)
{
    qsizetype start = 0;
    while (start < component.size() && component.at(start) == u'/')
        ++start;
    const QString tail = withoutTrailingSeparators(component.mid(start));
    const QString head = withoutTrailingSeparators(base);
    if (tail.isEmpty())
        return head;
    if (head.isEmpty())
        return tail;
    if (head == QLatin1StringView("/"))
        return head + tail;
    return head + u'/' + tail;
}

// A byte that is not UTF-8, kept as the lone surrogate that stands for it.
static constexpr char16_t kEscapedByte = 0xDC00;

static bool isEscapedByte(QChar c)
{
    return c.unicode() >= kEscapedByte + 0x80 && c.unicode() <= kEscapedByte + 0xFF;
}

QString decodeFileName(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name = decoder(bytes);
    if (!decoder.hasError())
        return name;
    // Decoded one sequence at a time: what decodes stays, every byte of what does not is kept.
    name.clear();
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<uchar>(bytes[i]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length > 0 && i + length <= bytes.size()) {
            QStringDecoder one(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString decoded = one(bytes.sliced(i, length));
            if (!one.hasError()) {
                name += decoded;
                i += length;
                continue;
            }
        }
        name += QChar(char16_t(kEscapedByte + lead));
        ++i;
    }
    return name;
}

QByteArray encodeFileName(const QString &name)
{
    if (isTextFileName(name))
        return name.toUtf8();
    QByteArray bytes;
    for (qsizetype start = 0, i = 0; i <= name.size(); ++i) {
        if (i == name.size() || isEscapedByte(name[i])) {
            bytes += QStringView(name).sliced(start, i - start).toUtf8();
            if (i < name.size())
                bytes += char(name[i].unicode() - kEscapedByte);
            start = i + 1;
        }
    }
    return bytes;
}

bool isTextFileName(const QString &name)
{
    return std::none_of(name.cbegin(), name.cend(), isEscapedByte);
}

QString displayFileName(const QString &name)
{
    if (isTextFileName(name))
        return name;
    QString shown;
    for (const QChar c : name) {
        if (isEscapedByte(c))
            shown += QStringLiteral("\\x") + QString::number(c.unicode() - kEscapedByte, 16).toUpper();
        else
            shown += c;
    }
    return shown;
}

} // namespace Glimmerpad
