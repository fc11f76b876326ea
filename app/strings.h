#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QCoreApplication;

namespace Glimmerpad {
class SnippetRecord;
}

namespace Glimmerpad::Strings {

// Loads the program's strings table (Qt Linguist, id-based) for the system's language,
// English when there is none for it. Texts are fetched with qtTrId(id), their English text in a
// "//%" comment above the call.
void installTranslations(QCoreApplication &app);

// A reason as the catalogue gives it (a clause, as the command line prints it after a colon) made
// a sentence of its own: a capital first letter (unless it begins with a name, such as a file's) and
// a full stop.
QString sentence(const QString &clause);

// Snippets named for a reader: their titles in quotes (an identifier where there is no title),
// joined by commas.
QString snippetNames(const QList<SnippetRecord> &snippets);

// Completion scopes in words ("Function or Method" for "CodeBlock"); a scope without words of its
// own keeps its name.
QString scopeName(const QString &scope);
QStringList scopeNames(const QStringList &scopes);

} // namespace Glimmerpad::Strings
