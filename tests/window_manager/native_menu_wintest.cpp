#include "window_manager/windows/native_menu.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "input/command_runner.h"
#include "ui/base_window.h"
#include "ui/unicode.h"
#include "window_manager/menu_test_window.h"

namespace {

using namespace menu_test;

// Commands it knows answer with their state; others are enabled and have no
// value. Runs are recorded.
class FakeRunner final : public CommandRunner {
public:
    struct State {
        bool enabled = true;
        ustring value;
    };
    std::map<ustring, State> commands;
    std::vector<std::string> ran;

    void exec(const slate::usubstring& line) override { ran.push_back(toUtf8(line)); }
    bool isEnabled(const slate::usubstring& line) override
    {
        auto found = commands.find(line.str());
        return found == commands.end() || found->second.enabled;
    }
    ustring value(const slate::usubstring& line) override
    {
        auto found = commands.find(line.str());
        return found == commands.end() ? ustring() : found->second.value;
    }
    bool has(const slate::usubstring& line) override { return commands.count(line.str()) != 0; }
};

// A handler with key texts and the fake runner; nothing else is used.
class FakeHandler final : public WindowHandler {
public:
    FakeRunner runner;
    std::map<ustring, ustring> keys;

    void setCanvas(Canvas*) override {}
    bool onKeyOrButton(const KeyEvent&) override { return false; }
    bool onMotion(const MotionEvent&) override { return false; }
    bool onCharacter(const CharacterEvent&) override { return false; }
    bool onContextMenuKey() override { return false; }
    void onCommandLine(const std::vector<ustring>&) override {}
    CursorKind cursorAt(const InputState&) override { return CursorKind(); }
    ustring keyText(const slate::usubstring& commandLine) override
    {
        auto found = keys.find(commandLine.str());
        return found == keys.end() ? ustring() : found->second;
    }
    bool draw(bool) override { return true; }
    void onActivate() override {}
    CommandRunner* commandRunner() override { return &runner; }
};

// A native menu as text: "-" for a separator, "Caption>" for a submenu, an
// item's text with "[x]" before it when checked and "(grey)" when greyed;
// joined by "|". A tab shows as "\t".
std::string describe(NativeMenuHandle menu)
{
    std::string out;
    for (int position = 0; position < itemCount(menu); ++position) {
        if (position)
            out += "|";
        const ItemState state = itemState(menu, position);
        if (subMenu(menu, position)) {
            out += toUtf8(itemText(menu, position)) + ">";
            continue;
        }
        if (state.separator) {
            out += "-";
            continue;
        }
        if (state.checked)
            out += "[x]";
        if (state.grayed)
            out += "(grey)";
        std::string text = toUtf8(itemText(menu, position));
        for (size_t tab = text.find('\t'); tab != std::string::npos; tab = text.find('\t'))
            text.replace(tab, 1, "\\t");
        out += text;
    }
    return out;
}

// A menu from words: "-" a separator, "-e" / "-v" a separator whose command
// has an empty / a non-empty value, "%e" / "%v" an item captioned "E %s" /
// "V %s" over such a command, ">" a submenu "Sub" of one item, anything else
// an item of that caption and command.
slate::SP<MenuDescriptor> menuOf(const std::string& words)
{
    slate::SP<MenuDescriptor> menu(new MenuDescriptor(u"Popup"));
    std::istringstream in(words);
    for (std::string word; in >> word;) {
        if (word == "-")
            menu->addSeparator();
        else if (word == "-e")
            menu->addItem(u"-", u"empty");
        else if (word == "-v")
            menu->addItem(u"-", u"full");
        else if (word == "%e")
            menu->addItem(u"E %s", u"empty");
        else if (word == "%v")
            menu->addItem(u"V %s", u"full");
        else if (word == ">") {
            slate::SP<MenuDescriptor> sub(new MenuDescriptor(u"Sub"));
            sub->addItem(u"Inner", u"inner");
            menu->addSubmenu(sub);
        } else
            menu->addItem(toUstring(word), toUstring(word));
    }
    return menu;
}

// A bar of one popup holding `popup`.
slate::SP<MenuDescriptor> barOf(const slate::SP<MenuDescriptor>& popup)
{
    slate::SP<MenuDescriptor> bar(new MenuDescriptor);
    bar->addSubmenu(popup);
    return bar;
}

class NativeMenuTest : public testing::Test {
protected:
    static void SetUpTestSuite() { s_window = createMenuWindow(); }
    static void TearDownTestSuite()
    {
        destroyMenuWindow(s_window);
        s_window = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(nullptr, s_window);
        m_window = s_window;
        m_handler.runner.commands[u"full"] = {true, u"x"};
        m_handler.runner.commands[u"empty"] = {true, u""};
        attachMenuState(&m_manager, &m_state, &m_handler);
    }
    void TearDown() override
    {
        setWindowMenu(m_manager, m_state, m_window, nullptr);
        EXPECT_TRUE(m_manager.m_dynamicPopups.empty());
        attachMenuState(nullptr, nullptr, nullptr);
    }

