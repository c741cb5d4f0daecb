// The hand-over between two processes under one Wine server: this test
// program plays the running instance with stand-in main windows, and a
// second program (second_instance_main.cpp) starts as the second instance.
#include "window_manager/windows/single_instance.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "filesystem/file_utils.h"
#include "support/bytes.h"
#include "ui/byte_buffer.h"
#include "window_manager/command_line_payload.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "window_manager/instance_window.h"

namespace {

using test_support::InstanceWindow;
using test_support::runSecondInstance;

const int kHandedOver = static_cast<int>(HandOverResult::HandedOver);
const int kNoWindowAnswered = static_cast<int>(HandOverResult::NoWindowAnswered);

class SingleInstance : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_mutexIsOurs = test_support::holdSecondInstanceMutex(); }
    void SetUp() override
    {
        ASSERT_TRUE(s_mutexIsOurs) << "another process holds the test mutex";
        m_savedDirectory = currentDirectory();
        m_folder = test_support::programPath(m_scratch.path().string());
    }
    void TearDown() override { setCurrentDirectory(m_savedDirectory); }

    static bool s_mutexIsOurs;
    test_support::ScratchFolder m_scratch{"vantrel-instance"};
    ustring m_folder; // the scratch folder as the program names it
    ustring m_savedDirectory;
};

bool SingleInstance::s_mutexIsOurs = false;

TEST_F(SingleInstance, SecondStartHandsItsArgumentsAndFolderToTheRunningInstance)
{
    InstanceWindow running(true);
    ASSERT_TRUE(running.created());
    const std::vector<ustring> arguments = {u"notes.txt:12:3", u"sub folder\\caf\x00E9.py", u"--command",
                                            u"quoted \"word\"", u""};
    EXPECT_EQ(runSecondInstance(arguments, m_folder), kHandedOver);
    EXPECT_EQ(running.log().commandLines, 1);
    EXPECT_EQ(running.log().arguments, arguments);
    EXPECT_EQ(running.log().directory, m_folder);
    // Relative arguments now resolve against the second start's folder.
    EXPECT_EQ(currentDirectory(), m_folder);
}

TEST_F(SingleInstance, SecondStartWithoutArgumentsOnlyBringsTheInstanceToTheFront)
{
    InstanceWindow running(true);
    ASSERT_TRUE(running.created());
    running.minimise();
    ASSERT_TRUE(running.isMinimised());
    EXPECT_EQ(runSecondInstance({}, m_folder), kHandedOver);
    EXPECT_EQ(running.log().pings, 1);
    EXPECT_EQ(running.log().copyDataMessages, 0);
    EXPECT_FALSE(running.isMinimised());
    EXPECT_EQ(currentDirectory(), m_savedDirectory);
}

TEST_F(SingleInstance, WindowOfTheClassThatDoesNotAnswerThePingIsPassedOver)
{
    InstanceWindow running(true);
    InstanceWindow stranger(false); // created last: asked first
    ASSERT_TRUE(running.created());
    ASSERT_TRUE(stranger.created());
    EXPECT_EQ(runSecondInstance({u"a.txt"}, m_folder), kHandedOver);
    EXPECT_EQ(stranger.log().pings, 1);
    EXPECT_EQ(stranger.log().copyDataMessages, 0);
    EXPECT_EQ(running.log().commandLines, 1);
    EXPECT_EQ(running.log().arguments, std::vector<ustring>{u"a.txt"});
}

// Two files opened in quick succession: the second start finds the mutex
// of a first instance that has no window yet. It waits for the window
// rather than dropping its file.
TEST_F(SingleInstance, SecondStartWaitsForAWindowThatComesUpLate)
{
    std::unique_ptr<InstanceWindow> running;
    const int result = runSecondInstance({u"b.txt"}, m_folder,
                                         [&running] { running = std::make_unique<InstanceWindow>(true); }, 500);
    EXPECT_EQ(result, kHandedOver);
    ASSERT_TRUE(running && running->created());
    EXPECT_EQ(running->log().arguments, std::vector<ustring>{u"b.txt"});
}

// No window of the program ever answers: the second start still exits, but
// tells its caller that the arguments went nowhere.
TEST_F(SingleInstance, SecondStartReportsThatNoWindowAnswered)
{
    InstanceWindow stranger(false);
    ASSERT_TRUE(stranger.created());
    EXPECT_EQ(runSecondInstance({u"a.txt"}, m_folder), kNoWindowAnswered);
    EXPECT_EQ(stranger.log().copyDataMessages, 0);
}

// What the receiver makes of WM_COPYDATA messages that are not, or not
// well-formed, hand-overs: only a whole record reaches the handler.
TEST_F(SingleInstance, ReceiverIgnoresOtherDataAndMalformedRecords)
{
    WriteBuffer folder;
    writeString(folder, m_folder);
    const std::string folderBytes(folder.data(), folder.size());
    struct Case {
        const char* name;
        uintptr_t id;
        std::string payload;
        bool noData;
        int commandLines;
        std::vector<ustring> arguments;
    };
    const Case cases[] = {
        {"another kind of data", 87, folderBytes + bytes({0, 0, 0, 0}), false, 0, {}},
        {"no data", kCommandLineCopyDataId, "", true, 0, {}},
        {"empty record", kCommandLineCopyDataId, "", false, 0, {}},
        {"huge count, one argument", kCommandLineCopyDataId,
         folderBytes + bytes({0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0, 'x', 0}), false, 0, {}},
        {"well-formed record", kCommandLineCopyDataId,
         folderBytes + bytes({1, 0, 0, 0, 1, 0, 0, 0, 'x', 0}), false, 1, {u"x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstanceWindow running(true);
        ASSERT_TRUE(running.created());
        running.sendCopyData(c.id, c.payload, c.noData);
        EXPECT_EQ(running.log().copyDataMessages, 1);
        EXPECT_EQ(running.log().commandLines, c.commandLines);
        EXPECT_EQ(running.log().arguments, c.arguments);
        // Only an accepted record moves the current directory.
        EXPECT_EQ(currentDirectory() == m_folder, c.commandLines == 1);
        setCurrentDirectory(m_savedDirectory);
    }
}

TEST(SingleInstanceMutex, FirstStartIsTheFirstInstanceAndASecondFindsIt)
{
    const ustring name = u"VantrelSingleInstanceMutexTest";
    EXPECT_EQ(singleInstanceForward(name, {}, 0), HandOverResult::FirstInstance);
    // The handle stays open: the same name is now taken.
    EXPECT_EQ(singleInstanceForward(name, {}, 0), HandOverResult::NoWindowAnswered);
}

} // namespace
