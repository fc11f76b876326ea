// The snippet list: loading the catalogue into it, selection, scrolling, changes and search.
#include "app/rvappdelegate.h"

#include "app/editorpopover.h"
#include "app/snippetlistmodel.h"
#include "chrome/rvwindow.h"

#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>

#include <algorithm>

namespace Glimmerpad {

void RVAppDelegate::parseSystemCodeSnippets()
{
    const std::optional<QString> path = xcodePath();
    if (!path)
        return;
    m_xcodeAppPath = *path;
    m_catalogue.parseSystemCodeSnippets(*path);
    m_libraryStamp = fileStamp(m_catalogue.systemCodeSnippetsPath());
    m_ui.listModel->reloadData();
}

void RVAppDelegate::parseUserCodeSnippets()
{
    m_catalogue.parseUserCodeSnippets();
    reloadSelectedRow();
}

void RVAppDelegate::reloadSelectedRow()
{
    // Only the selected row can have changed its icon, title or dimming.
    m_ui.listModel->reloadRow(selectedRow());
    updateActions();
}

int RVAppDelegate::selectedRow() const
{
    const QModelIndexList rows = m_ui.tableView->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

QList<int> RVAppDelegate::selectedRows() const
{
    QList<int> rows;
    const QModelIndexList selected = m_ui.tableView->selectionModel()->selectedRows();
    for (const QModelIndex &index : selected)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Puts back the highlighted rows and the current one after the list was reloaded, without
// telling anyone: nothing the user chose changed.
QList<int> RVAppDelegate::rowsOfIdentifiers(const QList<Identifier> &identifiers) const
{
    QList<int> rows;
    for (const Identifier &identifier : identifiers) {
        if (const qsizetype row = identifier ? m_catalogue.rowOfIdentifier(*identifier) : -1; row >= 0)
            rows.append(static_cast<int>(row));
    }
    return rows;
}

void RVAppDelegate::restoreSelection(const QList<int> &rows, int current)
{
    QItemSelectionModel *selection = m_ui.tableView->selectionModel();
    const QSignalBlocker blocker(selection);
    QItemSelection restored;
    for (const int row : rows) {
        if (row >= 0 && row < m_ui.listModel->rowCount())
            restored.select(m_ui.listModel->index(row), m_ui.listModel->index(row));
    }
    if (current >= 0 && current < m_ui.listModel->rowCount())
        selection->setCurrentIndex(m_ui.listModel->index(current), QItemSelectionModel::NoUpdate);
    selection->select(restored, QItemSelectionModel::ClearAndSelect);
    m_ui.tableView->viewport()->update();
}

QRect RVAppDelegate::rectOfRow(int row) const
{
    if (row < 0 || row >= m_ui.listModel->rowCount())
        return {};
    QRect visual = m_ui.tableView->visualRect(m_ui.listModel->index(row));
    visual.translate(m_ui.tableView->horizontalScrollBar()->value(), m_ui.tableView->verticalScrollBar()->value());
    return visual;
}

ChangeResult RVAppDelegate::overrideSystemCodeSnippetAtIndex(qsizetype index, bool disableShortcut,
                                                             const std::optional<QString> &userSnippetContents,
                                                             const std::optional<OverrideSnapshot> &expected)
{
    const ChangeResult result =
        m_catalogue.overrideSystemCodeSnippetAtIndex(index, disableShortcut, userSnippetContents, expected);
    if (index < 0 || index >= m_catalogue.rowCount())
        return result; // no such row: nothing was written or read again
    reloadSelectedRow();
    // After a failed write the popover keeps the user's text: refilling it from disk would
    // throw the edits away.
    if (result.succeeded())
        updatePopoverContents();
    // Only a file written can make a running Xcode out of date; a failed save has its own message.
    if (result.status == ChangeResult::Status::Done && !m_xcodeAlertShown)
        QTimer::singleShot(m_xcodeCheckDelay, this, &RVAppDelegate::checkForXcodeProcess);
    return result;
}

ChangeResult RVAppDelegate::removeUserCodeSnippetAtIndex(qsizetype index)
{
    const Identifier reverted = m_catalogue.recordAtRow(index).identifier();
    const ChangeResult result = m_catalogue.removeUserCodeSnippetAtIndex(index);
    // A failure can come after other files with the identifier went: the list shows what the
    // folder holds, but the popover stays as it was, keeping whatever was typed in it.
    if (result.status == ChangeResult::Status::Done || result.status == ChangeResult::Status::Failed) {
        m_ui.listModel->reloadRow(static_cast<int>(index)); // the row may be another than the highlighted one
        reloadSelectedRow();
    }
    // The popover shows what is now on disk when it shows the reverted snippet; another snippet's
    // text, typed or not, stays.
    if (result.status == ChangeResult::Status::Done && reverted && m_selectedSnippet.identifier() == reverted)
        updatePopoverContents();
    return result;
}

bool RVAppDelegate::rowIsOverridden(int row) const
{
    return row >= 0 && row < m_catalogue.rowCount() && m_catalogue.stateOf(m_catalogue.recordAtRow(row)).overridden;
}

bool RVAppDelegate::canRevertToStandardSnippet() const
{
    return m_catalogue.canRevertToStandardSnippet(m_selectedSnippet);
}

void RVAppDelegate::tableViewSelectionDidChange()
{
    // With several rows highlighted the popover closes; the current one is remembered for the
    // next start.
    const int row = selectedRow();
    const bool several = selectedRows().size() > 1;
    m_settings.setValue(kUserSelectedRowKey, several ? m_ui.tableView->currentIndex().row() : row);
    if (row < 0)
        m_ui.popover->close();
    else
        QTimer::singleShot(0, this, &RVAppDelegate::showPopover);
    updateActions();
}

bool RVAppDelegate::selectedRowIsOutOfView() const
{
    const qreal scrollY = m_ui.tableView->verticalScrollBar()->value();
    const qreal visibleHeight = m_ui.tableView->viewport()->height();
    const QRect row = rectOfRow(selectedRow());
    // Strict on both sides: a row touching an edge still counts as visible.
    return scrollY > row.y() + row.height() || row.y() - scrollY > visibleHeight;
}

void RVAppDelegate::scrollViewContentBoundsDidChange()
{
    if (selectedRowIsOutOfView())
        m_ui.popover->close();
    else
        repositionPopover();
}

// Keeps an open popover beside its row when the list scrolls or the window moves or is resized;
// a resize can hide the row as scrolling does, and then the popover closes the same way.
void RVAppDelegate::repositionPopover()
{
    if (!m_ui.popover->isShown())
        return;
    const int row = selectedRow();
    if (row < 0)
        return;
    if (selectedRowIsOutOfView()) {
        m_ui.popover->close();
        return;
    }
    m_ui.popover->showRelativeToRect(visiblePartOfRow(row), m_ui.tableView->viewport(), Qt::LeftEdge,
                                     titleBarGlobalRect());
}

// What the arrow points at: the row's stretch inside the list, not what is scrolled under the
// search field or below the window.
QRect RVAppDelegate::visiblePartOfRow(int row) const
{
    const QRect whole = m_ui.tableView->visualRect(m_ui.listModel->index(row));
    const int bottom = m_ui.tableView->viewport()->height();
    const int top = std::clamp(whole.top(), 0, bottom);
    return QRect(whole.left(), top, whole.width(), std::clamp(whole.bottom() + 1, top, bottom) - top);
}

QRect RVAppDelegate::titleBarGlobalRect() const
{
    const QWidget *titleBar = m_ui.window->titleBarView();
    return titleBar ? QRect(titleBar->mapToGlobal(QPoint()), titleBar->size()) : QRect();
}

void RVAppDelegate::controlTextDidChange()
{
    m_ui.popover->close();
    // Reloading a Qt view drops its selection and its current row; the filter keeps the table's
    // selection as it is (and writes no setting), so the same row is selected and current again
    // without notifying anyone, and the arrow keys go on from it.
    const QList<int> rows = selectedRows();
    const int current = m_ui.tableView->currentIndex().row();
    m_catalogue.filterSystemCodeSnippets(currentFilter());
    m_ui.listModel->reloadData();
    restoreSelection(rows, rows.size() == 1 ? rows.first() : current);
    updateActions();
}

void RVAppDelegate::find()
{
    m_ui.window->activateWindow(); // Find may come from the popover's window
    m_ui.searchField->setFocus(Qt::ShortcutFocusReason);
    m_ui.searchField->selectAll();
}

} // namespace Glimmerpad
