// A view's session node: what is written, what comes back at once and what
// only after the buffer has loaded with the size it had, clamping of
// positions from the file, and named regions with dots in their names.
#include "ui/text/view_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/text/selection_printers.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

using slate::SP;

namespace {

using view_test::optionsFrom;
using view_test::setOf;

SP<TextBuffer> bufferOfSize(size_t size) { return view_test::makeBuffer(ustring(size, u'x')); }

std::vector<std::string> keysOf(const Options& node)
{
    std::vector<std::string> keys;
    for (const ustring& key : node.keys())
        keys.push_back(toUtf8(key));
    return keys;
}

class ViewSessionTest : public testing::Test {
protected:
    SP<TextBufferView> viewOf(const SP<TextBuffer>& buffer, const std::string& options = "")
    {
        SP<TextBufferView> view = buffer->createView(&canvas);
        view->setOptions(optionsFrom(options));
        return view;
    }

    GridRecordingCanvas canvas;
};

TEST_F(ViewSessionTest, WritesTheKeysInOrderAndOnlyPersistentRegions)
{
    SP<TextBuffer> buffer = bufferOfSize(100);
    SP<TextBufferView> view = viewOf(buffer, "tabSize 3");
    view->setTranslation(12, 34);
    view->setZoom(0.5f);
    view->mutableSel() = setOf({{5, 9}, SelectionRegion(20)});
    ViewState& state = view->viewState();
    NamedRegions& kept = state.namedRegions(buffer->internRegionName(u"find.results"));
    kept.scope = buffer->internRegionName(u"string");
    kept.flags = NamedRegions::PERSISTENT | NamedRegions::DRAW_OUTLINED;
    kept.regions = setOf({{1, 3}});
    NamedRegions& passing = state.namedRegions(buffer->internRegionName(u"passing"));
    passing.scope = buffer->internRegionName(u"comment");
    passing.flags = NamedRegions::DRAW_EMPTY;
    passing.regions = setOf({{4, 6}});

    SP<Options> node(new Options);
    view->writeSettings(node);
    const std::vector<std::string> expected = {
        "options.tabSize", "translation.x", "translation.y", "zoomLevel", "bufferSize",
        "selection[0].a", "selection[0].b", "selection[1].a", "selection[1].b",
        "regions.find.results.scope", "regions.find.results.flags",
        "regions.find.results.sel[0].a", "regions.find.results.sel[0].b"};
    EXPECT_EQ(keysOf(*node), expected);
    EXPECT_EQ(toUtf8(*node->find("options.tabSize")), "3");
    EXPECT_EQ(toUtf8(*node->find("translation.x")), "12.000000");
    EXPECT_EQ(toUtf8(*node->find("zoomLevel")), "0.500000");
    EXPECT_EQ(toUtf8(*node->find("bufferSize")), "100");
    EXPECT_EQ(toUtf8(*node->find("selection[1].a")), "20");
    EXPECT_EQ(toUtf8(*node->find("regions.find.results.scope")), "string");
    EXPECT_EQ(toUtf8(*node->find("regions.find.results.flags")), "48");
}

// Writing into a node that already holds an earlier, longer state leaves no
// stale region behind to come back on the next start.
TEST_F(ViewSessionTest, RewritingANodeDropsWhatTheViewNoLongerHolds)
{
    SP<TextBuffer> buffer = bufferOfSize(100);
    SP<TextBufferView> view = viewOf(buffer, "tabSize 3");
    view->mutableSel() = setOf({SelectionRegion(1), SelectionRegion(5), SelectionRegion(9)});
    NamedRegions& named = view->viewState().namedRegions(buffer->internRegionName(u"marks"));
    named.scope = buffer->internRegionName(u"string");
    named.flags = NamedRegions::PERSISTENT;
    named.regions = setOf({{1, 3}});
    SP<Options> node(new Options);
    node->set("name", u"kept by the window");
    view->writeSettings(node);

    view->mutableSel() = setOf({SelectionRegion(7)});
    named.flags = 0;
    view->setOptions(optionsFrom(""));
    view->writeSettings(node);
    const std::vector<std::string> expected = {"name", "translation.x", "translation.y",
                                               "zoomLevel", "bufferSize", "selection[0].a",
                                               "selection[0].b"};
    EXPECT_EQ(keysOf(*node), expected);
}

TEST_F(ViewSessionTest, SelectionComesBackAfterLoadOnlyForTheSameSize)
{
    struct Case {
        size_t bufferSize;
        SelectionSet selection;
    };
    const Case cases[] = {
        {100, setOf({{5, 9}, SelectionRegion(20)})},
        {99, setOf({SelectionRegion(0)})},
        {101, setOf({SelectionRegion(0)})},
    };
    const SP<Options> node = optionsFrom("translation.x 12.5\n"
                                         "translation.y 40\n"
                                         "zoomLevel 2\n"
                                         "name Notes\n"
                                         "options.lineNumbers true\n"
                                         "bufferSize 100\n"
                                         "selection[0].a 5\n"
                                         "selection[0].b 9\n"
                                         "selection[1].a 20\n"
                                         "selection[1].b 20\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bufferSize);
        SP<TextBuffer> buffer = bufferOfSize(c.bufferSize);
        SP<TextBufferView> view = viewOf(buffer);
        view->readSettings(node);
        // At once, whatever the size: scroll position (not made whole),
        // zoom, the buffer's name and the options.
        EXPECT_EQ(view->translationX(), 12.5);
        EXPECT_EQ(view->translationY(), 40.0);
        EXPECT_EQ(view->zoom(), 2.f);
        EXPECT_EQ(buffer->m_name, u"Notes");
        EXPECT_TRUE(view->settings().lineNumbers);
        EXPECT_EQ(view->sel(), setOf({SelectionRegion(0)}));

        buffer->notifyLoaded();
        EXPECT_EQ(view->sel(), c.selection);
    }
}

TEST_F(ViewSessionTest, RegionsFromTheFileAreReadWholeAndClamped)
{
    struct Case {
        const char* keys;
        SelectionSet selection;
    };
    const Case cases[] = {
        {"selection[0].a 90\nselection[0].b 150", setOf({{90, 100}})},
        {"selection[0].a -4\nselection[0].b 3", setOf({{0, 3}})},
        // Index 0 lacks its ".b"; index 3 is whole.
        {"selection[0].a 5\nselection[3].a 7\nselection[3].b 8", setOf({{7, 8}})},
        {"selection[0].b 5\nselection[x].a 7", setOf({SelectionRegion(0)})},
        // Overlapping regions merge.
        {"selection[0].a 1\nselection[0].b 5\nselection[1].a 4\nselection[1].b 9",
         setOf({{1, 9}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        SP<TextBuffer> buffer = bufferOfSize(100);
        SP<TextBufferView> view = viewOf(buffer);
        view->readSettings(optionsFrom(std::string("bufferSize 100\n") + c.keys));
        buffer->notifyLoaded();
        EXPECT_EQ(view->sel(), c.selection);
    }
}

TEST_F(ViewSessionTest, NamedRegionsRoundTripUnderDottedNames)
{
    SP<TextBuffer> buffer = bufferOfSize(50);
    SP<TextBufferView> writer = viewOf(buffer);
    NamedRegions& named = writer->viewState().namedRegions(buffer->internRegionName(u"find.results"));
    named.scope = buffer->internRegionName(u"string.quoted");
    named.flags = NamedRegions::PERSISTENT | NamedRegions::DRAW_EMPTY;
    named.regions = setOf({{1, 3}, SelectionRegion(10)});
    SP<Options> node(new Options);
    writer->writeSettings(node);
    // A hand-edited position past the end.
    node->setInt64("regions.find.results.sel[2].a", 45);
    node->setInt64("regions.find.results.sel[2].b", 80);

    SP<TextBuffer> reopened = bufferOfSize(50);
    SP<TextBufferView> reader = viewOf(reopened);
    NamedRegions& before =
        reader->viewState().namedRegions(reopened->internRegionName(u"find.results"));
    before.regions = setOf({SelectionRegion(20)});
    reader->readSettings(node);
    reopened->notifyLoaded();

    const NamedRegions& restored =
        reader->viewState().namedRegions().at(reopened->internRegionName(u"find.results"));
    EXPECT_EQ(*restored.scope, u"string.quoted");
    EXPECT_EQ(restored.flags, NamedRegions::PERSISTENT | NamedRegions::DRAW_EMPTY);
    EXPECT_EQ(restored.regions,
              setOf({{1, 3}, SelectionRegion(10), SelectionRegion(20), {45, 50}}));
    for (const SelectionRegion& region : restored.regions)
        EXPECT_EQ(region.xpos, -1.0);
}

// Nonsense in a session file is ignored like an absent key: the view keeps
// offsets and a zoom its conversions can work with.
TEST_F(ViewSessionTest, UnusableScrollAndZoomValuesAreIgnored)
{
    SP<TextBuffer> buffer = bufferOfSize(10);
    SP<TextBufferView> view = viewOf(buffer);
    view->readSettings(optionsFrom("translation.x nan\ntranslation.y inf\nzoomLevel 0"));
    EXPECT_EQ(view->translationX(), 0.0);
    EXPECT_EQ(view->translationY(), 0.0);
    EXPECT_EQ(view->zoom(), 1.f);
    view->readSettings(optionsFrom("zoomLevel -2"));
    EXPECT_EQ(view->zoom(), 1.f);
}

// The selection waits for the load; a view closed before the load ends is
// not touched when it does.
TEST_F(ViewSessionTest, AViewClosedBeforeTheLoadEndsIsLeftAlone)
{
    SP<TextBuffer> buffer = bufferOfSize(10);
    SP<TextBufferView> view = viewOf(buffer);
    view->readSettings(optionsFrom("bufferSize 10\nselection[0].a 2\nselection[0].b 4"));
    view.reset();
    buffer->notifyLoaded();
    EXPECT_TRUE(buffer->views().empty());
}

} // namespace
