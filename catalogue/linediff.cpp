#include "catalogue/linediff.h"

#include <QByteArray>
#include <QLibrary>
#include <QLoggingCategory>
#include <QMutex>
#include <QStringList>

// For the types and constants only: the functions come from the library opened below.
#include <git2.h>

#include <algorithm>
#include <memory>

Q_LOGGING_CATEGORY(lcLineDiff, "glimmerpad.linediff", QtWarningMsg)

namespace Glimmerpad {

namespace {

// libgit2's functions, opened on first use rather than linked: libgit2 brings TLS, SSH and
// Kerberos libraries whose loading would cost every start of both programs several milliseconds
// and megabytes, for a comparison most runs never make.
struct Git2
{
    decltype(&git_libgit2_init) init = nullptr;
    decltype(&git_patch_from_buffers) patchFromBuffers = nullptr;
    decltype(&git_patch_free) patchFree = nullptr;
    decltype(&git_patch_num_hunks) numHunks = nullptr;
    decltype(&git_patch_get_hunk) getHunk = nullptr;
    decltype(&git_patch_get_line_in_hunk) getLineInHunk = nullptr;
    decltype(&git_error_last) errorLast = nullptr;
    decltype(&git_merge_file) mergeFile = nullptr;
    decltype(&git_merge_file_result_free) mergeResultFree = nullptr;
    QString problem;      // why it cannot be used; empty when it can
    QString mergeProblem; // why it can compare but not merge; empty when it can merge
};

Git2 openGit2(const QString &fileName)
{
    Git2 git;
    QLibrary library(fileName);
    if (!library.load()) {
        git.problem = library.errorString();
        return git;
    }
    QString missing, missingForMerge;
    const auto resolve = [&](auto &function, const char *name, QString &missingName) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        if (!function)
            missingName = QString::fromLatin1(name);
    };
    resolve(git.init, "git_libgit2_init", missing);
    resolve(git.patchFromBuffers, "git_patch_from_buffers", missing);
    resolve(git.patchFree, "git_patch_free", missing);
    resolve(git.numHunks, "git_patch_num_hunks", missing);
    resolve(git.getHunk, "git_patch_get_hunk", missing);
    resolve(git.getLineInHunk, "git_patch_get_line_in_hunk", missing);
    resolve(git.errorLast, "git_error_last", missing);
    // Apart, so that a library without them still shows differences.
    resolve(git.mergeFile, "git_merge_file", missingForMerge);
    resolve(git.mergeResultFree, "git_merge_file_result_free", missingForMerge);
    if (!missingForMerge.isEmpty())
        git.mergeProblem = QStringLiteral("%1 has no function %2").arg(library.fileName(), missingForMerge);
    if (!missing.isEmpty())
        git.problem = QStringLiteral("%1 has no function %2").arg(library.fileName(), missing);
    // libgit2 keeps its allocator and error state in globals that this sets up; once per process.
    else if (git.init() < 0)
        git.problem = QStringLiteral("libgit2 could not be initialised");
    return git;
}

struct Loader
{
    QMutex mutex;
    QString fileName;
    std::optional<Git2> opened; // opened when first asked for
};

Loader &loader()
{
    static Loader instance;
    return instance;
}

// libgit2, or null with the reason in *error.
const Git2 *git2(QString *error)
{
    Loader &l = loader();
    const QMutexLocker lock(&l.mutex);
    if (!l.opened) {
        l.opened = openGit2(l.fileName.isNull() ? QStringLiteral(GLIMMERPAD_LIBGIT2_SONAME) : l.fileName);
        if (!l.opened->problem.isEmpty())
            qCWarning(lcLineDiff).noquote() << "libgit2 cannot be used:" << l.opened->problem;
        else if (!l.opened->mergeProblem.isEmpty())
            qCWarning(lcLineDiff).noquote() << "libgit2 cannot merge:" << l.opened->mergeProblem;
    }
    if (l.opened->problem.isEmpty())
        return &*l.opened;
    if (error)
        *error = QStringLiteral("libgit2 cannot be used: ") + l.opened->problem;
    return nullptr;
}

// libgit2 with its merge functions, or null with the reason in *error.
const Git2 *git2ForMerging(QString *error)
{
    const Git2 *git = git2(error);
    if (git && !git->mergeProblem.isEmpty()) {
        if (error)
            *error = QStringLiteral("libgit2 cannot merge: ") + git->mergeProblem;
        return nullptr;
    }
    return git;
}

git_merge_file_input mergeInput(const QByteArray &text)
{
    git_merge_file_input input = GIT_MERGE_FILE_INPUT_INIT;
    input.ptr = text.constData();
    input.size = static_cast<size_t>(text.size());
    return input;
}

struct PatchFree
{
    const Git2 *git;
    void operator()(git_patch *patch) const { git->patchFree(patch); }
};
using PatchPtr = std::unique_ptr<git_patch, PatchFree>;

qsizetype lineCount(const QByteArray &text)
{
    return text.count('\n') + (text.isEmpty() || text.endsWith('\n') ? 0 : 1);
}

// The patch from before to after: null when the texts are equal, nothing when libgit2 failed
// (the reason in *error). Its lines point into the two texts, which must outlive it.
std::optional<PatchPtr> makePatch(const QByteArray &before, const QByteArray &after, int contextLines,
                                  QString *error)
{
    const Git2 *git = git2(error);
    if (!git)
        return std::nullopt;
    git_diff_options options = GIT_DIFF_OPTIONS_INIT;
    options.flags = GIT_DIFF_FORCE_TEXT; // never "binary files differ", whatever the bytes
    // Context wider than either text takes in every line: one hunk from first line to last.
    options.context_lines = static_cast<uint32_t>(
        contextLines < 0 ? std::max(lineCount(before), lineCount(after)) + 1 : qsizetype(contextLines));
    git_patch *patch = nullptr;
    if (git->patchFromBuffers(&patch, before.constData(), static_cast<size_t>(before.size()), nullptr,
                              after.constData(), static_cast<size_t>(after.size()), nullptr, &options) < 0) {
        const git_error *failure = git->errorLast();
        const QString reason = QStringLiteral("libgit2 could not compare the texts: ") +
                               (failure ? QString::fromUtf8(failure->message) : QString());
        qCWarning(lcLineDiff).noquote() << reason;
        if (error)
            *error = reason;
        return std::nullopt;
    }
    PatchPtr owned(patch, PatchFree{git});
    return git->numHunks(patch) > 0 ? std::move(owned) : PatchPtr(nullptr, PatchFree{git});
}

// Calls visit(hunk, line) for every line of every hunk, markers for a missing final line feed included.
template<typename Visit> void forEachLine(const PatchPtr &patch, Visit visit)
{
    const Git2 *git = patch.get_deleter().git;
    const size_t hunks = git->numHunks(patch.get());
    for (size_t h = 0; h < hunks; ++h) {
        const git_diff_hunk *hunk = nullptr;
        size_t lines = 0;
        if (git->getHunk(&hunk, &lines, patch.get(), h) < 0)
            continue;
        visit(hunk, nullptr);
        for (size_t l = 0; l < lines; ++l) {
            const git_diff_line *line = nullptr;
            if (git->getLineInHunk(&line, patch.get(), h, l) == 0)
                visit(hunk, line);
        }
    }
}

QString hunkRange(int start, int count)
{
    return count == 1 ? QString::number(start) : QString::number(start) + u',' + QString::number(count);
}

} // namespace

