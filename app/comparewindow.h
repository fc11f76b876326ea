#pragma once

#include "catalogue/linediff.h"
#include "catalogue/worddiff.h"
#include "chrome/rvwindow.h"
#include "chrome/rvwindowdressing.h"
#include "syntax/syntax.h"

#include <QColor>
#include <QList>
#include <QPlainTextEdit>

class QAbstractButton;
class QLabel;
class QStackedWidget;
class QSyntaxHighlighter;
class QTabBar;

namespace Glimmerpad {

// The backgrounds that mark a comparison, for text in the palette's text colour: a removed or
// added line, and stronger, its changed words.
struct CompareColours
{
    QColor removedLine, removedWord, addedLine, addedWord;
};
// Tints of the palette's base colour, so that they suit a light palette and a dark one alike,
// each kept light (or dark) enough for the text on it to stand at 4.5:1 contrast or more.
CompareColours compareColours(const QPalette &palette);

// One side of a comparison, or the unified view of it: read-only text with a gutter that numbers
// the lines and says with a sign what each is, so that a change never shows by its colour alone.
class DiffPane final : public QPlainTextEdit
{
    Q_OBJECT

public:
    enum class RowKind
    {
        Same,
        Removed,
        Added,
        Filler, // a blank standing in for a line only the other side has, keeping the two in step
        Note,   // says that the line above has no line feed after it
    };
    struct Row
    {
        RowKind kind = RowKind::Same;
        QString text;
        int number = -1;       // the line's number in its text, -1 for none
        int secondNumber = -1; // in the unified view, the number in the text after
        QList<TextSpan> changedWords;
    };
    enum class Gutter
    {
        NumberAndSign, // one side: its own numbers, and "−" or "+"
        TwoNumbers,    // the unified view: numbers before and after (the text carries the signs)
    };

    explicit DiffPane(Gutter gutter, QWidget *parent = nullptr);
    void setRows(const QList<Row> &rows);
    const QList<Row> &rows() const { return m_rows; }
    // The code's spans in each row's text (by row; fewer lists than rows leave the rest plain),
    // coloured so that they read on the rows' marks too.
    void setRowSpans(const QList<QList<Syntax::Span>> &spans);
    // Each span of a row with the colour it is shown in.
    QList<std::pair<Syntax::Span, QColor>> rowColours(int row) const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    friend class DiffGutter;
    friend class DiffHighlighter;
    int gutterWidth() const;
    void updateGutter();
    int largestNumber() const;
    void paintGutter(QPaintEvent *event);
    void markRows();

    QWidget *m_gutter;
    QSyntaxHighlighter *m_highlighter;
    QList<QList<Syntax::Span>> m_rowSpans;
    Gutter m_gutterKind;
    QList<Row> m_rows;
};

// The compare window: an override's body beside the standard snippet's, line by line with the
// changed words marked, or as one unified text; for a stale override also what the standard
// itself changed since the override was made, each comparison under a tab of its own. A window of
// the application's own dressing beside the main window, the popover and the row it compares.
// Read-only; Escape closes it.
class CompareWindow final : public RVWindow
{
    Q_OBJECT

public:
    enum class View
    {
        SideBySide,
        Unified,
    };
    struct Comparison
    {
        QString name; // its tab's text
        QString beforeHeading, afterHeading;
        QList<DiffLine> lines; // every line of both texts, as lineDiff() gives them
        Syntax::Language language = Syntax::Language::None; // the texts' code is coloured as
    };

    // A window of mainWindow's, which closes with it.
    explicit CompareWindow(QWidget *mainWindow);
    ~CompareWindow() override;

    // Shows these comparisons of the snippet with this title, the first one chosen; tabs for them
    // when there is more than one.
    void setComparisons(const QString &title, const QList<Comparison> &comparisons);
    int comparisonCount() const;
    int currentComparison() const;
    void setCurrentComparison(int index);

    void setView(View view);
    View view() const;

    // The current comparison's panes and the line above them, for tests.
    DiffPane *beforePane() const;
    DiffPane *afterPane() const;
    DiffPane *unifiedPane() const;
    QLabel *summaryLabel() const;

    // Where a window of `size` goes: beside the main window (`window`) and keepClear (the popover
    // and the row compared) where the screen's available area has room, else beside keepClear
    // alone, over the rest of the main window; where neither has room for `size`, the roomiest
    // place that takes `minimum`, shrunk to fit. All rectangles are global.
    static QRect placement(const QRect &available, const QSize &size, const QSize &minimum,
                           const QRect &window, const QRect &keepClear);
    static constexpr QSize kPreferredSize{820, 480};

Q_SIGNALS:
    // The user chose a view (not when setView() is called).
    void viewChosen(View view);

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Page;
    Page *page(int index) const;
    void colourCode(Page *page);

    MainWindowDressing m_dressing;
    QTabBar *m_tabs;
    QStackedWidget *m_pages;
    QWidget *m_viewSwitch = nullptr;
    QList<QAbstractButton *> m_viewButtons; // in the order of View
    QAbstractButton *m_closeButton;
    QList<Page *> m_pageList;
    View m_view = View::SideBySide;
};

} // namespace Glimmerpad
