#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Glimmerpad {

// Appends a path component: exactly one separator at the junction,
// no trailing separator, nothing else normalised ("." and ".." are kept as written).
QString appendPathComponent(const QString &base, const QString &component);

// File names are bytes; most are UTF-8, some are not. A name is taken as text with each byte that
// is not UTF-8 kept as a lone surrogate (U+DC80 to U+DCFF, which no UTF-8 text decodes to), so it
// opens the very file it came from and never equals another name.
QString decodeFileName(QByteArrayView bytes);
QByteArray encodeFileName(const QString &name);
// Whether the name came from bytes that were UTF-8 throughout: only such a name can be written.
bool isTextFileName(const QString &name);
// The name for people: each byte that is not UTF-8 shown as \xHH.
QString displayFileName(const QString &name);

} // namespace Glimmerpad
