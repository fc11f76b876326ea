#include "catalogue/shortcuts.h"

#include "catalogue/plistiteration.h"

#include <QHash>

namespace Glimmerpad::Shortcuts {

QString refusal(const QString &shortcut)
{
    if (shortcut.isEmpty())
        return QStringLiteral("a shortcut cannot be empty; switch the snippet off to have none");
    for (const QChar c : shortcut) {
        if (c.isSpace() || c.category() == QChar::Other_Control) {
            return QStringLiteral("a shortcut cannot hold spaces or control characters");
        }
    }
    return {};
}

bool isEnabled(const SnippetRecord &shown)
{
    const std::optional<QString> &prefix = shown.completionPrefix();
    return prefix && !prefix->trimmed().isEmpty();
}

QStringList scopes(const SnippetRecord &record)
{
    QStringList names;
    ArrayItems items(plist_dict_get_item(record.dictionary(), kScopesKey));
    while (plist_t item = items.next()) {
        if (plist_get_node_type(item) != PLIST_STRING)
            continue;
        uint64_t length = 0;
        const char *utf8 = plist_get_string_ptr(item, &length);
        names.append(QString::fromUtf8(utf8, static_cast<qsizetype>(length)));
    }
    return names.isEmpty() ? QStringList{QString::fromLatin1(kAllScopes)} : names;
}

bool scopesMeet(const QStringList &a, const QStringList &b)
{
    const QString all = QString::fromLatin1(kAllScopes);
    if (a.contains(all) || b.contains(all))
        return true;
    return std::any_of(a.cbegin(), a.cend(), [&b](const QString &scope) { return b.contains(scope); });
}

QList<QList<qsizetype>> clashes(const QList<Candidate> &candidates)
{
    // Only snippets with the same shortcut and language can clash: grouped by those, the scopes
    // are compared within each group, which is a handful at most.
    QHash<QString, QList<qsizetype>> groups;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const SnippetRecord &shown = candidates[i].shown;
        if (!isEnabled(shown))
            continue;
        const QString language = shown.string("IDECodeSnippetLanguage").value_or(QString());
        groups[*shown.completionPrefix() + QChar(0) + language].append(i);
    }
    QList<QList<qsizetype>> found(candidates.size());
    for (const QList<qsizetype> &group : std::as_const(groups)) {
        if (group.size() < 2)
            continue;
        QList<QStringList> groupScopes;
        for (const qsizetype i : group)
            groupScopes.append(scopes(candidates[i].shown));
        for (qsizetype a = 0; a < group.size(); ++a) {
            for (qsizetype b = a + 1; b < group.size(); ++b) {
                if (!scopesMeet(groupScopes[a], groupScopes[b]))
                    continue;
                found[group[a]].append(group[b]);
                found[group[b]].append(group[a]);
            }
        }
    }
    for (QList<qsizetype> &list : found)
        std::sort(list.begin(), list.end());
    return found;
}

} // namespace Glimmerpad::Shortcuts
