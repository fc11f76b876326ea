#pragma once

#include "catalogue/rebase.h"
#include "catalogue/shortcuts.h"
#include "catalogue/snippetchange.h"
#include "catalogue/snippetrecord.h"
#include "catalogue/snippetsearch.h"
#include "catalogue/snippetstore.h"
#include "catalogue/standardfile.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace Glimmerpad {

using Identifier = std::optional<QString>; // absent when a record has no string identifier

// Everything the catalogue says about one system snippet, in one answer.
struct SnippetState
{
    SnippetRecord shown;       // the override when there is one, else the system snippet itself
    bool overridden = false;
    bool disabled = false;     // overridden with an empty completion shortcut
    OverrideSnapshot snapshot; // the governing override's file and bytes; empty when not overridden
};

// How an override stands against the system snippet it was made from.
enum class OverrideStatus
{
    Current,  // the system record is still the one it was made from
    Stale,    // the system record changed since (or, with nothing recorded, a key it copies differs)
    Orphaned, // no system snippet has its identifier any more
    Unknown,  // nothing recorded of what it was made from
    Newer,    // made from a newer Xcode than this one: left alone
};
QString statusName(OverrideStatus status); // "current", "stale", ...

// One override file and how it stands.
struct OverrideReport
{
    QString identifier;
    OverrideStatus status = OverrideStatus::Unknown;
    StoredFile file;
    QStringList changed;            // keys of the system record that differ from the recorded standard
    SnippetRecord system;           // what it overrides now; null when orphaned
    StandardFile::Standard standard; // what it was made from; a null record when nothing is recorded
};

class ChangeBatch;

// The snippets of one Xcode installation and one home folder: the system snippets, the user's
// snippet files as the store last read or wrote them, which file governs each identifier, what a
// row shows, and the changes. The folder is read once at the start and after changes from outside;
// a change takes in what the store wrote. Main thread only; nothing here touches a user interface.
class SnippetCatalogue
{
public:
    explicit SnippetCatalogue(QString homeDirectory);

    SnippetStore &store() { return m_store; }
    const SnippetStore &store() const { return m_store; }
    QString homeDirectory() const { return m_store.homeDirectory(); }
    QString userLibraryDirectory() const { return m_store.userLibraryDirectory(); }
    // The user snippet folder; made by the first change that writes into it, never by reading.
    QString userCodeSnippetsDirectory() const { return m_store.folder(); }

    // Loading. The Xcode path must already have passed the version gate.
    void parseSystemCodeSnippets(const QString &xcodePath);
    void parseUserCodeSnippets();
    // Both of the above, the library parsed beside the user files rather than before them; the
    // log reads as if one had followed the other.
    void parseCodeSnippets(const QString &xcodePath);
    // Takes in what other programs changed in the user snippet folder, reading only the files
    // whose stamps changed; true when anything did.
    bool refreshUserCodeSnippets();

    // The catalogue arrays. Row indexes everywhere are indexes into filteredSystemCodeSnippets().
    const QList<SnippetRecord> &systemCodeSnippets() const { return m_system; }
    const QList<Identifier> &systemCodeSnippetIdentifiers() const { return m_systemIdentifiers; }
    const QList<SnippetRecord> &filteredSystemCodeSnippets() const { return m_filtered; }
    // The user snippets read, in name order, and their identifiers.
    const QList<SnippetRecord> &userCodeSnippets() const;
    const QList<Identifier> &userCodeSnippetIdentifiers() const;
    // Every ".codesnippet" entry of the folder as last read or written, snippets or not.
    const StoredFiles &userFiles() const { return m_files; }
    QString systemCodeSnippetsPath() const { return m_libraryPath; }
    // The short version string of the Xcode the library came from.
    QString xcodeVersion() const { return m_xcodeVersion; }

    qsizetype rowCount() const { return m_filtered.size(); }
    SnippetRecord recordAtRow(qsizetype row) const;
    // The row of each record, -1 for a record the list does not show.
    QList<qsizetype> rowsOf(const QList<SnippetRecord> &systemSnippets) const;
    // Whether the record is one of the library's now (not of a library read before).
    bool isInLibrary(const SnippetRecord &systemSnippet) const;
    // The first system snippet in title order that carries identifier; null when none.
    SnippetRecord systemCodeSnippet(const QString &identifier) const;
    // What stands in this library for a record of the one read before: the record with the same
    // identifier that comes as often after others with it (by title when it has no identifier);
    // null when there is none.
    SnippetRecord counterpartOf(const SnippetRecord &earlier, const QList<SnippetRecord> &earlierLibrary) const;

