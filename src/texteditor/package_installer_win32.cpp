// The Win32 half of the package installer: the question and the report are
// message boxes without an owner (no window exists during an install run),
// and the copy replaces an installed file of the same name.
#include <windows.h>
#include <shlobj.h>

#include "filesystem/native_file.h"
#include "texteditor/package_installer.h"
#include "ui/log.h"
#include "ui/notification_manager.h"

namespace {

const WCHAR kCaption[] = u"Vantrel Package Installer";

} // namespace

void installPackageFile(const ustring& packageFile, const ustring& dataDirectory)
{
    const PackageInstallPlan plan = planPackageInstall(packageFile, dataDirectory);
    const ustring question = u"Install package " + plan.packageName + u"?";
    if (MessageBoxW(nullptr, wide(question), kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    SHCreateDirectoryExW(nullptr, wide(plan.folder), nullptr);
    if (!CopyFileW(wide(plan.source), wide(plan.target), FALSE)) {
        NotificationManager::get().displayBlockingError(u"Unable to install package " + plan.source + u" to " +
                                                        plan.folder);
        return;
    }
    VLOG << u"Installed " << plan.source << u" as " << plan.target;
    const ustring done = u"Package " + plan.packageName +
                         u" installed.\n\nInstallation will be completed the next time Vantrel is started.";
    MessageBoxW(nullptr, wide(done), kCaption, MB_OK | MB_ICONINFORMATION);
}
