#include "platform/gio_linux.h"
#include "platform/trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Glimmerpad::Platform {

namespace {

// GLib answers "not supported" both for a device that has no trash and for a home trash whose
// info/ or files/ folder it cannot make (read-only, no room). The latter is a broken trash, not
// a missing one: calling it NoTrash would have discardFile delete what the user could restore.
// Asked whatever device the file is on, so a broken home trash errs towards keeping the file.
bool homeTrashIsIncomplete()
{
    const QString trash = QFile::decodeName(g_get_user_data_dir()) + QStringLiteral("/Trash");
    return QFileInfo(trash).isDir() && !(QFileInfo(trash + QStringLiteral("/info")).isDir() &&
                                         QFileInfo(trash + QStringLiteral("/files")).isDir());
}

// The desktop's own trash, through GLib.
TrashResult moveToDesktopTrash(const QString &path)
{
    // GLib resolves an empty path to the current folder, which is never what is meant.
    if (path.isEmpty())
        return {TrashOutcome::Failed, QStringLiteral("no file was named")};

    // GLib takes HOME and XDG_DATA_HOME as they are, so a relative one would have it make and
    // fill a trash below the current folder. That is a broken setup rather than a machine without
    // a trash, so it fails and the file stays: deleting it would lose what a trash could keep.
    const char *home = g_get_home_dir();
    const char *dataHome = g_get_user_data_dir();
    if (!g_path_is_absolute(home) || !g_path_is_absolute(dataHome))
        return {TrashOutcome::Failed,
                QStringLiteral("the trash has no fixed place: the home folder \"%1\" or the data folder "
                               "\"%2\" is not an absolute path")
                    .arg(QFile::decodeName(home), QFile::decodeName(dataHome))};

    QString unavailable;
    const Gio *gio = Platform::gio(&unavailable);
    if (!gio)
        return {TrashOutcome::Failed, unavailable};

    // From the local VFS: GVfs would hand a path inside one of its FUSE mounts to its daemon.
    // Once the file is in the trash GLib still tells the default VFS, and GVfs, where installed,
    // then updates its metadata store over D-Bus, bounded by D-Bus's own time-out.
    GFile *file = gio->vfsGetFileForPath(gio->vfsGetLocal(), QFile::encodeName(path).constData());
    GError *error = nullptr;
    const bool trashed = gio->fileTrash(file, nullptr, &error);
    gio->objectUnref(file);
    if (trashed)
        return {TrashOutcome::Trashed, QString()};

    // The trash records a file as "<name>.trashinfo", so a name near the length limit cannot go
    // to any trash at all.
    const GQuark ioError = gio->ioErrorQuark();
    const bool noTrash = g_error_matches(error, ioError, G_IO_ERROR_FILENAME_TOO_LONG) ||
                         (g_error_matches(error, ioError, G_IO_ERROR_NOT_SUPPORTED) && !homeTrashIsIncomplete());
    TrashResult result{noTrash ? TrashOutcome::NoTrash : TrashOutcome::Failed,
                       QString::fromUtf8(error->message)};
    g_error_free(error);
    return result;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Makes folder and its missing parents, each for the owner alone, as GLib makes the desktop's trash.
// folder is absolute and clean.
QString makeFolders(const QByteArray &folder)
{
    qsizetype end = 0;
    while (end < folder.size()) {
        end = folder.indexOf('/', end + 1);
        if (end < 0)
            end = folder.size();
        const QByteArray part = folder.left(end);
        struct stat status;
        if (::stat(part.constData(), &status) != 0 &&
            (errno != ENOENT || (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) ||
             ::stat(part.constData(), &status) != 0))
            return QStringLiteral("cannot make the folder %1: %2")
                .arg(QFile::decodeName(part), systemError(errno));
        if (!S_ISDIR(status.st_mode))
            return QStringLiteral("%1 is not a folder").arg(QFile::decodeName(part));
    }
    return {};
}

// The device of the deepest folder of path that exists: where its missing folders would be made.
dev_t deviceBelow(QByteArray path)
{
    struct stat status = {};
    while (::stat(path.constData(), &status) != 0 && path.size() > 1)
        path.truncate(std::max<qsizetype>(path.lastIndexOf('/'), 1));
    return status.st_dev;
}

// The n-th name GLib tries for a file in the trash, so that both trashes name alike: the number
// goes before the first dot ("a.2.codesnippet", ".2.hidden"), at the end when there is none.
QByteArray numberedName(const QByteArray &name, int n)
{
    if (n == 1)
        return name;
    const QByteArray number = '.' + QByteArray::number(n);
    const qsizetype dot = name.indexOf('.');
    return dot < 0 ? QByteArray(name + number) : QByteArray(name.left(dot) + number + name.mid(dot));
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (wrote < 0 && errno != EINTR)
            return false;
        done += std::max<ssize_t>(wrote, 0);
    }
    return true;
}

// Never over a file that came into files/ meanwhile: the record just written would then describe it.
int renameNoReplace(const char *from, const char *to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system that cannot refuse a taken name itself: a look just before is the next best.
    struct stat status;
    if (::lstat(to, &status) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from, to);
}

// The trash in dataHome/Trash, laid out as GLib lays out the desktop's: the file in files/ and a
// record of where it came from in info/ under the same name, the record made first so that no
// file is ever in the trash without one.
TrashResult moveToTrashIn(const QString &path, const QString &dataHome)
{
    // Either would be read from the current folder: the wrong file, or a trash made there.
    if (path.isEmpty())
        return {TrashOutcome::Failed, QStringLiteral("no file was named")};
    if (QDir::isRelativePath(path))
        return {TrashOutcome::Failed,
                QStringLiteral("the file \"%1\" is not named by an absolute path").arg(path)};
    if (QDir::isRelativePath(dataHome))
        return {TrashOutcome::Failed,
                QStringLiteral("the trash has no fixed place: the data folder \"%1\" is not an absolute path")
                    .arg(dataHome)};

    // As GLib records a path: "." and ".." taken out by name, links in the folders left as they are.
    const QString cleaned = QDir::cleanPath(path);
    const QByteArray source = QFile::encodeName(cleaned);
    const QByteArray name = source.mid(source.lastIndexOf('/') + 1);
    if (name.isEmpty())
        return {TrashOutcome::Failed, QStringLiteral("the root folder cannot go to the trash")};
    struct stat file;
    if (::lstat(source.constData(), &file) != 0)
        return {TrashOutcome::Failed, QStringLiteral("%1: %2").arg(cleaned, systemError(errno))};

    const QString trash = QDir::cleanPath(dataHome + QStringLiteral("/Trash"));
    const QByteArray infoFolder = QFile::encodeName(trash + QStringLiteral("/info"));
    const QByteArray filesFolder = QFile::encodeName(trash + QStringLiteral("/files"));
    // Only a rename keeps the file whole: a copy could be cut short, and would leave it in two places
    // until the original was deleted. Checked before any trash folder is made for it.
    const QString otherDevice =
        QStringLiteral("%1 is on another device than the trash in %2").arg(cleaned, trash);
    if (deviceBelow(filesFolder) != file.st_dev)
        return {TrashOutcome::Failed, otherDevice};
    for (const QByteArray &folder : {infoFolder, filesFolder}) {
        if (const QString problem = makeFolders(folder); !problem.isEmpty())
            return {TrashOutcome::Failed,
                    QStringLiteral("the trash in %1 cannot be used: %2").arg(trash, problem)};
    }

    const QByteArray record =
        "[Trash Info]\nPath=" + source.toPercentEncoding("/") + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() + '\n';
    for (int n = 1;; ++n) {
        const QByteArray trashName = numberedName(name, n);
        const QByteArray info = infoFolder + '/' + trashName + ".trashinfo";
        const QByteArray target = filesFolder + '/' + trashName;
        // Exclusive, so that a name another program took meanwhile is never written over.
        const int fd = ::open(info.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            // As with GLib, a name near the length limit cannot go to any trash at all.
            const int error = errno;
            return {error == ENAMETOOLONG ? TrashOutcome::NoTrash : TrashOutcome::Failed,
                    QStringLiteral("cannot record %1 in the trash in %2: %3")
                        .arg(cleaned, trash, systemError(error))};
        }
        int error = writeAll(fd, record) ? 0 : errno;
        if (::close(fd) != 0 && error == 0)
            error = errno;
        if (error == 0) {
            if (renameNoReplace(source.constData(), target.constData()) == 0)
                return {TrashOutcome::Trashed, QString()};
            error = errno;
        }
        ::unlink(info.constData());
        if (error == EEXIST) // files/ has the name without a record
            continue;
        if (error == EXDEV) // the same device mounted twice, or a bind mount
            return {TrashOutcome::Failed, otherDevice};
        return {TrashOutcome::Failed, QStringLiteral("cannot move %1 into the trash in %2: %3")
                                          .arg(cleaned, trash, systemError(error))};
    }
}

} // namespace

TrashResult moveToTrash(const QString &path, const QString &dataHome)
{
    return dataHome.isEmpty() ? moveToDesktopTrash(path) : moveToTrashIn(path, dataHome);
}

bool discardFile(const QString &path, QString *error, const QString &dataHome)
{
    const TrashResult trashed = moveToTrash(path, dataHome);
    QString reason = trashed.error;
    if (trashed.outcome == TrashOutcome::Trashed)
        return true;
    // A trash asked for by name is the only place the file may go: deleting it instead would lose
    // what the caller meant to keep restorable.
    if (trashed.outcome == TrashOutcome::NoTrash && dataHome.isEmpty()) {
        QFile file(path);
        if (file.remove())
            return true;
        reason = file.errorString();
    }
    if (error)
        *error = reason;
    return false;
}

QString dataHomeOf(const QString &home)
{
    // No home is no place: kept relative, so that moveToTrash refuses it rather than use the root's.
    return home.isEmpty() ? QStringLiteral(".local/share") : home + QStringLiteral("/.local/share");
}

} // namespace Glimmerpad::Platform
