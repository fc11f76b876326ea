#include "catalogue/snippetlanguage.h"

#include <utility>

namespace Glimmerpad::SnippetLanguage {

QString readableName(const QString &value)
{
    // The values whose last component is not what a person calls the language; the rest read as they are.
    static constexpr std::pair<QLatin1StringView, QLatin1StringView> kNames[] = {
        {QLatin1StringView("Xcode.SourceCodeLanguage.C-Plus-Plus"), QLatin1StringView("C++")},
        {QLatin1StringView("Xcode.SourceCodeLanguage.Objective-C-Plus-Plus"),
         QLatin1StringView("Objective-C++")},
    };
    for (const auto &[known, name] : kNames) {
        if (value == known)
            return name;
    }
    const QString last = value.section(u'.', -1);
    return last.isEmpty() ? value : last;
}

bool matches(const QString &value, const QString &query)
{
    return query.compare(value, Qt::CaseInsensitive) == 0 ||
           query.compare(readableName(value), Qt::CaseInsensitive) == 0;
}

} // namespace Glimmerpad::SnippetLanguage
