#include "catalogue/snippetrecord.h"

#include <mutex>

namespace Glimmerpad {

struct SnippetRecord::Data
{
    std::optional<QString> identifier;
    std::optional<QString> title;
    std::optional<QString> summary;
    std::optional<QString> completionPrefix;

    // The dictionary lives in tree, alone or inside a larger tree (the system library); never changed.
    // A record read from bytes keeps those instead and parses them again on first use: a parsed
    // snippet takes several times the memory of its bytes, in many small pieces, and most user
    // snippets are never opened.
    QByteArray bytes;
    mutable std::once_flag parsed;
    mutable SharedPlist tree;
    mutable plist_t dictionary = nullptr;

    void decodeKeys(plist_t dict)
    {
        identifier = dictString(dict, SnippetKey::Identifier);
        title = dictString(dict, SnippetKey::Title);
        summary = dictString(dict, SnippetKey::Summary);
        completionPrefix = dictString(dict, SnippetKey::CompletionPrefix);
    }
};

SnippetRecord SnippetRecord::fromDictionary(PlistPtr dictionary)
{
    plist_t dict = dictionary.get();
    return PLIST_IS_DICT(dict) ? fromSharedTree(SharedPlist(std::move(dictionary)), dict) : SnippetRecord();
}

SnippetRecord SnippetRecord::fromSharedTree(SharedPlist tree, plist_t dictionary)
{
    SnippetRecord record;
    if (!PLIST_IS_DICT(dictionary))
        return record;
    auto data = std::make_shared<Data>();
    data->decodeKeys(dictionary);
    data->tree = std::move(tree);
    data->dictionary = dictionary;
    record.d = std::move(data);
    return record;
}

SnippetRecord SnippetRecord::fromPropertyList(QByteArrayView bytes)
{
    return fromBytes(bytes.toByteArray());
}

SnippetRecord SnippetRecord::fromBytes(QByteArray bytes, QString *error)
{
    SnippetRecord record;
    std::optional<RecordKeys> keys = readRecordKeys(bytes, error);
    if (!keys)
        return record;
    auto data = std::make_shared<Data>();
    data->identifier = std::move(keys->identifier);
    data->title = std::move(keys->title);
    data->summary = std::move(keys->summary);
    data->completionPrefix = std::move(keys->completionPrefix);
    data->bytes = std::move(bytes);
    record.d = std::move(data);
    return record;
}

SnippetRecord SnippetRecord::fromParsedBytes(PlistPtr root, QByteArray bytes)
{
    SnippetRecord record;
    if (!PLIST_IS_DICT(root.get()))
        return record;
    auto data = std::make_shared<Data>();
    data->decodeKeys(root.get());
    data->bytes = std::move(bytes);
    record.d = std::move(data);
    return record;
}

static const std::optional<QString> &absent()
{
    static const std::optional<QString> none;
    return none;
}

const std::optional<QString> &SnippetRecord::identifier() const
{
    return d ? d->identifier : absent();
}

const std::optional<QString> &SnippetRecord::title() const
{
    return d ? d->title : absent();
}

const std::optional<QString> &SnippetRecord::summary() const
{
    return d ? d->summary : absent();
}

const std::optional<QString> &SnippetRecord::completionPrefix() const
{
    return d ? d->completionPrefix : absent();
}

std::optional<QString> SnippetRecord::contents() const
{
    return string(SnippetKey::Contents);
}

std::optional<QString> SnippetRecord::string(const char *key) const
{
    return d ? dictString(dictionary(), key) : std::nullopt;
}

plist_t SnippetRecord::dictionary() const
{
    if (!d)
        return nullptr;
    if (!d->bytes.isNull()) {
        std::call_once(d->parsed, [data = d.get()] {
            // The same bytes through the same parser: the dictionary the record was made from.
            PlistPtr root = parsePropertyList(data->bytes);
            data->dictionary = root.get();
            data->tree = std::move(root);
        });
    }
    return d->dictionary;
}

PlistPtr SnippetRecord::copyDictionary() const
{
    return PlistPtr(d ? plist_copy(dictionary()) : plist_new_dict());
}

QByteArray SnippetRecord::toXml() const
{
    return d ? toXmlPropertyList(dictionary()) : QByteArray();
}

QByteArray SnippetRecord::sourceBytes() const
{
    return d ? d->bytes : QByteArray();
}

} // namespace Glimmerpad
