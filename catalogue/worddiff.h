#pragma once

#include <QList>
#include <QString>

// Which words of a changed line changed, so that a view can mark them rather than only the line.
namespace Glimmerpad {

struct TextSpan
{
    qsizetype start = 0; // in UTF-16 code units
    qsizetype length = 0;
    bool operator==(const TextSpan &) const = default;
};

struct WordChanges
{
    QList<TextSpan> before; // what before has that after lacks
    QList<TextSpan> after;  // what after has that before lacks
};

// The stretches in which one line differs from what it became, in order. Placeholder tokens
// (<#name#>), words (letters, digits and underscores), runs of white space and single other
// characters are compared whole, as the longest common subsequence of the two lines; changed
// stretches with only white space between them are joined, so that a changed phrase reads as one.
// Lines too long to compare word by word are marked from their first difference to their last.
WordChanges changedWords(const QString &before, const QString &after);

} // namespace Glimmerpad
