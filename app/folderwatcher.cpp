#include "app/folderwatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace Glimmerpad {

FolderWatcher::FolderWatcher(QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_held)
            m_missed = true;
        else
            Q_EMIT changed();
    });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::noticed);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FolderWatcher::noticed);
}

void FolderWatcher::watch(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (QFileInfo::exists(path) && !m_watcher->files().contains(path) && !m_watcher->directories().contains(path))
            m_watcher->addPath(path);
    }
}

void FolderWatcher::noticed()
{
    m_timer->start(m_delay);
}

void FolderWatcher::hold(bool held)
{
    m_held = held;
    if (!held && std::exchange(m_missed, false))
        Q_EMIT changed();
}

} // namespace Glimmerpad
