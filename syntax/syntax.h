#pragma once

#include <QString>
#include <QtGlobal>

// What a snippet body's words are, for colouring it: the languages Glimmerpad highlights and the
// kinds of span it gives. Positions and lengths are in UTF-16 code units, as QString and
// QTextDocument count them.
namespace Glimmerpad::Syntax {

enum class Language : quint8
{
    None, // shown plain
    C,
    Cpp,
    ObjectiveC, // also Objective-C++
    Swift,
};

// The language of an IDECodeSnippetLanguage value ("Xcode.SourceCodeLanguage.Swift", ...): Swift,
// Objective-C, Objective-C++, C and C++ have one; anything else gives None.
Language languageOf(const QString &ideCodeSnippetLanguage);

// A short name for messages and tests: "C", "C++", "Objective-C", "Swift", "none".
const char *languageName(Language language);

// What a span is, from the highlight queries' capture names: "keyword.function" is a Keyword,
// "string.escape" a String, and so on (kindOfCapture() in compiledquery.cpp has the table).
enum class Kind : quint8
{
    Keyword,
    String,
    Comment,
    Number,
    Type,
    Function,
    Constant,
    Variable,
    Property,
    Preprocessor, // directives, macros
    Attribute,
    Operator,
    Punctuation,
};
inline constexpr int kKindCount = 13;

struct Span
{
    int start = 0;
    int length = 0;
    Kind kind = Kind::Keyword;

    friend bool operator==(const Span &, const Span &) = default;
};

// A stretch of text: what an edit changed, to be highlighted again.
struct TextRange
{
    int start = 0;
    int length = 0;

    int end() const { return start + length; }
    friend bool operator==(const TextRange &, const TextRange &) = default;
};

} // namespace Glimmerpad::Syntax
