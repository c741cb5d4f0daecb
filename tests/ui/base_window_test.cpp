#include "ui/base_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "input/binding_map.h"
#include "support/fake_window.h"
#include "ui/notification_manager.h"
#include "ui/theme.h"
#include "ui/unicode.h"
#include "window_manager/window.h"

namespace {

using V = std::vector<std::string>;

// Records runs of one command name; every command is enabled. `onExec`
// runs inside exec (a command that opens a modal loop, say).
struct RecordingRunner : CommandRunner {
    explicit RecordingRunner(std::string name, V& log) : m_name(std::move(name)), m_log(log) {}
    void exec(const slate::usubstring& line) override
    {
        m_log.push_back(m_name + ":" + toUtf8(line));
        if (onExec)
            onExec(toUtf8(line));
    }
    bool isEnabled(const slate::usubstring& line) override { return toUtf8(line) != "disabled"; }
    ustring value(const slate::usubstring&) override { return u"v:" + toUstring(m_name); }
    bool has(const slate::usubstring&) override { return true; }
    std::string m_name;
    V& m_log;
    std::function<void(const std::string&)> onExec;
};

// Live regions, to see that old trees go once nothing uses them.
int g_liveRegions = 0;

// A region that logs what reaches it as "<name>.<operation>", tagged with
// the frame that built it.
struct TestRegion : InputRegion {
    TestRegion(BaseWindow* window, const std::string& name, const interval2& rect, int frame, V& log)
        : InputRegion(window, RegionId(nullptr, reinterpret_cast<const void*>(std::hash<std::string>()(name))),
                      rect),
          m_name(name), m_frame(frame), m_log(log)
    {
        ++g_liveRegions;
    }
    ~TestRegion() override { --g_liveRegions; }

    std::string tag() const { return m_name + "@" + std::to_string(m_frame); }
    bool onInputEvent(const KeyEvent& event) override
    {
        m_log.push_back(tag() + ".key" + std::to_string(event.code));
        if (onKey)
            onKey();
        // Reads the region after the handler: freed memory shows here.
        return m_takesKeys && !m_name.empty();
    }
    bool onCharacter(const CharacterEvent& event) override
    {
        if (onChar)
            onChar();
        m_log.push_back(tag() + ".char" + toUtf8(ustring(1, event.character)));
        return true;
    }
    bool onPredictedCharacter(const CharacterEvent& event) override
    {
        m_log.push_back(tag() + ".predict" + toUtf8(ustring(1, event.character)));
        return true;
    }
    void commitPrediction() override { m_log.push_back(tag() + ".commit"); }
    void cancelPrediction() override { m_log.push_back(tag() + ".cancel"); }
    bool onContextMenuKey() override
    {
        m_log.push_back(tag() + ".menukey");
        if (onKey)
            onKey();
        return !m_name.empty();
    }
    void onFocus() override { m_log.push_back(tag() + ".focus"); }
    bool acceptsFocus() override { return m_acceptsFocus; }
    bool wantsTab() override { return m_wantsTab; }
    bool hint(ustring& text, ustring& command) override
    {
        if (m_hint.empty())
            return false;
        text = m_hint;
        command = m_hintCommand;
        return true;
    }
    CommandRunner* commandRunner() override { return m_runner; }
    bool checkContext(const ustring& name, const ustring& value, bool& result) override
    {
        if (toUtf8(name) != m_context)
            return false;
        if (onContext)
            onContext();
        result = toUtf8(value) == "yes";
        return true;
    }

