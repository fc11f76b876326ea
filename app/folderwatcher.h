#pragma once

#include <QObject>
#include <QStringList>

#include <chrono>

class QFileSystemWatcher;
class QTimer;

namespace Glimmerpad {

// Tells when something changed in the watched files and folders (the user snippet folder, the
// system library and its folder), once a burst of changes (a checkout, an import, many saves) has
// ended, so that it is read once. While held, what changes is told when the hold ends.
class FolderWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit FolderWatcher(QObject *parent = nullptr);

    // How long the watcher waits for a burst of changes to end.
    void setDelay(std::chrono::milliseconds delay) { m_delay = delay; }
    // Watches the paths that exist and are not watched yet: a path removed and made again is
    // watched anew.
    void watch(const QStringList &paths);
    void hold(bool held);

Q_SIGNALS:
    void changed();

private:
    void noticed();

    QFileSystemWatcher *m_watcher;
    QTimer *m_timer;
    std::chrono::milliseconds m_delay{300};
    bool m_held = false;
    bool m_missed = false;
};

} // namespace Glimmerpad
