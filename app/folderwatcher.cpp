#include "app/folderwatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <algorithm>

namespace Glimmerpad {

FolderWatcher::FolderWatcher(QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_burst.invalidate();
        if (m_held)
            m_missed = true;
        else
            Q_EMIT changed();
    });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::noticed);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FolderWatcher::noticed);
}

void FolderWatcher::setDelay(std::chrono::milliseconds delay, std::chrono::milliseconds longest)
{
    m_delay = delay;
    m_longest = longest;
}

void FolderWatcher::watch(const QString &snippetFolder, const QString &library)
{
    m_folder = snippetFolder;
    m_library = library;
    rewatch();
}

// A watch follows the folder it was given, not its path: when the path leads elsewhere (made,
// removed, replaced, a link switched), the watches are made again for what it leads to now.
void FolderWatcher::rewatch()
{
    const FileStamp now = fileStamp(m_folder);
    QStringList paths;
    if (now.size >= 0) {
        paths << m_folder;
    }
    // The folder above shows the folder itself replaced or removed; while it does not exist, the
    // nearest one above that does shows it being made.
    for (QString above = QFileInfo(m_folder).absolutePath(); !above.isEmpty(); above = QFileInfo(above).absolutePath()) {
        if (QFileInfo(above).isDir()) {
            paths << above;
            break;
        }
        if (above == QDir::rootPath())
            break;
    }
    if (!m_library.isEmpty())
        paths << m_library << QFileInfo(m_library).absolutePath();

    const bool moved = now.device != m_watchedFolder.device || now.inode != m_watchedFolder.inode;
    m_watchedFolder = now;
    QStringList watched = m_watcher->files() + m_watcher->directories();
    for (const QString &path : std::as_const(watched)) {
        if (!paths.contains(path) || (moved && path == m_folder))
            m_watcher->removePath(path);
    }
    watched = m_watcher->files() + m_watcher->directories();
    for (const QString &path : std::as_const(paths)) {
        if (!watched.contains(path) && QFileInfo::exists(path))
            m_watcher->addPath(path);
    }
}

void FolderWatcher::noticed()
{
    rewatch();
    // A stream of changes (an editor saving a file beside the snippets every moment) is told at
    // least every so often, rather than never.
    if (!m_burst.isValid())
        m_burst.start();
    const auto left = std::chrono::milliseconds(std::max<qint64>(m_longest.count() - m_burst.elapsed(), 0));
    m_timer->start(std::min(m_delay, left));
}

void FolderWatcher::hold(bool held)
{
    m_held = held;
    if (!held && std::exchange(m_missed, false))
        Q_EMIT changed();
}

} // namespace Glimmerpad
