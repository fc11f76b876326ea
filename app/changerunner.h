#pragma once

#include "catalogue/snippetcatalogue.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace Glimmerpad {

class RVWindow;
class UserInteraction;

// Makes the window's changes to snippets without ever blocking the window: the changes run a
// slice at a time from the event loop, so the window keeps painting, and while another program
// holds the snippet folder's lock the runner waits for it from the event loop too. Anything that
// takes longer than a moment shows below the list and can be stopped (between two snippets, or
// while waiting); whatever was done stays done. Every change ends in changed().
class ChangeRunner final : public QObject
{
    Q_OBJECT

public:
    // Every change's result, in the order given; those a stop left unmade fail with the reason.
    using Done = std::function<void(const QList<ChangeResult> &results)>;

    ChangeRunner(SnippetCatalogue &catalogue, UserInteraction &interaction, RVWindow *window,
                 QObject *parent = nullptr);
    ~ChangeRunner() override;

    // The progress of a batch, for the window to place; hidden while nothing takes long.
    QWidget *progressView() const { return m_progressView; }
    // How long a batch runs (or waits) before its progress shows, and how long it works between two
    // looks at the event loop (at least one change each time).
    void setProgressDelay(std::chrono::milliseconds delay) { m_progressDelay = delay; }
    void setSliceLength(std::chrono::milliseconds length) { m_slice = length; }

    // Makes the changes, at once when the lock is free and they are few. With failureTitle, one
    // sheet so titled names each change that failed at the end, and how far a stopped batch got;
    // without, done tells the caller, who says what failed. Refused while a batch runs.
    void run(QList<SnippetChange> changes, const QString &failureTitle, Done done = {});
    bool isRunning() const { return m_batch != nullptr; }
    // Stops a batch before its next change, or its waiting for the lock.
    void cancel();

Q_SIGNALS:
    // These snippets changed on disk (a slice of a batch at a time); wroteOverride when an override
    // file was written, as opposed to only removed.
    void changed(const QList<SnippetRecord> &systemSnippets, bool wroteOverride);
    void runningChanged(bool running);

private:
    void takeLock();
    void runSlice();
    void showProgress(const QString &text, int value);
    void finish();

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
    QList<SnippetChange> m_changes;
    QList<ChangeResult> m_results;
    QString m_failureTitle;
    Done m_done;
    QElapsedTimer m_started;
    bool m_cancelled = false;
};

} // namespace Glimmerpad
