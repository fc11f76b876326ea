#pragma once

#include <QList>
#include <QPlainTextEdit>
#include <QSyntaxHighlighter>

#include <utility>

namespace Glimmerpad {

// Colours the text of each Xcode placeholder token (<#name#>); SnippetTextEdit paints the box behind it.
class PlaceholderHighlighter : public QSyntaxHighlighter
{
public:
    explicit PlaceholderHighlighter(QTextDocument *document);

    void setTextColor(const QColor &colour);

protected:
    void highlightBlock(const QString &text) override;

private:
    QColor m_textColor;
};

// The snippet body editor: monospaced, with placeholder tokens shown as tinted rounded boxes.
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
    // Behind marked lines: a pale amber on a light base, a dark one on a dark base.
    static QColor markedLineColor(const QPalette &palette);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    PlaceholderHighlighter *m_highlighter;
};

} // namespace Glimmerpad
