#include "catalogue/boundedfile.h"

#include "catalogue/paths.h"

#include <QFile>
#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Named like the parser's category: one rule shows or silences everything about reading
// property-list files.
Q_LOGGING_CATEGORY(lcBoundedFile, "glimmerpad.plist", QtWarningMsg)

namespace Glimmerpad {

namespace {

struct FileDescriptor
{
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Reads to the end of an open file, at most limit + 1 bytes so that growth past the limit shows.
// The buffer starts one byte larger than the expected size: a regular file gives all it has in one
// read, and only a file that grew since it was measured fills the buffer.
bool readToEnd(int fd, qint64 expectedSize, qint64 limit, QByteArray &bytes)
{
    bytes.resize(std::min(expectedSize, limit) + 1);
    qsizetype filled = 0;
    for (;;) {
        const ssize_t n = ::read(fd, bytes.data() + filled, static_cast<std::size_t>(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        filled += n;
        if (n == 0 || filled < bytes.size() || bytes.size() > limit)
            break;
        bytes.resize(std::min<qint64>(bytes.size() * 2, limit + 1));
    }
    bytes.truncate(filled);
    return true;
}

} // namespace

FileStamp stampOf(const struct stat &info)
{
    return {static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino), static_cast<qint64>(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
            qint64(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec};
}

FileStamp fileStamp(const QString &path)
{
    return fileStampAt(AT_FDCWD, encodeFileName(path));
}

FileStamp fileStampAt(int folder, const QByteArray &name)
{
    struct stat info
    {};
    return ::fstatat(folder, name.constData(), &info, 0) == 0 ? stampOf(info) : FileStamp();
}

bool readBoundedFile(const QString &path, qint64 maxBytes, QByteArray &bytes, QString *error, FileStamp *stamp)
{
    return readBoundedFileAt(AT_FDCWD, encodeFileName(path), path, maxBytes, bytes, error, stamp);
}

bool readBoundedFileAt(int folder, const QByteArray &name, const QString &path, qint64 maxBytes, QByteArray &bytes,
                       QString *error, FileStamp *stamp)
{
    if (stamp)
        *stamp = {};
    auto fail = [error](QString reason) {
        if (error)
            *error = std::move(reason);
        return false;
    };

    // The bare system calls: this runs for every user snippet file after every change, and QFile
    // adds two more status queries and a buffer of maxBytes per file. Not blocking: a FIFO in place
    // of a file would otherwise stall the program on open.
    const FileDescriptor file{::openat(folder, name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0)
        return fail(qt_error_string(errno));
    // Checked on the open file, so a swap between a check and the open cannot slip past.
    struct stat info
    {};
    if (::fstat(file.fd, &info) != 0)
        return fail(qt_error_string(errno));
    if (stamp)
        *stamp = stampOf(info);
    if (!S_ISREG(info.st_mode))
        return fail(QStringLiteral("not a regular file"));
    if (info.st_size > maxBytes) {
        qCWarning(lcBoundedFile).noquote() << "ignoring" << path << "- larger than" << maxBytes << "bytes";
        return fail(QStringLiteral("larger than %1 bytes").arg(maxBytes));
    }

    if (!readToEnd(file.fd, info.st_size, maxBytes, bytes))
        return fail(qt_error_string(errno));
    if (bytes.size() > maxBytes) // grew since it was measured
        return fail(QStringLiteral("larger than %1 bytes").arg(maxBytes));
    return true;
}

PlistPtr readPropertyListFile(const QString &path, qint64 maxBytes, QString *error)
{
    QByteArray bytes;
    if (!readBoundedFile(path, maxBytes, bytes, error))
        return {};
    QString refusal;
    PlistPtr root = parsePropertyList(bytes, &refusal);
    if (!root) {
        qCDebug(lcBoundedFile).noquote() << "not read:" << path << '(' << refusal << ')';
        if (error)
            *error = std::move(refusal);
    }
    return root;
}

} // namespace Glimmerpad
