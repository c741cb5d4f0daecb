// A buffer's keys in a session node, and the region sets written with them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/options.h"
#include "ui/text/region_set_settings.h"
#include "ui/text/selection_printers.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

namespace {

using view_test::makeBuffer;
using view_test::optionsFrom;
using view_test::setOf;

TEST(TextBufferSession, WritesItsKeysInOrderAndNoEmptyName)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"0123456789");
    buffer->setReadOnly(true);
    buffer->setLineEnding(kLineEndingUnix);
    buffer->m_bookmarks.add(SelectionRegion(1, 2));
    buffer->m_bookmarks.add(SelectionRegion(7, 5));
    slate::SP<Options> node(new Options);
    buffer->writeSettings(node);
    EXPECT_EQ(u"bufferSize 10\n"
              u"readOnly true\n"
              u"scratch false\n"
              u"lineEnding Unix\n"
              u"bookmarks[0].a 1\n"
              u"bookmarks[0].b 2\n"
              u"bookmarks[1].a 7\n"
              u"bookmarks[1].b 5",
              node->serialise());

    buffer->m_name = u"Notes";
    slate::SP<Options> named(new Options);
    buffer->writeSettings(named);
    EXPECT_EQ((std::vector<ustring>{u"bufferSize", u"name", u"readOnly", u"scratch", u"lineEnding",
                                    u"bookmarks[0].a", u"bookmarks[0].b", u"bookmarks[1].a",
                                    u"bookmarks[1].b"}),
              named->keys());
}

// What a session restores depends on whether the text still has the size it
// had: name and scratch flag always, the rest only on a match.
TEST(TextBufferSession, SizeMismatchRestoresOnlyTheNameAndScratchFlag)
{
    const std::string node = "bufferSize 10\nname Notes\nreadOnly true\nscratch true\n"
                             "lineEnding Mac\nbookmarks[0].a 2\nbookmarks[0].b 4\n";
    struct Case {
        const char* name;
        ustring text;
        bool restoresAll;
    };
    const Case cases[] = {
        {"same size", u"0123456789", true},
        {"one unit shorter", u"012345678", false},
        {"one unit longer", u"0123456789a", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(c.text);
        const uint32_t bookmarkChanges = buffer->m_bookmarks.changeCount();
        buffer->readSettings(optionsFrom(node));
        EXPECT_EQ(u"Notes", buffer->m_name);
        EXPECT_TRUE(buffer->m_scratch);
        EXPECT_EQ(c.restoresAll, buffer->isReadOnly());
        EXPECT_EQ(c.restoresAll ? kLineEndingMac : kLineEndingWindows, buffer->lineEnding());
        EXPECT_EQ(c.restoresAll ? setOf({SelectionRegion(2, 4)}) : SelectionSet(), buffer->m_bookmarks);
        EXPECT_EQ(c.restoresAll, buffer->m_bookmarks.changeCount() != bookmarkChanges);
    }
}

// Session files are outside data: values beyond the text are clamped, half
// regions and unknown names are dropped, and absent keys change nothing.
TEST(TextBufferSession, RestoredValuesAreCheckedAndClamped)
{
    struct Case {
        const char* name;
        std::string node;
        SelectionSet bookmarks;
        LineEnding lineEnding;
    };
    const Case cases[] = {
        {"beyond the end", "bufferSize 5\nbookmarks[0].a 3\nbookmarks[0].b 90\n",
         setOf({SelectionRegion(3, 5)}), kLineEndingWindows},
        {"negative", "bufferSize 5\nbookmarks[0].a -4\nbookmarks[0].b 2\n", setOf({SelectionRegion(0, 2)}),
         kLineEndingWindows},
        {"a without b", "bufferSize 5\nbookmarks[0].a 1\nbookmarks[3].a 4\nbookmarks[3].b 4\n",
         setOf({SelectionRegion(4)}), kLineEndingWindows},
        {"overlapping regions merge", "bufferSize 5\nbookmarks[0].a 0\nbookmarks[0].b 3\nbookmarks[1].a 2\n"
                                      "bookmarks[1].b 4\n",
         setOf({SelectionRegion(0, 4)}), kLineEndingWindows},
        {"unknown line ending", "bufferSize 5\nlineEnding Amiga\n", SelectionSet(), kLineEndingWindows},
        {"line ending in any case", "bufferSize 5\nlineEnding unix\n", SelectionSet(), kLineEndingUnix},
        {"huge index", "bufferSize 5\nbookmarks[4294967296000].a 1\nbookmarks[4294967296000].b 2\n",
         SelectionSet(), kLineEndingWindows},
        {"absent size", "bookmarks[0].a 1\nbookmarks[0].b 2\n", SelectionSet(), kLineEndingWindows},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"01234");
        buffer->m_name = u"kept";
        buffer->readSettings(optionsFrom(c.node));
        EXPECT_EQ(c.bookmarks, buffer->m_bookmarks);
        EXPECT_EQ(c.lineEnding, buffer->lineEnding());
        EXPECT_EQ(u"kept", buffer->m_name);
        EXPECT_FALSE(buffer->m_scratch);
    }
}

