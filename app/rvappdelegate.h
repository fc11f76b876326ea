#pragma once

#include "app/userinteraction.h"
#include "catalogue/snippetcatalogue.h"
#include "chrome/rvwindow.h"

#include <QObject>
#include <QRect>

#include <chrono>
#include <functional>
#include <optional>

class QAction;
class QButtonGroup;
class QComboBox;
class QFileSystemWatcher;
class QTimer;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QSettings;
class QToolButton;

namespace Glimmerpad {

class EditorPopover;
class ElidedLabel;
class SnippetListModel;
class SnippetTextEdit;

// The one controller: launch, finding and checking Xcode, the running guard, the snippet list,
// the editor popover and the search. Its methods are spread over one source file per concern.
class RVAppDelegate final : public QObject, public RVWindowDelegate
{
    Q_OBJECT

public:
    inline static const QString kUserSelectedRowKey = QStringLiteral("UserSelectedRow");
    inline static const QString kShowChangedOnlyKey = QStringLiteral("ShowChangedOnly");
    inline static const QString kLanguageKey = QStringLiteral("Language");
    inline static const QString kHelpUrl = QStringLiteral("http://glimmerpad.org/glimmerpad/help/");

    // The views and commands the controller works with, named as in the Designer forms. None is
    // owned here: the main window owns them all. For the program's entry and for tests.
    struct Interface
    {
        RVWindow *window = nullptr;
        QListView *tableView = nullptr;
        QLineEdit *searchField = nullptr;
        QComboBox *languageChoice = nullptr; // "All Languages" first, then each language of the library
        QToolButton *menuButton = nullptr;
        EditorPopover *popover = nullptr;
        ElidedLabel *popoverTitle = nullptr;
        QLabel *popoverImage = nullptr;
        ElidedLabel *codeSnippetCompletionPrefix = nullptr;
        SnippetTextEdit *codeSnippetContents = nullptr;
        QPushButton *editButton = nullptr;
        QPushButton *doneButton = nullptr;
        QPushButton *compareButton = nullptr;
        QLabel *changedOnDiskLabel = nullptr; // shown while the snippet being edited changed on disk
        QWidget *headerContainer = nullptr;
        QButtonGroup *onOffSegmentedControl = nullptr; // button 0 is On, 1 is Off
        SnippetListModel *listModel = nullptr;
        QMenu *menu = nullptr;
        QMenu *windowMenu = nullptr;
        QAction *findAction = nullptr;
        QAction *revertAction = nullptr;
        QAction *helpAction = nullptr;
        QAction *quitAction = nullptr;
        QAction *editAction = nullptr;
        QAction *saveAction = nullptr;
        QAction *turnOffAction = nullptr;
        QAction *turnOnAction = nullptr;
        QAction *showChangedOnlyAction = nullptr;
        QAction *compareAction = nullptr;
        QAction *exportAction = nullptr;
        QAction *importAction = nullptr;
    };

    // Builds the interface (the main window, the list, the search field, the popover) around a
    // catalogue for the given home folder. Neither interaction nor settings is owned.
    RVAppDelegate(UserInteraction &interaction, QSettings &settings, const QString &homeDirectory,
                  QObject *parent = nullptr);
    ~RVAppDelegate() override;

    // Used in place of the default Xcode location (the program's APP argument).
    void setXcodeAppPathOverride(const QString &path) { m_xcodeAppPathOverride = path; }
    // How long after a write the running check waits; a second unless a test says otherwise.
    void setXcodeCheckDelay(std::chrono::milliseconds delay) { m_xcodeCheckDelay = delay; }
    // How long the list waits for a burst of changes on disk to end before it reads them.
    void setRefreshDelay(std::chrono::milliseconds delay) { m_refreshDelay = delay; }

    void applicationDidFinishLaunching();

    const Interface &ui() const { return m_ui; }
    const SnippetCatalogue &catalogue() const { return m_catalogue; }

