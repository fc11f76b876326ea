#pragma once

#include <QString>

namespace Glimmerpad::Platform {

// The machine-wide folder that holds application bundles.
QString applicationsDirectory();

// The user's home folder as the session gives it, unchecked; empty when none is set. Callers
// refuse an empty or relative one rather than guess (a guess would put snippets where the user
// never looks).
QString homeDirectory();

} // namespace Glimmerpad::Platform
