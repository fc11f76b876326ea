#include "catalogue/linediff.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QStringList>

#include <git2.h>

#include <algorithm>
#include <memory>

Q_LOGGING_CATEGORY(lcLineDiff, "glimmerpad.linediff", QtWarningMsg)

namespace Glimmerpad {

namespace {

struct PatchFree
{
    void operator()(git_patch *patch) const { git_patch_free(patch); }
};
using PatchPtr = std::unique_ptr<git_patch, PatchFree>;

qsizetype lineCount(const QByteArray &text)
{
    return text.count('\n') + (text.isEmpty() || text.endsWith('\n') ? 0 : 1);
}

// The patch from before to after; null when the texts are equal or libgit2 failed (logged). Its
// lines point into the two texts, which must outlive it.
PatchPtr makePatch(const QByteArray &before, const QByteArray &after, int contextLines)
{
    // libgit2 keeps its allocator and error state in globals that this sets up; once per process.
    static const int initialised = git_libgit2_init();
    if (initialised < 0) {
        qCWarning(lcLineDiff) << "libgit2 could not be initialised";
        return {};
    }
    git_diff_options options = GIT_DIFF_OPTIONS_INIT;
    options.flags = GIT_DIFF_FORCE_TEXT; // never "binary files differ", whatever the bytes
    // Context wider than either text takes in every line: one hunk from first line to last.
    options.context_lines = static_cast<uint32_t>(
        contextLines < 0 ? std::max(lineCount(before), lineCount(after)) + 1 : qsizetype(contextLines));
    git_patch *patch = nullptr;
    if (git_patch_from_buffers(&patch, before.constData(), static_cast<size_t>(before.size()), nullptr,
                               after.constData(), static_cast<size_t>(after.size()), nullptr, &options) < 0) {
        const git_error *error = git_error_last();
        qCWarning(lcLineDiff) << "libgit2 could not compare the texts:"
                              << (error ? QString::fromUtf8(error->message) : QString());
        return {};
    }
    PatchPtr owned(patch);
    return git_patch_num_hunks(patch) > 0 ? std::move(owned) : PatchPtr();
}

// Calls visit(hunk, line) for every line of every hunk, markers for a missing final line feed included.
template<typename Visit> void forEachLine(git_patch *patch, Visit visit)
{
    const size_t hunks = git_patch_num_hunks(patch);
    for (size_t h = 0; h < hunks; ++h) {
        const git_diff_hunk *hunk = nullptr;
        size_t lines = 0;
        if (git_patch_get_hunk(&hunk, &lines, patch, h) < 0)
            continue;
        visit(hunk, nullptr);
        for (size_t l = 0; l < lines; ++l) {
            const git_diff_line *line = nullptr;
            if (git_patch_get_line_in_hunk(&line, patch, h, l) == 0)
                visit(hunk, line);
        }
    }
}

QString hunkRange(int start, int count)
{
    return count == 1 ? QString::number(start) : QString::number(start) + u',' + QString::number(count);
}

} // namespace

QList<DiffLine> lineDiff(const QString &before, const QString &after, int contextLines)
{
    const QByteArray old = before.toUtf8();
    const QByteArray updated = after.toUtf8();
    const PatchPtr patch = makePatch(old, updated, contextLines);
    QList<DiffLine> result;
    if (!patch) {
        if (contextLines >= 0 || before != after)
            return result;
        // Equal texts have no hunk; every line is context for a side-by-side view.
        QStringList lines = before.split(u'\n');
        if (before.isEmpty() || before.endsWith(u'\n'))
            lines.removeLast();
        for (int i = 0; i < lines.size(); ++i)
            result.append({DiffLine::Kind::Context, lines[i], i + 1, i + 1});
        return result;
    }
    forEachLine(patch.get(), [&result](const git_diff_hunk *, const git_diff_line *line) {
        if (!line)
            return;
        DiffLine::Kind kind;
        switch (line->origin) {
        case GIT_DIFF_LINE_CONTEXT:
            kind = DiffLine::Kind::Context;
            break;
        case GIT_DIFF_LINE_DELETION:
            kind = DiffLine::Kind::Removed;
            break;
        case GIT_DIFF_LINE_ADDITION:
            kind = DiffLine::Kind::Added;
            break;
        default:
            return; // the markers for a missing final line feed
        }
        QByteArrayView content(line->content, static_cast<qsizetype>(line->content_len));
        if (content.endsWith('\n'))
            content.chop(1);
        result.append({kind, QString::fromUtf8(content), line->old_lineno, line->new_lineno});
    });
    return result;
}

QString unifiedDiff(const QString &before, const QString &after, const QString &beforeName,
                    const QString &afterName)
{
    const QByteArray old = before.toUtf8();
    const QByteArray updated = after.toUtf8();
    const PatchPtr patch = makePatch(old, updated, 3);
    if (!patch)
        return {};
    QByteArray text = "--- " + beforeName.toUtf8() + "\n+++ " + afterName.toUtf8() + '\n';
    forEachLine(patch.get(), [&text](const git_diff_hunk *hunk, const git_diff_line *line) {
        if (!line) {
            text += "@@ -" + hunkRange(hunk->old_start, hunk->old_lines).toUtf8() + " +" +
                    hunkRange(hunk->new_start, hunk->new_lines).toUtf8() + " @@\n";
            return;
        }
        switch (line->origin) {
        case GIT_DIFF_LINE_CONTEXT:
        case GIT_DIFF_LINE_DELETION:
        case GIT_DIFF_LINE_ADDITION:
            text += line->origin;
            break;
        default:
            break; // a marker's content is the whole "\ No newline at end of file" line
        }
        text.append(line->content, static_cast<qsizetype>(line->content_len));
    });
    return QString::fromUtf8(text);
}

} // namespace Glimmerpad
