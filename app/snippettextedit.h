#pragma once

#include "app/codehighlighter.h"
#include "syntax/syntax.h"

#include <QList>
#include <QPlainTextEdit>

#include <utility>

namespace Glimmerpad {

// The snippet body editor: monospaced, its code coloured by the language's grammar, with
// placeholder tokens shown as tinted rounded boxes.
// Code is shown as it is written: lines are never wrapped (a horizontal scroll bar shows the rest
// of a long one), so alignment spaces and indentation keep their columns.
class SnippetTextEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit SnippetTextEdit(QWidget *parent = nullptr);

    // The text starts `horizontal` px from the left and right and `vertical` px from the top and
    // bottom of the contents rect; the inset is painted in the base colour.
    void setTextInset(qreal horizontal, qreal vertical);

    // The language the body is coloured as (an IDECodeSnippetLanguage's, Syntax::languageOf);
    // none shows it plain. Set before the text, which is then read once.
    void setLanguage(Syntax::Language language);

    // The text as typed: unlike toPlainText(), no-break spaces stay; line breaks are line feeds.
    QString typedText() const;

    // Viewing shows the text read-only; editing lets keyboard and mouse change it, with a wider
    // text cursor and the "editing" property that the frame's style sheet highlights.
    void setEditing(bool editing);

    // Marks whole lines (a conflict's, from its first marker line to its last) in the attention
    // colour, behind the text; the marks follow edits and the palette.
    void setMarkedLines(const QList<int> &blockNumbers);
    QList<int> markedLines() const;

    // (start, length) of each placeholder token in one line: the shortest <# ... #> from each start.
    static QList<std::pair<int, int>> placeholderRanges(const QString &line);
    // Menlo at 11 px where installed, the system fixed font at 11 px otherwise.
    static QFont snippetFont();

    // A token's box and text: pale blue with dark blue text on a light base, deep blue with light
    // text on a dark one; the text always reads on the box.
    struct TokenColors
    {
        QColor fill;
        QColor border;
        QColor text;
    };
    static TokenColors tokenColors(const QPalette &palette);
    // The code's colours by kind, for the palette's base (light or dark), each reading on it at
    // 4.5:1 or more; kinds left plain (variables, operators, punctuation) have none.
    static SyntaxColors syntaxColors(const QPalette &palette);
    // Behind marked lines: a pale amber on a light base, a dark one on a dark base.
    static QColor markedLineColor(const QPalette &palette);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    CodeHighlighter *m_highlighter;
};

} // namespace Glimmerpad
