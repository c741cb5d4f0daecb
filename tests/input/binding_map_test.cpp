#include "input/binding_map.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ui/log.h"
#include "ui/string_interner.h"
#include "ui/text/package_test_support.h"
#include "ui/unicode.h"

namespace {

// Collects log messages (without their line feed).
struct LogLines : DebugListener {
    LogLines() { addDebugListener(this); }
    ~LogLines() override { removeDebugListener(this); }
    void message(const uchar* text) override
    {
        std::string line = toUtf8(text);
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        lines.push_back(line);
    }
    bool has(const std::string& line) const
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::vector<std::string> lines;
};

KeyStroke key(int code, uint16_t modifiers = 0) { return {code, modifiers, 0}; }
KeyStroke ch(char16_t c) { return {0, 0, c}; }
const KeyStroke kCtrlK = key('k', kModifierCtrl);
const KeyStroke kCtrlJ = key('j', kModifierCtrl);
const KeyStroke kCtrlL = key('l', kModifierCtrl);
const KeyStroke kEnter = key(kKeyEnter);
const KeyStroke kTab = key(kKeyTab);

// Actions as text: "cmd:<line>" or "chr:<character>".
std::vector<std::string> describe(const std::vector<InputAction>& actions)
{
    std::vector<std::string> out;
    for (const InputAction& action : actions) {
        if (action.kind == InputAction::Kind::Command)
            out.push_back("cmd:" + toUtf8(action.command));
        else
            out.push_back("chr:" + toUtf8(ustring(1, static_cast<uchar>(action.event.character))));
    }
    return out;
}

class BindingMapTest : public testing::Test {
protected:
    BindingMapTest() { BindingSourceManager::create(); }
    ~BindingMapTest() override
    {
        m_map.reset();
        BindingSourceManager::destroy();
    }

    BindingMap& map()
    {
        if (!m_map)
            m_map = std::make_unique<BindingMap>();
        return *m_map;
    }
    ContextCondition context(const char16_t* name, const char16_t* value)
    {
        StringInterner& interner = BindingSourceManager::get().interner();
        return {interner.intern(name), interner.intern(value)};
    }
    // Feeds strokes one by one; returns the actions and the last result.
    std::vector<std::string> type(const std::vector<KeyStroke>& strokes, bool* lastResult = nullptr)
    {
        std::vector<InputAction> actions;
        bool result = false;
        for (const KeyStroke& stroke : strokes)
            result = map().resolve(stroke, actions);
        if (lastResult)
            *lastResult = result;
        return describe(actions);
    }
    // Accepts the contexts whose "name=value" is in `holding`.
    void acceptContexts(std::set<std::string> holding)
    {
        map().setContextFunction([holding](const slate::usubstring& name, const slate::usubstring& value) {
            return holding.count(toUtf8(name) + "=" + toUtf8(value)) != 0;
        });
    }

    std::unique_ptr<BindingMap> m_map;
};

using V = std::vector<std::string>;

} // namespace

TEST_F(BindingMapTest, KeyTextsBindOrAreDroppedWithAMessage)
{
    struct Case {
        const char16_t* key;
        bool bound;
        const char* message; // logged when dropped
        std::vector<KeyStroke> typed; // runs the command when bound
    };
    const Case cases[] = {
        {u"ctrl+k,,", true, nullptr, {kCtrlK, ch(',')}},
        {u",", true, nullptr, {ch(',')}},
        {u",a", false, "Unable to find key for string ", {}},
        {u"a,b,", false, "Unable to find key for string ", {}},
        {u"ctrl+k, ctrl+j", true, nullptr, {kCtrlK, kCtrlJ}},
        {u"ctrl+k, j", false, "Unable to find key for string  j", {}},
        {u"ctrl+k,,,x", true, nullptr, {kCtrlK, ch(','), ch('x')}},
        {u"", false, "Unable to find key for string ", {}},
        {u"/[/", false, "Unable to find key for string /[/", {}},
        {u"ctrl+k,f5", true, nullptr, {kCtrlK, key(kKeyF5)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.key)));
        m_map.reset();
        LogLines log;
        EXPECT_EQ(map().bind(c.key, u"run", {}), c.bound);
        if (c.message) {
            EXPECT_TRUE(log.has(c.message)) << (log.lines.empty() ? "" : log.lines.back());
        }
        if (c.bound) {
            EXPECT_EQ(type(c.typed), V{"cmd:run"});
        }
    }
}

