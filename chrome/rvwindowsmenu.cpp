#include "chrome/rvwindowsmenu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace Glimmerpad {

RVWindowsMenu &RVWindowsMenu::instance()
{
    static RVWindowsMenu menu;
    return menu;
}

void RVWindowsMenu::addWindowsItem(QWidget *window, const QString &title, bool isFilename)
{
    for (Item &item : m_items) {
        if (item.window == window) {
            item.title = title;
            item.isFilename = isFilename;
            return;
        }
    }
    m_items.append({window, title, isFilename});
}

void RVWindowsMenu::removeWindowsItem(QWidget *window)
{
    m_items.removeIf([window](const Item &item) { return !item.window || item.window == window; });
}

QList<RVWindowsMenu::Item> RVWindowsMenu::items() const
{
    QList<Item> live;
    for (const Item &item : m_items) {
        if (item.window)
            live.append(item);
    }
    return live;
}

void RVWindowsMenu::populate(QMenu *menu) const
{
    menu->clear();
    for (const Item &item : items()) {
        // Without a menu title of its own a window goes by its window title.
        const QString text = item.title.isEmpty() ? item.window->windowTitle() : item.title;
        QAction *action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(item.window->isActiveWindow());
        QPointer<QWidget> window = item.window;
        connect(action, &QAction::triggered, menu, [window] {
            if (!window)
                return;
            if (window->isMinimized())
                window->showNormal();
            window->show();
            window->raise();
            window->activateWindow();
        });
    }
}

} // namespace Glimmerpad
