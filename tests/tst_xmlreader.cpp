// The XML property-list reader: what it takes, what it refuses and why, and that it reads what
// libplist read.
#include "catalogue/plistdefences.h"
#include "catalogue/propertylist.h"
#include "catalogue/xmlencoding.h"
#include "catalogue/xmlpropertylist.h"
#include "catalogue/xmltext.h"
#include "testsupport.h"

#include "catalogue/limits.h"

#include <QDirIterator>

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;

namespace {

// How XML was read before this reader: by libplist, behind the checks it needed (its entity work
// aside, which the small inputs here never reach).
PlistPtr readByLibplist(QByteArrayView bytes)
{
    const XmlEncoding::Utf8Xml utf8 = XmlEncoding::toUtf8(bytes);
    const QByteArrayView text = utf8.text();
    if (!utf8.refusal.isEmpty() || text.contains('\0'))
        return {};
    plist_t parsed = nullptr;
    plist_from_memory(text.data(), static_cast<uint32_t>(text.size()), &parsed);
    PlistPtr root(parsed);
    if (root && PlistDefences::shapeOf(root.get(), false) == PlistDefences::Shape::TooDeep)
        return {};
    return root;
}

// The XML inputs of the fuzz corpus and the regressions, by name, as the catalogue reads them.
QList<std::pair<QString, QByteArray>> corpusXml()
{
    QList<std::pair<QString, QByteArray>> inputs;
    for (const QString &folder : {u"/corpus/"_s, u"/regressions/"_s}) {
        for (const QString &target : {u"user_snippet"_s, u"system_library"_s, u"xml_reader"_s}) {
            QDirIterator it(QStringLiteral(GLIMMERPAD_FUZZ_DIR) + folder + target, QDir::Files);
            while (it.hasNext()) {
                const QString path = it.next();
                QByteArray bytes = readFile(path);
                if (target == u"system_library"_s) { // a header and a filter before the library
                    if (bytes.size() < 3)
                        continue;
                    const qsizetype filter = std::min<qsizetype>(uchar(bytes[2]) % 16, bytes.size() - 3);
                    bytes = bytes.sliced(3 + filter);
                }
                if (!bytes.startsWith("bplist00"))
                    inputs.append({folder.mid(1) + target + u'/' + it.fileName(), bytes});
            }
        }
    }
    return inputs;
}

// Pieces of the corpus that libplist read although they are not well-formed XML: it skips a
// malformed declaration or document type and stops at the end of the top value, whatever follows
// (an end tag never opened, a second document, bytes). They are refused now, saying where.
bool readPastMalformedXml(const QByteArray &bytes, const QString &refusal)
{
    return !XmlText::isWellFormed(bytes) && (refusal.startsWith(u"not a property list: not well-formed XML ("_s) ||
                                             refusal.startsWith(u"not a property list: text outside the top element"_s));
}

// Every XML input of the corpus and the regressions gives libplist's tree or libplist's refusal,
// or, where libplist read malformed XML, a refusal with the reason. The record keys come from the
// same reader as the tree.
TEST(XmlReader, ReadsTheCorpusAsLibplistDid)
{
    const MessageCapture log;
    int same = 0, malformed = 0;
    for (const auto &[name, bytes] : corpusXml()) {
        SCOPED_TRACE(name.toStdString());
        const PlistPtr before = readByLibplist(bytes);
        QString error, keysError;
        const PlistPtr now = parsePropertyList(bytes, &error);
        const std::optional<RecordKeys> keys = readRecordKeys(bytes, &keysError);
        EXPECT_EQ(keysError, error);
        EXPECT_EQ(keys.has_value(), PLIST_IS_DICT(now.get()));
        if (keys) {
            EXPECT_EQ(keys->identifier, dictString(now.get(), "IDECodeSnippetIdentifier"));
            EXPECT_EQ(keys->title, dictString(now.get(), "IDECodeSnippetTitle"));
            EXPECT_EQ(keys->summary, dictString(now.get(), "IDECodeSnippetSummary"));
            EXPECT_EQ(keys->completionPrefix, dictString(now.get(), "IDECodeSnippetCompletionPrefix"));
        }
        if ((!before && !now) || (before && now && propertyListsEqual(before.get(), now.get()))) {
            ++same;
        } else if (before && !now && readPastMalformedXml(bytes, error)) {
            ++malformed;
        } else {
            ADD_FAILURE() << "libplist " << (before ? "read" : "refused") << ", now "
                          << (now ? "read" : "refused: " + error.toStdString());
        }
    }
    EXPECT_GT(same, 100);
    RecordProperty("sameAsLibplist", same);
    RecordProperty("malformedNowRefused", malformed);
}

// Texts as written: whitespace and line ends kept, the five entities and character references
// decoded, CDATA taken as it stands, comments left out.
TEST(XmlReader, ReadsTextsAsWritten)
{
    const std::pair<QByteArray, QString> cases[] = {
        {" ", u" "_s},
        {"\t\n ", u"\t\n "_s},
        {"a\r\nb\rc", u"a\r\nb\rc"_s},
        {"&amp;&lt;&gt;&quot;&apos;", u"&<>\"'"_s},
        {"&#65;&#x42;&#0067;&#xe9;&#x1F600;&#10;", u"ABCé😀\n"_s},
        {"a<![CDATA[<&amp;>]]>b", u"a<&amp;>b"_s},
        {"a<!-- <b> -->c", u"ac"_s},
        {"x&amp;lt;", u"x&lt;"_s},
        {"]]&gt;>", u"]]>>"_s},
    };
    for (const auto &[text, expected] : cases) {
        SCOPED_TRACE(text.toStdString());
        QString error;
        const PlistPtr root = parsePropertyList(plistDocument("<string>" + text + "</string>"), &error);
        EXPECT_EQ(stringValue(root.get()), expected) << error.toStdString();
    }
}

// What the format does not allow is refused, saying what and on which line.
TEST(XmlReader, RefusesWhatPropertyListsDoNotHoldAndSaysWhy)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"<string>a & b</string>", u"an “&” that begins no reference (line 4)"_s},
        {"<string>a&</string>", u"an “&” that begins no reference"_s},
        {"<string>&foo;</string>", u"an undefined entity “&foo;”"_s},
        {"<string>&ampx;</string>", u"an undefined entity “&ampx;”"_s},
        {"<string>&#0;</string>", u"a reference to no character, “&#0;”"_s},
        {"<string>&#x110000;</string>", u"a reference to no character, “&#x110000;”"_s},
        {"<string>&#xD800;</string>", u"a reference to no character"_s},
        {"<string>&#x;</string>", u"a malformed character reference “&#x;”"_s},
        {"<string>&#65</string>", u"a malformed character reference"_s},
        {"<string>&#X41;</string>", u"a malformed character reference"_s},
        {"<dict>\n<string>a</string></dict>", u"a value without a <key> in a <dict> (line 5)"_s},
        {"<dict><key>a</key></dict>", u"a <key> without a value"_s},
        {"<dict><key>a</key><key>b</key><string/></dict>", u"a <key> where the value of the key before it"_s},
        {"<array><key>a</key></array>", u"a <key> outside a dictionary"_s},
        {"<dict>text</dict>", u"text “text” in a <dict>"_s},
        {"<array><![CDATA[x]]></array>", u"a CDATA section in an <array>"_s},
        {"<array><foo/></array>", u"an element <foo>, which property lists do not have"_s},
        {"<string>a<b/></string>", u"an element <b> inside <string>"_s},
        {"<integer>1<b/></integer>", u"an element <b> inside <integer>"_s},
        {"<true>yes</true>", u"text inside <true/>"_s},
        {"<dict/><dict/>", u"a second value in <plist>, <dict>"_s},
        {"", u"an empty <plist>"_s},
        {"<plist><dict/></plist>", u"a <plist> inside a property list"_s},
        {"<dict/></plist><plist>", u"a second element at the top, <plist>"_s},
        {"<dict/></plist>trailing", u"text outside the top element (line 4)"_s},
        {"<dict>", u"not well-formed XML ("_s},
    };
    for (const auto &[root, reason] : cases) {
        SCOPED_TRACE(root.toStdString());
        QString error;
        EXPECT_FALSE(parsePropertyList(plistDocument(root), &error));
        EXPECT_TRUE(error.startsWith(u"not a property list: "_s)) << error.toStdString();
        EXPECT_TRUE(error.contains(reason)) << error.toStdString();
    }
    const std::pair<QByteArray, QString> documents[] = {
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE plist [<!ENTITY a \"b\">]>\n<plist><string>&a;</string></plist>",
         u"not a property list: a document type with declarations of its own"_s},
        {"<!-- <!DOCTYPE plist [ -->\n<plist><string>a</string></plist>", {}},
        {"<plist><string><![CDATA[<!DOCTYPE x [ ]>]]></string></plist>", {}},
        {"<dict><key>k</key><true/></dict>", {}}, // a value standing alone, as libplist takes it
        {"\xEF\xBB\xBF<plist><true/></plist>", {}},
        {"<key>k</key>", u"not a property list: a <key> outside a dictionary"_s},
        {"<html/>", u"not a property list: an element <html>"_s},
        {"<plist><true/></plist><plist><true/></plist>", u"not a property list: a second element at the top"_s},
        {"text<plist><true/></plist>", u"not a property list: text outside the top element (line 1)"_s},
        {"<?xml version=\"1.0\"?><plist><?xml version=\"1.0\"?><true/></plist>", u"not a property list: not well-formed XML ("_s},
        {"<plist><?pi x?><true/></plist>", {}},
    };
    for (const auto &[document, reason] : documents) {
        SCOPED_TRACE(document.toStdString());
        QString error;
        EXPECT_EQ(parsePropertyList(document, &error) == nullptr, !reason.isEmpty());
        EXPECT_TRUE(error.startsWith(reason)) << error.toStdString();
    }
}

