// Finding the Xcode installation and refusing versions it cannot serve.
#include "app/rvappdelegate.h"

#include "app/strings.h"
#include "catalogue/xcodeinstallation.h"
#include "chrome/rvwindow.h"
#include "platform/folders.h"

#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcDiscovery, "glimmerpad.discovery", QtInfoMsg)

namespace Glimmerpad {

static constexpr int kRefusedInstallationExitCode = 1;

QString RVAppDelegate::applicationsDirectory() const
{
    return Platform::applicationsDirectory();
}

QString RVAppDelegate::defaultXcodeAppPath() const
{
    return m_xcodeAppPathOverride.value_or(Xcode::defaultXcodeAppPath(applicationsDirectory()));
}

double RVAppDelegate::xcodeVersionAtPath(const QString &path) const
{
    return Xcode::xcodeVersionAtPath(path);
}

double RVAppDelegate::xcodeVersion() const
{
    return xcodeVersionAtPath(defaultXcodeAppPath());
}

std::optional<QString> RVAppDelegate::xcodePath()
{
    std::optional<QString> path = defaultXcodeAppPath();
    if (!QFileInfo::exists(*path)) {
        // Not remembered on purpose: an Xcode elsewhere is asked for at every start.
        if (std::optional<QString> chosen =
                m_interaction.chooseApplicationBundle(m_window, Strings::localizedString("openpanel_title"),
                                                      Strings::localizedString("openpanel_message"),
                                                      Strings::localizedString("openpanel_prompt"))) {
            path = chosen;
        }
    }
    if (!path || path->isEmpty()) {
        terminate(kRefusedInstallationExitCode);
        return std::nullopt;
    }

    const double version = xcodeVersionAtPath(*path);
    if (Xcode::isSupportedVersion(version))
        return path;

    qCInfo(lcDiscovery).noquote() << "refusing" << *path << "with version" << version;
    m_window->close();
    m_interaction.runCriticalAlert(m_window, Strings::localizedString("version_support_sheet_title"),
                                   Strings::localizedString("version_support_sheet_message"),
                                   Strings::localizedString("version_support_sheet_default_button"));
    terminate(kRefusedInstallationExitCode);
    return std::nullopt;
}

} // namespace Glimmerpad
