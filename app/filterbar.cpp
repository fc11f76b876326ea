#include "app/filterbar.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

namespace Glimmerpad {

namespace {

// Return presses a focused chip as Space does: on this desktop Return acts on the focused button.
class Chip final : public QToolButton
{
public:
    using QToolButton::QToolButton;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            event->modifiers() == Qt::NoModifier) {
            click();
            return;
        }
        QToolButton::keyPressEvent(event);
    }
};

} // namespace

FilterBar::FilterBar(QWidget *parent) : QWidget(parent), m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(10, 0, 10, 6);
    m_layout->setSpacing(6);
    //% "Showing only:"
    m_label = new QLabel(qtTrId("filter_bar_label"), this);
    m_layout->addWidget(m_label);
    m_layout->addStretch(1);
    hide();
}

void FilterBar::addFilter(QAction *action, const QString &text)
{
    auto *chip = new Chip(this);
    // The cross says that pressing takes the filter away.
    chip->setText(text + QStringLiteral("  \u2715"));
    const QString command = action->text().remove(u'&');
    //% "Turn off “%1”"
    const QString turnOff = qtTrId("filter_chip_turn_off").arg(command);
    chip->setToolTip(
        action->shortcut().isEmpty()
            ? turnOff
            : QStringLiteral("%1 (%2)").arg(turnOff, action->shortcut().toString(QKeySequence::NativeText)));
    chip->setAccessibleName(turnOff);
    chip->setFocusPolicy(Qt::StrongFocus);
    m_layout->insertWidget(m_layout->count() - 1, chip);
    connect(chip, &QAbstractButton::clicked, action, [action] { action->setChecked(false); });
    connect(action, &QAction::toggled, this, &FilterBar::refresh);
    m_filters.append({action, chip});
    refresh();
}

QList<QAbstractButton *> FilterBar::visibleChips() const
{
    QList<QAbstractButton *> chips;
    for (const Filter &filter : m_filters) {
        if (filter.action->isChecked())
            chips.append(filter.chip);
    }
    return chips;
}

void FilterBar::refresh()
{
    bool any = false;
    for (const Filter &filter : m_filters) {
        filter.chip->setVisible(filter.action->isChecked());
        any = any || filter.action->isChecked();
    }
    setVisible(any);
}

} // namespace Glimmerpad
