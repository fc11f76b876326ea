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

protected:
    void highlightBlock(const QString &text) override;
};

// The snippet body editor: monospaced, with placeholder tokens shown as tinted rounded boxes.
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

    // (start, length) of each placeholder token in one line: the shortest <# ... #> from each start.
    static QList<std::pair<int, int>> placeholderRanges(const QString &line);
    // Menlo at 11 px where installed, the system fixed font at 11 px otherwise.
    static QFont snippetFont();
    static QColor placeholderFillColor();
    static QColor placeholderBorderColor();
    static QColor placeholderTextColor();

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace Glimmerpad
