#pragma once

class QWidget;

namespace Glimmerpad {

// Start-up timing only (scripts/bench): when the environment has GLIMMERPAD_BENCH_EXIT_AFTER_FIRST_PAINT=1,
// the process prints "first paint" and ends right after widget is painted for the first time, so that
// start-up can be timed as a whole process. Does nothing otherwise.
void exitAfterFirstPaintIfAsked(QWidget *widget);

} // namespace Glimmerpad