    std::string m_name;
    int m_frame;
    V& m_log;
    bool m_takesKeys = false;
    bool m_acceptsFocus = true;
    bool m_wantsTab = false;
    ustring m_hint;
    ustring m_hintCommand;
    std::string m_context;
    CommandRunner* m_runner = nullptr;
    // A runner that lives and dies with the region, as a control's may.
    std::unique_ptr<RecordingRunner> m_ownRunner;
    std::function<void()> onKey;
    std::function<void()> onChar;
    std::function<void()> onContext;
};

// The log without the prediction commits that every focus change brings.
V withoutCommits(const V& log)
{
    V kept;
    for (const std::string& line : log) {
        if (line.find(".commit") == std::string::npos)
            kept.push_back(line);
    }
    return kept;
}

RegionId idOf(const std::string& name)
{
    return RegionId(nullptr, reinterpret_cast<const void*>(std::hash<std::string>()(name)));
}

using test_support::FakePlatformWindow;
using test_support::TestBaseWindow;

KeyEvent keyDown(int32_t code, std::initializer_list<int32_t> held = {})
{
    KeyEvent event;
    event.code = code;
    event.pressed = true;
    for (int32_t key : held)
        event.state.key[key] = 1;
    return event;
}

CharacterEvent character(char16_t c)
{
    CharacterEvent event;
    event.character = c;
    return event;
}

// A window whose frame is a root with one panel holding the named leaves,
// drawn in the given order. `configure` adjusts each region as it is made.
class BaseWindowTest : public testing::Test {
protected:
    BaseWindowTest()
    {
        BindingSourceManager::create();
        m_window.m_rect = interval2(0, 0, 400, 300);
        m_window.m_window = &m_platformWindow;
        m_window.setDrawFunction([this](InputRegion* root, const interval2&) {
            ++m_frame;
            auto* panel = makeRegion("panel", interval2(0, 0, 400, 300));
            root->addChild(panel);
            float x = 0;
            for (const std::string& name : m_leaves) {
                panel->addChild(makeRegion(name, interval2(x, 0, x + 20, 20)));
                x += 20;
            }
            return m_frameDone;
        });
    }
    ~BaseWindowTest() override
    {
        m_window.setBindingMap(nullptr);
        BindingSourceManager::destroy();
    }

    TestRegion* makeRegion(const std::string& name, const interval2& rect)
    {
        auto found = m_rects.find(name);
        auto* region = new TestRegion(&m_window, name, found == m_rects.end() ? rect : found->second, m_frame, m_log);
        region->m_runner = m_runners.count(name) ? m_runners.at(name).get() : nullptr;
        if (m_configure)
            m_configure(*region);
        m_regions[name] = region;
        return region;
    }
    RecordingRunner& runner(const std::string& region)
    {
        auto& slot = m_runners[region];
        if (!slot)
            slot = std::make_unique<RecordingRunner>(region, m_log);
        return *slot;
    }
    // Draws frames until the focus request is applied.
    void focus(const std::string& name)
    {
        m_window.focusState()->requestFocus(idOf(name));
        m_window.draw(true);
    }
    BindingMap& bindings()
    {
        if (!m_window.bindingMap())
            m_window.setBindingMap(new BindingMap());
        return *m_window.bindingMap();
    }
    std::string leaf()
    {
        const auto& path = m_window.focusState()->path();
        for (const auto& [name, region] : m_regions) {
            if (!path.empty() && idOf(name) == path.front())
                return name;
        }
        return path.empty() ? "" : "?";
    }

    FakePlatformWindow m_platformWindow;
    TestBaseWindow m_window;
    std::vector<std::string> m_leaves = {"a", "b", "c"};
    std::map<std::string, TestRegion*> m_regions; // of the latest frame
    std::map<std::string, std::unique_ptr<RecordingRunner>> m_runners;
    std::function<void(TestRegion&)> m_configure;
    std::map<std::string, interval2> m_rects; // drawn there instead
    V m_log;
    int m_frame = 0;
    bool m_frameDone = true;
};

} // namespace

