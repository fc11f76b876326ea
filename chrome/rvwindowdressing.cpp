#include "chrome/rvwindowdressing.h"

#include "chrome/rvwindow.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QtMath>

#include <algorithm>

namespace Glimmerpad {

namespace {

// Keeps a child's distances to all four sides of its parent as the parent is resized: the
// child stretches both ways.
class StretchWithParent final : public QObject
{
public:
    explicit StretchWithParent(QWidget *child) : QObject(child), m_child(child)
    {
        const QRect parentRect = child->parentWidget()->rect();
        const QRect g = child->geometry();
        m_margins =
            QMargins(g.left(), g.top(), parentRect.right() - g.right(), parentRect.bottom() - g.bottom());
        child->parentWidget()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && watched == m_child->parentWidget())
            m_child->setGeometry(m_child->parentWidget()->rect().marginsRemoved(m_margins));
        return false;
    }

private:
    QWidget *m_child;
    QMargins m_margins;
};

QLabel *makeTitleLabel(QWidget *titleBar, const QRectF &frameInTitleBar, const QColor &colour)
{
    auto *label = new QLabel(titleBar);
    // The title bar's coordinates have a bottom-left origin; Qt's a top-left one.
    const qreal top = titleBar->height() - frameInTitleBar.y() - frameInTitleBar.height();
    label->setGeometry(
        QRectF(frameInTitleBar.x(), top, frameInTitleBar.width(), frameInTitleBar.height()).toRect());
    new StretchWithParent(label);
    label->setAlignment(Qt::AlignCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    // Clicks go to the title bar underneath: it moves the window and takes double clicks.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->show();
    return label;
}

} // namespace

MainWindowDressing MainWindowDressing::apply(RVWindow *window, RVWindowDelegate *delegate,
                                             const QString &title)
{
    window->setDelegate(delegate);
    window->setTitleBarHeight(kTitleBarHeight);
    window->setTrafficLightButtonsLeftMargin(kTrafficLightsLeftMargin);
    window->setCenterTrafficLightButtons(true);
    window->setShowsBaselineSeparator(true);
    window->setWindowTitle(title);

    const qreal width = window->frameViewFrame().width();
    QWidget *titleBar = window->titleBarView();
    MainWindowDressing dressing;
    dressing.highlightLabel =
        makeTitleLabel(titleBar, QRectF(0, 10, width, 17), QColor::fromRgbF(0.9f, 0.9f, 0.9f));
    dressing.highlightLabel->setText(window->windowTitle());
    QFont font = dressing.highlightLabel->font();
    font.setPixelSize(kTitleFontPixelSize);
    dressing.highlightLabel->setFont(font);

    dressing.titleLabel =
        makeTitleLabel(titleBar, QRectF(0, 11, width, 17), QColor::fromRgbF(0.15f, 0.15f, 0.15f));
    dressing.titleLabel->setText(dressing.highlightLabel->text());
    dressing.titleLabel->setAlignment(dressing.highlightLabel->alignment());
    dressing.titleLabel->setFont(dressing.highlightLabel->font());
    window->setMinimumSize(minimumSize(window, title, font));
    return dressing;
}

QSize MainWindowDressing::minimumSize(const RVWindow *window, const QString &title, const QFont &titleFont)
{
    // The centred title keeps clear of the buttons on both sides: as much room on each side as
    // the wider of the two button groups takes, and a gap.
    qreal left = 0, right = 0;
    const qreal width = window->frameViewFrame().width();
    for (const auto button : {Platform::WindowButton::Close, Platform::WindowButton::Miniaturize,
                              Platform::WindowButton::Zoom, Platform::WindowButton::FullScreen}) {
        if (const QAbstractButton *view = window->standardWindowButton(button)) {
            const QRectF frame = window->frameOfView(view);
            if (frame.center().x() < width / 2)
                left = std::max(left, frame.right());
            else
                right = std::max(right, width - frame.left());
        }
    }
    const int side = qCeil(std::max(left, right)) + kTitleGap;
    const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(title);
    return {std::max(kMinimumContentWidth, 2 * side + titleWidth),
            qCeil(window->titleBarHeight()) + kMinimumContentHeight};
}

QRectF MainWindowDressing::sheetFrame(const RVWindow *window, const QRectF &proposed)
{
    return {proposed.x(), window->frameViewFrame().height() - window->titleBarHeight(), proposed.width(),
            proposed.height()};
}

} // namespace Glimmerpad
