#include "platform/folders.h"

#include <QFile>

namespace Glimmerpad::Platform {

QString applicationsDirectory()
{
    // Linux has no local-domain Applications folder of its own; Xcode bundles copied
    // over from a Mac are expected where the Mac keeps them.
    return QStringLiteral("/Applications");
}

QString homeDirectory()
{
    // Not QDir::homePath(): it answers "/" when HOME is unset, which would pass for a home.
    return QFile::decodeName(qgetenv("HOME"));
}

} // namespace Glimmerpad::Platform
