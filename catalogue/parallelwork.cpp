#include "catalogue/parallelwork.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace Glimmerpad {

namespace {

struct LoggedMessage
{
    QtMsgType type;
    QByteArray category;
    const char *file; // the compiler's own strings, alive for the whole run
    int line;
    const char *function;
    QString text;
};

// Where the current thread's messages go while it works on an index; none outside the work.
thread_local std::vector<LoggedMessage> *t_messages = nullptr;
QtMessageHandler s_previousHandler = nullptr;

void keepMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (t_messages) {
        t_messages->push_back({type, QByteArray(context.category), context.file, context.line, context.function, text});
        return;
    }
    // Another thread's message meanwhile: where it would have gone.
    if (s_previousHandler)
        s_previousHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

void replay(const LoggedMessage &message)
{
    const QMessageLogger logger(message.file, message.line, message.function, message.category.constData());
    switch (message.type) {
    case QtDebugMsg:
        logger.debug().noquote() << message.text;
        break;
    case QtInfoMsg:
        logger.info().noquote() << message.text;
        break;
    case QtWarningMsg:
        logger.warning().noquote() << message.text;
        break;
    case QtCriticalMsg:
    case QtFatalMsg: // a fatal message ends the process before it is kept
        logger.critical().noquote() << message.text;
        break;
    }
}

} // namespace

void runForEachIndex(qsizetype count, int threads, const std::function<void(qsizetype index)> &work)
{
    threads = static_cast<int>(std::min<qsizetype>(std::max(threads, 1), count));
    if (threads <= 1) {
        for (qsizetype i = 0; i < count; ++i)
            work(i);
        return;
    }

    std::vector<std::vector<LoggedMessage>> messages(static_cast<std::size_t>(count));
    std::atomic<qsizetype> next = 0;
    const auto worker = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
            t_messages = &messages[static_cast<std::size_t>(i)];
            work(i);
            t_messages = nullptr;
        }
    };
    s_previousHandler = qInstallMessageHandler(keepMessage);
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(static_cast<std::size_t>(threads - 1));
        for (int t = 1; t < threads; ++t)
            helpers.emplace_back(worker);
        worker();
    } // joined
    qInstallMessageHandler(s_previousHandler);
    s_previousHandler = nullptr;
    for (const std::vector<LoggedMessage> &logged : messages) {
        for (const LoggedMessage &message : logged)
            replay(message);
    }
}

} // namespace Glimmerpad
