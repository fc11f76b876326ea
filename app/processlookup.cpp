#include "app/processlookup.h"

#include "catalogue/boundedfile.h"
#include "catalogue/limits.h"
#include "catalogue/propertylist.h"
#include "platform/processes.h"

#include <QHash>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcProcesses, "glimmerpad.processes", QtWarningMsg)

namespace Glimmerpad {

bool findProcessWithBundleIdentifier(const QString &bundleIdentifier)
{
    // An application runs as many processes from one bundle; its Info.plist is read once.
    QHash<QString, bool> matchesByBundle;
    const auto visit = [&](const Platform::RunningProcess &process) {
        const QString bundle = Platform::applicationBundleOfExecutable(process.executablePath);
        if (bundle.isEmpty())
            return false;
        auto known = matchesByBundle.constFind(bundle);
        if (known == matchesByBundle.constEnd()) {
            const PlistPtr info = readPropertyListFile(bundle + QStringLiteral("/Contents/Info.plist"),
                                                       Limits::kMaxUserSnippetFileBytes);
            const bool matches = info && dictString(info.get(), "CFBundleIdentifier") == bundleIdentifier;
            known = matchesByBundle.insert(bundle, matches);
        }
        if (*known)
            qCDebug(lcProcesses) << "process" << process.pid << "runs" << bundleIdentifier << "from"
                                 << bundle;
        return *known;
    };

    switch (Platform::forEachRunningProcess(visit)) {
    case Platform::ProcessWalk::Stopped:
        return true;
    case Platform::ProcessWalk::Exhausted:
        return false;
    case Platform::ProcessWalk::Failed:
        qCInfo(lcProcesses) << "cannot list the running processes; assuming" << bundleIdentifier
                            << "is not running";
        return false;
    }
    return false;
}

} // namespace Glimmerpad
