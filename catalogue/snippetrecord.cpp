#include "catalogue/snippetrecord.h"

namespace Glimmerpad {

struct SnippetRecord::Data
{
    PlistPtr dictionary;
    std::optional<QString> identifier;
    std::optional<QString> title;
    std::optional<QString> summary;
    std::optional<QString> completionPrefix;
};

SnippetRecord SnippetRecord::fromDictionary(PlistPtr dictionary)
{
    SnippetRecord record;
    if (!PLIST_IS_DICT(dictionary.get()))
        return record;
    auto data = std::make_shared<Data>();
    plist_t dict = dictionary.get();
    data->identifier = dictString(dict, SnippetKey::Identifier);
    data->title = dictString(dict, SnippetKey::Title);
    data->summary = dictString(dict, SnippetKey::Summary);
    data->completionPrefix = dictString(dict, SnippetKey::CompletionPrefix);
    data->dictionary = std::move(dictionary);
    record.d = std::move(data);
    return record;
}

SnippetRecord SnippetRecord::fromPropertyList(QByteArrayView bytes)
{
    return fromDictionary(parsePropertyList(bytes));
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
    return d ? dictString(d->dictionary.get(), key) : std::nullopt;
}

plist_t SnippetRecord::dictionary() const
{
    return d ? d->dictionary.get() : nullptr;
}

PlistPtr SnippetRecord::copyDictionary() const
{
    return PlistPtr(d ? plist_copy(d->dictionary.get()) : plist_new_dict());
}

QByteArray SnippetRecord::toXml() const
{
    return d ? toXmlPropertyList(d->dictionary.get()) : QByteArray();
}

bool SnippetRecord::hasSameContents(const SnippetRecord &other) const
{
    return propertyListsEqual(dictionary(), other.dictionary());
}

} // namespace Glimmerpad
