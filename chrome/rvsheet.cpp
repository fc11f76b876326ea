#include "chrome/rvsheet.h"

#include "chrome/rvaccessible.h"
#include "chrome/rvwindow.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace Glimmerpad {

namespace {

constexpr int kPreferredWidth = 420;
constexpr int kMinimumWidth = 260;
constexpr int kWindowMargin = 10; // between the sheet and the window's sides and bottom
constexpr int kCornerRadius = 6;
constexpr int kIconSize = 32;
constexpr char kOrderProperty[] = "glimmerpadSheetOrder";

// Takes every click and keeps the content under it inert; a faint shade says so.
class Veil final : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), QColor(0, 0, 0, 28)); }
    void mousePressEvent(QMouseEvent *event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent *event) override { event->accept(); }
    void mouseDoubleClickEvent(QMouseEvent *event) override { event->accept(); }
    void wheelEvent(QWheelEvent *event) override { event->accept(); }
};

QIcon iconFor(RVSheet::Icon icon, const QStyle *style)
{
    switch (icon) {
    case RVSheet::Icon::Warning:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case RVSheet::Icon::Question:
        return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case RVSheet::Icon::Information:
        break;
    }
    return style->standardIcon(QStyle::SP_MessageBoxInformation);
}

} // namespace

RVSheet::RVSheet(RVWindow *window, Icon icon, const QString &title, const QString &message,
                 const QList<Button> &buttons)
    : QWidget(new Veil(window)), m_window(window), m_veil(parentWidget()), m_roles(buttons), m_title(title),
      m_message(message)
{
    static quint64 order = 0;
    setProperty(kOrderProperty, ++order);
    m_veil->hide();
    setAttribute(Qt::WA_StyledBackground, false);
    setAutoFillBackground(false);
    // Read out as an alert when it shows: its title, then its message.
    setAccessibleRole(this, QAccessible::AlertMessage);
    setAccessibleName(title);
    setAccessibleDescription(message);

    auto *iconLabel = new QLabel(this);
    iconLabel->setPixmap(iconFor(icon, style()).pixmap(kIconSize, kIconSize));
    iconLabel->setAlignment(Qt::AlignTop);
    auto *titleLabel = new QLabel(title, this);
    titleLabel->setTextFormat(Qt::PlainText);
    titleLabel->setWordWrap(true);
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    auto *messageLabel = new QLabel(message, this);
    messageLabel->setTextFormat(Qt::PlainText);
    messageLabel->setWordWrap(true);
    messageLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        auto *button = new QPushButton(buttons[i].text, this);
        // Return presses the button that has the keys; the default one has them first. The look of
        // the default follows the keys.
        button->setAutoDefault(true);
        button->setDefault(buttons[i].isDefault);
        connect(button, &QPushButton::clicked, this, [this, i] { dismiss(static_cast<int>(i)); });
        buttonRow->addWidget(button);
        m_buttons.append(button);
    }

    auto *text = new QVBoxLayout;
    text->addWidget(titleLabel);
    text->addWidget(messageLabel);
    text->addSpacing(6);
    text->addLayout(buttonRow);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(14);
    layout->addWidget(iconLabel, 0, Qt::AlignTop);
    layout->addLayout(text, 1);
}

RVSheet *RVSheet::begin(RVWindow *window, Icon icon, const QString &title, const QString &message,
                        const QList<Button> &buttons)
{
    auto *sheet = new RVSheet(window, icon, title, message, buttons);
    if (current(window) == sheet)
        sheet->present();
    return sheet;
}

RVSheet *RVSheet::current(const RVWindow *window)
{
    if (!window)
        return nullptr;
    // The earliest sheet still there; later ones wait for it.
    const QList<RVSheet *> sheets = window->findChildren<RVSheet *>();
    const auto first = std::min_element(sheets.cbegin(), sheets.cend(), [](const RVSheet *a, const RVSheet *b) {
        return a->property(kOrderProperty).toULongLong() < b->property(kOrderProperty).toULongLong();
    });
    return first == sheets.cend() ? nullptr : *first;
}

QString RVSheet::title() const
{
    return m_title;
}

QString RVSheet::message() const
{
    return m_message;
}

void RVSheet::present()
{
    if (!m_window)
        return;
    // The window's commands wait too: their shortcuts would act on the content behind the sheet.
    const QList<QAction *> actions = m_window->actions();
    for (QAction *action : actions)
        action->installEventFilter(this);
    m_window->installEventFilter(this);
    place();
    m_veil->show();
    m_veil->raise();
    show();
    // The keys go to the sheet, also when another window of the program (a panel beside the
    // window) had them; they go back there once it is dismissed.
    if (!m_previousFocus)
        m_previousFocus = QApplication::focusWidget();
    if (!m_windowFocus)
        m_windowFocus = m_window->focusWidget();
    m_window->activateWindow();
    takeFocus();
    // Content that takes the keys while the sheet is up (a row restored, a panel opening) would
    // leave the sheet unanswerable from the keyboard: the keys come back, and go there afterwards.
    if (!m_focusGuard) {
        m_focusGuard = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
            if (!isVisible() || !now || !m_window || now == this || isAncestorOf(now) || !m_window->isAncestorOf(now))
                return;
            m_windowFocus = now;
            takeFocus();
        });
    }
}

