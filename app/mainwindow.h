#pragma once

#include "app/snippetlistview.h"
#include "catalogue/snippetcatalogue.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>

class QAction;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QListView;
class QMenu;
class QToolButton;

namespace Glimmerpad {

class FilterBar;
class EditorPopover;
class RVWindow;
class RVWindowDelegate;
class SnippetListModel;

// The main window: the snippet list with its search field and language choice, the commands and
// their menu. What the user highlights is kept by snippet, not by row: searches, filters and
// changes on disk move rows around under it.
class MainWindow final : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        QAction *find = nullptr;
        QAction *edit = nullptr;
        QAction *save = nullptr;
        QAction *compare = nullptr;
        QAction *turnOff = nullptr;
        QAction *turnOn = nullptr;
        QAction *revert = nullptr;
        QAction *showChangedOnly = nullptr;
        QAction *needsAttention = nullptr;
        QAction *showClashes = nullptr;
        QAction *searchBodies = nullptr; // the search finds bodies too
        QAction *rebase = nullptr;
        QAction *exportOverrides = nullptr;
        QAction *importOverrides = nullptr;
        QAction *help = nullptr;
        QAction *quit = nullptr;
    };

    explicit MainWindow(const SnippetCatalogue &catalogue, QObject *parent = nullptr);
    ~MainWindow() override;

    RVWindow *window() const { return m_window; }
    SnippetListView *tableView() const { return m_tableView; }
    // The filters of the menu that are on, under the search field.
    FilterBar *filterBar() const { return m_filterBar; }
    QLineEdit *searchField() const { return m_searchField; }
    QComboBox *languageChoice() const { return m_languageChoice; }
    SnippetListModel *listModel() const { return m_model; }
    QMenu *menu() const { return m_menu; }
    const Actions &actions() const { return m_actions; }
    // Puts a view below the list, across the window (the progress of a batch).
    void addBelowList(QWidget *view);
    // The popover beside the list comes after the list in the tab order while it shows.
    void setTabFollower(EditorPopover *popover);

    // The one highlighted row, -1 when none or several are.
    int selectedRow() const;
    QList<int> selectedRows() const;
    int currentRow() const;
    // The highlighted snippets, in row order.
    QList<SnippetRecord> highlightedSnippets() const;
    // Highlights the row and makes it current, as a click on it would.
    void selectRow(int row);
    // Highlights these snippets where the list shows them, the first of them current, telling no
    // one: nothing the user chose changed. The ones the list shows.
    QList<SnippetRecord> setHighlight(const QList<SnippetRecord> &systemSnippets, const SnippetRecord &current);

    QRect rectOfRow(int row) const; // in the list's content coordinates (y from the first row's top)
    // What points at a row: its stretch inside the list, not what is scrolled under the search
    // field or below the window.
    QRect visiblePartOfRow(int row) const;
    // Whether the row lies wholly above or below the visible part of the list; a row touching an
    // edge still counts as visible.
    bool rowIsOutOfView(int row) const;
    // The title bar and the bars under it, above the list (the search field, the language box,
    // the menu button, the filters on), in global coordinates: the popover keeps clear of them.
    QRect headerGlobalRect() const;

    // Reloads the whole list after change has run (a filter, a refresh, an import), keeping the
    // highlighted snippets and the current one where the list still shows them, without telling
    // anyone: nothing the user chose changed. The library may be read again in change: its new
    // records take the place of the old ones. Returns the highlighted snippets that stay.
    QList<SnippetRecord> reloadKeepingHighlight(const std::function<void()> &change);
    // Redraws the rows of these snippets.
    void reloadRowsOf(const QList<SnippetRecord> &systemSnippets);

    // Whether the row menu offers its changes (not while a batch of changes runs).
    void setChangesAllowed(bool allowed) { m_changesAllowed = allowed; }

    // Shows the view choices of the menu as they are now, set with their signals blocked (as the
    // last run's are at launch): the chips of the filters on, the search field's body choice.
    void showViewChoices();

    // What the search text, Show Changed Only and the language choice show together.
    SnippetFilter currentFilter() const;
    // "All Languages", then the languages given; chosen again where it is one of them.
    void fillLanguageChoice(const QStringList &languages, const QString &chosen);

Q_SIGNALS:
    void openRequested();  // Return on a highlighted row
    void closeRequested(); // Escape in the list
    // The window moved or was resized, or the list's size settled after it.
    void geometryChanged();
    // The row menu's commands, on the snippets it was opened for.
    void turnShortcutRequested(const QList<SnippetRecord> &systemSnippets, bool disable);
    void revertRequested(const QList<SnippetRecord> &systemSnippets);
    void rebaseRequested(const QList<SnippetRecord> &systemSnippets);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    // The empty list's words for the filters in force, and the filters shown above the list.
    void updateListStates();
    // The search field's body choice, on or off, in its icon and its placeholder text.
    void showBodySearch(bool on);
    QList<QObject *> watchedViews() const;
    void showRowMenu(const QPoint &at);
    void showRowMenuFromKeyboard(); // beside the row the keys are on
    bool listKeyPress(QKeyEvent *event);
    bool searchKeyPress(QKeyEvent *event);
    bool tabFollowerTakesKeys() const;
    void focusAfterTabFollower(bool forward);
    QList<SnippetRecord> recordsOfRows(const QList<int> &rows) const;

    const SnippetCatalogue &m_catalogue;
    RVWindow *m_window;
    QWidget *m_content = nullptr;
    SnippetListView *m_tableView = nullptr;
    FilterBar *m_filterBar = nullptr;
    QLineEdit *m_searchField = nullptr;
    QComboBox *m_languageChoice = nullptr;
    QToolButton *m_menuButton = nullptr;
    QPointer<EditorPopover> m_tabFollower;
    SnippetListModel *m_model = nullptr;
    QMenu *m_menu = nullptr;
    QMenu *m_windowMenu = nullptr;
    Actions m_actions;
    bool m_changesAllowed = true;
};

} // namespace Glimmerpad
