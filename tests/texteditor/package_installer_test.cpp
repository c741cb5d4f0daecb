#include "texteditor/package_installer.h"

#include <gtest/gtest.h>

namespace {

TEST(PackageInstaller, PackageGoesIntoInstalledPackagesUnderItsFileName)
{
    const PackageInstallPlan plan = planPackageInstall(u"Z:/downloads/Tools.VANTREL-PACKAGE", u"C:\\Data");
    EXPECT_EQ(plan.source, u"Z:\\downloads\\Tools.VANTREL-PACKAGE");
    EXPECT_EQ(plan.folder, u"C:\\Data\\Installed Packages\\");
    EXPECT_EQ(plan.target, u"C:\\Data\\Installed Packages\\Tools.VANTREL-PACKAGE");
    EXPECT_EQ(plan.packageName, u"Tools");
}

} // namespace
