#pragma once

namespace Glimmerpad::Platform {

// Whether top-level windows can be translucent, that is whether a compositing manager blends
// them with what lies underneath. Without one, per-pixel alpha shows up black and shaped
// windows need a mask instead. Asked once per window; a compositor starting later is not noticed.
bool hasCompositingManager();

} // namespace Glimmerpad::Platform
