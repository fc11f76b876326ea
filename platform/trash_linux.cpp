#include "platform/gio_linux.h"
#include "platform/trash.h"

#include <QFile>
#include <QFileInfo>

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

} // namespace

TrashResult moveToTrash(const QString &path)
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

bool discardFile(const QString &path, QString *error)
{
    const TrashResult trashed = moveToTrash(path);
    QString reason = trashed.error;
    if (trashed.outcome == TrashOutcome::Trashed)
        return true;
    if (trashed.outcome == TrashOutcome::NoTrash) {
        QFile file(path);
        if (file.remove())
            return true;
        reason = file.errorString();
    }
    if (error)
        *error = reason;
    return false;
}

} // namespace Glimmerpad::Platform
