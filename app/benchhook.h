#pragma once

class QWidget;

namespace Glimmerpad {

// Start-up timing only, in builds made for benchmarks: the process prints "first paint" and ends
// right after widget is painted for the first time, so that start-up is timed as a whole process.
void exitAfterFirstPaint(QWidget *widget);

} // namespace Glimmerpad
