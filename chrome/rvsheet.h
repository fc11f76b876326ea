#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QPushButton;

namespace Glimmerpad {

class RVWindow;

// A message that hangs from the lower edge of a window's title bar, inside the window: modal for
// the window's content only (the content below it takes no clicks, keys or commands while it is
// up, the title bar stays live, so the window can still be moved), never blocking the event loop.
// Sheets of one window come one at a time: a second waits until the first is dismissed.
class RVSheet final : public QWidget
{
    Q_OBJECT

public:
    enum class Icon
    {
        Information,
        Warning,
        Question,
    };

    struct Button
    {
        QString text;
        bool isDefault = false; // it has the keys first, so Return presses it
        bool isCancel = false;  // Escape presses it
    };

    // Shows a sheet on window, at once or after the sheets before it; it deletes itself once
    // dismissed, after finished().
    static RVSheet *begin(RVWindow *window, Icon icon, const QString &title, const QString &message,
                          const QList<Button> &buttons);
    // The sheet showing on window now; null when none.
    static RVSheet *current(const RVWindow *window);

    QString title() const;
    QString message() const;
    QList<QPushButton *> buttons() const { return m_buttons; }

Q_SIGNALS:
    // The index of the button pressed.
    void finished(int button);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    RVSheet(RVWindow *window, Icon icon, const QString &title, const QString &message, const QList<Button> &buttons);
    void present();
    void takeFocus(); // to the default button
    // The sheet of the window shown after this one: null when none waits.
    RVSheet *nextSheet(const RVWindow *window) const;
    void handOver(RVSheet *next); // shows next with the keys, which go back where they were after it
    void giveBackFocus();
    void place();
    void dismiss(int button);

    QPointer<RVWindow> m_window;
    QWidget *m_veil; // covers the window below the title bar, taking what its content would get
    QList<QPushButton *> m_buttons;
    QList<Button> m_roles;
    QString m_title;
    QString m_message;
    QPointer<QWidget> m_previousFocus; // where the keys were before the sheet took them
    QPointer<QWidget> m_windowFocus;   // the window's own focus widget then
    QMetaObject::Connection m_focusGuard;
};

} // namespace Glimmerpad
