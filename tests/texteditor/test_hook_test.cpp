#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"
#include "texteditor/test_hook.h"
#include "ui/text/selection_set.h"
#include "ui/text/text_buffer.h"
#include "ui/unicode.h"

namespace {

slate::SP<TextBuffer> makeBuffer(const ustring& text)
{
    return slate::SP<TextBuffer>(new TextBuffer(text.data(), text.data() + text.size()));
}

TEST(TestHook, RecordHoldsNameSelectionsInUtf16UnitsAndUtf8Text)
{
    // "é" and the surrogate pair of U+1F600 count as one and two units.
    const slate::SP<TextBuffer> buffer = makeBuffer(u"caf\u00e9\n\U0001F600 x\n");
    SelectionSet selections;
    selections.add(SelectionRegion(4, 0));
    selections.add(SelectionRegion(8, 9));
    EXPECT_EQ(testHookRecord(buffer.get(), &selections),
              "untitled\n4,0 8,9\ncaf\xc3\xa9\n\xf0\x9f\x98\x80 x\n");
}

TEST(TestHook, RecordOfNoViewHasEmptyLines)
{
    EXPECT_EQ(testHookRecord(nullptr, nullptr), "\n\n");
}

TEST(TestHook, WritesOnlyRecordsThatChanged)
{
    test_support::ScratchFolder folder("vantrel-test-hook");
    const std::filesystem::path file = folder / "state";
    TestHook hook(toUstring(file.string()));

    EXPECT_TRUE(hook.write("a\n\n"));
    EXPECT_EQ(folder.read("state"), "a\n\n");
    std::filesystem::remove(file);
    EXPECT_FALSE(hook.write("a\n\n"));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(hook.write("b\n\n"));
    EXPECT_EQ(folder.read("state"), "b\n\n");
}

TEST(TestHook, FailedWriteIsTriedAgain)
{
    test_support::ScratchFolder folder("vantrel-test-hook");
    TestHook hook(toUstring((folder / "missing" / "state").string()));
    EXPECT_FALSE(hook.write("a\n\n"));
    folder.makeFolder("missing");
    EXPECT_TRUE(hook.write("a\n\n"));
    EXPECT_EQ(folder.read("missing/state"), "a\n\n");
}

} // namespace