    // Queries.
    bool hasOverride(const Identifier &identifier) const;
    // The first user snippet, in name order, that carries the identifier; null when none.
    SnippetRecord overrideForIdentifier(const Identifier &identifier) const;
    static bool isDisabledOverride(const SnippetRecord &override);
    // The override of a system snippet when there is one, else the system snippet itself.
    SnippetRecord shownRecord(const SnippetRecord &systemSnippet) const;
    // The record to show for a system snippet, whether and how it is overridden, and by which file.
    SnippetState stateOf(const SnippetRecord &systemSnippet) const;
    bool canRevertToStandardSnippet(const SnippetRecord &selectedSnippet) const;
    quint64 customSnippetCount() const;

    // Overrides against what they were made from: every override file that governs a system
    // snippet, and every one whose recorded standard shows it was an override of a snippet this
    // Xcode no longer has, in name order.
    QList<OverrideReport> overrideReports() const;
    // How the override of a system snippet (or an orphaned override's own record) stands; nothing
    // when the snippet has no override.
    std::optional<OverrideReport> reportOf(const SnippetRecord &snippet) const;
    // Whether the record is an orphaned override: the governing file of an identifier no system
    // snippet has, with a standard recorded.
    bool isOrphan(const SnippetRecord &record) const;
    // Whether the snippet's override was made from a standard that has changed since.
    bool isStale(const SnippetRecord &systemSnippet) const;
    // What the override file of that name was made from; a null record when nothing is recorded.
    StandardFile::Standard recordedStandard(const QString &overrideName) const;
    // How bodies both the user and a new standard changed are merged by a rebase.
    void setBodyMerger(Rebase::BodyMerger merger) { m_bodyMerger = std::move(merger); }
    const Rebase::BodyMerger &bodyMerger() const { return m_bodyMerger; }
    // The override of the snippet rebased as the change would write it, without writing anything:
    // a conflict's merged text for the user to finish.
    Rebase::Outcome previewRebase(const SnippetRecord &system, Rebase::Mode mode) const;

    // Shortcuts. The snippets whose shortcut Xcode would offer in the same place as this one's,
    // as they are shown (system snippets with their overrides, and the user's own snippets).
    QList<SnippetRecord> clashingSnippets(const SnippetRecord &systemSnippet) const;
    // Those it would clash with if its shortcut were the one given.
    QList<SnippetRecord> clashesWithShortcut(const SnippetRecord &systemSnippet, const QString &shortcut) const;
    // Whether its override answers a shortcut of the user's own rather than the standard one.
    bool hasOwnShortcut(const SnippetRecord &systemSnippet) const;

    // Changes. Each holds the folder's lock from its look at the folder to its last write, takes
    // in what the store wrote or removed, and logs what failed. An override is written only once
    // its bytes have been read back as exactly the record meant.
    ChangeResult overrideSystemCodeSnippetAtIndex(qsizetype index, bool disableShortcut,
                                                  const std::optional<QString> &userSnippetContents);
    ChangeResult removeUserCodeSnippetAtIndex(qsizetype index);
    ChangeResult apply(const SnippetChange &change);
    // Many changes under one lock and one look at the folder, each result in the order given.
    QList<ChangeResult> apply(const QList<SnippetChange> &changes);

    // Why a home folder cannot hold the user snippet folder; empty when it can. Refused: none at
    // all, a relative path (it would resolve against whatever the current folder is), and a path
    // where no folder exists (the snippet folder would be made somewhere the user never meant).
    static QString homeDirectoryProblem(const QString &homeDirectory);
    // Whether the identifier can name a file directly inside the user snippet folder.
    static bool isSafeIdentifier(const Identifier &identifier);

    // The filter: narrows filteredSystemCodeSnippets() to what it shows, in title order. The rows
    // are worked out here only: a change to a snippet leaves them as they are (a reverted snippet
    // stays in a changed-only list until the filter is set again), so rows held stay valid.
    void filterSystemCodeSnippets(const SnippetFilter &filter);
    // The search alone: filterSystemCodeSnippets({text}).
    void filterSystemCodeSnippets(const QString &text) { filterSystemCodeSnippets(SnippetFilter{text}); }
    SnippetFilter currentFilter() const { return m_filter; }
    // The readable names of the languages the system snippets are in, sorted, each once; a snippet
    // without a language adds none.
    QStringList systemLanguages() const;

private:
    friend class ChangeBatch;
    struct SystemLibrary
    {
        QString path;
        QString xcodeVersion;
        std::optional<QList<SnippetRecord>> records; // nothing when there is no file at the path
    };
    static SystemLibrary readSystemLibrary(const QString &xcodePath);
    void adoptSystemLibrary(SystemLibrary &&library);
    void adoptUserFiles(StoredFiles &&files);
    // One entry as it is now, or gone: the governing files follow.
    void adoptFile(StoredFile &&file);
    void forgetFile(const QString &name);
    // One entry brought up to what the folder holds now; nothing when it is gone.
    std::optional<StoredFile> updateFile(StoredFile file);
    void setGoverning(const Identifier &identifier, qsizetype from);
    qsizetype governingIndex(const Identifier &identifier) const;
    qsizetype fileIndex(const QString &name) const;

