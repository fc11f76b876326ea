#include "catalogue/snippetstore.h"

#include "catalogue/limits.h"
#include "catalogue/parallelwork.h"
#include "catalogue/paths.h"
#include "catalogue/standardfile.h"
#include "catalogue/propertylist.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutex>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSet>
#include <QSysInfo>
#include <QThread>

#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include <cerrno>

#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcStore, "glimmerpad.store", QtWarningMsg)

namespace Glimmerpad {

static constexpr char kSnippetSuffix[] = ".codesnippet";
// Not a ".codesnippet" name, so no reader takes it for a snippet.
static constexpr char kLockFileName[] = ".glimmerpad.lock";

static std::u16string_view codeUnits(const QString &s)
{
    return {QStringView(s).utf16(), static_cast<std::size_t>(s.size())};
}

bool storedNameLess(const QString &a, const QString &b)
{
    return codeUnits(a) < codeUnits(b);
}

SnippetStore::SnippetStore(QString homeDirectory)
    : m_home(std::move(homeDirectory)), m_loaderThreads(std::max(QThread::idealThreadCount(), 1))
{}

QString SnippetStore::userLibraryDirectory() const
{
    return appendPathComponent(m_home, QStringLiteral("/Library/"));
}

QString SnippetStore::folder() const
{
    return appendPathComponent(userLibraryDirectory(), QStringLiteral("/Developer/Xcode/UserData/CodeSnippets/"));
}

QString SnippetStore::folder(Place place) const
{
    return place == Place::Snippets ? folder() : appendPathComponent(folder(), QLatin1StringView(StandardFile::kFolderName));
}

QString SnippetStore::makeFolder(Place place) const
{
    const std::filesystem::path path(folder(place).toStdU16String());
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, error)))
        return {};
    std::filesystem::create_directories(path, error);
    if (!error)
        return {};
    const QString reason = QString::fromStdString(error.message());
    qCWarning(lcStore).noquote() << QStringLiteral("Could not create CodeSnippets directory. error: %1").arg(reason);
    return QStringLiteral("the snippet folder %1 could not be made (%2)").arg(folder(place), reason);
}

// ---- reading ------------------------------------------------------------------------------

namespace {

struct Entry
{
    QString name;
    QByteArray bytes; // what opens it: the name encoded again, as every path of the program is
    bool ascii;
};

// The entries in folder whose names end in ".codesnippet", hidden ones and any kind of entry
// included, in stored-name order. Read straight from the directory: QDir makes a file-information
// object for every entry, which costs about as much as reading the small files themselves.
std::vector<Entry> snippetEntries(DIR *dir)
{
    std::vector<Entry> entries;
    while (const dirent *entry = ::readdir(dir)) {
        // The suffix is ASCII, so testing the bytes gives what testing the decoded name would.
        const std::string_view name(entry->d_name);
        if (!name.ends_with(kSnippetSuffix))
            continue;
        const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; });
        // Opened by the bytes the folder gave, also when they are not UTF-8.
        Entry &added = entries.emplace_back();
        added.bytes = QByteArray(name.data(), qsizetype(name.size()));
        added.name = ascii ? QString::fromLatin1(added.bytes) : decodeFileName(added.bytes);
        added.ascii = ascii;
    }
    // Two ASCII names compare the same by their bytes as by their code units, which is quicker.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.ascii && b.ascii ? a.bytes < b.bytes : storedNameLess(a.name, b.name);
    });
    return entries;
}

// An open folder and its entries, closed again when done.
struct OpenFolder
{
    DIR *dir;
    std::vector<Entry> entries;

    explicit OpenFolder(const QString &path) : dir(::opendir(encodeFileName(path).constData()))
    {
        if (dir)
            entries = snippetEntries(dir);
    }
    ~OpenFolder()
    {
        if (dir)
            ::closedir(dir);
    }
    int fd() const { return dir ? ::dirfd(dir) : -1; }
};

