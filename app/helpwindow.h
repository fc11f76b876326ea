#pragma once

#include "chrome/rvwindow.h"

#include <QUrl>

class QTextBrowser;

namespace Glimmerpad {

// The help page in a window dressed like the main one. The page ships inside the program, so
// that help shows without a network or a browser; its links to the web open in the browser.
class HelpWindow final : public RVWindow
{
    Q_OBJECT

public:
    // A window of parent's (closed with it), beside it where the screen has room.
    HelpWindow(QWidget *parent, const QUrl &page);

    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};

} // namespace Glimmerpad
