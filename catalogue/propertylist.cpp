#include "catalogue/propertylist.h"

#include "catalogue/limits.h"
#include "catalogue/plistdefences.h"
#include "catalogue/plistiteration.h"
#include "catalogue/snippetrecord.h"
#include "catalogue/xmlencoding.h"
#include "catalogue/xmlpropertylist.h"

#include <QLoggingCategory>

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>

Q_LOGGING_CATEGORY(lcPlist, "glimmerpad.plist", QtWarningMsg)

namespace Glimmerpad {

namespace {

// Parses a binary list, then keeps the tree only when it nests within kMaxNestingDepth, with each
// key once; says why in refusal otherwise.
PlistPtr parseBinary(QByteArrayView bytes, QString &refusal)
{
    if (!PlistDefences::binaryShapeIsSafe(bytes)) {
        qCWarning(lcPlist) << "refusing a binary property list nested or shared beyond the limits";
        refusal = QStringLiteral("a binary property list nested or shared beyond what Glimmerpad reads");
        return {};
    }
    plist_t parsed = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &parsed);
    PlistPtr root(parsed);
    if (!root) {
        refusal = QStringLiteral("not a property list");
        return {};
    }
    // libplist's binary reader keeps every entry of a repeated key.
    const PlistDefences::Shape shape = PlistDefences::shapeOf(root.get(), true);
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

// The bytes as one of the two formats: binary as it stands, XML brought to UTF-8; or why neither.
struct Classified
{
    bool binary = false;
    XmlEncoding::Utf8Xml xml;
    QString refusal;
};

Classified classify(QByteArrayView bytes)
{
    Classified result;
    if (bytes.isEmpty()) {
        result.refusal = QStringLiteral("empty");
        return result;
    }
    const auto tooLarge = [](QByteArrayView what) { return what.size() > Limits::kMaxSystemLibraryBytes; };
    if (tooLarge(bytes)) {
        result.refusal = QStringLiteral("larger than %1 bytes").arg(Limits::kMaxSystemLibraryBytes);
        return result;
    }
    if (bytes.startsWith("bplist00")) {
        result.binary = true;
        return result;
    }
    result.xml = XmlEncoding::toUtf8(bytes);
    if (!result.xml.refusal.isEmpty()) {
        qCDebug(lcPlist) << "refusing an XML property list:" << result.xml.refusal;
        result.refusal = result.xml.refusal;
        return result;
    }
    // From UTF-16 the text grows by up to a half, from ISO-8859-1 up to twice.
    if (tooLarge(result.xml.text())) {
        result.refusal = QStringLiteral("larger than %1 bytes once converted to UTF-8").arg(Limits::kMaxSystemLibraryBytes);
        return result;
    }
    // XML allows no NUL, and pugixml would take one for the end of the text.
    if (result.xml.text().contains('\0')) {
        qCWarning(lcPlist) << "refusing an XML property list with a NUL byte";
        result.refusal = QStringLiteral("holds a NUL character, which XML does not allow");
    }
    return result;
}

PlistPtr parseOrRefuse(QByteArrayView bytes, QString &refusal)
{
    const Classified classified = classify(bytes);
    if (!classified.refusal.isEmpty()) {
        refusal = classified.refusal;
        return {};
    }
    if (classified.binary)
        return parseBinary(bytes, refusal);
    XmlPropertyList::Read read = XmlPropertyList::parse(classified.xml.text());
    if (!read.root)
        qCDebug(lcPlist) << "refusing an XML property list:" << read.refusal;
    refusal = std::move(read.refusal);
    return std::move(read.root);
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

std::optional<RecordKeys> readRecordKeys(QByteArrayView bytes, QString *error)
{
    const auto refused = [error](QString reason) {
        if (error)
            *error = std::move(reason);
        return std::nullopt;
    };
    const Classified classified = classify(bytes);
    if (!classified.refusal.isEmpty())
        return refused(classified.refusal);
    if (classified.binary) {
        QString refusal;
        const PlistPtr root = parseBinary(bytes, refusal);
        if (!root)
            return refused(std::move(refusal));
        if (!PLIST_IS_DICT(root.get()))
            return std::nullopt;
        return RecordKeys{dictString(root.get(), SnippetKey::Identifier), dictString(root.get(), SnippetKey::Title),
                          dictString(root.get(), SnippetKey::Summary),
                          dictString(root.get(), SnippetKey::CompletionPrefix)};
    }
    XmlPropertyList::Read read = XmlPropertyList::readKeys(classified.xml.text());
    if (!read.refusal.isEmpty()) {
        qCDebug(lcPlist) << "refusing an XML property list:" << read.refusal;
        return refused(std::move(read.refusal));
    }
    if (!read.dictionary)
        return std::nullopt;
    return std::move(read.keys);
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