// Reads one entry by its name inside the open folder; buffer is reused from file to file.
StoredFile readEntryAt(int folderFd, const QString &folder, const Entry &entry, QByteArray &buffer)
{
    StoredFile file{entry.name, appendPathComponent(folder, entry.name), {}, {}};
    QString error;
    const bool readable = folderFd >= 0 && readBoundedFileAt(folderFd, entry.bytes, file.path,
                                                             Limits::kMaxUserSnippetFileBytes, buffer, &error,
                                                             &file.stamp);
    if (folderFd < 0)
        error = qt_error_string(ENOENT);
    else if (file.stamp.size < 0)
        file.stamp = fileStampAt(folderFd, entry.bytes);
    if (readable) {
        // A copy of its own: the buffer goes on to the next file.
        file.record = SnippetRecord::fromBytes(QByteArrayView(buffer).toByteArray(), &error);
        if (file.record.isNull() && error.isEmpty())
            error = QStringLiteral("no dictionary read");
    }
    if (file.record.isNull())
        qCInfo(lcStore).noquote() << "skipping user snippet" << displayFileName(file.path) << '(' << error << ')';
    return file;
}

} // namespace

QStringList snippetFileNames(const QString &folder, QString *error)
{
    OpenFolder open(folder);
    if (!open.dir && error)
        *error = qt_error_string(errno);
    QStringList names;
    for (Entry &entry : open.entries)
        names.append(std::move(entry.name));
    return names;
}

StoredFiles SnippetStore::read(const std::function<void()> &alongside, Place place) const
{
    // Every file read and parsed on its own, on as many threads as the machine has, into its place
    // in name order: the same entries and log lines whatever the threads.
    const QString path = folder(place);
    const OpenFolder open(path);
    const auto fileCount = static_cast<qsizetype>(open.entries.size());
    StoredFiles files(fileCount);
    StoredFile *const read = files.data(); // each thread fills its own entries; the list is not touched
    // A thread takes a few dozen files to be worth starting.
    constexpr qsizetype kFilesPerThread = 64;
    constexpr qsizetype kMaxKeptBuffer = 1024 * 1024;
    const qsizetype first = alongside ? 1 : 0; // the index of the first file
    const int threads =
        static_cast<int>(std::min<qsizetype>(m_loaderThreads, fileCount / kFilesPerThread + 1 + first));
    runForEachIndex(first + fileCount, threads, [&](qsizetype index) {
        if (index < first) {
            alongside();
            return;
        }
        thread_local QByteArray buffer; // each record keeps a copy of its own bytes
        const qsizetype i = index - first;
        read[i] = readEntryAt(open.fd(), path, open.entries[static_cast<std::size_t>(i)], buffer);
        if (buffer.capacity() > kMaxKeptBuffer)
            buffer = QByteArray(); // a rare large file does not stay in memory for the thread's life
    });
    if (place == Place::Snippets) {
        ++m_counters.folderLooks;
        m_counters.filesRead += static_cast<quint64>(fileCount);
    }
    return files;
}

bool SnippetStore::update(StoredFiles &files, Place place) const
{
    // A look at each entry, by its name inside the folder; only what changed is read. Both lists
    // are in name order, so one walk pairs them.
    const QString path = folder(place);
    const OpenFolder open(path);
    // Counted for the snippets: the standards beside them are looked at with them.
    const bool counted = place == Place::Snippets;
    m_counters.folderLooks += counted ? 1 : 0;
    StoredFiles updated;
    updated.reserve(static_cast<qsizetype>(open.entries.size()));
    bool changed = false;
    QByteArray buffer;
    auto known = files.begin();
    for (const Entry &entry : open.entries) {
        while (known != files.end() && storedNameLess(known->name, entry.name)) {
            ++known; // gone since
            changed = true;
        }
        const bool named = known != files.end() && known->name == entry.name;
        if (named && known->stamp.size >= 0 && fileStampAt(open.fd(), entry.bytes) == known->stamp) {
            updated.append(std::move(*known));
        } else {
            updated.append(readEntryAt(open.fd(), path, entry, buffer));
            m_counters.filesRead += counted ? 1 : 0;
            changed = true;
        }
        if (named)
            ++known;
    }
    changed = changed || known != files.end();
    files = std::move(updated);
    return changed;
}

