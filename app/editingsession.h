#pragma once

#include "catalogue/snippetcatalogue.h"

#include <QObject>
#include <QRect>

#include <optional>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace Glimmerpad {

class EditorPopover;
class ElidedLabel;
class SnippetTextEdit;

// The editor popover and the one snippet it holds: the system record it was filled from, what the
// catalogue showed for it then, and the text being typed. Whatever happens to the list meanwhile
// (a search, a refresh, an import, another row highlighted), a save writes this snippet.
class EditingSession final : public QObject
{
    Q_OBJECT

public:
    EditingSession(const SnippetCatalogue &catalogue, QWidget *window, QObject *parent = nullptr);

    EditorPopover *popover() const { return m_popover; }
    ElidedLabel *titleLabel() const { return m_title; }
    QLabel *imageLabel() const { return m_image; }
    ElidedLabel *shortcutLabel() const { return m_shortcut; }
    // The shortcut as typed while editing, in place of the label; read-only while the snippet is Off.
    QLineEdit *shortcutField() const { return m_shortcutField; }
    // Where Xcode offers the shortcut, in words.
    QLabel *scopesLabel() const { return m_scopes; }
    // What is wrong with the shortcut, or whose snippets answer it too; hidden when nothing is.
    QLabel *shortcutNote() const { return m_shortcutNote; }
    SnippetTextEdit *contentsView() const { return m_contents; }
    QPushButton *editButton() const { return m_editButton; }
    QPushButton *doneButton() const { return m_doneButton; }
    QPushButton *compareButton() const { return m_compareButton; }
    QPushButton *rebaseButton() const { return m_rebaseButton; }
    QLabel *changedOnDiskLabel() const { return m_changedOnDisk; }
    QButtonGroup *onOffControl() const { return m_onOff; } // button 0 is On, 1 is Off

    // The system snippet shown, and what the catalogue showed for it when the popover was filled.
    const SnippetRecord &snippet() const { return m_snippet; }
    const SnippetState &shownState() const { return m_shown; }
    // Holds the snippet and fills the popover from it.
    void setSnippet(const SnippetRecord &systemSnippet);
    // Fills every view from the snippet as the catalogue shows it now: back to viewing, clean, with
    // nothing to undo.
    void updateContents();
    // After the library was read again: the same snippet in the new one. False when it has none
    // (the snippet held stays).
    bool followLibrary(const QList<SnippetRecord> &earlierLibrary);

    bool isShown() const;
    void showBeside(const QRect &rect, QWidget *anchor, const QRect &keepClear);
    void close();

    // Whether there is something to save: typed text or a typed shortcut.
    bool isDirty() const { return m_dirty || shortcutToSave().has_value(); }
    // Marks the body typed (or not); a typed shortcut is told by its field.
    void setDirty(bool dirty) { m_dirty = dirty; }
    bool isEditing() const;
    void setEditing(bool editing);
    // Whether the user has text in hand: typed, or being edited. What is on disk never replaces it
    // unasked.
    bool holdsTypedText() const { return isDirty() || isEditing(); }
    // Whether what was typed differs from what is stored: closing the popover would lose it.
    bool hasUnsavedText() const;

    int onOffSegment() const;
    void setOnOffSegment(int segment);

    // The body a save writes: the text as typed when it was changed; nothing when it was not, and
    // the body stays as stored (the editor's rendering would turn no-break spaces into spaces and
    // carriage returns into line feeds).
    std::optional<QString> textToSave() const;
    // The shortcut a save writes in place of the shown one: the field's text when it was changed
    // and the snippet is On. An unchanged one is written as it is, unchecked.
    std::optional<QString> shortcutToSave() const;
    // The shortcut of the user's own that switching the snippet off gives up: typed, or stored in
    // its override; empty when it has the standard one or none.
    QString ownShortcut() const;
    // What saving writes: the shortcut as the on/off control and the field say (a shortcut of the
    // user's own kept while On), the body as above, and only while the override on disk is the one
    // the popover was filled from.
    SnippetChange changeToSave() const;
    // The body as a save would leave it.
    QString bodyToSave() const;

    // After a save that did not happen: the text stays as typed and the editor stays open, so
    // nothing is lost; a switch of the shortcut that was not saved goes back to what is shown.
    void keepEditingAfterFailedSave();
    // Says that the snippet being edited changed on disk since it was filled.
    void showChangedOnDisk();
    // Opens a rebase that conflicted for the user to finish: the merged text in the editor, the
    // conflicting lines marked; its save makes the override current.
    void openRebaseConflict(const QString &mergedText);
    bool finishesRebase() const { return m_finishesRebase; }

Q_SIGNALS:
    void editClicked();
    void doneClicked();
    void onOffClicked();
    void compareClicked();
    void rebaseClicked();
    void textChanged();
    void closed();
    void escapePressed();

private:
    std::optional<QString> typedShortcut() const;
    void updateShortcutField();

    const SnippetCatalogue &m_catalogue;
    EditorPopover *m_popover;
    ElidedLabel *m_title = nullptr;
    QLabel *m_image = nullptr;
    ElidedLabel *m_shortcut = nullptr;
    QLineEdit *m_shortcutField = nullptr;
    QLabel *m_scopes = nullptr;
    QLabel *m_shortcutNote = nullptr;
    SnippetTextEdit *m_contents = nullptr;
    QPushButton *m_editButton = nullptr;
    QPushButton *m_doneButton = nullptr;
    QPushButton *m_compareButton = nullptr;
    QPushButton *m_rebaseButton = nullptr;
    QWidget *m_staleBar = nullptr; // says why, beside the rebase button
    QLabel *m_changedOnDisk = nullptr;
    QWidget *m_header = nullptr;
    QButtonGroup *m_onOff = nullptr;

    SnippetRecord m_snippet;
    SnippetState m_shown;
    bool m_dirty = false;
    bool m_finishesRebase = false;
};

} // namespace Glimmerpad