Rebase::BodyMerger threeWayBodyMerger()
{
    return [](const QString &base, const QString &ours, const QString &theirs,
              QString *error) -> std::optional<Rebase::BodyMerge> {
        const std::optional<ThreeWayMerge> merged = mergeThreeWay(base, ours, theirs, error);
        if (!merged)
            return std::nullopt;
        return Rebase::BodyMerge{merged->text, merged->conflicted};
    };
}

void setLineDiffLibrary(const QString &fileName)
{
    Loader &l = loader();
    const QMutexLocker lock(&l.mutex);
    l.fileName = fileName;
    l.opened.reset();
}

std::optional<QList<DiffLine>> lineDiff(const QString &before, const QString &after, int contextLines,
                                        QString *error)
{
    const QByteArray old = before.toUtf8();
    const QByteArray updated = after.toUtf8();
    const std::optional<PatchPtr> made = makePatch(old, updated, contextLines, error);
    if (!made)
        return std::nullopt;
    const PatchPtr &patch = *made;
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
        if (!result.isEmpty() && !before.endsWith(u'\n'))
            result.last().noFinalNewline = true;
        return result;
    }
    forEachLine(patch, [&result](const git_diff_hunk *, const git_diff_line *line) {
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
        case GIT_DIFF_LINE_CONTEXT_EOFNL:
        case GIT_DIFF_LINE_ADD_EOFNL:
        case GIT_DIFF_LINE_DEL_EOFNL:
            // The marker for a missing final line feed follows the line it is about.
            if (!result.isEmpty())
                result.last().noFinalNewline = true;
            return;
        default:
            return;
        }
        QByteArrayView content(line->content, static_cast<qsizetype>(line->content_len));
        if (content.endsWith('\n'))
            content.chop(1);
        result.append({kind, QString::fromUtf8(content), line->old_lineno, line->new_lineno});
    });
    return result;
}

