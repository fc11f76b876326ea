// Launch: the parts joined together, the launch sequence and restoring the selected row.
#include "app/rvappdelegate.h"

#include "app/editorpopover.h"
#include "app/screenfit.h"
#include "app/snippetlistmodel.h"
#include "app/snippettextedit.h"
#include "app/strings.h"
#include "catalogue/linediff.h"
#include "chrome/rvwindow.h"
#include "chrome/rvwindowdressing.h"
#include "platform/trash.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QtMath>

#include <algorithm>
#include <functional>

namespace Glimmerpad {

namespace {

// Runs `then` once, from the event loop, after the widget's first paint.
class AfterFirstPaint final : public QObject
{
public:
    AfterFirstPaint(QWidget *widget, std::function<void()> then) : QObject(widget), m_then(std::move(then))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, parent(), m_then);
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

} // namespace

static constexpr int kMinimumWindowX = 450; // room on the left for the popover beside the list
// A remembered place is used again while this much of the window's title bar shows on a screen:
// enough to take hold of it.
static constexpr int kReachableTitleBarWidth = 100;

RVAppDelegate::RVAppDelegate(UserInteraction &interaction, QSettings &settings, const QString &homeDirectory,
                             QObject *parent)
    : QObject(parent), m_interaction(interaction), m_settings(settings), m_catalogue(homeDirectory),
      m_mainWindow(m_catalogue), m_editor(m_catalogue, m_mainWindow.window()),
      m_changes(m_catalogue, interaction, m_mainWindow.window())
{
    // A rebase merges a body both the user and a new standard changed with libgit2, opened then.
    m_catalogue.setBodyMerger(threeWayBodyMerger());
    // Reverted overrides go to the desktop's trash, whence a reverted edit can be brought back.
    m_catalogue.store().setFileDisposer(
        [](const QString &path, QString *error) { return Platform::discardFile(path, error); });
    m_mainWindow.addBelowList(m_changes.progressView());
    connectParts();
}

RVAppDelegate::~RVAppDelegate() = default;

void RVAppDelegate::connectParts()
{
    const MainWindow::Actions &actions = m_mainWindow.actions();
    connect(actions.find, &QAction::triggered, this, &RVAppDelegate::find);
    connect(actions.edit, &QAction::triggered, this, &RVAppDelegate::editSnippet);
    connect(actions.save, &QAction::triggered, this, [this] {
        if (m_editor.isShown() && m_editor.isEditing() && m_editor.isDirty())
            saveSnippet();
    });
    connect(actions.compare, &QAction::triggered, this, &RVAppDelegate::compareWithStandard);
    connect(actions.turnOff, &QAction::triggered, this,
            [this] { turnShortcutOf(m_mainWindow.highlightedSnippets(), true); });
    connect(actions.turnOn, &QAction::triggered, this,
            [this] { turnShortcutOf(m_mainWindow.highlightedSnippets(), false); });
    connect(actions.revert, &QAction::triggered, this, &RVAppDelegate::revertMenuAction);
    for (const auto &[action, key] : viewChoices()) {
        connect(action, &QAction::toggled, this, [this, key = key](bool on) {
            m_settings.setValue(key, on);
            controlTextDidChange();
        });
    }
    connect(actions.rebase, &QAction::triggered, this,
            [this] { rebaseSnippets(m_mainWindow.highlightedSnippets()); });
    connect(&m_mainWindow, &MainWindow::rebaseRequested, this, &RVAppDelegate::rebaseSnippets);
    connect(&m_editor, &EditingSession::rebaseClicked, this,
            [this] { rebaseSnippets({m_editor.snippet()}); });
    connect(actions.exportOverrides, &QAction::triggered, this, &RVAppDelegate::exportOverrides);
    connect(actions.importOverrides, &QAction::triggered, this, &RVAppDelegate::importOverrides);
    connect(actions.help, &QAction::triggered, this, &RVAppDelegate::showHelp);
    connect(m_mainWindow.menu(), &QMenu::aboutToShow, this, &RVAppDelegate::updateActions);
    connect(&m_mainWindow, &MainWindow::turnShortcutRequested, this, &RVAppDelegate::turnShortcutOf);
    connect(&m_mainWindow, &MainWindow::revertRequested, this, &RVAppDelegate::revertSnippets);
    connect(&m_mainWindow, &MainWindow::openRequested, this, &RVAppDelegate::showPopover);
    m_mainWindow.setTabFollower(m_editor.popover());
    connect(&m_mainWindow, &MainWindow::closeRequested, this, &RVAppDelegate::closePopover);
    connect(&m_editor, &EditingSession::escapePressed, this, &RVAppDelegate::closePopover);
    connect(&m_mainWindow, &MainWindow::geometryChanged, this, &RVAppDelegate::repositionPopover);
    connect(&m_mainWindow, &MainWindow::geometryChanged, this, &RVAppDelegate::rememberWindowGeometry);
    connect(m_mainWindow.languageChoice(), &QComboBox::activated, this, &RVAppDelegate::chooseLanguage);
    connect(m_mainWindow.searchField(), &QLineEdit::textChanged, this, &RVAppDelegate::controlTextDidChange);
    connect(m_mainWindow.tableView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RVAppDelegate::tableViewSelectionDidChange);

    connect(&m_editor, &EditingSession::onOffClicked, this, &RVAppDelegate::toggleSnippetVisibility);
    connect(&m_editor, &EditingSession::editClicked, this, &RVAppDelegate::editButtonClicked);
    connect(&m_editor, &EditingSession::doneClicked, this, &RVAppDelegate::doneButtonClicked);
    connect(&m_editor, &EditingSession::compareClicked, this, &RVAppDelegate::compareWithStandard);
    connect(&m_editor, &EditingSession::closed, this, &RVAppDelegate::updateActions);

    connect(&m_changes, &ChangeRunner::changed, this, &RVAppDelegate::snippetsChanged);
    connect(&m_changes, &ChangeRunner::runningChanged, this, [this](bool running) {
        m_watcher.hold(running); // what changes on disk meanwhile is read once the batch is done
        updateActions();
    });
    connect(&m_watcher, &FolderWatcher::changed, this, &RVAppDelegate::refreshFromDisk);
    updateActions();
}

void RVAppDelegate::updateActions()
{
    // The commands act on the highlighted rows, so revert is offered for what they show: after a
    // search the popover may still show the snippet that stood at that row before. No change
    // starts while a batch runs.
    const MainWindow::Actions &actions = m_mainWindow.actions();
    const bool idle = !m_changes.isRunning();
    const QList<SnippetRecord> highlighted = m_mainWindow.highlightedSnippets();
    actions.revert->setEnabled(
        idle && std::any_of(highlighted.cbegin(), highlighted.cend(), [this](const SnippetRecord &s) {
            return m_catalogue.hasOverride(s.identifier());
        }));
    actions.rebase->setEnabled(
        idle && std::any_of(highlighted.cbegin(), highlighted.cend(),
                            [this](const SnippetRecord &s) { return m_catalogue.isStale(s); }));
    actions.turnOff->setEnabled(idle && !highlighted.isEmpty());
    actions.turnOn->setEnabled(idle && !highlighted.isEmpty());
    actions.importOverrides->setEnabled(idle);
    actions.compare->setEnabled(m_editor.isShown() && m_editor.shownState().overridden);
    actions.edit->setEnabled(idle && (m_editor.isShown() || selectedRow() >= 0));
    actions.save->setEnabled(idle && m_editor.isShown() && m_editor.isEditing());
    m_editor.popover()->setEnabled(idle);
    m_mainWindow.setChangesAllowed(idle);
}

void RVAppDelegate::applicationDidFinishLaunching()
{
    // A chooser or alert closing while the main window is not shown yet would count as the
    // last window closing; quitting on it is only right once the window is up.
    const bool quitOnLastWindowClosed = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // Without a usable home folder there is no snippet folder to read or write: say so and stop,
    // rather than make one somewhere the user never looks.
    if (const QString problem = SnippetCatalogue::homeDirectoryProblem(m_catalogue.homeDirectory());
        !problem.isEmpty()) {
        //% "Glimmerpad cannot find your home folder."
        const QString title = qtTrId("home_alert_title");
        //% "Quit"
        m_interaction.runCriticalAlert(nullptr, title, Strings::sentence(problem),
                                       qtTrId("home_alert_button"));
        terminate(1);
        return;
    }

    QListView *list = m_mainWindow.tableView();
    startObservingScrollViewNotifications();
    prepareCustomWindow();
    connect(&m_editor, &EditingSession::textChanged, this, &RVAppDelegate::textStorageDidProcessEditing);
    // The list's background is the palette's base, white in a light palette: a fixed white would
    // leave a dark palette's light text unreadable and follow no change of theme.
    connect(list, &QAbstractItemView::doubleClicked, this, &RVAppDelegate::showPopover);
    list->setResizeMode(QListView::Adjust); // the single column always spans the list
    m_editor.contentsView()->setTextInset(0.0, 6.0);
    m_editor.contentsView()->setFont(SnippetTextEdit::snippetFont());

    parseSystemCodeSnippets();
    if (m_terminating)
        return;
    parseUserCodeSnippets();
    // The views chosen in the last run, over the snippets just loaded.
    fillLanguageChoice();
    for (const auto &[action, key] : viewChoices()) {
        const QSignalBlocker blocker(action);
        action->setChecked(m_settings.value(key, false).toBool());
    }
    m_mainWindow.showViewChoices();
    if (const SnippetFilter filter = m_mainWindow.currentFilter();
        filter.changedOnly || filter.needsAttention || filter.clashesOnly || !filter.language.isEmpty()) {
        m_catalogue.filterSystemCodeSnippets(filter);
        m_mainWindow.listModel()->reloadData();
    }
    watchFiles();

    // Which rows clash is found after the list's first paint: it reads every snippet, a tenth of
    // a second for ten thousand files, which the window need not wait for. Should the list not be
    // painted soon (a window kept hidden), the rows are told anyway.
    SnippetListModel *model = m_mainWindow.listModel();
    model->setClashesDeferred(true);
    const auto tellClashes = [model] { model->setClashesDeferred(false); };
    new AfterFirstPaint(m_mainWindow.tableView()->viewport(), tellClashes);
    QTimer::singleShot(1000, model, tellClashes);

    RVWindow *window = m_mainWindow.window();
    placeWindow();
    window->makeKeyAndOrderFront();
    m_launched = true;
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed &&
                                               applicationShouldTerminateAfterLastWindowClosed());