void RVSheet::takeFocus()
{
    int focus = 0;
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (m_roles[i].isDefault)
            focus = i;
    }
    if (!m_buttons.isEmpty())
        m_buttons[focus]->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

void RVSheet::place()
{
    if (!m_window)
        return;
    const int top = qRound(m_window->titleBarHeight());
    m_veil->setGeometry(0, top, m_window->width(), std::max(0, m_window->height() - top));

    // As wide as it likes within the window, as tall as its wrapped text needs, never beyond the window.
    const int room = std::max(0, m_veil->width() - 2 * kWindowMargin);
    const int width = std::min(room, std::max(kMinimumWidth, std::min(kPreferredWidth, sizeHint().width())));
    const int height =
        std::min(std::max(0, m_veil->height() - kWindowMargin), layout()->totalHeightForWidth(width));
    resize(width, height);
    m_window->positionSheet(this);
}

void RVSheet::dismiss(int button)
{
    if (!isVisible())
        return;
    disconnect(m_focusGuard);
    if (m_window)
        m_window->removeEventFilter(this);
    // The keys go straight on, to the sheet waiting after this one or back where they were, while
    // this one still shows: hiding the widget that has them would hand them along the window's tab
    // order first, and a screen reader would read out a button on the way.
    RVWindow *window = m_window;
    if (RVSheet *waiting = nextSheet(window); waiting && waiting != this)
        handOver(waiting);
    else
        giveBackFocus();
    hide();
    m_veil->hide();
    Q_EMIT finished(button);
    // Gone from the window before the next sheet is looked for: one begun by whoever answered.
    m_veil->setParent(nullptr);
    m_veil->deleteLater();
    if (RVSheet *next = current(window); next && !next->isVisible())
        handOver(next);
}

RVSheet *RVSheet::nextSheet(const RVWindow *window) const
{
    if (!window)
        return nullptr;
    RVSheet *next = nullptr;
    const QList<RVSheet *> sheets = window->findChildren<RVSheet *>();
    for (RVSheet *sheet : sheets) {
        if (sheet != this && (!next || sheet->property(kOrderProperty).toULongLong() <
                                           next->property(kOrderProperty).toULongLong()))
            next = sheet;
    }
    return next;
}

void RVSheet::handOver(RVSheet *next)
{
    next->m_previousFocus = m_previousFocus;
    next->m_windowFocus = m_windowFocus;
    next->present();
}

void RVSheet::giveBackFocus()
{
    // The window's own focus goes back where it was (not to whatever follows the sheet's button),
    // and the keys to the window that had them.
    if (m_windowFocus && m_windowFocus->isVisible())
        m_windowFocus->setFocus(Qt::OtherFocusReason);
    else if (m_window)
        m_window->setFocus(Qt::OtherFocusReason);
    if (m_previousFocus && m_previousFocus->isVisible()) {
        m_previousFocus->activateWindow();
        m_previousFocus->setFocus(Qt::OtherFocusReason);
    }
}

void RVSheet::keyPressEvent(QKeyEvent *event)
{
    const bool accept = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool cancel = event->key() == Qt::Key_Escape;
    if (event->modifiers() & ~Qt::KeypadModifier || (!accept && !cancel)) {
        QWidget::keyPressEvent(event);
        return;
    }
    // A button with the keys takes Return itself. Otherwise Return presses the default button;
    // Escape the cancel button, or the default one when there is no other way out.
    int chosen = -1;
    for (int i = 0; i < m_roles.size(); ++i) {
        if ((accept && m_roles[i].isDefault) || (cancel && m_roles[i].isCancel))
            chosen = i;
    }
    if (chosen < 0 && cancel) {
        for (int i = 0; i < m_roles.size(); ++i) {
            if (m_roles[i].isDefault)
                chosen = i;
        }
    }
    if (chosen >= 0)
        m_buttons[chosen]->click();
}

bool RVSheet::focusNextPrevChild(bool next)
{
    // Tab goes round the sheet's buttons and never into the content behind it.
    if (m_buttons.isEmpty())
        return true;
    qsizetype at = m_buttons.indexOf(qobject_cast<QPushButton *>(focusWidget()));
    at = (at + (next ? 1 : m_buttons.size() - 1)) % m_buttons.size();
    m_buttons[at]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool RVSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (isVisible() && event->type() == QEvent::Shortcut && qobject_cast<QAction *>(watched))
        return true;
    if (watched == m_window && event->type() == QEvent::Resize && isVisible())
        place();
    return QWidget::eventFilter(watched, event);
}

void RVSheet::paintEvent(QPaintEvent *)
{
    // A panel with its top edge along the title bar and rounded lower corners.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, -kCornerRadius, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(r, kCornerRadius, kCornerRadius);
    QColor border = palette().color(QPalette::WindowText);
    border.setAlpha(70);
    painter.setPen(QPen(border, 1));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawPath(path);
}

} // namespace Glimmerpad
