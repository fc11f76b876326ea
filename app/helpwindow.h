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

    // The page in the first of the languages (as QLocale::uiLanguages() gives them) that a copy
    // of it beside it is written in, "index.de.html" beside "index.html"; the page itself where
    // there is none.
    static QUrl pageInLanguage(const QUrl &page, const QStringList &languages);

private:
    QTextBrowser *m_browser;
};

} // namespace Glimmerpad