TEST_F(BaseWindowTest, FramesGoOnWhileWorkIsLeft)
{
    TestBaseWindow bare;
    EXPECT_TRUE(bare.draw(true)); // nothing to draw

    EXPECT_FALSE(m_window.draw(true)); // the first frame never is done
    EXPECT_TRUE(m_window.draw(true));

    // A command queued while a frame is drawn runs once the frame is over.
    focus("a");
    runner("a");
    bool queued = false;
    m_configure = [&](TestRegion& region) {
        if (region.m_name == "c" && !queued) {
            queued = true;
            m_window.queueCommand(u"later");
            m_log.push_back("queued");
        }
    };
    m_log.clear();
    EXPECT_FALSE(m_window.draw(true));
    EXPECT_EQ(m_log, (V{"queued", "a:later"}));
    EXPECT_TRUE(m_window.draw(true));

    // Pending keys keep frames going until the timeout settles them.
    bindings().bind(u"ctrl+k,ctrl+j", u"joined", {});
    bindings().bind(u"ctrl+k", u"alone", {});
    bindings().bind(u"ctrl+k,ctrl+j", u"joined", {});
    m_window.update(10);
    EXPECT_TRUE(m_window.onKeyOrButton(keyDown('k', {kKeyLeftControl})));
    EXPECT_FALSE(m_window.draw(true));
    m_log.clear();
    m_window.update(11.4);
    EXPECT_EQ(m_log, V{});
    m_window.update(11.6);
    EXPECT_EQ(m_log, (V{"a:alone", "a@6.commit", "panel@6.commit"}));
    EXPECT_TRUE(m_window.draw(true));
}

// The focus path's regions are different objects: the innermost region that
// has a command gives its state even when that is empty, where a runner
// chain would go on to the first non-empty one.
TEST_F(BaseWindowTest, ValueComesFromTheInnermostRegionThatHasTheCommand)
{
    struct StateRunner : CommandRunner {
        void exec(const slate::usubstring&) override {}
        bool isEnabled(const slate::usubstring&) override { return true; }
        ustring value(const slate::usubstring&) override { return state; }
        bool has(const slate::usubstring&) override { return known; }
        bool known = false;
        ustring state;
    };
    struct Case {
        const char* name;
        bool leafHas;
        const char16_t* leafState;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"leaf has it with no state", true, u"", u""},
        {"leaf has it with a state", true, u"true", u"true"},
        {"leaf does not have it", false, u"", u"outer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StateRunner leaf;
        leaf.known = c.leafHas;
        leaf.state = c.leafState;
        StateRunner panel;
        panel.known = true;
        panel.state = u"outer";
        m_configure = [&](TestRegion& region) {
            if (region.m_name == "a")
                region.m_runner = &leaf;
            else if (region.m_name == "panel")
                region.m_runner = &panel;
        };
        focus("a");
        m_window.draw(true);
        EXPECT_EQ(m_window.value(u"wrap"), c.expected);
    }
    m_configure = nullptr;
    m_window.draw(true);
}

TEST_F(BaseWindowTest, FocusingALeafFocusesItsPathUpToTheRoot)
{
    m_window.draw(true);
    FocusState& state = *m_window.focusState();
    m_log.clear();
    focus("b");
    EXPECT_EQ(leaf(), "b");
    EXPECT_EQ(withoutCommits(m_log), V{"b@2.focus"});
    EXPECT_TRUE(state.isFocusedLeaf(idOf("b")));
    EXPECT_TRUE(state.hasFocus(idOf("panel")));
    EXPECT_FALSE(state.isFocusedLeaf(idOf("panel")));
    EXPECT_EQ(state.path().size(), 3u); // b, panel, root
    EXPECT_EQ(state.path().back(), RegionId());
    EXPECT_EQ(m_regions.at("b")->window(), &m_platformWindow);
}

// A request answers for the requested id alone until a frame applies it; an
// id no frame draws stays requested.
TEST_F(BaseWindowTest, AFocusRequestAnswersAloneUntilAFrameAppliesIt)
{
    m_window.draw(true);
    focus("b");
    FocusState& state = *m_window.focusState();
    state.requestFocus(idOf("later"));
    EXPECT_TRUE(state.hasFocus(idOf("later")));
    EXPECT_FALSE(state.hasFocus(idOf("b")));
    m_window.draw(true);
    EXPECT_EQ(leaf(), "b");
    m_leaves.push_back("later");
    m_window.draw(true);
    EXPECT_EQ(leaf(), "later");
    EXPECT_GT(state.focusIndex(idOf("later")), state.focusIndex(idOf("b")));
    EXPECT_EQ(state.focusIndex(idOf("c")), 0);
}

