// The editor popover: filling it, editing, saving, reverting, help.
#include "app/rvappdelegate.h"

#include "app/editorpopover.h"
#include "app/elidedlabel.h"
#include "app/snippetlistmodel.h"
#include "app/snippettextedit.h"
#include "chrome/rvwindow.h"

#include <QButtonGroup>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QListView>
#include <QPushButton>

namespace Glimmerpad {

static constexpr qreal kDisabledHeaderOpacity = 0.6;
static constexpr int kPopoverIconSize = 32;

int RVAppDelegate::onOffSelectedSegment() const
{
    return m_ui.onOffSegmentedControl->checkedId();
}

void RVAppDelegate::setOnOffSelectedSegment(int segment)
{
    if (QAbstractButton *button = m_ui.onOffSegmentedControl->button(segment))
        button->setChecked(true);
}

void RVAppDelegate::showPopover()
{
    const int row = selectedRow();
    if (row >= 0) {
        setSelectedSnippet(m_catalogue.recordAtRow(row));
        togglePopoverFromRect(visiblePartOfRow(row));
    }
    // The list keeps the keyboard while the popover is open.
    m_ui.tableView->setFocus(Qt::OtherFocusReason);
}

void RVAppDelegate::togglePopoverFromRect(const QRect &rect)
{
    // Despite the name it only ever shows: closing is the Done button's and the list's business.
    m_ui.popover->setAnimates(true);
    m_ui.popover->showRelativeToRect(rect, m_ui.tableView->viewport(), Qt::LeftEdge, titleBarGlobalRect());
    updateActions();
}

void RVAppDelegate::setSelectedSnippet(const SnippetRecord &snippet)
{
    m_selectedSnippet = snippet;
    updatePopoverContents();
}

void RVAppDelegate::updatePopoverContents()
{
    m_shownState = m_catalogue.stateOf(m_selectedSnippet);
    const SnippetRecord &shown = m_shownState.shown;
    const bool disabled = m_shownState.disabled;
    const QIcon icon =
        m_shownState.overridden ? SnippetListModel::userSnippetIcon() : SnippetListModel::systemSnippetIcon();

    m_ui.popoverImage->setPixmap(icon.pixmap(kPopoverIconSize, kPopoverIconSize));
    m_ui.popoverTitle->setText(shown.title().value_or(QString()));
    m_ui.codeSnippetContents->setPlainText(shown.contents().value_or(QString()));
    m_ui.codeSnippetCompletionPrefix->setText(shown.completionPrefix().value_or(QString()));

    setOnOffSelectedSegment(disabled ? 1 : 0);
    if (auto *effect = qobject_cast<QGraphicsOpacityEffect *>(m_ui.headerContainer->graphicsEffect()))
        effect->setOpacity(disabled ? kDisabledHeaderOpacity : 1.0);

    m_ui.changedOnDiskLabel->hide();
    // After the text: replacing it counts as an edit.
    m_selectedSnippetIsDirty = false;
    m_ui.codeSnippetContents->document()->clearUndoRedoStacks();
    setEditing(false);
}

// Viewing shows the text read-only; editing lets the keyboard and mouse change it, with the Edit
// button held down.
void RVAppDelegate::setEditing(bool editing)
{
    m_ui.codeSnippetContents->setEditing(editing);
    m_ui.editButton->setChecked(editing);
    updateActions();
}

bool RVAppDelegate::isEditing() const
{
    return !m_ui.codeSnippetContents->isReadOnly();
}

void RVAppDelegate::toggleSnippetVisibility()
{
    saveSnippet();
}

void RVAppDelegate::editButtonClicked()
{
    const bool wasEditing = isEditing();
    setEditing(!wasEditing);
    if (!wasEditing) {
        // Typing goes to the text from here, also when editing began from the keyboard in the list.
        m_ui.popover->activateWindow();
        m_ui.codeSnippetContents->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_selectedSnippetIsDirty)
        saveSnippet();
}

void RVAppDelegate::doneButtonClicked()
{
    // A failed save leaves the popover open with the text, rather than hiding the only copy.
    if (m_selectedSnippetIsDirty && !saveSnippet())
        return;
    m_selectedSnippetIsDirty = false;
    m_ui.popover->close();
}

bool RVAppDelegate::saveSnippet()
{
    const int row = selectedRow();
    const bool disable = onOffSelectedSegment() == 1;
    // Switching the shortcut without typing writes the body as stored: the editor's rendering of
    // it would turn no-break spaces into spaces and carriage returns into line feeds.
    const std::optional<QString> contents =
        m_selectedSnippetIsDirty ? std::optional(m_ui.codeSnippetContents->typedText()) : m_shownState.shown.contents();
    const ChangeResult result = overrideSystemCodeSnippetAtIndex(row, disable, contents, m_shownState.snapshot);
    if (result.succeeded())
        return true;
    if (result.status == ChangeResult::Status::ChangedOnDisk) {
        keepEditingAfterFailedSave();
        reportChangedOnDisk();
        return false;
    }
    if (m_selectedSnippetIsDirty || isEditing())
        keepEditingAfterFailedSave();
    else
        updatePopoverContents(); // nothing typed to keep: show what is on disk
    //% "The snippet could not be saved."
    reportFailure(qtTrId("save_failed_title"), result);
    return false;
}

// The text stays as typed and the editor stays open, so nothing is lost; a switch of the shortcut
// that was not saved goes back to what the popover shows.
void RVAppDelegate::keepEditingAfterFailedSave()
{
    if (!m_selectedSnippetIsDirty && !isEditing())
        setOnOffSelectedSegment(m_shownState.disabled ? 1 : 0);
    else
        setEditing(true);
}

void RVAppDelegate::textStorageDidProcessEditing()
{
    m_selectedSnippetIsDirty = true;
}

void RVAppDelegate::revertMenuAction()
{
    if (selectedRows().size() > 1)
        revertRows(selectedRows());
    else
        revertRow(selectedRow());
}

void RVAppDelegate::revertRow(int row)
{
    const ChangeResult result = removeUserCodeSnippetAtIndex(row);
    if (result.status == ChangeResult::Status::Failed) {
        //% "The snippet could not be reverted."
        reportFailure(qtTrId("revert_failed_title"), result);
    }
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
    const SnippetRecord asked = m_selectedSnippet;
    m_interaction.beginQuestionSheet(m_ui.window, title, message, reload, keep, [this, asked](bool reloadIt) {
        if (!reloadIt || !asked.isSameRecord(m_selectedSnippet))
            return;
        parseUserCodeSnippets();
        updatePopoverContents();
    });
}

void RVAppDelegate::reportFailure(const QString &what, const ChangeResult &result)
{
    //% "OK"
    m_interaction.beginSheet(m_ui.window, RVSheet::Icon::Warning, what, result.reason, qtTrId("failure_sheet_button"));
}

} // namespace Glimmerpad
