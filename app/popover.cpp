// The editor popover: showing it, editing, saving, reverting, comparing, help. The snippet it
// shows and the text in it belong to the editing session; a save writes that snippet.
#include "app/rvappdelegate.h"

#include "app/comparedialog.h"
#include "app/editorpopover.h"
#include "app/snippettextedit.h"
#include "catalogue/linediff.h"

#include <QListView>

namespace Glimmerpad {

void RVAppDelegate::showPopover()
{
    const int row = selectedRow();
    if (row >= 0) {
        setSelectedSnippet(m_catalogue.recordAtRow(row));
        togglePopoverFromRect(m_mainWindow.visiblePartOfRow(row));
    }
    // The list keeps the keyboard while the popover is open.
    m_mainWindow.tableView()->setFocus(Qt::OtherFocusReason);
}

void RVAppDelegate::togglePopoverFromRect(const QRect &rect)
{
    // Despite the name it only ever shows: closing is the Done button's and the list's business.
    m_editor.popover()->setAnimates(true);
    m_editor.showBeside(rect, m_mainWindow.tableView()->viewport(), m_mainWindow.titleBarGlobalRect());
    updateActions();
}

void RVAppDelegate::setSelectedSnippet(const SnippetRecord &snippet)
{
    m_editor.setSnippet(snippet);
    updateActions();
}

void RVAppDelegate::updatePopoverContents()
{
    m_editor.updateContents();
    updateActions();
}

void RVAppDelegate::toggleSnippetVisibility()
{
    saveSnippet();
}

void RVAppDelegate::editButtonClicked()
{
    const bool wasEditing = m_editor.isEditing();
    m_editor.setEditing(!wasEditing);
    updateActions();
    if (!wasEditing) {
        // Typing goes to the text from here, also when editing began from the keyboard in the list.
        m_editor.popover()->activateWindow();
        m_editor.contentsView()->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_editor.isDirty())
        saveSnippet();
}

void RVAppDelegate::doneButtonClicked()
{
    // A failed save leaves the popover open with the text, rather than hiding the only copy.
    if (m_editor.isDirty() && !saveSnippet())
        return;
    m_editor.setDirty(false);
    m_editor.close();
}

bool RVAppDelegate::saveSnippet()
{
    const ChangeResult result = m_changes.apply(m_editor.changeToSave());
    if (result.succeeded()) {
        updatePopoverContents();
        return true;
    }
    if (result.status == ChangeResult::Status::ChangedOnDisk) {
        m_editor.keepEditingAfterFailedSave();
        reportChangedOnDisk();
        return false;
    }
    if (m_editor.holdsTypedText())
        m_editor.keepEditingAfterFailedSave();
    else
        updatePopoverContents(); // nothing typed to keep: show what is on disk
    //% "The snippet could not be saved."
    reportFailure(qtTrId("save_failed_title"), result);
    return false;
}

void RVAppDelegate::textStorageDidProcessEditing()
{
    m_editor.setDirty(true);
}

void RVAppDelegate::revertMenuAction()
{
    revertSnippets(m_mainWindow.highlightedSnippets());
}

void RVAppDelegate::revertSnippet(const SnippetRecord &systemSnippet)
{
    const ChangeResult result = m_changes.apply(SnippetChange::revert(systemSnippet));
    // The popover shows what is now on disk when it shows the reverted snippet; another snippet's
    // text, typed or not, stays.
    if (result.status == ChangeResult::Status::Done && systemSnippet.isSameRecord(m_editor.snippet()))
        updatePopoverContents();
    if (result.status == ChangeResult::Status::Failed) {
        //% "The snippet could not be reverted."
        reportFailure(qtTrId("revert_failed_title"), result);
    }
}

bool RVAppDelegate::canRevertToStandardSnippet() const
{
    return m_catalogue.canRevertToStandardSnippet(m_editor.snippet());
}

void RVAppDelegate::showHelp()
{
    m_interaction.openUrl(QUrl(kHelpUrl));
}

void RVAppDelegate::reportChangedOnDisk()
{
    //% "The snippet was changed outside Glimmerpad."
    const QString title = qtTrId("changed_on_disk_title");
    //% "Another program changed this snippet after Glimmerpad showed it, so your change was not saved. Reload shows what is on disk now and gives up your unsaved change; copy your text first to keep it."
    const QString message = qtTrId("changed_on_disk_message");
    //% "Reload"
    const QString reload = qtTrId("changed_on_disk_reload");
    //% "Keep Editing"
    const QString keep = qtTrId("changed_on_disk_keep");
    const SnippetRecord asked = m_editor.snippet();
    m_interaction.beginQuestionSheet(m_mainWindow.window(), title, message, reload, keep, [this, asked](bool reloadIt) {
        if (!reloadIt || !asked.isSameRecord(m_editor.snippet()))
            return;
        m_catalogue.refreshUserCodeSnippets();
        m_mainWindow.reloadRowsOf({asked});
        updatePopoverContents();
    });
}

void RVAppDelegate::compareWithStandard()
{
    if (!m_editor.isShown() || !m_editor.shownState().overridden)
        return;
    // The text as the popover shows it, typed changes included: what a save would write.
    QString error;
    const std::optional<QList<DiffLine>> lines =
        lineDiff(m_editor.snippet().contents().value_or(QString()), m_editor.bodyToSave(), -1, &error);
    if (!lines) {
        //% "Cannot Compare"
        const QString title = qtTrId("compare_failed_title");
        //% "The differences could not be worked out: %1"
        const QString message = qtTrId("compare_failed_message").arg(error);
        m_interaction.beginSheet(m_mainWindow.window(), RVSheet::Icon::Warning, title, message,
                                 qtTrId("failure_sheet_button"));
        return;
    }
    auto *dialog = new CompareDialog(m_mainWindow.window(), m_editor.shownState().shown.title().value_or(QString()), *lines);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

} // namespace Glimmerpad
