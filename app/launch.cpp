// Launch: building the interface, the launch sequence and restoring the selected row.
#include "app/rvappdelegate.h"

#include "app/editorpopover.h"
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
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>

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
    delete m_window; // takes the popover, a child window, with it
}

QListView *RVAppDelegate::tableView() const
{
    return m_mainUi->tableView;
}
QLineEdit *RVAppDelegate::searchField() const
{
    return m_mainUi->searchField;
}
QLabel *RVAppDelegate::popoverTitle() const
{
    return m_popoverUi->popoverTitle;
}
QLabel *RVAppDelegate::popoverImage() const
{
    return m_popoverUi->popoverImage;
}
QLabel *RVAppDelegate::codeSnippetCompletionPrefix() const
{
    return m_popoverUi->codeSnippetCompletionPrefix;
}
SnippetTextEdit *RVAppDelegate::codeSnippetContents() const
{
    return m_popoverUi->codeSnippetContents;
}
QPushButton *RVAppDelegate::editButton() const
{
    return m_popoverUi->editButton;
}
QPushButton *RVAppDelegate::doneButton() const
{
    return m_popoverUi->doneButton;
}
QWidget *RVAppDelegate::headerContainer() const
{
    return m_popoverUi->headerContainer;
}

// What the interface file would make and wire: the window and its contents, the popover,
// the list's model and delegate, and the commands.
void RVAppDelegate::loadInterface()
{
    m_window = new RVWindow;
    auto *content = new QWidget;
    m_mainUi = std::make_unique<Ui::MainContent>();
    m_mainUi->setupUi(content);
    m_window->setGeometry(content->geometry());
    m_window->setContentView(content);

    m_model = new SnippetListModel(m_catalogue, this);
    QListView *list = m_mainUi->tableView;
    list->setModel(m_model);
    list->setItemDelegate(new SnippetItemDelegate(list));

    m_popover = new EditorPopover(m_window);
    auto *popoverContent = new QWidget;
    m_popoverUi = std::make_unique<Ui::EditorPopoverContent>();
    m_popoverUi->setupUi(popoverContent);
    m_popover->setContentWidget(popoverContent);
    m_popoverUi->headerContainer->setGraphicsEffect(new QGraphicsOpacityEffect(m_popoverUi->headerContainer));

    QFont titleFont = m_popoverUi->popoverTitle->font();
    titleFont.setPixelSize(13);
    titleFont.setBold(true);
    m_popoverUi->popoverTitle->setFont(titleFont);

    m_onOff = new QButtonGroup(this);
    m_onOff->setExclusive(true);
    m_onOff->addButton(m_popoverUi->onSegment, 0);
    m_onOff->addButton(m_popoverUi->offSegment, 1);

    connect(m_onOff, &QButtonGroup::idClicked, this, &RVAppDelegate::toggleSnippetVisibility);
    connect(m_popoverUi->editButton, &QPushButton::clicked, this, &RVAppDelegate::editButtonClicked);
    connect(m_popoverUi->doneButton, &QPushButton::clicked, this, &RVAppDelegate::doneButtonClicked);
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RVAppDelegate::tableViewSelectionDidChange);
    connect(m_mainUi->searchField, &QLineEdit::textChanged, this, &RVAppDelegate::controlTextDidChange);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint &at) {
        if (!list->indexAt(at).isValid())
            return;
        updateActions();
        QMenu menu;
        menu.addAction(m_revertAction);
        menu.exec(list->viewport()->mapToGlobal(at));
    });

    //% "Completion shortcut on or off"
    m_popoverUi->onOffSegmentedControl->setAccessibleName(qtTrId("popover_onoff_accessible_name"));
    connect(m_popover, &EditorPopover::closed, this, &RVAppDelegate::updateActions);

    createActions();
    m_window->installEventFilter(this);
    list->installEventFilter(this);
}