    // What the user sees and what the commands act on. selectedRow() is the one highlighted row,
    // -1 when none or several are.
    int selectedRow() const;
    QList<int> selectedRows() const;
    QRect rectOfRow(int row) const; // in the list's content coordinates (y from the first row's top)
    SnippetRecord selectedSnippet() const { return m_selectedSnippet; }
    bool selectedSnippetIsDirty() const { return m_selectedSnippetIsDirty; }
    int onOffSelectedSegment() const;
    bool canRevertToStandardSnippet() const;
    quint64 customSnippetCount() const { return m_catalogue.customSnippetCount(); }
    bool xcodeProcessIsRunning() const;
    bool xcodeAlertShown() const { return m_xcodeAlertShown; }

Q_SIGNALS:
    // The list and the popover have taken in what changed on disk.
    void refreshedFromDisk();

public:
    // Sheets hang from the lower edge of the tall title bar.
    QRectF windowWillPositionSheet(RVWindow *window, QWidget *sheet, const QRectF &proposedRect) override;

private:
    // -- launch (launch.cpp)
    void loadInterface();
    void createActions();
    void updateActions();
    void startObservingScrollViewNotifications();
    void selectUserSelectedRow();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }
    void prepareCustomWindow();
    void showRowMenu(const QPoint &at);
    void terminate(int exitCode);
    bool eventFilter(QObject *watched, QEvent *event) override;

    // -- Xcode discovery and version gate (xcodediscovery.cpp)
    QString defaultXcodeAppPath() const;
    std::optional<QString> xcodePath();

    // -- running guard (runningguard.cpp)
    void checkForXcodeProcess();

    // -- catalogue and list (snippetlist.cpp)
    void parseSystemCodeSnippets();
    void parseUserCodeSnippets();
    void reloadSelectedRow();
    bool rowIsOverridden(int row) const;
    void restoreSelection(const QList<int> &rows, int current);
    // The rows now showing the snippets with these identifiers; those no longer listed left out.
    QList<int> rowsOfIdentifiers(const QList<Identifier> &identifiers) const;
    ChangeResult overrideSystemCodeSnippetAtIndex(qsizetype index, bool disableShortcut,
                                                  const std::optional<QString> &userSnippetContents,
                                                  const std::optional<OverrideSnapshot> &expected = std::nullopt);
    ChangeResult removeUserCodeSnippetAtIndex(qsizetype index);
    void tableViewSelectionDidChange();
    void scrollViewContentBoundsDidChange();
    void repositionPopover();
    bool selectedRowIsOutOfView() const;
    QRect visiblePartOfRow(int row) const;
    QRect titleBarGlobalRect() const;
    void controlTextDidChange();
    void find();

    // -- commands on the highlighted rows, one or many; views; export and import (commands.cpp)
    void turnShortcutOfRows(const QList<int> &rows, bool disable);
    void revertRows(const QList<int> &rows);
    void applyToRows(const QList<int> &rows, const QString &failureTitle,
                     const std::function<ChangeResult(const SnippetRecord &system)> &change);
    void setShowChangedOnly(bool changedOnly);
    void chooseLanguage(int index);
    void fillLanguageChoice();
    SnippetFilter currentFilter() const;
    void exportOverrides();
    void importOverrides();
    void reportTransfers(const QString &title, const QList<TransferResult> &results);
    void compareWithStandard();

    // -- live refresh (liverefresh.cpp)
    void startWatchingFiles();
    void scheduleRefresh();
    void refreshFromDisk();

    // -- editor popover (popover.cpp)
    void showPopover();
    void togglePopoverFromRect(const QRect &rect);
    void setSelectedSnippet(const SnippetRecord &snippet);
    void updatePopoverContents();
    void setOnOffSelectedSegment(int segment);
    void setEditing(bool editing);
    bool isEditing() const;
    void toggleSnippetVisibility();
    void editButtonClicked();
    void doneButtonClicked();
    bool saveSnippet(); // false when the override could not be written
    void keepEditingAfterFailedSave();
    void textStorageDidProcessEditing();
    void revertMenuAction();
    void revertRow(int row);
    void showHelp();
    void reportFailure(const QString &what, const ChangeResult &result);
    void reportChangedOnDisk();

    UserInteraction &m_interaction;
    QSettings &m_settings;
    SnippetCatalogue m_catalogue;
    std::optional<QString> m_xcodeAppPathOverride;
    QString m_xcodeAppPath;   // the installation loaded
    FileStamp m_libraryStamp; // its library as last read
    std::chrono::milliseconds m_xcodeCheckDelay{1000};
    std::chrono::milliseconds m_refreshDelay{300};
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_refreshTimer = nullptr;

    Interface m_ui; // the main window is owned here; it owns every other view

    SnippetRecord m_selectedSnippet;
    SnippetState m_shownState; // what the popover was filled from, for saving against it
    bool m_selectedSnippetIsDirty = false;
    bool m_xcodeAlertShown = false;
    bool m_terminating = false;
};

} // namespace Glimmerpad
