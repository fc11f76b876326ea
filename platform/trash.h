#pragma once

#include <QString>

namespace Glimmerpad::Platform {

enum class TrashOutcome
{
    Trashed, // in the desktop's trash, with a record of where it came from
    NoTrash, // no trash can take this file; the file is where it was
    Failed   // no such file, a broken trash, a relative home...; the file is where it was
};

struct TrashResult
{
    TrashOutcome outcome;
    QString error; // why, for NoTrash and Failed
};

// Moves a file (a symbolic link as the link itself) to the desktop's trash: the home folder's
// when the file is on the home's device, else the one at the top of the file's own device.
// Touches nothing but the trash and the file's folder. The move is done in this process, without
// a file-system daemon.
TrashResult moveToTrash(const QString &path);

// Moves the file to the desktop's trash, or deletes it where there is no trash; false with the
// reason (the file then stays where it was) when neither could be done.
bool discardFile(const QString &path, QString *error = nullptr);

} // namespace Glimmerpad::Platform
