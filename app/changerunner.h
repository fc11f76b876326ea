#pragma once

#include "catalogue/snippetcatalogue.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

#include <chrono>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace Glimmerpad {

class RVWindow;
class UserInteraction;

// Makes the window's changes to snippets: one at once, or many as a batch that runs a slice at a
// time from the event loop, so the window keeps painting; a batch that takes longer than a moment
// shows its progress below the list and can be stopped between snippets. Whatever was done stays
// done. Every change, alone or in a batch, ends in changed().
class ChangeRunner final : public QObject
{
    Q_OBJECT

public:
    ChangeRunner(SnippetCatalogue &catalogue, UserInteraction &interaction, RVWindow *window,
                 QObject *parent = nullptr);
    ~ChangeRunner() override;

    // The progress of a batch, for the window to place; hidden while nothing runs long.
    QWidget *progressView() const { return m_progressView; }
    // How long a batch runs before its progress shows, and how long it works between two looks at
    // the event loop (at least one change each time).
    void setProgressDelay(std::chrono::milliseconds delay) { m_progressDelay = delay; }
    void setSliceLength(std::chrono::milliseconds length) { m_slice = length; }

    // One change, made at once (refused while a batch runs); the caller tells the user what failed.
    ChangeResult apply(const SnippetChange &change);
    // Starts a batch, unless one runs. At its end one sheet titled failureTitle names each change
    // that failed, and how far a stopped batch got.
    void start(QList<SnippetChange> changes, const QString &failureTitle);
    bool isRunning() const { return m_batch != nullptr; }
    // Stops a batch before its next change.
    void cancel();

Q_SIGNALS:
    // These snippets changed on disk (a slice of a batch at a time); wroteOverride when an override
    // file was written, as opposed to only removed.
    void changed(const QList<SnippetRecord> &systemSnippets, bool wroteOverride);
    void runningChanged(bool running);

private:
    void runSlice();
    void finish(bool cancelled);

    SnippetCatalogue &m_catalogue;
    UserInteraction &m_interaction;
    RVWindow *m_window;
    QWidget *m_progressView;
    QLabel *m_progressLabel;
    QProgressBar *m_progressBar;
    QPushButton *m_cancelButton;
    std::chrono::milliseconds m_progressDelay{400};
    // Long enough to get on, short enough that the window keeps answering.
    std::chrono::milliseconds m_slice{30};

    std::unique_ptr<ChangeBatch> m_batch;
    QString m_failureTitle;
    QStringList m_failures;
    QElapsedTimer m_started;
    bool m_cancelled = false;
};

} // namespace Glimmerpad
