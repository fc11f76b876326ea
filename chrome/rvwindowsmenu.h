#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QMenu;
class QWidget;

namespace Glimmerpad {

// The application's list of open windows, kept by the windows themselves as they are ordered in
// and out, and shown as a Window menu.
class RVWindowsMenu final : public QObject
{
    Q_OBJECT

public:
    struct Item
    {
        QPointer<QWidget> window;
        QString title;
        bool isFilename = false;
    };

    static RVWindowsMenu &instance();

    // Adds the window, or updates its entry when it is listed already.
    void addWindowsItem(QWidget *window, const QString &title, bool isFilename);
    void removeWindowsItem(QWidget *window);
    QList<Item> items() const;

    // Fills menu with one entry per listed window; choosing one brings that window to the front.
    void populate(QMenu *menu) const;

private:
    RVWindowsMenu() = default;
    QList<Item> m_items;
};

} // namespace Glimmerpad
