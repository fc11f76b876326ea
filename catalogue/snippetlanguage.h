#pragma once

#include <QString>

// The languages a snippet's IDECodeSnippetLanguage names, as a person reads them.
namespace Glimmerpad::SnippetLanguage {

// "Xcode.SourceCodeLanguage.Swift" -> "Swift", "...C-Plus-Plus" -> "C++", "...Objective-C-Plus-Plus"
// -> "Objective-C++"; any other value gives what follows its last '.' (the whole value when nothing
// follows it); an empty value gives an empty name.
QString readableName(const QString &value);

// Whether query names the language of value: its readable name or the full value, ignoring case.
bool matches(const QString &value, const QString &query);

} // namespace Glimmerpad::SnippetLanguage