    // Gives the window a bar holding `popup` and returns the popup's native
    // menu.
    NativeMenuHandle setPopup(const slate::SP<MenuDescriptor>& popup)
    {
        setWindowMenu(m_manager, m_state, m_window, barOf(popup));
        return subMenu(menuBar(m_window), 0);
    }
    // Opens the popup as far as the window procedure sees it: refreshed.
    std::string open(NativeMenuHandle popup)
    {
        sendInitMenuPopup(m_window, popup);
        return describe(popup);
    }

    NativeMenuManagerState m_manager;
    NativeMenuWindowState m_state;
    FakeHandler m_handler;
    NativeWindowHandle m_window = nullptr;
    static NativeWindowHandle s_window;
};

NativeWindowHandle NativeMenuTest::s_window = nullptr;

} // namespace

TEST_F(NativeMenuTest, RefreshShowsValuesChecksGreyingAndKeys)
{
    FakeRunner::State& wrap = m_handler.runner.commands[u"wrap"] = {true, u"true"};
    m_handler.runner.commands[u"undo"] = {true, u""};
    m_handler.runner.commands[u"readOnly"] = {true, u"false"};
    m_handler.runner.commands[u"off"] = {false, u""};
    m_handler.runner.commands[u"close"] = {true, u"a.txt"};
    m_handler.keys[u"undo"] = u"Ctrl+Z";
    m_handler.keys[u"close"] = u"Ctrl+W";

    slate::SP<MenuDescriptor> popup(new MenuDescriptor(u"Edit"));
    popup->addItem(u"Undo", u"undo");
    popup->addItem(u"Word Wrap", u"wrap");
    popup->addItem(u"Read Only", u"readOnly");
    popup->addItem(u"Off", u"off");
    popup->addItem(u"Close %s", u"close");
    popup->addItem(u"Hidden %s", u"empty");
    NativeMenuHandle native = setPopup(popup);
    ASSERT_NE(nullptr, native);
    EXPECT_EQ(6, itemCount(native));
    EXPECT_EQ(u"Edit", itemText(menuBar(m_window), 0));

    EXPECT_EQ("Undo\\tCtrl+Z|[x]Word Wrap|Read Only|(grey)Off|Close a.txt\\tCtrl+W", open(native));
    // Any value but "true" or "false" leaves the check mark as it was.
    sendUninitMenuPopup(m_window, native);
    wrap.value = u"maybe";
    EXPECT_EQ("Undo\\tCtrl+Z|[x]Word Wrap|Read Only|(grey)Off|Close a.txt\\tCtrl+W", open(native));
    sendUninitMenuPopup(m_window, native);
    wrap.value = u"false";
    EXPECT_EQ("Undo\\tCtrl+Z|Word Wrap|Read Only|(grey)Off|Close a.txt\\tCtrl+W", open(native));
}

