#include "app/snippettextedit.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace Glimmerpad {

namespace {

constexpr qreal kTokenRadius = 3;
constexpr int kTabWidthInSpaces = 4;

} // namespace

PlaceholderHighlighter::PlaceholderHighlighter(QTextDocument *document) : QSyntaxHighlighter(document) {}

void PlaceholderHighlighter::highlightBlock(const QString &text)
{
    QTextCharFormat format;
    format.setForeground(SnippetTextEdit::placeholderTextColor());
    for (const auto &[start, length] : SnippetTextEdit::placeholderRanges(text))
        setFormat(start, length, format);
}

SnippetTextEdit::SnippetTextEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setFont(snippetFont());
    setTabStopDistance(kTabWidthInSpaces * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    // The viewport margins of a text inset belong to this widget, not the viewport; without
    // this they would show the window colour around the text.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    //% "Snippet body"
    setAccessibleName(qtTrId("popover_editor_accessible_name"));
    new PlaceholderHighlighter(document());
}

void SnippetTextEdit::setTextInset(qreal horizontal, qreal vertical)
{
    document()->setDocumentMargin(0);
    const int h = qRound(horizontal);
    const int v = qRound(vertical);
    setViewportMargins(h, v, h, v);
}

QList<std::pair<int, int>> SnippetTextEdit::placeholderRanges(const QString &line)
{
    static const QRegularExpression token(QStringLiteral("<#(.*?)#>"));
    QList<std::pair<int, int>> ranges;
    for (auto it = token.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        ranges.append({int(match.capturedStart()), int(match.capturedLength())});
    }
    return ranges;
}

QFont SnippetTextEdit::snippetFont()
{
    QFont font(QStringLiteral("Menlo"));
    font.setPixelSize(11);
    if (QFontInfo(font).family().compare(u"Menlo", Qt::CaseInsensitive) == 0)
        return font;
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(11);
    return font;
}

QColor SnippetTextEdit::placeholderFillColor()
{
    return QColor(0xdd, 0xe8, 0xf8);
}

QColor SnippetTextEdit::placeholderBorderColor()
{
    return QColor(0xa9, 0xc0, 0xe4);
}

QColor SnippetTextEdit::placeholderTextColor()
{
    return QColor(0x1d, 0x3c, 0x8a);
}

void SnippetTextEdit::paintEvent(QPaintEvent *event)
{
    {
        // Before the base class, which draws the text over these boxes without filling first.
        QPainter painter(viewport());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(placeholderBorderColor(), 1));
        painter.setBrush(placeholderFillColor());
        const QRect exposed = event->rect();
        QPointF offset = contentOffset();
        for (QTextBlock block = firstVisibleBlock(); block.isValid() && offset.y() <= exposed.bottom();
             block = block.next()) {
            const QRectF bounds = blockBoundingRect(block).translated(offset);
            offset.ry() += bounds.height();
            if (!block.isVisible() || bounds.bottom() < exposed.top())
                continue;
            const QTextLayout *layout = block.layout();
            const QPointF origin = bounds.topLeft() + layout->position();
            for (const auto &[start, length] : placeholderRanges(block.text())) {
                // One box per line fragment, so a token broken by wrapping stays boxed on each line.
                for (int i = 0; i < layout->lineCount(); ++i) {
                    const QTextLine line = layout->lineAt(i);
                    const int from = std::max(start, line.textStart());
                    const int to = std::min(start + length, line.textStart() + line.textLength());
                    if (from >= to)
                        continue;
                    const qreal x1 = line.cursorToX(from);
                    const qreal x2 = line.cursorToX(to);
                    // Whole pixels, then half a pixel in, keep the 1 px border crisp.
                    const QRectF box(
                        QPointF(std::floor(origin.x() + std::min(x1, x2)), std::floor(origin.y() + line.y())),
                        QPointF(std::ceil(origin.x() + std::max(x1, x2)),
                                std::floor(origin.y() + line.y() + line.height())));
                    painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), kTokenRadius, kTokenRadius);
                }
            }
        }
    }
    QPlainTextEdit::paintEvent(event);
}

QString SnippetTextEdit::typedText() const
{
    QString text = document()->toRawText();
    for (QChar &c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return text;
}

void SnippetTextEdit::setEditing(bool editing)
{
    setReadOnly(!editing);
    setTextInteractionFlags(editing ? Qt::TextEditorInteraction : Qt::NoTextInteraction);
    setCursorWidth(editing ? 2 : 1);
    if (property("editing").toBool() == editing)
        return;
    setProperty("editing", editing);
    // A style sheet reads dynamic properties when it polishes the widget.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

} // namespace Glimmerpad
