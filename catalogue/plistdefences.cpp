#include "catalogue/plistdefences.h"

#include "catalogue/limits.h"
#include "catalogue/plistiteration.h"

#include <algorithm>
#include <cstring>
#include <array>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace Glimmerpad::PlistDefences {

namespace {

// ---- the binary shape ---------------------------------------------------------------------

quint64 bigEndian(const uchar *p, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | p[i];
    return value;
}

// A binary property list as its 32-byte trailer lays it out: the objects from the 8-byte header
// up to the offset table, which holds where each of them starts.
struct BinaryLayout
{
    const uchar *data;
    quint64 table; // the offset table's position, where the objects end
    quint64 objectCount;
    quint64 topObject;
    int offsetSize;
    int refSize;

    const uchar *objectsEnd() const { return data + table; }
};

// The layout the trailer gives, when all of it lies within the bytes.
std::optional<BinaryLayout> binaryLayout(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const auto size = static_cast<quint64>(bytes.size());
    if (size < 8 + 32)
        return std::nullopt;
    const uchar *trailer = data + size - 32;
    const int offsetSize = trailer[6], refSize = trailer[7];
    const quint64 objects = bigEndian(trailer + 8, 8), top = bigEndian(trailer + 16, 8),
                  table = bigEndian(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || objects == 0 || objects > size ||
        top >= objects || table < 8 || table > size - 32 || (size - 32 - table) / offsetSize < objects)
        return std::nullopt;
    return BinaryLayout{data, table, objects, top, offsetSize, refSize};
}

// The references an object holds: where they start and how many.
struct References
{
    const uchar *first = nullptr;
    quint64 count = 0;
};

// Reads the length of the object whose marker byte is at p: the marker's low four bits, or, when
// they are all set, the integer object that follows. Leaves p after both; false when that integer
// is malformed or runs past end.
bool readLength(const uchar *&p, const uchar *end, quint64 &length)
{
    length = *p++ & 0x0F;
    if (length != 0x0F)
        return true;
    if (p >= end || *p >> 4 != 0x1 || (*p & 0x0F) > 3)
        return false;
    const int width = 1 << (*p++ & 0x0F);
    if (width > end - p)
        return false;
    length = bigEndian(p, width);
    p += width;
    return true;
}

// Whether a string of length units, each unitSize bytes from p, ends before end and holds no NUL.
bool stringHoldsNoNul(const uchar *p, quint64 length, int unitSize, const uchar *end)
{
    if (length > static_cast<quint64>(end - p) / unitSize)
        return false;
    for (quint64 i = 0; i < length; ++i, p += unitSize) {
        if (p[0] == 0 && p[unitSize - 1] == 0)
            return false;
    }
    return true;
}

// The references of object index: an array's or set's items, a dictionary's keys and then its
// values, none for any other object. Nullopt when the object lies outside the objects, its
// references run past them, or it is a string holding a NUL.
std::optional<References> referencesOf(const BinaryLayout &layout, quint64 index)
{
    const quint64 offset = bigEndian(layout.objectsEnd() + index * layout.offsetSize, layout.offsetSize);
    if (offset < 8 || offset >= layout.table)
        return std::nullopt;
    const uchar *p = layout.data + offset;
    const int type = *p >> 4;
    const bool string = type == 0x5 || type == 0x6;    // ASCII, UTF-16
    const bool container = type >= 0xA && type <= 0xD; // array, ordered set, set, dictionary
    if (!string && !container)
        return References{};
    quint64 length = 0;
    if (!readLength(p, layout.objectsEnd(), length))
        return std::nullopt;
    if (string) {
        if (!stringHoldsNoNul(p, length, type == 0x6 ? 2 : 1, layout.objectsEnd()))
            return std::nullopt;
        return References{};
    }
    if (type == 0xD)
        length *= 2;
    if (length > static_cast<quint64>(layout.objectsEnd() - p) / static_cast<quint64>(layout.refSize))
        return std::nullopt;
    return References{p, length};
}

// Walks the objects reachable from the top without recursion, each once, and measures each: how
// many levels it nests, and how many nodes libplist makes of it (itself, and an object's nodes
// again for every reference to it).
class ExpansionWalk
{
public:
    ExpansionWalk(const BinaryLayout &layout, quint64 maxNodes)
        : m_layout(layout), m_maxNodes(maxNodes), m_height(layout.objectCount, kNotReached),
          m_nodes(layout.objectCount, 0)
    {}

