#pragma once

#include <QList>
#include <QString>

#include <optional>

// Line differences between two texts, worked out by libgit2's diff (its own target, so that the
// catalogue itself needs nothing beyond Qt Core and libplist). libgit2 is opened the first time a
// difference is asked for.
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
};

// The lines of before and after, changed ones as removed and added, with contextLines unchanged
// lines around each change; -1 gives every line (for a side-by-side view), which for equal texts
// are all context. A last line that differs only in its final line feed shows as removed and added.
// Nothing, like the diff below, when libgit2 cannot be opened or cannot compare the texts (out of
// memory), with the reason in *error.
std::optional<QList<DiffLine>> lineDiff(const QString &before, const QString &after, int contextLines = -1,
                                        QString *error = nullptr);

// A unified diff of before and after with three lines of context: "--- beforeName",
// "+++ afterName", then "@@" hunks, with "\ No newline at end of file" after a last line without
// one. Empty when the texts are equal.
std::optional<QString> unifiedDiff(const QString &before, const QString &after, const QString &beforeName,
                                   const QString &afterName, QString *error = nullptr);

// Which libgit2 the next comparison opens: the file name, or a null string for the one the
// program was built with. For tests of a comparison that cannot be made; not while one runs.
void setLineDiffLibrary(const QString &fileName);

} // namespace Glimmerpad
