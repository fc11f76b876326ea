#pragma once

#include <QString>

#include <functional>

namespace Glimmerpad::Platform {

struct RunningProcess
{
    qint64 pid = 0;
    QString executablePath;
};

enum class ProcessWalk
{
    Stopped,
    Exhausted,
    Failed
};

// Walks the running processes in pid order; visit returns true to stop the walk.
// Processes whose executable cannot be told (gone meanwhile, another user's, kernel threads)
// are left out. Exhausted when every process was visited, Failed when the list itself
// cannot be read.
ProcessWalk forEachRunningProcess(const std::function<bool(const RunningProcess &)> &visit);

// Whether a running process belongs to an application bundle that bundleMatches accepts. Each
// bundle is asked once per call, however many of its processes run. False when the processes
// cannot be listed: nothing is known to run then.
bool isAnyProcessRunningFromBundle(const std::function<bool(const QString &bundlePath)> &bundleMatches);

// The application bundle ("…/X.app") whose Contents/MacOS/ folder holds the executable; empty when none.
QString applicationBundleOfExecutable(const QString &executablePath);

} // namespace Glimmerpad::Platform
