// Line differences: what a side-by-side view and a unified diff show for typical edits.
#include "catalogue/linediff.h"
#include "testsupport.h"

#include <gtest/gtest.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;

namespace {

// A line as "<kind><text> <old>,<new>": " a 1,1", "-b 2,-1", "+c -1,2"; " \\" after a last line
// without a line feed.
QStringList render(const QList<DiffLine> &lines)
{
    QStringList rendered;
    for (const DiffLine &line : lines) {
        const QChar kind = line.kind == DiffLine::Kind::Context   ? u' '
                           : line.kind == DiffLine::Kind::Removed ? u'-'
                                                                  : u'+';
        rendered.append(kind + line.text + u' ' + QString::number(line.oldLine) + u',' +
                        QString::number(line.newLine) + (line.noFinalNewline ? u" \\"_s : QString()));
    }
    return rendered;
}

TEST(LineDiff, EditsAsRemovedAddedAndContextLines)
{
    struct Case
    {
        const char *what;
        QString before, after;
        int context;
        QStringList expected;
    };
    const Case cases[] = {
        {"insert", u"a\nb\n"_s, u"a\nx\nb\n"_s, -1, {u" a 1,1"_s, u"+x -1,2"_s, u" b 2,3"_s}},
        {"delete", u"a\nb\nc\n"_s, u"a\nc\n"_s, -1, {u" a 1,1"_s, u"-b 2,-1"_s, u" c 3,2"_s}},
        {"change",
         u"a\nb\nc\n"_s,
         u"a\nB\nc\n"_s,
         -1,
         {u" a 1,1"_s, u"-b 2,-1"_s, u"+B -1,2"_s, u" c 3,3"_s}},
        {"from nothing", u""_s, u"a\n"_s, -1, {u"+a -1,1"_s}},
        {"final line feed added", u"a\nb"_s, u"a\nb\n"_s, -1, {u" a 1,1"_s, u"-b 2,-1 \\"_s, u"+b -1,2"_s}},
        {"final line feed taken away", u"a\n"_s, u"a"_s, -1, {u"-a 1,-1"_s, u"+a -1,1 \\"_s}},
        {"neither ends in a line feed", u"a\nb"_s, u"x\nb"_s, -1, {u"-a 1,-1"_s, u"+x -1,1"_s, u" b 2,2 \\"_s}},
        {"carriage returns kept",
         u"a\r\nb\r\n"_s,
         u"a\r\nc\r\n"_s,
         -1,
         {u" a\r 1,1"_s, u"-b\r 2,-1"_s, u"+c\r -1,2"_s}},
        {"line ends changed", u"a\n"_s, u"a\r\n"_s, -1, {u"-a 1,-1"_s, u"+a\r -1,1"_s}},
        {"one line of context",
         u"1\n2\n3\n4\n5\n6\n7\n"_s,
         u"1\n2\n3\nx\n5\n6\n7\n"_s,
         1,
         {u" 3 3,3"_s, u"-4 4,-1"_s, u"+x -1,4"_s, u" 5 5,5"_s}},
        {"equal, every line", u"a\n\nü"_s, u"a\n\nü"_s, -1, {u" a 1,1"_s, u"  2,2"_s, u" ü 3,3 \\"_s}},
        {"equal, context only", u"a\nb\n"_s, u"a\nb\n"_s, 3, {}},
        {"both empty", u""_s, u""_s, -1, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(render(lineDiff(c.before, c.after, c.context).value()), c.expected) << c.what;
}

TEST(UnifiedDiff, HeadersHunksAndMissingLineFeeds)
{
    QString twenty, changed;
    for (int i = 1; i <= 20; ++i) {
        twenty += QString::number(i) + u'\n';
        changed += (i == 2 || i == 18 ? u"x"_s : QString::number(i)) + u'\n';
    }
    const std::tuple<const char *, QString, QString, QString> cases[] = {
        {"equal", u"same\n"_s, u"same\n"_s, u""_s},
        {"no line feed on either side", u"a\nb"_s, u"a\nc"_s,
         u"--- system\n+++ override\n@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+c\n"
         "\\ No newline at end of file\n"_s},
        {"line feed added", u"a"_s, u"a\n"_s,
         u"--- system\n+++ override\n@@ -1 +1 @@\n-a\n\\ No newline at end of file\n+a\n"_s},
        {"carriage returns kept", u"a\r\n"_s, u"b\r\n"_s,
         u"--- system\n+++ override\n@@ -1 +1 @@\n-a\r\n+b\r\n"_s},
        {"two hunks, three lines of context", twenty, changed,
         u"--- system\n+++ override\n@@ -1,5 +1,5 @@\n 1\n-2\n+x\n 3\n 4\n 5\n"
         "@@ -15,6 +15,6 @@\n 15\n 16\n 17\n-18\n+x\n 19\n 20\n"_s},
        {"emptied", u"gone\n"_s, u""_s, u"--- system\n+++ override\n@@ -1 +0,0 @@\n-gone\n"_s},
    };
    for (const auto &[what, before, after, expected] : cases)
        EXPECT_EQ(unifiedDiff(before, after, u"system"_s, u"override"_s).value(), expected) << what;
}

// A comparison that cannot be made says why; it never looks like two equal texts.
TEST(LineDiff, WithoutLibgit2ThereIsAReasonNotAnEmptyDifference)
{
    const MessageCapture log;
    setLineDiffLibrary(u"libgit2-missing.so.0"_s);
    QString lineError, unifiedError;
    EXPECT_EQ(lineDiff(u"a\n"_s, u"b\n"_s, -1, &lineError), std::nullopt);
    EXPECT_EQ(unifiedDiff(u"a\n"_s, u"a\n"_s, u"system"_s, u"override"_s, &unifiedError), std::nullopt);
    setLineDiffLibrary({});
    EXPECT_TRUE(lineError.contains(u"libgit2-missing.so.0"_s)) << lineError.toStdString();
    EXPECT_EQ(unifiedError, lineError);
    EXPECT_EQ(unifiedDiff(u"a\n"_s, u"a\n"_s, u"system"_s, u"override"_s), QString()); // opened again
}

// Rebasing a user's edited body onto a newer standard one: both sides' changes, or marked conflicts.
TEST(MergeThreeWay, TakesBothSidesChangesAndMarksWhereTheyClash)
{
    const QString base = u"if (<#condition#>) {\n  <#statements#>\n}\nreturn <#value#>;\n"_s;
    const QString reindented = u"if (<#condition#>) {\n    <#statements#>\n}\nreturn <#value#>;\n"_s;
    const QString returnsNil = u"if (<#condition#>) {\n  <#statements#>\n}\nreturn nil;\n"_s;
    const QString called = u"if (<#condition#>) {\n  doSomething();\n}\nreturn <#value#>;\n"_s;
    struct Case
    {
        const char *what;
        QString base, ours, theirs;
        QString expected;
        bool conflicted;
    };
    const Case cases[] = {
        {"only the standard changed", base, base, reindented, reindented, false},
        {"only yours changed", base, returnsNil, base, returnsNil, false},
        {"apart", base, returnsNil, reindented,
         u"if (<#condition#>) {\n    <#statements#>\n}\nreturn nil;\n"_s, false},
        {"the same line differently", base, called, reindented,
         u"if (<#condition#>) {\n<<<<<<< yours\n  doSomething();\n=======\n    <#statements#>\n"
         ">>>>>>> standard\n}\nreturn <#value#>;\n"_s,
         true},
        {"the same change", base, reindented, reindented, reindented, false},
        {"the same change and one of yours", base,
         u"if (<#condition#>) {\n    <#statements#>\n}\nreturn nil;\n"_s, reindented,
         u"if (<#condition#>) {\n    <#statements#>\n}\nreturn nil;\n"_s, false},
        {"a line deleted, one added elsewhere", u"a\nb\nc\nd\n"_s, u"a\nc\nd\n"_s, u"a\nb\nc\nd\ne\n"_s,
         u"a\nc\nd\ne\n"_s, false},
        {"carriage returns, no final line feed", u"a\r\nb\r\nc\r\nd"_s, u"A\r\nb\r\nc\r\nd"_s,
         u"a\r\nb\r\nc\r\nD"_s, u"A\r\nb\r\nc\r\nD"_s, false},
        {"the standard adds the final line feed", u"a\nb\nc"_s, u"x\nb\nc"_s, u"a\nb\nc\n"_s, u"x\nb\nc\n"_s,
         false},
        {"not ASCII", u"café\nb\nc\n"_s, u"café 🙂\nb\nc\n"_s, u"café\nb\nçà\n"_s,
         u"café 🙂\nb\nçà\n"_s, false},
        {"not ASCII, clashing", u"a\né\n"_s, u"a\né 🙂\n"_s, u"a\nè\n"_s,
         u"a\n<<<<<<< yours\né 🙂\n=======\nè\n>>>>>>> standard\n"_s, true},
    };
    for (const Case &c : cases) {
        QString error;
        const std::optional<ThreeWayMerge> merged = mergeThreeWay(c.base, c.ours, c.theirs, &error);
        ASSERT_TRUE(merged.has_value()) << c.what << ": " << error.toStdString();
        EXPECT_EQ(merged->text, c.expected) << c.what;
        EXPECT_EQ(merged->conflicted, c.conflicted) << c.what;
    }
}

// A NUL makes libgit2 see binary and give back nothing: a reason, never an empty body.
TEST(MergeThreeWay, TextsWithANulAreNotMergedIntoNothing)
{
    QString error;
    const QString withNul = u"a\n"_s + QChar(0) + u"\nc\n"_s;
    EXPECT_EQ(mergeThreeWay(u"a\nb\nc\n"_s, withNul, u"a\nb\nC\n"_s, &error).has_value(), false);
    EXPECT_TRUE(error.contains(u"NUL"_s)) << error.toStdString();
}

// Without libgit2 a merge that needs it says why; one side unchanged, or both alike, still merges.
TEST(MergeThreeWay, WithoutLibgit2OnlyTheMergesThatNeedItFail)
{
    const MessageCapture log;
    setLineDiffLibrary(u"libgit2-missing.so.0"_s);
    QString error;
    const std::optional<ThreeWayMerge> needed =
        mergeThreeWay(u"a\nb\nc\n"_s, u"x\nb\nc\n"_s, u"a\nb\ny\n"_s, &error);
    const std::tuple<const char *, QString, QString, QString> shortCircuits[] = {
        {"only the standard changed", u"a\n"_s, u"a\n"_s, u"b\n"_s},
        {"only yours changed", u"a\n"_s, u"b\n"_s, u"a\n"_s},
        {"the same change", u"a\n"_s, u"b\n"_s, u"b\n"_s},
    };
    for (const auto &[what, base, ours, theirs] : shortCircuits) {
        const std::optional<ThreeWayMerge> merged = mergeThreeWay(base, ours, theirs);
        EXPECT_EQ(merged ? std::optional(merged->text) : std::nullopt, u"b\n"_s) << what;
    }
    setLineDiffLibrary({});
    EXPECT_EQ(needed.has_value(), false);
    EXPECT_TRUE(error.contains(u"libgit2-missing.so.0"_s)) << error.toStdString();
    EXPECT_EQ(mergeThreeWay(u"a\nb\nc\n"_s, u"x\nb\nc\n"_s, u"a\nb\ny\n"_s).value().text,
              u"x\nb\ny\n"_s); // opened again
}

} // namespace