TEST_F(NativeMenuTest, SeparatorsAndEmptyValueItemsCollapse)
{
    struct Case {
        const char* menu;
        const char* shown;
    };
    const Case cases[] = {
        {"- a", "a"},
        {"a - - b", "a|-|b"},
        {"a -", "a|-"},
        {"- - a - - - b - -", "a|-|b|-"},
        {"- -", ""},
        {"a %e b", "a|b"},
        {"a %v", "a|V x"},
        {"a %e - b", "a|-|b"},
        {"%e - b", "b"},
        {"a - %e - b", "a|-|b"},
        {"> - b", "Sub>|-|b"},
        {"a -e b", "a|b"},
        {"a -v b", "a|-|b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.menu);
        NativeMenuHandle native = setPopup(menuOf(c.menu));
        EXPECT_EQ(c.shown, open(native));
        sendUninitMenuPopup(m_window, native);
    }
}

TEST_F(NativeMenuTest, HiddenItemsComeBackWhenThePopupCloses)
{
    NativeMenuHandle native = setPopup(menuOf("- a %e - - b %v -e"));
    const int built = itemCount(native);
    const std::vector<int> ids = [&] {
        std::vector<int> out;
        for (int position = 0; position < built; ++position)
            out.push_back(itemId(native, position));
        return out;
    }();
    EXPECT_EQ("a|-|b|V x", open(native));

    sendUninitMenuPopup(m_window, native);
    ASSERT_EQ(built, itemCount(native));
    for (int position = 0; position < built; ++position)
        EXPECT_EQ(ids[position], itemId(native, position)) << position;
    EXPECT_EQ(u"Restored from abyss", itemText(native, 0));
    EXPECT_EQ(u"Restored from abyss", itemText(native, 2));
    EXPECT_TRUE(m_state.m_hiddenItems.empty());

    // The next opening shows the same, and values that changed meanwhile.
    m_handler.runner.commands[u"empty"].value = u"now";
    EXPECT_EQ("a|E now|-|b|V x|-", open(native));
}

TEST_F(NativeMenuTest, WindowMenuIsLeftAlone)
{
    setPopup(menuOf("first second"));
    NativeMenuHandle system = windowMenu(m_window);
    ASSERT_NE(nullptr, system);
    const std::string before = describe(system);
    ASSERT_NE(std::string::npos, before.find('-')); // separators, whose id is 0
    sendInitMenuPopup(m_window, system, true);
    EXPECT_EQ(before, describe(system));
    EXPECT_TRUE(m_state.m_hiddenItems.empty());
}

TEST_F(NativeMenuTest, LongItemTextIsCutToTheBuffer)
{
    struct Case {
        const char* name;
        ustring caption;
        ustring shown;
    };
    const ustring x1023(1023, u'x');
    const ustring surrogatePair = u"\U0001F600";
    const Case cases[] = {
        {"long caption", ustring(5000, u'x'), x1023},
        {"long value", u"%s", x1023},
        {"key text past the end", ustring(1020, u'x'), ustring(1020, u'x') + u"\tCt"},
        {"exactly full", x1023, x1023},
        {"pair across the end", ustring(1022, u'x') + surrogatePair, ustring(1022, u'x')},
        {"pair before the end", ustring(1021, u'x') + surrogatePair + u"yy", ustring(1021, u'x') + surrogatePair},
    };
    m_handler.runner.commands[u"long"] = {true, ustring(3000, u'x')};
    m_handler.keys[u"long"] = u"Ctrl+L";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<MenuDescriptor> popup(new MenuDescriptor(u"Long"));
        popup->addItem(c.caption, u"long");
        NativeMenuHandle native = setPopup(popup);
        sendInitMenuPopup(m_window, native);
        EXPECT_EQ(c.shown, itemText(native, 0));
        sendUninitMenuPopup(m_window, native);
    }
}

TEST_F(NativeMenuTest, CommandsRunThroughTheHandlersRunner)
{
    slate::SP<MenuDescriptor> popup(new MenuDescriptor(u"File"));
    popup->addItem(u"Save", u"save \"a b\"");
    popup->addSeparator();
    popup->addItem(u"Quit", u"exit");
    NativeMenuHandle native = setPopup(popup);
    takeInvalidated(m_window);

    sendMenuCommand(m_window, itemId(native, 2));
    sendMenuCommand(m_window, itemId(native, 0));
    EXPECT_EQ((std::vector<std::string>{"exit", "save \"a b\""}), m_handler.runner.ran);
    EXPECT_TRUE(takeInvalidated(m_window));

    sendMenuCommand(m_window, 999);
    EXPECT_EQ(2u, m_handler.runner.ran.size());
    EXPECT_FALSE(takeInvalidated(m_window));
}

