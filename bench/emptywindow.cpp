// glimmerpad-bench-emptywindow: the start-up baseline. A Qt widgets program that shows one empty
// window of the main window's default size and, like glimmerpad built for benchmarks, ends after
// its first paint.
#include "app/benchhook.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(540, 680);
    Glimmerpad::exitAfterFirstPaint(&window);
    window.show();
    return QApplication::exec();
}
