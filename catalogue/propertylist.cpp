#include "catalogue/propertylist.h"

#include "catalogue/limits.h"
#include "catalogue/plistdefences.h"
#include "catalogue/plistiteration.h"

#include <QLoggingCategory>

#include <pthread.h>

Q_LOGGING_CATEGORY(lcPlist, "glimmerpad.plist", QtWarningMsg)

namespace Glimmerpad {

namespace {

struct ParseJob
{
    QByteArrayView bytes;
    bool binary;
    plist_t root = nullptr;
};

void *parseWithinDepth(void *argument)
{
    auto *job = static_cast<ParseJob *>(argument);
    plist_from_memory(job->bytes.data(), static_cast<uint32_t>(job->bytes.size()), &job->root);
    if (!job->root)
        return nullptr;
    // libplist's XML reader stores a repeated key once (it replaces the value); its binary reader
    // keeps every entry.
    const PlistDefences::Shape shape = PlistDefences::shapeOf(job->root, job->binary);
    if (shape == PlistDefences::Shape::TooDeep) {
        plist_free(job->root);
        job->root = nullptr;
    } else if (shape == PlistDefences::Shape::RepeatsAKey) {
        qCDebug(lcPlist) << "a dictionary repeats a key; keeping its last value";
        plist_t once = PlistDefences::withEachKeyOnce(job->root).release();
        plist_free(job->root);
        job->root = once;
    }
    return nullptr;
}

} // namespace

PlistPtr parsePropertyList(QByteArrayView bytes)
{
    if (bytes.isEmpty() || bytes.size() > Limits::kMaxSystemLibraryBytes)
        return {};
    ParseJob job{bytes, bytes.startsWith("bplist00")};
    // libplist parses XML without recursion but frees what it built recursively, also when the XML
    // breaks off half-way: about 48 bytes of stack per level, and a level takes at least 6 bytes
    // ("<dict>"). Large XML is therefore parsed on a thread whose stack grows with the input.
    constexpr qsizetype kInlineXmlBytes = 64 * 1024;
    if (job.binary) {
        if (!PlistDefences::binaryShapeIsSafe(bytes)) {
            qCWarning(lcPlist) << "refusing a binary property list nested or shared beyond the limits";
            return {};
        }
        parseWithinDepth(&job);
    } else if (PlistDefences::xmlHoldsNul(bytes)) {
        qCWarning(lcPlist) << "refusing an XML property list with a NUL byte";
        return {};
    } else if (!PlistDefences::entityWorkIsBearable(bytes)) {
        qCWarning(lcPlist) << "refusing an XML property list whose entities would take too long to decode";
        return {};
    } else if (bytes.size() <= kInlineXmlBytes) {
        parseWithinDepth(&job);
    } else {
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setstacksize(&attributes, static_cast<std::size_t>(8 * 1024 * 1024 + 16 * bytes.size()));
        pthread_t thread;
        const bool started = pthread_create(&thread, &attributes, &parseWithinDepth, &job) == 0;
        pthread_attr_destroy(&attributes);
        if (!started) {
            qCWarning(lcPlist) << "no thread to parse a property list of" << bytes.size() << "bytes";
            return {};
        }
        pthread_join(thread, nullptr);
    }
    return PlistPtr(job.root);
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
        if (plist_array_get_size(a) != plist_array_get_size(b))
            return false;
        ArrayItems itemsB(b);
        return forEachItem(a, [&](plist_t itemA) { return propertyListsEqual(itemA, itemsB.next()); });
    }
    case PLIST_DICT:
        return plist_dict_get_size(a) == plist_dict_get_size(b) &&
               forEachEntry(a, [b](const char *key, plist_t value) {
                   return propertyListsEqual(value, plist_dict_get_item(b, key));
               });
    default:
        return plist_compare_node_value(a, b) != 0;
    }
}

} // namespace Glimmerpad
