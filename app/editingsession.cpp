#include "app/editingsession.h"

#include "app/editorpopover.h"
#include "app/elidedlabel.h"
#include "app/snippetlistmodel.h"
#include "app/snippettextedit.h"
#include "app/strings.h"
#include "catalogue/shortcuts.h"
#include "ui_editorpopover.h"

#include <QButtonGroup>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>

namespace Glimmerpad {

static constexpr qreal kDisabledHeaderOpacity = 0.6;
static constexpr int kPopoverIconSize = 32;

EditingSession::EditingSession(const SnippetCatalogue &catalogue, QWidget *window, QObject *parent)
    : QObject(parent), m_catalogue(catalogue), m_popover(new EditorPopover(window))
{
    auto *content = new QWidget;
    Ui::EditorPopoverContent form;
    form.setupUi(content);
    m_popover->setContentWidget(content);
    m_title = form.popoverTitle;
    m_image = form.popoverImage;
    m_shortcut = form.codeSnippetCompletionPrefix;
    m_shortcutField = form.shortcutField;
    m_scopes = form.scopesLabel;
    m_shortcutNote = form.shortcutNote;
    m_contents = form.codeSnippetContents;
    m_editButton = form.editButton;
    m_doneButton = form.doneButton;
    m_compareButton = form.compareButton;
    m_rebaseButton = form.rebaseButton;
    m_staleBar = form.staleBar;
    m_changedOnDisk = form.changedOnDiskLabel;
    m_header = form.headerContainer;
    m_header->setGraphicsEffect(new QGraphicsOpacityEffect(m_header));

    QFont titleFont = m_title->font();
    titleFont.setPixelSize(13);
    titleFont.setBold(true);
    m_title->setFont(titleFont);

    m_onOff = new QButtonGroup(this);
    m_onOff->setExclusive(true);
    m_onOff->addButton(form.onSegment, 0);
    m_onOff->addButton(form.offSegment, 1);
    //% "Completion shortcut on or off"
    form.onOffSegmentedControl->setAccessibleName(qtTrId("popover_onoff_accessible_name"));

    connect(m_onOff, &QButtonGroup::idClicked, this, &EditingSession::onOffClicked);
    connect(m_onOff, &QButtonGroup::idToggled, this, [this] { updateShortcutField(); });
    connect(m_shortcutField, &QLineEdit::textEdited, this, [this] { updateShortcutField(); });
    // Return in the field finishes as Done does; the text's Return is a line break.
    connect(m_shortcutField, &QLineEdit::returnPressed, this, [this] {
        if (!m_shortcutField->isReadOnly())
            Q_EMIT doneClicked();
    });
    connect(m_editButton, &QPushButton::clicked, this, &EditingSession::editClicked);
    connect(m_doneButton, &QPushButton::clicked, this, &EditingSession::doneClicked);
    connect(m_compareButton, &QPushButton::clicked, this, &EditingSession::compareClicked);
    connect(m_rebaseButton, &QPushButton::clicked, this, &EditingSession::rebaseClicked);
    connect(m_contents->document(), &QTextDocument::contentsChanged, this, &EditingSession::textChanged);
    connect(m_popover, &EditorPopover::closed, this, &EditingSession::closed);
    connect(m_popover, &EditorPopover::escapePressed, this, &EditingSession::escapePressed);
}

void EditingSession::setSnippet(const SnippetRecord &systemSnippet)
{
    m_snippet = systemSnippet;
    updateContents();
}

void EditingSession::updateContents()
{
    m_shown = m_catalogue.stateOf(m_snippet);
    const SnippetRecord &shown = m_shown.shown;
    const bool disabled = m_shown.disabled;
    const QIcon icon =
        m_shown.overridden ? SnippetListModel::userSnippetIcon() : SnippetListModel::systemSnippetIcon();

    m_image->setPixmap(icon.pixmap(kPopoverIconSize, kPopoverIconSize));
    // What the icon shows, for screen readers: the row's description says the same in words.
    //% "Changed snippet"
    const QString changedIcon = qtTrId("popover_icon_changed");
    //% "Standard snippet"
    const QString standardIcon = qtTrId("popover_icon_standard");
    m_image->setAccessibleName(m_shown.overridden ? changedIcon : standardIcon);
    m_title->setText(shown.title().value_or(QString()));
    // The language first: the text is then read once, in it.
    m_contents->setLanguage(Syntax::languageOf(shown.string(SnippetKey::Language).value_or(QString())));
    m_contents->setPlainText(shown.contents().value_or(QString()));
    m_shortcut->setText(shown.completionPrefix().value_or(QString()));
    m_shortcutField->setText(shown.completionPrefix().value_or(QString()));
    const QStringList scopes = Shortcuts::scopes(shown);
    //% "Offered in: %1"
    m_scopes->setText(qtTrId("popover_scopes").arg(Strings::scopeNames(scopes).join(QStringLiteral(", "))));
    m_scopes->setToolTip(scopes.join(QStringLiteral(", ")));

    setOnOffSegment(disabled ? 1 : 0);
    if (auto *effect = qobject_cast<QGraphicsOpacityEffect *>(m_header->graphicsEffect()))
        effect->setOpacity(disabled ? kDisabledHeaderOpacity : 1.0);
    m_compareButton->setEnabled(m_shown.overridden);
    // A stale override can be made again on the current standard; an orphaned one, or a snippet
    // of a library read before, cannot be changed at all.
    const std::optional<OverrideReport> report =
        m_shown.overridden ? m_catalogue.reportOf(m_snippet) : std::nullopt;
    m_staleBar->setVisible(report && report->status == OverrideStatus::Stale);
    const bool changeable = m_catalogue.isInLibrary(m_snippet);
    for (QAbstractButton *button : m_onOff->buttons())
        button->setEnabled(changeable);
    m_editButton->setEnabled(changeable);

    m_changedOnDisk->hide();
    m_contents->setExtraSelections({});
    m_finishesRebase = false;
    // After the text: replacing it counts as an edit.
    m_dirty = false;
    m_contents->document()->clearUndoRedoStacks();
    setEditing(false);
}

void EditingSession::openRebaseConflict(const QString &mergedText)
{
    m_contents->setPlainText(mergedText);
    // The lines from "<<<<<<< yours" to ">>>>>>> standard", marked in the attention colour.
    QList<int> marked;
    bool inConflict = false;
    for (QTextBlock block = m_contents->document()->firstBlock(); block.isValid(); block = block.next()) {
        inConflict = inConflict || block.text().startsWith(QLatin1StringView("<<<<<<< "));
        if (inConflict)
            marked.append(block.blockNumber());
        inConflict = inConflict && !block.text().startsWith(QLatin1StringView(">>>>>>> "));
    }
    m_contents->setMarkedLines(marked);
    m_finishesRebase = true;
    m_staleBar->hide(); // the rebase is under way, in the text
    setEditing(true);
}

bool EditingSession::followLibrary(const QList<SnippetRecord> &earlierLibrary)
{
    // Without a counterpart the snippet stays the one it was: its text is kept, and a save says why
    // it cannot be made.
    const SnippetRecord counterpart = m_catalogue.counterpartOf(m_snippet, earlierLibrary);
    if (counterpart.isNull())
        return false;
    m_snippet = counterpart;
    return true;
}

bool EditingSession::isShown() const
{
    return m_popover->isShown();
}

void EditingSession::showBeside(const QRect &rect, QWidget *anchor, const QRect &keepClear)
{
    m_popover->showRelativeToRect(rect, anchor, Qt::LeftEdge, keepClear);
}

void EditingSession::close()
{
    m_popover->close();
}

// Viewing shows the text read-only; editing lets the keyboard and mouse change it, with the Edit
// button held down.
void EditingSession::setEditing(bool editing)
{
    m_contents->setEditing(editing);
    m_editButton->setChecked(editing);
    updateShortcutField();
}

// The field in place of the label while editing, and the note under it: while editing, about the
// shortcut as typed, else about the one shown.
void EditingSession::updateShortcutField()
{
    const bool editing = isEditing();
    const bool off = onOffSegment() == 1;
    m_shortcut->setVisible(!editing);
    m_shortcutField->setVisible(editing);
    m_shortcutField->setReadOnly(off);

    QString note;
    const std::optional<QString> typed = typedShortcut();
    if (editing && !off && typed && !Shortcuts::refusal(*typed).isEmpty()) {
        if (typed->isEmpty()) {
            //% "A shortcut cannot be empty: switch the snippet Off to have none."
            note = qtTrId("popover_shortcut_empty");
        } else {
            //% "A shortcut cannot hold spaces or control characters."
            note = qtTrId("popover_shortcut_invalid");
        }
    } else if (!off) {
        const QString shortcut = editing ? m_shortcutField->text() : m_shortcut->text();
        const QList<SnippetRecord> clashing = editing && typed
                                                  ? m_catalogue.clashesWithShortcut(m_snippet, shortcut)
                                                  : m_catalogue.clashingSnippets(m_snippet);
        if (!clashing.isEmpty()) {
            //% "%2 answers “%1” here too: Xcode offers both."
            note = qtTrId("popover_shortcut_clash").arg(shortcut, Strings::snippetNames(clashing));
        }
    }
    m_shortcutNote->setText(note);
    m_shortcutNote->setVisible(!note.isEmpty());
}

bool EditingSession::isEditing() const
{
    return !m_contents->isReadOnly();
}

int EditingSession::onOffSegment() const
{
    return m_onOff->checkedId();
}

void EditingSession::setOnOffSegment(int segment)
{
    if (QAbstractButton *button = m_onOff->button(segment))
        button->setChecked(true);
}

bool EditingSession::hasUnsavedText() const
{
    return (m_dirty && m_contents->typedText() != m_shown.shown.contents().value_or(QString())) ||
           shortcutToSave().has_value();
}

std::optional<QString> EditingSession::textToSave() const
{
    return m_dirty ? std::optional(m_contents->typedText()) : std::nullopt;
}

// The field's text where it differs from the shown shortcut.
std::optional<QString> EditingSession::typedShortcut() const
{
    const QString text = m_shortcutField->text();
    return text == m_shown.shown.completionPrefix().value_or(QString()) ? std::nullopt : std::optional(text);
}

std::optional<QString> EditingSession::shortcutToSave() const
{
    return onOffSegment() == 1 ? std::nullopt : typedShortcut();
}

QString EditingSession::ownShortcut() const
{
    if (const std::optional<QString> typed = typedShortcut(); typed && !typed->trimmed().isEmpty())
        return *typed;
    return m_catalogue.hasOwnShortcut(m_snippet) ? m_shown.shown.completionPrefix().value_or(QString())
                                                 : QString();
}

SnippetChange EditingSession::changeToSave() const
{
    const bool disable = onOffSegment() == 1;
    const std::optional<QString> text = textToSave();
    SnippetChange change = text ? SnippetChange::override(m_snippet, disable, *text)
                                : SnippetChange::switchShortcut(m_snippet, disable);
    if (const std::optional<QString> shortcut = shortcutToSave())
        change = change.withShortcut(*shortcut);
    else if (!disable && !m_shown.disabled)
        change.shortcut = SnippetChange::Shortcut::AsShown; // a shortcut of the user's own stays
    change.recordsStandard = m_finishesRebase;
    return change.expecting(m_shown.snapshot);
}

QString EditingSession::bodyToSave() const
{
    return textToSave().value_or(m_shown.shown.contents().value_or(QString()));
}

void EditingSession::keepEditingAfterFailedSave()
{
    if (holdsTypedText())
        setEditing(true);
    else
        setOnOffSegment(m_shown.disabled ? 1 : 0);
}

void EditingSession::showChangedOnDisk()
{
    m_changedOnDisk->show();
}

} // namespace Glimmerpad
