#include "app/helpwindow.h"

#include "app/screenfit.h"
#include "chrome/rvwindowdressing.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

namespace Glimmerpad {

static constexpr QSize kHelpSize(560, 640);
static constexpr int kMinimumHelpWidth = 400;

QUrl HelpWindow::pageInLanguage(const QUrl &page, const QStringList &languages)
{
    // Only pages shipped inside the program are looked for beside: one on the web is what it is.
    if (page.scheme() != QLatin1StringView("qrc"))
        return page;
    const QString path = page.path();
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0)
        return page;
    for (const QString &language : languages) {
        // "de-DE", then "de"; English is the page itself.
        for (const QString &name : {language, language.section(u'-', 0, 0)}) {
            if (name.startsWith(QLatin1StringView("en")))
                return page;
            const QString localized = path.left(dot) + u'.' + name + path.mid(dot);
            if (QFileInfo::exists(u':' + localized)) {
                QUrl found(page);
                found.setPath(localized);
                return found;
            }
        }
    }
    return page;
}

HelpWindow::HelpWindow(QWidget *parent, const QUrl &page) : RVWindow(parent), m_browser(new QTextBrowser)
{
    setAttribute(Qt::WA_DeleteOnClose);
    resize(kHelpSize);
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setFrameShape(QFrame::NoFrame);
    m_browser->document()->setDocumentMargin(12);
    m_browser->setOpenExternalLinks(true);
    m_browser->setSource(pageInLanguage(page, QLocale().uiLanguages()));
    setContentView(content);
    //% "Glimmerpad Help"
    MainWindowDressing::apply(this, nullptr, qtTrId("help_window_title"));
    m_browser->setAccessibleName(windowTitle());
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    // Beside the window it helps with, on the side with more room, narrower to fit there while it
    // stays readable; over it on a screen without such room. Wholly on the screen.
    QRect frame(QPoint(), size());
    const QRect available =
        (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    frame.moveCenter(available.center());
    if (parent) {
        const QRect beside = parent->window()->frameGeometry();
        const int roomRight = available.right() - beside.right();
        const int roomLeft = beside.left() - available.left();
        const int room = std::max(roomLeft, roomRight);
        frame.moveTop(beside.top());
        if (room >= kMinimumHelpWidth) {
            frame.setWidth(std::min(frame.width(), room));
            if (roomRight >= frame.width())
                frame.moveLeft(beside.right() + 1);
            else
                frame.moveRight(beside.left() - 1);
        }
    }
    setGeometry(fittedInto(frame, available));
}

} // namespace Glimmerpad
