// Property lists: deep equality, every value type surviving from the system library into an override,
// and the encodings they are read in.
#include "catalogue/boundedfile.h"
#include "catalogue/limits.h"
#include "catalogue/propertylist.h"
#include "catalogue/snippetcatalogue.h"
#include "testsupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;

namespace {

PlistPtr parseRoot(const char *rootXml)
{
    return parsePropertyList(plistDocument(rootXml));
}

// Every comparison the round trip below relies on must be able to say "different".
TEST(PropertyListsEqual, ComparesTypesValuesKeysAndOrder)
{
    const std::tuple<const char *, const char *, bool> cases[] = {
        {"<integer>1</integer>", "<integer>1</integer>", true},
        {"<integer>1</integer>", "<true/>", false},
        {"<integer>1</integer>", "<real>1</real>", false},
        {"<integer>-1</integer>", "<integer>18446744073709551615</integer>", false},
        {"<real>0.1</real>", "<real>0.10000000000000002</real>", false},
        {"<string>a</string>", "<string>a </string>", false},
        {"<data>AAE=</data>", "<data>AAI=</data>", false},
        {"<date>2014-03-10T12:34:56Z</date>", "<date>2014-03-10T12:34:57Z</date>", false},
        {"<array><true/><false/></array>", "<array><false/><true/></array>", false},
        {"<array><true/></array>", "<array><true/><true/></array>", false},
        {"<dict><key>a</key><true/><key>b</key><false/></dict>",
         "<dict><key>b</key><false/><key>a</key><true/></dict>", true},
        {"<dict><key>a</key><true/><key>b</key><false/></dict>",
         "<dict><key>a</key><true/><key>c</key><false/></dict>", false},
        {"<dict><key>a</key><true/></dict>", "<dict><key>a</key><true/><key>b</key><true/></dict>", false},
        {"<dict><key>a</key><array><dict><key>x</key><integer>1</integer></dict></array></dict>",
         "<dict><key>a</key><array><dict><key>x</key><integer>2</integer></dict></array></dict>", false}};
    for (const auto &[x, y, equal] : cases) {
        const PlistPtr a = parseRoot(x), b = parseRoot(y);
        ASSERT_TRUE(a && b) << x << " / " << y;
        EXPECT_EQ(propertyListsEqual(a.get(), b.get()), equal) << x << " / " << y;
        EXPECT_EQ(propertyListsEqual(b.get(), a.get()), equal) << y << " / " << x;
    }
    EXPECT_FALSE(propertyListsEqual(parseRoot("<dict/>").get(), nullptr));
}

// Every value type with its awkward cases. Dates are whole seconds: libplist 2.2 neither reads nor
// writes fractions of a second in XML, so a binary date with a fraction loses it in an override.
const QString kEveryType = uR"(<key>Text</key><string>a &lt;#b#&gt; &amp; Grüße 😀
	line</string>
<key>Empty</key><string></string>
<key>Yes</key><true/><key>No</key><false/>
<key>Negative</key><integer>-42</integer>
<key>Smallest</key><integer>-9223372036854775808</integer>
<key>Largest</key><integer>18446744073709551615</integer>
<key>Pi</key><real>3.1415926535897931</real>
<key>Tiny</key><real>-1.5e-300</real>
<key>Tenth</key><real>0.1</real>
<key>Date</key><date>2014-03-10T12:34:56Z</date>
<key>Old</key><date>1970-01-01T00:00:00Z</date>
<key>Data</key><data>AAEAAgD/</data>
<key>IDECodeSnippetCompletionScopes</key><array><string>CodeBlock</string><integer>7</integer><array/></array>
<key>Nested</key><dict><key>Inner</key><dict><key>Deep</key><real>2.5</real></dict>
<key>List</key><array><data></data><false/><dict/></array></dict>
<key>IDECodeSnippetUserSnippet</key><false/>
<key>IDECodeSnippetVersion</key><integer>1</integer>
)"_s;

class RecordRoundTrip : public ::testing::TestWithParam<bool> // binary system library?
{};