TEST_F(BaseWindowTest, FocusingTheFocusedLeafAgainSkipsOnFocus)
{
    m_leaves.push_back("later");
    m_window.draw(true);
    focus("later");
    m_log.clear();
    focus("later");
    EXPECT_EQ(withoutCommits(m_log), V{});
}

// Keys go along the path innermost first; regions not drawn by the last
// frame are skipped.
TEST_F(BaseWindowTest, KeysSkipFocusedRegionsTheLastFrameDidNotDraw)
{
    m_leaves.push_back("later");
    m_window.draw(true);
    focus("later");
    m_leaves = {"a", "b"};
    m_window.draw(true);
    m_log.clear();
    EXPECT_FALSE(m_window.onKeyOrButton(keyDown(kKeyF9)));
    EXPECT_EQ(m_log, V{"panel@3.key290"});
}

TEST_F(BaseWindowTest, TheWindowsUnfocusedFramesFocusNothing)
{
    m_window.draw(true);
    focus("b");
    m_window.draw(false);
    EXPECT_FALSE(m_window.focusState()->hasFocus(idOf("panel")));
}

TEST_F(BaseWindowTest, CommandsAndContextsFollowTheFocusPath)
{
    m_leaves = {"a", "b", "later"};
    runner("panel");
    m_configure = [](TestRegion& region) { region.m_context = region.m_name == "later" ? "inner" : "outer"; };
    m_window.draw(true);
    focus("later");
    EXPECT_TRUE(m_window.isEnabled(u"x"));
    EXPECT_EQ(toUtf8(m_window.value(u"x")), "v:panel");
    EXPECT_TRUE(m_window.runCommand(u"go"));
    EXPECT_FALSE(m_window.runCommand(u"disabled"));
    EXPECT_TRUE(m_window.inputContext(u"inner", u"yes"));
    EXPECT_FALSE(m_window.inputContext(u"outer", u"no"));
    EXPECT_FALSE(m_window.inputContext(u"nobody", u"yes"));
    EXPECT_EQ(m_log.back(), "panel:go");
}

TEST_F(BaseWindowTest, TabCyclesSiblingsNewestFirst)
{
    struct Case {
        const char* from;
        std::initializer_list<int32_t> held;
        const char* to;
    };
    const Case cases[] = {
        {"a", {}, "b"},
        {"b", {}, "c"},
        {"c", {}, "a"}, // wraps
        {"a", {kKeyLeftShift}, "c"},
        {"b", {kKeyLeftShift}, "a"},
    };
    m_window.draw(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + (c.held.size() ? " shift" : ""));
        focus(c.from);
        EXPECT_TRUE(m_window.onKeyOrButton(keyDown(kKeyTab, c.held)));
        m_window.draw(true);
        EXPECT_EQ(leaf(), c.to);
    }

    // Ctrl+Tab goes to the bindings and leaves the focus alone.
    runner("panel");
    m_window.draw(true);
    bindings().bind(u"ctrl+tab", u"nextView", {});
    focus("a");
    m_log.clear();
    EXPECT_TRUE(m_window.onKeyOrButton(keyDown(kKeyTab, {kKeyLeftControl})));
    EXPECT_EQ(leaf(), "a");
    EXPECT_EQ(m_log.back(), "panel:nextView");

    // No sibling takes focus: consumed, nothing moves. A leaf that wants
    // Tab, or the root, is left alone.
    m_configure = [](TestRegion& region) { region.m_acceptsFocus = region.m_name == "a"; };
    m_window.draw(true);
    EXPECT_TRUE(m_window.onKeyOrButton(keyDown(kKeyTab)));
    EXPECT_EQ(leaf(), "a");
    m_window.setBindingMap(nullptr);
    m_configure = [](TestRegion& region) { region.m_wantsTab = true; };
    m_window.draw(true);
    EXPECT_FALSE(m_window.onKeyOrButton(keyDown(kKeyTab)));
    m_window.focusState()->setFocusPath(m_window.root());
    EXPECT_FALSE(m_window.onKeyOrButton(keyDown(kKeyTab)));
}

