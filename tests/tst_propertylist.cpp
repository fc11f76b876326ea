// Property lists: deep equality, and every value type surviving from the system library into an override.
#include "catalogue/propertylist.h"
#include "catalogue/snippetcatalogue.h"
#include "testsupport.h"

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

} // namespace
