// Syntax highlighting of snippet bodies: what the spans say, and that editing keeps them true.
#include "syntax/document.h"

#include <QEventLoop>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <vector>

using namespace Glimmerpad::Syntax;

namespace {

constexpr Language kLanguages[] = {Language::C, Language::Cpp, Language::ObjectiveC, Language::Swift};

// The kind of every UTF-16 unit of text, -1 where no span lies.
std::vector<int> kindsOf(const Document &document, qsizetype length)
{
    std::vector<int> kinds(std::size_t(length), -1);
    for (const Span &span : document.spans(0, int(length))) {
        for (int i = span.start; i < span.start + span.length; ++i)
            kinds[std::size_t(i)] = int(span.kind);
    }
    return kinds;
}

// The first test of a process finds no query compiled yet: the document says nothing until the
// compile on the worker thread is done, and then tells its own thread.
TEST(Syntax, QueryIsCompiledOffTheCallingThreadAndAnnouncedOnIt)
{
    Document document(Language::Cpp);
    document.setText(u"int main() { return 0; }"_qs);
    const bool wasReady = document.isReady();
    if (!wasReady) {
        EXPECT_TRUE(document.spans(0, 24).isEmpty());
        QThread *announcedOn = nullptr;
        QEventLoop loop;
        QObject::connect(&document, &Document::highlightingReady, &loop, [&] {
            announcedOn = QThread::currentThread();
            loop.quit();
        });
        loop.exec();
        EXPECT_EQ(announcedOn, document.thread());
    }
    EXPECT_TRUE(document.isReady());
    EXPECT_FALSE(document.spans(0, 24).isEmpty());
    RecordProperty("compiledWhileWaiting", wasReady ? "no (compiled by an earlier test)" : "yes");
}

TEST(Syntax, LanguagesOfXcode)
{
    const std::pair<const char16_t *, Language> cases[] = {
        {u"Xcode.SourceCodeLanguage.Swift", Language::Swift},
        {u"Xcode.SourceCodeLanguage.Objective-C", Language::ObjectiveC},
        {u"Xcode.SourceCodeLanguage.Objective-C-Plus-Plus", Language::ObjectiveC},
        {u"Xcode.SourceCodeLanguage.C", Language::C},
        {u"Xcode.SourceCodeLanguage.C-Plus-Plus", Language::Cpp},
        {u"Xcode.SourceCodeLanguage.Metal", Language::None},
        {u"Xcode.SourceCodeLanguage.Generic", Language::None},
        {u"Xcode.SourceCodeLanguage.C-Plus-Pluso", Language::None},
        {u"", Language::None},
    };
    for (const auto &[value, language] : cases)
        EXPECT_EQ(languageOf(QString::fromUtf16(value)), language) << QString::fromUtf16(value).toStdString();
}

TEST(Syntax, PatternsLeftOutOfTheQueriesAreListed)
{
    for (const Language language : kLanguages) {
        waitUntilPrepared(language);
        const QStringList dropped = droppedPatterns(language);
        std::cout << languageName(language) << ": " << dropped.size() << " pattern(s) left out\n";
        for (const QString &pattern : dropped)
            std::cout << "  " << pattern.toStdString() << '\n';
        // Every pattern of the pinned grammars' queries compiles and has predicates checked here.
        EXPECT_TRUE(dropped.isEmpty()) << languageName(language);
    }
}

struct Expectation
{
    const char16_t *text;     // found in the body
    std::optional<Kind> kind; // of every unit of it; nullopt: no span touches it
    int occurrence = 0;
};

struct BodyCase
{
    Language language;
    const char16_t *body;
    bool parses; // false: a fragment, highlighted as far as it goes
    std::vector<Expectation> expected;
};

TEST(Syntax, BodiesShowTheirKinds)
{
    using enum Kind;
    const BodyCase cases[] = {
        {Language::Swift,
         u"func greet(name: String) -> String {\n    return \"Hi, \\(name)\" // say it\n}",
         true,
         {{u"func", Keyword},
          {u"greet", Function},
          {u"String", Type},
          {u"return", Keyword},
          {u"\"Hi, ", String},
          {u"// say it", Comment},
          {u"->", Operator}}},
        {Language::Swift,
         u"if <#condition#> {\n    <#statements#>\n}\nlet answer = 42 /* ok */",
         true,
         {{u"if", Keyword},
          {u"<#condition#>", std::nullopt},
          {u"<#statements#>", std::nullopt},
          {u"let", Keyword},
          {u"42", Number},
          {u"/* ok */", Comment}}},
        {Language::Swift,
         u"guard let value = <#optional#> else {\n    return\n}\nprint(\"é😀\", value",
         false,
         {{u"guard", Keyword},
          {u"<#optional#>", std::nullopt},
          {u"return", Keyword},
          {u"print", Function},
          {u"\"é😀\"", String}}},
        {Language::ObjectiveC,
         u"#import <Foundation/Foundation.h>\n@interface <#ClassName#> : NSObject {\n    int "
         u"count;\n}\n@end\n"
         u"int total = count; // not a field",
         true,
         {{u"#import", Preprocessor},
          {u"<Foundation/Foundation.h>", String},
          {u"@interface", Keyword},
          {u"<#ClassName#>", std::nullopt},
          {u"NSObject", Type},
          {u"count", Property},
          {u"count", Variable, 1},
          {u"// not a field", Comment}}},
        {Language::ObjectiveC,
         u"if (<#condition#>) {\n    self.title = @\"Hi <#text#>\";\n    [super viewDidLoad];\n}",
         true,
         {{u"if", Keyword},
          {u"<#condition#>", std::nullopt},
          {u"self", Keyword},
          {u"\"Hi ", String},
          {u"<#text#>", std::nullopt},
          {u"\"", String, 1},
          {u"super", Keyword}}},
        {Language::ObjectiveC,
         u"} else {\n    return [[NSArray alloc] init];",
         false,
         {{u"else", Keyword}, {u"return", Keyword}, {u"init", Function}}},
        {Language::C,
         u"#define MAX_SIZE 10\n/* note */ int main(void) {\n    int a = MAX_SIZE, b = maxSize;\n"
         u"    printf(\"%d\\n\", <#value#>);\n    return 0;\n}",
         true,
         {{u"#define", Keyword},
          {u"/* note */", Comment},
          {u"int", Type},
          {u"main", Function},
          {u"MAX_SIZE", Constant, 1},
          {u"maxSize", Variable},
          {u"printf", Function},
          {u"\"%d\\n\"", String},
          {u"<#value#>", std::nullopt},
          {u"0", Number, 1}}},
        {Language::C,
         u"for (int i = 0; i < <#count#>; i++",
         false,
         {{u"for", Keyword}, {u"int", Type}, {u"<#count#>", std::nullopt}}},
        {Language::Cpp,
         u"template <typename T> class Box { T value; };\nauto p = std::make_unique<<#Type#>>(); // own it\n"
         u"int *q = nullptr;",
         true,
         {{u"template", Keyword},
          {u"typename", Keyword},
          {u"class", Keyword},
          {u"Box", Type},
          {u"value", Property},
          {u"auto", Type},
          {u"<#Type#>", std::nullopt},
          {u"// own it", Comment},
          {u"nullptr", Constant}}},
    };
    for (const BodyCase &c : cases) {
        const QString body = QString::fromUtf16(c.body);
        SCOPED_TRACE(body.toStdString());
        waitUntilPrepared(c.language);
        Document document(c.language);
        document.setText(body);
        ASSERT_TRUE(document.isReady());
        EXPECT_EQ(document.hasErrors(), !c.parses);
        const std::vector<int> kinds = kindsOf(document, body.size());
        for (const Expectation &e : c.expected) {
            const QString text = QString::fromUtf16(e.text);
            qsizetype at = -1;
            for (int n = 0; n <= e.occurrence; ++n)
                at = body.indexOf(text, at + 1);
            ASSERT_GE(at, 0) << text.toStdString();
            for (qsizetype i = at; i < at + text.size(); ++i)
                EXPECT_EQ(kinds[std::size_t(i)], e.kind ? int(*e.kind) : -1)
                    << text.toStdString() << " at " << i;
        }
    }
}

TEST(Syntax, UnknownLanguageGivesNothing)
{
    Document document(languageOf(u"Xcode.SourceCodeLanguage.Metal"_qs));
    document.setText(u"kernel void f() { return; }"_qs);
    EXPECT_EQ(document.language(), Language::None);
    EXPECT_FALSE(document.isReady());
    EXPECT_TRUE(document.spans(0, 27).isEmpty());
    EXPECT_TRUE(document.applyEdit(u"kernel void g() { return; }"_qs, 12, 1, 1).isEmpty());
}

struct EditCase
{
    Language language;
    const char16_t *before;
    const char16_t *at; // the edit starts where this is found in before
    int removed;
    const char16_t *inserted;
};

// Edited incrementally, a document gives exactly the spans of one parsed afresh, in each line as
// for the whole text; and outside the ranges it reports no highlighting changed.
TEST(Syntax, EditsGiveTheSpansOfAFreshParse)
{
    const char16_t *const swift = u"// Grüße 😀\nlet greeting = \"héllo 😀\"\nif <#condition#> {\n"
                                  u"    print(greeting, <#value#>)\n}\nlet MAX = 1";
    const char16_t *const objc = u"@implementation Foo\n- (instancetype)init {\n    self = [super init];\n"
                                 u"    NSLog(@\"%@ é\", <#object#>);\n    return self;\n}\n@end";
    const char16_t *const c = u"int main(void) {\n    int maxSize = 1; /* 😀 */\n    return MAX_SIZe;\n}";
    const EditCase cases[] = {
        {Language::Swift, swift, u"eting =", 0, u"x"},       // inside an identifier
        {Language::Swift, swift, u"héllo", 0, u"\""},        // a string split in two
        {Language::Swift, swift, u"if", 0, u"/*"},           // the rest a comment
        {Language::Swift, swift, u"}\nlet", 1, u""},         // a brace taken away
        {Language::Swift, swift, u"dition#>", 0, u"ab"},     // inside a token
        {Language::Swift, swift, u"#> {", 2, u""},           // a token's end taken away
        {Language::Swift, swift, u"value#>", 6, u"value#"},  // ... and put back
        {Language::Swift, swift, u"ition#> {", 14, u""},     // from inside a token into the code after it
        {Language::Swift, swift, u"<#value", 0, u"<#a#>, "}, // a token typed before a token
        {Language::Swift, swift, u"😀\"", 2, u"é"},           // a surrogate pair replaced
        {Language::Swift, swift, u"Grüße", 0, u"😀😀"},        // pairs typed into a comment
        {Language::Swift, swift, u"MAX", 3, u"max"},         // the same shape, another name
        {Language::Swift, swift, u"1", 1, u"x"},             // a number becomes a name
        {Language::ObjectiveC, objc, u"init {", 4, u"initWithFrame:(CGRect)frame"},
        {Language::ObjectiveC, objc, u"@end", 4, u""},
        {Language::ObjectiveC, objc, u"é\"", 1, u"<#name#>"},
        {Language::ObjectiveC, objc, u"@\"%@", 0, u"@\"<#"}, // opens a token that closes at #>
        {Language::C, c, u"maxSize = 1", 7, u"MAX_SIZE"},    // becomes a constant's name
        {Language::C, c, u"/* 😀", 2, u"//"},
        {Language::C, c, u"return", 0, u"\n"},
        {Language::C, c, u"e;", 1, u"E"}, // a whole name becomes a constant's
    };
    for (const EditCase &e : cases) {
        const QString before = QString::fromUtf16(e.before), inserted = QString::fromUtf16(e.inserted);
        const int position = int(before.indexOf(QString::fromUtf16(e.at)));
        ASSERT_GE(position, 0);
        const QString after = QString(before).replace(position, e.removed, inserted);
        SCOPED_TRACE(after.toStdString());
        waitUntilPrepared(e.language);
        Document edited(e.language), fresh(e.language);
        edited.setText(before);
        const std::vector<int> kindsBefore = kindsOf(edited, before.size());
        const QList<TextRange> changed = edited.applyEdit(after, position, e.removed, int(inserted.size()));
        fresh.setText(after);
        EXPECT_EQ(edited.spans(0, int(after.size())), fresh.spans(0, int(after.size())));
        for (qsizetype lineStart = 0; lineStart <= after.size();) {
            qsizetype lineEnd = after.indexOf(u'\n', lineStart);
            if (lineEnd < 0)
                lineEnd = after.size();
            QList<Span> clipped;
            for (Span span : fresh.spans(0, int(after.size()))) {
                const int start = std::max(span.start, int(lineStart));
                const int end = std::min(span.start + span.length, int(lineEnd));
                if (end > start)
                    clipped.append({start, end - start, span.kind});
            }
            EXPECT_EQ(edited.spans(int(lineStart), int(lineEnd - lineStart)), clipped)
                << "line at " << lineStart;
            lineStart = lineEnd + 1;
        }
        const std::vector<int> kindsAfter = kindsOf(edited, after.size());
        const int shift = int(after.size() - before.size());
        for (int i = 0; i < int(after.size()); ++i) {
            const bool reported = std::any_of(changed.cbegin(), changed.cend(), [&](const TextRange &r) {
                return i >= r.start && i < r.end();
            });
            const int old = i < position ? i : i - shift;
            if (!reported && (i < position || i >= position + inserted.size())) {
                EXPECT_EQ(kindsAfter[std::size_t(i)], kindsBefore[std::size_t(old)])
                    << "unreported change at " << i;
            }
        }
    }
}

} // namespace
