#include "catalogue/standardfile.h"

namespace Glimmerpad::StandardFile {

static constexpr char kStandardKey[] = "GlimmerpadStandard";
static constexpr char kXcodeVersionKey[] = "GlimmerpadXcodeVersion";

OverrideFile::Encoded encode(const SnippetRecord &system, const QString &xcodeVersion)
{
    const PlistPtr file(plist_new_dict());
    plist_dict_set_item(file.get(), kStandardKey, system.copyDictionary().release());
    plist_dict_set_item(file.get(), kXcodeVersionKey, plist_new_string(xcodeVersion.toUtf8().constData()));
    return OverrideFile::encode(file.get());
}

Standard decode(const SnippetRecord &file)
{
    plist_t standard = plist_dict_get_item(file.dictionary(), kStandardKey);
    if (!PLIST_IS_DICT(standard))
        return {};
    return {SnippetRecord::fromDictionary(PlistPtr(plist_copy(standard))),
            dictString(file.dictionary(), kXcodeVersionKey).value_or(QString())};
}

} // namespace Glimmerpad::StandardFile
