#pragma once

#include <QAccessible>

class QWidget;

namespace Glimmerpad {

// Screen readers hear a plain widget as what it stands for. Qt gives every QWidget it knows
// nothing more of the role of a client area (AT-SPI "filler"): a top-level window, a message that
// hangs in it and a floating panel would all read as anonymous boxes.
//
// Call it before the widget is first shown or named: the interface made then is kept.
void setAccessibleRole(QWidget *widget, QAccessible::Role role);

// Makes the accessible interfaces of the window chrome known to Qt (the title bar reads as one
// title bar named after its window, not as the two labels that draw its title). Once is enough;
// more calls do nothing.
void installChromeAccessibility();

} // namespace Glimmerpad