std::optional<QString> unifiedDiff(const QString &before, const QString &after, const QString &beforeName,
                                   const QString &afterName, QString *error)
{
    const QByteArray old = before.toUtf8();
    const QByteArray updated = after.toUtf8();
    const std::optional<PatchPtr> made = makePatch(old, updated, 3, error);
    if (!made)
        return std::nullopt;
    const PatchPtr &patch = *made;
    if (!patch)
        return QString();
    QByteArray text = "--- " + beforeName.toUtf8() + "\n+++ " + afterName.toUtf8() + '\n';
    forEachLine(patch, [&text](const git_diff_hunk *hunk, const git_diff_line *line) {
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

std::optional<ThreeWayMerge> mergeThreeWay(const QString &base, const QString &ours, const QString &theirs,
                                           QString *error)
{
    // One side unchanged, or both changed alike: the merge is the other side as it stands.
    if (ours == base || ours == theirs)
        return ThreeWayMerge{theirs, false};
    if (theirs == base)
        return ThreeWayMerge{ours, false};
    // libgit2 takes such a text for binary and gives back neither side, only "conflicted": an
    // empty body that must never stand for the user's.
    if (base.contains(QChar(0)) || ours.contains(QChar(0)) || theirs.contains(QChar(0))) {
        if (error)
            *error = QStringLiteral("texts with a NUL character cannot be merged line by line");
        return std::nullopt;
    }
    const Git2 *git = git2ForMerging(error);
    if (!git)
        return std::nullopt;
    const QByteArray baseText = base.toUtf8();
    const QByteArray ourText = ours.toUtf8();
    const QByteArray theirText = theirs.toUtf8();
    const git_merge_file_input baseInput = mergeInput(baseText);
    const git_merge_file_input ourInput = mergeInput(ourText);
    const git_merge_file_input theirInput = mergeInput(theirText);
    git_merge_file_options options = GIT_MERGE_FILE_OPTIONS_INIT;
    // The conflict markers name the sides the way the user knows them.
    options.ancestor_label = "standard before";
    options.our_label = "yours";
    options.their_label = "standard";
    git_merge_file_result result = {};
    if (git->mergeFile(&result, &baseInput, &ourInput, &theirInput, &options) < 0) {
        const git_error *failure = git->errorLast();
        const QString reason = QStringLiteral("libgit2 could not merge the texts: ") +
                               (failure ? QString::fromUtf8(failure->message) : QString());
        qCWarning(lcLineDiff).noquote() << reason;
        if (error)
            *error = reason;
        return std::nullopt;
    }
    // Success includes conflicts; only the flag tells a clean merge from a marked one.
    ThreeWayMerge merged{QString::fromUtf8(result.ptr, static_cast<qsizetype>(result.len)),
                         result.automergeable == 0};
    git->mergeResultFree(&result);
    return merged;
}

} // namespace Glimmerpad
