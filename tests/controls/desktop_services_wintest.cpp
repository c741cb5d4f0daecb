// The Win32 halves of the desktop services that can run unattended: the
// system folder that holds the file browser, and a start that must fail.
#include "controls/desktop_services.h"

#include <gtest/gtest.h>

TEST(Win32DesktopServices, SystemNamesTheFileBrowsersFolderWithoutFinalSeparator)
{
    const ustring folder = systemFileBrowserFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), u'\\');
}

TEST(Win32DesktopServices, StartOfAMissingProgramOrOfNoProgramFails)
{
    const ProcessLaunch launches[] = {
        {systemFileBrowserFolder() + u"\\no-such-program-here.exe", u"\"no-such-program-here.exe\""},
        {u"", u"explorer.exe"},
    };
    for (const ProcessLaunch& launch : launches)
        EXPECT_FALSE(startSystemProcess(launch));
}
