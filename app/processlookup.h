#pragma once

#include <QString>

namespace Glimmerpad {

// True when a running process belongs to an application bundle whose Info.plist says
// CFBundleIdentifier == bundleIdentifier (exact, case-sensitive).
bool findProcessWithBundleIdentifier(const QString &bundleIdentifier);

} // namespace Glimmerpad