TEST(BaseWindow, CharacterKeysAreLeftToTheCharacterPath)
{
    struct Case {
        const char* name;
        int32_t code;
        std::initializer_list<int32_t> held;
        bool pressed;
        bool character;
    };
    const Case cases[] = {
        {"a", 'a', {}, true, true},
        {"shift+a", 'a', {kKeyLeftShift}, true, true},
        {"ctrl+a", 'a', {kKeyLeftControl}, true, false},
        {"alt+1", '1', {kKeyRightAlt}, true, false},
        {"space", ' ', {}, true, true},
        {"shift+space", ' ', {kKeyRightShift}, true, false},
        {"shift+comma", ',', {kKeyLeftShift}, true, true},
        {"ctrl+comma", ',', {kKeyLeftControl}, true, false},
        {"ctrl held alone", kKeyLeftControl, {kKeyLeftControl}, true, true},
        {"f1", kKeyF1, {}, true, false},
        {"enter", kKeyEnter, {}, true, false},
        {"ctrl+a released", 'a', {kKeyLeftControl}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeyEvent event = keyDown(c.code, c.held);
        event.pressed = c.pressed;
        EXPECT_EQ(isCharacterKey(event), c.character);
    }
}

TEST_F(BaseWindowTest, PredictionCommitsOrCancels)
{
    bindings().bind(u"x,y", u"xy", {});
    runner("a");
    m_window.draw(true);
    focus("a");
    m_log.clear();
    m_window.onCharacter(character('x'));
    EXPECT_EQ(m_log, V{"a@2.predictx"});
    m_log.clear();
    m_window.onCharacter(character('y')); // contradicts the shown 'x'
    EXPECT_EQ(m_log, (V{"a@2.cancel", "panel@2.cancel", "a:xy"}));

    m_window.onCharacter(character('x'));
    m_log.clear();
    m_window.onCharacter(character('z')); // continues it
    EXPECT_EQ(m_log, (V{"a@2.commit", "panel@2.commit", "a@2.charz"}));

    // A press settles pending keys before it reaches a region.
    m_window.onCharacter(character('x'));
    m_log.clear();
    KeyEvent press = keyDown(kMouseLeft, {kMouseLeft});
    press.state.x = 5;
    press.state.y = 5;
    m_window.onKeyOrButton(press);
    EXPECT_EQ(m_log, (V{"a@2.commit", "panel@2.commit", "a@2.commit", "panel@2.commit", "a@2.key500",
                        "panel@2.key500"}));
}

// A failed sequence can drop its leading keys and leave several characters
// pending at once (ctrl+k, a, b under "a,b,c"), or leave a character pending
// behind a key. What the focused region shows as predicted always follows
// the pending text, so the characters it ends up with are those the keys
// resolve to.
TEST_F(BaseWindowTest, PredictionFollowsPendingTextThatJumps)
{
    struct Case {
        const char* name;
        std::vector<std::string> strokes; // "ctrl+X", "settle", or a character
        V log;                            // without the regions' key lines
    };
    const Case cases[] = {
        {"two characters at once, then the sequence runs",
         {"ctrl+k", "a", "b", "c"},
         {"a@2.predicta", "a@2.predictb", "a@2.cancel", "panel@2.cancel", "a:abc"}},
        {"two characters at once, then they are typed",
         {"ctrl+k", "a", "b", "d"},
         {"a@2.predicta", "a@2.predictb", "a@2.commit", "panel@2.commit", "a@2.chard"}},
        {"a character left pending behind a key",
         {"ctrl+k", "a", "ctrl+j", "settle"},
         {"a@2.predicta", "a@2.commit", "panel@2.commit", "a@2.commit", "panel@2.commit"}},
    };
    bindings().bind(u"ctrl+k,a,z", u"kaz", {});
    bindings().bind(u"a,b,c", u"abc", {});
    bindings().bind(u"a,ctrl+j,x", u"ajx", {});
    runner("a");
    m_window.draw(true);
    focus("a");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_log.clear();
        for (const std::string& stroke : c.strokes) {
            if (stroke == "settle")
                m_window.onActivate();
            else if (stroke.rfind("ctrl+", 0) == 0)
                m_window.onKeyOrButton(keyDown(stroke.back(), {kKeyLeftControl}));
            else
                m_window.onCharacter(character(stroke[0]));
        }
        V log;
        for (const std::string& line : m_log) {
            if (line.find(".key") == std::string::npos)
                log.push_back(line);
        }
        EXPECT_EQ(log, c.log);
        m_window.onActivate();
    }
}

