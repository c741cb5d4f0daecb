// The status bar drawn alone in a test window: its parts are laid out in a
// strip 20 high at y 280, the theme's elements write their names and the
// control font writes the labels (7 pixels a unit, 15 high), so each test
// reads which parts a bar of a given width shows and where.
#include "texteditor/status_bar.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "canvas/recording_canvas.h"
#include "controls/control_events.h"
#include "controls/control_test_window.h"
#include "filesystem/file_manager.h"
#include "filesystem/posix_file_system.h"
#include "input/command_runner.h"
#include "support/recording_label_font.h"
#include "support/null_window_manager.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/notification_manager.h"
#include "ui/text/package_test_support.h"
#include "ui/text/spell_checker.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/token/token_storage.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

namespace {

using control_events::button;

constexpr float kTop = 280;
constexpr float kBottom = 300;
// "wrold" at 6 and "chery" at 28 are the misspellings of the tiny dictionary.
const char16_t kTwoMisspellings[] = u"hello wrold\nquick fox\napple chery\nbrown\n";

// A platform window that remembers the popup menus asked of it and picks
// `chosenCommand` from each.
struct MenuWindow : test_support::FakePlatformWindow {
    struct Popup {
        slate::SP<MenuDescriptor> menu;
        CommandRunner* runner;
        float x;
        float y;
        PopupMenuFlags flags;
    };

    bool showPopupMenu(ustring& command, const slate::SP<MenuDescriptor>& menu, CommandRunner* runner, float x,
                       float y, PopupMenuFlags flags) override
    {
        popups.push_back({menu, runner, x, y, flags});
        if (!menu || chosenCommand.empty())
            return false;
        command = chosenCommand;
        return true;
    }

    std::vector<Popup> popups;
};

// Writes the lines it is asked to run.
struct RecordingRunner : CommandRunner {
    void exec(const slate::usubstring& line) override { ran.emplace_back(line.begin, line.end); }
    bool isEnabled(const slate::usubstring&) override { return true; }
    ustring value(const slate::usubstring&) override { return ustring(); }
    bool has(const slate::usubstring&) override { return true; }

    std::vector<ustring> ran;
};

class StatusBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"panel.statusbar", "button.statusbutton", "button.statusbutton.down"})
            m_frame.theme().addShader(name, new control_test::NamedShader(&m_canvas, name));
        m_frame.theme().controlFont.font = &m_labelFont;
        m_frame.window.m_window = &m_platform;
        m_files = new slate::FileManagerImpl;
        slate::FileManager::setInstance(m_files);
        slate::FileSystem* spelling = test_support::createFileSystem(test_support::dataPath("spelling").string());
        ASSERT_NE(nullptr, spelling);
        m_files->mount(u"Packages/Spelling", spelling);
        m_files->mount(u"Packages/Default/", slate::PosixFileSystem::create(toUstring(m_folder.path().string())));
        m_folder.write("Line Ending.vantrel-menu",
                       "<menu><item caption=\"Unix\" command=\"setLineEnding Unix\"/>"
                       "<item caption=\"Mac\" command=\"setLineEnding Mac\"/></menu>");
    }
    void TearDown() override
    {
        m_view.reset();
        m_buffer.reset();
        slate::FileManager::destroy();
    }

    // A view of `text`; with `spelling` its buffer checks words with the
    // tiny dictionary.
    void makeView(const ustring& text, bool spelling)
    {
        m_buffer = view_test::makeBuffer(text);
        m_view = m_buffer->createView(&m_canvas);
        m_view->setOptions(view_test::optionsFrom("syntax Packages/Text/Plain.tmLanguage"));
        if (spelling) {
            slate::SP<SpellChecker> checker(new SpellChecker);
            checker->load(u"Packages/Spelling/tiny.dic", {});
            ASSERT_TRUE(checker->hasDictionary());
            m_buffer->m_tokenStorage->setSpellChecker(checker);
        }
    }

    // Draws a bar `width` wide and keeps the frame's lines.
    bool draw(float width)
    {
        m_canvas.clearLines();
        return m_frame.frame([&](InputRegion* root) {
            return drawStatusBar(m_frame.theme(), root, interval2(0, kTop, width, kBottom), m_view, &m_frame.window);
        });
    }

    // The region of the last frame with the status bar index `index`, or
    // null.
    const InputRegion* region(int32_t index)
    {
        BaseWindow::RegionMap regions;
        BaseWindow::collectRegions(m_frame.root(), regions);
        auto found = regions.find(RegionId(&m_frame.window, index));
        return found == regions.end() ? nullptr : found->second;
    }

    // The lines of the last frame that start with `prefix`.
    std::vector<std::string> linesStarting(const std::string& prefix) const
    {
        std::vector<std::string> lines;
        for (const std::string& line : m_canvas.lines()) {
            if (line.compare(0, prefix.size(), prefix) == 0)
                lines.push_back(line);
        }
        return lines;
    }

    void click(float x, std::initializer_list<int32_t> held = {})
    {
        m_frame.window.onKeyOrButton(button(kMouseLeft, true, x, 290, held));
        m_platform.dragKey(button(kMouseLeft, false, x, 290, held));
    }

    void select(int64_t caret)
    {
        m_view->mutableSel().clear();
        m_view->mutableSel().add(SelectionRegion(caret));
    }

    RecordingCanvas m_canvas;
    RecordingLabelFont m_labelFont{&m_canvas};
    control_test::TestFrame m_frame{m_canvas};
    MenuWindow m_platform;
    test_support::ScratchFolder m_folder{"vantrel-status-bar"};
    slate::FileManagerImpl* m_files = nullptr;
    slate::SP<TextBuffer> m_buffer;
    slate::SP<TextBufferView> m_view;
};

