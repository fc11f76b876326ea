#pragma once

#include "catalogue/linediff.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace Glimmerpad {

// An override's body beside the standard snippet's, line by line: side by side, removed lines
// marked on the standard's side and inserted ones on the override's, blank lines keeping the two
// in step; or as one unified view. Read-only; the window stays usable while it is open.
class CompareDialog : public QDialog
{
    Q_OBJECT

public:
    // lines: every line of the standard and the override, as lineDiff() gives them.
    CompareDialog(QWidget *parent, const QString &title, const QList<DiffLine> &lines);

    enum class View
    {
        SideBySide,
        Unified,
        StandardSince, // what the standard changed since the override was made
    };
    void setView(View view);
    View view() const;
    // Offers a view of what the standard snippet changed since the override was made: every line of
    // the standard then and now, as lineDiff() gives them.
    void showStandardChanges(const QList<DiffLine> &lines);

    // The panes, for tests: the standard's and the override's side, and the unified view.
    QPlainTextEdit *standardPane() const { return m_standard; }
    QPlainTextEdit *changedPane() const { return m_changed; }
    QPlainTextEdit *unifiedPane() const { return m_unified; }
    QPlainTextEdit *standardSincePane() const { return m_standardSince; }

    static QColor removedColor();
    static QColor insertedColor();

private:
    QPlainTextEdit *m_standard;
    QPlainTextEdit *m_changed;
    QPlainTextEdit *m_unified;
    QPlainTextEdit *m_standardSince;
    QStackedWidget *m_views;
    QPushButton *m_standardSinceButton;
};

} // namespace Glimmerpad