// A handler that opens a modal loop paints frames while the dispatch into
// the previous frame's regions is still running.
TEST_F(BaseWindowTest, RegionsOutliveFramesDrawnInsideTheirHandlers)
{
    m_window.draw(true);
    focus("a");
    int liveInModalLoop = 0;
    m_configure = [&](TestRegion& region) {
        if (region.m_name == "a" && m_frame == 3) {
            region.onKey = [&] {
                for (int i = 0; i < 3; ++i)
                    m_window.draw(true);
                liveInModalLoop = g_liveRegions;
            };
        }
    };
    m_window.draw(true);
    const int liveAfterFrame = g_liveRegions;
    m_log.clear();
    EXPECT_FALSE(m_window.onKeyOrButton(keyDown(kKeyF9)));
    // The key went on to the old panel after the handler of the old "a"
    // drew frames 4 to 6; of those only the newest is kept beside the tree
    // the key began in, which goes once the dispatch is over.
    EXPECT_EQ(m_log, (V{"a@3.key290", "panel@3.key290"}));
    EXPECT_EQ(liveInModalLoop, 2 * liveAfterFrame);
    EXPECT_EQ(g_liveRegions, liveAfterFrame);

    // The same for a button press.
    m_configure = [this](TestRegion& region) {
        if (region.m_name == "b")
            region.onKey = [this] { m_window.draw(true); };
    };
    m_window.draw(true);
    m_log.clear();
    KeyEvent press = keyDown(kMouseRight);
    press.state.x = 25;
    press.state.y = 5;
    m_window.onKeyOrButton(press);
    EXPECT_EQ(m_log, (V{"a@7.commit", "panel@7.commit", "b@7.key501", "panel@7.key501"}));
    EXPECT_EQ(g_liveRegions, liveAfterFrame);
}

