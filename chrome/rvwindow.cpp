#include "chrome/rvwindow.h"

#include <QVBoxLayout>

namespace Glimmerpad {

RVWindow::RVWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

RVWindow::~RVWindow() = default;

void RVWindow::setContentView(QWidget *view)
{
    if (!view || view == m_contentView)
        return;
    delete m_contentView;
    m_contentView = view;
    layout()->addWidget(view);
}

void RVWindow::positionSheet(QWidget *sheet)
{
    if (!sheet)
        return;
    sheet->adjustSize();
    const QRect frame = geometry();
    const int x = frame.x() + (frame.width() - sheet->width()) / 2;
    const int y = frame.y() + static_cast<int>(titleBarHeight());
    sheet->move(x, y);
}

} // namespace Glimmerpad
