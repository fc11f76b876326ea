// Launch: building the interface, the launch sequence and restoring the selected row.
#include "app/rvappdelegate.h"

#include "app/editorpopover.h"
#include "app/elidedlabel.h"
#include "app/snippetitemdelegate.h"
#include "app/snippetlistmodel.h"
#include "app/snippettextedit.h"
#include "app/strings.h"
#include "chrome/rvwindow.h"
#include "chrome/rvwindowdressing.h"
#include "chrome/rvwindowsmenu.h"
#include "platform/trash.h"
#include "ui_editorpopover.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <functional>

Q_LOGGING_CATEGORY(lcLaunch, "glimmerpad.launch", QtWarningMsg)

namespace Glimmerpad {

static constexpr int kMinimumWindowX = 450; // room on the left for the popover beside the list

RVAppDelegate::RVAppDelegate(UserInteraction &interaction, QSettings &settings, const QString &homeDirectory,
                             QObject *parent)
    : QObject(parent), m_interaction(interaction), m_settings(settings), m_catalogue(homeDirectory)
{
    // Reverted overrides go to the desktop's trash, whence a reverted edit can be brought back.
    m_catalogue.setFileDisposer(&Platform::discardFile);
    loadInterface();
}

RVAppDelegate::~RVAppDelegate()
{
    // The views tell of their own destruction through the filters; nothing is to be asked of them then.
    for (QObject *watched : {static_cast<QObject *>(m_ui.window), static_cast<QObject *>(m_ui.tableView),
                             static_cast<QObject *>(m_ui.tableView->viewport())})
        watched->removeEventFilter(this);
    delete m_ui.window; // takes the popover, a child window, with it
}

// Makes and wires the interface from the Designer forms: the window and its contents, the
// popover, the list's model and delegate, and the commands.
void RVAppDelegate::loadInterface()
{
    m_ui.window = new RVWindow;
    auto *content = new QWidget;
    Ui::MainContent mainForm;
    mainForm.setupUi(content);
    m_ui.window->setGeometry(content->geometry());
    m_ui.window->setContentView(content);
    m_ui.tableView = mainForm.tableView;
    m_ui.searchField = mainForm.searchField;
    m_ui.languageChoice = mainForm.languageChoice;
    m_ui.menuButton = mainForm.menuButton;

    m_ui.listModel = new SnippetListModel(m_catalogue, this);
    m_ui.tableView->setModel(m_ui.listModel);
    m_ui.tableView->setItemDelegate(new SnippetItemDelegate(m_ui.tableView));

    m_ui.popover = new EditorPopover(m_ui.window);
    auto *popoverContent = new QWidget;
    Ui::EditorPopoverContent popoverForm;
    popoverForm.setupUi(popoverContent);
    m_ui.popover->setContentWidget(popoverContent);
    m_ui.popoverTitle = popoverForm.popoverTitle;
    m_ui.popoverImage = popoverForm.popoverImage;
    m_ui.codeSnippetCompletionPrefix = popoverForm.codeSnippetCompletionPrefix;
    m_ui.codeSnippetContents = popoverForm.codeSnippetContents;
    m_ui.editButton = popoverForm.editButton;
    m_ui.doneButton = popoverForm.doneButton;
    m_ui.compareButton = popoverForm.compareButton;
    m_ui.changedOnDiskLabel = popoverForm.changedOnDiskLabel;
    m_ui.headerContainer = popoverForm.headerContainer;
    m_ui.headerContainer->setGraphicsEffect(new QGraphicsOpacityEffect(m_ui.headerContainer));

    QFont titleFont = m_ui.popoverTitle->font();
    titleFont.setPixelSize(13);
    titleFont.setBold(true);
    m_ui.popoverTitle->setFont(titleFont);

    m_ui.onOffSegmentedControl = new QButtonGroup(this);
    m_ui.onOffSegmentedControl->setExclusive(true);
    m_ui.onOffSegmentedControl->addButton(popoverForm.onSegment, 0);
    m_ui.onOffSegmentedControl->addButton(popoverForm.offSegment, 1);
    //% "Completion shortcut on or off"
    popoverForm.onOffSegmentedControl->setAccessibleName(qtTrId("popover_onoff_accessible_name"));

    connect(m_ui.onOffSegmentedControl, &QButtonGroup::idClicked, this, &RVAppDelegate::toggleSnippetVisibility);
    connect(m_ui.editButton, &QPushButton::clicked, this, &RVAppDelegate::editButtonClicked);
    connect(m_ui.doneButton, &QPushButton::clicked, this, &RVAppDelegate::doneButtonClicked);
    connect(m_ui.compareButton, &QPushButton::clicked, this, &RVAppDelegate::compareWithStandard);
    connect(m_ui.languageChoice, &QComboBox::activated, this, &RVAppDelegate::chooseLanguage);
    connect(m_ui.tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RVAppDelegate::tableViewSelectionDidChange);
    connect(m_ui.searchField, &QLineEdit::textChanged, this, &RVAppDelegate::controlTextDidChange);
    connect(m_ui.tableView, &QWidget::customContextMenuRequested, this, &RVAppDelegate::showRowMenu);
    connect(m_ui.popover, &EditorPopover::closed, this, &RVAppDelegate::updateActions);

    createActions();
    m_ui.window->installEventFilter(this);
    m_ui.tableView->installEventFilter(this);
    m_ui.tableView->viewport()->installEventFilter(this);
}

void RVAppDelegate::createActions()
{
    //% "&Find"
    m_ui.findAction = new QAction(qtTrId("menu_find"), m_ui.window);
    m_ui.findAction->setShortcut(QKeySequence::Find);
    connect(m_ui.findAction, &QAction::triggered, this, &RVAppDelegate::find);

    //% "&Revert to Standard Snippet"
    m_ui.revertAction = new QAction(qtTrId("menu_revert"), m_ui.window);
    m_ui.revertAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    connect(m_ui.revertAction, &QAction::triggered, this, &RVAppDelegate::revertMenuAction);

    // On many rows at once as on one: the highlighted rows.
    //% "Turn Shortcut &Off"
    m_ui.turnOffAction = new QAction(qtTrId("menu_turn_off"), m_ui.window);
    m_ui.turnOffAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    connect(m_ui.turnOffAction, &QAction::triggered, this, [this] { turnShortcutOfRows(selectedRows(), true); });
    //% "Turn Shortcut O&n"
    m_ui.turnOnAction = new QAction(qtTrId("menu_turn_on"), m_ui.window);
    m_ui.turnOnAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    connect(m_ui.turnOnAction, &QAction::triggered, this, [this] { turnShortcutOfRows(selectedRows(), false); });
    //% "Show &Changed Only"
    m_ui.showChangedOnlyAction = new QAction(qtTrId("menu_show_changed_only"), m_ui.window);
    m_ui.showChangedOnlyAction->setCheckable(true);
    m_ui.showChangedOnlyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    connect(m_ui.showChangedOnlyAction, &QAction::toggled, this, &RVAppDelegate::setShowChangedOnly);
    //% "Co&mpare with Standard"
    m_ui.compareAction = new QAction(qtTrId("menu_compare"), m_ui.window);
    m_ui.compareAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(m_ui.compareAction, &QAction::triggered, this, &RVAppDelegate::compareWithStandard);
    //% "E&xport Overrides…"
    m_ui.exportAction = new QAction(qtTrId("menu_export"), m_ui.window);
    connect(m_ui.exportAction, &QAction::triggered, this, &RVAppDelegate::exportOverrides);
    //% "&Import Overrides…"
    m_ui.importAction = new QAction(qtTrId("menu_import"), m_ui.window);
    connect(m_ui.importAction, &QAction::triggered, this, &RVAppDelegate::importOverrides);

    //% "Glimmerpad &Help"
    m_ui.helpAction = new QAction(qtTrId("menu_help"), m_ui.window);
    m_ui.helpAction->setShortcut(QKeySequence::HelpContents);
    connect(m_ui.helpAction, &QAction::triggered, this, &RVAppDelegate::showHelp);

    //% "&Quit"
    m_ui.quitAction = new QAction(qtTrId("menu_quit"), m_ui.window);
    m_ui.quitAction->setShortcut(QKeySequence::Quit);
    m_ui.quitAction->setMenuRole(QAction::QuitRole);
    connect(m_ui.quitAction, &QAction::triggered, m_ui.window, &QWidget::close);

    // The popover's own commands, for the keyboard: its buttons take no shortcuts of their own.
    //% "&Edit Snippet"
    m_ui.editAction = new QAction(qtTrId("menu_edit"), m_ui.window);
    m_ui.editAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(m_ui.editAction, &QAction::triggered, this, [this] {
        if (m_ui.popover->isShown())
            editButtonClicked();
    });
    //% "&Save Snippet"
    m_ui.saveAction = new QAction(qtTrId("menu_save"), m_ui.window);
    m_ui.saveAction->setShortcut(QKeySequence::Save);
    connect(m_ui.saveAction, &QAction::triggered, this, [this] {
        if (m_ui.popover->isShown() && isEditing() && m_selectedSnippetIsDirty)
            saveSnippet();
    });

    // Shortcuts work in the main window and in the popover, whether or not the menu is open.
    const QList<QAction *> actions{m_ui.findAction,    m_ui.editAction,   m_ui.saveAction,
                                   m_ui.turnOffAction, m_ui.turnOnAction, m_ui.revertAction,
                                   m_ui.compareAction, m_ui.showChangedOnlyAction, m_ui.exportAction,
                                   m_ui.importAction,  m_ui.helpAction,   m_ui.quitAction};
    for (QAction *action : actions)
        action->setShortcutContext(Qt::ApplicationShortcut);
    m_ui.window->addActions(actions);

    m_ui.menu = new QMenu(m_ui.window);
    m_ui.menu->addAction(m_ui.findAction);
    m_ui.menu->addAction(m_ui.editAction);
    m_ui.menu->addAction(m_ui.saveAction);
    m_ui.menu->addAction(m_ui.compareAction);
    m_ui.menu->addSeparator();
    m_ui.menu->addAction(m_ui.turnOffAction);
    m_ui.menu->addAction(m_ui.turnOnAction);
    m_ui.menu->addAction(m_ui.revertAction);
    m_ui.menu->addSeparator();
    m_ui.menu->addAction(m_ui.showChangedOnlyAction);
    m_ui.menu->addAction(m_ui.exportAction);
    m_ui.menu->addAction(m_ui.importAction);
    m_ui.menu->addSeparator();
    //% "&Window"
    m_ui.windowMenu = m_ui.menu->addMenu(qtTrId("menu_window"));
    connect(m_ui.windowMenu, &QMenu::aboutToShow, this,
            [this] { RVWindowsMenu::instance().populate(m_ui.windowMenu); });
    m_ui.menu->addAction(m_ui.helpAction);
    m_ui.menu->addSeparator();
    m_ui.menu->addAction(m_ui.quitAction);
    connect(m_ui.menu, &QMenu::aboutToShow, this, &RVAppDelegate::updateActions);
    m_ui.menuButton->setMenu(m_ui.menu);
    m_ui.menuButton->setIcon(QIcon::fromTheme(QStringLiteral("open-menu-symbolic"),
                                                   QIcon::fromTheme(QStringLiteral("application-menu"))));
    if (m_ui.menuButton->icon().isNull())
        m_ui.menuButton->setText(QStringLiteral("\u2630")); // the trigram reads as "menu" everywhere
    updateActions();
}

void RVAppDelegate::updateActions()
{
    // Revert acts on the highlighted rows, so it is offered for what they show: after a search the
    // popover may still show the snippet that stood at that row before.
    const QList<int> rows = selectedRows();
    m_ui.revertAction->setEnabled(std::any_of(rows.cbegin(), rows.cend(), [this](int row) { return rowIsOverridden(row); }));
    m_ui.turnOffAction->setEnabled(!rows.isEmpty());
    m_ui.turnOnAction->setEnabled(!rows.isEmpty());
    m_ui.compareAction->setEnabled(m_ui.popover->isShown() && m_shownState.overridden);
    m_ui.compareButton->setEnabled(m_shownState.overridden);
    m_ui.editAction->setEnabled(m_ui.popover->isShown());
    m_ui.saveAction->setEnabled(m_ui.popover->isShown() && isEditing());
}

// The row's own menu acts on the row it was opened on: on all the highlighted rows when it is one
// of them, on it alone otherwise.
void RVAppDelegate::showRowMenu(const QPoint &at)
{
    const int row = m_ui.tableView->indexAt(at).row();
    if (row < 0)
        return;
    const QList<int> highlighted = selectedRows();
    const QList<int> rows = highlighted.contains(row) ? highlighted : QList<int>{row};
    QMenu menu;
    const auto add = [&](const QAction *like, bool enabled, std::function<void()> run) {
        QAction *action = menu.addAction(like->text());
        action->setShortcut(like->shortcut());
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, std::move(run));
    };
    const bool anyOverridden = std::any_of(rows.cbegin(), rows.cend(), [this](int r) { return rowIsOverridden(r); });
    add(m_ui.turnOffAction, true, [this, rows] { turnShortcutOfRows(rows, true); });
    add(m_ui.turnOnAction, true, [this, rows] { turnShortcutOfRows(rows, false); });
    add(m_ui.revertAction, anyOverridden, [this, rows] { revertRows(rows); });
    menu.exec(m_ui.tableView->viewport()->mapToGlobal(at));
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
        m_interaction.runCriticalAlert(nullptr, title, problem, qtTrId("home_alert_button"));
        terminate(1);
        return;
    }

    startObservingScrollViewNotifications();
    prepareCustomWindow();
    connect(m_ui.codeSnippetContents->document(), &QTextDocument::contentsChanged, this,
            &RVAppDelegate::textStorageDidProcessEditing);
    QPalette listPalette = m_ui.tableView->palette();
    listPalette.setColor(QPalette::Base, Qt::white);
    m_ui.tableView->setPalette(listPalette);
    connect(m_ui.tableView, &QAbstractItemView::doubleClicked, this, &RVAppDelegate::showPopover);
    m_ui.tableView->setResizeMode(QListView::Adjust); // the single column always spans the list
    m_ui.codeSnippetContents->setTextInset(0.0, 6.0);
    m_ui.codeSnippetContents->setFont(SnippetTextEdit::snippetFont());

    parseSystemCodeSnippets();
    if (m_terminating)
        return;
    parseUserCodeSnippets();
    // The views chosen in the last run, over the snippets just loaded.
    fillLanguageChoice();
    {
        const QSignalBlocker blocker(m_ui.showChangedOnlyAction);
        m_ui.showChangedOnlyAction->setChecked(m_settings.value(kShowChangedOnlyKey, false).toBool());
    }
    if (currentFilter().changedOnly || !currentFilter().language.isEmpty()) {
        m_catalogue.filterSystemCodeSnippets(currentFilter());
        m_ui.listModel->reloadData();
    }
    startWatchingFiles();

    const QRect frame = m_ui.window->frameGeometry();
    if (frame.x() < kMinimumWindowX)
        m_ui.window->move(kMinimumWindowX, frame.y());

    m_ui.window->makeKeyAndOrderFront();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed &&
                                               applicationShouldTerminateAfterLastWindowClosed());

    QTimer::singleShot(0, this, &RVAppDelegate::selectUserSelectedRow);
}

