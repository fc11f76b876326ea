#pragma once

#include <QListView>

namespace Glimmerpad {

// The snippet list's view. While it has no rows it says why in its viewport, a headline and below
// it what to do, rather than show an empty box; a screen reader hears the same as the list's
// description.
class SnippetListView final : public QListView
{
    Q_OBJECT

public:
    using QListView::QListView;

    // Shown while the list is empty; the hint may be empty.
    void setEmptyText(const QString &headline, const QString &hint);
    QString emptyHeadline() const { return m_headline; }
    QString emptyHint() const { return m_hint; }

    // The hint's colour: the text colour a little toward the base, still legible on it.
    static QColor hintColor(const QPalette &palette);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateDescription();

    QString m_headline;
    QString m_hint;
};

} // namespace Glimmerpad
