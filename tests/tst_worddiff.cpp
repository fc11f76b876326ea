// Changed words within a changed line: what the compare view underlines.
#include "catalogue/worddiff.h"

#include <gtest/gtest.h>

using namespace Glimmerpad;
using namespace Qt::StringLiterals;

namespace {

// The text with each changed stretch in brackets.
QString bracketed(const QString &text, const QList<TextSpan> &spans)
{
    QString marked = text;
    for (auto span = spans.crbegin(); span != spans.crend(); ++span) {
        marked.insert(span->start + span->length, u']');
        marked.insert(span->start, u'[');
    }
    return marked;
}

TEST(ChangedWords, MarksWhatDiffersWordByWord)
{
    struct Case
    {
        const char *what;
        QString before, after, markedBefore, markedAfter;
    };
    const Case cases[] = {
        {"equal", u"int a = 0;"_s, u"int a = 0;"_s, u"int a = 0;"_s, u"int a = 0;"_s},
        {"one word", u"int count = 0;"_s, u"int total = 0;"_s, u"int [count] = 0;"_s, u"int [total] = 0;"_s},
        {"a phrase reads as one", u"a b c d"_s, u"a x y d"_s, u"a [b c] d"_s, u"a [x y] d"_s},
        {"inserted", u"go();"_s, u"go(now);"_s, u"go();"_s, u"go([now]);"_s},
        {"words are whole", u"counter++"_s, u"count++"_s, u"[counter]++"_s, u"[count]++"_s},
        {"indentation", u"  x"_s, u"    x"_s, u"[  ]x"_s, u"[    ]x"_s},
        {"placeholders are whole",
         u"for (<#initialization#>; <#condition#>; <#increment#>) {"_s,
         u"for (int i = 0; i < <#count#>; i++) {"_s,
         u"for ([<#initialization#>]; [<#condition#>]; [<#increment#>]) {"_s,
         u"for ([int i = 0]; [i < <#count#>]; [i++]) {"_s},
        {"an unclosed placeholder is characters", u"<#a"_s, u"<#b"_s, u"<#[a]"_s, u"<#[b]"_s},
        {"from nothing", u""_s, u"x y"_s, u""_s, u"[x y]"_s},
        {"all of it", u"abc"_s, u"xyz"_s, u"[abc]"_s, u"[xyz]"_s},
        {"a character beyond 16 bits stays whole", u"\U0001F600!"_s, u"\U0001F601!"_s, u"[\U0001F600]!"_s,
         u"[\U0001F601]!"_s},
    };
    for (const Case &c : cases) {
        const WordChanges changes = changedWords(c.before, c.after);
        EXPECT_EQ(bracketed(c.before, changes.before), c.markedBefore) << c.what;
        EXPECT_EQ(bracketed(c.after, changes.after), c.markedAfter) << c.what;
    }
}

TEST(ChangedWords, LongLinesStayExactWhereTheyCanAndWholeWhereTheyCannot)
{
    QStringList words;
    for (int i = 0; i < 400; ++i)
        words.append(u"w"_s + QString::number(i));
    const QString line = words.join(u' ');

    // One change in the middle: what both begin and end with is set aside before comparing.
    QStringList middle = words;
    middle[200] = u"x"_s;
    const WordChanges one = changedWords(line, middle.join(u' '));
    ASSERT_EQ(one.after.size(), 1);
    EXPECT_EQ(middle.join(u' ').sliced(one.after[0].start, one.after[0].length), u"x"_s);

    // Changes at both ends leave too much to compare word by word: first difference to last.
    QStringList ends = words;
    ends.first() = u"x"_s;
    ends.last() = u"y"_s;
    const WordChanges both = changedWords(line, ends.join(u' '));
    EXPECT_EQ(both.before, QList<TextSpan>({{0, line.size()}}));
    EXPECT_EQ(both.after, QList<TextSpan>({{0, ends.join(u' ').size()}}));
}

} // namespace
