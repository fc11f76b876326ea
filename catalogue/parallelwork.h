#pragma once

#include <QtGlobal>

#include <functional>

namespace Glimmerpad {

// Runs work(i) once for every i below count, on up to `threads` threads (the caller's among them;
// 1 runs everything on the caller's, in order), and returns when all are done. Whatever the work
// logs through Qt reaches the log afterwards in index order, as if the indexes had run one after
// another: the log reads the same however the work was spread.
void runForEachIndex(qsizetype count, int threads, const std::function<void(qsizetype index)> &work);

} // namespace Glimmerpad
