#pragma once

#include "catalogue/propertylist.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace Glimmerpad {

// Reads the whole file at path into bytes (whose capacity is reused, for reading many files
// through one buffer) without ever blocking on it: a FIFO is refused, not waited on. False when
// the file is missing, not a regular file, larger than maxBytes or unreadable; the reason goes to
// *error when given.
bool readBoundedFile(const QString &path, qint64 maxBytes, QByteArray &bytes, QString *error = nullptr);

// Reads the file on the same terms and parses it. Null when it cannot be read or is malformed;
// the reason goes to *error when given.
PlistPtr readPropertyListFile(const QString &path, qint64 maxBytes, QString *error = nullptr);

} // namespace Glimmerpad
