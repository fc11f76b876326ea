#pragma once

#include <QString>

namespace Glimmerpad {

// Appends a path component: exactly one separator at the junction,
// no trailing separator, nothing else normalised ("." and ".." are kept as written).
QString appendPathComponent(const QString &base, const QString &component);

} // namespace Glimmerpad
