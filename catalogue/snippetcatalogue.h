#pragma once

#include "catalogue/boundedfile.h"
#include "catalogue/snippetrecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <optional>

class QIODevice;

namespace Glimmerpad {

using Identifier = std::optional<QString>; // absent when a record has no string identifier

// What a change to the user snippet folder came to.
struct ChangeResult
{
    enum class Status
    {
        Done,          // the file was written or removed
        NothingToDo,   // revert of a snippet without override file
        Refused,       // nothing was tried: no snippet at that row, an identifier that cannot be a file
                       // name, a link elsewhere, or a record a property list would not give back
        Failed,        // the file system said no, or the folder stayed locked; reason says why
        ChangedOnDisk, // the override is no longer what the caller read: nothing was written
    };
    Status status = Status::Done;
    QString reason;

    bool succeeded() const { return status == Status::Done || status == Status::NothingToDo; }
};

// What governs a system snippet on disk: the override's file and the bytes it was read from;
// both empty when nothing overrides the snippet. A writer that read an override compares it with
// what is there when it writes, so that a change made meanwhile is never overwritten unseen.
struct OverrideSnapshot
{
    QString path;
    QByteArray bytes;

    friend bool operator==(const OverrideSnapshot &, const OverrideSnapshot &) = default;
};

// What the list shows: the system snippets whose title or summary contains text (ignoring case and
// diacritics; empty text: all), of those only the overridden ones when changedOnly, and of those
// only the ones in language (its readable name or the full IDECodeSnippetLanguage value, ignoring
// case; empty: any language).
struct SnippetFilter
{
    QString text = {};
    bool changedOnly = false;
    QString language = {};

    friend bool operator==(const SnippetFilter &, const SnippetFilter &) = default;
};

// What became of one snippet file in an export or an import. identifier is empty when the file
// carried none; file is the file written (export) or read (import), or the folder when the whole
// export was refused; error says why when not ok.
struct TransferResult
{
    QString identifier = {};
    QString file = {};
    bool ok = false;
    QString error = {};
};

// Everything the catalogue says about one system snippet, in one answer.
struct SnippetState
{
    SnippetRecord shown;       // the override when there is one, else the system snippet itself
    bool overridden = false;
    bool disabled = false;     // overridden with an empty completion shortcut
    OverrideSnapshot snapshot; // the governing override's file and bytes; empty when not overridden
};

// The snippets of one Xcode installation and one home folder: the system snippets (read once),
// the user's snippet files (re-read after every change), overrides and the search filter.
// Main thread only; nothing here touches a user interface.
class SnippetCatalogue
{
public:
    explicit SnippetCatalogue(QString homeDirectory);

    QString homeDirectory() const { return m_home; }

    // How many threads read the user snippet files (as many as the machine has cores unless set);
    // 1 reads them one after another on the calling thread. The catalogue is the same either way.
    void setLoaderThreadCount(int threads) { m_loaderThreads = std::max(threads, 1); }
    int loaderThreadCount() const { return m_loaderThreads; }
    QString userLibraryDirectory() const;
    // The user snippet folder; created with its parents when nothing exists at its path.
    QString userCodeSnippetsDirectory() const;

    // Loading. The Xcode path must already have passed the version gate.
    void parseSystemCodeSnippets(const QString &xcodePath);
    void parseUserCodeSnippets();
    // Both of the above, the library parsed beside the user files rather than before them; the
    // log reads as if one had followed the other.
    void parseCodeSnippets(const QString &xcodePath);

    // The catalogue arrays. Row indexes everywhere are indexes into filteredSystemCodeSnippets().
    const QList<SnippetRecord> &systemCodeSnippets() const { return m_system; }
    const QList<Identifier> &systemCodeSnippetIdentifiers() const { return m_systemIdentifiers; }
    const QList<SnippetRecord> &filteredSystemCodeSnippets() const { return m_filtered; }
    const QList<SnippetRecord> &userCodeSnippets() const { return m_user; }
    const QList<Identifier> &userCodeSnippetIdentifiers() const { return m_userIdentifiers; }
    // The file each user snippet was read from, same order as userCodeSnippets().
    const QList<QString> &userCodeSnippetPaths() const { return m_userPaths; }
    QString systemCodeSnippetsPath() const { return m_libraryPath; }

    qsizetype rowCount() const { return m_filtered.size(); }
    SnippetRecord recordAtRow(qsizetype row) const;

