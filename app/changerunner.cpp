#include "app/changerunner.h"

#include "app/userinteraction.h"
#include "chrome/rvwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace Glimmerpad {

ChangeRunner::ChangeRunner(SnippetCatalogue &catalogue, UserInteraction &interaction, RVWindow *window,
                           QObject *parent)
    : QObject(parent), m_catalogue(catalogue), m_interaction(interaction), m_window(window),
      m_progressView(new QWidget), m_progressLabel(new QLabel), m_progressBar(new QProgressBar),
      m_cancelButton(new QPushButton)
{
    auto *layout = new QHBoxLayout(m_progressView);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->addWidget(m_progressLabel);
    layout->addWidget(m_progressBar, 1);
    layout->addWidget(m_cancelButton);
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

ChangeResult ChangeRunner::apply(const SnippetChange &change)
{
    // The batch holds the folder's lock: a second change would wait for it, on itself.
    if (m_batch) {
        //% "Glimmerpad is still changing other snippets; try again when it is done."
        return {ChangeResult::Status::Refused, qtTrId("batch_busy")};
    }
    const ChangeResult result = m_catalogue.apply(change);
    Q_EMIT changed({change.system},
                   change.kind == SnippetChange::Kind::Override && result.status == ChangeResult::Status::Done);
    return result;
}

void ChangeRunner::start(QList<SnippetChange> changes, const QString &failureTitle)
{
    if (m_batch || changes.isEmpty())
        return;
    m_batch = std::make_unique<ChangeBatch>(m_catalogue, std::move(changes));
    m_failureTitle = failureTitle;
    m_failures.clear();
    m_cancelled = false;
    m_started.start();
    m_progressBar->setRange(0, static_cast<int>(m_batch->size()));
    Q_EMIT runningChanged(true);
    runSlice();
}

void ChangeRunner::cancel()
{
    m_cancelled = m_batch != nullptr;
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
            touched.append(change.system);
            wrote |= change.kind == SnippetChange::Kind::Override && result.status == ChangeResult::Status::Done;
            if (!result.succeeded()) {
                m_failures.append(QStringLiteral("%1: %2").arg(
                    change.system.identifier().value_or(change.system.title().value_or(QStringLiteral("?"))),
                    result.reason));
            }
        } while (!m_batch->atEnd() && !m_cancelled && slice.elapsed() < m_slice.count());
        Q_EMIT changed(touched, wrote);
    }
    if (m_batch->atEnd() || m_cancelled) {
        finish(!m_batch->atEnd());
        return;
    }
    if (m_started.elapsed() >= m_progressDelay.count()) {
        //% "Changing %1 of %2 snippets…"
        m_progressLabel->setText(qtTrId("batch_progress")
                                     .arg(QLocale().toString(m_batch->done() + 1), QLocale().toString(m_batch->size())));
        m_progressBar->setValue(static_cast<int>(m_batch->done()));
        m_progressView->show();
    }
    QTimer::singleShot(0, this, &ChangeRunner::runSlice);
}

void ChangeRunner::finish(bool cancelled)
{
    const qsizetype done = m_batch->done();
    const qsizetype size = m_batch->size();
    m_batch.reset(); // lets go of the folder's lock
    m_progressView->hide();
    Q_EMIT runningChanged(false);
    if (m_failures.isEmpty() && !cancelled)
        return;
    QStringList lines;
    if (cancelled) {
        //% "Stopped after %1 of %2 snippets; those stay changed."
        lines.append(qtTrId("batch_stopped").arg(QLocale().toString(done), QLocale().toString(size)));
    }
    if (!m_failures.isEmpty()) {
        //% "%1 of %2 could not be changed; the others are done."
        lines.append(qtTrId("batch_failed_summary").arg(m_failures.size()).arg(done));
        lines += m_failures;
    }
    //% "Stopped"
    const QString title = m_failures.isEmpty() ? qtTrId("batch_stopped_title") : m_failureTitle;
    m_interaction.beginSheet(m_window, m_failures.isEmpty() ? RVSheet::Icon::Information : RVSheet::Icon::Warning,
                             title, lines.join(u'\n'), qtTrId("failure_sheet_button"));
}

} // namespace Glimmerpad
