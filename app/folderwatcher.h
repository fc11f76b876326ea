#pragma once

#include "catalogue/boundedfile.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>

class QFileSystemWatcher;
class QTimer;

namespace Glimmerpad {

// Tells when something changed in the user snippet folder or the system library: once a burst of
// changes (a checkout, an import, many saves) has ended, and at least every second while one goes
// on. The folder is watched through its path: one that is replaced, made or removed (a link put in
// its place, another folder moved in) is watched anew. While held, what changes is told when the
// hold ends.
class FolderWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit FolderWatcher(QObject *parent = nullptr);

    // How long the watcher waits for a burst of changes to end, and at most from its first change.
    void setDelay(std::chrono::milliseconds delay, std::chrono::milliseconds longest = std::chrono::seconds(1));
    // Watches the snippet folder (or, while it does not exist, the nearest folder above it that does)
    // and the library with the folder that holds it.
    void watch(const QString &snippetFolder, const QString &library);
    void hold(bool held);

Q_SIGNALS:
    void changed();

private:
    void noticed();
    void rewatch();

    QFileSystemWatcher *m_watcher;
    QTimer *m_timer;
    QElapsedTimer m_burst; // since the first change not yet told
    std::chrono::milliseconds m_delay{300};
    std::chrono::milliseconds m_longest{1000};
    QString m_folder;
    QString m_library;
    FileStamp m_watchedFolder; // what the folder's path led to when it was watched
    bool m_held = false;
    bool m_missed = false;
};

} // namespace Glimmerpad
