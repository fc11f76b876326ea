#include "catalogue/propertylist.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <cstring>

Q_LOGGING_CATEGORY(lcPlist, "glimmerpad.plist", QtWarningMsg)

namespace Glimmerpad {

PlistPtr parsePropertyList(QByteArrayView bytes)
{
    if (bytes.isEmpty() || bytes.size() > kMaxSystemLibraryBytes)
        return {};
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    return PlistPtr(root);
}

PlistPtr readPropertyListFile(const QString &path, qint64 maxBytes, QString *error)
{
    auto fail = [error](QString reason) {
        if (error)
            *error = std::move(reason);
        return PlistPtr();
    };

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    // Checked on the open file, so a swap between a check and the open cannot slip past.
    const QFileInfo info(file);
    if (!info.isFile())
        return fail(QStringLiteral("not a regular file"));
    if (file.size() > maxBytes) {
        qCWarning(lcPlist).noquote() << "ignoring" << path << "- larger than" << maxBytes << "bytes";
        return fail(QStringLiteral("larger than %1 bytes").arg(maxBytes));
    }

    const QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) // grew since it was measured
        return fail(QStringLiteral("larger than %1 bytes").arg(maxBytes));
    PlistPtr root = parsePropertyList(bytes);
    if (!root) {
        qCDebug(lcPlist) << "not a property list:" << path;
        return fail(QStringLiteral("not a property list"));
    }
    return root;
}

QByteArray toXmlPropertyList(plist_t node)
{
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    if (!xml)
        return {};
    QByteArray result(xml, static_cast<qsizetype>(length));
    plist_to_xml_free(xml);
    return result;
}

std::optional<QString> stringValue(plist_t node)
{
    if (!PLIST_IS_STRING(node))
        return std::nullopt;
    uint64_t length = 0;
    const char *text = plist_get_string_ptr(node, &length);
    if (!text)
        return QString(QLatin1StringView("")); // present, empty
    QString value = QString::fromUtf8(text, static_cast<qsizetype>(length));
    if (value.isNull())
        value = QString(QLatin1StringView("")); // keep "present but empty" distinct from absent
    return value;
}

std::optional<QString> dictString(plist_t dict, const char *key)
{
    if (!PLIST_IS_DICT(dict))
        return std::nullopt;
    return stringValue(plist_dict_get_item(dict, key));
}

bool propertyListsEqual(plist_t a, plist_t b)
{
    if (!a || !b)
        return a == b;
    const plist_type type = plist_get_node_type(a);
    if (type != plist_get_node_type(b))
        return false;
    switch (type) {
    case PLIST_ARRAY: {
        const uint32_t count = plist_array_get_size(a);
        if (count != plist_array_get_size(b))
            return false;
        for (uint32_t i = 0; i < count; ++i) {
            if (!propertyListsEqual(plist_array_get_item(a, i), plist_array_get_item(b, i)))
                return false;
        }
        return true;
    }
    case PLIST_DICT: {
        if (plist_dict_get_size(a) != plist_dict_get_size(b))
            return false;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(a, &it);
        bool equal = true;
        for (;;) {
            char *key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(a, it, &key, &value);
            if (!key)
                break;
            equal = propertyListsEqual(value, plist_dict_get_item(b, key));
            std::free(key);
            if (!equal)
                break;
        }
        std::free(it);
        return equal;
    }
    default:
        return plist_compare_node_value(a, b) != 0;
    }
}

} // namespace Glimmerpad