// Numbers, dates, data and booleans come out as libplist made them from the same text.
TEST(XmlReader, ReadsOtherValuesAsLibplistDid)
{
    const QByteArray values[] = {
        "<integer>42</integer>", "<integer>-7</integer>", "<integer> +12 </integer>", "<integer>0x1F</integer>",
        "<integer>9223372036854775807</integer>", "<integer>18446744073709551615</integer>",
        "<integer>-9223372036854775808</integer>", "<integer></integer>", "<integer/>", "<integer>1<!-- -->2</integer>",
        "<real>1.5</real>", "<real>-0</real>", "<real>2.5e-3</real>", "<real/>",
        "<date>2014-01-02T03:04:05Z</date>", "<date>1901-01-01T00:00:00Z</date>", "<date>9999-12-31T23:59:59Z</date>",
        "<date/>", "<date></date>", "<data>SGVsbG8=</data>", "<data>\n\tSGVs\n\tbG8=\n</data>", "<data/>", "<data></data>",
        "<true/>", "<false/>", "<true> </true>", "<string/>", "<array/>", "<dict/>",
        "<dict><key></key><string>empty key</string></dict>",
    };
    for (const QByteArray &value : values) {
        SCOPED_TRACE(value.toStdString());
        const QByteArray document = plistDocument("<array>" + value + "</array>");
        const PlistPtr before = readByLibplist(document), now = parsePropertyList(document);
        ASSERT_TRUE(now);
        if (value.startsWith("<dict><key></key>")) // libplist refused an empty key written as <key></key>?
            continue;
        ASSERT_TRUE(before);
        EXPECT_TRUE(propertyListsEqual(before.get(), now.get()));
    }
}

