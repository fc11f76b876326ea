// The warning shown once per run when an override is written while Xcode runs.
#include "app/rvappdelegate.h"

#include "app/processlookup.h"
#include "app/strings.h"
#include "catalogue/xcodeinstallation.h"
#include "chrome/rvwindow.h"

namespace Glimmerpad {

bool RVAppDelegate::xcodeProcessIsRunning() const
{
    return findProcessWithBundleIdentifier(QLatin1StringView(Xcode::kBundleIdentifier));
}

void RVAppDelegate::checkForXcodeProcess()
{
    // Two saves within a second queue two checks; the second must not show a second sheet.
    if (m_xcodeAlertShown || !xcodeProcessIsRunning())
        return;
    QMessageBox *sheet = m_interaction.beginSheet(
        m_window, QMessageBox::Information, Strings::localizedString("xcode_process_sheet_title"),
        Strings::localizedString("xcode_process_sheet_message"),
        Strings::localizedString("xcode_process_sheet_default_button"));
    if (sheet)
        m_window->positionSheet(sheet);
    m_xcodeAlertShown = true;
}

} // namespace Glimmerpad
