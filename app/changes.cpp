// Changes to snippets from the window: the highlighted snippets at once, export and import, and
// the one step after every change.
#include "app/rvappdelegate.h"

#include "app/strings.h"
#include "catalogue/overridetransfer.h"

#include <QFileInfo>
#include <QSet>
#include <QTimer>

namespace Glimmerpad {

// Snippets that share an identifier share one override: the first of them stands for the others.
static QList<SnippetRecord> onePerIdentifier(const QList<SnippetRecord> &systemSnippets)
{
    QList<SnippetRecord> unique;
    QSet<QString> seen;
    for (const SnippetRecord &system : systemSnippets) {
        if (const Identifier &identifier = system.identifier(); identifier && seen.contains(*identifier))
            continue;
        if (system.identifier())
            seen.insert(*system.identifier());
        unique.append(system);
    }
    return unique;
}

void RVAppDelegate::turnShortcutOf(const QList<SnippetRecord> &systemSnippets, bool disable)
{
    // The snippet in the popover alone: exactly what its On/Off control does, typed text included.
    if (systemSnippets.size() == 1 && m_editor.isShown() &&
        systemSnippets.first().isSameRecord(m_editor.snippet())) {
        if (m_editor.onOffSegment() != (disable ? 1 : 0)) {
            m_editor.setOnOffSegment(disable ? 1 : 0);
            toggleSnippetVisibility();
        }
        return;
    }
    QList<SnippetChange> changes;
    qsizetype ownShortcuts = 0;
    for (const SnippetRecord &system : onePerIdentifier(systemSnippets)) {
        changes.append(SnippetChange::switchShortcut(system, disable));
        ownShortcuts += disable && m_catalogue.hasOwnShortcut(system) ? 1 : 0;
    }
    const auto run = [this, changes] {
        //% "Some snippets could not be switched."
        m_changes.run(changes, qtTrId("batch_switch_failed_title"));
    };
    if (ownShortcuts == 0) {
        run();
        return;
    }
    // Switched off, a shortcut of the user's own is gone: asked once, naming how many.
    //% "Turn off shortcuts of your own?"
    const QString title = qtTrId("batch_turn_off_own_title");
    //% "%n of the snippets answer(s) a shortcut you gave. Switched off, a snippet gives its shortcut up; switched on again, it answers the standard one."
    const QString message = qtTrId("batch_turn_off_own_message", static_cast<int>(ownShortcuts));
    m_interaction.beginQuestionSheet(m_mainWindow.window(), title, message, qtTrId("turn_off_own_accept"),
                                     qtTrId("turn_off_own_cancel"), [run](bool go) {
                                         if (go)
                                             run();
                                     });
}

void RVAppDelegate::revertSnippets(const QList<SnippetRecord> &systemSnippets)
{
    QList<SnippetRecord> overridden;
    for (const SnippetRecord &system : onePerIdentifier(systemSnippets)) {
        if (m_catalogue.hasOverride(system.identifier()))
            overridden.append(system);
    }
    if (overridden.size() == 1 && systemSnippets.size() == 1) {
        // Reverting the snippet being edited would take its typed text along unasked; saved first,
        // the text goes to the trash with the override.
        const SnippetRecord system = overridden.first();
        if (system.isSameRecord(m_editor.snippet()))
            askAboutTypedText([this, system] { revertSnippet(system); });
        else
            revertSnippet(system);
        return;
    }
    if (overridden.isEmpty())
        return;
    // Many at once is easy to do by mistake: asked once, naming how many.
    //% "Revert %n snippet(s) to the standard ones?"
    const QString title = qtTrId("batch_revert_count_question", static_cast<int>(overridden.size()));
    //% "Their override files go to the trash; you can restore them from there."
    const QString message = qtTrId("batch_revert_trash_message");
    //% "Revert"
    const QString revert = qtTrId("batch_revert_accept");
    //% "Cancel"
    const QString cancel = qtTrId("batch_revert_cancel");
    m_interaction.beginQuestionSheet(m_mainWindow.window(), title, message, revert, cancel,
                                     [this, overridden](bool go) {
                                         if (!go)
                                             return;
                                         QList<SnippetChange> changes;
                                         for (const SnippetRecord &system : overridden)
                                             changes.append(SnippetChange::revert(system));
                                         //% "Some snippets could not be reverted."
                                         m_changes.run(changes, qtTrId("batch_revert_failed_title"));
                                     });
}

// Rebasing makes overrides again on the current standard snippets, keeping what the user changed.
// One snippet whose body both the user and the standard changed in the same lines opens in the
// popover with the lines marked, for the user to finish and save; nothing is written before.
void RVAppDelegate::rebaseSnippets(const QList<SnippetRecord> &systemSnippets)
{
    if (systemSnippets.size() != 1) {
        QList<SnippetChange> changes;
        for (const SnippetRecord &system : onePerIdentifier(systemSnippets))
            changes.append(SnippetChange::rebase(system));
        //% "Some snippets could not be rebased."
        m_changes.run(changes, qtTrId("batch_rebase_failed_title"));
        return;
    }
    const SnippetRecord system = systemSnippets.first();
    const auto rebase = [this, system] {
        const Rebase::Outcome preview = m_catalogue.previewRebase(system, Rebase::Mode::Merge);
        if (!preview.conflicted()) {
            //% "The snippet could not be rebased."
            const QString failureTitle = qtTrId("rebase_failed_title");
            m_changes.run({SnippetChange::rebase(system)}, failureTitle);
            return;
        }
        m_mainWindow.setHighlight({system}, system);
        if (const qsizetype row = m_catalogue.rowsOf({system}).first(); row >= 0) {
            setSelectedSnippet(system);
            togglePopoverFromRect(m_mainWindow.visiblePartOfRow(static_cast<int>(row)));
        }
        m_editor.openRebaseConflict(preview.conflictText);
        updateActions();
        //% "You and the standard changed the same lines"
        const QString title = qtTrId("rebase_conflict_title");
        //% "The marked lines hold both versions. Keep what you want, remove the marker lines, and save: the override is then made on the current standard snippet. Nothing is written before."
        const QString message = qtTrId("rebase_conflict_message");
        m_interaction.beginSheet(m_mainWindow.window(), RVSheet::Icon::Information, title, message,
                                 qtTrId("failure_sheet_button"));
    };
    // Its own popover's text is the user's too: asked about first.
    if (system.isSameRecord(m_editor.snippet()))
        askAboutTypedText(rebase);
    else
        rebase();
}

// After every change, alone or in a batch: the rows show what is on disk now, so does the popover
// unless it holds text the user typed, and a written override may leave a running Xcode behind.
void RVAppDelegate::snippetsChanged(const QList<SnippetRecord> &systemSnippets, bool wroteOverride)
{
    m_mainWindow.reloadRowsOf(systemSnippets);
    const bool shownChanged =
        std::any_of(systemSnippets.cbegin(), systemSnippets.cend(),
                    [this](const SnippetRecord &s) { return s.isSameRecord(m_editor.snippet()); });
    if (shownChanged && !m_editor.holdsTypedText())
        m_editor.updateContents();
    updateActions();
    if (wroteOverride && !m_xcodeAlertShown)
        QTimer::singleShot(m_xcodeCheckDelay, this, &RVAppDelegate::checkForXcodeProcess);
}

void RVAppDelegate::reportFailure(const QString &what, const ChangeResult &result)
{
    //% "OK"
    m_interaction.beginSheet(m_mainWindow.window(), RVSheet::Icon::Warning, what,
                             Strings::sentence(result.reason), qtTrId("failure_sheet_button"));
}

// ---- export and import ----------------------------------------------------------------------

// doneText: what was done, given how many ("%n override(s) exported.").
static void reportTransfers(UserInteraction &interaction, RVWindow *window, const QString &title,
                            const std::function<QString(int)> &doneText,
                            const QList<OverrideTransfer::TransferResult> &results)
{
    QStringList problems, partly;
    int done = 0;
    for (const OverrideTransfer::TransferResult &result : results) {
        const QString &name = result.file.isEmpty() ? result.identifier : result.file;
        if (result.ok)
            ++done;
        else if (!name.isEmpty() && result.error.contains(name))
            problems.append(Strings::sentence(result.error)); // a refusal that names its folder itself
        else
            problems.append(QStringLiteral("%1: %2").arg(name, result.error));
        if (!result.notCarried.isEmpty())
            partly.append(
                QStringLiteral("%1: %2").arg(result.file, result.notCarried.join(QStringLiteral(", "))));
    }
    QString message = doneText(done);
    if (!partly.isEmpty()) {
        //% "Not carried (an override carries the body, the on/off state and the system's shortcut):"
        message += u"\n\n" + qtTrId("transfer_not_carried") + u'\n' + partly.join(u'\n');
    }
    if (!problems.isEmpty()) {
        //% "Not done:"
        message += u"\n\n" + qtTrId("transfer_not_done") + u'\n' + problems.join(u'\n');
    }
    interaction.beginSheet(window, problems.isEmpty() ? RVSheet::Icon::Information : RVSheet::Icon::Warning,
                           title, message, qtTrId("failure_sheet_button"));
}

void RVAppDelegate::exportOverrides()
{
    //% "Export Overrides"
    const QString title = qtTrId("export_title");
    const std::optional<QString> folder =
        m_interaction.chooseFolder(m_mainWindow.window(), title, chooserFolder());
    if (!folder)
        return;
    rememberChooserFolder(*folder);
    const auto exportedText = [](int count) {
        //% "%n override(s) exported."
        const QString text = qtTrId("export_done_count", count);
        return text;
    };
    //% "Export Overrides"
    reportTransfers(m_interaction, m_mainWindow.window(), qtTrId("export_done_title"), exportedText,
                    OverrideTransfer::exportOverrides(m_catalogue, *folder));
}

void RVAppDelegate::importOverrides()
{
    //% "Import Overrides"
    const QString title = qtTrId("import_title");
    const QStringList paths = m_interaction.chooseSnippetFiles(m_mainWindow.window(), title, chooserFolder());
    if (paths.isEmpty())
        return;
    rememberChooserFolder(QFileInfo(paths.constFirst()).absolutePath());
    const QList<OverrideTransfer::TransferResult> results =
        OverrideTransfer::importOverrides(m_catalogue, paths);
    QList<SnippetRecord> imported;
    for (const OverrideTransfer::TransferResult &result : results) {
        if (result.ok)
            imported.append(result.system);
    }
    snippetsChanged(imported, !imported.isEmpty());
    const auto importedText = [](int count) {
        //% "%n override(s) imported."
        const QString text = qtTrId("import_done_count", count);
        return text;
    };
    //% "Import Overrides"
    reportTransfers(m_interaction, m_mainWindow.window(), qtTrId("import_done_title"), importedText, results);
}

} // namespace Glimmerpad
