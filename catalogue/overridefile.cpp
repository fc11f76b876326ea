#include "catalogue/overridefile.h"

#include "catalogue/limits.h"
#include "catalogue/plistiteration.h"
#include "catalogue/xmltext.h"

#include <QStringDecoder>

#include <cstring>

namespace Glimmerpad::OverrideFile {

PlistPtr dictionary(const SnippetRecord &system, bool disableShortcut, const std::optional<QString> &contents)
{
    PlistPtr dict = system.copyDictionary();
    plist_dict_set_item(dict.get(), SnippetKey::UserSnippet, plist_new_bool(1));
    plist_dict_set_item(dict.get(), SnippetKey::Version, plist_new_uint(2));
    if (disableShortcut) {
        plist_dict_set_item(dict.get(), SnippetKey::CompletionPrefix, plist_new_string(""));
    } else if (const std::optional<QString> &prefix = system.completionPrefix(); prefix && prefix->isEmpty()) {
        plist_dict_set_item(dict.get(), SnippetKey::CompletionPrefix, plist_new_string(" "));
    }
    if (contents) {
        plist_dict_set_item(dict.get(), SnippetKey::Contents, plist_new_string(contents->toUtf8().constData()));
    }
    return dict;
}

void keepContents(plist_t dictionary, const SnippetRecord &shown)
{
    if (plist_t body = plist_dict_get_item(shown.dictionary(), SnippetKey::Contents))
        plist_dict_set_item(dictionary, SnippetKey::Contents, plist_copy(body));
    else
        plist_dict_remove_item(dictionary, SnippetKey::Contents);
}

QString contentsRefusal(const QString &contents)
{
    if (const auto bad = XmlText::findUnwritableCharacter(contents)) {
        return QStringLiteral("the text contains %1 on line %2, which a property list cannot hold")
            .arg(XmlText::describeCharacter(bad->codePoint))
            .arg(bad->line);
    }
    return {};
}

namespace {

// Why a string of the record cannot be written, naming the record's key it lies under.
QString stringRefusal(const char *utf8, std::size_t length, const QString &key)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(QByteArrayView(utf8, static_cast<qsizetype>(length)));
    if (decoder.hasError())
        return QStringLiteral("the snippet's %1 is not valid UTF-8").arg(key);
    if (const auto bad = XmlText::findUnwritableCharacter(text)) {
        return QStringLiteral("the snippet's %1 contains %2, which a property list cannot hold")
            .arg(key, XmlText::describeCharacter(bad->codePoint));
    }
    return {};
}

// The first string below node, keys included, that XML cannot carry; key names where it lies.
QString firstUnwritableString(plist_t node, const QString &key)
{
    if (PLIST_IS_STRING(node) || PLIST_IS_KEY(node)) {
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        return text ? stringRefusal(text, static_cast<std::size_t>(length), key) : QString();
    }
    QString refusal;
    if (PLIST_IS_ARRAY(node)) {
        forEachItem(node, [&](plist_t item) {
            refusal = firstUnwritableString(item, key);
            return refusal.isEmpty();
        });
    } else {
        forEachEntry(node, [&](const char *name, plist_t value) {
            // Below the top level, the record's own key still says best where the string lies.
            const QString where = key.isEmpty() ? QString::fromUtf8(name) : key;
            refusal = stringRefusal(name, std::strlen(name), where);
            if (refusal.isEmpty())
                refusal = firstUnwritableString(value, where);
            return refusal.isEmpty();
        });
    }
    return refusal;
}

// The first top-level key whose value differs between what was meant and what was read back.
QString firstDifferentKey(plist_t meant, plist_t readBack)
{
    QString different;
    forEachEntry(meant, [&](const char *name, plist_t value) {
        if (!propertyListsEqual(value, plist_dict_get_item(readBack, name)))
            different = QString::fromUtf8(name);
        return different.isEmpty();
    });
    return different;
}

} // namespace

Encoded encode(plist_t dictionary)
{
    if (QString refusal = firstUnwritableString(dictionary, {}); !refusal.isEmpty())
        return {{}, refusal};

    QByteArray xml = XmlText::strictlyReadable(toXmlPropertyList(dictionary));
    if (xml.isEmpty())
        return {{}, QStringLiteral("the snippet could not be encoded as a property list")};
    if (xml.size() > Limits::kMaxUserSnippetFileBytes) {
        return {{},
                QStringLiteral("the snippet would take %1 bytes, more than the %2 MiB a snippet file may hold")
                    .arg(xml.size())
                    .arg(Limits::kMaxUserSnippetFileBytes / (1024 * 1024))};
    }
    QString error;
    if (!XmlText::isWellFormed(xml, &error))
        return {{}, QStringLiteral("the snippet would not be well-formed XML: %1").arg(error)};
    PlistPtr readBack = parsePropertyList(xml);
    if (!readBack)
        return {{}, QStringLiteral("the snippet would not be readable as a property list")};
    if (!propertyListsEqual(dictionary, readBack.get())) {
        const QString key = firstDifferentKey(dictionary, readBack.get());
        return {{},
                key.isEmpty() ? QStringLiteral("the snippet would not read back as it was written")
                              : QStringLiteral("the snippet's %1 would not read back as it was written").arg(key)};
    }
    return {SnippetRecord::fromParsedBytes(std::move(readBack), std::move(xml)), {}};
}

} // namespace Glimmerpad::OverrideFile
