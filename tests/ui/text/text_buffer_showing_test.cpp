// Showing carets on a grid font (units 10 wide, lines 16 high) in a view of
// 100 by 80 that does not wrap or scroll past the end, so that the visible
// area is 70 wide (three 'M' kept free) and 64 high (the bottom line kept
// free): lines 0 to 3 at the top are inside. Then going to lines, undo that
// shows, bookmarks, and misspelled words in a text not lexed yet.
#include "ui/text/text_buffer_showing.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "filesystem/file_manager.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/selection_printers.h"
#include "ui/text/spell_checker.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

using slate::SP;

namespace {

// The text is view_test::twentyLines: 21 lines, 336 high, so the largest
// vertical offset is 256; the last line starts at 140 and is 500 wide.
constexpr int64_t kLastLine = 140;
constexpr int64_t kTextSize = 190;

int64_t lineStart(int line) { return view_test::twentyLinesStart(line); }

// A jump from a caret, forwards or backwards, and the selection expected.
struct NavigationCase {
    const char* name;
    bool next;
    int64_t caret;
    SelectionRegion expected;
};

class ShowingTest : public testing::Test {
protected:
    ShowingTest() { makeView(view_test::makeBuffer(view_test::twentyLines())); }

    void makeView(SP<TextBuffer> text)
    {
        buffer = std::move(text);
        view = buffer->createView(&canvas);
        view->setOptions(view_test::optionsFrom("wordWrap false\nscrollPastEnd false"));
        view->setViewportSize(100.f, 80.f);
    }

    // Runs each case from a lone caret, after `prepare` (may be empty).
    void expectJumps(const std::vector<NavigationCase>& cases, void (*next)(TextBufferView&),
                     void (*previous)(TextBufferView&), const std::function<void()>& prepare)
    {
        for (const NavigationCase& c : cases) {
            SCOPED_TRACE(c.name);
            if (prepare)
                prepare();
            select({SelectionRegion(c.caret)});
            (c.next ? next : previous)(*view);
            EXPECT_EQ(view->sel(), view_test::setOf({c.expected}));
        }
    }

    void select(const std::vector<SelectionRegion>& regions)
    {
        SelectionSet& selection = view->mutableSel();
        selection.clear();
        for (const SelectionRegion& region : regions)
            selection.add(region);
    }

