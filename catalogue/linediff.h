#pragma once

#include "catalogue/rebase.h"

#include <QList>
#include <QString>

#include <optional>

// Line differences between two texts, and merges of two changed versions of one, worked out by
// libgit2 (its own target, so that the catalogue itself needs nothing beyond Qt Core, libplist and pugixml).
// libgit2 is opened the first time a difference or a merge needs it.
namespace Glimmerpad {

struct DiffLine
{
    enum class Kind
    {
        Context,
        Removed,
        Added,
    };
    Kind kind;
    QString text; // the line without its line feed; a carriage return before it is kept
    int oldLine;  // from 1; -1 for a line only the new text has
    int newLine;  // from 1; -1 for a line only the old text has
    // The last line of its text, with no line feed after it. Where only one text ends so, its last
    // line differs from the other's in that alone, and shows as removed and added.
    bool noFinalNewline = false;
};

// The lines of before and after, changed ones as removed and added, with contextLines unchanged
// lines around each change; -1 gives every line (for a side-by-side view), which for equal texts
// are all context. A last line that differs only in its final line feed shows as removed and added,
// the one without it marked noFinalNewline.
// Nothing, like the diff below, when libgit2 cannot be opened or cannot compare the texts (out of
// memory), with the reason in *error.
std::optional<QList<DiffLine>> lineDiff(const QString &before, const QString &after, int contextLines = -1,
                                        QString *error = nullptr);

// A unified diff of before and after with three lines of context: "--- beforeName",
// "+++ afterName", then "@@" hunks, with "\ No newline at end of file" after a last line without
// one. Empty when the texts are equal.
std::optional<QString> unifiedDiff(const QString &before, const QString &after, const QString &beforeName,
                                   const QString &afterName, QString *error = nullptr);

// The result of merging two changed versions of one text.
struct ThreeWayMerge
{
    QString text;            // the merged text; where both changed the same lines, conflict markers
    bool conflicted = false; // whether it holds such markers (then nothing should be written unasked)
};

// Merges the changes from base to ours and from base to theirs, line by line, with libgit2's
// git_merge_file: for rebasing the user's edited body (ours) onto a newer standard body (theirs).
// Lines both changed differently are marked "<<<<<<< yours", "=======", ">>>>>>> standard".
// Carriage returns and a missing final line feed are kept as the texts have them, except that a
// conflict on the last line ends in a line feed after its marker.
// Where ours is base the result is theirs, where theirs is base it is ours, and where both are
// equal it is that text, all without libgit2: such a rebase works even where it cannot be opened.
// Nothing, with the reason in *error, when libgit2 cannot be opened or cannot merge, or when a
// text that needs merging holds a NUL character (which libgit2 takes for binary).
std::optional<ThreeWayMerge> mergeThreeWay(const QString &base, const QString &ours, const QString &theirs,
                                           QString *error = nullptr);

// mergeThreeWay as the catalogue's way of merging a rebased body.
Rebase::BodyMerger threeWayBodyMerger();

// Which libgit2 the next comparison or merge opens: the file name, or a null string for the one
// the program was built with. For tests of one that cannot be made; not while one runs.
void setLineDiffLibrary(const QString &fileName);

} // namespace Glimmerpad
