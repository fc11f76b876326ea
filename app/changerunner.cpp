#include "app/changerunner.h"

#include "app/strings.h"
#include "app/userinteraction.h"
#include "chrome/rvwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace Glimmerpad {

// How often a lock another program holds is tried again.
static constexpr std::chrono::milliseconds kLockRetry{100};

ChangeRunner::ChangeRunner(SnippetCatalogue &catalogue, UserInteraction &interaction, RVWindow *window,
                           QObject *parent)
    : QObject(parent), m_catalogue(catalogue), m_interaction(interaction), m_window(window),
      m_progressView(new QWidget), m_progressLabel(new QLabel), m_progressBar(new QProgressBar),
      m_cancelButton(new QPushButton)
{
    auto *layout = new QHBoxLayout(m_progressView);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->addWidget(m_progressLabel, 1);
    layout->addWidget(m_progressBar, 1);
    layout->addWidget(m_cancelButton);
    m_progressLabel->setWordWrap(true);
    //% "Changing snippets"
    m_progressBar->setAccessibleName(qtTrId("batch_progress_accessible_name"));
    //% "Stop"
    m_cancelButton->setText(qtTrId("batch_stop"));
    m_cancelButton->setShortcut(Qt::Key_Escape);
    connect(m_cancelButton, &QPushButton::clicked, this, &ChangeRunner::cancel);
    m_progressView->hide();
}

ChangeRunner::~ChangeRunner()
{
    // Not yet in a window when the program stops before its window was built.
    if (!m_progressView->parent())
        delete m_progressView;
}

void ChangeRunner::run(QList<SnippetChange> changes, const QString &failureTitle, Done done)
{
    if (m_batch) {
        // The batch holds the folder's lock: another change would wait for it, on itself.
        //% "Glimmerpad is still changing other snippets; try again when it is done."
        const ChangeResult busy{ChangeResult::Status::Refused, qtTrId("batch_busy")};
        if (done)
            done(QList<ChangeResult>(changes.size(), busy));
        return;
    }
    if (changes.isEmpty()) {
        if (done)
            done({});
        return;
    }
    m_changes = changes;
    m_batch = std::make_unique<ChangeBatch>(m_catalogue, std::move(changes));
    m_results.clear();
    m_failureTitle = failureTitle;
    m_done = std::move(done);
    m_cancelled = false;
    m_started.start();
    Q_EMIT runningChanged(true);
    takeLock();
}

void ChangeRunner::cancel()
{
    m_cancelled = m_batch != nullptr;
}

// The lock is tried from the event loop, never waited for on the window's thread.
void ChangeRunner::takeLock()
{
    if (m_batch->begin(std::chrono::milliseconds(0)) == SnippetStore::Lock::State::Busy && !m_cancelled &&
        m_started.elapsed() < SnippetStore::Lock::waitLimit().count()) {
        //% "Waiting: %1."
        showProgress(qtTrId("batch_waiting").arg(m_batch->lockFailure()), -1);
        QTimer::singleShot(kLockRetry, this, &ChangeRunner::takeLock);
        return;
    }
    runSlice();
}

void ChangeRunner::showProgress(const QString &text, int value)
{
    if (m_started.elapsed() < m_progressDelay.count())
        return;
    m_progressLabel->setText(text);
    if (value < 0) {
        m_progressBar->setRange(0, 0); // busy, with no end in sight
    } else {
        m_progressBar->setRange(0, static_cast<int>(m_batch->size()));
        m_progressBar->setValue(value);
    }
    m_progressView->show();
}

void ChangeRunner::runSlice()
{
    if (!m_cancelled) {
        QList<SnippetRecord> touched;
        bool wrote = false;
        QElapsedTimer slice;
        slice.start();
        do {
            const SnippetChange &change = m_batch->next();
            const ChangeResult result = m_batch->step();
            m_results.append(result);
            touched.append(change.system);
            wrote |= change.kind == SnippetChange::Kind::Override && result.status == ChangeResult::Status::Done;
        } while (!m_batch->atEnd() && !m_cancelled && slice.elapsed() < m_slice.count());
        Q_EMIT changed(touched, wrote);
    }
    if (m_batch->atEnd() || m_cancelled) {
        finish();
        return;
    }
    //% "Changing %1 of %2 snippets…"
    showProgress(qtTrId("batch_progress").arg(QLocale().toString(m_batch->done() + 1), QLocale().toString(m_batch->size())),
                 static_cast<int>(m_batch->done()));
    QTimer::singleShot(0, this, &ChangeRunner::runSlice);
}

void ChangeRunner::finish()
{
    const qsizetype done = m_batch->done();
    const qsizetype size = m_batch->size();
    const QString lockWaited = done == 0 ? m_batch->lockFailure() : QString();
    const QString released = m_batch->finish(); // lets go of the folder's lock
    m_batch.reset();
    m_progressView->hide();
    //% "stopped before this snippet was changed"
    const QString notMade = qtTrId("batch_stopped_before");
    while (m_results.size() < size)
        m_results.append({ChangeResult::Status::Failed, lockWaited.isEmpty() ? notMade : lockWaited});
    Q_EMIT runningChanged(false);

    const bool stopped = done < size;
    QStringList failures;
    for (qsizetype i = 0; i < done; ++i) {
        if (!m_results[i].succeeded()) {
            const SnippetRecord &system = m_changes[i].system;
            failures.append(QStringLiteral("%1: %2").arg(
                system.identifier().value_or(system.title().value_or(QStringLiteral("?"))), m_results[i].reason));
        }
    }
    if (!released.isEmpty())
        failures.append(Strings::sentence(released));
    if (const Done tell = std::exchange(m_done, {}))
        tell(m_results);
    if (m_failureTitle.isEmpty() || (failures.isEmpty() && !stopped))
        return;
    QStringList lines;
    if (stopped) {
        //% "Stopped after %1 of %2 snippets; those stay changed."
        lines.append(lockWaited.isEmpty() ? qtTrId("batch_stopped").arg(QLocale().toString(done), QLocale().toString(size))
                                          : Strings::sentence(lockWaited));
    }
    if (!failures.isEmpty()) {
        //% "%1 of %2 could not be changed; the others are done."
        lines.append(qtTrId("batch_failed_summary").arg(failures.size()).arg(done));
        lines += failures;
    }
    //% "Stopped"
    const QString title = failures.isEmpty() ? qtTrId("batch_stopped_title") : m_failureTitle;
    m_interaction.beginSheet(m_window, failures.isEmpty() ? RVSheet::Icon::Information : RVSheet::Icon::Warning,
                             title, lines.join(u'\n'), qtTrId("failure_sheet_button"));
}

} // namespace Glimmerpad