    GridRecordingCanvas canvas;
    SP<TextBuffer> buffer;
    SP<TextBufferView> view;
};

TEST_F(ShowingTest, ShowPointScrollsTheLeastDistanceAndKeepsTheMargin)
{
    struct Case {
        const char* name;
        double fromX, fromY;
        int64_t position;
        bool margin;
        double x, y;
    };
    const Case cases[] = {
        {"visible caret, margin", 0, 0, lineStart(3) + 2, true, 0, 0},
        {"visible caret, no margin", 0, 0, lineStart(3) + 2, false, 0, 0},
        {"visible caret scrolled down", 0, 160, lineStart(12), true, 0, 160},
        // Line 5 has its top at 80, 16 below the area.
        {"below, no margin", 0, 0, lineStart(5), false, 0, 16},
        {"below, three lines kept under it", 0, 0, lineStart(5), true, 0, 64},
        // Line 8 has its top at 128, 32 above the area.
        {"above, no margin", 0, 160, lineStart(8), false, 0, 128},
        {"above, three lines kept over it", 0, 160, lineStart(8), true, 0, 80},
        {"margin clamped at the end", 0, 0, kLastLine, true, 0, 256},
        {"margin clamped at the start", 0, 160, lineStart(1), true, 0, 0},
        {"right of the area", 0, 256, kLastLine + 20, false, 130, 256},
        {"left of the area", 130, 0, lineStart(2) + 3, false, 30, 0},
        {"negative position is the start", 130, 160, -9, true, 0, 0},
        {"past the end is the end, clamped at the right", 0, 0, kTextSize + 40, false, 420, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->setTranslation(c.fromX, c.fromY);
        showPoint(*view, c.position, c.margin);
        EXPECT_EQ(view->translationX(), c.x);
        EXPECT_EQ(view->translationY(), c.y);
    }
}

TEST_F(ShowingTest, ShowPointInAnEmptyTextStaysAtTheOrigin)
{
    makeView(view_test::makeBuffer());
    for (int64_t position : {int64_t(-1), int64_t(0), int64_t(5)}) {
        SCOPED_TRACE(position);
        showPoint(*view, position, true);
        EXPECT_EQ(view->translationX(), 0.0);
        EXPECT_EQ(view->translationY(), 0.0);
    }
}

TEST_F(ShowingTest, ShowRegionsScrollsOnlyWhenNoCaretIsVisible)
{
    struct Case {
        const char* name;
        std::vector<SelectionRegion> regions;
        double y;
    };
    const Case cases[] = {
        {"one of several carets visible", {SelectionRegion(lineStart(1)), SelectionRegion(lineStart(12))}, 160},
        // From 160 the area covers tops 160 to 224: line 6 (96) is 64 above
        // its top-left corner, line 19 (304) farther below.
        {"nearest caret shown", {SelectionRegion(lineStart(6)), SelectionRegion(lineStart(19))}, 48},
        {"nearest of several above and below",
         {SelectionRegion(lineStart(2)), SelectionRegion(lineStart(6)), SelectionRegion(lineStart(19)),
          SelectionRegion(lineStart(25))},
         48},
        // Line 15 (240) is 80 below the top-left corner, line 2 (32) 128
        // above it.
        {"nearest below",
         {SelectionRegion(lineStart(2)), SelectionRegion(lineStart(15)), SelectionRegion(lineStart(22))},
         224},
        {"caret end of a region counts", {SelectionRegion(lineStart(11), lineStart(18))}, 256},
        {"nothing to show", {}, 160},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->setTranslation(0, 160);
        SelectionSet regions;
        for (const SelectionRegion& region : c.regions)
            regions.add(region);
        showRegions(*view, regions, true);
        EXPECT_EQ(view->translationY(), c.y);
    }
}

TEST_F(ShowingTest, GotoLineLeavesOneCaretAtTheLineStartAndShowsIt)
{
    struct Case {
        int32_t row;
        int64_t caret;
        double y;
    };
    const Case cases[] = {
        {-5, 0, 0},
        {0, 0, 0},
        {8, lineStart(8), 80},
        {11, lineStart(11), 160},
        {20, kLastLine, 256},
        {400, kTextSize, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        view->setTranslation(0, 160);
        select({SelectionRegion(3, 9), SelectionRegion(30)});
        gotoLine(*view, c.row);
        EXPECT_EQ(view->sel(), view_test::setOf({SelectionRegion(c.caret)}));
        EXPECT_EQ(view->translationY(), c.y);
    }
}

TEST_F(ShowingTest, UndoShowsTheRestoredSelection)
{
    select({SelectionRegion(lineStart(10))});
    {
        ScopedUndoGroup group(u"insert", buffer, false, false);
        buffer->insertCharacters(lineStart(10), u"x");
        select({SelectionRegion(lineStart(10) + 1)});
    }
    view->setTranslation(0, 0);
    undoAndShow(*view);
    EXPECT_EQ(buffer->substr(SelectionRegion(lineStart(10), lineStart(10) + 6)), u"line10");
    EXPECT_EQ(view->sel(), view_test::setOf({SelectionRegion(lineStart(10))}));
    // Line 10 (top 160) keeps three lines under it: 160 + 48 - 64.
    EXPECT_EQ(view->translationY(), 144);

    view->setTranslation(0, 0);
    redoAndShow(*view);
    EXPECT_EQ(buffer->charAt(lineStart(10)), u'x');
    EXPECT_EQ(view->translationY(), 144);

    // Nothing left to redo: nothing moves.
    view->setTranslation(0, 0);
    redoAndShow(*view);
    EXPECT_EQ(view->translationY(), 0);
}

TEST_F(ShowingTest, TogglingABookmarkTwiceRemovesIt)
{
    select({SelectionRegion(lineStart(2) + 1)});
    toggleBookmark(*view);
    EXPECT_EQ(buffer->m_bookmarks, view_test::setOf({SelectionRegion(lineStart(2) + 1)}));
    toggleBookmark(*view);
    EXPECT_TRUE(buffer->m_bookmarks.empty());

    // A selection over a bookmark removes it instead of setting another.
    buffer->m_bookmarks = view_test::setOf({SelectionRegion(lineStart(4)), SelectionRegion(lineStart(9))});
    select({SelectionRegion(lineStart(3), lineStart(4))});
    toggleBookmark(*view);
    EXPECT_EQ(buffer->m_bookmarks, view_test::setOf({SelectionRegion(lineStart(9))}));
}

TEST_F(ShowingTest, BookmarkNavigationWrapsAtBothEnds)
{
    buffer->m_bookmarks = view_test::setOf(
        {SelectionRegion(lineStart(1)), SelectionRegion(lineStart(5), lineStart(6)), SelectionRegion(lineStart(15))});
    const std::vector<NavigationCase> cases = {
        {"next from the start", true, 0, SelectionRegion(lineStart(1))},
        {"next from a bookmark", true, lineStart(1), SelectionRegion(lineStart(5), lineStart(6))},
        {"next after the last wraps", true, lineStart(15), SelectionRegion(lineStart(1))},
        {"previous skips the one holding the caret", false, lineStart(5) + 2, SelectionRegion(lineStart(1))},
        {"previous from the end", false, kTextSize, SelectionRegion(lineStart(15))},
        {"previous before the first wraps", false, lineStart(1), SelectionRegion(lineStart(15))},
    };
    expectJumps(cases, nextBookmark, prevBookmark, {});

    // Shown with a margin: line 15 (top 240) keeps three lines under it.
    view->setTranslation(0, 0);
    select({SelectionRegion(lineStart(6))});
    nextBookmark(*view);
    EXPECT_EQ(view->translationY(), 240 + 48 - 64);
}

TEST_F(ShowingTest, BookmarkLabelsAndIndices)
{
    buffer->m_bookmarks = view_test::setOf({SelectionRegion(0), SelectionRegion(lineStart(9) + 3)});
    struct Case {
        int32_t index;
        const char16_t* label;
    };
    const Case cases[] = {{0, u"Line 1"}, {1, u"Line 10"}, {2, u""}, {-1, u""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(bookmarkLabel(*view, c.index), c.label);
        EXPECT_EQ(bookmarkIndexValid(*view, c.index), *c.label != 0);
        select({SelectionRegion(lineStart(4))});
        gotoBookmark(*view, c.index);
        const SelectionRegion expected = c.index == 0 ? SelectionRegion(0)
                                         : c.index == 1 ? SelectionRegion(lineStart(9) + 3)
                                                        : SelectionRegion(lineStart(4));
        EXPECT_EQ(view->sel(), view_test::setOf({expected}));
    }
}

TEST_F(ShowingTest, AllBookmarksSelectsEveryBookmarkButNeverLeavesNoCaret)
{
    select({SelectionRegion(lineStart(3))});
    allBookmarks(*view);
    EXPECT_EQ(view->sel(), view_test::setOf({SelectionRegion(lineStart(3))}));

    const SelectionSet bookmarks =
        view_test::setOf({SelectionRegion(lineStart(2)), SelectionRegion(lineStart(16))});
    buffer->m_bookmarks = bookmarks;
    allBookmarks(*view);
    EXPECT_EQ(view->sel(), bookmarks);
    // The next bookmark after the caret, line 16, was shown on the way.
    EXPECT_EQ(view->translationY(), 16 * 16 + 48 - 64);

    clearBookmarks(*view);
    EXPECT_TRUE(buffer->m_bookmarks.empty());
}

// A text read from a file is not lexed until something needs it, and its
// unlexed pieces count as spelled correctly.
class MisspelledWordTest : public ShowingTest {
protected:
    void SetUp() override
    {
        files = new slate::FileManagerImpl;
        slate::FileManager::setInstance(files);
        slate::FileSystem* system =
            test_support::createFileSystem(test_support::dataPath("spelling").string());
        ASSERT_NE(system, nullptr);
        files->mount(u"Packages/Spelling", system);
        checker = SP<SpellChecker>(new SpellChecker);
        checker->load(u"Packages/Spelling/tiny.dic", {});
        ASSERT_TRUE(checker->hasDictionary());
    }
    void TearDown() override
    {
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
    }

    // A buffer over `text` as a load leaves it: unlexed.
    void loadUnlexed(const ustring& text)
    {
        SP<TextBuffer> loaded = view_test::makeBuffer();
        loaded->m_tokenStorage = std::make_unique<TokenStorage>();
        loaded->m_tokenStorage->appendWithoutLexing(text.data(), text.data() + text.size());
        makeView(loaded);
        // After the view's options, which choose the checker of a buffer.
        loaded->m_tokenStorage->setSpellChecker(checker);
    }

    slate::FileManagerImpl* files = nullptr;
    SP<SpellChecker> checker;
};

TEST_F(MisspelledWordTest, NavigationFindsWordsInTextNotLexedYet)
{
    // "wrold" at 6, "chery" at 28.
    const ustring text = u"hello wrold\nquick fox\napple chery\nbrown\n";
    const std::vector<NavigationCase> cases = {
        {"next from the start", true, 0, SelectionRegion(6, 11)},
        {"next from inside a word", true, 7, SelectionRegion(28, 33)},
        {"next after the last wraps", true, 33, SelectionRegion(6, 11)},
        {"previous from the end", false, 40, SelectionRegion(28, 33)},
        {"previous before the first wraps", false, 3, SelectionRegion(28, 33)},
    };
    expectJumps(cases, nextMisspelledWord, prevMisspelledWord, [&] {
        loadUnlexed(text);
        ASSERT_FALSE(buffer->m_tokenStorage->invalidPoints().empty());
    });

    loadUnlexed(text);
    EXPECT_TRUE(hasMisspelledWords(*view));
}

TEST_F(MisspelledWordTest, WithoutMisspellingsNothingIsSelected)
{
    for (const ustring& text : {ustring(), ustring(u"hello world\nquick brown fox\n")}) {
        loadUnlexed(text);
        select({SelectionRegion(3)});
        EXPECT_FALSE(hasMisspelledWords(*view));
        nextMisspelledWord(*view);
        prevMisspelledWord(*view);
        EXPECT_EQ(view->sel(), view_test::setOf({SelectionRegion(3)}));
    }
}

} // namespace
