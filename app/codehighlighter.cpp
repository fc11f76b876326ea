#include "app/codehighlighter.h"

#include "app/snippettextedit.h"
#include "syntax/document.h"

#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>

namespace Glimmerpad {

CodeHighlighter::CodeHighlighter(QTextDocument *document)
    // Owned by the document but not yet on it: followEdit() is connected first, so that the tree
    // has taken an edit in before the base class colours the edited lines from it.
    : QSyntaxHighlighter(static_cast<QObject *>(document))
{
    connect(document, &QTextDocument::contentsChange, this, &CodeHighlighter::followEdit);
    setDocument(document);
    connect(document, &QTextDocument::contentsChange, this, &CodeHighlighter::colourChangedLines);
}

CodeHighlighter::~CodeHighlighter() = default;

void CodeHighlighter::setLanguage(Syntax::Language language)
{
    if (language == this->language())
        return;
    m_syntax.reset();
    if (language != Syntax::Language::None) {
        m_syntax = std::make_unique<Syntax::Document>(language);
        connect(m_syntax.get(), &Syntax::Document::highlightingReady, this,
                &CodeHighlighter::rehighlightQuietly);
        m_syntax->setText(textWithLineFeeds(document()));
    }
    m_changed.clear();
    rehighlightQuietly();
}

Syntax::Language CodeHighlighter::language() const
{
    return m_syntax ? m_syntax->language() : Syntax::Language::None;
}

void CodeHighlighter::setColors(const SyntaxColors &kinds, const QColor &tokenText)
{
    if (kinds == m_kindColors && tokenText == m_tokenColor)
        return;
    m_kindColors = kinds;
    m_tokenColor = tokenText;
    rehighlightQuietly();
}

void CodeHighlighter::highlightBlock(const QString &text)
{
    if (m_syntax && m_syntax->isReady()) {
        const int blockStart = currentBlock().position();
        for (const Syntax::Span &span : m_syntax->spans(blockStart, int(text.size()))) {
            if (const QColor &colour = m_kindColors[size_t(span.kind)]; colour.isValid())
                setFormat(span.start - blockStart, span.length, colour);
        }
    }
    for (const auto &[start, length] : SnippetTextEdit::placeholderRanges(text))
        setFormat(start, length, m_tokenColor);
}

void CodeHighlighter::followEdit(int position, int charsRemoved, int charsAdded)
{
    if (!m_syntax)
        return;
    // The base class colours the lines of [position, position + charsAdded) next; an edit can
    // change how lines beyond them read (an opened string or comment), which come after it.
    const int editEnd = position + charsAdded;
    for (const Syntax::TextRange &range :
         m_syntax->applyEdit(textWithLineFeeds(document()), position, charsRemoved, charsAdded)) {
        if (range.start < position || range.end() > editEnd)
            m_changed.append(range);
    }
}

void CodeHighlighter::colourChangedLines()
{
    if (m_changed.isEmpty())
        return;
    const QList<Syntax::TextRange> changed = std::exchange(m_changed, {});
    const QSignalBlocker quiet(document());
    for (const Syntax::TextRange &range : changed) {
        for (QTextBlock block = document()->findBlock(range.start);
             block.isValid() && block.position() <= range.end(); block = block.next()) {
            rehighlightBlock(block);
        }
    }
}

void CodeHighlighter::rehighlightQuietly()
{
    if (!document())
        return;
    const QSignalBlocker quiet(document());
    rehighlight();
}

QString textWithLineFeeds(const QTextDocument *document)
{
    QString text = document->toRawText();
    for (QChar &c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return text;
}

} // namespace Glimmerpad
