// The editor popover: showing it, editing, saving, reverting, comparing, help. The snippet it
// shows and the text in it belong to the editing session; a save writes that snippet.
#include "app/rvappdelegate.h"

#include "app/comparewindow.h"
#include "app/editorpopover.h"
#include "app/snippettextedit.h"
#include "catalogue/linediff.h"

#include <QListView>
#include <QScreen>
#include <QSettings>

namespace Glimmerpad {

void RVAppDelegate::showPopover()
{
    const int row = selectedRow();
    if (row >= 0 && !m_changes.isRunning()) {
        // The snippet already open keeps what was typed for it.
        const SnippetRecord snippet = m_catalogue.recordAtRow(row);
        if (!(m_editor.isShown() && m_editor.holdsTypedText() && snippet.isSameRecord(m_editor.snippet())))
            setSelectedSnippet(snippet);
        togglePopoverFromRect(m_mainWindow.visiblePartOfRow(row));
    }
    // The list keeps the keyboard while the popover is open.
    m_mainWindow.tableView()->setFocus(Qt::OtherFocusReason);
}

void RVAppDelegate::togglePopoverFromRect(const QRect &rect)
{
    // Despite the name it only ever shows: closing is the Done button's and the list's business.
    m_editor.popover()->setAnimates(true);
    m_editor.showBeside(rect, m_mainWindow.tableView()->viewport(), m_mainWindow.headerGlobalRect());
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
    // Off has no shortcut to keep: a shortcut of the user's own would be gone, On bringing back the
    // standard one.
    const QString own = m_editor.onOffSegment() == 1 ? m_editor.ownShortcut() : QString();
    if (own.isEmpty()) {
        saveSnippet();
        return;
    }
    //% "Turn off “%1”?"
    const QString title =
        qtTrId("turn_off_own_title").arg(m_editor.shownState().shown.title().value_or(QString()));
    //% "Its shortcut “%1” is your own. Switched off, the snippet gives it up; switched on again, it answers the standard shortcut."
    const QString message = qtTrId("turn_off_own_message").arg(own);
    //% "Turn Off"
    const QString turnOff = qtTrId("turn_off_own_accept");
    //% "Cancel"
    const QString cancel = qtTrId("turn_off_own_cancel");
    const SnippetRecord asked = m_editor.snippet();
    m_interaction.beginQuestionSheet(m_mainWindow.window(), title, message, turnOff, cancel,
                                     [this, asked](bool turnItOff) {
                                         if (!asked.isSameRecord(m_editor.snippet()))
                                             return;
                                         if (turnItOff)
                                             saveSnippet();
                                         else
                                             m_editor.setOnOffSegment(0);
                                     });
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

void RVAppDelegate::editSnippet()
{
    // From the list with the popover closed, the highlighted snippet opens to be edited.
    if (!m_editor.isShown()) {
        if (selectedRow() < 0)
            return;
        showPopover();
        if (!m_editor.isShown())
            return;
    }
    editButtonClicked();
}

void RVAppDelegate::doneButtonClicked()
{
    // A failed save leaves the popover open with the text, rather than hiding the only copy.
    const auto close = [this] {
        m_editor.setDirty(false);
        m_editor.close();
    };
    if (!m_editor.isDirty()) {
        close();
        return;
    }
    saveSnippet([close](bool saved) {
        if (saved)
            close();
    });
}

void RVAppDelegate::saveSnippet(std::function<void(bool saved)> then)
{
    const SnippetRecord snippet = m_editor.snippet();
    m_changes.run({m_editor.changeToSave()}, {}, [this, snippet, then](const QList<ChangeResult> &results) {
        const ChangeResult &result = results.first();
        // While the folder's lock was waited for the popover stayed as it was; it still shows this snippet.
        if (snippet.isSameRecord(m_editor.snippet())) {
            if (result.succeeded()) {
                updatePopoverContents();
            } else if (result.status == ChangeResult::Status::ChangedOnDisk) {
                m_editor.keepEditingAfterFailedSave();
                reportChangedOnDisk();
            } else {
                if (m_editor.holdsTypedText())
                    m_editor.keepEditingAfterFailedSave();
                else
                    updatePopoverContents(); // nothing typed to keep: show what is on disk
                //% "The snippet could not be saved."
                reportFailure(qtTrId("save_failed_title"), result);
            }
        }
        if (then)
            then(result.succeeded());
    });
}

void RVAppDelegate::askAboutTypedText(std::function<void()> proceed, std::function<void()> cancelled)
{
    if (!m_editor.hasUnsavedText()) {
        proceed();
        return;
    }
    if (m_askingAboutTypedText)
        return; // one question at a time: its answer settles the text
    m_askingAboutTypedText = true;
    //% "Save the changes to “%1”?"
    const QString title =
        qtTrId("unsaved_title").arg(m_editor.shownState().shown.title().value_or(QString()));
    //% "What you typed is not saved yet. Discard gives it up; Cancel goes back to it."
    const QString message = qtTrId("unsaved_message");
    //% "Save"
    const QString save = qtTrId("unsaved_save");
    //% "Discard"
    const QString discard = qtTrId("unsaved_discard");
    //% "Cancel"
    const QString cancel = qtTrId("unsaved_cancel");
    m_interaction.beginChoiceSheet(m_mainWindow.window(), title, message, {save, discard, cancel}, 2,
                                   [this, proceed, cancelled](int answer) {
                                       m_askingAboutTypedText = false;
                                       if (answer == 0) {
                                           saveSnippet([proceed, cancelled](bool saved) {
                                               if (saved)
                                                   proceed();
                                               else if (cancelled)
                                                   cancelled();
                                           });
                                       } else if (answer == 1) {
                                           updatePopoverContents(); // what is stored, the text given up
                                           proceed();
                                       } else if (cancelled) {
                                           cancelled();
                                       }
                                   });
}

void RVAppDelegate::closePopover()
{
    if (m_editor.isShown())
        askAboutTypedText([this] { m_editor.close(); });
}

bool RVAppDelegate::windowShouldClose(RVWindow *window)
{
    if (m_closing || !m_editor.hasUnsavedText()) {
        m_editor.close(); // a window of its own, which would outlive its main window's closing
        return true;
    }
    askAboutTypedText([this, window] {
        m_closing = true;
        window->close();
    });
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
    m_changes.run({SnippetChange::revert(systemSnippet)}, {},
                  [this, systemSnippet](const QList<ChangeResult> &results) {
                      const ChangeResult &result = results.first();
                      // The popover shows what is now on disk when it shows the reverted snippet; another
                      // snippet's text, typed or not, stays.
                      if (result.status == ChangeResult::Status::Done &&
                          systemSnippet.isSameRecord(m_editor.snippet()))
                          updatePopoverContents();
                      if (result.status == ChangeResult::Status::Failed ||
                          result.status == ChangeResult::Status::Refused) {
                          //% "The snippet could not be reverted."
                          reportFailure(qtTrId("revert_failed_title"), result);
                      }
                  });
}

bool RVAppDelegate::canRevertToStandardSnippet() const
{
    return m_catalogue.canRevertToStandardSnippet(m_editor.snippet());
}

void RVAppDelegate::showHelp()
{
    // The page shipped with the program, so that help shows offline and without a browser.
    m_interaction.showHelp(m_mainWindow.window(), QUrl(kHelpPage));
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
    m_interaction.beginQuestionSheet(m_mainWindow.window(), title, message, reload, keep,
                                     [this, asked](bool reloadIt) {
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
    //% "Your Changes"
    const QString yours = qtTrId("compare_tab_yours");
    //% "Standard"
    const QString standard = qtTrId("compare_standard");
    //% "Yours"
    const QString override = qtTrId("compare_override");
    const Syntax::Language language =
        Syntax::languageOf(m_editor.snippet().string(SnippetKey::Language).value_or(QString()));
    QList<CompareWindow::Comparison> comparisons{{yours, standard, override, *lines, language}};
    // A stale override: what the standard changed since the override was made, beside it.
    if (const std::optional<OverrideReport> report = m_catalogue.reportOf(m_editor.snippet());
        report && report->status == OverrideStatus::Stale && !report->standard.record.isNull()) {
        if (const std::optional<QList<DiffLine>> since =
                lineDiff(report->standard.record.contents().value_or(QString()),
                         m_editor.snippet().contents().value_or(QString()), -1, &error)) {
            //% "Changes to the Standard"
            const QString name = qtTrId("compare_tab_standard_since");
            //% "Standard When Your Override Was Made"
            const QString then = qtTrId("compare_standard_then");
            //% "Standard Now"
            const QString now = qtTrId("compare_standard_now");
            comparisons.append({name, then, now, *since, language});
        }
    }

    const bool opening = !m_compareWindow;
    if (opening) {
        m_compareWindow = new CompareWindow(m_mainWindow.window());
        const bool unified = m_settings.value(kCompareViewKey).toString() == QLatin1StringView("Unified");
        m_compareWindow->setView(unified ? CompareWindow::View::Unified : CompareWindow::View::SideBySide);
        connect(m_compareWindow, &CompareWindow::viewChosen, this, [this](CompareWindow::View view) {
            m_settings.setValue(kCompareViewKey, view == CompareWindow::View::Unified
                                                     ? QStringLiteral("Unified")
                                                     : QStringLiteral("SideBySide"));
        });
    }
    m_compareWindow->setComparisons(m_editor.shownState().shown.title().value_or(QString()), comparisons);
    // Where it was left when it is open already; else beside what it compares, not over it.
    if (opening) {
        const QWidget *window = m_mainWindow.window();
        const QScreen *screen = window->screen();
        QRect keepClear = m_editor.popover()->frameGeometry();
        if (const QList<qsizetype> rows = m_catalogue.rowsOf({m_editor.snippet()}); rows.first() >= 0) {
            const QRect row = m_mainWindow.visiblePartOfRow(static_cast<int>(rows.first()));
            keepClear |= QRect(m_mainWindow.tableView()->viewport()->mapToGlobal(row.topLeft()), row.size());
        }
        m_compareWindow->setGeometry(CompareWindow::placement(
            screen ? screen->availableGeometry() : window->frameGeometry(), CompareWindow::kPreferredSize,
            m_compareWindow->minimumSize(), window->frameGeometry(), keepClear));
    }
    m_compareWindow->makeKeyAndOrderFront();
}

} // namespace Glimmerpad
