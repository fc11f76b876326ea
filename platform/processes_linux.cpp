#include "platform/processes.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>

#include <dirent.h>
#include <unistd.h>

namespace Glimmerpad::Platform {

namespace {

struct DirCloser
{
    void operator()(DIR *dir) const noexcept { closedir(dir); }
};

// A /proc entry names a process only when it is all digits.
qint64 pidOfEntry(const char *name)
{
    qint64 pid = 0;
    if (*name == '\0')
        return 0;
    for (const char *c = name; *c; ++c) {
        if (*c < '0' || *c > '9' || pid > (std::numeric_limits<qint64>::max() - 9) / 10)
            return 0;
        pid = pid * 10 + (*c - '0');
    }
    return pid;
}

// The target of a link; empty when it cannot be read.
QByteArray linkTarget(const QByteArray &link)
{
    QByteArray target(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t length =
            ::readlink(link.constData(), target.data(), static_cast<size_t>(target.size()));
        if (length < 0)
            return {};
        if (length < target.size()) {
            target.truncate(length);
            break;
        }
        // The target may have been cut short: retry with room to spare.
        if (target.size() >= (1 << 20))
            return {};
        target.resize(target.size() * 2);
    }
    return target;
}

// The target of /proc/PID/exe; empty when the process is gone, belongs to another user we may
// not look into, or is a kernel thread (no executable at all).
QString executableOfProcess(qint64 pid)
{
    QByteArray target = linkTarget("/proc/" + QByteArray::number(pid) + "/exe");
    if (target.isEmpty())
        return {};
    // The kernel marks an executable that was replaced or removed after it started; the process
    // still runs what was at the original path, which is what the caller asks about.
    static constexpr QByteArrayView deleted = " (deleted)";
    if (target.endsWith(deleted))
        target.chop(deleted.size());
    return QFile::decodeName(target);
}

// The first two arguments of the process's command line that are paths, made absolute against
// its working folder. A program started through a link has the link's path as its first argument;
// a script runs as its interpreter with the script's path as the second.
QStringList commandPathsOfProcess(qint64 pid)
{
    const QByteArray proc = "/proc/" + QByteArray::number(pid);
    QFile cmdline(QFile::decodeName(proc + "/cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    static constexpr qint64 kMaxCommandBytes = 64 * 1024; // two paths fit well within it
    const QList<QByteArray> arguments = cmdline.read(kMaxCommandBytes).split('\0');
    QByteArray workingFolder;
    QStringList paths;
    for (qsizetype i = 0; i < std::min<qsizetype>(arguments.size(), 2); ++i) {
        const QByteArray &argument = arguments[i];
        if (!argument.contains('/'))
            continue; // a name looked up in PATH, or an option: no path to tell
        if (argument.startsWith('/')) {
            paths.append(QFile::decodeName(argument));
            continue;
        }
        if (workingFolder.isNull())
            workingFolder = linkTarget(proc + "/cwd");
        if (!workingFolder.isEmpty())
            paths.append(QFile::decodeName(workingFolder + '/' + argument));
    }
    return paths;
}

} // namespace

ProcessWalk forEachRunningProcess(const std::function<bool(const RunningProcess &)> &visit)
{
    QList<qint64> pids;
    {
        const std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
        if (!proc)
            return ProcessWalk::Failed;
        for (;;) {
            errno = 0;
            const dirent *entry = ::readdir(proc.get());
            if (!entry) {
                if (errno != 0)
                    return ProcessWalk::Failed;
                break;
            }
            if (const qint64 pid = pidOfEntry(entry->d_name); pid > 0)
                pids.append(pid);
        }
    }
    std::sort(pids.begin(), pids.end());

    for (const qint64 pid : std::as_const(pids)) {
        RunningProcess process{pid, executableOfProcess(pid), commandPathsOfProcess(pid)};
        if (process.executablePath.isEmpty() && process.commandPaths.isEmpty())
            continue;
        if (visit(process))
            return ProcessWalk::Stopped;
    }
    return ProcessWalk::Exhausted;
}

QString applicationBundleOfExecutable(const QString &executablePath)
{
    static constexpr QLatin1StringView marker(".app/Contents/MacOS/");
    const qsizetype at = executablePath.lastIndexOf(marker);
    if (at < 0)
        return {};
    // "/.app" has no name, and the folder alone is not an executable inside it.
    if (at == 0 || executablePath.at(at - 1) == u'/' || at + marker.size() == executablePath.size())
        return {};
    return executablePath.left(at + QLatin1StringView(".app").size());
}

} // namespace Glimmerpad::Platform
