#pragma once

#include "app/changerunner.h"
#include "app/comparewindow.h"
#include "app/editingsession.h"
#include "app/folderwatcher.h"
#include "app/mainwindow.h"
#include "app/userinteraction.h"
#include "catalogue/snippetcatalogue.h"
#include "chrome/rvwindow.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <chrono>
#include <functional>
#include <optional>

class QSettings;

namespace Glimmerpad {

// The application's controller: launch, finding and checking Xcode, the running guard, and the
// named operations of the list and the editor popover. It holds the catalogue and the parts that
// own their views and state (the main window, the editing session, the runner of changes, the
// folder watcher), and joins them; each concern has its own source file.
class RVAppDelegate final : public QObject, public RVWindowDelegate
{
    Q_OBJECT

public:
    inline static const QString kUserSelectedRowKey = QStringLiteral("UserSelectedRow");
    inline static const QString kShowChangedOnlyKey = QStringLiteral("ShowChangedOnly");
    inline static const QString kNeedsAttentionKey = QStringLiteral("NeedsAttention");
    inline static const QString kShowClashesKey = QStringLiteral("ShowClashes");
    inline static const QString kSearchBodiesKey = QStringLiteral("SearchBodies");
    // The overrides found stale at the last start: the start after an Xcode update tells of new ones.
    inline static const QString kStaleOverridesKey = QStringLiteral("StaleOverrides");
    inline static const QString kLanguageKey = QStringLiteral("Language");
    // The main window's place and size (not maximised) when it was last moved or resized.
    inline static const QString kWindowGeometryKey = QStringLiteral("WindowGeometry");
    // The compare window's view: "SideBySide" or "Unified".
    inline static const QString kCompareViewKey = QStringLiteral("CompareView");
    // The help page's home on the web; the program shows the copy it ships (kHelpPage), which
    // links there.
    inline static const QString kHelpUrl = QStringLiteral("http://glimmerpad.org/glimmerpad/help/");
    inline static const QString kHelpPage = QStringLiteral("qrc:/help/index.html");
    // The folder the last chooser was left in: the next one opens there.
    inline static const QString kChooserFolderKey = QStringLiteral("ChooserFolder");

    // Builds the interface (the main window, the list, the search field, the popover) around a
    // catalogue for the given home folder. Neither interaction nor settings is owned.
    RVAppDelegate(UserInteraction &interaction, QSettings &settings, const QString &homeDirectory,
                  QObject *parent = nullptr);
    ~RVAppDelegate() override;

    // Used in place of the default Xcode location (the program's APP argument).
    void setXcodeAppPathOverride(const QString &path) { m_xcodeAppPathOverride = path; }
    // How long after a write the running check waits; a second unless a test says otherwise.
    void setXcodeCheckDelay(std::chrono::milliseconds delay) { m_xcodeCheckDelay = delay; }

    void applicationDidFinishLaunching();

    MainWindow &mainWindow() { return m_mainWindow; }
    EditingSession &editor() { return m_editor; }
    ChangeRunner &changes() { return m_changes; }
    FolderWatcher &watcher() { return m_watcher; }
    CompareWindow *compareWindow() const { return m_compareWindow; }
    const SnippetCatalogue &catalogue() const { return m_catalogue; }

    // What the user sees and what the commands act on.
    int selectedRow() const { return m_mainWindow.selectedRow(); }
    QList<int> selectedRows() const { return m_mainWindow.selectedRows(); }
    QRect rectOfRow(int row) const { return m_mainWindow.rectOfRow(row); }
    SnippetRecord selectedSnippet() const { return m_editor.snippet(); }
    bool selectedSnippetIsDirty() const { return m_editor.isDirty(); }
    int onOffSelectedSegment() const { return m_editor.onOffSegment(); }
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
    // Closing the window (or quitting) asks first while the popover holds text not saved.
    bool windowShouldClose(RVWindow *window) override;

private:
    // -- launch (launch.cpp)
    void connectParts();
    void updateActions();
    void startObservingScrollViewNotifications();
    void selectUserSelectedRow();
    void placeWindow();
    void rememberWindowGeometry();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }
    void prepareCustomWindow();
    void terminate(int exitCode);
    QString chooserFolder() const;
    void rememberChooserFolder(const QString &folder);

    // -- Xcode discovery and version gate (xcodediscovery.cpp)
    QString defaultXcodeAppPath() const;
    std::optional<QString> xcodePath();

    // -- running guard (runningguard.cpp)
    void checkForXcodeProcess();

    // -- the list: loading, selection, scrolling, search and views, live refresh (snippetlist.cpp)
    void parseSystemCodeSnippets();
    void parseUserCodeSnippets();
    void tableViewSelectionDidChange();
    void applySelection();
    void scrollViewContentBoundsDidChange();
    void repositionPopover();
    void controlTextDidChange();
    void find();
    // The views the menu switches, each remembered under its key.
    QList<std::pair<QAction *, QString>> viewChoices() const;
    void tellOfNewlyStaleOverrides();
    void chooseLanguage(int index);
    void fillLanguageChoice();
    void watchFiles();
    void refreshFromDisk();

    // -- changes: the highlighted snippets at once, export and import, and the one step after
    //    every change (changes.cpp)
    void turnShortcutOf(const QList<SnippetRecord> &systemSnippets, bool disable);
    void revertSnippets(const QList<SnippetRecord> &systemSnippets);
    void rebaseSnippets(const QList<SnippetRecord> &systemSnippets);
    void snippetsChanged(const QList<SnippetRecord> &systemSnippets, bool wroteOverride);
    void exportOverrides();
    void importOverrides();
    void reportFailure(const QString &what, const ChangeResult &result);

    // -- editor popover (popover.cpp)
    void showPopover();
    void togglePopoverFromRect(const QRect &rect);
    void setSelectedSnippet(const SnippetRecord &snippet);
    void updatePopoverContents();
    void toggleSnippetVisibility();
    void editButtonClicked();
    void editSnippet(); // the Edit Snippet command
    void doneButtonClicked();
    // Saves the popover's snippet; then(saved) once it is done (at once unless the folder's lock is
    // held by another program).
    void saveSnippet(std::function<void(bool saved)> then = {});
    // Runs proceed unless the popover holds text not saved: then asks once whether to save it
    // (and proceed once saved), give it up (and proceed), or go back to it (cancelled).
    void askAboutTypedText(std::function<void()> proceed, std::function<void()> cancelled = {});
    void closePopover();
    void textStorageDidProcessEditing();
    void revertMenuAction();
    void revertSnippet(const SnippetRecord &systemSnippet);
    void showHelp();
    void reportChangedOnDisk();
    void compareWithStandard();

    UserInteraction &m_interaction;
    QSettings &m_settings;
    SnippetCatalogue m_catalogue;
    MainWindow m_mainWindow;
    EditingSession m_editor;
    ChangeRunner m_changes;
    FolderWatcher m_watcher;
    QPointer<CompareWindow> m_compareWindow; // while one is open

    std::optional<QString> m_xcodeAppPathOverride;
    QString m_xcodeAppPath;   // the installation loaded
    FileStamp m_libraryStamp; // its library as last read
    std::chrono::milliseconds m_xcodeCheckDelay{1000};
    bool m_xcodeAlertShown = false;
    bool m_terminating = false;
    bool m_launched = false; // the window is placed and shown
    bool m_askingAboutTypedText = false;
    bool m_closing = false; // the window closes, what was typed saved or given up
};

} // namespace Glimmerpad
