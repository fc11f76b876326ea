#include "catalogue/snippetcatalogue.h"

#include "catalogue/boundedfile.h"
#include "catalogue/limits.h"
#include "catalogue/overridefile.h"
#include "catalogue/parallelwork.h"
#include "catalogue/paths.h"
#include "catalogue/plistiteration.h"
#include "catalogue/searchfold.h"
#include "catalogue/snippetlanguage.h"
#include "catalogue/xcodeinstallation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSet>

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcCatalogue, "glimmerpad.catalogue", QtWarningMsg)

namespace Glimmerpad {

static constexpr char kSnippetSuffixText[] = ".codesnippet";
static const QLatin1StringView kSnippetSuffix(kSnippetSuffixText);

SnippetCatalogue::SnippetCatalogue(QString homeDirectory)
    : m_home(std::move(homeDirectory)), m_loaderThreads(std::max(QThread::idealThreadCount(), 1))
{}

QString SnippetCatalogue::userLibraryDirectory() const
{
    return appendPathComponent(m_home, QStringLiteral("/Library/"));
}

QString SnippetCatalogue::userCodeSnippetsDirectory() const
{
    const QString folder = appendPathComponent(userLibraryDirectory(),
                                               QStringLiteral("/Developer/Xcode/UserData/CodeSnippets/"));
    const std::filesystem::path path(folder.toStdU16String());
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        std::filesystem::create_directories(path, error);
        if (error) {
            qCWarning(lcCatalogue).noquote()
                << QStringLiteral("Could not create CodeSnippets directory. error: %1")
                       .arg(QString::fromStdString(error.message()));
        }
    }
    return folder;
}

// ---- loading ------------------------------------------------------------------------------

void SnippetCatalogue::parseSystemCodeSnippets(const QString &xcodePath)
{
    adoptSystemLibrary(readSystemLibrary(xcodePath));
}

void SnippetCatalogue::parseCodeSnippets(const QString &xcodePath)
{
    SystemLibrary library;
    FolderContents contents =
        readUserFolder(userCodeSnippetsDirectory(), [&library, &xcodePath] { library = readSystemLibrary(xcodePath); });
    adoptSystemLibrary(std::move(library));
    adoptUserFolder(std::move(contents));
}

SnippetCatalogue::SystemLibrary SnippetCatalogue::readSystemLibrary(const QString &xcodePath)
{
    SystemLibrary library;
    library.path = Xcode::systemCodeSnippetsPath(xcodePath, Xcode::xcodeVersionAtPath(xcodePath));
    if (!QFileInfo::exists(library.path))
        return library;

    QList<SnippetRecord> &records = library.records.emplace();
    QString error;
    const SharedPlist root = readPropertyListFile(library.path, Limits::kMaxSystemLibraryBytes, &error);
    if (PLIST_IS_ARRAY(root.get())) {
        records.reserve(plist_array_get_size(root.get()));
        // The records share the library's tree rather than each copying its dictionary out: records
        // never change their dictionary, and an override starts from a deep copy of it.
        forEachItem(root.get(), [&](plist_t item) {
            SnippetRecord record = SnippetRecord::fromSharedTree(root, item);
            if (!record.isNull())
                records.append(std::move(record));
        });
    } else {
        qCInfo(lcCatalogue) << "system snippet library is not an array:" << library.path << error;
    }

    // Plain comparison by character value, so every capital sorts before every small letter;
    // records without a title come first, and equal titles keep the library's order.
    std::stable_sort(records.begin(), records.end(), [](const SnippetRecord &a, const SnippetRecord &b) {
        const std::optional<QString> &x = a.title();
        const std::optional<QString> &y = b.title();
        if (!x || !y)
            return !x && y;
        return QString::compare(*x, *y, Qt::CaseSensitive) < 0;
    });
    return library;
}

void SnippetCatalogue::adoptSystemLibrary(SystemLibrary &&library)
{
    m_libraryPath = std::move(library.path);
    if (!library.records)
        return; // nothing there: the catalogue keeps what it held
    QList<SnippetRecord> records = std::move(*library.records);

    QList<Identifier> identifiers;
    identifiers.reserve(records.size());
    for (const SnippetRecord &record : std::as_const(records))
        identifiers.append(record.identifier());
    m_firstSystemIndex.clear();
    m_firstSystemIndex.reserve(identifiers.size());
    for (qsizetype i = identifiers.size() - 1; i >= 0; --i) {
        if (identifiers[i])
            m_firstSystemIndex.insert(*identifiers[i], i);
    }

    m_system = std::move(records);
    m_systemIdentifiers = std::move(identifiers);
    m_systemLanguageValues.clear();
    m_filtered = m_system;
    m_searchText.clear();
    m_searchStarts.clear();
    m_lastNeedle.clear();
    m_lastMatches.clear();
    m_filter = {};
}

