// The search filter: case, diacritics, full case folding, blanks, and the rows it leaves.
#include "catalogue/searchfold.h"
#include "catalogue/snippetcatalogue.h"
#include "catalogue/snippetlanguage.h"
#include "testsupport.h"

#include <gtest/gtest.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;

namespace {

TEST(FoldForSearch, IgnoresCaseAndMarksWithFullFolding)
{
    const std::pair<QString, QString> cases[] = {
        {u"Délégué"_s, u"delegue"_s},     {u"STRAẞE"_s, u"strasse"_s},    {u"\uFB01le"_s, u"file"_s},
        {u"e\u0301te\u0301"_s, u"ete"_s}, {u"İstanbul"_s, u"istanbul"_s}, {u" a\tB "_s, u" a\tb "_s}};
    for (const auto &[text, folded] : cases)
        EXPECT_EQ(foldForSearch(text), folded) << text.toStdString();
}

class Search : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fx.install({
            {.identifier = u"if"_s, .title = u"If Statement"_s, .summary = u"Conditional branch"_s},
            {.identifier = u"delegue"_s, .title = u"Délégué"_s, .summary = u"Protocol method"_s},
            {.identifier = u"object"_s, .title = u"Object"_s, .summary = u"Crée un objet"_s},
            {.identifier = u"strasse"_s, .title = u"Straße"_s},
            {.identifier = u"class"_s, .title = u"Class"_s, .summary = u"Declares"_s},
            {.identifier = u"iflet"_s, .title = u"Swift if let"_s},
            {.identifier = u"bare"_s},
            {.identifier = u"summaryonly"_s, .summary = u"Only summary"_s},
            {.identifier = u"overridden"_s, .title = u"Override Me"_s, .summary = u"System summary"_s},
        });
        fx.writeUserFile(u"overridden.codesnippet"_s, snippetFile({.identifier = u"overridden"_s,
                                                                   .title = u"Different"_s,
                                                                   .summary = u"Replaced text"_s}));
        catalogue = fx.load();
    }

    QStringList rows(const QString &text)
    {
        catalogue.filterSystemCodeSnippets(text);
        QStringList ids;
        for (const SnippetRecord &record : catalogue.filteredSystemCodeSnippets())
            ids.append(record.identifier().value_or(u"?"_s));
        return ids;
    }

    Fixture fx;
    SnippetCatalogue catalogue{QString()};
};

TEST_F(Search, MatchesTitleOrSystemSummaryInTitleOrder)
{
    const std::pair<QString, QStringList> cases[] = {
        {u"if"_s, {u"if"_s, u"iflet"_s}},
        {u"IF"_s, {u"if"_s, u"iflet"_s}},
        {u" if"_s, {u"iflet"_s}},
        {u"delegue"_s, {u"delegue"_s}},
        {u"DÉLÉGUÉ"_s, {u"delegue"_s}},
        {u"cree"_s, {u"object"_s}},
        {u"STRASSE"_s, {u"strasse"_s}},
        {u"strasse"_s, {u"strasse"_s}},
        {u"ß"_s, {u"class"_s, u"strasse"_s}},
        {u" "_s, {u"summaryonly"_s, u"delegue"_s, u"if"_s, u"object"_s, u"overridden"_s, u"iflet"_s}},
        {u"System summary"_s, {u"overridden"_s}},
        {u"Replaced"_s, {}},
        {u"only"_s, {u"summaryonly"_s}},
        {u"zzz"_s, {}}};
    for (const auto &[text, expected] : cases) {
        EXPECT_EQ(rows(text), expected) << text.toStdString();
        EXPECT_EQ(catalogue.rowCount(), expected.size());
        EXPECT_EQ(catalogue.currentFilter().text, text);
    }
}

TEST_F(Search, NoMatchAcrossFieldsOrSnippetsAndOddTextsAsAnySnippetWouldSay)
{
    const std::pair<QString, QStringList> cases[] = {
        {u"statementconditional"_s, {}}, // the end of a title and the start of its summary
        {u"declaresdelegue"_s, {}},      // the end of one snippet and the start of the next
        {u"if\0"_s, {}},
        {u"\0"_s, {}},
        // Only a mark: folds to nothing, which every present title or summary contains.
        {u"\u0301"_s,
         {u"summaryonly"_s, u"class"_s, u"delegue"_s, u"if"_s, u"object"_s, u"overridden"_s, u"strasse"_s,
          u"iflet"_s}}};
    for (const auto &[text, expected] : cases) {
        catalogue = fx.load();
        EXPECT_EQ(rows(text), expected) << text.toStdString();
    }
}

TEST_F(Search, TypingOnAndBackspacingGiveWhatAFreshSearchGives)
{
    for (const QString &text : {u"s"_s, u"st"_s, u"sta"_s, u"st"_s, u"s"_s, u"ss"_s, u"ß"_s, u"STRA"_s, u""_s,
                                u"e"_s, u"é"_s, u"\u0301"_s, u"e\u0301"_s, u"c"_s, u"cl"_s, u"c"_s}) {
        SnippetCatalogue fresh = fx.load();
        fresh.filterSystemCodeSnippets(text);
        QStringList expected;
        for (const SnippetRecord &record : fresh.filteredSystemCodeSnippets())
            expected.append(record.identifier().value_or(u"?"_s));
        EXPECT_EQ(rows(text), expected) << text.toStdString();
    }
}