    // Queries over the arrays.
    bool hasOverride(const Identifier &identifier) const;
    // The first user snippet, in folder order, that carries the identifier; null when none.
    SnippetRecord overrideForIdentifier(const Identifier &identifier) const;
    static bool isDisabledOverride(const SnippetRecord &override);
    // The override of a system snippet when there is one, else the system snippet itself.
    SnippetRecord shownRecord(const SnippetRecord &systemSnippet) const;
    bool canRevertToStandardSnippet(const SnippetRecord &selectedSnippet) const;
    quint64 customSnippetCount() const;

    // Whether the user snippet folder still holds what the catalogue last read from it (a look at
    // each file, not a reading); a watcher of the folder is spared reading it again after its own
    // writes and after changes that were no snippets (a lock file, a save's temporary file).
    bool userFolderUnchangedSinceReading() const { return userFolderUnchanged(userCodeSnippetsDirectory()); }

    // What governs the snippet as the catalogue last read the folder.
    OverrideSnapshot overrideSnapshot(const Identifier &identifier) const;
    // The record to show for a system snippet, whether and how it is overridden, and by which file.
    SnippetState stateOf(const SnippetRecord &systemSnippet) const;

    // Changes. Each holds the folder's lock file from its reading of the folder to its writing, so
    // that two programs changing snippets take turns, and re-reads the user snippets afterwards, as
    // the folder is the only truth. An override is written only once its bytes have been read back
    // as exactly the record meant; with expected given, only while the snippet's override on disk
    // is still the one expected.
    ChangeResult overrideSystemCodeSnippetAtIndex(qsizetype index, bool disableShortcut,
                                                  const std::optional<QString> &userSnippetContents,
                                                  const std::optional<OverrideSnapshot> &expected = std::nullopt);
    ChangeResult removeUserCodeSnippetAtIndex(qsizetype index);
    // The same for the system snippet with the identifier, whatever the filter shows (of several
    // with one identifier, the first in title order); refused when no system snippet has it.
    ChangeResult overrideSystemCodeSnippet(const QString &identifier, bool disableShortcut,
                                           const std::optional<QString> &contents,
                                           const std::optional<OverrideSnapshot> &expected = std::nullopt);
    ChangeResult removeUserCodeSnippet(const QString &identifier);

    // Copies the governing override file of every overridden system snippet, byte for byte, into
    // folder as "<identifier>.codesnippet", in title order; the folder is made when missing. Refused
    // whole, nothing written, when the folder already holds a ".codesnippet" entry: one failed
    // result naming the folder. Files carrying identifiers no system snippet has are not copied.
    QList<TransferResult> exportOverrides(const QString &folder);
    // Makes the overrides that snippet files describe: each path is a snippet file or a folder
    // whose ".codesnippet" entries are read (not its subfolders). A file whose identifier names a
    // system snippet becomes that snippet's override as if made by hand: the system record with the
    // file's contents (absent: the system's) and the file's shortcut state (an empty completion
    // prefix: off), written by overrideSystemCodeSnippet. Anything else is skipped with the reason:
    // one result per file, in the order given (a folder's files by name), or per path that is
    // missing or a folder without snippet files.
    QList<TransferResult> importOverrides(const QStringList &paths);

    // How an override's bytes go into its open temporary file: the number written, -1 on error.
    // Unset, it is QIODevice::write; tests set one that makes the device fail half-way.
    using OverrideWriter = std::function<qint64(QIODevice &file, const QByteArray &bytes)>;
    void setOverrideWriter(OverrideWriter writer) { m_overrideWriter = std::move(writer); }
    // How revert disposes of a file: true when it is gone, else false with the reason. Unset, the
    // file is deleted; the programs move it to the desktop's trash.
    using FileDisposer = std::function<bool(const QString &path, QString *error)>;
    void setFileDisposer(FileDisposer disposer) { m_fileDisposer = std::move(disposer); }

    // Why a home folder cannot hold the user snippet folder; empty when it can. Refused: none at
    // all, a relative path (it would resolve against whatever the current folder is), and a path
    // where no folder exists (the snippet folder would be made somewhere the user never meant).
    static QString homeDirectoryProblem(const QString &homeDirectory);

