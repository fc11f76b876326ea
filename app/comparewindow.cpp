#include "app/comparewindow.h"

#include "app/snippettextedit.h"
#include "chrome/rvcolors.h"
#include "syntax/document.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QSyntaxHighlighter>
#include <QTabBar>
#include <QTextBlock>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace Glimmerpad {

// ---- colours --------------------------------------------------------------------------------

namespace {

// The base tinted by amount, or less where the text on it would lose contrast.
QColor tinted(const QColor &base, const QColor &text, const QColor &tint, qreal amount)
{
    for (; amount > 0.0; amount -= 0.05) {
        const QColor colour = RVColors::mix(base, tint, amount);
        if (RVColors::contrastRatio(colour, text) >= RVColors::kTextContrast)
            return colour;
    }
    return base;
}

} // namespace

CompareColours compareColours(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    const QColor red(0xe0, 0x30, 0x30), green(0x20, 0xa0, 0x40);
    return {tinted(base, text, red, 0.18), tinted(base, text, red, 0.40), tinted(base, text, green, 0.18),
            tinted(base, text, green, 0.40)};
}

// ---- one pane -------------------------------------------------------------------------------

class DiffGutter final : public QWidget
{
public:
    explicit DiffGutter(DiffPane *pane) : QWidget(pane), m_pane(pane) {}

protected:
    void paintEvent(QPaintEvent *event) override { m_pane->paintGutter(event); }

private:
    DiffPane *m_pane;
};

// Colours each row's code as its pane says.
class DiffHighlighter final : public QSyntaxHighlighter
{
public:
    explicit DiffHighlighter(DiffPane *pane) : QSyntaxHighlighter(pane->document()), m_pane(pane) {}

protected:
    void highlightBlock(const QString &) override
    {
        for (const auto &[span, colour] : m_pane->rowColours(currentBlock().blockNumber()))
            setFormat(span.start, span.length, colour);
    }

private:
    DiffPane *m_pane;
};

namespace {

constexpr int kGutterPadding = 6;

QString signOf(DiffPane::RowKind kind)
{
    switch (kind) {
    case DiffPane::RowKind::Removed:
        return QStringLiteral("\u2212");
    case DiffPane::RowKind::Added:
        return QStringLiteral("+");
    case DiffPane::RowKind::Note:
        return QStringLiteral("\\");
    default:
        return {};
    }
}

} // namespace

DiffPane::DiffPane(Gutter gutter, QWidget *parent)
    : QPlainTextEdit(parent), m_gutter(new DiffGutter(this)), m_highlighter(new DiffHighlighter(this)),
      m_gutterKind(gutter)
{
    setReadOnly(true);
    // A caret to read by, and the arrow keys to move it (and the panes) through the lines.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(SnippetTextEdit::snippetFont());
    connect(this, &QPlainTextEdit::updateRequest, m_gutter, [this](const QRect &rect, int dy) {
        if (dy != 0)
            m_gutter->scroll(0, dy);
        else
            m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
    });
    updateGutter();
}

void DiffPane::setRows(const QList<Row> &rows)
{
    m_rows = rows;
    QStringList lines;
    lines.reserve(rows.size());
    for (const Row &row : rows)
        lines.append(row.text);
    setPlainText(lines.join(u'\n'));
    // A note is not part of either text: set in italics, like a remark.
    QTextCharFormat remark;
    remark.setFontItalic(true);
    QTextBlock block = document()->firstBlock();
    for (qsizetype i = 0; i < rows.size() && block.isValid(); ++i, block = block.next()) {
        if (rows[i].kind == RowKind::Note) {
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(remark);
        }
    }
    updateGutter(); // as wide as the largest number now
    markRows();
}

int DiffPane::largestNumber() const
{
    int largest = 99; // room for two digits at least, so that short texts line up alike
    for (const Row &row : m_rows)
        largest = std::max({largest, row.number, row.secondNumber});
    return largest;
}

int DiffPane::gutterWidth() const
{
    const QFontMetrics metrics(font());
    const int number = metrics.horizontalAdvance(QString::number(largestNumber()));
    const int sign =
        std::max(metrics.horizontalAdvance(signOf(RowKind::Removed)), metrics.horizontalAdvance(u'+'));
    return m_gutterKind == Gutter::TwoNumbers ? 2 * number + 3 * kGutterPadding
                                              : number + sign + 3 * kGutterPadding;
}

