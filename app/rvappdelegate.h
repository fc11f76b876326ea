#pragma once

#include "app/userinteraction.h"
#include "catalogue/snippetcatalogue.h"
#include "chrome/rvwindow.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>
#include <optional>

class QAction;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QSettings;

namespace Ui {
class MainContent;
class EditorPopoverContent;
} // namespace Ui

namespace Glimmerpad {

class EditorPopover;
class SnippetListModel;
class SnippetTextEdit;

// The one controller: launch, finding and checking Xcode, the running guard, the snippet list,
// the editor popover and the search. Its methods are spread over one source file per concern.
class RVAppDelegate final : public QObject, public RVWindowDelegate
{
    Q_OBJECT

public:
    inline static const QString kUserSelectedRowKey = QStringLiteral("UserSelectedRow");
    inline static const QString kHelpUrl = QStringLiteral("http://glimmerpad.org/glimmerpad/help/");

    // Builds the interface (the main window, the list, the search field, the popover) around a
    // catalogue for the given home folder. Neither interaction nor settings is owned.
    RVAppDelegate(UserInteraction &interaction, QSettings &settings, const QString &homeDirectory,
                  QObject *parent = nullptr);
    ~RVAppDelegate() override;

    // Used in place of the default Xcode location (the program's APP argument).
    void setXcodeAppPathOverride(const QString &path) { m_xcodeAppPathOverride = path; }

    // -- launch (launch.cpp)
    void applicationDidFinishLaunching();
    void startObservingScrollViewNotifications();
    void selectUserSelectedRow();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }
    void prepareCustomWindow();
    // Sheets hang from the lower edge of the tall title bar.
    QRectF windowWillPositionSheet(RVWindow *window, QWidget *sheet, const QRectF &proposedRect) override;
    bool isTerminating() const { return m_terminating; }

    // -- Xcode discovery and version gate (xcodediscovery.cpp)
    QString applicationsDirectory() const;
    QString defaultXcodeAppPath() const;
    double xcodeVersionAtPath(const QString &path) const;
    double xcodeVersion() const;
    std::optional<QString> xcodePath();

    // -- running guard (runningguard.cpp)
    bool xcodeProcessIsRunning() const;
    void checkForXcodeProcess();
    bool xcodeAlertShown() const { return m_xcodeAlertShown; }

    // -- catalogue and list (snippetlist.cpp)
    void parseSystemCodeSnippets();
    void parseUserCodeSnippets();
    QString userLibraryDirectory() const { return m_catalogue.userLibraryDirectory(); }
    QString userCodeSnippetsDirectory() const { return m_catalogue.userCodeSnippetsDirectory(); }
    ChangeResult overrideSystemCodeSnippetAtIndex(qsizetype index, bool disableShortcut,
                                                  const std::optional<QString> &userSnippetContents,
                                                  const std::optional<OverrideSnapshot> &expected = std::nullopt);
    ChangeResult removeUserCodeSnippetAtIndex(qsizetype index);
    bool canRevertToStandardSnippet() const;
    quint64 customSnippetCount() const { return m_catalogue.customSnippetCount(); }
    int selectedRow() const;
    QRect rectOfRow(int row) const; // in the list's content coordinates (y from the first row's top)
    void tableViewSelectionDidChange();
    void scrollViewContentBoundsDidChange();
    void controlTextDidChange();
    void find();

    // -- editor popover (popover.cpp)
    void showPopover();
    void togglePopoverFromRect(const QRect &rect);
    void setSelectedSnippet(const SnippetRecord &snippet);
    SnippetRecord selectedSnippet() const { return m_selectedSnippet; }
    bool selectedSnippetIsDirty() const { return m_selectedSnippetIsDirty; }
    void updatePopoverContents();
    void toggleSnippetVisibility();
    void editButtonClicked();
    void doneButtonClicked();
    bool saveSnippet(); // false when the override could not be written
    void textStorageDidProcessEditing();
    void revertMenuAction();
    void showHelp();

    // The views, for the chrome and for tests.
    const SnippetCatalogue &catalogue() const { return m_catalogue; }
    RVWindow *window() const { return m_window; }
    QListView *tableView() const;
    QLineEdit *searchField() const;
    EditorPopover *popover() const { return m_popover; }
    QLabel *popoverTitle() const;
    QLabel *popoverImage() const;
    QLabel *codeSnippetCompletionPrefix() const;
    SnippetTextEdit *codeSnippetContents() const;
    QPushButton *editButton() const;
    QPushButton *doneButton() const;
    QWidget *headerContainer() const;
    int onOffSelectedSegment() const;
    void setOnOffSelectedSegment(int segment);
    QButtonGroup *onOffSegmentedControl() const { return m_onOff; }
    SnippetListModel *listModel() const { return m_model; }
    QAction *findAction() const { return m_findAction; }
    QAction *revertAction() const { return m_revertAction; }
    QAction *helpAction() const { return m_helpAction; }
    QAction *quitAction() const { return m_quitAction; }
    QAction *editAction() const { return m_editAction; }
    QAction *saveAction() const { return m_saveAction; }
    QMenu *windowMenu() const { return m_windowMenu; }

private:
    void loadInterface();
    void createActions();
    void updateActions();
    void reloadSelectedRow();
    void repositionPopover();
    void reportFailure(const QString &what, const ChangeResult &result);
    void reportChangedOnDisk();
    void keepEditingAfterFailedSave();
    void terminate(int exitCode);
    bool eventFilter(QObject *watched, QEvent *event) override;

    UserInteraction &m_interaction;
    QSettings &m_settings;
    SnippetCatalogue m_catalogue;
    std::optional<QString> m_xcodeAppPathOverride;

    RVWindow *m_window = nullptr; // owned here, as the interface file would own it
    std::unique_ptr<Ui::MainContent> m_mainUi;
    std::unique_ptr<Ui::EditorPopoverContent> m_popoverUi;
    EditorPopover *m_popover = nullptr;
    QButtonGroup *m_onOff = nullptr;
    SnippetListModel *m_model = nullptr;
    QMenu *m_menu = nullptr;
    QMenu *m_windowMenu = nullptr;
    QAction *m_findAction = nullptr;
    QAction *m_revertAction = nullptr;
    QAction *m_helpAction = nullptr;
    QAction *m_quitAction = nullptr;
    QAction *m_editAction = nullptr;
    QAction *m_saveAction = nullptr;

    SnippetRecord m_selectedSnippet;
    SnippetState m_shownState; // what the popover was filled from, for saving against it
    bool m_selectedSnippetIsDirty = false;
    bool m_xcodeAlertShown = false;
    bool m_terminating = false;
};

} // namespace Glimmerpad