TEST_F(NativeMenuTest, DynamicPopupsRefillFromTheNamedMenu)
{
    slate::SP<MenuDescriptor> popup(new MenuDescriptor(u"File"));
    popup->addItem(u"New", u"new");
    slate::SP<MenuDescriptor> recent(new MenuDescriptor(u"Open Recent"));
    recent->m_dynamicKey = u"recent";
    popup->addSubmenu(recent);
    NativeMenuHandle file = setPopup(popup);
    NativeMenuHandle dynamic = subMenu(file, 1);
    ASSERT_NE(nullptr, dynamic);
    EXPECT_EQ(1u, m_manager.m_dynamicPopups.count(dynamic));
    const size_t built = m_state.m_menuItems.size();

    // No named menu yet: empty.
    EXPECT_EQ("", open(dynamic));
    EXPECT_EQ(-1, m_state.m_dynamicItemsStart);

    slate::SP<MenuDescriptor> files(new MenuDescriptor);
    files->addItem(u"a.txt", u"open a.txt");
    files->addItem(u"b.txt", u"open b.txt");
    m_manager.setMenu(u"recent", files);
    EXPECT_EQ("a.txt|b.txt", open(dynamic));
    EXPECT_EQ(static_cast<int>(built), m_state.m_dynamicItemsStart);
    sendMenuCommand(m_window, itemId(dynamic, 1));
    EXPECT_EQ((std::vector<std::string>{"open b.txt"}), m_handler.runner.ran);

    // Opening again refills in place of the old content; the item list
    // shrinks back first.
    slate::SP<MenuDescriptor> one(new MenuDescriptor);
    one->addItem(u"c.txt", u"open c.txt");
    m_manager.setMenu(u"recent", one);
    EXPECT_EQ("c.txt", open(dynamic));
    EXPECT_EQ(built + 1, m_state.m_menuItems.size());
    sendMenuCommand(m_window, itemId(dynamic, 0));
    EXPECT_EQ("open c.txt", m_handler.runner.ran.back());

    // A new bar starts afresh and forgets the old bar's dynamic popup.
    setWindowMenu(m_manager, m_state, m_window, barOf(menuOf("x y")));
    EXPECT_EQ(2u, m_state.m_menuItems.size());
    EXPECT_EQ(-1, m_state.m_dynamicItemsStart);
    EXPECT_TRUE(m_state.m_filledDynamicPopups.empty());
    EXPECT_TRUE(m_manager.m_dynamicPopups.empty());
    sendMenuCommand(m_window, 1);
    EXPECT_EQ("y", m_handler.runner.ran.back());
}

// A dynamic submenu filled into another one opens inside it: the open
// parent keeps its content, and both run their commands.
TEST_F(NativeMenuTest, ADynamicPopupInsideAnotherOpensWithoutEmptyingIt)
{
    slate::SP<MenuDescriptor> popup(new MenuDescriptor(u"File"));
    slate::SP<MenuDescriptor> recent(new MenuDescriptor(u"Open Recent"));
    recent->m_dynamicKey = u"recent";
    popup->addSubmenu(recent);
    slate::SP<MenuDescriptor> more(new MenuDescriptor(u"More"));
    more->m_dynamicKey = u"more";
    slate::SP<MenuDescriptor> files(new MenuDescriptor);
    files->addItem(u"a.txt", u"open a.txt");
    files->addSubmenu(more);
    m_manager.setMenu(u"recent", files);
    slate::SP<MenuDescriptor> older(new MenuDescriptor);
    older->addItem(u"z.txt", u"open z.txt");
    m_manager.setMenu(u"more", older);

    NativeMenuHandle dynamic = subMenu(setPopup(popup), 0);
    ASSERT_NE(nullptr, dynamic);
    const size_t built = m_state.m_menuItems.size();
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        EXPECT_EQ("a.txt|More>", open(dynamic));
        NativeMenuHandle inner = subMenu(dynamic, 1);
        ASSERT_NE(nullptr, inner);
        EXPECT_EQ("z.txt", open(inner));
        EXPECT_EQ("a.txt|More>", describe(dynamic));
        EXPECT_EQ(inner, subMenu(dynamic, 1));
        EXPECT_EQ(built + 2, m_state.m_menuItems.size());
        sendMenuCommand(m_window, itemId(inner, 0));
        sendMenuCommand(m_window, itemId(dynamic, 0));
        EXPECT_EQ((std::vector<std::string>{"open z.txt", "open a.txt"}), m_handler.runner.ran);
        m_handler.runner.ran.clear();
        EXPECT_EQ(static_cast<int>(built), m_state.m_dynamicItemsStart);
    }
}

