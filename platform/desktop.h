#pragma once

namespace Glimmerpad::Platform {

// Whether top-level windows can be translucent, that is whether a compositing manager blends
// them with what lies underneath. Without one, per-pixel alpha shows up black and shaped
// windows need a mask instead. Asked once per window; a compositor starting later is not noticed.
bool hasCompositingManager();

// Whether double-clicking a window's title bar should minimize it rather than do what the window
// manager would otherwise do. On GNOME that is the GSettings key action-double-click-titlebar of
// org.gnome.desktop.wm.preferences set to "minimize"; a missing schema or key means no. Read
// afresh at every call, so a change in the desktop's settings applies to the next double click.
bool miniaturizeOnDoubleClick();

} // namespace Glimmerpad::Platform