SnippetStore::EntryUpdate SnippetStore::updateEntry(StoredFile &file, Place place) const
{
    if (fileStamp(file.path) == file.stamp && file.stamp.size >= 0)
        return EntryUpdate::Same;
    const QString path = folder(place);
    const int folderFd = ::open(encodeFileName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const auto closeFolder = qScopeGuard([folderFd] {
        if (folderFd >= 0)
            ::close(folderFd);
    });
    const QByteArray name = encodeFileName(file.name);
    struct stat info
    {};
    if (::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryUpdate::Gone;
    QByteArray buffer;
    file = readEntryAt(folderFd, path, {file.name, name, false}, buffer);
    m_counters.filesRead += place == Place::Snippets ? 1 : 0;
    return EntryUpdate::Changed;
}

// ---- the lock -----------------------------------------------------------------------------

namespace {

// The folders whose lock this process holds: a second change would otherwise wait for itself.
QMutex s_heldMutex;
QSet<QString> s_held;
std::chrono::milliseconds s_waitLimit{10000}; // another program's save takes a fraction of a second

// A lock file whose program has ended on this machine, or which says nothing readable and has
// not been touched for longer than any save takes.
bool isStale(const QString &path, qint64 pid, const QString &host, bool readable)
{
    if (readable)
        return (host.isEmpty() || host == QSysInfo::machineHostName()) && pid > 0 &&
               ::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH;
    constexpr qint64 kStaleMs = 30000;
    const QDateTime touched = QFileInfo(path).lastModified();
    return touched.isValid() && touched.msecsTo(QDateTime::currentDateTime()) > kStaleMs;
}

} // namespace

SnippetStore::Lock::Lock(QString folder)
    : m_folder(std::move(folder)), m_path(appendPathComponent(m_folder, QLatin1StringView(kLockFileName))),
      m_lock(m_path)
{
    // Stale locks are judged here, by what this program may remove: QLockFile's own judgement
    // needs to open another user's lock file for writing, and waits for good where it cannot.
    m_lock.setStaleLockTime(0);
}

SnippetStore::Lock::~Lock()
{
    release();
}

std::chrono::milliseconds SnippetStore::Lock::waitLimit()
{
    return s_waitLimit;
}

void SnippetStore::Lock::setWaitLimit(std::chrono::milliseconds limit)
{
    s_waitLimit = limit;
}

SnippetStore::Lock::State SnippetStore::Lock::take(std::chrono::milliseconds wait)
{
    QElapsedTimer waited;
    waited.start();
    while (tryOnce() == State::Busy && waited.elapsed() < wait.count())
        QThread::msleep(50);
    if (m_state == State::Busy && wait.count() > 0) {
        m_failure = QStringLiteral("the snippet folder %1 stayed locked by %2 for %3 s; try again when it is done")
                        .arg(m_folder, m_holder, QString::number(double(waited.elapsed()) / 1000, 'f', 1));
    }
    return m_state;
}

SnippetStore::Lock::State SnippetStore::Lock::refuse(QString why)
{
    m_failure = std::move(why);
    return m_state = State::Refused;
}

// QLockFile tells only "permission" or "unknown" when it cannot make its file: the system's own
// words for it, from making the file once more; empty when that now works.
static QString whyNoFileIsMade(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return qt_error_string(errno);
    ::close(fd);
    ::unlink(path.constData());
    return {};
}

SnippetStore::Lock::State SnippetStore::Lock::tryOnce()
{
    if (m_state == State::Held)
        return m_state;
    {
        const QMutexLocker locker(&s_heldMutex);
        if (s_held.contains(m_folder))
            return refuse(QStringLiteral("Glimmerpad is already changing the snippets in %1").arg(m_folder));
    }
    // Only a file is a lock: a folder in its place is left for the user, a link is ours to remove.
    const QByteArray path = QFile::encodeName(m_path);
    struct stat info
    {};
    if (::lstat(path.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return refuse(QStringLiteral("the snippet folder %1 cannot be locked: %2 is a folder, not a lock "
                                         "file; remove it to go on")
                              .arg(m_folder, m_path));
        }
        if (S_ISLNK(info.st_mode) && ::unlink(path.constData()) != 0) {
            return refuse(QStringLiteral("the snippet folder %1 cannot be locked: %2 is a link that could not "
                                         "be removed (%3); remove it to go on")
                              .arg(m_folder, m_path, qt_error_string(errno)));
        }
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_lock.tryLock(0)) {
            const QMutexLocker locker(&s_heldMutex);
            s_held.insert(m_folder);
            m_failure.clear();
            return m_state = State::Held;
        }
        if (m_lock.error() != QLockFile::LockFailedError) {
            const QString why = whyNoFileIsMade(path);
            return refuse(QStringLiteral("the snippet folder %1 cannot be locked: the lock file %2 could not be made%3")
                              .arg(m_folder, m_path, why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why)));
        }
        qint64 pid = 0;
        QString host, application;
        const bool readable = m_lock.getLockInfo(&pid, &host, &application);
        if (!isStale(m_path, pid, host, readable)) {
            m_holder = (application.isEmpty() ? QStringLiteral("another program") : application) +
                       (readable ? QStringLiteral(" (process %1)").arg(pid) : QString());
            m_failure = QStringLiteral("the snippet folder %1 is locked by %2").arg(m_folder, m_holder);
            return m_state = State::Busy;
        }
        // Left by a program that has ended: taken over, then taken.
        if (::unlink(path.constData()) != 0 && errno != ENOENT) {
            return refuse(QStringLiteral("the snippet folder %1 holds a lock left by a program that has ended%2, "
                                         "which could not be removed (%3): remove %4 to go on")
                              .arg(m_folder, readable ? QStringLiteral(" (process %1)").arg(pid) : QString(),
                                   qt_error_string(errno), m_path));
        }
    }
    m_holder = QStringLiteral("another program");
    m_failure = QStringLiteral("the snippet folder %1 is locked by %2").arg(m_folder, m_holder);
    return m_state = State::Busy;
}

