#include "catalogue/propertylist.h"

#include "catalogue/limits.h"
#include "catalogue/plistdefences.h"
#include "catalogue/plistiteration.h"
#include "catalogue/xmlencoding.h"

#include <QLoggingCategory>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>

Q_LOGGING_CATEGORY(lcPlist, "glimmerpad.plist", QtWarningMsg)

namespace Glimmerpad {

namespace {

// Parses the bytes, then keeps the tree only when it nests within kMaxNestingDepth, with each key
// once; says why in refusal otherwise. A tree refused for its depth is freed here, so this runs
// where such a tree can be freed.
PlistPtr parseWithinDepth(QByteArrayView bytes, bool binary, QString &refusal)
{
    plist_t parsed = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &parsed);
    PlistPtr root(parsed);
    if (!root) {
        refusal = QStringLiteral("not a property list");
        return {};
    }
    // libplist's XML reader stores a repeated key once (it replaces the value); its binary reader
    // keeps every entry.
    const PlistDefences::Shape shape = PlistDefences::shapeOf(root.get(), binary);
    if (shape == PlistDefences::Shape::TooDeep) {
        refusal = QStringLiteral("nested deeper than %1 levels").arg(Limits::kMaxNestingDepth);
        return {};
    }
    if (shape == PlistDefences::Shape::RepeatsAKey) {
        qCDebug(lcPlist) << "a dictionary repeats a key; keeping its last value";
        return PlistDefences::withEachKeyOnce(root.get());
    }
    return root;
}

// libplist parses XML without recursion but frees what it built recursively, also when the XML
// breaks off half-way: about 48 bytes of stack per level, and a level takes at least 6 bytes
// ("<dict>"). Large XML is therefore parsed on a thread whose stack grows with the input.
constexpr qsizetype kInlineXmlBytes = 64 * 1024;

PlistPtr parseXmlOnLargeStack(QByteArrayView xml, QString &refusal)
{
    // 8 MiB and 16 bytes per byte of XML, twice the 48 bytes per 6. QThread takes an unsigned int,
    // so the size stops there, which still covers the deepest tree of the largest XML read.
    const quint64 stackBytes = 8 * 1024 * 1024 + 16 * static_cast<quint64>(xml.size());
    static_assert(Limits::kMaxSystemLibraryBytes / 6 * 48 < std::numeric_limits<uint>::max());
    // The tree is handed over through memory of its own, released by the parse and acquired here,
    // so that a race detector, which cannot see into QThread::wait(), sees the hand-over too.
    struct Handover
    {
        PlistPtr root;
        QString refusal;
        std::atomic<bool> parsed = false;
    };
    const auto handover = std::make_unique<Handover>();
    const std::unique_ptr<QThread> thread(QThread::create([xml, to = handover.get()] {
        to->root = parseWithinDepth(xml, false, to->refusal);
        to->parsed.store(true, std::memory_order_release);
    }));
    thread->setStackSize(static_cast<uint>(std::min<quint64>(stackBytes, std::numeric_limits<uint>::max())));
    thread->start();
    thread->wait();
    if (!handover->parsed.load(std::memory_order_acquire)) {
        qCWarning(lcPlist) << "no thread to parse a property list of" << xml.size() << "bytes";
        handover->refusal = QStringLiteral("no thread could be started to read it");
    }
    refusal = std::move(handover->refusal);
    return std::move(handover->root);
}

PlistPtr parseOrRefuse(QByteArrayView bytes, QString &refusal)
{
    const auto refuse = [&refusal](QString reason) {
        refusal = std::move(reason);
        return PlistPtr();
    };
    const auto tooLarge = [](QByteArrayView what) { return what.size() > Limits::kMaxSystemLibraryBytes; };
    if (bytes.isEmpty())
        return refuse(QStringLiteral("empty"));
    if (tooLarge(bytes))
        return refuse(QStringLiteral("larger than %1 bytes").arg(Limits::kMaxSystemLibraryBytes));
    if (bytes.startsWith("bplist00")) {
        if (!PlistDefences::binaryShapeIsSafe(bytes)) {
            qCWarning(lcPlist) << "refusing a binary property list nested or shared beyond the limits";
            return refuse(
                QStringLiteral("a binary property list nested or shared beyond what Glimmerpad reads"));
        }
        return parseWithinDepth(bytes, true, refusal);
    }
    // Brought to UTF-8 before the defences look at it, since they guard what libplist reads (and
    // in UTF-16 most characters hold a NUL byte).
    const XmlEncoding::Utf8Xml utf8 = XmlEncoding::toUtf8(bytes);
    if (!utf8.refusal.isEmpty()) {
        qCDebug(lcPlist) << "refusing an XML property list:" << utf8.refusal;
        return refuse(utf8.refusal);
    }
    const QByteArrayView xml = utf8.text();
    // The large stack below is sized for XML within the bound, which converted text may pass: from
    // UTF-16 it grows by up to a half, from ISO-8859-1 up to twice.
    if (tooLarge(xml)) {
        return refuse(QStringLiteral("larger than %1 bytes once converted to UTF-8")
                          .arg(Limits::kMaxSystemLibraryBytes));
    }
    if (PlistDefences::xmlHoldsNul(xml)) {
        qCWarning(lcPlist) << "refusing an XML property list with a NUL byte";
        return refuse(QStringLiteral("holds a NUL character, which XML does not allow"));
    }
    if (!PlistDefences::entityWorkIsBearable(xml)) {
        qCWarning(lcPlist) << "refusing an XML property list whose entities would take too long to decode";
        return refuse(QStringLiteral("holds so many entities that reading them would take too long"));
    }
    return xml.size() <= kInlineXmlBytes ? parseWithinDepth(xml, false, refusal)
                                         : parseXmlOnLargeStack(xml, refusal);
}

} // namespace

