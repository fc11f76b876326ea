#include "app/helpwindow.h"

#include "app/screenfit.h"
#include "chrome/rvwindowdressing.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace Glimmerpad {

static constexpr QSize kHelpSize(560, 640);

HelpWindow::HelpWindow(QWidget *parent, const QUrl &page) : RVWindow(parent), m_browser(new QTextBrowser)
{
    setAttribute(Qt::WA_DeleteOnClose);
    resize(kHelpSize);
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setFrameShape(QFrame::NoFrame);
    m_browser->setOpenExternalLinks(true);
    m_browser->setSource(page);
    setContentView(content);
    //% "Glimmerpad Help"
    MainWindowDressing::apply(this, nullptr, qtTrId("help_window_title"));
    m_browser->setAccessibleName(windowTitle());
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    // Beside the window it helps with: on its right where the screen has room, else on its left,
    // else over it; wholly on the screen.
    QRect frame(QPoint(), size());
    const QRect available = (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    if (parent) {
        const QRect beside = parent->window()->frameGeometry();
        frame.moveTopLeft(beside.topRight() + QPoint(1, 0));
        if (frame.right() > available.right())
            frame.moveRight(beside.left() - 1);
    } else {
        frame.moveCenter(available.center());
    }
    setGeometry(fittedInto(frame, available));
}

} // namespace Glimmerpad