// A handler that opens a modal loop (a context menu that repaints) and then
// runs a command through its own runner, which repaints again: neither the
// region nor the runner it owns may go while the handler runs, whichever
// input reached it. Run under AddressSanitizer, a freed one shows.
TEST_F(BaseWindowTest, HandlersOutliveFramesDrawnByTheirRunners)
{
    struct Case {
        const char* name;
        std::function<void(BaseWindow&)> send;
        std::string arrival; // how the handler of "a" was reached
        bool loggedAfterHandler; // the arrival line follows the handler's
    };
    KeyEvent press = keyDown(kMouseRight);
    press.state.x = 5;
    press.state.y = 5;
    const Case cases[] = {
        {"a key", [](BaseWindow& w) { w.onKeyOrButton(keyDown(kKeyF9)); }, ".key290", false},
        {"a button", [&](BaseWindow& w) { w.onKeyOrButton(press); }, ".key501", false},
        {"the menu key", [](BaseWindow& w) { w.onContextMenuKey(); }, ".menukey", false},
        {"a character", [](BaseWindow& w) { w.onCharacter(character('q')); }, ".charq", true},
    };
    m_window.draw(true);
    focus("a");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string survivor;
        m_configure = [&](TestRegion& region) {
            if (region.m_name != "a")
                return;
            region.m_ownRunner = std::make_unique<RecordingRunner>("own", m_log);
            region.m_runner = region.m_ownRunner.get();
            region.m_ownRunner->onExec = [&, &r = region](const std::string&) {
                m_window.draw(true);
                survivor += r.m_name;
            };
            region.onKey = region.onChar = [&, &r = region] {
                if (r.m_frame != m_frame)
                    return; // only the first handler reached opens the loop
                m_window.draw(true);
                m_window.draw(true);
                r.commandRunner()->exec(u"after");
                survivor += r.tag();
            };
        };
        m_window.draw(true);
        const std::string first = "a@" + std::to_string(m_frame);
        m_log.clear();
        survivor.clear();
        c.send(m_window);
        EXPECT_EQ(survivor, "a" + first);
        V expected = {first + c.arrival, "own:after"};
        if (c.loggedAfterHandler)
            std::swap(expected[0], expected[1]);
        const V kept = withoutCommits(m_log);
        ASSERT_GE(kept.size(), 2u);
        EXPECT_EQ(V(kept.begin(), kept.begin() + 2), expected);
    }
    m_configure = nullptr;
}

// A command that draws (or refocuses) between two actions of one key
// sequence: the action after it goes to the regions of the newer frame.
TEST_F(BaseWindowTest, RegionMapIsRebuiltAfterACommand)
{
    bindings().bind(u"ctrl+k,a,b,c", u"long", {});
    bindings().bind(u"ctrl+k,a", u"short", {});
    bindings().bind(u"ctrl+k,a,b,c", u"long", {});
    runner("a").onExec = [this](const std::string&) { m_window.draw(true); };
    // The region that takes the character paints as well (it opens a menu).
    m_configure = [this](TestRegion& region) {
        if (region.m_name == "a" && m_frame == 3)
            region.onChar = [this] { m_window.draw(true); };
    };
    m_window.draw(true);
    focus("a");
    m_window.onKeyOrButton(keyDown('k', {kKeyLeftControl}));
    m_window.onCharacter(character('a'));
    m_window.onCharacter(character('b'));
    m_log.clear();
    m_window.onActivate();
    EXPECT_EQ(m_log, (V{"a:short", "a@3.charb", "a@3.commit", "panel@3.commit"}));
}

// Every context one stroke asks about is answered by the frame the stroke
// arrived in, even when answering one of them draws a newer frame.
TEST_F(BaseWindowTest, ContextsOfOneStrokeAreAnsweredByItsFrame)
{
    bindings().bind(u"x,tab", u"outer", {{u"outer", u"yes"}});
    bindings().bind(u"x,y", u"inner", {{u"inner", u"no"}});
    std::vector<std::string> answered;
    m_configure = [&](TestRegion& region) {
        if (region.m_name != "a" && region.m_name != "panel")
            return;
        region.m_context = region.m_name == "a" ? "inner" : "outer";
        region.onContext = [&, &r = region] {
            answered.push_back(r.tag());
            if (r.m_name == "a")
                m_window.draw(true);
        };
    };
    m_window.draw(true);
    focus("a");
    m_window.onCharacter(character('x'));
    EXPECT_EQ(answered, (V{"a@2", "panel@2"}));
    EXPECT_TRUE(m_window.bindingMap()->hasPending());
}

// A pointer that rests on region "a", hinted "Save" with the command "save"
// (bound to ctrl+s), drawn at a rect of the test's choosing.
class HintLabelTest : public BaseWindowTest {
protected:
    struct RecordingShader : Shader {
        explicit RecordingShader(std::vector<interval2>& boxes) : m_boxes(boxes) {}
        void draw(const interval2& rect, float) override { m_boxes.push_back(rect); }
        void draw(const interval2& rect) override { m_boxes.push_back(rect); }
        std::vector<interval2>& m_boxes;
    };
    // The label boxes drawn and the hint shown at each step of one visit.
    struct Visit {
        bool motionHandled = false;
        std::string hint;
        std::vector<interval2> beforeThePause; // 0.2 s inside
        std::vector<interval2> afterThePause;  // 0.7 s inside
        std::vector<interval2> afterLeaving;   // 0.7 s after leaving
    };

