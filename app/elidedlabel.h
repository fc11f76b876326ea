#pragma once

#include <QLabel>

namespace Glimmerpad {

// One line of plain text that never widens its window: it asks for no more than a modest width,
// cuts what does not fit with an ellipsis at the end, and then shows the whole text as its tooltip.
// Its accessible name is the whole text; say what the text is with an accessible description.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    static constexpr int kPreferredWidth = 260;

    explicit ElidedLabel(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }
    // Whether the text is cut where it is shown now.
    bool isElided() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showElided();

    QString m_text;
    QString m_ownToolTip; // what the tooltip says while the text fits
};

} // namespace Glimmerpad