TEST_F(BindingMapTest, BadRegexIsLoggedAndItsBindingSkipped)
{
    LogLines log;
    EXPECT_FALSE(map().bind(u"ctrl+k,/(/", u"x", {}));
    bool sawBadRegex = false;
    for (const std::string& line : log.lines)
        sawBadRegex |= line.rfind("bad regex: ", 0) == 0;
    EXPECT_TRUE(sawBadRegex);
    EXPECT_EQ(type({kCtrlK}), V{});
}

TEST_F(BindingMapTest, SequencesPendingFallbackAndDiscard)
{
    map().bind(u"ctrl+k,ctrl+j", u"joined", {});
    EXPECT_EQ(type({kCtrlK}), V{});
    EXPECT_TRUE(map().hasPending());
    EXPECT_EQ(type({kCtrlJ}), V{"cmd:joined"});
    EXPECT_FALSE(map().hasPending());

    bool result = false;
    EXPECT_EQ(type({kCtrlK, ch('x')}, &result), V{"chr:x"});
    EXPECT_TRUE(result);
    EXPECT_FALSE(map().hasPending());

    // A longer binding bound later keeps ctrl+k pending; a wrong next key
    // runs ctrl+k's own command and is then discarded.
    map().bind(u"ctrl+k", u"alone", {});
    map().bind(u"ctrl+k,ctrl+j", u"joined", {});
    EXPECT_EQ(type({kCtrlK}), V{});
    EXPECT_TRUE(map().hasPending());
    EXPECT_EQ(type({kCtrlL}, &result), V{"cmd:alone"});
    EXPECT_FALSE(result);
    EXPECT_FALSE(map().hasPending());

    // Bound later still, ctrl+k alone wins at once.
    map().bind(u"ctrl+k", u"alone", {});
    EXPECT_EQ(type({kCtrlK}), V{"cmd:alone"});

    // An unbound key stroke on its own is discarded and reported.
    EXPECT_EQ(type({key(kKeyF9)}, &result), V{});
    EXPECT_FALSE(result);
}

TEST_F(BindingMapTest, EmptyStrokeSettlesAPendingSequence)
{
    map().bind(u"ctrl+k,a,b,c", u"long", {});
    map().bind(u"ctrl+k,a", u"short", {});
    map().bind(u"ctrl+k,a,b,c", u"long", {});
    EXPECT_EQ(type({kCtrlK, ch('a'), ch('b')}), V{});
    EXPECT_EQ(map().pendingText(), u"");
    EXPECT_EQ(type({KeyStroke()}), (V{"cmd:short", "chr:b"}));
    EXPECT_FALSE(map().hasPending());
}

TEST_F(BindingMapTest, SameKeyBoundTwiceLaterWinsUnlessItsContextsFail)
{
    map().bind(u"ctrl+l", u"first", {});
    map().bind(u"ctrl+l", u"second", {context(u"mode", u"on")});
    EXPECT_EQ(type({kCtrlL}), V{"cmd:first"}); // no context function: contexts never hold
    acceptContexts({"mode=on"});
    EXPECT_EQ(type({kCtrlL}), V{"cmd:second"});
    acceptContexts({});
    EXPECT_EQ(type({kCtrlL}), V{"cmd:first"});
}

TEST_F(BindingMapTest, ContextsOfOneNameAreAlternativesAndNamesMustAllHold)
{
    map().bind(u"f1", u"help",
               {context(u"A", u"1"), context(u"B", u"3"), context(u"A", u"2")});
    struct Case {
        std::set<std::string> holding;
        bool runs;
    };
    const Case cases[] = {
        {{"A=2", "B=3"}, true},
        {{"A=1", "B=3"}, true},
        {{"A=1"}, false},
        {{"B=3"}, false},
        {{"A=3", "B=1"}, false},
    };
    for (const Case& c : cases) {
        acceptContexts(c.holding);
        EXPECT_EQ(type({key(kKeyF1)}) == V{"cmd:help"}, c.runs);
        map().clearPending();
    }
}

TEST_F(BindingMapTest, PatternKeysCaptureTypedText)
{
    map().bind(u"/[0-9]+/,enter", u"goto $1", {});
    EXPECT_EQ(type({ch('1'), ch('2')}), V{});
    EXPECT_EQ(map().pendingText(), u"12");
    EXPECT_EQ(type({kEnter}), V{"cmd:goto \"12\""});

    EXPECT_EQ(type({ch('1'), ch('a')}), (V{"chr:1", "chr:a"}));
    EXPECT_FALSE(map().hasPending());

    map().bind(u"ctrl+k,/[0-9]+/", u"line $1 \"$1\"", {});
    EXPECT_EQ(type({kCtrlK}), V{});
    EXPECT_EQ(type({ch('7')}), V{"cmd:line \"7\" \"\"7\"\""});
}

