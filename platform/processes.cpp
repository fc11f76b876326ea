// What the running-process walk of each platform gives, put to one question.
#include "platform/processes.h"

#include <QHash>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcProcessBundles, "glimmerpad.processes.bundles", QtWarningMsg)

namespace Glimmerpad::Platform {

QStringList RunningProcess::paths() const
{
    QStringList all = commandPaths;
    if (!executablePath.isEmpty())
        all.prepend(executablePath);
    return all;
}

bool isAnyProcessRunningFromBundle(const std::function<bool(const QString &bundlePath)> &bundleMatches)
{
    // An application runs as many processes from one bundle; the bundle is asked about once.
    QHash<QString, bool> matchesByBundle;
    const auto visit = [&](const RunningProcess &process) {
        for (const QString &path : process.paths()) {
            const QString bundle = applicationBundleOfExecutable(path);
            if (bundle.isEmpty())
                continue;
            auto known = matchesByBundle.constFind(bundle);
            if (known == matchesByBundle.constEnd())
                known = matchesByBundle.insert(bundle, bundleMatches(bundle));
            if (*known) {
                qCDebug(lcProcessBundles) << "process" << process.pid << "runs from" << bundle;
                return true;
            }
        }
        return false;
    };
    switch (forEachRunningProcess(visit)) {
    case ProcessWalk::Stopped:
        return true;
    case ProcessWalk::Exhausted:
        return false;
    case ProcessWalk::Failed:
        qCInfo(lcProcessBundles) << "cannot list the running processes; taking nothing to run";
        return false;
    }
    return false;
}

} // namespace Glimmerpad::Platform
