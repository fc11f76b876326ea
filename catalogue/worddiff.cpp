#include "catalogue/worddiff.h"

#include <QStringView>

#include <algorithm>
#include <vector>

namespace Glimmerpad {

namespace {

// Beyond this many pairs of tokens the table of common subsequences would take more time and
// memory than a line is worth: about a hundred thousand pairs is a line of two hundred words.
constexpr qsizetype kMaxTokenPairs = 100'000;

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

QList<TextSpan> tokenize(const QString &text)
{
    QList<TextSpan> tokens;
    // Past the last "#>" nothing opens a placeholder: the search for its end is never made in vain.
    const qsizetype lastClose = text.lastIndexOf(QLatin1StringView("#>"));
    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i + 1;
        const qsizetype close =
            i + 2 <= lastClose && QStringView(text).sliced(i).startsWith(QLatin1StringView("<#"))
                ? text.indexOf(QLatin1StringView("#>"), i + 2)
                : -1;
        if (close >= 0) {
            end = close + 2; // a placeholder token is one thing to the reader, whatever its name
        } else if (isWordCharacter(text[i])) {
            while (end < text.size() && isWordCharacter(text[end]))
                ++end;
        } else if (text[i].isSpace()) {
            while (end < text.size() && text[end].isSpace())
                ++end;
        } else if (text[i].isHighSurrogate() && end < text.size() && text[end].isLowSurrogate()) {
            ++end; // one character, never split
        }
        tokens.append({i, end - i});
        i = end;
    }
    return tokens;
}

// The unmatched tokens as stretches: neighbours joined, and two stretches joined across matched
// white space between them.
QList<TextSpan> stretches(const QString &text, const QList<TextSpan> &tokens,
                          const std::vector<bool> &matched)
{
    QList<TextSpan> spans;
    qsizetype gapStart = -1; // where the matched white space after the last stretch began
    for (qsizetype t = 0; t < tokens.size(); ++t) {
        const TextSpan &token = tokens[t];
        if (matched[static_cast<size_t>(t)]) {
            const bool space = text[token.start].isSpace();
            if (!space)
                gapStart = -1;
            else if (gapStart < 0 && !spans.isEmpty() &&
                     spans.last().start + spans.last().length == token.start)
                gapStart = token.start;
            continue;
        }
        if (!spans.isEmpty() && (spans.last().start + spans.last().length == token.start || gapStart >= 0))
            spans.last().length = token.start + token.length - spans.last().start;
        else
            spans.append(token);
        gapStart = -1;
    }
    return spans;
}

} // namespace

WordChanges changedWords(const QString &before, const QString &after)
{
    const QList<TextSpan> a = tokenize(before);
    const QList<TextSpan> b = tokenize(after);
    const auto same = [&](qsizetype i, qsizetype j) {
        return QStringView(before).sliced(a[i].start, a[i].length) ==
               QStringView(after).sliced(b[j].start, b[j].length);
    };
    std::vector<bool> matchedA(static_cast<size_t>(a.size()), false),
        matchedB(static_cast<size_t>(b.size()), false);

    // What both begin and end with needs no table.
    const auto match = [&](qsizetype i, qsizetype j) {
        matchedA[static_cast<size_t>(i)] = true;
        matchedB[static_cast<size_t>(j)] = true;
    };
    qsizetype head = 0;
    for (; head < a.size() && head < b.size() && same(head, head); ++head)
        match(head, head);
    qsizetype tailA = a.size(), tailB = b.size();
    for (; tailA > head && tailB > head && same(tailA - 1, tailB - 1); --tailA, --tailB)
        match(tailA - 1, tailB - 1);

    const qsizetype n = tailA - head, m = tailB - head;
    if (n > 0 && m > 0 && n * m <= kMaxTokenPairs) {
        // lengths[i][j]: the longest common subsequence of the middles' tokens from i and from j on.
        const auto width = static_cast<size_t>(m + 1);
        std::vector<int> lengths(static_cast<size_t>(n + 1) * width, 0);
        const auto at = [&](qsizetype i, qsizetype j) -> int & {
            return lengths[static_cast<size_t>(i) * width + static_cast<size_t>(j)];
        };
        for (qsizetype i = n - 1; i >= 0; --i) {
            for (qsizetype j = m - 1; j >= 0; --j)
                at(i, j) =
                    same(head + i, head + j) ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        }
        for (qsizetype i = 0, j = 0; i < n && j < m;) {
            if (same(head + i, head + j)) {
                match(head + i, head + j);
                ++i;
                ++j;
            } else if (at(i + 1, j) >= at(i, j + 1)) {
                ++i;
            } else {
                ++j;
            }
        }
    }
    // Too long to compare word by word, the middles stay unmatched: one stretch on each side.
    return {stretches(before, a, matchedA), stretches(after, b, matchedB)};
}

} // namespace Glimmerpad