void DiffPane::markRows()
{
    const CompareColours colours = compareColours(palette());
    QList<QTextEdit::ExtraSelection> marks;
    QList<QTextEdit::ExtraSelection> words; // over the lines' own marks
    QTextBlock block = document()->firstBlock();
    for (qsizetype i = 0; i < m_rows.size() && block.isValid(); ++i, block = block.next()) {
        const Row &row = m_rows[i];
        QTextEdit::ExtraSelection line;
        line.cursor = QTextCursor(block);
        line.format.setProperty(QTextFormat::FullWidthSelection, true);
        switch (row.kind) {
        case RowKind::Removed:
        case RowKind::Added: {
            const bool removed = row.kind == RowKind::Removed;
            line.format.setBackground(removed ? colours.removedLine : colours.addedLine);
            for (const TextSpan &span : row.changedWords) {
                QTextEdit::ExtraSelection word;
                word.cursor = QTextCursor(block);
                word.cursor.setPosition(block.position() + static_cast<int>(span.start));
                word.cursor.setPosition(block.position() + static_cast<int>(span.start + span.length),
                                        QTextCursor::KeepAnchor);
                word.format.setBackground(removed ? colours.removedWord : colours.addedWord);
                // Underlined as well as tinted: the change shows without telling colours apart.
                word.format.setFontUnderline(true);
                words.append(word);
            }
            break;
        }
        case RowKind::Filler: {
            QColor hatch = palette().color(QPalette::Text);
            hatch.setAlphaF(0.12f);
            line.format.setBackground(QBrush(hatch, Qt::BDiagPattern));
            break;
        }
        case RowKind::Note:
        case RowKind::Same:
            continue;
        }
        marks.append(line);
    }
    setExtraSelections(marks + words);
    m_gutter->update();
}

void DiffPane::paintGutter(QPaintEvent *event)
{
    QPainter painter(m_gutter);
    const QPalette colours = palette();
    const CompareColours marks = compareColours(colours);
    painter.fillRect(event->rect(), colours.color(QPalette::Base));
    painter.setFont(font());
    painter.setPen(colours.color(QPalette::Text));
    const int width = m_gutter->width();
    const int numberWidth = QFontMetrics(font()).horizontalAdvance(QString::number(largestNumber()));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        const int index = block.blockNumber();
        if (block.isVisible() && index < m_rows.size()) {
            const Row &row = m_rows[index];
            if (row.kind == RowKind::Removed || row.kind == RowKind::Added)
                painter.fillRect(0, top, width, height,
                                 row.kind == RowKind::Removed ? marks.removedLine : marks.addedLine);
            const auto number = [](int n) { return n > 0 ? QString::number(n) : QString(); };
            const QRect first(kGutterPadding, top, numberWidth, height);
            painter.drawText(first, Qt::AlignRight | Qt::AlignVCenter, number(row.number));
            const QRect second(first.right() + 1 + kGutterPadding, top,
                               width - first.right() - 1 - 2 * kGutterPadding, height);
            if (m_gutterKind == Gutter::TwoNumbers)
                painter.drawText(second, Qt::AlignRight | Qt::AlignVCenter, number(row.secondNumber));
            else
                painter.drawText(second, Qt::AlignHCenter | Qt::AlignVCenter, signOf(row.kind));
        }
        block = block.next();
        top += height;
    }
}

void DiffPane::updateGutter()
{
    const int width = gutterWidth();
    setViewportMargins(width, 0, 0, 0);
    const QRect contents = contentsRect();
    m_gutter->setGeometry(contents.left(), contents.top(), width, contents.height());
}

void DiffPane::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    updateGutter();
}

void DiffPane::setRowSpans(const QList<QList<Syntax::Span>> &spans)
{
    m_rowSpans = spans;
    m_highlighter->rehighlight();
}