// Where libplist read well-formed XML into other values: a data value broken by a comment, of which
// it decoded only as many characters as the first piece holds.
TEST(XmlReader, ReadsDataBrokenByACommentWhole)
{
    const QByteArray document = plistDocument("<data>SGVs<!-- c -->bG8=</data>");
    const PlistPtr before = readByLibplist(document), now = parsePropertyList(document);
    char *bytes = nullptr;
    uint64_t length = 0;
    plist_get_data_val(now.get(), &bytes, &length);
    EXPECT_EQ(QByteArray(bytes, qsizetype(length)), "Hello");
    std::free(bytes);
    plist_get_data_val(before.get(), &bytes, &length);
    EXPECT_EQ(QByteArray(bytes, qsizetype(length)), "Hel");
    std::free(bytes);
}

// The hostile XML that libplist needed defences against: read or refused in linear time (the
// benchmarks time them), with the reason.
TEST(XmlReader, HostileDocumentsAreReadOrRefusedWithTheReason)
{
    const auto keys = [](int count) {
        QByteArray xml = "<dict>";
        for (int i = 0; i < count; ++i)
            xml += "<key>k" + QByteArray::number(i) + "</key><true/>";
        return plistDocument(xml + "</dict>");
    };
    const qsizetype emptyStrings = (Limits::kMaxUserSnippetFileBytes - 200) / 9;
    const std::tuple<const char *, QByteArray, QString> cases[] = {
        {"400,000 entities in a text",
         snippetFile({.identifier = u"alpha"_s, .contents = u"&"_s.repeated(400000)}), {}},
        {"2,000 keys", keys(2000), {}},
        {"200,000 keys", keys(200000), u"dictionaries with more keys than Glimmerpad reads (line "_s},
        {"400,000 keys, beyond the budget", keys(400000), u"holds more than 1048576 elements and texts"_s},
        {"16 MiB of empty strings", plistDocument("<array>" + "<string/>"_ba.repeated(emptyStrings) + "</array>"),
         u"holds more than 1048576 elements and texts"_s},
        {"200,000 nested arrays", plistDocument("<array>"_ba.repeated(200000) + "</array>"_ba.repeated(200000)),
         u"nested deeper than 512 levels (line 4)"_s},
        {"200,000 nested arrays, unclosed", plistDocument("<array>"_ba.repeated(200000)),
         u"not a property list: not well-formed XML ("_s},
        {"512 levels", plistDocument("<array>"_ba.repeated(513) + "</array>"_ba.repeated(513)), {}},
    };
    for (const auto &[what, bytes, reason] : cases) {
        SCOPED_TRACE(what);
        QString error;
        const PlistPtr root = parsePropertyList(bytes, &error);
        EXPECT_EQ(root == nullptr, !reason.isEmpty());
        EXPECT_TRUE(error.startsWith(reason)) << error.toStdString();
        QString keysError;
        EXPECT_EQ(readRecordKeys(bytes, &keysError).has_value(), PLIST_IS_DICT(root.get()));
        EXPECT_EQ(keysError, error);
    }
    const PlistPtr many = parsePropertyList(keys(2000));
    EXPECT_EQ(plist_dict_get_size(many.get()), 2000u);
    const std::optional<RecordKeys> entities =
        readRecordKeys(snippetFile({.identifier = u"alpha"_s, .contents = u"&"_s.repeated(400000)}));
    ASSERT_TRUE(entities);
    EXPECT_EQ(entities->identifier, u"alpha"_s);
}

