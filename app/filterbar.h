#pragma once

#include <QList>
#include <QWidget>

class QAbstractButton;
class QAction;
class QLayout;
class QLabel;

namespace Glimmerpad {

// Under the search field: the filters of the menu that are on, each as a chip that says so and
// turns it off when pressed (by click, Space or Return). Hidden while none is on, so a filter
// remembered from the last run never narrows the list unseen.
class FilterBar final : public QWidget
{
    Q_OBJECT

public:
    explicit FilterBar(QWidget *parent = nullptr);

    // A chip reading `text` that shows while the checkable action is checked.
    void addFilter(QAction *action, const QString &text);
    // The chips of the filters on, in the order added.
    QList<QAbstractButton *> visibleChips() const;
    // Shows the chips of the actions checked now; the bar hides when none is.
    void refresh();

private:
    struct Filter
    {
        QAction *action;
        QAbstractButton *chip;
    };
    QLayout *m_layout;
    QLabel *m_label;
    QList<Filter> m_filters;
};

} // namespace Glimmerpad