QList<std::pair<Syntax::Span, QColor>> DiffPane::rowColours(int row) const
{
    if (row < 0 || row >= m_rowSpans.size() || row >= m_rows.size() || m_rowSpans[row].isEmpty())
        return {};
    const SyntaxColors colours = SnippetTextEdit::syntaxColors(palette());
    const CompareColours marks = compareColours(palette());
    const RowKind kind = m_rows[row].kind;
    // On a changed line the text must read on the line's mark and on its changed words' stronger one.
    QList<QColor> backgrounds;
    if (kind == RowKind::Removed)
        backgrounds = {marks.removedWord, marks.removedLine};
    else if (kind == RowKind::Added)
        backgrounds = {marks.addedWord, marks.addedLine};
    QList<std::pair<Syntax::Span, QColor>> shown;
    for (const Syntax::Span &span : m_rowSpans[row]) {
        QColor colour = colours[size_t(span.kind)];
        if (!colour.isValid())
            continue;
        for (const QColor &background : std::as_const(backgrounds))
            colour = RVColors::readableOn(colour, background);
        shown.append({span, colour});
    }
    return shown;
}

void DiffPane::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        markRows();
        m_highlighter->rehighlight();
    }
    else if (event->type() == QEvent::FontChange)
        updateGutter();
}

// ---- the rows of a comparison ---------------------------------------------------------------

namespace {

struct ComparisonRows
{
    QList<DiffPane::Row> before, after, unified;
    bool differs = false;
};

DiffPane::Row row(DiffPane::RowKind kind, const QString &text = {}, int number = -1, int secondNumber = -1,
                  const QList<TextSpan> &changedWords = {})
{
    return {kind, text, number, secondNumber, changedWords};
}

// The text as shown: a carriage return before the line feed would make a line break of its own.
QString shown(const QString &text)
{
    return text.endsWith(u'\r') ? text.chopped(1) : text;
}

ComparisonRows rowsOf(const QList<DiffLine> &lines)
{
    using Kind = DiffLine::Kind;
    using RowKind = DiffPane::RowKind;
    //% "No newline at end of text"
    const QString note = qtTrId("compare_no_final_newline");
    // Said only where one text ends in a line feed and the other does not: where both lack it,
    // the lack is no difference.
    const auto lacks = [&lines](Kind otherSide) {
        return std::any_of(lines.cbegin(), lines.cend(), [otherSide](const DiffLine &line) {
            return line.noFinalNewline && line.kind != otherSide;
        });
    };
    const bool differsInIt = lacks(Kind::Added) != lacks(Kind::Removed);
    const auto noteAfter = [differsInIt](const DiffLine *line) {
        return differsInIt && line && line->noFinalNewline && line->kind != Kind::Context;
    };

    ComparisonRows rows;
    QList<QList<TextSpan>> words(lines.size());
    // A run of removed lines followed by a run of added ones is a change: their lines share rows
    // side by side, so that each changed line stands beside what it became, its words compared.
    for (qsizetype i = 0; i < lines.size();) {
        if (lines[i].kind == Kind::Context) {
            rows.before.append(row(RowKind::Same, shown(lines[i].text), lines[i].oldLine));
            rows.after.append(row(RowKind::Same, shown(lines[i].text), lines[i].newLine));
            ++i;
            continue;
        }
        rows.differs = true;
        qsizetype removedEnd = i;
        while (removedEnd < lines.size() && lines[removedEnd].kind == Kind::Removed)
            ++removedEnd;
        qsizetype addedEnd = removedEnd;
        while (addedEnd < lines.size() && lines[addedEnd].kind == Kind::Added)
            ++addedEnd;
        const qsizetype removed = removedEnd - i, added = addedEnd - removedEnd;
        for (qsizetype k = 0; k < std::max(removed, added); ++k) {
            const DiffLine *left = k < removed ? &lines[i + k] : nullptr;
            const DiffLine *right = k < added ? &lines[removedEnd + k] : nullptr;
            if (left && right) {
                const WordChanges changes = changedWords(shown(left->text), shown(right->text));
                words[i + k] = changes.before;
                words[removedEnd + k] = changes.after;
            }
            rows.before.append(left
                                   ? row(RowKind::Removed, shown(left->text), left->oldLine, -1, words[i + k])
                                   : row(RowKind::Filler));
            rows.after.append(
                right ? row(RowKind::Added, shown(right->text), right->newLine, -1, words[removedEnd + k])
                      : row(RowKind::Filler));
            if (noteAfter(left) || noteAfter(right)) {
                rows.before.append(noteAfter(left) ? row(RowKind::Note, note) : row(RowKind::Filler));
                rows.after.append(noteAfter(right) ? row(RowKind::Note, note) : row(RowKind::Filler));
            }
        }
        i = addedEnd;
    }

    // One text: "- " before a removed line, "+ " before an added one, as a unified diff has them.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const DiffLine &line = lines[i];
        const RowKind kind = line.kind == Kind::Removed ? RowKind::Removed
                             : line.kind == Kind::Added ? RowKind::Added
                                                        : RowKind::Same;
        const QString sign = kind == RowKind::Removed ? QStringLiteral("- ")
                             : kind == RowKind::Added ? QStringLiteral("+ ")
                                                      : QStringLiteral("  ");
        QList<TextSpan> shifted = words[i];
        for (TextSpan &span : shifted)
            span.start += sign.size();
        rows.unified.append(row(kind, sign + shown(line.text), line.oldLine, line.newLine, shifted));
        if (noteAfter(&line))
            rows.unified.append(row(RowKind::Note, u"\\ " + note));
    }
    return rows;
}

} // namespace

