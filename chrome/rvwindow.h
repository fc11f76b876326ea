#pragma once

#include <QWidget>

namespace Glimmerpad {

// The main window: holds the content view.
class RVWindow : public QWidget
{
    Q_OBJECT

public:
    explicit RVWindow(QWidget *parent = nullptr);
    ~RVWindow() override;

    void setContentView(QWidget *view);
    QWidget *contentView() const { return m_contentView; }

    qreal titleBarHeight() const { return 0; }

    // Places a window-modal message so that it hangs from the lower edge of the title bar,
    // centred across the window.
    void positionSheet(QWidget *sheet);

private:
    QWidget *m_contentView = nullptr;
};

} // namespace Glimmerpad
