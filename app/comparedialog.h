#pragma once

#include "catalogue/linediff.h"

#include <QDialog>

class QPlainTextEdit;
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
    };
    void setView(View view);
    View view() const;

    // The panes, for tests: the standard's and the override's side, and the unified view.
    QPlainTextEdit *standardPane() const { return m_standard; }
    QPlainTextEdit *changedPane() const { return m_changed; }
    QPlainTextEdit *unifiedPane() const { return m_unified; }

    static QColor removedColor();
    static QColor insertedColor();

private:
    QPlainTextEdit *m_standard;
    QPlainTextEdit *m_changed;
    QPlainTextEdit *m_unified;
    QStackedWidget *m_views;
};

} // namespace Glimmerpad
