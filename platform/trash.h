#pragma once

#include <QString>

namespace Glimmerpad::Platform {

enum class TrashOutcome
{
    Trashed, // in the trash, with a record of where it came from
    NoTrash, // no trash can take this file; the file is where it was
    Failed   // no such file, a broken trash, a relative home...; the file is where it was
};

struct TrashResult
{
    TrashOutcome outcome;
    QString error; // why, for NoTrash and Failed
};

// Moves a file (a symbolic link as the link itself) to a trash. With no dataHome, the desktop's:
// the home folder's when the file is on the home's device, else the one at the top of the file's
// own device. With a dataHome, the one in dataHome/Trash, laid out as the desktop's so that its
// file manager can restore from it; a file on another device fails, since only a rename keeps it
// whole. Touches nothing but the trash and the file's folder. The move is done in this process,
// without a file-system daemon.
TrashResult moveToTrash(const QString &path, const QString &dataHome = {});

// Moves the file to the trash, as moveToTrash. With no dataHome, deletes it where there is no
// trash; with one, never: that trash is the only one asked for. False with the reason (the file
// then stays where it was) when the file is still there.
bool discardFile(const QString &path, QString *error = nullptr, const QString &dataHome = {});

// The data folder of the given home, where its trash lives: what the desktop uses for a home whose
// session sets no other.
QString dataHomeOf(const QString &home);

} // namespace Glimmerpad::Platform