    QTimer::singleShot(0, this, &RVAppDelegate::selectUserSelectedRow);
    tellOfNewlyStaleOverrides();
}

// After an Xcode update, overrides made from the snippets it changed keep the older bodies: said
// once, at the first start that finds them, with a way to them.
void RVAppDelegate::tellOfNewlyStaleOverrides()
{
    QStringList stale;
    for (const OverrideReport &report : m_catalogue.overrideReports()) {
        if (report.status == OverrideStatus::Stale)
            stale.append(report.identifier);
    }
    const QStringList before = m_settings.value(kStaleOverridesKey).toStringList();
    m_settings.setValue(kStaleOverridesKey, stale);
    const auto fresh =
        std::count_if(stale.cbegin(), stale.cend(), [&](const QString &id) { return !before.contains(id); });
    if (fresh == 0)
        return;
    //% "The standard snippets changed"
    const QString title = qtTrId("stale_title");
    //% "%n override(s) were made from standard snippets that have changed since, most likely by an Xcode update. Show Needing Attention lists them; Rebase on Current Standard brings your changes onto the new ones."
    const QString message = qtTrId("stale_message", static_cast<int>(fresh));
    //% "Show Them"
    const QString show = qtTrId("stale_show");
    //% "Later"
    const QString later = qtTrId("stale_later");
    m_interaction.beginQuestionSheet(m_mainWindow.window(), title, message, show, later,
                                     [this](bool showThem) {
                                         if (showThem)
                                             m_mainWindow.actions().needsAttention->setChecked(true);
                                     });
}