// The notification manager of a test, on a clock the test sets.
class StatusBarNotificationTest : public StatusBarTest {
protected:
    void SetUp() override
    {
        StatusBarTest::SetUp();
        auto* notifications = new NotificationManager(u"Test");
        notifications->setClock([this] { return m_now; });
        NotificationManager::set(notifications);
    }
    void TearDown() override
    {
        NotificationManager::destroy();
        StatusBarTest::TearDown();
    }

    uint32_t m_now = 1000;
};

TEST_F(StatusBarNotificationTest, WithoutAViewOnlyTheHintIsShown)
{
    NotificationManager::get().setStatus(u"Saved");
    EXPECT_TRUE(draw(640));
    EXPECT_EQ(std::vector<std::string>{"shader panel.statusbar 0 280 640 300"}, m_canvas.lines());

    NotificationManager::get().setHint(u"Close Panel");
    draw(640);
    const std::vector<std::string> expected = {
        "shader panel.statusbar 0 280 640 300",
        "intersectClip 4 282 636 298",
        "label at 4 282 \"Close Panel\"",
        "setClip unset",
    };
    EXPECT_EQ(expected, m_canvas.lines());
    for (int32_t index : {kSpellCountRegion, kLineEndingButtonRegion, kFileTypeButtonRegion})
        EXPECT_EQ(nullptr, region(index)) << index;
}