TEST_P(RecordRoundTrip, OverrideCarriesEveryKeyAndTypeUnchanged)
{
    const Snippet snippet{.identifier = u"every"_s,
                          .title = u"Every Type"_s,
                          .summary = u"All of them"_s,
                          .completionPrefix = u"every"_s,
                          .contents = u"<#body#>"_s,
                          .extraXml = kEveryType};
    Fixture fx;
    fx.writeInfo(u"5.1"_s);
    const QByteArray library = libraryFile({snippet});
    fx.writeLibrary(GetParam() ? toBinaryPlist(library) : library);
    SnippetCatalogue catalogue = fx.load();
    ASSERT_EQ(catalogue.rowCount(), 1);

    const PlistPtr expected = parsePropertyList(snippetFile(snippet));
    ASSERT_TRUE(propertyListsEqual(catalogue.recordAtRow(0).dictionary(), expected.get()));

    ASSERT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, false, std::nullopt).status,
              ChangeResult::Status::Done);
    const QByteArray written = readFile(fx.userFolder() + u"/every.codesnippet"_s);
    const PlistPtr override = parsePropertyList(written);
    plist_dict_set_item(expected.get(), SnippetKey::UserSnippet, plist_new_bool(1));
    plist_dict_set_item(expected.get(), SnippetKey::Version, plist_new_uint(2));
    EXPECT_TRUE(propertyListsEqual(override.get(), expected.get())) << written.constData();
    // What was read back is what the catalogue now shows.
    EXPECT_TRUE(
        propertyListsEqual(catalogue.shownRecord(catalogue.recordAtRow(0)).dictionary(), expected.get()));
}

INSTANTIATE_TEST_SUITE_P(Encodings, RecordRoundTrip, ::testing::Values(false, true),
                         [](const auto &param) { return param.param ? "Binary" : "Xml"; });

// System records share the library's tree and user records parse their bytes again on demand:
// neither may depend on the catalogue that read them, and both must give back what was read.
TEST(RecordStorage, RecordsOutliveTheirCatalogueAndGiveBackWhatWasRead)
{
    Fixture fx;
    fx.install({{.identifier = u"a"_s, .title = u"A"_s, .contents = u"system body"_s},
                {.identifier = u"b"_s, .title = u"B"_s, .contents = u"other body"_s}});
    const QByteArray userBytes =
        toBinaryPlist(snippetFile({.identifier = u"a"_s, .title = u"Mine"_s, .contents = u"user body"_s}));
    fx.writeUserFile(u"a.codesnippet"_s, userBytes);

    SnippetRecord system, user;
    {
        const SnippetCatalogue catalogue = fx.load();
        system = catalogue.recordAtRow(1);
        user = catalogue.userCodeSnippets().constFirst();
    }
    EXPECT_EQ(system.title(), u"B"_s);
    EXPECT_EQ(system.contents(), u"other body"_s);
    const SnippetRecord copy = user;
    EXPECT_EQ(copy.contents(), u"user body"_s);
    EXPECT_EQ(copy.dictionary(), user.dictionary()); // parsed once for every copy
    const PlistPtr read = parsePropertyList(userBytes);
    EXPECT_TRUE(propertyListsEqual(user.dictionary(), read.get()));
    EXPECT_EQ(user.toXml(), toXmlPropertyList(read.get()));
}

// ---- encodings ------------------------------------------------------------------------------

// A property-list document around root, led by the given XML declaration (none when empty).
QString document(const QString &declaration, const QString &root)
{
    return declaration + uR"(
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
)"_s + root +
           u"</plist>\n"_s;
}

QString declaring(const QString &encoding)
{
    return uR"(<?xml version="1.0" encoding="%1"?>)"_s.arg(encoding);
}

// What most readable cases hold: beyond what ISO-8859-1 reaches, and a mark inside the text.
const QString kWideRoot =
    u"<dict><key>Café</key><string>日本 😀 \uFEFF é</string><key>n</key><integer>1</integer></dict>\n"_s;
