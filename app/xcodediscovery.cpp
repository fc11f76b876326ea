// Finding the Xcode installation and refusing versions it cannot serve.
#include "app/rvappdelegate.h"

#include "catalogue/xcodeinstallation.h"
#include "chrome/rvwindow.h"
#include "platform/folders.h"

#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcDiscovery, "glimmerpad.discovery", QtInfoMsg)

namespace Glimmerpad {

static constexpr int kRefusedInstallationExitCode = 1;

QString RVAppDelegate::defaultXcodeAppPath() const
{
    return m_xcodeAppPathOverride.value_or(Xcode::defaultXcodeAppPath(Platform::applicationsDirectory()));
}

std::optional<QString> RVAppDelegate::xcodePath()
{
    std::optional<QString> path = defaultXcodeAppPath();
    if (!QFileInfo::exists(*path)) {
        // Not remembered on purpose: an Xcode elsewhere is asked for at every start.
        //% "Where is Xcode?"
        const QString title = qtTrId("openpanel_title");
        //% "Xcode is not in the Applications folder. Choose the Xcode application whose snippets you want to see."
        const QString message = qtTrId("openpanel_message");
        //% "Choose"
        const QString prompt = qtTrId("openpanel_prompt");
        const std::optional<QString> chosen =
            m_interaction.chooseApplicationBundle(m_mainWindow.window(), title, message, prompt, chooserFolder());
        if (!chosen) {
            // Nothing to show, and nothing was refused: said as it is.
            m_mainWindow.window()->close();
            //% "No Xcode was chosen"
            const QString cancelledTitle = qtTrId("no_xcode_title");
            //% "Glimmerpad shows the snippets of an Xcode application. Start Glimmerpad again and choose one, or name it on the command line: glimmerpad /path/to/Xcode.app"
            const QString cancelledMessage = qtTrId("no_xcode_message");
            //% "Quit"
            m_interaction.runCriticalAlert(m_mainWindow.window(), cancelledTitle, cancelledMessage, qtTrId("no_xcode_button"));
            terminate(kRefusedInstallationExitCode);
            return std::nullopt;
        }
        rememberChooserFolder(QFileInfo(*chosen).absolutePath());
        path = chosen;
    }
    if (!path || path->isEmpty()) {
        terminate(kRefusedInstallationExitCode);
        return std::nullopt;
    }

    const double version = Xcode::xcodeVersionAtPath(*path);
    if (Xcode::isSupportedVersion(version))
        return path;

    qCInfo(lcDiscovery).noquote() << "refusing" << *path << "with version" << version;
    m_mainWindow.window()->close();
    //% "This version of Xcode is not supported"
    const QString title = qtTrId("version_support_sheet_title");
    //% "Glimmerpad needs Xcode 4.3 or later. Install a newer Xcode, or choose another one at the next start."
    const QString message = qtTrId("version_support_sheet_message");
    //% "Quit"
    m_interaction.runCriticalAlert(m_mainWindow.window(), title, message, qtTrId("version_support_sheet_default_button"));
    terminate(kRefusedInstallationExitCode);
    return std::nullopt;
}

} // namespace Glimmerpad
