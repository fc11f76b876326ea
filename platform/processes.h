#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace Glimmerpad::Platform {

struct RunningProcess
{
    qint64 pid = 0;
    QString executablePath; // what runs, links resolved; empty when it cannot be told
    // The first two arguments of its command line, made absolute: the path it was started by (a
    // link keeps its own path here) and, for a script, the script after its interpreter.
    QStringList commandPaths;

    // Every path by which the process may belong to a bundle.
    QStringList paths() const;
};

enum class ProcessWalk
{
    Stopped,
    Exhausted,
    Failed
};

// Walks the running processes in pid order; visit returns true to stop the walk.
// Processes of which nothing can be told (gone meanwhile, kernel threads) are left out. Exhausted when every process was visited, Failed when the list itself
// cannot be read.
ProcessWalk forEachRunningProcess(const std::function<bool(const RunningProcess &)> &visit);

// Whether a running process belongs to an application bundle that bundleMatches accepts. Each
// bundle is asked once per call, however many of its processes run. False when the processes
// cannot be listed: nothing is known to run then.
bool isAnyProcessRunningFromBundle(const std::function<bool(const QString &bundlePath)> &bundleMatches);

// The application bundle ("…/X.app") whose Contents/MacOS/ folder holds the executable; empty when none.
QString applicationBundleOfExecutable(const QString &executablePath);

} // namespace Glimmerpad::Platform
