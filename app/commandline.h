#pragma once

#include <QStringList>

namespace Glimmerpad::CommandLine {

// The arguments without the options Qt's application object takes for itself (-style fusion,
// -platform offscreen, -reverse, ...), in the forms it takes them: one or two leading dashes, a
// value as the next argument or after "=" where Qt accepts that. The program's own options and
// its APP are read from what is left, before there is a window system to ask.
QStringList withoutQtOptions(const QStringList &arguments);

} // namespace Glimmerpad::CommandLine