// The count before parsing never falls short of the nodes pugixml then makes, or the budget would
// not bound its memory.
TEST(XmlReader, TheCensusCountsAtLeastTheNodesParsed)
{
    QList<QByteArray> documents{
        "<a b='1' c=\"2\"><![CDATA[x]]>text<!-- c --><?pi x?><d e='>'/>tail</a>",
        "<!DOCTYPE plist PUBLIC \"a\" \"b\">\n<plist version=\"1.0\">\n<dict/>\n</plist>\n",
    };
    for (const auto &input : corpusXml())
        documents.append(input.second);
    for (const QByteArray &bytes : std::as_const(documents)) {
        const XmlEncoding::Utf8Xml utf8 = XmlEncoding::toUtf8(bytes);
        const QByteArrayView document = utf8.text();
        const XmlPropertyList::Census census = XmlPropertyList::census(document);
        if (!census.refusal.isEmpty()) // refused before any parse
            continue;
        pugi::xml_document doc;
        if (!doc.load_buffer(document.data(), std::size_t(document.size()),
                             (pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration | pugi::parse_pi) &
                                 ~pugi::parse_eol & ~pugi::parse_escapes,
                             pugi::encoding_utf8)) {
            continue;
        }
        quint64 nodes = 1;
        for (pugi::xml_node node = doc.first_child(); node;) {
            ++nodes;
            for (pugi::xml_attribute attribute = node.first_attribute(); attribute; attribute = attribute.next_attribute())
                ++nodes;
            if (node.first_child()) {
                node = node.first_child();
                continue;
            }
            while (node && !node.next_sibling())
                node = node.parent() == doc ? pugi::xml_node() : node.parent();
            node = node ? node.next_sibling() : node;
        }
        EXPECT_GE(census.nodes, nodes) << document.first(std::min<qsizetype>(200, document.size())).toByteArray().toStdString();
    }
}

} // namespace