void RVAppDelegate::createActions()
{
    //% "&Find"
    m_findAction = new QAction(qtTrId("menu_find"), m_window);
    m_findAction->setShortcut(QKeySequence::Find);
    connect(m_findAction, &QAction::triggered, this, &RVAppDelegate::find);

    //% "&Revert to Standard Snippet"
    m_revertAction = new QAction(qtTrId("menu_revert"), m_window);
    m_revertAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    connect(m_revertAction, &QAction::triggered, this, &RVAppDelegate::revertMenuAction);

    //% "Glimmerpad &Help"
    m_helpAction = new QAction(qtTrId("menu_help"), m_window);
    m_helpAction->setShortcut(QKeySequence::HelpContents);
    connect(m_helpAction, &QAction::triggered, this, &RVAppDelegate::showHelp);

    //% "&Quit"
    m_quitAction = new QAction(qtTrId("menu_quit"), m_window);
    m_quitAction->setShortcut(QKeySequence::Quit);
    m_quitAction->setMenuRole(QAction::QuitRole);
    connect(m_quitAction, &QAction::triggered, m_window, &QWidget::close);

    // The popover's own commands, for the keyboard: its buttons take no shortcuts of their own.
    //% "&Edit Snippet"
    m_editAction = new QAction(qtTrId("menu_edit"), m_window);
    m_editAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(m_editAction, &QAction::triggered, this, [this] {
        if (m_popover->isShown())
            editButtonClicked();
    });
    //% "&Save Snippet"
    m_saveAction = new QAction(qtTrId("menu_save"), m_window);
    m_saveAction->setShortcut(QKeySequence::Save);
    connect(m_saveAction, &QAction::triggered, this, [this] {
        if (m_popover->isShown() && !codeSnippetContents()->isReadOnly() && m_selectedSnippetIsDirty)
            saveSnippet();
    });

    // Shortcuts work in the main window and in the popover, whether or not the menu is open.
    const QList<QAction *> actions{m_findAction,   m_editAction, m_saveAction,
                                   m_revertAction, m_helpAction, m_quitAction};
    for (QAction *action : actions)
        action->setShortcutContext(Qt::ApplicationShortcut);
    m_window->addActions(actions);

    m_menu = new QMenu(m_window);
    m_menu->addAction(m_findAction);
    m_menu->addAction(m_editAction);
    m_menu->addAction(m_saveAction);
    m_menu->addAction(m_revertAction);
    m_menu->addSeparator();
    //% "&Window"
    m_windowMenu = m_menu->addMenu(qtTrId("menu_window"));
    connect(m_windowMenu, &QMenu::aboutToShow, this,
            [this] { RVWindowsMenu::instance().populate(m_windowMenu); });
    m_menu->addAction(m_helpAction);
    m_menu->addSeparator();
    m_menu->addAction(m_quitAction);
    connect(m_menu, &QMenu::aboutToShow, this, &RVAppDelegate::updateActions);
    m_mainUi->menuButton->setMenu(m_menu);
    m_mainUi->menuButton->setIcon(QIcon::fromTheme(QStringLiteral("open-menu-symbolic"),
                                                   QIcon::fromTheme(QStringLiteral("application-menu"))));
    if (m_mainUi->menuButton->icon().isNull())
        m_mainUi->menuButton->setText(QStringLiteral("\u2630")); // the trigram reads as "menu" everywhere
    updateActions();
}

void RVAppDelegate::updateActions()
{
    m_revertAction->setEnabled(canRevertToStandardSnippet());
    m_editAction->setEnabled(m_popover->isShown());
    m_saveAction->setEnabled(m_popover->isShown() && !codeSnippetContents()->isReadOnly());
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
    connect(codeSnippetContents()->document(), &QTextDocument::contentsChanged, this,
            &RVAppDelegate::textStorageDidProcessEditing);
    QPalette listPalette = tableView()->palette();
    listPalette.setColor(QPalette::Base, Qt::white);
    tableView()->setPalette(listPalette);
    connect(tableView(), &QAbstractItemView::doubleClicked, this, &RVAppDelegate::showPopover);
    tableView()->setResizeMode(QListView::Adjust); // the single column always spans the list
    codeSnippetContents()->setTextInset(0.0, 6.0);
    codeSnippetContents()->setFont(SnippetTextEdit::snippetFont());

    parseSystemCodeSnippets();
    if (m_terminating)
        return;
    parseUserCodeSnippets();

    const QRect frame = m_window->frameGeometry();
    if (frame.x() < kMinimumWindowX)
        m_window->move(kMinimumWindowX, frame.y());

    m_window->makeKeyAndOrderFront();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed &&
                                               applicationShouldTerminateAfterLastWindowClosed());

    QTimer::singleShot(0, this, &RVAppDelegate::selectUserSelectedRow);
}

void RVAppDelegate::startObservingScrollViewNotifications()
{
    connect(tableView()->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &RVAppDelegate::scrollViewContentBoundsDidChange);
}

void RVAppDelegate::selectUserSelectedRow()
{
    const int row = m_settings.value(kUserSelectedRowKey, 0).toInt();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row);
    tableView()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    tableView()->scrollTo(index);
}

void RVAppDelegate::prepareCustomWindow()
{
    MainWindowDressing::apply(m_window, this, Strings::localizedString("window_title"));
}

QRectF RVAppDelegate::windowWillPositionSheet(RVWindow *window, QWidget *, const QRectF &proposedRect)
{
    const QRectF frame = window->frameViewFrame();
    return {proposedRect.x(), frame.height() - window->titleBarHeight(), proposedRect.width(),
            proposedRect.height()};
}

void RVAppDelegate::terminate(int exitCode)
{
    m_terminating = true;
    m_interaction.terminate(exitCode);
}

bool RVAppDelegate::eventFilter(QObject *watched, QEvent *event)
{
    // Return opens the selected row beside the list, Escape closes it again.
    if (watched == tableView() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && selectedRow() >= 0) {
            showPopover();
            return true;
        }
        if (key == Qt::Key_Escape && m_popover->isShown()) {
            m_popover->close();
            return true;
        }
    }
    // The popover is a window of its own: keep it beside its row when the main window moves.
    if (watched == m_window && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        repositionPopover();
    return QObject::eventFilter(watched, event);
}

} // namespace Glimmerpad
