#pragma once

#include <QString>

namespace Glimmerpad::Platform {

// The machine-wide folder that holds application bundles.
QString applicationsDirectory();

} // namespace Glimmerpad::Platform
