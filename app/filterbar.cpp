#include "app/filterbar.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QToolButton>

#include <algorithm>

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

// Lays its items out in a row and goes on in the next row where the width runs out: the chips
// keep their whole words however many filters are on and however long their language's words are.
class FlowLayout final : public QLayout
{
public:
    using QLayout::QLayout;
    ~FlowLayout() override
    {
        while (QLayoutItem *item = takeAt(0))
            delete item;
    }

    void addItem(QLayoutItem *item) override { m_items.append(item); }
    int count() const override { return static_cast<int>(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override
    {
        return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
    }
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }
    QSize sizeHint() const override
    {
        // All in one row.
        int width = 0;
        int height = 0;
        for (const QLayoutItem *item : m_items) {
            if (item->isEmpty())
                continue;
            width += (width > 0 ? spacing() : 0) + item->sizeHint().width();
            height = std::max(height, item->sizeHint().height());
        }
        const QMargins margins = contentsMargins();
        return QSize(width + margins.left() + margins.right(), height + margins.top() + margins.bottom());
    }
    QSize minimumSize() const override
    {
        // The widest item on a row of its own.
        QSize size;
        for (const QLayoutItem *item : m_items) {
            if (!item->isEmpty())
                size = size.expandedTo(item->sizeHint());
        }
        const QMargins margins = contentsMargins();
        return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
    }
    void setGeometry(const QRect &rect) override
    {
        QLayout::setGeometry(rect);
        arrange(rect, true);
    }

private:
    // Returns the height the items take in rect's width; places them when asked to.
    int arrange(const QRect &rect, bool place) const
    {
        const QRect area = rect.marginsRemoved(contentsMargins());
        int y = area.top();
        QList<QLayoutItem *> row;
        int rowWidth = 0;
        int rowHeight = 0;
        // Each row's items centred on one line, so that the label reads level with the chips.
        const auto finishRow = [&] {
            int x = area.left();
            for (QLayoutItem *item : std::as_const(row)) {
                const QSize hint = item->sizeHint();
                if (place)
                    item->setGeometry(QRect(QPoint(x, y + (rowHeight - hint.height()) / 2), hint));
                x += hint.width() + spacing();
            }
            y += rowHeight;
            row.clear();
            rowWidth = 0;
            rowHeight = 0;
        };
        for (QLayoutItem *item : m_items) {
            if (item->isEmpty())
                continue;
            const QSize hint = item->sizeHint();
            if (!row.isEmpty() && rowWidth + spacing() + hint.width() > area.width()) {
                finishRow();
                y += spacing();
            }
            rowWidth += (row.isEmpty() ? 0 : spacing()) + hint.width();
            rowHeight = std::max(rowHeight, hint.height());
            row.append(item);
        }
        if (!row.isEmpty())
            finishRow();
        return y - rect.top() + contentsMargins().bottom();
    }

    QList<QLayoutItem *> m_items;
};

} // namespace

FilterBar::FilterBar(QWidget *parent) : QWidget(parent), m_layout(new FlowLayout(this))
{
    m_layout->setContentsMargins(10, 0, 10, 6);
    m_layout->setSpacing(6);
    //% "Showing only:"
    m_label = new QLabel(qtTrId("filter_bar_label"), this);
    m_layout->addWidget(m_label);
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
    m_layout->addWidget(chip);
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
