// The snippet list: loading the catalogue into it, selection, scrolling, the search and the views,
// and live refresh from what other programs change on disk.
#include "app/rvappdelegate.h"

#include "app/snippetlistmodel.h"
#include "chrome/rvwindow.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>

namespace Glimmerpad {

void RVAppDelegate::parseSystemCodeSnippets()
{
    const std::optional<QString> path = xcodePath();
    if (!path)
        return;
    m_xcodeAppPath = *path;
    m_catalogue.parseSystemCodeSnippets(*path);
    m_libraryStamp = fileStamp(m_catalogue.systemCodeSnippetsPath());
    m_mainWindow.listModel()->reloadData();
}

void RVAppDelegate::parseUserCodeSnippets()
{
    m_catalogue.parseUserCodeSnippets();
    // Only the selected row can have changed its icon, title or dimming.
    m_mainWindow.listModel()->reloadRow(selectedRow());
    updateActions();
}

void RVAppDelegate::tableViewSelectionDidChange()
{
    // Another row never drops what was typed for the snippet in the popover: asked first, and
    // Cancel puts the highlight back on it.
    const QList<SnippetRecord> highlighted = m_mainWindow.highlightedSnippets();
    const SnippetRecord edited = m_editor.snippet();
    const bool stays = highlighted.size() == 1 && highlighted.first().isSameRecord(edited);
    if (m_editor.isShown() && m_editor.hasUnsavedText() && !stays) {
        askAboutTypedText([this] { applySelection(); },
                          [this, edited] {
                              m_mainWindow.setHighlight({edited}, edited);
                              updateActions();
                          });
        return;
    }
    applySelection();
}

void RVAppDelegate::applySelection()
{
    // With several rows highlighted the popover closes; the current one is remembered for the
    // next start.
    const int row = selectedRow();
    const bool several = selectedRows().size() > 1;
    m_settings.setValue(kUserSelectedRowKey, several ? m_mainWindow.currentRow() : row);
    if (row < 0)
        m_editor.close();
    else
        QTimer::singleShot(0, this, &RVAppDelegate::showPopover);
    updateActions();
}

void RVAppDelegate::scrollViewContentBoundsDidChange()
{
    repositionPopover();
}

// Keeps an open popover beside its row when the list scrolls or the window moves or is resized.
// Out of sight (scrolled or resized away, or hidden by the search) it closes, unless it holds
// text not saved: then it stays where it is.
void RVAppDelegate::repositionPopover()
{
    if (!m_editor.isShown())
        return;
    int row = selectedRow();
    if (!m_catalogue.recordAtRow(row).isSameRecord(m_editor.snippet()))
        row = static_cast<int>(m_catalogue.rowsOf({m_editor.snippet()}).first());
    if (row < 0 || m_mainWindow.rowIsOutOfView(row)) {
        if (!m_editor.hasUnsavedText())
            m_editor.close();
        return;
    }
    m_editor.showBeside(m_mainWindow.visiblePartOfRow(row), m_mainWindow.tableView()->viewport(),
                        m_mainWindow.headerGlobalRect());
}

void RVAppDelegate::controlTextDidChange()
{
    // A popover holding text not saved stays open, wherever its snippet goes.
    if (!m_editor.hasUnsavedText())
        m_editor.close();
    // The filter keeps the table's selection as it is (and writes no setting).
    m_mainWindow.reloadKeepingHighlight([this] { m_catalogue.filterSystemCodeSnippets(m_mainWindow.currentFilter()); });
    repositionPopover();
    updateActions();
}

void RVAppDelegate::find()
{
    m_mainWindow.window()->activateWindow(); // Find may come from the popover's window
    m_mainWindow.searchField()->setFocus(Qt::ShortcutFocusReason);
    m_mainWindow.searchField()->selectAll();
}

QList<std::pair<QAction *, QString>> RVAppDelegate::viewChoices() const
{
    const MainWindow::Actions &actions = m_mainWindow.actions();
    return {{actions.showChangedOnly, kShowChangedOnlyKey},
            {actions.needsAttention, kNeedsAttentionKey},
            {actions.showClashes, kShowClashesKey},
            {actions.searchBodies, kSearchBodiesKey}};
}

void RVAppDelegate::chooseLanguage(int index)
{
    m_settings.setValue(kLanguageKey, index > 0 ? m_mainWindow.languageChoice()->itemData(index).toString() : QString());
    controlTextDidChange();
}

// "All Languages", then the languages the library's snippets are written in; the choice of the
// last run again when the library still has it.
void RVAppDelegate::fillLanguageChoice()
{
    m_mainWindow.fillLanguageChoice(m_catalogue.systemLanguages(), m_settings.value(kLanguageKey).toString());
}

// ---- live refresh ---------------------------------------------------------------------------

// The folder tells of snippet files made, removed or renamed; the library's folder of a library
// replaced by a rename, which ends the watch on the file itself.
void RVAppDelegate::watchFiles()
{
    m_watcher.watch(m_catalogue.userCodeSnippetsDirectory(), m_catalogue.systemCodeSnippetsPath());
}

void RVAppDelegate::refreshFromDisk()
{
    // Our own saves, the lock file and a save's temporary file show in the folder too; only
    // snippet files whose stamps changed are read, and when none did there is nothing to do.
    const bool libraryChanged =
        !m_xcodeAppPath.isEmpty() && m_libraryStamp != fileStamp(m_catalogue.systemCodeSnippetsPath());
    const bool userFilesChanged = m_catalogue.refreshUserCodeSnippets();
    if (!libraryChanged && !userFilesChanged)
        return;
    // What the user looks at is kept by what it is, not by where it stood; the popover keeps its
    // own snippet.
    const QList<SnippetRecord> library = m_catalogue.systemCodeSnippets();
    const int scroll = m_mainWindow.tableView()->verticalScrollBar()->value();
    const QList<SnippetRecord> kept = m_mainWindow.reloadKeepingHighlight([&] {
        if (libraryChanged) {
            m_catalogue.parseSystemCodeSnippets(m_xcodeAppPath);
            m_libraryStamp = fileStamp(m_catalogue.systemCodeSnippetsPath());
        }
        m_catalogue.filterSystemCodeSnippets(m_mainWindow.currentFilter());
    });
    m_mainWindow.tableView()->verticalScrollBar()->setValue(scroll);
    if (libraryChanged) {
        watchFiles(); // a library replaced by a rename is watched anew
        fillLanguageChoice();
    }

    if (m_editor.isShown()) {
        const bool inLibrary = m_editor.followLibrary(library);
        const bool listed = std::any_of(kept.cbegin(), kept.cend(),
                                        [this](const SnippetRecord &s) { return s.isSameRecord(m_editor.snippet()); });
        const bool changedOnDisk = !inLibrary || m_catalogue.stateOf(m_editor.snippet()).snapshot != m_editor.shownState().snapshot;
        if (m_editor.holdsTypedText()) {
            // Text in hand stays, wherever its snippet went; a save will meet the change made elsewhere.
            if (changedOnDisk)
                m_editor.showChangedOnDisk();
        } else if (!listed) {
            m_editor.close(); // its snippet is gone from the list
        } else {
            m_editor.updateContents(); // what is on disk now
        }
        repositionPopover();
    }
    updateActions();
    Q_EMIT refreshedFromDisk();
}

} // namespace Glimmerpad
