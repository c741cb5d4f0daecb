// What only the Win32 side of the spell checker does; its behaviour is in
// spell_checker_contract.cpp, run by both test programs.
#include "ui/text/spell_checker.h"

#include <gtest/gtest.h>

#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/platform.h"

namespace {

// Hunspell, a native library, is handed the Unix name behind a Windows path.
TEST(Win32SpellChecker, UnixPathOfAWindowsPathIsTheFileItNames)
{
    const std::filesystem::path dictionary = test_support::dataPath("spelling/tiny.dic");
    const ustring windowsName = test_support::programPath(dictionary);
    ASSERT_FALSE(windowsName.empty());
    EXPECT_EQ(ustring::npos, windowsName.find(u'/'));
    EXPECT_EQ(dictionary.string(), platform::get().unixPath(windowsName));
    EXPECT_EQ("", platform::get().unixPath(u""));
}

} // namespace