// ---- the code's colours ----------------------------------------------------------------------

namespace {

// One side's text of a comparison, read by the language's grammar.
struct SideText
{
    Syntax::Document *syntax = nullptr;
    QList<int> lineStarts; // where each line (from 1) begins
};

SideText sideText(const QList<DiffLine> &lines, DiffLine::Kind otherSide, Syntax::Language language,
                  QObject *parent)
{
    SideText side;
    QStringList texts;
    int at = 0;
    for (const DiffLine &line : lines) {
        if (line.kind == otherSide)
            continue;
        texts.append(line.text);
        side.lineStarts.append(at);
        at += int(line.text.size()) + 1;
    }
    side.syntax = new Syntax::Document(language, parent);
    side.syntax->setText(texts.join(u'\n'));
    return side;
}

// The spans of line `number` of a side, for a row that shows it from `offset` on in `length` units.
QList<Syntax::Span> spansOfLine(const SideText &side, int number, int offset, int length)
{
    if (!side.syntax || !side.syntax->isReady() || number < 1 || number > side.lineStarts.size() || length <= 0)
        return {};
    const int start = side.lineStarts[number - 1];
    QList<Syntax::Span> spans = side.syntax->spans(start, length);
    for (Syntax::Span &span : spans)
        span.start += offset - start;
    return spans;
}

} // namespace

// ---- the window -----------------------------------------------------------------------------

struct CompareWindow::Page
{
    QWidget *widget = nullptr;
    QLabel *summary = nullptr;
    QStackedWidget *views = nullptr;
    QLabel *beforeHeading = nullptr;
    QLabel *afterHeading = nullptr;
    DiffPane *before = nullptr;
    DiffPane *after = nullptr;
    DiffPane *unified = nullptr;
    bool scrolling = false; // one pane follows the other; the follower's moves are not passed back
    SideText beforeText, afterText;
};

// Each pane's rows coloured from the two texts as read; until the grammar is ready they stay
// plain, and are coloured when it is.
void CompareWindow::colourCode(Page *page)
{
    const auto rowSpans = [page](const DiffPane *pane, bool unified) {
        QList<QList<Syntax::Span>> spans;
        for (const DiffPane::Row &row : pane->rows()) {
            const int offset = unified ? 2 : 0; // "- ", "+ " or "  "
            const int length = int(row.text.size()) - offset;
            if (row.kind == DiffPane::RowKind::Filler || row.kind == DiffPane::RowKind::Note)
                spans.append(QList<Syntax::Span>());
            else if (unified && row.kind != DiffPane::RowKind::Removed)
                spans.append(spansOfLine(page->afterText, row.secondNumber, offset, length));
            else
                spans.append(spansOfLine(pane == page->after ? page->afterText : page->beforeText, row.number,
                                         offset, length));
        }
        return spans;
    };
    page->before->setRowSpans(rowSpans(page->before, false));
    page->after->setRowSpans(rowSpans(page->after, false));
    page->unified->setRowSpans(rowSpans(page->unified, true));
}