TEST_F(StatusBarTest, TheCountAreaShowsOnlyForABufferThatChecksSpellingWithOneLabelForEveryCount)
{
    struct Case {
        const char* name;
        bool spelling;
        const char16_t* text;
        const char* countLabel; // empty: no count area
    };
    const Case cases[] = {
        {"no checking", false, kTwoMisspellings, ""},
        {"none misspelled", true, u"hello world\n", "label at 12 282 \"0 misspelled words\""},
        {"one misspelled", true, u"hello wrold\n", "label at 12 282 \"1 misspelled words\""},
        {"two misspelled", true, kTwoMisspellings, "label at 12 282 \"2 misspelled words\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeView(c.text, c.spelling);
        draw(640);
        const std::vector<std::string> labels = linesStarting("label at ");
        ASSERT_FALSE(labels.empty());
        if (*c.countLabel) {
            ASSERT_NE(nullptr, region(kSpellCountRegion));
            EXPECT_EQ(interval2(0, kTop, 150, kBottom), region(kSpellCountRegion)->rect());
            EXPECT_EQ(c.countLabel, labels.front());
            EXPECT_EQ("label at 154 282 \"Line 1, Column 1\"", labels.back());
        } else {
            EXPECT_EQ(nullptr, region(kSpellCountRegion));
            EXPECT_EQ("label at 4 282 \"Line 1, Column 1\"", labels.back());
        }
    }
}

// A loaded text is lexed only as far as something asks. The count sees all
// of it, but lexes a long text a step per frame, and asks for frames until
// it has its whole-text answer.
TEST_F(StatusBarTest, ALongTextNotLexedYetIsCountedOverFramesThatKeepComing)
{
    ustring text = u"hello wrold\n";
    while (text.size() < 3 * TokenStorage::kMisspelledCountLexStep)
        text += u"quick brown fox\n";
    text += u"apple chery\n";
    makeView(u"", true);
    m_buffer->m_tokenStorage->appendWithoutLexing(text.data(), text.data() + text.size());
    EXPECT_FALSE(draw(640));
    EXPECT_EQ("label at 12 282 \"1 misspelled words\"", linesStarting("label at ").front());
    bool done = false;
    for (int frame = 0; frame < 20 && !done; ++frame)
        done = draw(640);
    EXPECT_TRUE(done);
    EXPECT_EQ("label at 12 282 \"2 misspelled words\"", linesStarting("label at ").front());
}

// Widths of a bar with no count area. The line-ending button needs more than
// 300 pixels; the file-type button, at least 80 wide, needs more than its
// width and 200 pixels of what the line-ending button left, and so outlasts
// it from 300 down to 281.
TEST_F(StatusBarTest, TheButtonsGoFirstWhenTheBarNarrows)
{
    struct Case {
        const char* syntax;
        float width;
        const char* lineEnding; // the button's rect; empty: none
        const char* fileType;
    };
    // "Plain" is 35 wide, so its button is 80; "Plain Text" is 82 wide with
    // its padding.
    const char* shortName = "syntax Packages/Text/Plain.tmLanguage";
    const char* longName = "syntax Packages/Text/Plain Text.tmLanguage";
    const Case cases[] = {
        {shortName, 280, "", ""},
        {shortName, 281, "", "201 280 281 300"},
        {shortName, 300, "", "220 280 300 300"},
        {shortName, 301, "221 280 301 300", ""},
        {shortName, 360, "280 280 360 300", ""},
        {shortName, 361, "281 280 361 300", "201 280 281 300"},
        {longName, 362, "282 280 362 300", ""},
        {longName, 363, "283 280 363 300", "201 280 283 300"},
    };
    makeView(u"text\n", false);
    m_buffer->setLineEnding(kLineEndingUnix);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.syntax) + " " + std::to_string(c.width));
        m_view->setOptions(view_test::optionsFrom(c.syntax));
        draw(c.width);
        for (auto [index, rect] : {std::pair(kLineEndingButtonRegion, c.lineEnding),
                                   std::pair(kFileTypeButtonRegion, c.fileType)}) {
            const InputRegion* button = region(index);
            EXPECT_EQ(rect, button ? RecordingCanvas::formatRect(button->rect()) : std::string()) << index;
        }
    }
    // The line-ending button names the buffer's ending (the plain-text
    // buffer's file type has no name to show) on the status-bar button face;
    // the status text ends where the buttons begin.
    m_view->setOptions(view_test::optionsFrom(shortName));
    draw(361);
    EXPECT_EQ((std::vector<std::string>{"shader button.statusbutton 281 280 361 300 amount 0",
                                        "shader button.statusbutton 201 280 281 300 amount 0"}),
              linesStarting("shader button."));
    EXPECT_EQ((std::vector<std::string>{"label at 307 282 \"Unix\"", "label at 4 282 \"Line 1, Column 1\""}),
              linesStarting("label at "));
    EXPECT_EQ((std::vector<std::string>{"intersectClip 287 282 355 298", "intersectClip 4 282 197 298"}),
              linesStarting("intersectClip"));
}

TEST_F(StatusBarTest, AShiftClickOnTheCountSelectsThePreviousMisspellingAndOtherClicksTheNext)
{
    struct Case {
        const char* name;
        int32_t code;
        bool shift;
        SelectionRegion expected;
    };
    const Case cases[] = {
        {"click", kMouseLeft, false, SelectionRegion(28, 33)},
        {"double click", kMouseDoubleClick, false, SelectionRegion(28, 33)},
        {"shift click", kMouseLeft, true, SelectionRegion(6, 11)},
        {"shift double click", kMouseDoubleClick, true, SelectionRegion(6, 11)},
        {"right click", kMouseRight, false, SelectionRegion(15)},
    };
    makeView(kTwoMisspellings, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        select(15);
        draw(640);
        std::initializer_list<int32_t> shift = {kKeyLeftShift};
        m_frame.window.onKeyOrButton(button(c.code, true, 75, 290, c.shift ? shift : std::initializer_list<int32_t>{}));
        EXPECT_EQ(view_test::setOf({c.expected}), m_view->sel());
    }
    // A release is not a click.
    select(15);
    draw(640);
    m_frame.window.onKeyOrButton(button(kMouseLeft, false, 75, 290));
    EXPECT_EQ(view_test::setOf({SelectionRegion(15)}), m_view->sel());
}