TEST_F(BindingMapTest, CapturesAreEscapedAsOneArgument)
{
    map().bind(u"ctrl+k,/.../", u"insert $1", {});
    EXPECT_EQ(type({kCtrlK, ch('a'), ch('"'), ch('\\')}), V{"cmd:insert \"a\\\"\\\\\""});
}

TEST_F(BindingMapTest, PatternAndExactBindingsRankByBindingOrder)
{
    map().bind(u"ctrl+k,/[a-z]/", u"pattern $1", {});
    map().bind(u"ctrl+k,x", u"exact", {});
    EXPECT_EQ(type({kCtrlK, ch('x')}), V{"cmd:exact"});
    EXPECT_EQ(type({kCtrlK, ch('y')}), V{"cmd:pattern \"y\""});
    map().bind(u"ctrl+k,/[a-z]/", u"newer $1", {});
    EXPECT_EQ(type({kCtrlK, ch('x')}), V{"cmd:newer \"x\""});
}

TEST_F(BindingMapTest, PendingTextStopsAtTheFirstKeyStroke)
{
    map().bind(u"a,b,ctrl+x,c,d", u"x", {});
    type({ch('a'), ch('b'), key('x', kModifierCtrl), ch('c')});
    EXPECT_EQ(map().pendingText(), u"ab");
}

TEST_F(BindingMapTest, KeyTextIsTheLatestPlainBinding)
{
    map().bind(u"ctrl+s", u"save", {});
    map().bind(u"ctrl+k,b", u"save", {context(u"never", u"x")});
    map().bind(u"/[0-9]/", u"digits", {});
    EXPECT_EQ(map().keyText(u"save"), u"Ctrl+K, b");
    EXPECT_EQ(map().keyText(u"digits"), u"");
    EXPECT_EQ(map().keyText(u"missing"), u"");
}

TEST_F(BindingMapTest, NeverLooksUpMoreThanThirtyOneStrokes)
{
    // A 32-stroke binding can never fire: its whole sequence is never
    // looked up, so the 32nd stroke pushes the first one out as typed.
    ustring longKey;
    for (int i = 0; i < 32; ++i)
        longKey += i ? u",a" : u"a";
    map().bind(longKey, u"long", {});
    std::vector<InputAction> actions;
    for (int i = 0; i < 32; ++i)
        map().resolve(ch('a'), actions);
    EXPECT_EQ(describe(actions), V{"chr:a"});
    EXPECT_EQ(map().pendingText(), ustring(31, u'a'));

    // Nor can a far longer one, which still keeps what can be typed of it
    // pending and still names its keys.
    ustring hugeKey = u"ctrl+k";
    for (int i = 0; i < 20000; ++i)
        hugeKey += u",b";
    ASSERT_TRUE(map().bind(hugeKey, u"huge", {}));
    map().clearPending();
    actions.clear();
    map().resolve(key('k', kModifierCtrl), actions);
    for (int i = 0; i < 30; ++i)
        map().resolve(ch('b'), actions);
    EXPECT_EQ(describe(actions), V{});
    EXPECT_TRUE(map().hasPending());
    map().resolve(ch('b'), actions);
    EXPECT_EQ(describe(actions), V(31, "chr:b"));
    EXPECT_EQ(map().keyText(u"huge").substr(0, 9), u"Ctrl+K, b");
}

TEST_F(BindingMapTest, KeyEventsCarryModifiersFromTheKeyState)
{
    map().bind(u"ctrl+shift+f5", u"go", {});
    KeyEvent event;
    event.code = kKeyF5;
    event.pressed = true;
    event.state.key[kKeyLeftControl] = 1;
    event.state.key[kKeyRightShift] = 1;
    std::vector<InputAction> actions;
    EXPECT_TRUE(map().onKey(event, actions));
    EXPECT_EQ(describe(actions), V{"cmd:go"});
    CharacterEvent typed;
    typed.character = u'q';
    actions.clear();
    EXPECT_TRUE(map().onCharacter(typed, actions));
    EXPECT_EQ(describe(actions), V{"chr:q"});
}

TEST_F(BindingMapTest, UnpairedSurrogatesAreTypedWithoutMatchingErrors)
{
    LogLines log;
    map().bind(u"/[0-9]+/,enter", u"goto $1", {});
    std::vector<InputAction> actions;
    for (uint16_t unit : {0xDE00, 0xD83D})
        map().resolve(ch(unit), actions);
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].event.character, 0xDE00);
    EXPECT_EQ(actions[1].event.character, 0xD83D);
    for (const std::string& line : log.lines)
        EXPECT_EQ(line.find("error matching regex"), std::string::npos) << line;
}
