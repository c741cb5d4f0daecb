// The find flags read from and written to the Application options, the find
// field, and the highlighting of matches in a target view.
#include "panels/find_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/control_events.h"
#include "controls/control_test_window.h"
#include "panels/history_list.h"
#include "ui/options_manager.h"
#include "ui/text/package_test_support.h"
#include "ui/text/selection_printers.h"
#include "ui/text/render/token_renderer.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

namespace {

using Regions = std::vector<SelectionRegion>;

class FindSettingsTest : public testing::Test {
protected:
    FindSettingsTest()
    {
        m_packages.add(u"Default/Options/Regex Widget.vantrel-options", "widget regex");
        m_packages.add(u"Default/Options/Widget.vantrel-options", "widget plain");
        OptionsManager::create();
    }
    ~FindSettingsTest() override
    {
        m_target.reset();
        m_settings.reset();
        OptionsManager::destroy();
    }

    slate::SP<Options> applicationOptions()
    {
        return OptionsManager::get().getOptions(FindSettings::kApplicationOptionsPath);
    }
    // Settings with a find field and options, reloaded on every change of
    // the options as the window does.
    FindSettings& settings()
    {
        if (!m_settings) {
            m_settings.reset(new FindSettings(&m_history));
            m_settings->setCanvas(&m_canvas);
            applicationOptions()->addListener([this] { m_settings->loadFromOptions(); });
        }
        return *m_settings;
    }
    void openTarget(const ustring& text)
    {
        m_target = view_test::makeBuffer(text)->createView(&m_canvas);
    }
    Regions regionsNamed(const ustring& name)
    {
        const ustring* interned = m_target->buffer()->internRegionName(name);
        const NamedRegionMap& named = m_target->viewState().namedRegions();
        const auto it = named.find(interned);
        return it == named.end() ? Regions() : it->second.regions.regions();
    }
    Regions highlighted() { return regionsNamed(FindSettings::kFindRegionName); }
    // Every match of the settings' find text, as one search of the buffer
    // gives them.
    Regions allMatches()
    {
        uint32_t flags = 0;
        const ustring pattern = buildPattern(flags);
        SelectionSet out;
        m_target->buffer()->findAll(pattern, flags, out);
        return out.regions();
    }
    ustring buildPattern(uint32_t& flags);
    void finishHighlighting()
    {
        while (settings().continueHighlighting()) {
        }
    }

    package_test::MemoryPackages m_packages;
    GridRecordingCanvas m_canvas;
    HistoryList m_history{kFieldHistoryMaximum, false};
    std::unique_ptr<FindSettings> m_settings;
    slate::SP<TextBufferView> m_target;
};

} // namespace

#include "ui/text/text_buffer_find.h"

ustring FindSettingsTest::buildPattern(uint32_t& flags)
{
    return buildFindPattern(settings().findString(), settings().regex(), settings().caseSensitive(),
                            settings().wholeWord(), flags);
}

namespace {

struct Flags {
    bool regex, caseSensitive, wholeWord, reverse, wrap, inSelection, highlight, useSelectedText;
    bool operator==(const Flags& other) const
    {
        return regex == other.regex && caseSensitive == other.caseSensitive && wholeWord == other.wholeWord
            && reverse == other.reverse && wrap == other.wrap && inSelection == other.inSelection
            && highlight == other.highlight && useSelectedText == other.useSelectedText;
    }
};

Flags flagsOf(const FindSettings& settings)
{
    return {settings.regex(), settings.caseSensitive(), settings.wholeWord(), settings.reverse(),
            settings.wrap(), settings.inSelection(), settings.highlight(), settings.useSelectedText()};
}

} // namespace

