#include "app/comparedialog.h"

#include "app/snippettextedit.h"
#include "catalogue/linediff.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

namespace Glimmerpad {

namespace {

QPlainTextEdit *makePane(QWidget *parent)
{
    auto *pane = new QPlainTextEdit(parent);
    pane->setReadOnly(true);
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane->setFont(SnippetTextEdit::snippetFont());
    return pane;
}

// Fills a pane with lines, each marked in its colour (invalid: unmarked).
void fill(QPlainTextEdit *pane, const QStringList &lines, const QList<QColor> &marks)
{
    pane->setPlainText(lines.join(u'\n'));
    QList<QTextEdit::ExtraSelection> selections;
    QTextBlock block = pane->document()->firstBlock();
    for (qsizetype i = 0; i < marks.size() && block.isValid(); ++i, block = block.next()) {
        if (!marks[i].isValid())
            continue;
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(block);
        selection.format.setBackground(marks[i]);
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selections.append(selection);
    }
    pane->setExtraSelections(selections);
}

// One text of the changes: "- " before a removed line, "+ " before an inserted one, "  " before
// one both share, each change marked in its colour.
void fillUnified(QPlainTextEdit *pane, const QList<DiffLine> &lines)
{
    QStringList text;
    QList<QColor> marks;
    for (const DiffLine &line : lines) {
        switch (line.kind) {
        case DiffLine::Kind::Context:
            text.append(u"  " + line.text), marks.append(QColor());
            break;
        case DiffLine::Kind::Removed:
            text.append(u"- " + line.text), marks.append(CompareDialog::removedColor());
            break;
        case DiffLine::Kind::Added:
            text.append(u"+ " + line.text), marks.append(CompareDialog::insertedColor());
            break;
        }
    }
    fill(pane, text, marks);
}

} // namespace

QColor CompareDialog::removedColor()
{
    return QColor(0xfb, 0xd5, 0xd5);
}

QColor CompareDialog::insertedColor()
{
    return QColor(0xd4, 0xf4, 0xd4);
}

CompareDialog::CompareDialog(QWidget *parent, const QString &title, const QList<DiffLine> &lines)
    : QDialog(parent), m_standard(makePane(this)), m_changed(makePane(this)), m_unified(makePane(this)),
      m_standardSince(makePane(this)), m_views(new QStackedWidget(this))
{
    //% "Compare with Standard: %1"
    setWindowTitle(qtTrId("compare_title").arg(title));
    resize(820, 480);

    QStringList left, right;
    QList<QColor> leftMarks, rightMarks;
    const auto addRow = [&](const QString &l, const QColor &lm, const QString &r, const QColor &rm) {
        left.append(l), leftMarks.append(lm), right.append(r), rightMarks.append(rm);
    };
    // Side by side: each line of the standard beside the override's, a blank line standing in where
    // one side has none, so that both panes scroll in step.
    const QColor none;
    // A run of removed lines followed by a run of inserted ones is a change: their lines share rows,
    // so that each changed line stands beside what it became.
    for (qsizetype i = 0; i < lines.size();) {
        if (lines[i].kind == DiffLine::Kind::Context) {
            addRow(lines[i].text, none, lines[i].text, none);
            ++i;
            continue;
        }
        qsizetype removedEnd = i;
        while (removedEnd < lines.size() && lines[removedEnd].kind == DiffLine::Kind::Removed)
            ++removedEnd;
        qsizetype addedEnd = removedEnd;
        while (addedEnd < lines.size() && lines[addedEnd].kind == DiffLine::Kind::Added)
            ++addedEnd;
        const qsizetype removed = removedEnd - i, added = addedEnd - removedEnd;
        for (qsizetype k = 0; k < std::max(removed, added); ++k) {
            const bool l = k < removed, r = k < added;
            left.append(l ? lines[i + k].text : QString()), leftMarks.append(l ? removedColor() : none);
            right.append(r ? lines[removedEnd + k].text : QString()), rightMarks.append(r ? insertedColor() : none);
        }
        i = addedEnd;
    }
    fill(m_standard, left, leftMarks);
    fill(m_changed, right, rightMarks);
    fillUnified(m_unified, lines);
    connect(m_standard->verticalScrollBar(), &QScrollBar::valueChanged, m_changed->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(m_changed->verticalScrollBar(), &QScrollBar::valueChanged, m_standard->verticalScrollBar(),
            &QScrollBar::setValue);

    auto *sideBySide = new QSplitter(this);
    //% "Standard"
    const QString standardHeading = qtTrId("compare_standard");
    //% "Yours"
    const QString changedHeading = qtTrId("compare_override");
    for (const auto &[pane, heading] : {std::pair{m_standard, standardHeading}, std::pair{m_changed, changedHeading}}) {
        auto *column = new QWidget(sideBySide);
        auto *layout = new QVBoxLayout(column);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *label = new QLabel(heading, column);
        label->setBuddy(pane); // screen readers read the heading with the pane
        pane->setAccessibleName(heading);
        layout->addWidget(label);
        layout->addWidget(pane);
    }
    m_views->addWidget(sideBySide);
    m_views->addWidget(m_unified);
    auto *since = new QWidget(this);
    auto *sinceLayout = new QVBoxLayout(since);
    sinceLayout->setContentsMargins(0, 0, 0, 0);
    //% "What the standard snippet changed since your override was made:"
    auto *sinceLabel = new QLabel(qtTrId("compare_standard_since_heading"), since);
    sinceLabel->setBuddy(m_standardSince);
    m_standardSince->setAccessibleName(sinceLabel->text());
    sinceLayout->addWidget(sinceLabel);
    sinceLayout->addWidget(m_standardSince);
    m_views->addWidget(since);

    //% "Side by Side"
    auto *sideButton = new QPushButton(qtTrId("compare_side_by_side"), this);
    //% "Unified"
    auto *unifiedButton = new QPushButton(qtTrId("compare_unified"), this);
    m_unified->setAccessibleName(unifiedButton->text()); // the one pane without a heading
    //% "Standard Since"
    m_standardSinceButton = new QPushButton(qtTrId("compare_standard_since"), this);
    m_standardSinceButton->hide(); // offered for a stale override only
    auto *choice = new QButtonGroup(this);
    const QList<std::pair<QPushButton *, View>> switchesOf{
        {sideButton, View::SideBySide}, {unifiedButton, View::Unified}, {m_standardSinceButton, View::StandardSince}};
    auto *switches = new QHBoxLayout;
    for (const auto &[button, shows] : switchesOf) {
        button->setCheckable(true);
        choice->addButton(button);
        switches->addWidget(button);
        connect(button, &QPushButton::toggled, this, [this, shows = shows](bool on) {
            if (on)
                setView(shows);
        });
    }
    sideButton->setChecked(true);
    switches->addStretch();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(switches);
    layout->addWidget(m_views, 1);
    layout->addWidget(buttons);
}

void CompareDialog::setView(View view)
{
    m_views->setCurrentIndex(static_cast<int>(view));
}

CompareDialog::View CompareDialog::view() const
{
    return static_cast<View>(m_views->currentIndex());
}

void CompareDialog::showStandardChanges(const QList<DiffLine> &lines)
{
    fillUnified(m_standardSince, lines);
    m_standardSinceButton->show();
}

} // namespace Glimmerpad
