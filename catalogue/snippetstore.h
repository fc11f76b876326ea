#pragma once

#include "catalogue/boundedfile.h"
#include "catalogue/snippetrecord.h"

#include <QList>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

class QIODevice;

namespace Glimmerpad {

// What a change to the user snippet folder came to.
struct ChangeResult
{
    enum class Status
    {
        Done,          // the file was written or removed
        NothingToDo,   // revert of a snippet without override file
        Refused,       // nothing was tried: no such snippet, an identifier that cannot be a file name,
                       // a link elsewhere, or a record a property list would not give back
        Failed,        // the file system said no, or the folder stayed locked; reason says why
        ChangedOnDisk, // the override is no longer what the caller read: nothing was written
    };
    Status status = Status::Done;
    QString reason;

    bool succeeded() const { return status == Status::Done || status == Status::NothingToDo; }
};

// One ".codesnippet" entry of the user snippet folder as it was when last read or written.
struct StoredFile
{
    QString name;
    QString path;
    FileStamp stamp;      // size -1: nothing could be looked at
    SnippetRecord record; // null when the entry holds no snippet (damaged, a folder, too large); its
                          // source bytes are the file's
};

// The entries of the folder by name, in UTF-16 code-unit order: of two files carrying one
// identifier, the same one governs on every machine and every run.
using StoredFiles = QList<StoredFile>;
bool storedNameLess(const QString &a, const QString &b);
// The names in folder that end in ".codesnippet" (any kind of entry, hidden ones too), in that
// order; why the folder could not be listed goes to *error.
QStringList snippetFileNames(const QString &folder, QString *error = nullptr);

// The user snippet folder as a store: where it is (made when missing), its lock, reading it, and
// verified writes and removals. Each write returns the entry as it left it, so that whoever holds
// a reading takes the change in without reading the folder again.
class SnippetStore
{
public:
    explicit SnippetStore(QString homeDirectory);

    QString homeDirectory() const { return m_home; }
    QString userLibraryDirectory() const;
    // Where files are kept: the snippets in the user snippet folder, the standards the overrides
    // were made from in its ".glimmerpad" folder.
    enum class Place
    {
        Snippets,
        Standards,
    };
    // The user snippet folder. Nothing is made there by reading: a folder another program removed
    // (say, to put a link in its place) stays removed until something is written.
    QString folder() const;
    QString folder(Place place) const;
    // Makes the folder with its parents when nothing exists at its path; why not, when it could not.
    QString makeFolder(Place place = Place::Snippets) const;

    // How many threads read the files (as many as the machine has cores unless set); 1 reads them
    // one after another on the calling thread. The reading is the same either way.
    void setLoaderThreadCount(int threads) { m_loaderThreads = std::max(threads, 1); }
    int loaderThreadCount() const { return m_loaderThreads; }

    // Every entry, each file read and parsed. alongside, when given, runs on one of the reading
    // threads meanwhile, its log lines coming before theirs.
    StoredFiles read(const std::function<void()> &alongside = {}, Place place = Place::Snippets) const;
    // Brings a reading up to what the folder holds now: an entry whose stamp is unchanged stays as
    // it is, any other is read; gone ones are dropped. True when anything differed.
    bool update(StoredFiles &files, Place place = Place::Snippets) const;
    // The entry as it is now: read again when its stamp differs from the one given.
    enum class EntryUpdate
    {
        Same,
        Changed,
        Gone, // nothing has the name any more
    };
    EntryUpdate updateEntry(StoredFile &file, Place place = Place::Snippets) const;

    // Held by every change from its look at the folder to its last write, by this program and by
    // glimmerpad-cli alike, so that two programs changing snippets take turns. Taking it never
    // waits on this process itself, and a lock that cannot be taken says why at once: only a lock
    // another running program holds is waited for. A lock left by a program that has ended is
    // taken over.
    class Lock
    {
    public:
        enum class State
        {
            Held,
            Busy,    // another running program holds it; failure() names it
            Refused, // it cannot be taken; failure() says why
        };
        explicit Lock(QString folder);
        ~Lock();
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

        // Tries to take the lock, waiting up to wait while another program holds it.
        State take(std::chrono::milliseconds wait);
        State state() const { return m_state; }
        // Why the lock is not held; empty while it is.
        QString failure() const { return m_failure; }
        // Lets go of it; why the lock file stayed behind, if it did.
        QString release();

        // How long take() waits when asked to wait its full time: 10 seconds, shorter in tests.
        static std::chrono::milliseconds waitLimit();
        static void setWaitLimit(std::chrono::milliseconds limit);

    private:
        State tryOnce();
        State refuse(QString why);

        QString m_folder;
        QString m_path;
        QLockFile m_lock;
        State m_state = State::Busy;
        QString m_holder; // who holds it, while another program does
        QString m_failure;
    };

    // Writes record's source bytes as the entry name, into target (the entry's own path, or the
    // file its link leads to), through a temporary file, a flush to the disk and a rename. With
    // trashReplaced, a file it replaces is disposed of (to the trash) just before the rename.
    struct Written
    {
        ChangeResult result;
        StoredFile file; // the entry as written, when the write succeeded
    };
    Written write(const QString &name, const QString &target, const SnippetRecord &record,
                  bool trashReplaced = false, Place place = Place::Snippets) const;
    // Disposes of the file at path (the desktop's trash in the programs); the reason when it stays.
    ChangeResult remove(const QString &path) const;

    // The folder's lock, taken as Lock::take() takes it.
    std::unique_ptr<Lock> takeLock(std::chrono::milliseconds wait) const;

    // How an override's bytes go into its open temporary file: the number written, -1 on error.
    // Unset, it is QIODevice::write; tests set one that makes the device fail half-way.
    using OverrideWriter = std::function<qint64(QIODevice &file, const QByteArray &bytes)>;
    void setOverrideWriter(OverrideWriter writer) { m_overrideWriter = std::move(writer); }
    // How a file is disposed of: true when it is gone, else false with the reason. Unset, the file
    // is deleted; the programs move it to the desktop's trash.
    using FileDisposer = std::function<bool(const QString &path, QString *error)>;
    void setFileDisposer(FileDisposer disposer) { m_fileDisposer = std::move(disposer); }

    // What the store has done so far, for tests and benchmarks: looks at the whole folder (readings
    // and updates), single files read, and times the lock was taken or waited for.
    struct Counters
    {
        quint64 folderLooks = 0;
        quint64 filesRead = 0;
        quint64 lockTakes = 0;
    };
    Counters counters() const { return m_counters; }

private:
    QString m_home;
    int m_loaderThreads = 1;
    OverrideWriter m_overrideWriter;
    FileDisposer m_fileDisposer;
    mutable Counters m_counters;
};

} // namespace Glimmerpad
