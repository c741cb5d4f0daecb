#include "texteditor/package_installer.h"

#include "filesystem/path_parts.h"

PackageInstallPlan planPackageInstall(const ustring& packageFile, const ustring& dataDirectory)
{
    PackageInstallPlan plan;
    plan.source = packageFile;
    toBackslashes(plan.source);
    plan.folder = dataDirectory + u"\\Installed Packages\\";
    const slate::usubstring source(plan.source);
    plan.target = plan.folder + pathFileName(source, u'\\').str();
    plan.packageName = pathStem(source, u'\\').str();
    return plan;
}
