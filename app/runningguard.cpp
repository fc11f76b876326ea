// The warning shown once per run when an override is written while Xcode runs.
#include "app/rvappdelegate.h"

#include "catalogue/xcodeinstallation.h"
#include "chrome/rvwindow.h"
#include "platform/processes.h"

namespace Glimmerpad {

bool RVAppDelegate::xcodeProcessIsRunning() const
{
    return Platform::isAnyProcessRunningFromBundle([](const QString &bundle) {
        return Xcode::bundleIdentifierAtPath(bundle) == QLatin1StringView(Xcode::kBundleIdentifier);
    });
}

void RVAppDelegate::checkForXcodeProcess()
{
    // Two saves within a second queue two checks; the second must not show a second sheet.
    if (m_xcodeAlertShown || !xcodeProcessIsRunning())
        return;
    //% "Xcode is running"
    const QString title = qtTrId("xcode_process_sheet_title");
    //% "Xcode reads snippets when it starts. Quit and reopen Xcode to use the snippets you have changed."
    const QString message = qtTrId("xcode_process_sheet_message");
    //% "OK"
    const QString button = qtTrId("xcode_process_sheet_default_button");
    m_interaction.beginSheet(m_mainWindow.window(), RVSheet::Icon::Information, title, message, button);
    m_xcodeAlertShown = true;
}

} // namespace Glimmerpad