const QByteArray kUtf8Mark = "\xEF\xBB\xBF";

// Every encoding the reader takes, each giving the values of the same list written in plain UTF-8.
TEST(PropertyListEncodings, ReadsEachEncodingAsTheSameValues)
{
    const QString utf16 = document(declaring(u"UTF-16"_s), kWideRoot);
    const QString latin = u"<dict><key>Café</key><string>crème brûlée &amp; ÿ</string></dict>"_s;
    const QString large = u"<dict><key>Café</key><string>%1</string></dict>"_s.arg(QString(40000, u'é'));
    const std::tuple<const char *, QByteArray, QString> cases[] = {
        {"UTF-8 with a byte-order mark", kUtf8Mark + document(declaring(u"UTF-8"_s), kWideRoot).toUtf8(),
         kWideRoot},
        {"UTF-16 LE with a mark", toUtf16(utf16, false, true), kWideRoot},
        {"UTF-16 BE with a mark", toUtf16(utf16, true, true), kWideRoot},
        {"UTF-16 LE without a mark", toUtf16(utf16, false, false), kWideRoot},
        {"UTF-16 BE without a mark", toUtf16(utf16, true, false), kWideRoot},
        {"UTF-16 past 64 KiB, on the large stack",
         toUtf16(document(declaring(u"UTF-16"_s), large), false, true), large},
        {"ISO-8859-1, \"é\" as 0xE9",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
         "<plist version=\"1.0\"><dict><key>Caf\xE9</key><string>\xE9t\xE9</string></dict></plist>",
         u"<dict><key>Café</key><string>été</string></dict>"_s},
        {"latin1 in single quotes, up to 0xFF",
         document(u"<?xml version='1.0' encoding='latin1' standalone='yes'?>"_s, latin).toLatin1(), latin},
        {"US-ASCII with character references",
         document(declaring(u"US-ASCII"_s),
                  u"<dict><key>Caf&#233;</key><string>&#x65E5;&#26412;</string></dict>"_s)
             .toLatin1(),
         u"<dict><key>Café</key><string>日本</string></dict>"_s},
        {"binary, never taken for text", toBinaryPlist(document(declaring(u"UTF-8"_s), kWideRoot).toUtf8()),
         kWideRoot},
    };
    for (const auto &[what, bytes, root] : cases) {
        const PlistPtr expected = parsePropertyList(document(declaring(u"UTF-8"_s), root).toUtf8());
        ASSERT_TRUE(expected) << what;
        QString error;
        const PlistPtr read = parsePropertyList(bytes, &error);
        EXPECT_TRUE(propertyListsEqual(read.get(), expected.get())) << what << ": " << error.toStdString();
        EXPECT_TRUE(error.isEmpty()) << what;
    }
}

