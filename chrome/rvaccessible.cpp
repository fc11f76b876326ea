#include "chrome/rvaccessible.h"

#include "chrome/rvtitlebarview.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace Glimmerpad {

namespace {

constexpr char kRoleProperty[] = "_rvAccessibleRole";

// The title bar draws its title with a shadow: two labels that would each read the title again
// after the window has said it. It reads once, as the window's title (a label: Qt's own title-bar
// role reaches AT-SPI as editable text), with nothing inside it; the window buttons on it are the
// window's own children.
class TitleBarAccessible final : public QAccessibleWidget
{
public:
    explicit TitleBarAccessible(QWidget *view) : QAccessibleWidget(view, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return widget()->window() == widget() ? QString() : widget()->window()->windowTitle();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
};

QAccessibleInterface *chromeFactory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1StringView(RVTitlebarView::staticMetaObject.className()))
        return new TitleBarAccessible(widget);
    // Asked for the most derived class first: a role given to the widget wins over its class's.
    if (const QVariant role = widget->property(kRoleProperty); role.isValid())
        return new QAccessibleWidget(widget, static_cast<QAccessible::Role>(role.toInt()));
    return nullptr;
}

} // namespace

void installChromeAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(chromeFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void setAccessibleRole(QWidget *widget, QAccessible::Role role)
{
    installChromeAccessibility();
    widget->setProperty(kRoleProperty, static_cast<int>(role));
}

} // namespace Glimmerpad
