#include "texteditor/startup_rules.h"

#include <gtest/gtest.h>

#include "filesystem/file_utils.h"
#include "support/scratch_folder.h"
#include "ui/unicode.h"

namespace {

TEST(StartupRules, DataDirectoryIsPortableFolderThenApplicationDataThenNothing)
{
    test_support::ScratchFolder folder{"vantrel-rules"};
    const ustring executable = toUstring(folder.path().string());
    EXPECT_EQ(chooseDataDirectory(executable, u"/appdata", false), u"/appdata/Vantrel");
    EXPECT_EQ(chooseDataDirectory(executable, u"/appdata", true), u"/appdata/Vantrel Development");
    EXPECT_EQ(chooseDataDirectory(executable, u"", false), u"");
    ASSERT_TRUE(createDirectory(executable + u"/Data"));
    EXPECT_EQ(chooseDataDirectory(executable, u"/appdata", true), executable + u"/Data");
}

TEST(StartupRules, DataSwitchIsMadeAbsoluteWithoutItsTrailingSeparator)
{
    std::vector<ustring> asked;
    const FullPathFunction fullPath = [&asked](const ustring& path) {
        asked.push_back(path);
        return path.empty() || path[0] == u'/' ? path : u"/current/" + path;
    };
    struct Case {
        ustring value;
        ustring expected;
    };
    const Case cases[] = {
        {u"/data", u"/data"},
        {u"/data/", u"/data"},
        {u"C:\\data\\", u"/current/C:\\data"},
        {u"relative", u"/current/relative"},
        {u"", u""},
        {u"/", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.value));
        EXPECT_EQ(dataDirectoryFromSwitch(c.value, fullPath), c.expected);
    }
    // An empty value never reaches the system.
    EXPECT_EQ(asked.size(), 4u);
}

TEST(StartupRules, DevelopmentBuildIsTheBuildTreeAfterTheDrive)
{
    EXPECT_TRUE(isDevelopmentBuild(u"Z:\\work\\vantrel\\build", u"\\work\\vantrel\\build"));
    EXPECT_TRUE(isDevelopmentBuild(u"Z:\\WORK\\Vantrel\\build\\bin", u"\\work\\vantrel\\build"));
    EXPECT_FALSE(isDevelopmentBuild(u"C:\\Program Files\\Vantrel", u"\\work\\vantrel\\build"));
    EXPECT_FALSE(isDevelopmentBuild(u"Z:\\work", u"\\work\\vantrel\\build"));
}

// The digest was computed apart from the program: the UTF-16LE bytes of
// "c:\some\folder" through md5sum, each byte then written low digit first.
TEST(StartupRules, MutexNameIsTheDigestOfTheLowerCasedFolder)
{
    const ustring expected = u"VANTREL-77AFE794-B10D-34F3-BAE7-099487FFAE41-ea39f3f3c9f79636ec0e6a3ab31e3829";
    EXPECT_EQ(singleInstanceMutexName(u"C:\\Some\\Folder"), expected);
    EXPECT_EQ(singleInstanceMutexName(u"c:\\some\\folder"), expected);
    EXPECT_NE(singleInstanceMutexName(u"c:\\some\\other"), expected);
}

TEST(StartupRules, OpenGLByOptionInAnyCaseOrBySwitch)
{
    EXPECT_TRUE(useOpenGLRenderer(false, u"OpenGL"));
    EXPECT_TRUE(useOpenGLRenderer(false, u"opengl"));
    EXPECT_TRUE(useOpenGLRenderer(true, u""));
    EXPECT_TRUE(useOpenGLRenderer(true, u"direct3d"));
    EXPECT_FALSE(useOpenGLRenderer(false, u""));
    EXPECT_FALSE(useOpenGLRenderer(false, u"opengl2"));
}

TEST(StartupRules, OnlyALostHandOverIsReported)
{
    const std::vector<ustring> files = {u"a.txt", u"b.txt:3"};
    EXPECT_EQ(handOverFailureMessage(HandOverResult::HandedOver, files), u"");
    EXPECT_EQ(handOverFailureMessage(HandOverResult::NoWindowAnswered, {}), u"");
    for (HandOverResult lost : {HandOverResult::NoWindowAnswered, HandOverResult::HandOverFailed}) {
        const ustring message = handOverFailureMessage(lost, files);
        EXPECT_NE(message.find(u"\na.txt\nb.txt:3"), ustring::npos) << toUtf8(message);
    }
}

} // namespace
