#include "app/strings.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

Q_LOGGING_CATEGORY(lcStrings, "glimmerpad.strings", QtWarningMsg)

namespace Glimmerpad::Strings {

// The keys of the strings table with their English texts, listed once so that lupdate sees
// every key even though the lookups pass keys by variable.
[[maybe_unused]] static const char *const kKeys[] = {
    //% "Glimmerpad"
    QT_TRID_NOOP("window_title"),
    //% "Where is Xcode?"
    QT_TRID_NOOP("openpanel_title"),
    //% "Xcode is not in the Applications folder. "
    //% "Choose the Xcode application whose snippets you want to see."
    QT_TRID_NOOP("openpanel_message"),
    //% "Choose"
    QT_TRID_NOOP("openpanel_prompt"),
    //% "This version of Xcode is not supported"
    QT_TRID_NOOP("version_support_sheet_title"),
    //% "Glimmerpad needs Xcode 4.3 or later. Install a newer Xcode, or choose another one at the next start."
    QT_TRID_NOOP("version_support_sheet_message"),
    //% "Quit"
    QT_TRID_NOOP("version_support_sheet_default_button"),
    //% "Xcode is running"
    QT_TRID_NOOP("xcode_process_sheet_title"),
    //% "Xcode reads snippets when it starts. Quit and reopen Xcode to use the snippets you have changed."
    QT_TRID_NOOP("xcode_process_sheet_message"),
    //% "OK"
    QT_TRID_NOOP("xcode_process_sheet_default_button"),
};

void installTranslations(QCoreApplication &app)
{
    // Installed first and so searched last: the English texts stand in for whatever the
    // user's language lacks. Without any catalogue qtTrId would show the bare keys.
    auto *english = new QTranslator(&app);
    if (english->load(QStringLiteral(":/i18n/glimmerpad_en.qm"))) {
        QCoreApplication::installTranslator(english);
    } else {
        qCWarning(lcStrings) << "the English strings table is missing; showing keys";
        delete english;
    }

    // Qt's own texts (standard buttons, the file chooser) in the user's language where installed.
    auto *qt = new QTranslator(&app);
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    } else {
        delete qt;
    }

    auto *local = new QTranslator(&app);
    if (local->load(QLocale(), QStringLiteral("glimmerpad"), QStringLiteral("_"), QStringLiteral(":/i18n")) &&
        local->filePath() != QLatin1StringView(":/i18n/glimmerpad_en.qm")) {
        QCoreApplication::installTranslator(local);
    } else {
        delete local;
    }
}

QString localizedString(const char *key)
{
    return qtTrId(key);
}

} // namespace Glimmerpad::Strings