    HintLabelTest()
    {
        m_window.theme()->addShader("panel.hint", new RecordingShader(m_boxes));
        NotificationManager::set(new NotificationManager(u"Vantrel"));
        bindings().bind(u"ctrl+s", u"save", {});
    }
    ~HintLabelTest() override { NotificationManager::destroy(); }

    Visit visit(const interval2& rect)
    {
        Visit result;
        m_window.draw(true);
        m_window.m_mouseHistory.newStroke();
        m_rects["a"] = rect;
        m_configure = [&](TestRegion& region) {
            if (region.m_name == "a") {
                region.m_hint = u"Save";
                region.m_hintCommand = u"save";
            }
        };
        const float x = rect.x0 + 1;
        const float y = rect.y0 + 1;
        m_window.m_mouseHistory.addSample(m_now, 0, 0);
        m_window.m_mouseHistory.addSample(m_now + 1, x, y);
        m_window.m_mouseHistory.setTime(m_now + 1.2);
        result.beforeThePause = drawnBoxes();
        MotionEvent motion;
        motion.state.x = x;
        motion.state.y = y;
        NotificationManager::get().setHint(u"");
        result.motionHandled = m_window.onMotion(motion);
        result.hint = toUtf8(NotificationManager::get().hint());
        m_window.m_mouseHistory.setTime(m_now + 1.7);
        result.afterThePause = drawnBoxes();
        m_configure = nullptr;
        m_rects.clear();
        m_window.m_mouseHistory.addSample(m_now + 1.8, 0, 299);
        m_window.m_mouseHistory.setTime(m_now + 2.5);
        result.afterLeaving = drawnBoxes();
        m_now += 10;
        return result;
    }

    std::vector<interval2> drawnBoxes()
    {
        m_boxes.clear();
        m_window.draw(true);
        return m_boxes;
    }

    std::vector<interval2> m_boxes;
    double m_now = 0; // the pointer time a visit starts at; visits lie 10 s apart
};

TEST_F(HintLabelTest, WaitsForThePointerToPause)
{
    EXPECT_TRUE(visit({100, 100, 120, 120}).beforeThePause.empty());
}

TEST_F(HintLabelTest, MotionShowsTheHintWithTheCommandsKey)
{
    const Visit visited = visit({100, 100, 120, 120});
    EXPECT_TRUE(visited.motionHandled);
    EXPECT_EQ(visited.hint, "Save (Ctrl+S)");
}

TEST_F(HintLabelTest, ShowsBelowAndRightOfSmallRegions)
{
    struct Case {
        const char* name;
        interval2 rect;
        interval2 box; // the font-less box: 8 by 4 pixels; unset: not checked
    };
    const Case cases[] = {
        {"below and right", {100, 100, 120, 120}, {104, 122, 112, 126}},
        {"diagonal just under 48", {100, 100, 133.9f, 133.9f}, {}},
        {"past the bottom right", {390, 290, 400, 300}, {392, 296, 402, 306}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Visit visited = visit(c.rect);
        ASSERT_EQ(visited.afterThePause.size(), 1u);
        if (c.box.x0 != FLT_MAX) {
            EXPECT_EQ(visited.afterThePause[0], c.box);
        }
    }
}

TEST_F(HintLabelTest, SkipsRegionsWithADiagonalOver48)
{
    EXPECT_TRUE(visit({100, 100, 134, 134}).afterThePause.empty());
}

TEST_F(HintLabelTest, HidesHalfASecondAfterThePointerLeaves)
{
    EXPECT_TRUE(visit({100, 100, 120, 120}).afterLeaving.empty());
}