    // The filter: narrows filteredSystemCodeSnippets() to what it shows, in title order. The rows
    // are worked out here only: a change to a snippet leaves them as they are (a reverted snippet
    // stays in a changed-only list until the filter is set again), so rows held stay valid.
    void filterSystemCodeSnippets(const SnippetFilter &filter);
    // The search alone: filterSystemCodeSnippets({text}).
    void filterSystemCodeSnippets(const QString &text) { filterSystemCodeSnippets(SnippetFilter{text}); }
    SnippetFilter currentFilter() const { return m_filter; }
    QString filterText() const { return m_filter.text; }
    // The readable names of the languages the system snippets are in, sorted, each once; a snippet
    // without a language adds none.
    QStringList systemLanguages() const;

    // The first system snippet in title order that carries identifier, whatever the filter shows;
    // null when none.
    SnippetRecord systemCodeSnippet(const QString &identifier) const;

    // The first row whose system snippet carries identifier; -1 when none.
    qsizetype rowOfIdentifier(const QString &identifier) const;

    // Whether the identifier can name a file directly inside the user snippet folder.
    static bool isSafeIdentifier(const Identifier &identifier);

private:
    struct FolderContents
    {
        QList<SnippetRecord> records;
        QList<Identifier> identifiers;
        QList<QString> paths;
        // Every ".codesnippet" entry, read or skipped, by its name's bytes: what it was when read.
        QHash<QByteArray, FileStamp> stamps;
    };
    // alongside, when given, runs on one of the loader threads while the files are read, its log
    // lines coming before theirs.
    FolderContents readUserFolder(const QString &folder, const std::function<void()> &alongside = {}) const;
    void adoptUserFolder(FolderContents &&contents);
    struct SystemLibrary
    {
        QString path;
        std::optional<QList<SnippetRecord>> records; // nothing when there is no file at the path
    };
    static SystemLibrary readSystemLibrary(const QString &xcodePath);
    void adoptSystemLibrary(SystemLibrary &&library);
    // Whether the folder still holds what the last reading of it found; a writer that holds the
    // folder's lock is then spared reading it again.
    bool userFolderUnchanged(const QString &folder) const;
    struct WriteTarget
    {
        QString path; // where the bytes go: a link's target when the override file is a link
        QString refusal;
    };
    WriteTarget overrideTarget(const QString &identifier) const;
    ChangeResult writeOverride(const SnippetRecord &system, bool disableShortcut,
                               const std::optional<QString> &contents,
                               const std::optional<OverrideSnapshot> &expected);
    // The changes of one system record, whichever way it was chosen.
    ChangeResult overrideSystemRecord(const SnippetRecord &system, bool disableShortcut,
                                      const std::optional<QString> &contents,
                                      const std::optional<OverrideSnapshot> &expected);
    ChangeResult removeOverridesOf(const SnippetRecord &system);
    TransferResult importFile(const QString &path);
    void ensureLanguages() const;
    ChangeResult saveFile(const QString &path, const QByteArray &bytes) const;
    ChangeResult removeOverrideFiles(const QString &identifier);
    void ensureSearchText() const;
    QList<qsizetype> searchMatches(const QString &needle) const;

    QString m_home;
    int m_loaderThreads = 1;
    QString m_libraryPath;
    OverrideWriter m_overrideWriter;
    FileDisposer m_fileDisposer;
    SnippetFilter m_filter;

    QList<SnippetRecord> m_system;
    QList<Identifier> m_systemIdentifiers;
    QHash<QString, qsizetype> m_firstSystemIndex;  // identifier -> first index in m_system
    mutable QList<QString> m_systemLanguageValues; // each system snippet's language, made when first asked
    QList<SnippetRecord> m_filtered;
    QList<SnippetRecord> m_user;
    QList<Identifier> m_userIdentifiers;
    QList<QString> m_userPaths;
    QHash<QByteArray, FileStamp> m_userFolderStamps;
    QHash<QString, qsizetype> m_firstUserIndex; // identifier -> first index in m_user

    // The folded titles and summaries of the system snippets, made on the first search, in one text
    // so that a search is one scan: system snippet i's folded title and summary, each followed by a
    // NUL, start at m_searchStarts[2i] and [2i + 1]; one more start marks the end. A missing title
    // or summary folds to nothing and so can never match.
    mutable QString m_searchText;
    mutable QList<qsizetype> m_searchStarts;
    // The last search's folded text and what it matched (indexes into m_system).
    QString m_lastNeedle;
    QList<qsizetype> m_lastMatches;
};

} // namespace Glimmerpad