namespace {

struct SnippetFileEntry
{
    QString name;
    QByteArray bytes; // what opens it: the name encoded again, as every path of the program is
    bool ascii;
};

// The entries in folder whose names end in ".codesnippet", hidden ones and any kind of entry
// included. Read straight from the directory: QDir makes a file-information object for every
// entry, which costs about as much as reading the small files themselves.
std::vector<SnippetFileEntry> snippetFileEntries(const QString &folder)
{
    std::vector<SnippetFileEntry> entries;
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            // The suffix is ASCII, so testing the bytes gives what testing the decoded name would.
            const std::string_view name(entry->d_name);
            if (!name.ends_with(kSnippetSuffixText))
                continue;
            const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; });
            // An ASCII name decodes and encodes to itself; any other is encoded again from what it
            // decodes to, so that the file opened is the one its path names.
            SnippetFileEntry &added = entries.emplace_back();
            added.name = QFile::decodeName(entry->d_name);
            added.bytes = ascii ? QByteArray(name.data(), qsizetype(name.size())) : QFile::encodeName(added.name);
            added.ascii = ascii;
        }
        ::closedir(dir);
    }
    // Sorted by character value so that, of two files carrying one identifier, the same one
    // governs on every machine and every run: UTF-16 code units compared inline, in the order
    // QString::compare gives. Two ASCII names compare the same by their bytes, which is quicker.
    std::sort(entries.begin(), entries.end(), [](const SnippetFileEntry &a, const SnippetFileEntry &b) {
        if (a.ascii && b.ascii)
            return a.bytes < b.bytes;
        const auto units = [](const QString &s) {
            return std::u16string_view(QStringView(s).utf16(), static_cast<std::size_t>(s.size()));
        };
        return units(a.name) < units(b.name);
    });
    return entries;
}

} // namespace

static QStringList snippetFileNames(const QString &folder)
{
    QStringList names;
    for (SnippetFileEntry &entry : snippetFileEntries(folder))
        names.append(std::move(entry.name));
    return names;
}

SnippetCatalogue::FolderContents SnippetCatalogue::readUserFolder(const QString &folder,
                                                                  const std::function<void()> &alongside) const
{
    // Every file read and parsed on its own, on as many threads as the machine has, then put
    // together in name order: the same rows, governing files and log lines whatever the threads.
    struct FileRead
    {
        SnippetRecord record;
        FileStamp stamp;
        QString path;
    };
    const std::vector<SnippetFileEntry> entries = snippetFileEntries(folder);
    const auto fileCount = static_cast<qsizetype>(entries.size());
    std::vector<FileRead> reads(entries.size());
    // A thread takes a few dozen files to be worth starting.
    constexpr qsizetype kFilesPerThread = 64;
    constexpr qsizetype kMaxKeptBuffer = 1024 * 1024;
    const qsizetype first = alongside ? 1 : 0; // the index of the first file
    const int threads =
        static_cast<int>(std::min<qsizetype>(m_loaderThreads, fileCount / kFilesPerThread + 1 + first));
    // Each file opened by its name inside the folder, opened once: the same files as by their paths,
    // without the kernel walking the folder's path for every one.
    const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const auto closeFolder = qScopeGuard([folderFd] {
        if (folderFd >= 0)
            ::close(folderFd);
    });
    runForEachIndex(first + fileCount, threads, [&](qsizetype index) {
        if (index < first) {
            alongside();
            return;
        }
        const qsizetype i = index - first;
        thread_local QByteArray buffer; // reused from file to file; each record keeps a copy of its own bytes
        const SnippetFileEntry &entry = entries[static_cast<std::size_t>(i)];
        FileRead &read = reads[static_cast<std::size_t>(i)];
        read.path = appendPathComponent(folder, entry.name);
        const QString &path = read.path;
        QString error;
        const bool readable = folderFd >= 0 && readBoundedFileAt(folderFd, entry.bytes, path,
                                                                 Limits::kMaxUserSnippetFileBytes, buffer, &error,
                                                                 &read.stamp);
        if (folderFd < 0)
            error = qt_error_string(ENOENT);
        else if (read.stamp.size < 0)
            read.stamp = fileStampAt(folderFd, entry.bytes);
        read.record = readable ? SnippetRecord::fromPropertyList(buffer) : SnippetRecord();
        if (read.record.isNull()) {
            qCInfo(lcCatalogue).noquote() << "skipping user snippet" << path << '('
                                          << (readable ? QStringLiteral("no dictionary read") : error) << ')';
        }
        if (buffer.capacity() > kMaxKeptBuffer)
            buffer = QByteArray(); // a rare large file does not stay in memory for the thread's life
    });

    FolderContents contents;
    contents.records.reserve(fileCount);
    contents.identifiers.reserve(fileCount);
    contents.paths.reserve(fileCount);
    contents.stamps.reserve(fileCount);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        FileRead &read = reads[i];
        contents.stamps.insert(entries[i].bytes, read.stamp);
        if (read.record.isNull())
            continue;
        contents.identifiers.append(read.record.identifier());
        contents.records.append(std::move(read.record));
        contents.paths.append(std::move(read.path));
    }
    return contents;
}

