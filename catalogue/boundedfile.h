#pragma once

#include "catalogue/propertylist.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <sys/stat.h>

namespace Glimmerpad {

// What a file was when it was looked at: one that differs in any of these may hold something else.
// A file replaced by a rename has another inode; one written in place another change time.
struct FileStamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1; // -1: nothing could be looked at
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// The stamp of what path leads to now (links followed); size -1 when nothing is there.
FileStamp fileStamp(const QString &path);
FileStamp stampOf(const struct stat &info);

// Reads the whole file at path into bytes (whose capacity is reused, for reading many files
// through one buffer) without ever blocking on it: a FIFO is refused, not waited on. False when
// the file is missing, not a regular file, larger than maxBytes or unreadable; the reason goes to
// *error when given.
// With stamp given, it receives the file's stamp as it was opened (size -1 when it could not be).
bool readBoundedFile(const QString &path, qint64 maxBytes, QByteArray &bytes, QString *error = nullptr,
                     FileStamp *stamp = nullptr);
// The same for the file name inside an open folder (as openat() takes them), path naming it in
// messages: reading a folder's many files so spares the kernel walking the folder's path for each.
bool readBoundedFileAt(int folder, const QByteArray &name, const QString &path, qint64 maxBytes, QByteArray &bytes,
                       QString *error = nullptr, FileStamp *stamp = nullptr);
// The stamp of what name inside an open folder leads to now (links followed).
FileStamp fileStampAt(int folder, const QByteArray &name);

// Reads the file on the same terms and parses it. Null when it cannot be read or parsed; the
// reason, of either, goes to *error when given.
PlistPtr readPropertyListFile(const QString &path, qint64 maxBytes, QString *error = nullptr);

} // namespace Glimmerpad