QString SnippetStore::Lock::release()
{
    if (m_state != State::Held)
        return {};
    m_lock.unlock();
    {
        const QMutexLocker locker(&s_heldMutex);
        s_held.remove(m_folder);
    }
    m_state = State::Busy;
    m_failure.clear();
    // QLockFile only warns when it cannot remove its file; the next change would find it left.
    qint64 pid = 0;
    QString host, application;
    if (QLockFile(m_path).getLockInfo(&pid, &host, &application) && pid == QCoreApplication::applicationPid())
        return QStringLiteral("the lock file %1 could not be removed; remove it before the next change").arg(m_path);
    return {};
}

std::unique_ptr<SnippetStore::Lock> SnippetStore::takeLock(std::chrono::milliseconds wait) const
{
    auto lock = std::make_unique<Lock>(folder());
    lock->take(wait);
    ++m_counters.lockTakes;
    return lock;
}

// ---- writing and removing -----------------------------------------------------------------

SnippetStore::Written SnippetStore::write(const QString &name, const QString &target, const SnippetRecord &record,
                                          bool trashReplaced, Place place) const
{
    // Through a temporary file and a rename: the previous file stays whole until the new one is
    // complete, whatever happens to the process or the disk in between; commit() flushes it to the
    // disk first. The explicit flush matters: commit() (Qt 6.4) misses a write error that happens
    // while it flushes the buffer, and would rename a cut-off file over the previous one.
    const QByteArray bytes = record.sourceBytes();
    QSaveFile file(target);
    const bool opened = file.open(QIODevice::WriteOnly);
    const qint64 wrote = !opened ? -1 : m_overrideWriter ? m_overrideWriter(file, bytes) : file.write(bytes);
    if (wrote == bytes.size() && file.flush() && trashReplaced && QFileInfo::exists(target)) {
        // The new file is whole before the one it replaces goes: nothing is lost either way.
        if (const ChangeResult trashed = remove(target); !trashed.succeeded()) {
            file.cancelWriting();
            return {{ChangeResult::Status::Failed,
                     QStringLiteral("the file %1 could not be put in the trash first (%2), so it was not replaced")
                         .arg(target, trashed.reason)},
                    {}};
        }
    }
    if (wrote == bytes.size() && file.flush() && file.commit()) {
        const QString path = appendPathComponent(folder(place), name);
        return {{}, {name, path, fileStamp(path), record}};
    }
    // A short write need not leave an error on the device, and the user still needs a reason.
    const QString reason = file.error() != QFileDevice::NoError
                               ? file.errorString()
                               : QStringLiteral("only %1 of %2 bytes could be written")
                                     .arg(std::max<qint64>(wrote, 0))
                                     .arg(bytes.size());
    const QFileInfo written(target);
    return {{ChangeResult::Status::Failed, QStringLiteral("the file %1 could not be written in the folder %2 (%3)")
                                               .arg(written.fileName(), written.absolutePath(), reason)},
            {}};
}

ChangeResult SnippetStore::remove(const QString &path) const
{
    QString error;
    bool removed = false;
    if (m_fileDisposer) {
        removed = m_fileDisposer(path, &error);
    } else {
        QFile file(path);
        removed = file.remove();
        error = file.errorString();
    }
    if (removed)
        return {};
    // The desktop's trash names the file in its reasons, a plain removal does not.
    if (!error.contains(path))
        error = QStringLiteral("the file %1 could not be removed (%2)").arg(path, error);
    return {ChangeResult::Status::Failed, error};
}

} // namespace Glimmerpad
