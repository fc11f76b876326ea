#include "app/mainwindow.h"

#include "app/filterbar.h"
#include "app/editorpopover.h"
#include "app/snippetitemdelegate.h"
#include "app/snippetlistmodel.h"
#include "chrome/rvwindow.h"
#include "chrome/rvwindowframegestures.h"
#include "chrome/rvwindowsmenu.h"
#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>
#include <QPainter>
#include <QPixmap>
#include <QIcon>
#include <QVBoxLayout>

#include <algorithm>

namespace Glimmerpad {

// The search field's body choice: a page with lines, filled in the highlight colour when on, so
// the state shows where the search is typed.
static QIcon bodySearchIcon(bool on, const QPalette &palette)
{
    QIcon icon;
    for (const qreal scale : {1.0, 2.0}) {
        QPixmap pixmap(QSize(16, 16) * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor ink = on ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::PlaceholderText);
        if (on) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(palette.color(QPalette::Highlight));
            painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
        }
        painter.setPen(QPen(ink, 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(3.5, 2.5, 9, 11), 1.5, 1.5);
        for (const qreal y : {5.5, 8.0, 10.5})
            painter.drawLine(QPointF(5.5, y), QPointF(10.5, y));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

MainWindow::MainWindow(const SnippetCatalogue &catalogue, QObject *parent)
    : QObject(parent), m_catalogue(catalogue), m_window(new RVWindow)
{
    m_content = new QWidget;
    Ui::MainContent form;
    form.setupUi(m_content);
    m_window->setGeometry(m_content->geometry());
    m_window->setContentView(m_content);
    m_tableView = form.tableView;
    m_searchField = form.searchField;
    m_languageChoice = form.languageChoice;
    m_menuButton = form.menuButton;

    m_model = new SnippetListModel(catalogue, this);
    m_tableView->setModel(m_model);
    m_tableView->setItemDelegate(new SnippetItemDelegate(m_tableView));
    connect(m_tableView, &QWidget::customContextMenuRequested, this, &MainWindow::showRowMenu);

    // A strip in the list's colour right of and below the list, outside its scroll bar: the scroll
    // bar keeps every press on it, and the window's right edge and corner must stay to resize by.
    auto *layout = qobject_cast<QVBoxLayout *>(m_content->layout());
    auto *listFrame = new QWidget;
    listFrame->setBackgroundRole(QPalette::Base);
    listFrame->setAutoFillBackground(true);
    auto *listLayout = new QVBoxLayout(listFrame);
    listLayout->setContentsMargins(0, 0, RVWindowFrameGestures::kResizeMargin, RVWindowFrameGestures::kResizeMargin);
    delete layout->replaceWidget(m_tableView, listFrame);
    listLayout->addWidget(m_tableView);

    createActions();

    m_filterBar = new FilterBar;
    //% "Changed"
    m_filterBar->addFilter(m_actions.showChangedOnly, qtTrId("filter_chip_changed"));
    //% "Needing Attention"
    m_filterBar->addFilter(m_actions.needsAttention, qtTrId("filter_chip_needs_attention"));
    //% "Clashing"
    m_filterBar->addFilter(m_actions.showClashes, qtTrId("filter_chip_clashes"));
    //% "Bodies Too"
    m_filterBar->addFilter(m_actions.searchBodies, qtTrId("filter_chip_bodies"));
    // The choice sits in the search field too, where the search is typed.
    m_searchField->addAction(m_actions.searchBodies, QLineEdit::TrailingPosition);
    connect(m_actions.searchBodies, &QAction::toggled, this, &MainWindow::showBodySearch);
    showBodySearch(false);
    layout->insertWidget(layout->indexOf(listFrame), m_filterBar);
    // Through the bar's chips from the controls above it to the list below.
    QWidget *before = form.menuButton;
    for (QWidget *chip : m_filterBar->findChildren<QAbstractButton *>()) {
        QWidget::setTabOrder(before, chip);
        before = chip;
    }
    QWidget::setTabOrder(before, m_tableView);
    connect(m_model, &QAbstractItemModel::modelReset, this, &MainWindow::updateListStates);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &MainWindow::updateListStates);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &MainWindow::updateListStates);
    updateListStates();
    // The search field's clear button has no words of its own: the tooltip and screen readers need some.
    //% "Clear Search"
    const QString clear = qtTrId("search_clear");
    const QList<QToolButton *> searchButtons = m_searchField->findChildren<QToolButton *>();
    for (QToolButton *button : searchButtons) {
        if (button->defaultAction() == m_actions.searchBodies)
            continue;
        button->setAccessibleName(clear);
        button->setToolTip(clear);
    }
    for (QObject *watched : watchedViews())
        watched->installEventFilter(this);
}

QList<QObject *> MainWindow::watchedViews() const
{
    return {m_window, m_tableView, m_tableView->viewport(), m_searchField, m_menuButton};
}

MainWindow::~MainWindow()
{
    // The views tell of their own destruction through the filters; nothing is to be asked of them then.
    for (QObject *watched : watchedViews())
        watched->removeEventFilter(this);
    delete m_window; // takes every view with it, the popover (a child window) too
}

void MainWindow::createActions()
{
    const auto make = [this](const QString &text, const QKeySequence &shortcut = {}) {
        auto *action = new QAction(text, m_window);
        action->setShortcut(shortcut);
        // Shortcuts work in the main window and in the popover, whether or not the menu is open.
        action->setShortcutContext(Qt::ApplicationShortcut);
        m_window->addAction(action);
        return action;
    };
    //% "&Find"
    m_actions.find = make(qtTrId("menu_find"), QKeySequence::Find);
    // The popover's own commands, for the keyboard: its buttons take no shortcuts of their own.
    //% "&Edit Snippet"
    m_actions.edit = make(qtTrId("menu_edit"), QKeySequence(Qt::CTRL | Qt::Key_E));
    //% "&Save Snippet"
    m_actions.save = make(qtTrId("menu_save"), QKeySequence::Save);
    //% "Co&mpare with Standard"
    m_actions.compare = make(qtTrId("menu_compare"), QKeySequence(Qt::CTRL | Qt::Key_D));
    // On many rows at once as on one: the highlighted rows.
    //% "Turn Shortcut &Off"
    m_actions.turnOff = make(qtTrId("menu_turn_off"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    //% "Turn Shortcut O&n"
    m_actions.turnOn = make(qtTrId("menu_turn_on"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    //% "&Revert to Standard Snippet"
    m_actions.revert = make(qtTrId("menu_revert"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    //% "Show &Changed Only"
    m_actions.showChangedOnly = make(qtTrId("menu_show_changed_only"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_actions.showChangedOnly->setCheckable(true);
    //% "Show Needing &Attention"
    m_actions.needsAttention = make(qtTrId("menu_needs_attention"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    m_actions.needsAttention->setCheckable(true);
    //% "Show C&lashes"
    m_actions.showClashes = make(qtTrId("menu_show_clashes"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    m_actions.showClashes->setCheckable(true);
    //% "Search &Bodies Too"
    m_actions.searchBodies = make(qtTrId("menu_search_bodies"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    m_actions.searchBodies->setCheckable(true);
    //% "Re&base on Current Standard"
    m_actions.rebase = make(qtTrId("menu_rebase"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    //% "E&xport Overrides…"
    m_actions.exportOverrides = make(qtTrId("menu_export"));
    //% "&Import Overrides…"
    m_actions.importOverrides = make(qtTrId("menu_import"));
    //% "Glimmerpad &Help"
    m_actions.help = make(qtTrId("menu_help"), QKeySequence::HelpContents);
    //% "&Quit"
    m_actions.quit = make(qtTrId("menu_quit"), QKeySequence::Quit);
    m_actions.quit->setMenuRole(QAction::QuitRole);
    connect(m_actions.quit, &QAction::triggered, m_window, &QWidget::close);

    m_menu = new QMenu(m_window);
    m_menu->addActions({m_actions.find, m_actions.edit, m_actions.save, m_actions.compare});
    m_menu->addSeparator();
    m_menu->addActions({m_actions.turnOff, m_actions.turnOn, m_actions.revert, m_actions.rebase});
    m_menu->addSeparator();
    m_menu->addActions({m_actions.searchBodies, m_actions.showChangedOnly, m_actions.needsAttention,
                        m_actions.showClashes, m_actions.exportOverrides,
                        m_actions.importOverrides});
    m_menu->addSeparator();
    //% "&Window"
    m_windowMenu = m_menu->addMenu(qtTrId("menu_window"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this] { RVWindowsMenu::instance().populate(m_windowMenu); });
    m_menu->addAction(m_actions.help);
    m_menu->addSeparator();
    m_menu->addAction(m_actions.quit);
    m_menuButton->setMenu(m_menu);
    // The trigram reads as "menu" everywhere and, as text, takes the palette's colour: a theme's
    // symbolic icon is drawn dark whatever the palette, and vanishes on a dark one.
    m_menuButton->setText(QStringLiteral("\u2630"));
}

void MainWindow::showBodySearch(bool on)
{
    m_actions.searchBodies->setIcon(bodySearchIcon(on, m_searchField->palette()));
    //% "Search titles, summaries, shortcuts and bodies"
    const QString withBodies = qtTrId("search_placeholder_bodies");
    //% "Search titles, summaries and shortcuts"
    const QString withoutBodies = qtTrId("search_placeholder_plain");
    m_searchField->setPlaceholderText(on ? withBodies : withoutBodies);
}

void MainWindow::showViewChoices()
{
    showBodySearch(m_actions.searchBodies->isChecked());
    updateListStates();
}

void MainWindow::addBelowList(QWidget *view)
{
    qobject_cast<QVBoxLayout *>(m_content->layout())->addWidget(view);
}

void MainWindow::setTabFollower(EditorPopover *popover)
{
    m_tabFollower = popover;
    connect(popover, &EditorPopover::tabbedOut, this, &MainWindow::focusAfterTabFollower);
}

bool MainWindow::tabFollowerTakesKeys() const
{
    return m_tabFollower && m_tabFollower->isShown() && m_tabFollower->isEnabled() &&
           !m_tabFollower->tabStops().isEmpty();
}

void MainWindow::focusAfterTabFollower(bool forward)
{
    m_window->activateWindow();
    if (!forward) {
        m_tableView->setFocus(Qt::BacktabFocusReason);
        return;
    }
    // What follows the list in the window's own tab order, round to the top.
    for (QWidget *w = m_tableView->nextInFocusChain(); w && w != m_tableView; w = w->nextInFocusChain()) {
        if (w->window() == m_window && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() &&
            !w->focusProxy()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    m_tableView->setFocus(Qt::TabFocusReason);
}

// ---- rows -----------------------------------------------------------------------------------

int MainWindow::selectedRow() const
{
    const QModelIndexList rows = m_tableView->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

QList<int> MainWindow::selectedRows() const
{
    QList<int> rows;
    const QModelIndexList selected = m_tableView->selectionModel()->selectedRows();
    for (const QModelIndex &index : selected)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int MainWindow::currentRow() const
{
    return m_tableView->currentIndex().row();
}

QList<SnippetRecord> MainWindow::recordsOfRows(const QList<int> &rows) const
{
    QList<SnippetRecord> records;
    records.reserve(rows.size());
    for (const int row : rows)
        records.append(m_catalogue.recordAtRow(row));
    return records;
}

QList<SnippetRecord> MainWindow::highlightedSnippets() const
{
    return recordsOfRows(selectedRows());
}

void MainWindow::selectRow(int row)
{
    const QModelIndex index = m_model->index(row);
    m_tableView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_tableView->scrollTo(index);
}

QRect MainWindow::rectOfRow(int row) const
{
    if (row < 0 || row >= m_model->rowCount())
        return {};
    QRect visual = m_tableView->visualRect(m_model->index(row));
    visual.translate(m_tableView->horizontalScrollBar()->value(), m_tableView->verticalScrollBar()->value());
    return visual;
}

QRect MainWindow::visiblePartOfRow(int row) const
{
    const QRect whole = m_tableView->visualRect(m_model->index(row));
    const int bottom = m_tableView->viewport()->height();
    const int top = std::clamp(whole.top(), 0, bottom);
    return QRect(whole.left(), top, whole.width(), std::clamp(whole.bottom() + 1, top, bottom) - top);
}

bool MainWindow::rowIsOutOfView(int row) const
{
    const qreal scrollY = m_tableView->verticalScrollBar()->value();
    const qreal visibleHeight = m_tableView->viewport()->height();
    const QRect rect = rectOfRow(row);
    // Strict on both sides: a row touching an edge still counts as visible.
    return scrollY > rect.y() + rect.height() || rect.y() - scrollY > visibleHeight;
}

QRect MainWindow::headerGlobalRect() const
{
    // From the window's top down to the list: the title bar, then whatever bars stand above the list.
    const int listTop = m_tableView->mapTo(m_window, QPoint()).y();
    return {m_window->mapToGlobal(QPoint()), QSize(m_window->width(), listTop)};
}

QList<SnippetRecord> MainWindow::reloadKeepingHighlight(const std::function<void()> &change)
{
    const QList<SnippetRecord> library = m_catalogue.systemCodeSnippets();
    const QList<SnippetRecord> highlighted = highlightedSnippets();
    const SnippetRecord current = m_catalogue.recordAtRow(currentRow());
    change();
    m_model->reloadData();

    // Reloading a Qt view drops its selection and current row: put them back by snippet, the same
    // rows again when nothing moved, and the arrow keys go on from the current one.
    QList<SnippetRecord> kept;
    for (const SnippetRecord &record : highlighted)
        kept.append(m_catalogue.counterpartOf(record, library));
    return setHighlight(kept, m_catalogue.counterpartOf(current, library));
}

QList<SnippetRecord> MainWindow::setHighlight(const QList<SnippetRecord> &systemSnippets, const SnippetRecord &current)
{
    const QList<qsizetype> rows = m_catalogue.rowsOf(systemSnippets + QList{current});
    QItemSelectionModel *selection = m_tableView->selectionModel();
    const QSignalBlocker blocker(selection);
    QItemSelection restored;
    QList<SnippetRecord> shown;
    int currentRow = static_cast<int>(rows.last());
    for (qsizetype i = 0; i < systemSnippets.size(); ++i) {
        if (const int row = static_cast<int>(rows[i]); row >= 0) {
            restored.select(m_model->index(row), m_model->index(row));
            shown.append(systemSnippets[i]);
            if (currentRow < 0)
                currentRow = row;
        }
    }
    if (currentRow >= 0)
        selection->setCurrentIndex(m_model->index(currentRow), QItemSelectionModel::NoUpdate);
    selection->select(restored, QItemSelectionModel::ClearAndSelect);
    m_tableView->viewport()->update();
    return shown;
}

void MainWindow::reloadRowsOf(const QList<SnippetRecord> &systemSnippets)
{
    for (const qsizetype row : m_catalogue.rowsOf(systemSnippets))
        m_model->reloadRow(static_cast<int>(row));
}

// ---- views ----------------------------------------------------------------------------------

SnippetFilter MainWindow::currentFilter() const
{
    SnippetFilter filter{m_searchField->text(), m_actions.showChangedOnly->isChecked(),
                         m_languageChoice->currentIndex() > 0 ? m_languageChoice->currentData().toString() : QString()};
    filter.needsAttention = m_actions.needsAttention->isChecked();
    filter.clashesOnly = m_actions.showClashes->isChecked();
    filter.textInBodies = m_actions.searchBodies->isChecked();
    return filter;
}

void MainWindow::updateListStates()
{
    m_filterBar->refresh();
    const SnippetFilter filter = currentFilter();
    const bool othersOn = filter.changedOnly || filter.needsAttention || filter.clashesOnly || !filter.language.isEmpty();
    QString headline;
    QString hint;
    if (!filter.text.isEmpty()) {
        if (othersOn) {
            //% "No snippet matches “%1” with the filters on."
            headline = qtTrId("empty_search_filtered").arg(filter.text);
        } else {
            //% "No snippet matches “%1”."
            headline = qtTrId("empty_search").arg(filter.text);
            //% "The search looks in titles, summaries and shortcuts; Search Bodies Too looks in bodies as well."
            const QString withoutBodies = qtTrId("empty_search_hint");
            //% "The search looks in titles, summaries, shortcuts and bodies."
            const QString withBodies = qtTrId("empty_search_hint_bodies");
            hint = filter.textInBodies ? withBodies : withoutBodies;
        }
    } else if (filter.needsAttention) {
        if (filter.language.isEmpty()) {
            //% "Nothing needs attention."
            headline = qtTrId("empty_attention");
        } else {
            //% "Nothing in %1 needs attention."
            headline = qtTrId("empty_attention_language").arg(filter.language);
        }
    } else if (filter.clashesOnly) {
        //% "No two snippets answer the same shortcut in the same place."
        headline = qtTrId("empty_clashes");
    } else if (filter.changedOnly) {
        if (filter.language.isEmpty()) {
            //% "No snippet is changed."
            headline = qtTrId("empty_changed");
        } else {
            //% "No snippet in %1 is changed."
            headline = qtTrId("empty_changed_language").arg(filter.language);
        }
    } else if (!filter.language.isEmpty()) {
        //% "No snippet in %1."
        headline = qtTrId("empty_language").arg(filter.language);
    } else {
        //% "This Xcode has no snippets."
        headline = qtTrId("empty_library");
    }
    if (othersOn) {
        //% "Turn a filter off to see more snippets."
        hint = qtTrId("empty_filters_hint");
    }
    m_tableView->setEmptyText(headline, hint);
}

void MainWindow::fillLanguageChoice(const QStringList &languages, const QString &chosen)
{
    const QSignalBlocker blocker(m_languageChoice);
    m_languageChoice->clear();
    //% "All Languages"
    m_languageChoice->addItem(qtTrId("language_all"));
    for (const QString &language : languages)
        m_languageChoice->addItem(language, language);
    m_languageChoice->setCurrentIndex(std::max(m_languageChoice->findData(chosen), 0));
    m_languageChoice->setVisible(!languages.isEmpty());
}

// The row's own menu acts on the row it was opened on: on all the highlighted rows when it is one
// of them, on it alone otherwise.
void MainWindow::showRowMenu(const QPoint &at)
{
    const int row = m_tableView->indexAt(at).row();
    if (row < 0)
        return;
    const QList<int> highlighted = selectedRows();
    const QList<SnippetRecord> snippets = recordsOfRows(highlighted.contains(row) ? highlighted : QList<int>{row});
    QMenu menu;
    const auto add = [&](const QAction *like, bool enabled, std::function<void()> run) {
        QAction *action = menu.addAction(like->text());
        action->setShortcut(like->shortcut());
        action->setEnabled(enabled && m_changesAllowed);
        connect(action, &QAction::triggered, this, std::move(run));
    };
    const bool anyOverridden = std::any_of(snippets.cbegin(), snippets.cend(), [this](const SnippetRecord &system) {
        return m_catalogue.hasOverride(system.identifier());
    });
    add(m_actions.turnOff, true, [this, snippets] { Q_EMIT turnShortcutRequested(snippets, true); });
    add(m_actions.turnOn, true, [this, snippets] { Q_EMIT turnShortcutRequested(snippets, false); });
    add(m_actions.revert, anyOverridden, [this, snippets] { Q_EMIT revertRequested(snippets); });
    const bool anyStale = std::any_of(snippets.cbegin(), snippets.cend(), [this](const SnippetRecord &system) {
        return m_catalogue.isStale(system);
    });
    add(m_actions.rebase, anyStale, [this, snippets] { Q_EMIT rebaseRequested(snippets); });
    menu.exec(m_tableView->viewport()->mapToGlobal(at));
}

void MainWindow::showRowMenuFromKeyboard()
{
    int row = currentRow();
    if (row < 0 && !selectedRows().isEmpty())
        row = selectedRows().first();
    if (row < 0)
        return;
    const QModelIndex index = m_model->index(row);
    m_tableView->scrollTo(index);
    const QRect rect = m_tableView->visualRect(index);
    showRowMenu(QPoint(SnippetItemDelegate::textRect(rect).left(), rect.center().y()));
}

bool MainWindow::listKeyPress(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    // Return opens the selected row beside the list, Escape closes it again.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && selectedRow() >= 0) {
        Q_EMIT openRequested();
        return true;
    }
    if (key == Qt::Key_Escape) {
        Q_EMIT closeRequested();
        return true;
    }
    // With nothing highlighted an arrow highlights the row the focus ring is on (the first one
    // when there is none) instead of moving past it.
    if ((key == Qt::Key_Down || key == Qt::Key_Up) && modifiers == Qt::NoModifier && selectedRows().isEmpty() &&
        m_model->rowCount() > 0) {
        selectRow(std::max(currentRow(), 0));
        return true;
    }
    if (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
        showRowMenuFromKeyboard();
        return true;
    }
    if (key == Qt::Key_Tab && modifiers == Qt::NoModifier && tabFollowerTakesKeys()) {
        m_tabFollower->focusFromOutside(true);
        return true;
    }
    return false;
}

bool MainWindow::searchKeyPress(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    // Down goes on into the results, to the first one when none is highlighted.
    if (key == Qt::Key_Down && modifiers == Qt::NoModifier) {
        m_tableView->setFocus(Qt::OtherFocusReason);
        if (selectedRows().isEmpty() && m_model->rowCount() > 0)
            selectRow(0);
        return true;
    }
    if (key == Qt::Key_Escape && modifiers == Qt::NoModifier && !m_searchField->text().isEmpty()) {
        m_searchField->clear();
        return true;
    }
    // Backwards from the top of the window, the popover comes before it: it follows the list.
    if (key == Qt::Key_Backtab && tabFollowerTakesKeys()) {
        m_tabFollower->focusFromOutside(false);
        return true;
    }
    return false;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((watched == m_tableView && listKeyPress(key)) || (watched == m_searchField && searchKeyPress(key)))
            return true;
        // Return opens the menu too, not only Space.
        if (watched == m_menuButton && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            m_menuButton->showMenu();
            return true;
        }
    }
    // The Menu key: Qt puts its menu at the mouse pointer, over whatever row that is.
    if (watched == m_tableView && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
        showRowMenuFromKeyboard();
        return true;
    }
    // The list's own size settles after the window's; only then is it known whether a row still shows.
    if ((watched == m_window && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) ||
        (watched == m_tableView->viewport() && event->type() == QEvent::Resize))
        Q_EMIT geometryChanged();
    return QObject::eventFilter(watched, event);
}

} // namespace Glimmerpad