// Whatever would reach libplist as something other than the file holds is refused, and the
// reason says where, or which encoding.
TEST(PropertyListEncodings, RefusesWhatItCannotReadTrulyAndSaysWhy)
{
    const auto declaringIn = [](const char *encoding, const QByteArray &value) -> QByteArray {
        return "<?xml version=\"1.0\" encoding=\"" + QByteArray(encoding) + "\"?><plist><string>" + value +
               "</string></plist>";
    };
    const auto holding = [&](const QByteArray &value) { return declaringIn("UTF-8", value); };
    const auto offsetOf = [](const QByteArray &bytes, char byte) {
        return QString::number(bytes.indexOf(byte));
    };
    const QByteArray latinInUtf8 = holding("caf\xE9"), undeclared = "<plist><string>caf\xE9</string></plist>",
                     marked = kUtf8Mark + undeclared, cutShort = holding("\xE2\x82"),
                     asciiHoldingE9 = declaringIn("US-ASCII", "caf\xE9");
    const QString beforeSurrogate = u"<?xml version=\"1.0\"?><plist><string>"_s;
    const QString withNul = document(declaring(u"UTF-16"_s), u"<string>a"_s + QChar(0) + u"b</string>"_s);
    const QByteArray deep = plistDocument(QByteArray(600, '[').replace('[', "<array>") +
                                          QByteArray(600, ']').replace(']', "</array>"));
    const std::tuple<const char *, QByteArray, QString> cases[] = {
        {"declared UTF-8 holding ISO-8859-1", latinInUtf8,
         u"not valid UTF-8 (byte 0xE9 at offset "_s + offsetOf(latinInUtf8, '\xE9') + u')'},
        {"undeclared, holding ISO-8859-1", undeclared,
         u"not valid UTF-8 (byte 0xE9 at offset "_s + offsetOf(undeclared, '\xE9') + u')'},
        {"after a mark, counted from the file's start", marked,
         u"not valid UTF-8 (byte 0xE9 at offset "_s + offsetOf(marked, '\xE9') + u')'},
        {"a surrogate in UTF-8", holding("\xED\xA0\x80"), u"not valid UTF-8 (byte 0xED"_s},
        {"an overlong form", holding("\xC0\xAF"), u"not valid UTF-8 (byte 0xC0"_s},
        {"a sequence cut short", cutShort,
         u"not valid UTF-8 (byte 0xE2 at offset "_s + offsetOf(cutShort, '\xE2') + u')'},
        {"windows-1252", declaringIn("windows-1252", "caf\xE9"),
         u"declares the encoding windows-1252, which Glimmerpad does not read"_s},
        {"Shift_JIS, even in ASCII", declaringIn("Shift_JIS", "cafe"), u"declares the encoding Shift_JIS,"_s},
        {"US-ASCII holding 0xE9", asciiHoldingE9,
         u"declares the encoding US-ASCII but holds byte 0xE9 at offset "_s +
             offsetOf(asciiHoldingE9, '\xE9')},
        {"UTF-16 declared in 8 bits", declaringIn("UTF-16", "cafe"),
         u"declares the encoding UTF-16 but is not written in it"_s},
        {"UTF-16 declaring ISO-8859-1", toUtf16(document(declaring(u"ISO-8859-1"_s), kWideRoot), false, true),
         u"written in UTF-16 but declares the encoding ISO-8859-1"_s},
        {"UTF-16 cut half-way through a character", toUtf16(document({}, kWideRoot), false, true).chopped(1),
         u"not valid UTF-16 (it ends half-way"_s},
        {"UTF-16 with half a surrogate pair",
         toUtf16(beforeSurrogate + QChar(0xD800) + u"</string></plist>"_s, true, false),
         u"not valid UTF-16 (half of a surrogate pair at offset %1)"_s.arg(2 * beforeSurrogate.size())},
        {"UTF-16 with a NUL character", toUtf16(withNul, false, true), u"holds a NUL character"_s},
        {"an encoding unquoted", "<?xml version=\"1.0\" encoding=UTF-8?><plist><true/></plist>",
         u"its XML declaration is malformed"_s},
        {"no property list", "<?xml version=\"1.0\"?><html/>", u"not a property list"_s},
        {"XML past 64 KiB broken off, on the large stack", holding(QByteArray(100000, 'x')).chopped(20),
         u"not a property list"_s},
        {"nested too deep", deep, u"nested deeper than 512 levels"_s},
    };
    const MessageCapture log; // the NUL is refused with a warning
    for (const auto &[what, bytes, reason] : cases) {
        QString error;
        EXPECT_FALSE(parsePropertyList(bytes, &error)) << what;
        EXPECT_TRUE(error.startsWith(reason)) << what << ": " << error.toStdString();
    }
}

// A file's reason reaches whoever reads it by path.
TEST(PropertyListEncodings, AFileReadByPathSaysWhyItWasRefused)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"Info.plist"_s);
    ASSERT_TRUE(writeFile(path, "<?xml version=\"1.0\" encoding=\"windows-1252\"?><plist><dict/></plist>"));
    QString error;
    EXPECT_FALSE(readPropertyListFile(path, Limits::kMaxUserSnippetFileBytes, &error));
    EXPECT_EQ(error, u"declares the encoding windows-1252, which Glimmerpad does not read"_s);
}

} // namespace
