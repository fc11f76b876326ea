#include "catalogue/propertylist.h"

#include "catalogue/limits.h"
#include "catalogue/plistiteration.h"

#include <QLoggingCategory>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include <pthread.h>

Q_LOGGING_CATEGORY(lcPlist, "glimmerpad.plist", QtWarningMsg)

namespace Glimmerpad {

namespace {

quint64 bigEndian(const uchar *p, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | p[i];
    return value;
}

// Whether a binary property list nests at most Limits::kMaxNestingDepth levels, expands into at most
// maxNodes nodes and has no NUL in a string. libplist 2.2 parses binary lists recursively and copies an
// object every time it is referenced, so a few hundred bytes of arrays that each refer twice to the next
// expand into billions of nodes. Walked here without recursion, each object once; what the walk cannot follow
// is refused too.
bool binaryShapeIsSafe(QByteArrayView bytes, quint64 maxNodes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const auto size = static_cast<quint64>(bytes.size());
    if (size < 8 + 32)
        return false;
    const uchar *trailer = data + size - 32;
    const int offsetSize = trailer[6], refSize = trailer[7];
    const quint64 objects = bigEndian(trailer + 8, 8), top = bigEndian(trailer + 16, 8),
                  table = bigEndian(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || objects == 0 || objects > size ||
        top >= objects || table < 8 || table > size - 32 || (size - 32 - table) / offsetSize < objects)
        return false;
    const uchar *objectsEnd = data + table;

    // The references of a container: where they start and how many; none for other objects.
    const auto references = [&](quint64 index, const uchar *&refs, quint64 &count) {
        const quint64 offset = bigEndian(data + table + index * offsetSize, offsetSize);
        if (offset < 8 || offset >= table)
            return false;
        const uchar *p = data + offset;
        const int type = *p >> 4;
        count = *p++ & 0x0F;
        const bool string = type == 0x5 || type == 0x6; // ASCII, UTF-16
        if (!string && (type < 0xA || type > 0xD)) {    // not an array, ordered set, set or dictionary
            count = 0;
            return true;
        }
        if (count == 0x0F) {
            if (p >= objectsEnd || *p >> 4 != 0x1 || (*p & 0x0F) > 3)
                return false;
            const int width = 1 << (*p++ & 0x0F);
            if (width > objectsEnd - p)
                return false;
            count = bigEndian(p, width);
            p += width;
        }
        if (string) {
            // libplist 2.2 stops the process on an assertion when a key holds a NUL, and cuts values
            // at one; such a list is refused whole.
            const int unit = type == 0x6 ? 2 : 1;
            if (count > static_cast<quint64>(objectsEnd - p) / unit)
                return false;
            for (quint64 i = 0; i < count; ++i, p += unit) {
                if (p[0] == 0 && p[unit - 1] == 0)
                    return false;
            }
            count = 0;
            return true;
        }
        if (type == 0xD)
            count *= 2; // keys, then values
        refs = p;
        return count <= static_cast<quint64>(objectsEnd - p) / static_cast<quint64>(refSize);
    };

    constexpr quint16 kOnPath = 0xFFFF;
    std::vector<quint16> height(objects, 0); // 0: not reached yet
    std::vector<quint64> nodes(objects, 0);
    struct Frame
    {
        quint64 index;
        const uchar *refs;
        quint64 count, next, nodes;
        quint16 height;
    };
    std::vector<Frame> path;
    const auto enter = [&](quint64 index) {
        Frame frame{index, nullptr, 0, 0, 1, 0};
        if (!references(index, frame.refs, frame.count))
            return false;
        height[index] = kOnPath;
        path.push_back(frame);
        return true;
    };
    if (!enter(top))
        return false;
    while (!path.empty()) {
        Frame &frame = path.back();
        if (frame.next < frame.count) {
            const quint64 child = bigEndian(frame.refs + frame.next * refSize, refSize);
            if (child >= objects || height[child] == kOnPath) // out of range, or a cycle
                return false;
            if (height[child] == 0) {
                if (!enter(child))
                    return false;
                continue;
            }
            frame.height = std::max(frame.height, height[child]);
            frame.nodes += nodes[child];
            if (frame.nodes > maxNodes)
                return false;
            ++frame.next;
            continue;
        }
        if (frame.height >= Limits::kMaxNestingDepth)
            return false;
        height[frame.index] = static_cast<quint16>(frame.height + 1);
        nodes[frame.index] = frame.nodes;
        path.pop_back();
    }
    return true;
}

// Whether a dictionary holds a key twice, which libplist 2.2's binary reader allows. Looking a key
// up walks the entries there, so the usual handful of keys is compared pairwise, without copying
// them, and a larger dictionary goes through a hash set to stay linear in its size.
bool repeatsAKey(plist_t dict)
{
    constexpr uint32_t kFewKeys = 16;
    const uint32_t size = plist_dict_get_size(dict);
    if (size < 2)
        return false;
    if (size > kFewKeys) {
        std::unordered_set<std::string> seen;
        seen.reserve(size);
        return !forEachEntry(dict, [&](const char *key, plist_t) { return seen.emplace(key).second; });
    }
    std::array<plist_t, kFewKeys> keys{};
    std::size_t count = 0;
    bool repeated = false;
    forEachValue(dict, [&](plist_t value) {
        const plist_t key = plist_dict_item_get_key(value);
        repeated = std::any_of(keys.cbegin(), keys.cbegin() + count, [key](plist_t earlier) {
            return plist_compare_node_value(earlier, key) != 0;
        });
        keys[count++] = key;
        return !repeated && count < keys.size();
    });
    return repeated;
}

enum class Shape
{
    TooDeep,
    Acceptable,
    RepeatsAKey
};

// Whether a node tree nests at most depth levels (descending no further), and, when keysMayRepeat,
// whether a dictionary in it holds a key twice.
Shape shapeOf(plist_t node, int depth, bool keysMayRepeat)
{
    if (depth < 0)
        return Shape::TooDeep;
    const plist_type type = plist_get_node_type(node);
    if (type != PLIST_DICT && type != PLIST_ARRAY)
        return Shape::Acceptable;
    Shape shape =
        keysMayRepeat && type == PLIST_DICT && repeatsAKey(node) ? Shape::RepeatsAKey : Shape::Acceptable;
    const auto visit = [&](plist_t child) {
        const Shape inner = shapeOf(child, depth - 1, keysMayRepeat);
        if (inner != Shape::Acceptable)
            shape = inner;
        return inner != Shape::TooDeep;
    };
    if (type == PLIST_DICT)
        forEachValue(node, visit);
    else
        forEachItem(node, visit);
    return shape;
}

// A copy of a node tree in which every dictionary holds each key once, at the position of its first
// occurrence with its last value: what libplist's XML reader and other readers of property lists
// make of a repeated key, and what an override, which replaces a key's one value, expects.
plist_t withEachKeyOnce(plist_t node)
{
    if (PLIST_IS_ARRAY(node)) {
        plist_t copy = plist_new_array();
        forEachItem(node, [&](plist_t item) { plist_array_append_item(copy, withEachKeyOnce(item)); });
        return copy;
    }
    if (PLIST_IS_DICT(node)) {
        plist_t copy = plist_new_dict();
        // Replaces the value of an earlier occurrence in its place, as the XML reader does.
        forEachEntry(node, [&](const char *key, plist_t value) {
            plist_dict_set_item(copy, key, withEachKeyOnce(value));
        });
        return copy;
    }
    return plist_copy(node);
}

// Whether libplist 2.2 can decode the entities of this XML in reasonable time: it decodes each one
// by moving the rest of its text, so a few megabytes of "&amp;" take hours. A text ends only at
// "<" (a ">" may stand in it), so entities times length between two "<" bound the work.
bool entityWorkIsBearable(QByteArrayView xml)
{
    quint64 work = 0, entities = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < xml.size(); ++i) {
        if (xml[i] == '&') {
            ++entities;
        } else if (xml[i] == '<') {
            work += entities * static_cast<quint64>(i - start);
            entities = 0;
            start = i;
        }
    }
    work += entities * static_cast<quint64>(xml.size() - start);
    return work <= Limits::kMaxEntityWork;
}

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
    const Shape shape = shapeOf(job->root, Limits::kMaxNestingDepth, job->binary);
    if (shape == Shape::TooDeep) {
        plist_free(job->root);
        job->root = nullptr;
    } else if (shape == Shape::RepeatsAKey) {
        qCDebug(lcPlist) << "a dictionary repeats a key; keeping its last value";
        plist_t once = withEachKeyOnce(job->root);
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
        // Without shared objects a binary list has at most one node per byte, so a file is never
        // refused for its size alone; writers that share containers may expand further, up to the limit.
        if (!binaryShapeIsSafe(bytes,
                               std::max(static_cast<quint64>(bytes.size()), Limits::kMaxExpandedNodes))) {
            qCWarning(lcPlist) << "refusing a binary property list nested or shared beyond the limits";
            return {};
        }
        parseWithinDepth(&job);
    } else if (bytes.contains('\0')) {
        // XML allows no NUL, but libplist 2.2 takes one into a string; a copy of that string then
        // ends at the NUL while writing it out reads on to the full length, past the copy.
        qCWarning(lcPlist) << "refusing an XML property list with a NUL byte";
        return {};
    } else if (!entityWorkIsBearable(bytes)) {
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