void SnippetCatalogue::parseUserCodeSnippets()
{
    adoptUserFolder(readUserFolder(userCodeSnippetsDirectory()));
}

void SnippetCatalogue::adoptUserFolder(FolderContents &&contents)
{
    m_user = std::move(contents.records);
    m_userIdentifiers = std::move(contents.identifiers);
    m_userPaths = std::move(contents.paths);
    m_userFolderStamps = std::move(contents.stamps);

    m_firstUserIndex.clear();
    m_firstUserIndex.reserve(m_userIdentifiers.size());
    // Backwards, each file replacing any later one: the first in folder order wins.
    for (qsizetype i = m_userIdentifiers.size() - 1; i >= 0; --i) {
        if (m_userIdentifiers[i])
            m_firstUserIndex.insert(*m_userIdentifiers[i], i);
    }
}

bool SnippetCatalogue::userFolderUnchanged(const QString &folder) const
{
    // Straight from the directory, by the names' bytes: this runs before every write.
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return false;
    qsizetype seen = 0;
    bool unchanged = true;
    while (const dirent *entry = unchanged ? ::readdir(dir) : nullptr) {
        const std::string_view name(entry->d_name);
        if (!name.ends_with(kSnippetSuffixText))
            continue;
        ++seen;
        const auto known = m_userFolderStamps.constFind(QByteArray::fromRawData(name.data(), qsizetype(name.size())));
        struct stat info
        {};
        unchanged = known != m_userFolderStamps.cend() &&
                    ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && stampOf(info) == *known;
    }
    ::closedir(dir);
    return unchanged && seen == m_userFolderStamps.size();
}

// ---- queries ------------------------------------------------------------------------------

SnippetRecord SnippetCatalogue::recordAtRow(qsizetype row) const
{
    return row >= 0 && row < m_filtered.size() ? m_filtered[row] : SnippetRecord();
}

bool SnippetCatalogue::hasOverride(const Identifier &identifier) const
{
    return identifier && m_firstUserIndex.contains(*identifier);
}

SnippetRecord SnippetCatalogue::overrideForIdentifier(const Identifier &identifier) const
{
    if (!identifier)
        return {};
    const auto it = m_firstUserIndex.constFind(*identifier);
    return it == m_firstUserIndex.cend() ? SnippetRecord() : m_user[it.value()];
}

bool SnippetCatalogue::isDisabledOverride(const SnippetRecord &override)
{
    const std::optional<QString> &prefix = override.completionPrefix();
    return prefix && prefix->isEmpty();
}

SnippetRecord SnippetCatalogue::shownRecord(const SnippetRecord &systemSnippet) const
{
    SnippetRecord override = overrideForIdentifier(systemSnippet.identifier());
    return override.isNull() ? systemSnippet : override;
}

bool SnippetCatalogue::canRevertToStandardSnippet(const SnippetRecord &selectedSnippet) const
{
    return !selectedSnippet.isNull() && hasOverride(selectedSnippet.identifier());
}

quint64 SnippetCatalogue::customSnippetCount() const
{
    return static_cast<quint64>(std::count_if(m_systemIdentifiers.cbegin(), m_systemIdentifiers.cend(),
                                              [this](const Identifier &id) { return hasOverride(id); }));
}

qsizetype SnippetCatalogue::rowOfIdentifier(const QString &identifier) const
{
    for (qsizetype row = 0; row < m_filtered.size(); ++row) {
        if (m_filtered[row].identifier() == identifier)
            return row;
    }
    return -1;
}

SnippetRecord SnippetCatalogue::systemCodeSnippet(const QString &identifier) const
{
    const auto it = m_firstSystemIndex.constFind(identifier);
    return it == m_firstSystemIndex.cend() ? SnippetRecord() : m_system[it.value()];
}