// The screen that shows most of frame; the primary one when none shows any of it.
static QScreen *screenShowing(const QRect &frame)
{
    QScreen *best = QGuiApplication::primaryScreen();
    qint64 bestArea = 0;
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect shown = screen->availableGeometry().intersected(frame);
        if (const qint64 area = qint64(shown.width()) * shown.height(); area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best;
}

// Whether the user can take hold of a window with this frame: part of its title bar on a screen.
static bool isReachable(const QRect &frame, int titleBarHeight)
{
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), titleBarHeight));
    const QList<QScreen *> screens = QGuiApplication::screens();
    return std::any_of(screens.cbegin(), screens.cend(), [&](const QScreen *screen) {
        const QRect shown = screen->availableGeometry().intersected(titleBar);
        return shown.width() >= std::min(kReachableTitleBarWidth, titleBar.width()) &&
               shown.height() * 2 >= titleBar.height();
    });
}

// The window where it was left at the last start when the user can still reach it there, no
// larger than its screen is now; otherwise where a first window goes: right of the room the
// popover takes beside the list, and wholly on the screen (a scale factor can make the screen
// smaller than the window was drawn for).
void RVAppDelegate::placeWindow()
{
    RVWindow *window = m_mainWindow.window();
    QRect frame = window->frameGeometry();
    if (const QRect remembered = m_settings.value(kWindowGeometryKey).toRect(); remembered.isValid()) {
        frame.setSize(remembered.size());
        if (isReachable(remembered, qCeil(window->titleBarHeight()))) {
            window->setGeometry(
                QRect(remembered.topLeft(),
                      remembered.size().boundedTo(screenShowing(remembered)->availableGeometry().size())));
            return;
        }
    }
    if (frame.x() < kMinimumWindowX)
        frame.moveLeft(kMinimumWindowX);
    const QRect available = screenShowing(frame)->availableGeometry();
    // Narrower rather than further left, while the list keeps its smallest width: the room on the
    // left is the popover's.
    if (const int room = available.right() + 1 - frame.left(); frame.width() > room)
        frame.setWidth(std::max(room, window->minimumWidth()));
    window->setGeometry(fittedInto(frame, available));
}