    ChangeResult writeOverride(const SnippetChange &change);
    ChangeResult rebaseOverride(const SnippetChange &change);
    // Writes an override's dictionary as the governing file of the identifier (or the next free
    // name), recording system as its standard when asked; takes in what was written.
    ChangeResult writeDictionary(const SnippetRecord &system, plist_t dictionary, bool trashReplaced,
                                 bool recordStandard, const SnippetState &state);
    QString recordStandard(const QString &overrideName, const SnippetRecord &system);
    // What an override of that name was made from goes with it (to the trash).
    void removeStandard(const QString &overrideName);
    ChangeResult removeOverrides(const SnippetRecord &system);
    OverrideReport reportFor(const StoredFile &file) const;
    void adoptStandards(StoredFiles &&standards);
    struct WriteTarget
    {
        QString name;   // the entry written
        QString target; // where its bytes go: a link's target when the entry is a link
        QString refusal;
    };
    WriteTarget overrideTarget(const QString &identifier) const;
    QList<qsizetype> withShownShortcutMatches(QList<qsizetype> matches, const QString &text) const;
    QList<bool> shownBodiesContaining(const QString &text);
    QList<Shortcuts::Candidate> shortcutCandidates() const;
    // What clashes with each system snippet, worked out when first asked after a change.
    struct ClashIndex
    {
        QList<Shortcuts::Candidate> candidates; // the system snippets (as in m_system), then the user's own
        QList<QList<SnippetRecord>> system;     // by index in m_system
    };
    const ClashIndex &clashIndex() const;
    // The folded shortcut (when it is the override's own) and body of each overridden system
    // snippet, for the search; made when first asked after a change.
    struct ShownFold
    {
        qsizetype systemIndex;
        QString prefix;
        QString body;
    };
    const QList<ShownFold> &shownFolds() const;

    SnippetStore m_store;
    QString m_libraryPath;
    QString m_xcodeVersion;
    Rebase::BodyMerger m_bodyMerger;
    SnippetFilter m_filter;
    SnippetSearch m_search;

    QList<SnippetRecord> m_system;
    QList<Identifier> m_systemIdentifiers;
    QHash<QString, qsizetype> m_firstSystemIndex; // identifier -> first index in m_system
    QHash<const void *, qsizetype> m_systemPlace; // a record's identity -> its index in m_system
    QList<SnippetRecord> m_filtered;

    StoredFiles m_files;
    QHash<QString, qsizetype> m_governing; // identifier -> index in m_files of the first file with it
    // The user arrays, made from m_files when asked for after a change.
    mutable QList<SnippetRecord> m_user;
    mutable QList<Identifier> m_userIdentifiers;
    mutable bool m_userArraysStale = true;
    StoredFiles m_standards; // the ".glimmerpad" folder's files, in name order
    mutable QHash<const void *, StandardFile::Standard> m_decodedStandards; // by a standard file's record
    mutable std::optional<ClashIndex> m_clashes;
    mutable std::optional<QList<ShownFold>> m_shownFolds;
};

// Many changes made one at a time under one lock, for a window that shows progress and may stop
// between them: the lock is taken and the folder looked at once, before the first change, and let
// go when the batch ends. Every change the catalogue makes goes through one.
class ChangeBatch
{
public:
    ChangeBatch(SnippetCatalogue &catalogue, QList<SnippetChange> changes);
    ~ChangeBatch();
    ChangeBatch(const ChangeBatch &) = delete;
    ChangeBatch &operator=(const ChangeBatch &) = delete;

    // Takes the folder's lock, waiting up to wait while another program holds it, and looks at the
    // folder; how the lock stands. The first step begins with the full wait when nothing did.
    // Busy may be tried again; once Refused, or Busy when the first change is made, every change
    // fails with lockFailure().
    SnippetStore::Lock::State begin(std::chrono::milliseconds wait);
    QString lockFailure() const;

    qsizetype size() const { return m_changes.size(); }
    qsizetype done() const { return m_done; }
    bool atEnd() const { return m_done == m_changes.size(); }
    const SnippetChange &next() const { return m_changes.at(m_done); }
    // Makes the next change; the catalogue shows it at once.
    ChangeResult step();
    // Lets go of the lock; why its file stayed behind, if it did.
    QString finish();

private:
    SnippetCatalogue &m_catalogue;
    QList<SnippetChange> m_changes;
    qsizetype m_done = 0;
    std::unique_ptr<SnippetStore::Lock> m_lock;
    bool m_begun = false;
    QString m_failure; // why no change can be made: no lock, no folder
};

} // namespace Glimmerpad