bool SnippetCatalogue::isSafeIdentifier(const Identifier &identifier)
{
    if (!identifier || identifier->isEmpty())
        return false;
    if (*identifier == QLatin1StringView(".") || *identifier == QLatin1StringView(".."))
        return false;
    return !identifier->contains(u'/') && !identifier->contains(QChar(u'\0'));
}

// ---- changes ------------------------------------------------------------------------------

// Held by every change from its reading of the folder to its writing, by this program and by
// glimmerpad-cli alike. Not a ".codesnippet" name, so no reader takes it for a snippet.
static constexpr char kLockFileName[] = ".glimmerpad.lock";
// Another program's save takes a fraction of a second; waiting longer means something is wrong.
static constexpr int kLockWaitMs = 10000;
// "<id>-2.codesnippet" and on: a free name is found long before this unless something is amiss.
static constexpr int kMaxOverrideNameNumber = 1000;

namespace {

class FolderLock
{
public:
    explicit FolderLock(const QString &folder) : m_lock(appendPathComponent(folder, QLatin1StringView(kLockFileName)))
    {
        if (m_lock.tryLock(kLockWaitMs))
            return;
        if (m_lock.error() == QLockFile::LockFailedError) {
            qint64 pid = 0;
            QString host, application;
            m_lock.getLockInfo(&pid, &host, &application);
            m_failure = QStringLiteral("the snippet folder stayed locked by %1 (process %2) for %3 seconds; try "
                                       "again when it is done")
                            .arg(application.isEmpty() ? QStringLiteral("another program") : application)
                            .arg(pid)
                            .arg(kLockWaitMs / 1000);
        } else {
            m_failure = QStringLiteral("the lock file %1 could not be made (%2)")
                            .arg(m_lock.fileName(), m_lock.error() == QLockFile::PermissionError
                                                        ? QStringLiteral("permission denied")
                                                        : QStringLiteral("is the disk full?"));
        }
    }

    // Why the lock could not be taken; empty while it is held.
    QString failure() const { return m_failure; }

private:
    QLockFile m_lock;
    QString m_failure;
};

} // namespace

QString SnippetCatalogue::homeDirectoryProblem(const QString &homeDirectory)
{
    if (homeDirectory.isEmpty())
        return QStringLiteral("no home folder is set");
    if (QDir::isRelativePath(homeDirectory))
        return QStringLiteral("the home folder \"%1\" is not an absolute path").arg(homeDirectory);
    const QFileInfo info(homeDirectory);
    if (!info.exists())
        return QStringLiteral("the home folder \"%1\" does not exist").arg(homeDirectory);
    if (!info.isDir())
        return QStringLiteral("the home folder \"%1\" is not a folder").arg(homeDirectory);
    return {};
}

OverrideSnapshot SnippetCatalogue::overrideSnapshot(const Identifier &identifier) const
{
    if (!identifier)
        return {};
    const auto it = m_firstUserIndex.constFind(*identifier);
    if (it == m_firstUserIndex.cend())
        return {};
    return {m_userPaths[it.value()], m_user[it.value()].sourceBytes()};
}

SnippetState SnippetCatalogue::stateOf(const SnippetRecord &systemSnippet) const
{
    const Identifier &identifier = systemSnippet.identifier();
    const auto it = identifier ? m_firstUserIndex.constFind(*identifier) : m_firstUserIndex.cend();
    if (it == m_firstUserIndex.cend())
        return {systemSnippet, false, false, {}};
    const SnippetRecord &override = m_user[it.value()];
    return {override, true, isDisabledOverride(override), {m_userPaths[it.value()], override.sourceBytes()}};
}

static QString describeLinkRefusal(const QString &link, const QString &target, const QString &why)
{
    return QStringLiteral("%1 is a symbolic link to %2, %3; Glimmerpad writes only through a link to this "
                          "snippet's own file")
        .arg(link, target, why);
}