void RVAppDelegate::startObservingScrollViewNotifications()
{
    connect(m_ui.tableView->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &RVAppDelegate::scrollViewContentBoundsDidChange);
}

void RVAppDelegate::selectUserSelectedRow()
{
    const int row = m_settings.value(kUserSelectedRowKey, 0).toInt();
    if (row < 0 || row >= m_ui.listModel->rowCount())
        return;
    const QModelIndex index = m_ui.listModel->index(row);
    m_ui.tableView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_ui.tableView->scrollTo(index);
}

void RVAppDelegate::prepareCustomWindow()
{
    //% "Glimmerpad"
    MainWindowDressing::apply(m_ui.window, this, qtTrId("window_title"));
}

QRectF RVAppDelegate::windowWillPositionSheet(RVWindow *window, QWidget *, const QRectF &proposedRect)
{
    return MainWindowDressing::sheetFrame(window, proposedRect);
}

void RVAppDelegate::terminate(int exitCode)
{
    m_terminating = true;
    m_interaction.terminate(exitCode);
}

bool RVAppDelegate::eventFilter(QObject *watched, QEvent *event)
{
    // Return opens the selected row beside the list, Escape closes it again.
    if (watched == m_ui.tableView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && selectedRow() >= 0) {
            showPopover();
            return true;
        }
        if (key == Qt::Key_Escape && m_ui.popover->isShown()) {
            m_ui.popover->close();
            return true;
        }
    }
    // The popover is a window of its own: keep it beside its row when the main window moves.
    if (watched == m_ui.window && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        repositionPopover();
    // The list's own size settles after the window's; only then is it known whether the row still shows.
    if (event->type() == QEvent::Resize && watched == m_ui.tableView->viewport())
        repositionPopover();
    return QObject::eventFilter(watched, event);
}

} // namespace Glimmerpad