PlistPtr parsePropertyList(QByteArrayView bytes)
{
    return parsePropertyList(bytes, nullptr);
}

PlistPtr parsePropertyList(QByteArrayView bytes, QString *error)
{
    QString refusal;
    PlistPtr root = parseOrRefuse(bytes, refusal);
    if (!root && error)
        *error = std::move(refusal);
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

namespace {

bool arraysEqual(plist_t a, plist_t b)
{
    if (plist_array_get_size(a) != plist_array_get_size(b))
        return false;
    ArrayItems itemsB(b);
    return forEachItem(a, [&](plist_t itemA) { return propertyListsEqual(itemA, itemsB.next()); });
}

// Whether each key of a has an equal value in b, which holds as many keys. b's entries are put in a
// hash table first: libplist looks a key up in a dictionary read from a binary list by walking it.
bool entriesEqualByKey(plist_t a, plist_t b)
{
    std::unordered_map<std::string, plist_t> valuesB;
    valuesB.reserve(plist_dict_get_size(b));
    forEachEntry(b, [&](const char *key, plist_t value) { valuesB.emplace(key, value); });
    return forEachEntry(a, [&](const char *key, plist_t value) {
        const auto found = valuesB.find(key);
        return found != valuesB.end() && propertyListsEqual(value, found->second);
    });
}

bool dictionariesEqual(plist_t a, plist_t b)
{
    if (plist_dict_get_size(a) != plist_dict_get_size(b))
        return false;
    // Compared in step, keys uncopied, while both hold the same keys in the same order, as a tree
    // and what is read back from its XML do; once a key is out of step, all over again by key.
    DictEntries entriesB(b);
    bool inStep = true;
    const bool equal = forEachValue(a, [&](plist_t valueA) {
        plist_t valueB = entriesB.next();
        inStep =
            plist_compare_node_value(plist_dict_item_get_key(valueA), plist_dict_item_get_key(valueB)) != 0;
        return inStep && propertyListsEqual(valueA, valueB);
    });
    return equal || (!inStep && entriesEqualByKey(a, b));
}

} // namespace

bool propertyListsEqual(plist_t a, plist_t b)
{
    if (!a || !b)
        return a == b;
    const plist_type type = plist_get_node_type(a);
    if (type != plist_get_node_type(b))
        return false;
    switch (type) {
    case PLIST_ARRAY:
        return arraysEqual(a, b);
    case PLIST_DICT:
        return dictionariesEqual(a, b);
    default:
        return plist_compare_node_value(a, b) != 0;
    }
}

} // namespace Glimmerpad
