#include "app/strings.h"

#include "catalogue/snippetrecord.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

#include <algorithm>

Q_LOGGING_CATEGORY(lcStrings, "glimmerpad.strings", QtWarningMsg)

namespace Glimmerpad::Strings {

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

QString sentence(const QString &clause)
{
    QString text = clause.trimmed();
    if (text.isEmpty())
        return text;
    // A word, not a name: a clause may begin with a file name or an identifier, which keep their case.
    const qsizetype space = text.indexOf(u' ');
    const QStringView firstWord = QStringView(text).first(space < 0 ? text.size() : space);
    if (std::all_of(firstWord.begin(), firstWord.end(), [](QChar c) { return c.isLetter(); }))
        text[0] = text[0].toUpper();
    if (!text.endsWith(u'.') && !text.endsWith(u'?') && !text.endsWith(u'!'))
        text += u'.';
    return text;
}

QString snippetNames(const QList<SnippetRecord> &snippets)
{
    QStringList names;
    for (const SnippetRecord &snippet : snippets) {
        //% "“%1”"
        //: A snippet's title quoted in running text
        const QString quoted = qtTrId("snippet_name_quoted");
        names.append(quoted.arg(snippet.title().value_or(snippet.identifier().value_or(QString()))));
    }
    return names.join(QStringLiteral(", "));
}

QString scopeName(const QString &scope)
{
    // Xcode's own names for the places where it offers a completion.
    if (scope == QLatin1StringView("All")) {
        //% "All"
        return qtTrId("scope_all");
    }
    if (scope == QLatin1StringView("ClassImplementation")) {
        //% "Class Implementation"
        return qtTrId("scope_class_implementation");
    }
    if (scope == QLatin1StringView("ClassInterfaceMethods")) {
        //% "Class Interface Methods"
        return qtTrId("scope_class_interface_methods");
    }
    if (scope == QLatin1StringView("ClassInterfaceVariables")) {
        //% "Class Interface Variables"
        return qtTrId("scope_class_interface_variables");
    }
    if (scope == QLatin1StringView("CodeBlock")) {
        //% "Function or Method"
        return qtTrId("scope_code_block");
    }
    if (scope == QLatin1StringView("CodeExpression")) {
        //% "Code Expression"
        return qtTrId("scope_code_expression");
    }
    if (scope == QLatin1StringView("StringOrComment")) {
        //% "String or Comment"
        return qtTrId("scope_string_or_comment");
    }
    if (scope == QLatin1StringView("TopLevel")) {
        //% "Top Level"
        return qtTrId("scope_top_level");
    }
    if (scope == QLatin1StringView("Preprocessor")) {
        //% "Preprocessor Directive"
        return qtTrId("scope_preprocessor");
    }
    return scope;
}

QStringList scopeNames(const QStringList &scopes)
{
    QStringList names;
    for (const QString &scope : scopes)
        names.append(scopeName(scope));
    return names;
}

} // namespace Glimmerpad::Strings