TEST_F(StatusBarNotificationTest, AStatusMessageReplacesThePositionFor5000MillisecondsAndAHintReplacesBoth)
{
    makeView(u"text\n", false);
    m_view->setStatusValue(u"b", u"second");
    m_view->setStatusValue(u"a", u"first");
    struct Case {
        const char* name;
        uint32_t now;
        const char* hint;
        const char* text;
    };
    const Case cases[] = {
        {"just set", 1000, "", "Macro recorded"},
        {"at its end", 6000, "", "Macro recorded"},
        {"with a hint", 6000, "Wrap Lines", "Wrap Lines"},
        {"expired", 6001, "", "first, second, Line 1, Column 1"},
        {"hint without a message", 6001, "Wrap Lines", "Wrap Lines"},
    };
    NotificationManager::get().setStatus(u"Macro recorded");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_now = c.now;
        NotificationManager::get().setHint(toUstring(c.hint));
        draw(250);
        EXPECT_EQ(std::vector<std::string>{"label at 4 282 " + RecordingCanvas::formatText(toUstring(c.text))},
                  linesStarting("label at "));
    }
}

TEST_F(StatusBarTest, TheLineEndingButtonShowsItsMenuUnderItselfAndRunsTheChoiceOnTheWindow)
{
    makeView(u"text\n", false);
    EXPECT_TRUE(draw(640));
    click(600);
    ASSERT_EQ(1u, m_platform.popups.size());
    const MenuWindow::Popup& popup = m_platform.popups[0];
    ASSERT_NE(nullptr, popup.menu);
    EXPECT_EQ(2u, popup.menu->m_entries.size());
    EXPECT_EQ(560, popup.x);
    EXPECT_EQ(300, popup.y);
    EXPECT_EQ(PopupMenuFlags::WithoutState, popup.flags);
    EXPECT_EQ(&m_frame.window, popup.runner);
    // With the pointer on a button its hover fade runs, and the bar asks
    // for another frame.
    m_frame.pointerAt(1, 600, 290);
    EXPECT_FALSE(draw(640));
}

TEST_F(StatusBarTest, AMenuRunsItsChoiceAndAnUnreadableMenuFileIsReportedAndShownEmpty)
{
    package_test::ReportedErrors errors;
    m_folder.write("Broken.vantrel-menu", "<menu><item");
    RecordingRunner runner;

    m_platform.chosenCommand = u"setLineEnding Unix";
    showMenuAndRun(&m_platform, u"Packages/Default/Line Ending.vantrel-menu", 10, 20, 90, 40, &runner);
    EXPECT_EQ(std::vector<ustring>{u"setLineEnding Unix"}, runner.ran);
    // Without a runner nothing runs.
    showMenuAndRun(&m_platform, u"Packages/Default/Line Ending.vantrel-menu", 10, 20, 90, 40, nullptr);
    EXPECT_EQ(1u, runner.ran.size());

    m_platform.chosenCommand.clear();
    showMenuAndRun(&m_platform, u"Packages/Default/Broken.vantrel-menu", 10, 20, 90, 40, &runner);
    ASSERT_EQ(3u, m_platform.popups.size());
    ASSERT_NE(nullptr, m_platform.popups[2].menu);
    EXPECT_TRUE(m_platform.popups[2].menu->m_entries.empty());
    const std::vector<std::string> reported = errors.take();
    ASSERT_EQ(1u, reported.size());
    EXPECT_NE(std::string::npos, reported[0].find("Broken.vantrel-menu")) << reported[0];
    EXPECT_EQ(1u, runner.ran.size());
}

// The file-type button shows the window manager's named menu.
class NamedMenuWindowManager : public test_support::NullWindowManager {
public:
    slate::SP<MenuDescriptor> menu(const ustring& name) override
    {
        asked.push_back(name);
        return name == u"setFileType" ? fileTypes : nullptr;
    }

    slate::SP<MenuDescriptor> fileTypes{new MenuDescriptor};
    std::vector<ustring> asked;
};

TEST_F(StatusBarTest, TheFileTypeButtonShowsTheNamedFileTypeMenu)
{
    auto* windowManager = new NamedMenuWindowManager;
    WindowManager::create(windowManager);
    makeView(u"text\n", false);
    draw(640);
    const InputRegion* fileType = region(kFileTypeButtonRegion);
    ASSERT_NE(nullptr, fileType);
    click(fileType->rect().x0 + 5);
    EXPECT_EQ(std::vector<ustring>{u"setFileType"}, windowManager->asked);
    ASSERT_EQ(1u, m_platform.popups.size());
    EXPECT_EQ(windowManager->fileTypes.get(), m_platform.popups[0].menu.get());
    EXPECT_EQ(fileType->rect().x0, m_platform.popups[0].x);
    WindowManager::destroy();
}

} // namespace
