// Live refresh: the user snippet folder and the system library are watched, and the list follows
// what other programs (Xcode, glimmerpad-cli, a checkout into a linked folder) change there.
#include "app/rvappdelegate.h"

#include "app/editorpopover.h"
#include "app/snippetlistmodel.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QTimer>

namespace Glimmerpad {

void RVAppDelegate::startWatchingFiles()
{
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        m_refreshTimer = new QTimer(this);
        m_refreshTimer->setSingleShot(true);
        connect(m_refreshTimer, &QTimer::timeout, this, &RVAppDelegate::refreshFromDisk);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &RVAppDelegate::scheduleRefresh);
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &RVAppDelegate::scheduleRefresh);
    }
    // The folder tells of snippet files made, removed or renamed; the library's folder of a library
    // replaced by a rename, which ends the watch on the file itself.
    const QString library = m_catalogue.systemCodeSnippetsPath();
    QStringList paths{m_catalogue.userCodeSnippetsDirectory()};
    if (!library.isEmpty())
        paths << library << QFileInfo(library).absolutePath();
    for (const QString &path : std::as_const(paths)) {
        if (QFileInfo::exists(path) && !m_watcher->files().contains(path) && !m_watcher->directories().contains(path))
            m_watcher->addPath(path);
    }
}

// A burst of changes (a checkout, an import, many saves) is read once, when it has ended.
void RVAppDelegate::scheduleRefresh()
{
    m_refreshTimer->start(m_refreshDelay);
}

void RVAppDelegate::refreshFromDisk()
{
    // What the user looks at is kept by what it is, not by where it stood.
    QList<Identifier> highlighted;
    for (const int row : selectedRows())
        highlighted.append(m_catalogue.recordAtRow(row).identifier());
    const Identifier current = m_catalogue.recordAtRow(m_ui.tableView->currentIndex().row()).identifier();
    const int scroll = m_ui.tableView->verticalScrollBar()->value();

    const QString library = m_catalogue.systemCodeSnippetsPath();
    const bool libraryChanged = m_libraryStamp != fileStamp(library);
    // Our own saves, the lock file and a save's temporary file show in the folder too; when no
    // snippet file changed there is nothing to read.
    if (!libraryChanged && m_catalogue.userFolderUnchangedSinceReading()) {
        startWatchingFiles();
        return;
    }
    if (libraryChanged && !m_xcodeAppPath.isEmpty()) {
        m_catalogue.parseCodeSnippets(m_xcodeAppPath);
        m_libraryStamp = fileStamp(library);
        fillLanguageChoice();
    } else {
        m_catalogue.parseUserCodeSnippets();
    }
    m_catalogue.filterSystemCodeSnippets(currentFilter());
    m_ui.listModel->reloadData();

    const QList<int> rows = rowsOfIdentifiers(highlighted);
    restoreSelection(rows, current ? static_cast<int>(m_catalogue.rowOfIdentifier(*current)) : -1);
    m_ui.tableView->verticalScrollBar()->setValue(scroll);
    startWatchingFiles(); // paths removed and made again are watched anew

    if (rows.isEmpty()) {
        m_ui.popover->close(); // its snippet is gone from the list
    } else if (m_ui.popover->isShown()) {
        // Not being edited: it shows what is on disk now. Being edited: the text stays, and the
        // popover says that a save will meet a change made elsewhere.
        if (!m_selectedSnippetIsDirty && !isEditing())
            updatePopoverContents();
        else if (m_catalogue.stateOf(m_selectedSnippet).snapshot != m_shownState.snapshot)
            m_ui.changedOnDiskLabel->show();
    }
    updateActions();
    Q_EMIT refreshedFromDisk();
}

} // namespace Glimmerpad