// Where an override of the identifier is written: the file that governs it today, whatever its
// name (a second file with the identifier is reported to crash Xcode); else "<id>.codesnippet",
// unless that holds a user's own snippet, which is never overwritten: then the next free name of
// "<id>-2.codesnippet", "<id>-3.codesnippet", ...
SnippetCatalogue::WriteTarget SnippetCatalogue::overrideTarget(const QString &identifier) const
{
    const auto resolved = [&identifier](const QString &path) -> WriteTarget {
        const QFileInfo info(path);
        if (!info.isSymLink())
            return {path, {}};
        const QString target = info.symLinkTarget();
        const QString canonical = info.canonicalFilePath();
        if (canonical.isEmpty())
            return {{}, describeLinkRefusal(path, target, QStringLiteral("which does not exist"))};
        QByteArray bytes;
        QString error;
        if (!readBoundedFile(canonical, Limits::kMaxUserSnippetFileBytes, bytes, &error))
            return {{}, describeLinkRefusal(path, target, QStringLiteral("which cannot be read (%1)").arg(error))};
        if (SnippetRecord::fromPropertyList(bytes).identifier() != identifier)
            return {{}, describeLinkRefusal(path, target, QStringLiteral("which does not hold this snippet"))};
        return {canonical, {}};
    };

    const auto governing = m_firstUserIndex.constFind(identifier);
    if (governing != m_firstUserIndex.cend())
        return resolved(m_userPaths[governing.value()]);

    const QString folder = userCodeSnippetsDirectory();
    for (int number = 1; number <= kMaxOverrideNameNumber; ++number) {
        const QString name = number == 1 ? QString(identifier + kSnippetSuffix)
                                         : QString(identifier + u'-' + QString::number(number) + kSnippetSuffix);
        const QString path = appendPathComponent(folder, name);
        struct stat info
        {};
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
            return {path, {}}; // free; any other trouble with the name shows when it is written
        if (S_ISLNK(info.st_mode))
            return resolved(path);
        // A snippet read from the folder that is not governing carries another identifier, or none:
        // the user's own. Under the override's own name, anything else is ours (a damaged override)
        // or fails on its own when written (a folder); under a numbered name, it is left alone.
        if (m_userPaths.contains(path) || number > 1)
            continue;
        return {path, {}};
    }
    return {{}, QStringLiteral("no free file name for the override of \"%1\" in %2").arg(identifier, folder)};
}

ChangeResult SnippetCatalogue::saveFile(const QString &path, const QByteArray &bytes) const
{
    // Through a temporary file and a rename: the previous override stays whole until the new one is
    // complete, whatever happens to the process or the disk in between. The explicit flush matters:
    // commit() (Qt 6.4) misses a write error that happens while it flushes the buffer, and would
    // rename a cut-off file over the previous override.
    QSaveFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly);
    const qint64 wrote = !opened ? -1 : m_overrideWriter ? m_overrideWriter(file, bytes) : file.write(bytes);
    if (wrote == bytes.size() && file.flush() && file.commit())
        return {};
    // A short write need not leave an error on the device, and the user still needs a reason.
    const QString reason = file.error() != QFileDevice::NoError
                               ? file.errorString()
                               : QStringLiteral("only %1 of %2 bytes could be written")
                                     .arg(std::max<qint64>(wrote, 0))
                                     .arg(bytes.size());
    return {ChangeResult::Status::Failed, reason};
}

ChangeResult SnippetCatalogue::writeOverride(const SnippetRecord &system, bool disableShortcut,
                                             const std::optional<QString> &contents,
                                             const std::optional<OverrideSnapshot> &expected)
{
    if (!isSafeIdentifier(system.identifier()))
        return {ChangeResult::Status::Refused, QStringLiteral("the snippet's identifier cannot be used as a file name")};
    if (contents) {
        if (QString refusal = OverrideFile::contentsRefusal(*contents); !refusal.isEmpty())
            return {ChangeResult::Status::Refused, refusal};
    }
    // Encoded and checked before the folder is locked: it depends on the system record alone.
    const OverrideFile::Encoded encoded =
        OverrideFile::encode(OverrideFile::dictionary(system, disableShortcut, contents).get());
    if (!encoded.ok())
        return {ChangeResult::Status::Refused, encoded.refusal};

    const QString folder = userCodeSnippetsDirectory();
    const FolderLock lock(folder);
    if (!lock.failure().isEmpty())
        return {ChangeResult::Status::Failed, lock.failure()};
    // The folder as it is now that no other writer can change it: read again unless every file is
    // still the one read last (a look at each file costs a small fraction of reading them all).
    if (!userFolderUnchanged(folder))
        parseUserCodeSnippets();
    const QString &identifier = *system.identifier();
    if (expected && overrideSnapshot(identifier) != *expected) {
        return {ChangeResult::Status::ChangedOnDisk,
                QStringLiteral("the snippet was changed outside Glimmerpad since it was read")};
    }
    const WriteTarget target = overrideTarget(identifier);
    if (!target.refusal.isEmpty())
        return {ChangeResult::Status::Refused, target.refusal};
    const ChangeResult saved = saveFile(target.path, encoded.xml);
    parseUserCodeSnippets();
    return saved;
}