TEST_F(FindSettingsTest, FlagsReadTheApplicationOptionsAndOnlyTrueIsTrue)
{
    struct Case {
        const char* name;
        std::vector<std::pair<const char16_t*, const char16_t*>> keys;
        Flags flags;
    };
    const Case cases[] = {
        {"no keys: regex, wrap and highlight on", {}, {true, false, false, false, true, false, true, false}},
        {"True and 1 read as false",
         {{u"find.regex", u"True"}, {u"find.wrap", u"1"}, {u"find.caseSensitive", u"TRUE"}},
         {false, false, false, false, false, false, true, false}},
        {"true turns each flag on",
         {{u"find.caseSensitive", u"true"}, {u"find.wholeWord", u"true"}, {u"find.reverse", u"true"},
          {u"find.inSelection", u"true"}, {u"find.useSelectedText", u"true"}, {u"find.highlight", u"false"}},
         {true, true, true, true, true, true, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FindSettings fresh(nullptr);
        EXPECT_TRUE((flagsOf(fresh) == Flags{true, false, false, false, true, false, true, false}));
        slate::SP<Options> options = applicationOptions();
        for (const ustring& key : std::vector<ustring>(options->keys()))
            options->erase(key);
        for (const auto& [key, value] : c.keys)
            options->set(ustring(key), ustring(value));
        fresh.setCanvas(&m_canvas);
        EXPECT_TRUE(flagsOf(fresh) == c.flags);
    }
}

TEST_F(FindSettingsTest, SetterWritesTheOptionAndTheFlagFollowsTheReload)
{
    FindSettings& find = settings();
    ustring value;
    find.setCaseSensitive(true);
    ASSERT_TRUE(applicationOptions()->getString(ustring(u"find.caseSensitive"), value));
    EXPECT_EQ(u"true", value);
    EXPECT_TRUE(find.caseSensitive());

    // A second window's settings follow the same options.
    FindSettings other(nullptr);
    other.setCanvas(&m_canvas);
    EXPECT_TRUE(other.caseSensitive());
}

TEST_F(FindSettingsTest, TogglingRegexSwapsTheFindFieldOptions)
{
    FindSettings& find = settings();
    ustring widget;
    ASSERT_TRUE(find.findView()->options()->getString(ustring(u"widget"), widget));
    EXPECT_EQ(u"regex", widget);
    find.setRegex(false);
    ASSERT_TRUE(find.findView()->options()->getString(ustring(u"widget"), widget));
    EXPECT_EQ(u"plain", widget);
    bool isFindWidget = false;
    EXPECT_TRUE(find.findView()->options()->getBool(ustring(u"isFindWidget"), isFindWidget) && isFindWidget);
}

TEST_F(FindSettingsTest, FindFieldStartsWithTheNewestHistoryEntry)
{
    m_history.add(u"older");
    m_history.add(u"newest");
    EXPECT_EQ(u"newest", settings().findString());
}

TEST_F(FindSettingsTest, StoredFindStringReplacesTheHistoryEntryInTheField)
{
    m_history.add(u"from history");
    applicationOptions()->set(ustring(u"find.string"), ustring(u"stored"));
    EXPECT_EQ(u"stored", settings().findString());
    EXPECT_EQ(u"stored", settings().lastFindString());
}

TEST_F(FindSettingsTest, CommitRecordsTheTextAndAnEmptyOneLeavesTheHistoryAlone)
{
    FindSettings& find = settings();
    find.setFindString(u"needle");
    find.commitFindString();
    EXPECT_EQ(std::vector<ustring>{u"needle"}, m_history.entries());

    find.setFindString(u"");
    find.commitFindString();
    EXPECT_EQ(std::vector<ustring>{u"needle"}, m_history.entries());
    ustring stored = u"<missing>";
    ASSERT_TRUE(applicationOptions()->getString(ustring(u"find.string"), stored));
    EXPECT_EQ(u"", stored);
    EXPECT_EQ(u"", find.lastFindString());
}

TEST_F(FindSettingsTest, HighlightsEveryMatchAndMakesTheViewTheTarget)
{
    openTarget(u"one two one\nthree one");
    settings().setFindString(u"one");
    settings().highlightMatches(m_target);
    EXPECT_EQ((Regions{{0, 3}, {8, 11}, {18, 21}}), highlighted());
    EXPECT_EQ(m_target.get(), settings().targetView().get());

    settings().setFindString(u"absent");
    settings().highlightMatches(m_target);
    EXPECT_EQ(Regions(), highlighted());
}

// The matches used to be stored without a scope, which the view takes for a
// region set it must not draw: nothing showed on the screen.
TEST_F(FindSettingsTest, HighlightsAreDrawnAsOutlinesInTheCaretColour)
{
    openTarget(u"one two one");
    settings().setFindString(u"one");
    settings().highlightMatches(m_target);
    const std::vector<RegionLayer> layers = m_target->highlightLayers(false);
    ASSERT_EQ(1u, layers.size());
    EXPECT_EQ((Regions{{0, 3}, {8, 11}}), layers[0].regions.regions());
    EXPECT_FALSE(layers[0].filled);
    const float* caret = m_target->settings().caretColour;
    EXPECT_TRUE(std::equal(caret, caret + 3, layers[0].style.foreground));
}

TEST_F(FindSettingsTest, InSelectionFindsOnlyInsideTheFindArea)
{
    applicationOptions()->set(ustring(u"find.inSelection"), ustring(u"true"));
    openTarget(u"ab ab ab ab");
    m_target->mutableSel().clear();
    m_target->mutableSel().add(SelectionRegion(3, 8));
    settings().setFindString(u"ab");
    settings().startSearch(m_target);
    EXPECT_EQ((Regions{{3, 5}, {6, 8}}), highlighted());
    EXPECT_EQ((Regions{{3, 8}}), regionsNamed(FindSettings::kFindAreaRegionName));

    settings().clearTarget();
    EXPECT_EQ(Regions(), highlighted());
    EXPECT_EQ(Regions(), regionsNamed(FindSettings::kFindAreaRegionName));
    EXPECT_EQ(nullptr, settings().targetView().get());
}

TEST_F(FindSettingsTest, TurningHighlightOffThenEditingTheTargetRemovesItsHighlights)
{
    openTarget(u"one one");
    settings().setFindString(u"one");
    settings().highlightMatches(m_target);
    ASSERT_EQ(2u, highlighted().size());
    settings().setHighlight(false);
    m_target->buffer()->insertCharacters(0, u"x");
    settings().onBufferModified(m_target->buffer());
    EXPECT_EQ(Regions(), highlighted());
}

// A pattern that does not compile used to throw out of the keystroke that
// typed it; the panel now gets the message instead.
TEST_F(FindSettingsTest, RegexErrorsBecomeAMessageAndNeverThrow)
{
    struct Case {
        const char* name;
        ustring text;
        const char16_t* pattern;
    };
    const Case cases[] = {
        {"does not compile", u"a (b) c", u"(b"},
        {"abandoned by the engine", ustring(200000, u'a'), u"(a|aa)*b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openTarget(c.text);
        settings().setHighlightBudget(int64_t(1) << 40);
        settings().setFindString(c.pattern);
        EXPECT_NO_THROW(settings().highlightMatches(m_target));
        EXPECT_FALSE(settings().highlightError().empty());
        EXPECT_FALSE(settings().highlightPending());
        EXPECT_EQ(Regions(), highlighted());

        settings().setFindString(u"a");
        EXPECT_NO_THROW(settings().onBufferModified(m_target->buffer()));
    }
}

// Highlighting a very large buffer used to search all of it in the keystroke
// and freeze the window; one call now searches a bounded part and the later
// calls catch up.
TEST_F(FindSettingsTest, LargeBufferIsHighlightedInBoundedSteps)
{
    ustring text;
    for (int line = 0; line < 2000; ++line)
        text += u"alpha beta gamma\n";
    openTarget(text);
    settings().setHighlightBudget(1000);
    settings().setFindString(u"beta");
    settings().highlightMatches(m_target);
    EXPECT_TRUE(settings().highlightPending());
    const Regions partial = highlighted();
    ASSERT_FALSE(partial.empty());
    EXPECT_LT(partial.back().end(), 2100);
    finishHighlighting();
    EXPECT_EQ(allMatches(), highlighted());
}

// Steps end at line starts, so anchors, word boundaries and empty matches
// come out as one search of the whole buffer gives them (the lines here are
// shorter than a step, so no step ends inside one).
TEST_F(FindSettingsTest, SteppedHighlightingFindsWhatOneSearchFinds)
{
    const char16_t* patterns[] = {u"^", u"$", u"^a", u"\\bb\\w*", u"c$", u"x*"};
    ustring text;
    for (int line = 0; line < 50; ++line)
        text += line % 3 ? u"a bc\n" : u"\nxx a b\n";
    openTarget(text);
    for (const char16_t* pattern : patterns) {
        SCOPED_TRACE(toUtf8(pattern));
        for (int64_t budget : {8, 9, 13, 64}) {
            SCOPED_TRACE(budget);
            settings().setHighlightBudget(budget);
            settings().setFindString(pattern);
            settings().highlightMatches(m_target);
            finishHighlighting();
            EXPECT_EQ(allMatches(), highlighted());
        }
    }
}

TEST_F(FindSettingsTest, PatternTogglesShowTheFlagsAndPressingOneFlipsItsOption)
{
    FindSettings& find = settings();
    control_test::TestFrame frame(m_canvas);
    frame.theme().addShader("icon.find.regex", new control_test::NamedShader(&m_canvas, "icon.find.regex"));
    m_canvas.clearLines();
    frame.frame([&](InputRegion* root) { return find.layoutPatternToggles(&frame.theme(), root, vector2{10, 4}); });
    // Only the regular expression cell, the first, is drawn pressed.
    const std::vector<std::string> lines = m_canvas.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0u, lines[0].find("shader btn.down.left 10 4 34 28"));

    BaseWindow::RegionMap regions;
    BaseWindow::collectRegions(frame.root(), regions);
    ustring hint, command;
    ASSERT_TRUE(regions.count(RegionId(&find, 1)));
    ASSERT_TRUE(regions[RegionId(&find, 1)]->hint(hint, command));
    EXPECT_EQ(u"Case sensitive", hint);
    EXPECT_EQ(u"toggleApp find.caseSensitive", command);

    // The second cell starts 23 pixels after the first.
    frame.window.onKeyOrButton(control_events::button(kMouseLeft, true, 40, 10));
    frame.platform.dragKey(control_events::button(kMouseLeft, false, 40, 10));
    EXPECT_TRUE(find.caseSensitive());
    EXPECT_TRUE(find.regex());
}

TEST_F(FindSettingsTest, DirectionAndHighlightTogglesEachFlipTheirOwnOption)
{
    struct Case {
        int32_t region;
        float x; // a point inside the cell
        const char16_t* hint;
        const char16_t* command;
        bool (FindSettings::*flag)() const;
    };
    // The direction row at x 100, the highlight toggle at x 200.
    const Case cases[] = {
        {3, 110, u"Reverse direction", u"toggleApp find.reverse", &FindSettings::reverse},
        {4, 133, u"Wrap search", u"toggleApp find.wrap", &FindSettings::wrap},
        {5, 156, u"Search in selection", u"toggleApp find.inSelection", &FindSettings::inSelection},
        {6, 210, u"Highlight matches", u"toggleApp find.highlight", &FindSettings::highlight},
    };
    FindSettings& find = settings();
    control_test::TestFrame frame(m_canvas);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.region);
        frame.frame([&](InputRegion* root) {
            return find.layoutDirectionToggles(&frame.theme(), root, vector2{100, 4}) &
                   find.layoutHighlightToggle(&frame.theme(), root, vector2{200, 4});
        });
        BaseWindow::RegionMap regions;
        BaseWindow::collectRegions(frame.root(), regions);
        ASSERT_TRUE(regions.count(RegionId(&find, c.region)));
        ustring hint, command;
        ASSERT_TRUE(regions[RegionId(&find, c.region)]->hint(hint, command));
        EXPECT_EQ(c.hint, hint);
        EXPECT_EQ(c.command, command);

        const Flags before = flagsOf(find);
        const bool flag = (find.*c.flag)();
        frame.window.onKeyOrButton(control_events::button(kMouseLeft, true, c.x, 10));
        frame.platform.dragKey(control_events::button(kMouseLeft, false, c.x, 10));
        EXPECT_EQ(!flag, (find.*c.flag)());
        // The press reads the flag when it lands, so a second press in the
        // same frame's regions flips it back.
        frame.window.onKeyOrButton(control_events::button(kMouseLeft, true, c.x, 10));
        frame.platform.dragKey(control_events::button(kMouseLeft, false, c.x, 10));
        EXPECT_TRUE(before == flagsOf(find));
    }
}