namespace {

// The two sides scroll together. A side that cannot go as far stops at its end, and its stopping
// is not passed back to the side that went on.
void scrollTogether(QScrollBar *a, QScrollBar *b, bool *scrolling)
{
    for (const auto &[from, to] : {std::pair{a, b}, std::pair{b, a}}) {
        QObject::connect(from, &QScrollBar::valueChanged, to, [to = to, scrolling](int value) {
            if (*scrolling)
                return;
            *scrolling = true;
            to->setValue(value);
            *scrolling = false;
        });
    }
}

} // namespace

CompareWindow::CompareWindow(QWidget *mainWindow)
    : RVWindow(mainWindow), m_tabs(new QTabBar), m_pages(new QStackedWidget)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    // Titled by setComparisons(); no delegate, as no sheet hangs from this window.
    m_dressing = MainWindowDressing::apply(this, nullptr, QString());

    auto *content = new QWidget;
    m_tabs->setAutoHide(true); // a tab for each comparison, where there are two
    m_tabs->setExpanding(false);
    m_tabs->setDocumentMode(true);
    connect(m_tabs, &QTabBar::currentChanged, m_pages, &QStackedWidget::setCurrentIndex);

    //% "Side by Side"
    auto *sideButton = new QPushButton(qtTrId("compare_side_by_side"));
    //% "Unified"
    auto *unifiedButton = new QPushButton(qtTrId("compare_unified"));
    // In no button group, which would make the two one stop for Tab with the arrow keys between
    // them: setView() keeps one of them checked.
    m_viewButtons = {sideButton, unifiedButton};
    for (const auto &[button, shows] :
         {std::pair{sideButton, View::SideBySide}, std::pair{unifiedButton, View::Unified}}) {
        button->setCheckable(true);
        connect(button, &QAbstractButton::clicked, this, [this, shows = shows] {
            setView(shows);
            Q_EMIT viewChosen(shows);
        });
    }
    sideButton->setChecked(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    m_closeButton = buttons->button(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    // One control of two segments, the chosen one in the accent colour as the popover's On/Off
    // are: a style's checked button differs from its neighbour by a shade, which a dark palette
    // takes away.
    m_viewSwitch = new QWidget;
    m_viewSwitch->setStyleSheet(QStringLiteral(
        "QPushButton { border: 1px solid palette(mid); background: palette(button); padding: 3px 12px; }"
        "QPushButton#sideBySide { border-top-left-radius: 4px; border-bottom-left-radius: 4px; }"
        "QPushButton#unified { border-left: none; border-top-right-radius: 4px; border-bottom-right-radius: "
        "4px; }"
        "QPushButton:checked { background: palette(highlight); color: palette(highlighted-text);"
        " border-color: palette(highlight); }"
        // The style's own focus frame is gone under a style sheet: where the keys are, still.
        "QPushButton:focus { border: 2px solid palette(text); padding: 2px 11px; }"));
    sideButton->setObjectName(QStringLiteral("sideBySide"));
    unifiedButton->setObjectName(QStringLiteral("unified"));
    auto *segments = new QHBoxLayout(m_viewSwitch);
    segments->setContentsMargins(0, 0, 0, 0);
    segments->setSpacing(0);
    segments->addWidget(sideButton);
    segments->addWidget(unifiedButton);

    auto *switches = new QHBoxLayout;
    switches->addWidget(m_tabs);
    switches->addStretch();
    switches->addWidget(m_viewSwitch);
    auto *layout = new QVBoxLayout(content);
    layout->addLayout(switches);
    layout->addWidget(m_pages, 1);
    layout->addWidget(buttons);
    setContentView(content);
    setMinimumSize(minimumSize().expandedTo(content->minimumSizeHint() + QSize(0, qCeil(titleBarHeight()))));
    resize(kPreferredSize);
}

CompareWindow::~CompareWindow()
{
    // The pages' widgets are the stack's; what the window kept of each is its own.
    qDeleteAll(m_pageList);
}

CompareWindow::Page *CompareWindow::page(int index) const
{
    return index >= 0 && index < m_pageList.size() ? m_pageList[index] : nullptr;
}

void CompareWindow::setComparisons(const QString &title, const QList<Comparison> &comparisons)
{
    //% "Compare with Standard: %1"
    const QString windowTitle = qtTrId("compare_title").arg(title);
    setWindowTitle(windowTitle);
    setWindowMenuTitle(windowTitle);
    for (QLabel *label : {m_dressing.titleLabel, m_dressing.highlightLabel})
        label->setText(windowTitle);

    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    for (Page *old : std::as_const(m_pageList)) {
        m_pages->removeWidget(old->widget);
        delete old->widget;
        delete old;
    }
    m_pageList.clear();

    for (const Comparison &comparison : comparisons) {
        auto *p = new Page;
        p->widget = new QWidget;
        p->summary = new QLabel(p->widget);
        p->views = new QStackedWidget(p->widget);
        p->before = new DiffPane(DiffPane::Gutter::NumberAndSign);
        p->after = new DiffPane(DiffPane::Gutter::NumberAndSign);
        p->unified = new DiffPane(DiffPane::Gutter::TwoNumbers);
        const ComparisonRows rows = rowsOf(comparison.lines);
        p->before->setRows(rows.before);
        p->after->setRows(rows.after);
        p->unified->setRows(rows.unified);
        if (!rows.differs) {
            //% "No differences: the two texts are the same."
            p->summary->setText(qtTrId("compare_no_differences"));
        }
        p->summary->setVisible(!rows.differs);
        if (comparison.language != Syntax::Language::None) {
            p->beforeText = sideText(comparison.lines, DiffLine::Kind::Added, comparison.language, p->widget);
            p->afterText = sideText(comparison.lines, DiffLine::Kind::Removed, comparison.language, p->widget);
            for (Syntax::Document *syntax : {p->beforeText.syntax, p->afterText.syntax})
                connect(syntax, &Syntax::Document::highlightingReady, this, [this, p] { colourCode(p); });
            colourCode(p);
        }
        scrollTogether(p->before->verticalScrollBar(), p->after->verticalScrollBar(), &p->scrolling);
        scrollTogether(p->before->horizontalScrollBar(), p->after->horizontalScrollBar(), &p->scrolling);

        // Two equal columns in a plain layout: a splitter would have screen readers take the right
        // one first.
        auto *sideBySide = new QWidget;
        auto *columns = new QHBoxLayout(sideBySide);
        columns->setContentsMargins(0, 0, 0, 0);
        for (const auto &[pane, heading, label] :
             {std::tuple{p->before, comparison.beforeHeading, &p->beforeHeading},
              std::tuple{p->after, comparison.afterHeading, &p->afterHeading}}) {
            auto *column = new QWidget;
            columns->addWidget(column, 1);
            auto *columnLayout = new QVBoxLayout(column);
            columnLayout->setContentsMargins(0, 0, 0, 0);
            *label = new QLabel(heading, column);
            (*label)->setBuddy(pane);
            pane->setAccessibleName(heading);
            columnLayout->addWidget(*label);
            columnLayout->addWidget(pane);
        }
        p->unified->setAccessibleName(comparison.name);
        p->views->addWidget(sideBySide);
        p->views->addWidget(p->unified);
        p->views->setCurrentIndex(static_cast<int>(m_view));

        auto *pageLayout = new QVBoxLayout(p->widget);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        pageLayout->addWidget(p->summary);
        pageLayout->addWidget(p->views, 1);
        m_pages->addWidget(p->widget);
        m_tabs->addTab(comparison.name);
        // Tab in reading order: the views' switches, the panes, then Close.
        setTabOrder(m_viewButtons.last(), p->before);
        setTabOrder(p->before, p->after);
        setTabOrder(p->after, p->unified);
        setTabOrder(p->unified, m_closeButton);
        m_pageList.append(p);
    }
    setCurrentComparison(0);
}

int CompareWindow::comparisonCount() const
{
    return static_cast<int>(m_pageList.size());
}

int CompareWindow::currentComparison() const
{
    return m_pages->currentIndex();
}

void CompareWindow::setCurrentComparison(int index)
{
    m_tabs->setCurrentIndex(index);
    m_pages->setCurrentIndex(index);
    if (Page *p = page(index))
        (m_view == View::SideBySide ? p->after : p->unified)->setFocus();
}

void CompareWindow::setView(View view)
{
    const bool paneHadFocus = qobject_cast<DiffPane *>(focusWidget()) != nullptr;
    m_view = view;
    for (qsizetype i = 0; i < m_viewButtons.size(); ++i)
        m_viewButtons[i]->setChecked(i == static_cast<int>(view));
    for (Page *p : std::as_const(m_pageList))
        p->views->setCurrentIndex(static_cast<int>(view));
    if (Page *p = page(currentComparison()); p && paneHadFocus)
        (view == View::SideBySide ? p->after : p->unified)->setFocus();
}

CompareWindow::View CompareWindow::view() const
{
    return m_view;
}

DiffPane *CompareWindow::beforePane() const
{
    const Page *p = page(currentComparison());
    return p ? p->before : nullptr;
}

DiffPane *CompareWindow::afterPane() const
{
    const Page *p = page(currentComparison());
    return p ? p->after : nullptr;
}

DiffPane *CompareWindow::unifiedPane() const
{
    const Page *p = page(currentComparison());
    return p ? p->unified : nullptr;
}

QLabel *CompareWindow::summaryLabel() const
{
    const Page *p = page(currentComparison());
    return p ? p->summary : nullptr;
}

void CompareWindow::changeEvent(QEvent *event)
{
    RVWindow::changeEvent(event);
    // A style sheet fixes the colours of its widgets when it polishes them; applied again, it
    // takes the new palette (a theme switched while the window is open).
    if (event->type() == QEvent::PaletteChange && m_viewSwitch)
        m_viewSwitch->setStyleSheet(m_viewSwitch->styleSheet());
}

void CompareWindow::closeEvent(QCloseEvent *event)
{
    RVWindow::closeEvent(event);
    // The keys go back to where the comparison was asked for.
    if (event->isAccepted() && parentWidget())
        parentWidget()->window()->activateWindow();
}

QRect CompareWindow::placement(const QRect &available, const QSize &size, const QSize &minimum,
                               const QRect &window, const QRect &keepClear)
{
    enum Side
    {
        Right,
        Left,
        Below,
        Above
    };
    struct Room
    {
        QRect area;
        Side side;
    };
    // The free stretches of the screen on each side of what stays clear.
    const auto roomsBeside = [&available](const QRect &clear) {
        return QList<Room>{
            {QRect(QPoint(clear.right() + 1, available.top()), available.bottomRight()), Right},
            {QRect(available.topLeft(), QPoint(clear.left() - 1, available.bottom())), Left},
            {QRect(QPoint(available.left(), clear.bottom() + 1), available.bottomRight()), Below},
            {QRect(available.topLeft(), QPoint(available.right(), clear.top() - 1)), Above},
        };
    };
    // In the room, against what stays clear, and level with the main window as far as it can be.
    const auto placeIn = [&window](const Room &room, const QSize &placed) {
        const auto clamp = [](int at, int low, int high) { return std::max(low, std::min(at, high)); };
        const QRect &a = room.area;
        const int x = room.side == Right  ? a.left()
                      : room.side == Left ? a.right() - placed.width() + 1
                                          : clamp(window.left(), a.left(), a.right() - placed.width() + 1);
        const int y = room.side == Below   ? a.top()
                      : room.side == Above ? a.bottom() - placed.height() + 1
                                           : clamp(window.top(), a.top(), a.bottom() - placed.height() + 1);
        return QRect(QPoint(x, y), placed);
    };
    const QRect clearOfAll = keepClear.isEmpty() ? window : window.united(keepClear);
    const QList<Room> rooms =
        roomsBeside(clearOfAll) + (keepClear.isEmpty() ? QList<Room>() : roomsBeside(keepClear));
    for (const Room &room : rooms) {
        if (room.area.width() >= size.width() && room.area.height() >= size.height())
            return placeIn(room, size);
    }
    const Room *roomiest = nullptr;
    qint64 largest = 0;
    for (const Room &room : rooms) {
        const QSize fits = size.boundedTo(room.area.size());
        const qint64 area = qint64(fits.width()) * fits.height();
        if (fits.width() >= minimum.width() && fits.height() >= minimum.height() && area > largest) {
            roomiest = &room;
            largest = area;
        }
    }
    if (roomiest)
        return placeIn(*roomiest, size.boundedTo(roomiest->area.size()));
    // No room anywhere: on the screen, over the others, rather than off it.
    const QSize placed = size.boundedTo(available.size());
    return {available.left() + (available.width() - placed.width()) / 2,
            available.top() + (available.height() - placed.height()) / 2, placed.width(), placed.height()};
}

} // namespace Glimmerpad