ChangeResult
SnippetCatalogue::overrideSystemCodeSnippetAtIndex(qsizetype index, bool disableShortcut,
                                                   const std::optional<QString> &userSnippetContents,
                                                   const std::optional<OverrideSnapshot> &expected)
{
    if (index < 0 || index >= m_filtered.size())
        return {ChangeResult::Status::Refused, QStringLiteral("there is no snippet at row %1").arg(index)};
    return overrideSystemRecord(m_filtered[index], disableShortcut, userSnippetContents, expected);
}

static ChangeResult noSystemSnippet(const QString &identifier)
{
    return {ChangeResult::Status::Refused,
            QStringLiteral("no system snippet has the identifier \"%1\"").arg(identifier)};
}

ChangeResult SnippetCatalogue::overrideSystemCodeSnippet(const QString &identifier, bool disableShortcut,
                                                         const std::optional<QString> &contents,
                                                         const std::optional<OverrideSnapshot> &expected)
{
    const SnippetRecord system = systemCodeSnippet(identifier);
    if (system.isNull())
        return noSystemSnippet(identifier);
    return overrideSystemRecord(system, disableShortcut, contents, expected);
}

// A row's own record rather than the first with its identifier: of two system snippets sharing an
// identifier, the override made from a row starts from that row's snippet.
ChangeResult SnippetCatalogue::overrideSystemRecord(const SnippetRecord &system, bool disableShortcut,
                                                    const std::optional<QString> &contents,
                                                    const std::optional<OverrideSnapshot> &expected)
{
    const ChangeResult result = writeOverride(system, disableShortcut, contents, expected);
    if (!result.succeeded()) {
        qCWarning(lcCatalogue).noquote() << "Could not write User Snippet.";
        // Whatever stopped the write, the catalogue shows what the folder holds.
        parseUserCodeSnippets();
    }
    return result;
}

ChangeResult SnippetCatalogue::removeOverrideFiles(const QString &identifier)
{
    const QString folder = userCodeSnippetsDirectory();
    const FolderLock lock(folder);
    if (!lock.failure().isEmpty())
        return {ChangeResult::Status::Failed, lock.failure()};

    // Every file that carries the identifier goes, as read afresh now, so that afterwards the row
    // really shows the system snippet; and a damaged file or a dangling link under the override's
    // own name. A readable snippet with another identifier is the user's own, whatever its name.
    const FolderContents contents = readUserFolder(folder);
    QList<QString> targets;
    for (qsizetype i = 0; i < contents.identifiers.size(); ++i) {
        if (contents.identifiers[i] == identifier)
            targets.append(contents.paths[i]);
    }
    const QString ownPath = appendPathComponent(folder, identifier + kSnippetSuffix);
    struct stat own
    {};
    if (::lstat(QFile::encodeName(ownPath).constData(), &own) == 0 && (S_ISREG(own.st_mode) || S_ISLNK(own.st_mode)) &&
        !contents.paths.contains(ownPath)) {
        targets.append(ownPath);
    }
    if (targets.isEmpty())
        return {ChangeResult::Status::NothingToDo, {}};

    ChangeResult result;
    bool removedAny = false;
    for (const QString &path : std::as_const(targets)) {
        QString error;
        bool removed = false;
        if (m_fileDisposer) {
            removed = m_fileDisposer(path, &error);
        } else {
            QFile file(path);
            removed = file.remove();
            error = file.errorString();
        }
        if (removed) {
            removedAny = true;
            continue;
        }
        qCWarning(lcCatalogue).noquote() << QStringLiteral("Could not delete Snippet. Error: %1").arg(error);
        result = {ChangeResult::Status::Failed, error};
    }
    if (removedAny)
        parseUserCodeSnippets();
    return result;
}

ChangeResult SnippetCatalogue::removeUserCodeSnippetAtIndex(qsizetype index)
{
    if (index < 0 || index >= m_filtered.size())
        return {ChangeResult::Status::Refused, QStringLiteral("there is no snippet at row %1").arg(index)};
    return removeOverridesOf(m_filtered[index]);
}

ChangeResult SnippetCatalogue::removeUserCodeSnippet(const QString &identifier)
{
    const SnippetRecord system = systemCodeSnippet(identifier);
    if (system.isNull())
        return noSystemSnippet(identifier);
    return removeOverridesOf(system);
}

ChangeResult SnippetCatalogue::removeOverridesOf(const SnippetRecord &system)
{
    const Identifier &identifier = system.identifier();
    if (!isSafeIdentifier(identifier)) {
        const QString reason = QStringLiteral("the snippet's identifier cannot be used as a file name");
        qCWarning(lcCatalogue).noquote() << QStringLiteral("Could not delete Snippet. Error: %1").arg(reason);
        return {ChangeResult::Status::Refused, reason};
    }
    return removeOverrideFiles(*identifier);
}

