#include "app/snippettextedit.h"

#include "chrome/rvcolors.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace Glimmerpad {

namespace {

constexpr qreal kTokenRadius = 3;
constexpr int kTabWidthInSpaces = 4;
// A property of the marks of setMarkedLines(), which tells them from other extra selections.
constexpr int kMarkedLineProperty = QTextFormat::UserProperty + 1;

} // namespace

SnippetTextEdit::SnippetTextEdit(QWidget *parent)
    : QPlainTextEdit(parent), m_highlighter(new CodeHighlighter(document()))
{
    // Wrapping would break aligned code at any space run or inside a word; a long line scrolls.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setFont(snippetFont());
    setTabStopDistance(kTabWidthInSpaces * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    // The viewport margins of a text inset belong to this widget, not the viewport; without
    // this they would show the window colour around the text.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    //% "Snippet body"
    setAccessibleName(qtTrId("popover_editor_accessible_name"));
    m_highlighter->setColors(syntaxColors(palette()), tokenColors(palette()).text);
}

void SnippetTextEdit::setLanguage(Syntax::Language language)
{
    m_highlighter->setLanguage(language);
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

SnippetTextEdit::TokenColors SnippetTextEdit::tokenColors(const QPalette &palette)
{
    TokenColors colors;
    if (RVColors::isDark(palette)) {
        colors.fill = QColor(0x23, 0x3a, 0x63);
        colors.border = QColor(0x4a, 0x6c, 0xa8);
        colors.text = QColor(0xd2, 0xe1, 0xff);
    } else {
        colors.fill = QColor(0xdd, 0xe8, 0xf8);
        colors.border = QColor(0xa9, 0xc0, 0xe4);
        colors.text = QColor(0x1d, 0x3c, 0x8a);
    }
    colors.text = RVColors::readableOn(colors.text, colors.fill);
    return colors;
}

SyntaxColors SnippetTextEdit::syntaxColors(const QPalette &palette)
{
    using Syntax::Kind;
    // After the colours Xcode's own light and dark themes give these kinds.
    struct Pair
    {
        Kind kind;
        QRgb light, dark;
    };
    static constexpr Pair pairs[] = {
        {Kind::Keyword, 0x9b2393, 0xfc5fa3},      {Kind::String, 0xc41a16, 0xfc6a5d},
        {Kind::Comment, 0x5d6c79, 0x7f8c98},      {Kind::Number, 0x1c00cf, 0xd0bf69},
        {Kind::Type, 0x0b4f79, 0x5dd8ff},         {Kind::Function, 0x326d74, 0x67b7a4},
        {Kind::Constant, 0x1c00cf, 0xd0bf69},     {Kind::Property, 0x326d74, 0x67b7a4},
        {Kind::Preprocessor, 0x643820, 0xfd8f3f}, {Kind::Attribute, 0x815f03, 0xbf8555},
    };
    const bool dark = RVColors::isDark(palette);
    const QColor base = palette.color(QPalette::Base);
    SyntaxColors colors;
    for (const Pair &pair : pairs)
        colors[size_t(pair.kind)] = RVColors::readableOn(QColor::fromRgb(dark ? pair.dark : pair.light), base);
    return colors;
}

QColor SnippetTextEdit::markedLineColor(const QPalette &palette)
{
    return RVColors::isDark(palette) ? QColor(0x5a, 0x44, 0x12) : QColor(0xfb, 0xe3, 0xb0);
}

void SnippetTextEdit::setMarkedLines(const QList<int> &blockNumbers)
{
    QList<QTextEdit::ExtraSelection> marks;
    for (const int number : blockNumbers) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(document()->findBlockByNumber(number));
        mark.format.setBackground(markedLineColor(palette()));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        mark.format.setProperty(kMarkedLineProperty, true);
        marks.append(mark);
    }
    setExtraSelections(marks);
}

QList<int> SnippetTextEdit::markedLines() const
{
    QList<int> lines;
    const QList<QTextEdit::ExtraSelection> selections = extraSelections();
    for (const QTextEdit::ExtraSelection &selection : selections) {
        if (selection.format.property(kMarkedLineProperty).toBool())
            lines.append(selection.cursor.blockNumber());
    }
    return lines;
}

void SnippetTextEdit::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() != QEvent::PaletteChange)
        return;
    // The tokens' text and the marks take the new palette's colours; the boxes are painted anew.
    // Colouring the text anew is no change of it: the document keeps quiet meanwhile, or the
    // popover would take it for typing.
    {
        const QSignalBlocker quiet(document());
        m_highlighter->setColors(syntaxColors(palette()), tokenColors(palette()).text);
    }
    viewport()->update();
    QList<QTextEdit::ExtraSelection> selections = extraSelections();
    for (QTextEdit::ExtraSelection &selection : selections) {
        if (selection.format.property(kMarkedLineProperty).toBool())
            selection.format.setBackground(markedLineColor(palette()));
    }
    setExtraSelections(selections);
}

void SnippetTextEdit::paintEvent(QPaintEvent *event)
{
    {
        // Before the base class, which draws the text over these boxes without filling first.
        QPainter painter(viewport());
        painter.setRenderHint(QPainter::Antialiasing);
        const TokenColors colors = tokenColors(palette());
        painter.setPen(QPen(colors.border, 1));
        painter.setBrush(colors.fill);
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
    return textWithLineFeeds(document());
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
