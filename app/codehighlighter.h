#pragma once

#include "syntax/syntax.h"

#include <QColor>
#include <QList>
#include <QSyntaxHighlighter>

#include <array>
#include <memory>

namespace Glimmerpad {

namespace Syntax {
class Document;
}

// The document's text with its block and line separators (U+2029, U+2028) as line feeds, one unit
// each, so that positions stay the document's; no-break spaces stay.
QString textWithLineFeeds(const QTextDocument *document);

// A colour for each kind of span; an invalid colour leaves such text as it is.
using SyntaxColors = std::array<QColor, Syntax::kKindCount>;

// Colours a snippet body: its code by what the language's grammar reads each word as, and the text
// of its placeholder tokens (SnippetTextEdit paints the boxes behind them). It follows the
// document's edits incrementally: the tree is edited rather than read again, and only the lines
// whose highlighting an edit changed are coloured again.
class CodeHighlighter final : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    explicit CodeHighlighter(QTextDocument *document);
    ~CodeHighlighter() override;

    // The grammar to read the text with; Language::None colours the tokens only. Until the
    // language's grammar is ready (it is prepared off this thread at first need) the code stays
    // plain, and is coloured as soon as it is.
    void setLanguage(Syntax::Language language);
    Syntax::Language language() const;
    void setColors(const SyntaxColors &kinds, const QColor &tokenText);

protected:
    void highlightBlock(const QString &text) override;

private:
    void followEdit(int position, int charsRemoved, int charsAdded);
    void colourChangedLines();
    // Colouring anew is no change of the text: the document keeps quiet meanwhile, or an editor
    // would take it for typing.
    void rehighlightQuietly();

    std::unique_ptr<Syntax::Document> m_syntax;
    SyntaxColors m_kindColors;
    QColor m_tokenColor;
    // What the last edit changed beyond the lines the base class colours again itself.
    QList<Syntax::TextRange> m_changed;
};

} // namespace Glimmerpad