// ---- export and import --------------------------------------------------------------------

QList<TransferResult> SnippetCatalogue::exportOverrides(const QString &folder)
{
    const auto refused = [&folder](const QString &why) {
        return QList<TransferResult>{{{}, folder, false, why}};
    };
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return refused(QStringLiteral("%1 is not a folder").arg(folder));
    if (!QDir().mkpath(folder))
        return refused(QStringLiteral("the folder %1 could not be made").arg(folder));
    // Never mixed with, or written over, snippet files already there.
    if (!snippetFileNames(folder).isEmpty())
        return refused(QStringLiteral("%1 already holds .codesnippet files; export into a folder without any")
                           .arg(folder));

    const QString userFolder = userCodeSnippetsDirectory();
    if (!userFolderUnchanged(userFolder))
        parseUserCodeSnippets();
    QList<TransferResult> results;
    QSet<QString> done;
    for (const Identifier &identifier : std::as_const(m_systemIdentifiers)) {
        if (!identifier || !hasOverride(identifier) || done.contains(*identifier))
            continue;
        done.insert(*identifier);
        if (!isSafeIdentifier(identifier)) {
            results.append({*identifier,
                            {},
                            false,
                            QStringLiteral("the snippet's identifier cannot be used as a file name")});
            continue;
        }
        const QString path = appendPathComponent(folder, *identifier + kSnippetSuffix);
        const ChangeResult saved = saveFile(path, overrideSnapshot(identifier).bytes);
        results.append({*identifier, path, saved.succeeded(), saved.reason});
    }
    return results;
}

QList<TransferResult> SnippetCatalogue::importOverrides(const QStringList &paths)
{
    QList<TransferResult> results;
    for (const QString &path : paths) {
        if (!QFileInfo(path).isDir()) {
            results.append(importFile(path));
            continue;
        }
        const QStringList names = snippetFileNames(path);
        if (names.isEmpty())
            results.append({{}, path, false, QStringLiteral("the folder holds no .codesnippet file")});
        for (const QString &name : names)
            results.append(importFile(appendPathComponent(path, name)));
    }
    return results;
}

TransferResult SnippetCatalogue::importFile(const QString &path)
{
    QByteArray bytes;
    QString error;
    if (!readBoundedFile(path, Limits::kMaxUserSnippetFileBytes, bytes, &error))
        return {{}, path, false, QStringLiteral("cannot be read (%1)").arg(error)};
    const SnippetRecord imported = SnippetRecord::fromPropertyList(bytes);
    if (imported.isNull())
        return {{}, path, false, QStringLiteral("not a snippet file (no property-list dictionary)")};
    const Identifier &identifier = imported.identifier();
    if (!identifier || identifier->isEmpty())
        return {{}, path, false, QStringLiteral("the snippet carries no identifier")};
    const std::optional<QString> contents = imported.contents();
    if (!contents && plist_dict_get_item(imported.dictionary(), SnippetKey::Contents))
        return {*identifier, path, false, QStringLiteral("the snippet's contents are not text")};
    const ChangeResult result =
        overrideSystemCodeSnippet(*identifier, isDisabledOverride(imported), contents);
    return {*identifier, path, result.succeeded(), result.reason};
}

// ---- search -------------------------------------------------------------------------------

static constexpr QChar kSearchSeparator = u'\0'; // after each folded title and summary

void SnippetCatalogue::ensureSearchText() const
{
    if (m_searchStarts.size() == 2 * m_system.size() + 1)
        return;
    m_searchText.clear();
    m_searchStarts.clear();
    m_searchStarts.reserve(2 * m_system.size() + 1);
    for (const SnippetRecord &record : m_system) {
        for (const std::optional<QString> *field : {&record.title(), &record.summary()}) {
            m_searchStarts.append(m_searchText.size());
            if (*field)
                m_searchText += foldForSearch(**field);
            m_searchText += kSearchSeparator;
        }
    }
    m_searchStarts.append(m_searchText.size());
}

namespace {

// A folded search text, looked for in folded titles and summaries: a single character through
// Qt's vectorised scan, anything longer by its first character and an inline comparison, which on
// these short texts beats both Qt's rolling hash and its skip table.
class Needle
{
public:
    explicit Needle(const QString &text) : m_text(units(text)) {}

