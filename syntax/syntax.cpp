#include "syntax/syntax.h"

namespace Glimmerpad::Syntax {

Language languageOf(const QString &ideCodeSnippetLanguage)
{
    static const std::pair<const char16_t *, Language> kLanguages[] = {
        {u"Xcode.SourceCodeLanguage.Swift", Language::Swift},
        {u"Xcode.SourceCodeLanguage.Objective-C", Language::ObjectiveC},
        // Objective-C's grammar reads Objective-C++ bodies as far as a snippet goes.
        {u"Xcode.SourceCodeLanguage.Objective-C-Plus-Plus", Language::ObjectiveC},
        {u"Xcode.SourceCodeLanguage.C", Language::C},
        {u"Xcode.SourceCodeLanguage.C-Plus-Plus", Language::Cpp},
    };
    for (const auto &[name, language] : kLanguages) {
        if (ideCodeSnippetLanguage == QStringView(name))
            return language;
    }
    return Language::None;
}

const char *languageName(Language language)
{
    switch (language) {
    case Language::C:
        return "C";
    case Language::Cpp:
        return "C++";
    case Language::ObjectiveC:
        return "Objective-C";
    case Language::Swift:
        return "Swift";
    case Language::None:
        break;
    }
    return "none";
}

} // namespace Glimmerpad::Syntax
