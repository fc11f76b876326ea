// Commands on the highlighted rows, one or many at a time; the views of the list; export and
// import of overrides; the comparison of an override with the standard snippet.
#include "app/rvappdelegate.h"

#include "app/comparedialog.h"
#include "app/editorpopover.h"
#include "app/snippetlistmodel.h"
#include "app/snippettextedit.h"
#include "catalogue/snippetlanguage.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QTimer>

namespace Glimmerpad {

void RVAppDelegate::turnShortcutOfRows(const QList<int> &rows, bool disable)
{
    // One row shown in the popover: exactly what its On/Off control does, typed text included.
    if (rows.size() == 1 && m_ui.popover->isShown() && rows.first() == selectedRow()) {
        if (onOffSelectedSegment() != (disable ? 1 : 0)) {
            setOnOffSelectedSegment(disable ? 1 : 0);
            toggleSnippetVisibility();
        }
        return;
    }
    //% "Some snippets could not be switched."
    applyToRows(rows, qtTrId("batch_switch_failed_title"), [this, disable](const SnippetRecord &system) {
        // Each keeps the body it has on disk now; a change made meanwhile is never overwritten.
        const SnippetState state = m_catalogue.stateOf(system);
        return m_catalogue.overrideSystemCodeSnippet(*system.identifier(), disable, state.shown.contents(),
                                                     state.snapshot);
    });
}

void RVAppDelegate::revertRows(const QList<int> &rows)
{
    QList<int> overridden;
    for (const int row : rows) {
        if (rowIsOverridden(row))
            overridden.append(row);
    }
    if (overridden.size() == 1 && rows.size() == 1) {
        revertRow(overridden.first());
        return;
    }
    if (overridden.isEmpty())
        return;
    // Many at once is easy to do by mistake: asked once, naming how many.
    //% "Revert the highlighted snippets to the standard ones? Overrides to remove: %1."
    const QString title = qtTrId("batch_revert_question").arg(overridden.size());
    //% "Their overrides go to the trash, whence they can be brought back."
    const QString message = qtTrId("batch_revert_message");
    //% "Revert"
    const QString revert = qtTrId("batch_revert_accept");
    //% "Cancel"
    const QString cancel = qtTrId("batch_revert_cancel");
    QList<Identifier> identifiers;
    for (const int row : std::as_const(overridden))
        identifiers.append(m_catalogue.recordAtRow(row).identifier());
    m_interaction.beginQuestionSheet(m_ui.window, title, message, revert, cancel, [this, identifiers](bool go) {
        if (!go)
            return;
        // By identifier: the list may have changed while the question was up.
        //% "Some snippets could not be reverted."
        applyToRows(rowsOfIdentifiers(identifiers), qtTrId("batch_revert_failed_title"), [this](const SnippetRecord &system) {
            return m_catalogue.removeUserCodeSnippet(*system.identifier());
        });
    });
}

void RVAppDelegate::applyToRows(const QList<int> &rows, const QString &failureTitle,
                                const std::function<ChangeResult(const SnippetRecord &system)> &change)
{
    QStringList failures;
    bool wrote = false;
    bool touchedShown = false;
    for (const int row : rows) {
        const SnippetRecord system = m_catalogue.recordAtRow(row);
        const Identifier &identifier = system.identifier();
        const ChangeResult result =
            identifier ? change(system)
                       : ChangeResult{ChangeResult::Status::Refused, QStringLiteral("the snippet has no identifier")};
        wrote |= result.status == ChangeResult::Status::Done;
        touchedShown |= identifier && identifier == m_selectedSnippet.identifier();
        m_ui.listModel->reloadRow(row);
        if (!result.succeeded())
            failures.append(QStringLiteral("%1: %2").arg(identifier.value_or(QStringLiteral("?")), result.reason));
    }
    // The popover shows what is now on disk for its snippet, unless text is being typed into it.
    if (touchedShown && !m_selectedSnippetIsDirty && !isEditing())
        updatePopoverContents();
    updateActions();
    if (wrote && !m_xcodeAlertShown)
        QTimer::singleShot(m_xcodeCheckDelay, this, &RVAppDelegate::checkForXcodeProcess);
    if (failures.isEmpty())
        return;
    //% "%1 of %2 could not be changed; the others are done."
    const QString summary = qtTrId("batch_failed_summary").arg(failures.size()).arg(rows.size());
    m_interaction.beginSheet(m_ui.window, RVSheet::Icon::Warning, failureTitle,
                             summary + u'\n' + failures.join(u'\n'), qtTrId("failure_sheet_button"));
}

// ---- views ----------------------------------------------------------------------------------

SnippetFilter RVAppDelegate::currentFilter() const
{
    return {m_ui.searchField->text(), m_ui.showChangedOnlyAction->isChecked(),
            m_ui.languageChoice->currentIndex() > 0 ? m_ui.languageChoice->currentData().toString() : QString()};
}

void RVAppDelegate::setShowChangedOnly(bool changedOnly)
{
    m_settings.setValue(kShowChangedOnlyKey, changedOnly);
    controlTextDidChange();
}

void RVAppDelegate::chooseLanguage(int index)
{
    m_settings.setValue(kLanguageKey, index > 0 ? m_ui.languageChoice->itemData(index).toString() : QString());
    controlTextDidChange();
}

// "All Languages", then the languages the library's snippets are written in; the choice of the
// last run again when the library still has it.
void RVAppDelegate::fillLanguageChoice()
{
    const QSignalBlocker blocker(m_ui.languageChoice);
    m_ui.languageChoice->clear();
    //% "All Languages"
    m_ui.languageChoice->addItem(qtTrId("language_all"));
    const QStringList languages = m_catalogue.systemLanguages();
    for (const QString &language : languages)
        m_ui.languageChoice->addItem(language, language);
    const int chosen = m_ui.languageChoice->findData(m_settings.value(kLanguageKey).toString());
    m_ui.languageChoice->setCurrentIndex(std::max(chosen, 0));
    m_ui.languageChoice->setVisible(!languages.isEmpty());
}

// ---- export and import ----------------------------------------------------------------------

void RVAppDelegate::exportOverrides()
{
    //% "Export Overrides"
    const std::optional<QString> folder = m_interaction.chooseFolder(m_ui.window, qtTrId("export_title"));
    if (!folder)
        return;
    //% "Export Overrides"
    reportTransfers(qtTrId("export_done_title"), m_catalogue.exportOverrides(*folder));
}

void RVAppDelegate::importOverrides()
{
    //% "Import Overrides"
    const QStringList paths = m_interaction.chooseSnippetFiles(m_ui.window, qtTrId("import_title"));
    if (paths.isEmpty())
        return;
    const QList<TransferResult> results = m_catalogue.importOverrides(paths);
    m_ui.listModel->reloadData();
    if (!m_selectedSnippetIsDirty && !isEditing())
        updatePopoverContents();
    //% "Import Overrides"
    reportTransfers(qtTrId("import_done_title"), results);
}

void RVAppDelegate::reportTransfers(const QString &title, const QList<TransferResult> &results)
{
    QStringList problems;
    int done = 0;
    for (const TransferResult &result : results) {
        if (result.ok)
            ++done;
        else
            problems.append(QStringLiteral("%1: %2").arg(result.file.isEmpty() ? result.identifier : result.file,
                                                         result.error));
    }
    //% "Done: %1."
    QString message = qtTrId("transfer_done").arg(done);
    if (!problems.isEmpty()) {
        //% "Not done:"
        message += u"\n\n" + qtTrId("transfer_not_done") + u'\n' + problems.join(u'\n');
    }
    m_interaction.beginSheet(m_ui.window, problems.isEmpty() ? RVSheet::Icon::Information : RVSheet::Icon::Warning,
                             title, message, qtTrId("failure_sheet_button"));
}

// ---- comparison -------------------------------------------------------------------------------

void RVAppDelegate::compareWithStandard()
{
    if (!m_ui.popover->isShown() || !m_shownState.overridden)
        return;
    // The text as the popover shows it, typed changes included: what a save would write.
    const QString overrideText =
        m_selectedSnippetIsDirty ? m_ui.codeSnippetContents->typedText() : m_shownState.shown.contents().value_or(QString());
    QString error;
    const std::optional<QList<DiffLine>> lines =
        lineDiff(m_selectedSnippet.contents().value_or(QString()), overrideText, -1, &error);
    if (!lines) {
        //% "Cannot Compare"
        const QString title = qtTrId("compare_failed_title");
        //% "The differences could not be worked out: %1"
        const QString message = qtTrId("compare_failed_message").arg(error);
        m_interaction.beginSheet(m_ui.window, RVSheet::Icon::Warning, title, message, qtTrId("failure_sheet_button"));
        return;
    }
    auto *dialog = new CompareDialog(m_ui.window, m_shownState.shown.title().value_or(QString()), *lines);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

} // namespace Glimmerpad