    qsizetype indexIn(QStringView haystack, qsizetype from = 0) const
    {
        if (m_text.size() == 1)
            return haystack.indexOf(QChar(m_text.front()), from);
        const std::size_t at = units(haystack).find(m_text, static_cast<std::size_t>(from));
        return at == std::u16string_view::npos ? -1 : static_cast<qsizetype>(at);
    }
    // Whether a folded title or summary contains it; a missing or empty one never does.
    bool isIn(QStringView field) const { return !field.isEmpty() && (m_text.empty() || indexIn(field) >= 0); }

private:
    static std::u16string_view units(QStringView text)
    {
        return {text.utf16(), static_cast<std::size_t>(text.size())};
    }

    std::u16string_view m_text;
};

// Whether system snippet index's folded title or summary contains the needle.
bool fieldsContain(QStringView text, const QList<qsizetype> &starts, qsizetype index, const Needle &needle)
{
    const auto field = [&](qsizetype k) { return text.sliced(starts[k], starts[k + 1] - starts[k] - 1); };
    return needle.isIn(field(2 * index)) || needle.isIn(field(2 * index + 1));
}

} // namespace

QList<qsizetype> SnippetCatalogue::searchMatches(const QString &text) const
{
    const Needle needle(text);
    QList<qsizetype> matches;
    // Typing on: a title or summary that contains the longer text contains the shorter one too, so
    // only the snippets that matched it need looking at.
    if (!m_lastNeedle.isEmpty() && text.contains(m_lastNeedle)) {
        for (const qsizetype index : m_lastMatches) {
            if (fieldsContain(m_searchText, m_searchStarts, index, needle))
                matches.append(index);
        }
        return matches;
    }
    // A text with a separator, or none at all, is tested snippet by snippet.
    if (text.isEmpty() || text.contains(kSearchSeparator)) {
        for (qsizetype index = 0; index < m_system.size(); ++index) {
            if (fieldsContain(m_searchText, m_searchStarts, index, needle))
                matches.append(index);
        }
        return matches;
    }
    // Otherwise one scan of the whole text: a match cannot span a separator, so it lies inside one
    // title or summary; walking the starts along with the scan tells whose.
    qsizetype field = 0;
    for (qsizetype at = needle.indexIn(m_searchText); at >= 0;
         at = needle.indexIn(m_searchText, m_searchStarts[field + 1])) {
        while (m_searchStarts[field + 1] <= at)
            ++field;
        field |= 1; // a match in the title makes the summary not worth scanning
        matches.append(field / 2);
    }
    return matches;
}

void SnippetCatalogue::filterSystemCodeSnippets(const SnippetFilter &filter)
{
    m_filter = filter;
    const bool searched = !filter.text.isEmpty();
    if (searched) {
        ensureSearchText();
        QString needle = foldForSearch(filter.text);
        m_lastMatches = searchMatches(needle);
        m_lastNeedle = std::move(needle);
    } else {
        m_lastNeedle.clear();
        m_lastMatches.clear();
    }
    const bool narrowed = filter.changedOnly || !filter.language.isEmpty();
    if (!narrowed && (!searched || m_lastMatches.size() == m_system.size())) {
        m_filtered = m_system; // every row: share them rather than copy them
        return;
    }
    if (!filter.language.isEmpty())
        ensureLanguages();
    const auto shown = [&](qsizetype index) {
        return (!filter.changedOnly || hasOverride(m_systemIdentifiers[index])) &&
               (filter.language.isEmpty() ||
                SnippetLanguage::matches(m_systemLanguageValues[index], filter.language));
    };
    QList<SnippetRecord> rows;
    const qsizetype candidates = searched ? m_lastMatches.size() : m_system.size();
    for (qsizetype k = 0; k < candidates; ++k) {
        const qsizetype index = searched ? m_lastMatches[k] : k; // in title order either way
        if (shown(index))
            rows.append(m_system[index]);
    }
    m_filtered = std::move(rows);
}

void SnippetCatalogue::ensureLanguages() const
{
    if (m_systemLanguageValues.size() == m_system.size())
        return;
    m_systemLanguageValues.clear();
    m_systemLanguageValues.reserve(m_system.size());
    for (const SnippetRecord &record : m_system)
        m_systemLanguageValues.append(record.string(SnippetKey::Language).value_or(QString()));
}

QStringList SnippetCatalogue::systemLanguages() const
{
    ensureLanguages();
    QStringList names;
    for (const QString &value : std::as_const(m_systemLanguageValues)) {
        if (!value.isEmpty())
            names.append(SnippetLanguage::readableName(value));
    }
    names.sort();
    names.removeDuplicates();
    return names;
}

} // namespace Glimmerpad
