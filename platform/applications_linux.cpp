#include "platform/applications.h"

namespace Glimmerpad::Platform {

QString applicationsDirectory()
{
    // Linux has no local-domain Applications folder of its own; Xcode bundles copied
    // over from a Mac are expected where the Mac keeps them.
    return QStringLiteral("/Applications");
}

} // namespace Glimmerpad::Platform