TEST(TextBufferSession, WrittenSettingsReadBackIntoAnEqualBuffer)
{
    slate::SP<TextBuffer> written = makeBuffer(u"one\ntwo\nthree\n");
    written->m_name = u"Scratch pad";
    written->m_scratch = true;
    written->setLineEnding(kLineEndingLfCr);
    for (const SelectionRegion& region : {SelectionRegion(0, 3), SelectionRegion(8, 8), SelectionRegion(13, 9)})
        written->m_bookmarks.add(region);
    slate::SP<Options> node(new Options);
    written->writeSettings(node);

    slate::SP<TextBuffer> restored = makeBuffer(written->str());
    restored->readSettings(optionsFrom(toUtf8(node->serialise())));
    EXPECT_EQ(written->m_name, restored->m_name);
    EXPECT_TRUE(restored->m_scratch);
    EXPECT_EQ(kLineEndingLfCr, restored->lineEnding());
    EXPECT_EQ(written->m_bookmarks, restored->m_bookmarks);
}

TEST(TextBufferSession, RewritingANodeDropsAClearedNameAndRemovedBookmarks)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"0123456789");
    buffer->m_name = u"Notes";
    for (const SelectionRegion& region : {SelectionRegion(1, 2), SelectionRegion(4, 5), SelectionRegion(7, 8)})
        buffer->m_bookmarks.add(region);
    slate::SP<Options> node(new Options);
    buffer->writeSettings(node);

    buffer->m_name.clear();
    buffer->m_bookmarks.clear();
    buffer->m_bookmarks.add(SelectionRegion(3, 3));
    buffer->writeSettings(node);

    slate::SP<TextBuffer> restored = makeBuffer(buffer->str());
    restored->readSettings(optionsFrom(toUtf8(node->serialise())));
    EXPECT_EQ(u"", restored->m_name);
    EXPECT_EQ(setOf({SelectionRegion(3, 3)}), restored->m_bookmarks);
}

// Restoring a session reads the keys when the file has been loaded, so that
// the size compared is the loaded text's.
TEST(TextBufferSession, SettingsReadWhenLoadedSeeTheLoadedText)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"");
    buffer->readSettingsWhenLoaded(optionsFrom("bufferSize 3\nreadOnly true\nbookmarks[0].a 1\nbookmarks[0].b 2\n"));
    EXPECT_FALSE(buffer->isReadOnly());
    buffer->insertCharacters(0, u"abc");
    buffer->notifyLoaded();
    EXPECT_TRUE(buffer->isReadOnly());
    EXPECT_EQ(setOf({SelectionRegion(1, 2)}), buffer->m_bookmarks);
}

TEST(RegionSetSettings, WritesIndexedPairsAndReadsThemBackInOrder)
{
    Options node;
    writeRegionSet(node, u"selection", setOf({SelectionRegion(20, 20), SelectionRegion(9, 5)}));
    EXPECT_EQ(u"selection[0].a 9\nselection[0].b 5\nselection[1].a 20\nselection[1].b 20", node.serialise());
    SelectionSet read;
    readRegionSet(node, u"selection", read);
    EXPECT_EQ(setOf({SelectionRegion(9, 5), SelectionRegion(20, 20)}), read);

    SelectionSet none;
    readRegionSet(node, u"selections", none);
    EXPECT_TRUE(none.empty());
}

} // namespace