    // Whether the top object stays within the bounds, with every reference in range and no cycle.
    bool fromTopStaysWithinBounds()
    {
        if (!enter(m_layout.topObject))
            return false;
        while (!m_path.empty()) {
            Frame &frame = m_path.back();
            if (!(frame.next < frame.references.count ? followNext(frame) : leave(frame)))
                return false;
        }
        return true;
    }

private:
    // An object on the path from the top, and what its references followed so far add up to.
    struct Frame
    {
        quint64 index;
        References references;
        quint64 next = 0;
        quint64 nodes = 1;
        quint16 height = 0;
    };
    static constexpr quint16 kNotReached = 0, kOnPath = 0xFFFF;

    bool enter(quint64 index)
    {
        const std::optional<References> references = referencesOf(m_layout, index);
        if (!references)
            return false;
        m_height[index] = kOnPath;
        m_path.push_back({index, *references});
        return true;
    }

    // Enters the object the frame's next reference names when it was not reached yet (the
    // reference is followed again once that object is measured), or adds up its measures.
    bool followNext(Frame &frame)
    {
        const int refSize = m_layout.refSize;
        const quint64 child = bigEndian(frame.references.first + frame.next * refSize, refSize);
        if (child >= m_layout.objectCount || m_height[child] == kOnPath) // out of range, or a cycle
            return false;
        if (m_height[child] == kNotReached)
            return enter(child);
        frame.height = std::max(frame.height, m_height[child]);
        frame.nodes += m_nodes[child];
        ++frame.next;
        return frame.nodes <= m_maxNodes;
    }

    // Keeps the measures of the frame's object, every reference followed, and leaves it.
    bool leave(const Frame &frame)
    {
        if (frame.height >= Limits::kMaxNestingDepth)
            return false;
        m_height[frame.index] = static_cast<quint16>(frame.height + 1);
        m_nodes[frame.index] = frame.nodes;
        m_path.pop_back();
        return true;
    }

    const BinaryLayout m_layout;
    const quint64 m_maxNodes;
    std::vector<quint16> m_height;
    std::vector<quint64> m_nodes;
    std::vector<Frame> m_path;
};

// ---- the parsed tree ----------------------------------------------------------------------

// Whether a dictionary holds a key twice. Looking a key up in a dictionary from a binary list walks
// its entries, so the usual handful of keys is compared pairwise, without copying them, and a
// larger dictionary goes through a hash set to stay linear in its size.
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

Shape shapeWithin(plist_t node, int depth, bool keysMayRepeat)
{
    if (depth < 0)
        return Shape::TooDeep;
    const plist_type type = plist_get_node_type(node);
    if (type != PLIST_DICT && type != PLIST_ARRAY)
        return Shape::Acceptable;
    Shape shape =
        keysMayRepeat && type == PLIST_DICT && repeatsAKey(node) ? Shape::RepeatsAKey : Shape::Acceptable;
    const auto visit = [&](plist_t child) {
        const Shape inner = shapeWithin(child, depth - 1, keysMayRepeat);
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

plist_t copyWithEachKeyOnce(plist_t node)
{
    if (PLIST_IS_ARRAY(node)) {
        plist_t copy = plist_new_array();
        forEachItem(node, [&](plist_t item) { plist_array_append_item(copy, copyWithEachKeyOnce(item)); });
        return copy;
    }
    if (PLIST_IS_DICT(node)) {
        plist_t copy = plist_new_dict();
        // Replaces the value of an earlier occurrence in its place, as the XML reader does.
        forEachEntry(node, [&](const char *key, plist_t value) {
            plist_dict_set_item(copy, key, copyWithEachKeyOnce(value));
        });
        return copy;
    }
    return plist_copy(node);
}

} // namespace

bool binaryShapeIsSafe(QByteArrayView bytes)
{
    const std::optional<BinaryLayout> layout = binaryLayout(bytes);
    // Without shared objects a binary list has at most one node per byte, so a file is never
    // refused for its size alone; writers that share containers may expand further, up to the limit.
    const quint64 maxNodes = std::max(static_cast<quint64>(bytes.size()), Limits::kMaxExpandedNodes);
    return layout && ExpansionWalk(*layout, maxNodes).fromTopStaysWithinBounds();
}

Shape shapeOf(plist_t root, bool keysMayRepeat)
{
    return shapeWithin(root, Limits::kMaxNestingDepth, keysMayRepeat);
}

PlistPtr withEachKeyOnce(plist_t root)
{
    return PlistPtr(copyWithEachKeyOnce(root));
}

} // namespace Glimmerpad::PlistDefences