namespace {

std::string s_trackedMenu;
int s_chosenPosition = -1;
TrackPopupMenuFunction s_realTrack = nullptr;

// Notes what the popup shows and chooses the item at s_chosenPosition (none
// when -1).
int chooseByPosition(NativeMenuHandle popup, int, int, NativeWindowHandle)
{
    s_trackedMenu = describe(popup);
    return s_chosenPosition < 0 ? 0 : itemId(popup, s_chosenPosition);
}

// A user pressing Enter: the key follows what the menu code posted itself.
int pressEnter(NativeMenuHandle popup, int x, int y, NativeWindowHandle owner)
{
    postKey(owner, Key::Return);
    return s_realTrack(popup, x, y, owner);
}

} // namespace

TEST_F(NativeMenuTest, PopupMenuClosedWithEscapeLeavesTheCommand)
{
    ustring command = u"untouched";
    postKey(m_window, Key::Escape);
    EXPECT_FALSE(showPopupMenu(m_manager, m_window, &m_handler, command, menuOf("a b"), &m_handler.runner, 10, 10,
                               PopupMenuFlags::None));
    EXPECT_EQ(u"untouched", command);
    EXPECT_FALSE(showPopupMenu(m_manager, m_window, &m_handler, command, nullptr, &m_handler.runner, 10, 10, PopupMenuFlags::None));
    EXPECT_EQ(u"untouched", command);
    pumpMessages();
}

TEST_F(NativeMenuTest, PopupMenuHighlightsTheFirstItemForEnter)
{
    s_realTrack = setTrackPopupMenuFunction(pressEnter);
    ustring command;
    const bool chosen = showPopupMenu(m_manager, m_window, &m_handler, command, menuOf("%e first second"),
                                      &m_handler.runner, 10, 10, PopupMenuFlags::HighlightFirst);
    setTrackPopupMenuFunction(nullptr);
    pumpMessages();
    EXPECT_TRUE(chosen);
    EXPECT_EQ(u"first", command);
}

TEST_F(NativeMenuTest, PopupMenuIsRefreshedAndReportsTheChoice)
{
    m_handler.keys[u"b"] = u"F2";
    m_handler.runner.commands[u"a"] = {true, u""};
    m_handler.runner.commands[u"b"] = {false, u"true"};
    slate::SP<MenuDescriptor> menu = menuOf("- a %e b > %v");
    struct Case {
        PopupMenuFlags flags;
        int position; // chosen; -1 for none
        const char* shown;
        const char* command; // null: nothing chosen
    };
    const Case cases[] = {
        {PopupMenuFlags::None, 1, "a|[x](grey)b\\tF2|Sub>|V x", "b"},
        {PopupMenuFlags::WithoutState, 3, "a|[x]b|Sub>|V x", "full"},
        {PopupMenuFlags::None, -1, "a|[x](grey)b\\tF2|Sub>|V x", nullptr},
    };
    TrackPopupMenuFunction previous = setTrackPopupMenuFunction(chooseByPosition);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.flags));
        s_chosenPosition = c.position;
        ustring command = u"untouched";
        EXPECT_EQ(c.command != nullptr,
                  showPopupMenu(m_manager, m_window, &m_handler, command, menu, &m_handler.runner, 5, 5, c.flags));
        EXPECT_EQ(c.shown, s_trackedMenu);
        EXPECT_EQ(c.command ? c.command : "untouched", toUtf8(command));
    }
    setTrackPopupMenuFunction(previous);
    EXPECT_TRUE(m_handler.runner.ran.empty());
}