// The known languages and queries by readable name or full value are in the filter test below.
TEST(SnippetLanguage, OtherValuesReadAsTheirLastComponentAndQueriesMatchWholeNames)
{
    const std::pair<QString, QString> names[] = {
        {u"Xcode.SourceCodeLanguage.Metal"_s, u"Metal"_s}, {u"Other.Vendor.C-Plus-Plus"_s, u"C-Plus-Plus"_s},
        {u"Plain"_s, u"Plain"_s}, {u"Ends."_s, u"Ends."_s}, {u""_s, u""_s}};
    for (const auto &[value, name] : names)
        EXPECT_EQ(SnippetLanguage::readableName(value), name) << value.toStdString();

    const std::tuple<QString, QString, bool> queries[] = {
        {u"Xcode.SourceCodeLanguage.C-Plus-Plus"_s, u"C-Plus-Plus"_s, false},
        {u"Xcode.SourceCodeLanguage.Objective-C"_s, u"C"_s, false},
        {u"Xcode.SourceCodeLanguage.Swift"_s, u"Swif"_s, false},
        {u""_s, u"Swift"_s, false},
    };
    for (const auto &[value, query, matches] : queries)
        EXPECT_EQ(SnippetLanguage::matches(value, query), matches) << value.toStdString() << " " << query.toStdString();
}

// Text, changed state and language together, in title order; the rows stay until the filter is set again.
TEST(Filter, CombinesTextChangedStateLanguageAndBodies)
{
    const auto in = [](const char *language) -> QString {
        return u"<key>IDECodeSnippetLanguage</key><string>Xcode.SourceCodeLanguage."_s +
               QLatin1StringView(language) + u"</string>"_s;
    };
    Fixture fx;
    fx.install({{.identifier = u"c-for"_s, .title = u"For Loop"_s, .extraXml = in("C")},
                {.identifier = u"swift-for"_s, .title = u"For-In Loop"_s, .extraXml = in("Swift")},
                {.identifier = u"objc-init"_s, .title = u"Init"_s, .extraXml = in("Objective-C")},
                {.identifier = u"cpp-class"_s, .title = u"Class"_s, .contents = u"class Loop {};"_s,
                 .extraXml = in("C-Plus-Plus")},
                {.identifier = u"plain"_s, .title = u"Loose Loop"_s},
                {.identifier = u"objcpp"_s, .title = u"Block"_s, .extraXml = in("Objective-C-Plus-Plus")},
                {.identifier = u"c-while"_s, .title = u"While Loop"_s, .extraXml = in("C")}});
    fx.writeUserFile(u"a.codesnippet"_s,
                     snippetFile({.identifier = u"swift-for"_s, .completionPrefix = u""_s}));
    fx.writeUserFile(u"b.codesnippet"_s, snippetFile({.identifier = u"objc-init"_s}));
    fx.writeUserFile(u"c.codesnippet"_s, snippetFile({.identifier = u"custom"_s}));
    SnippetCatalogue catalogue = fx.load();
    EXPECT_EQ(catalogue.systemLanguages(),
              QStringList({u"C"_s, u"C++"_s, u"Objective-C"_s, u"Objective-C++"_s, u"Swift"_s}));

    const std::pair<SnippetFilter, QStringList> cases[] = {
        {{},
         {u"objcpp"_s, u"cpp-class"_s, u"c-for"_s, u"swift-for"_s, u"objc-init"_s, u"plain"_s, u"c-while"_s}},
        {{u"loop"_s}, {u"c-for"_s, u"swift-for"_s, u"plain"_s, u"c-while"_s}},
        {{u"loop"_s, true}, {u"swift-for"_s}},
        {{{}, true}, {u"swift-for"_s, u"objc-init"_s}},
        {{{}, false, u"c"_s}, {u"c-for"_s, u"c-while"_s}},
        {{u"while"_s, false, u"Xcode.SourceCodeLanguage.C"_s}, {u"c-while"_s}},
        {{{}, false, u"C++"_s}, {u"cpp-class"_s}},
        {{{}, false, u"OBJECTIVE-C++"_s}, {u"objcpp"_s}},
        {{u"lo"_s, false, u"swift"_s}, {u"swift-for"_s}},
        {{u"loo"_s, true, u"Swift"_s}, {u"swift-for"_s}},
        {{u"loop"_s, true, u"C"_s}, {}},
        {{{}, true, u"Objective-C"_s}, {u"objc-init"_s}},
        {{{}, false, u"Kotlin"_s}, {}},
        // Bodies: searched with the text when asked, or on their own, ANDed with the rest.
        {{.text = u"LOOP"_s, .textInBodies = true},
         {u"cpp-class"_s, u"c-for"_s, u"swift-for"_s, u"plain"_s, u"c-while"_s}},
        {{.body = u"loop"_s}, {u"cpp-class"_s}},
        {{.text = u"class"_s, .body = u"loop"_s}, {u"cpp-class"_s}},
        {{.text = u"for"_s, .body = u"loop"_s}, {}},
    };
    for (const auto &[filter, expected] : cases) {
        SCOPED_TRACE(testing::Message()
                     << filter.text.toStdString() << (filter.changedOnly ? " changed " : " ")
                     << filter.language.toStdString());
        catalogue.filterSystemCodeSnippets(filter);
        QStringList rows;
        for (const SnippetRecord &record : catalogue.filteredSystemCodeSnippets())
            rows.append(*record.identifier());
        EXPECT_EQ(rows, expected);
        EXPECT_EQ(catalogue.currentFilter(), filter);
    }

    catalogue.filterSystemCodeSnippets(SnippetFilter{.changedOnly = true});
    ASSERT_EQ(catalogue.apply(SnippetChange::revert(catalogue.systemCodeSnippet(u"swift-for"_s))).status,
              ChangeResult::Status::Done);
    EXPECT_EQ(catalogue.rowCount(), 2);
    catalogue.filterSystemCodeSnippets(catalogue.currentFilter());
    EXPECT_EQ(catalogue.rowCount(), 1);
}

} // namespace