// Where the user leaves the window is where the next start puts it; a maximised or full-screen
// window leaves the place it came from.
void RVAppDelegate::rememberWindowGeometry()
{
    if (m_launched && m_mainWindow.window()->isVisible())
        m_settings.setValue(kWindowGeometryKey, m_mainWindow.window()->normalGeometry());
}

void RVAppDelegate::startObservingScrollViewNotifications()
{
    connect(m_mainWindow.tableView()->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &RVAppDelegate::scrollViewContentBoundsDidChange);
}

void RVAppDelegate::selectUserSelectedRow()
{
    const int row = m_settings.value(kUserSelectedRowKey, 0).toInt();
    if (row < 0 || row >= m_mainWindow.listModel()->rowCount())
        return;
    m_mainWindow.selectRow(row);
}

void RVAppDelegate::prepareCustomWindow()
{
    //% "Glimmerpad"
    MainWindowDressing::apply(m_mainWindow.window(), this, qtTrId("window_title"));
}

QRectF RVAppDelegate::windowWillPositionSheet(RVWindow *window, QWidget *, const QRectF &proposedRect)
{
    return MainWindowDressing::sheetFrame(window, proposedRect);
}

// Choosers open where the last one was left, in a folder that is still there; else in the home folder.
QString RVAppDelegate::chooserFolder() const
{
    const QString last = m_settings.value(kChooserFolderKey).toString();
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : m_catalogue.homeDirectory();
}

void RVAppDelegate::rememberChooserFolder(const QString &folder)
{
    m_settings.setValue(kChooserFolderKey, folder);
}

void RVAppDelegate::terminate(int exitCode)
{
    m_terminating = true;
    m_interaction.terminate(exitCode);
}

} // namespace Glimmerpad
