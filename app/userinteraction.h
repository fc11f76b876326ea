#pragma once

#include "chrome/rvsheet.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class QWidget;

namespace Glimmerpad {

// Everything through which the controller asks the user something modal or leaves the
// process. Tests replace it, so the modal paths run without anyone answering a dialog.
class UserInteraction
{
public:
    virtual ~UserInteraction() = default;

    // The choosers are application-modal and open in startFolder.
    // One that accepts only application bundles (folders named *.app); the chosen path, or nullopt
    // when cancelled.
    virtual std::optional<QString> chooseApplicationBundle(QWidget *parent, const QString &title,
                                                           const QString &message, const QString &prompt,
                                                           const QString &startFolder) = 0;
    // One of one folder (to export into); nullopt when cancelled.
    virtual std::optional<QString> chooseFolder(QWidget *parent, const QString &title, const QString &startFolder) = 0;
    // One of snippet files (to import); empty when cancelled.
    virtual QStringList chooseSnippetFiles(QWidget *parent, const QString &title, const QString &startFolder) = 0;
    // An application-modal critical alert with one button; returns when it is dismissed.
    virtual void runCriticalAlert(QWidget *parent, const QString &title, const QString &message,
                                  const QString &button) = 0;
    // A sheet on window with one button: modal for the window's content, never blocking the caller.
    virtual void beginSheet(RVWindow *window, RVSheet::Icon icon, const QString &title, const QString &message,
                            const QString &button) = 0;
    // A question sheet on window: answered(true) once the user takes the first button,
    // answered(false) for the second, which Return and Escape also press (it is the safe one).
    virtual void beginQuestionSheet(RVWindow *window, const QString &title, const QString &message,
                                    const QString &acceptButton, const QString &rejectButton,
                                    std::function<void(bool)> answered) = 0;
    // A sheet on window with several choices: answered(index) once the user takes one; Return and
    // Escape press the safe one.
    virtual void beginChoiceSheet(RVWindow *window, const QString &title, const QString &message,
                                  const QStringList &buttons, int safeButton, std::function<void(int)> answered) = 0;
    // Shows the help page, shipped with the program, in a window of parent's; again, brings it forward.
    virtual void showHelp(QWidget *parent, const QUrl &page) = 0;
    // Ends the application once control returns to the event loop.
    virtual void terminate(int exitCode) = 0;
};

// The real dialogs.
class DesktopInteraction final : public UserInteraction
{
public:
    std::optional<QString> chooseApplicationBundle(QWidget *parent, const QString &title, const QString &message,
                                                   const QString &prompt, const QString &startFolder) override;
    std::optional<QString> chooseFolder(QWidget *parent, const QString &title, const QString &startFolder) override;
    QStringList chooseSnippetFiles(QWidget *parent, const QString &title, const QString &startFolder) override;
    void runCriticalAlert(QWidget *parent, const QString &title, const QString &message,
                          const QString &button) override;
    void beginSheet(RVWindow *window, RVSheet::Icon icon, const QString &title, const QString &message,
                    const QString &button) override;
    void beginQuestionSheet(RVWindow *window, const QString &title, const QString &message,
                            const QString &acceptButton, const QString &rejectButton,
                            std::function<void(bool)> answered) override;
    void beginChoiceSheet(RVWindow *window, const QString &title, const QString &message, const QStringList &buttons,
                          int safeButton, std::function<void(int)> answered) override;
    void showHelp(QWidget *parent, const QUrl &page) override;
    void terminate(int exitCode) override;
};

// Whether path names an application bundle the chooser may return.
bool isApplicationBundlePath(const QString &path);

} // namespace Glimmerpad
