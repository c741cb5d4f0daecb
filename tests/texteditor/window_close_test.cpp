#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/control_events.h"
#include "filesystem/file_utils.h"
#include "support/scripted_dialogs.h"
#include "texteditor/application_fixture.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/text_buffer.h"

namespace application_test {
namespace {

using control_events::button;
using test_support::ScriptedDialogs;

const ustring kQuestionTail = u" has been modified, save changes?";

// A window whose files are named in a scratch folder and whose questions
// are scripted. Files opened here do not exist: each view is a modified
// empty buffer bound to its path, so nothing is read.
class WindowCloseTest : public WindowTest {
protected:
    void SetUp() override
    {
        m_previousDirectory = currentDirectory();
        WindowTest::SetUp();
    }
    // A focused view makes its file's folder current, and the scratch folder
    // goes with the test.
    void TearDown() override
    {
        WindowTest::TearDown();
        setCurrentDirectory(m_previousDirectory);
    }

    ustring pathOf(const char* name) const { return toUstring((m_folder.path() / name).string()); }
    // A view of `name` with unsaved changes, the active tab of the active
    // group.
    slate::SP<TextBufferView> modified(const char* name)
    {
        slate::SP<TextBufferView> view =
            m_window->openFile(pathOf(name), FileEncoding(), TextEditorWindow::kOpenCreateMissing);
        EXPECT_NE(nullptr, view);
        return view;
    }
    // The same, saved as it is.
    slate::SP<TextBufferView> unmodified(const char* name)
    {
        slate::SP<TextBufferView> view = modified(name);
        view->buffer()->markSaved();
        return view;
    }
    slate::SP<TextBufferView> untitledWithText()
    {
        slate::SP<TextBufferView> view = m_window->newFile();
        view->buffer()->insertCharacters(0, u"draft");
        return view;
    }
    // Question texts asked so far, in order.
    std::vector<ustring> asked() const
    {
        std::vector<ustring> texts;
        for (const Question& question : m_dialogs.questions)
            texts.push_back(question.text);
        return texts;
    }
    ustring questionAbout(const char* name) const { return pathOf(name) + kQuestionTail; }
    bool isOpen(const slate::SP<TextBufferView>& view) const
    {
        return m_window->viewSet().findEntry(view.get()) != nullptr;
    }

    ScriptedDialogs m_dialogs;
    ustring m_previousDirectory;
};

TEST_F(WindowCloseTest, TheQuestionNamesTheFileOrANewFile)
{
    slate::SP<TextBufferView> file = modified("notes.txt");
    slate::SP<TextBufferView> untitled = untitledWithText();
    struct Case {
        const char* name;
        slate::SP<TextBufferView> view;
        ustring text;
    };
    const Case cases[] = {
        {"file", file, questionAbout("notes.txt")},
        {"untitled", untitled, u"New file has been modified, save changes?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialogs.questions.clear();
        m_dialogs.answer(QuestionAnswer::Cancel);
        EXPECT_FALSE(m_window->closeView(c.view));
        ASSERT_EQ(1u, m_dialogs.questions.size());
        const Question& question = m_dialogs.questions[0];
        EXPECT_EQ(u"Save Changes?", question.caption);
        EXPECT_EQ(c.text, question.text);
        EXPECT_EQ(QuestionButtons::YesNoCancel, question.buttons);
        EXPECT_EQ(QuestionIcon::Warning, question.icon);
        EXPECT_TRUE(isOpen(c.view));
    }
}

// Text typed and deleted again leaves an untitled buffer modified, but
// there is nothing to lose.
TEST_F(WindowCloseTest, AnEmptyUntitledViewClosesWithoutAQuestion)
{
    slate::SP<TextBufferView> view = m_window->newFile();
    view->buffer()->insertCharacters(0, u"x");
    view->buffer()->eraseCharacters(SelectionRegion(0, 1));
    ASSERT_TRUE(view->buffer()->isDirty());
    EXPECT_TRUE(m_window->closeView(view));
    EXPECT_TRUE(m_dialogs.questions.empty());
    EXPECT_FALSE(isOpen(view));
}

TEST_F(WindowCloseTest, NoDiscardsTheChangesAndClosesTheView)
{
    slate::SP<TextBufferView> view = modified("notes.txt");
    m_dialogs.answer(QuestionAnswer::No);
    EXPECT_TRUE(m_window->closeView(view));
    EXPECT_FALSE(isOpen(view));
    EXPECT_EQ(0, m_window->viewSet().totalSize());
    EXPECT_FALSE(isFile(pathOf("notes.txt")));
}

// The question shows the view it is about; a refusal leaves that view in
// front, a view closed without one gives the front back to where it was.
TEST_F(WindowCloseTest, TheViewAskedAboutIsShownAndTheFrontComesBackAfterwards)
{
    slate::SP<TextBufferView> first = modified("first.txt");
    slate::SP<TextBufferView> second = modified("second.txt");
    slate::SP<TextBufferView> third = unmodified("third.txt");
    EXPECT_FALSE(m_window->closeView(first));
    EXPECT_EQ(first, m_window->activeView());
    EXPECT_TRUE(isOpen(first));

    m_window->viewSet().focusView(third.get());
    m_dialogs.answer(QuestionAnswer::No);
    EXPECT_TRUE(m_window->closeView(second));
    EXPECT_EQ(third, m_window->activeView());
    EXPECT_FALSE(isOpen(second));
}

TEST_F(WindowCloseTest, CloseAllAsksAboutTheFrontViewFirstAndStopsAtCancel)
{
    slate::SP<TextBufferView> first = modified("first.txt");
    first->buffer()->insertCharacters(0, u"kept text");
    slate::SP<TextBufferView> second = modified("second.txt");
    slate::SP<TextBufferView> third = modified("third.txt");
    slate::SP<TextBufferView> clean = unmodified("clean.txt");
    // Front to back: first, then second, third and clean.
    m_window->viewSet().focusView(clean.get());
    m_window->viewSet().focusView(third.get());
    m_window->viewSet().focusView(second.get());
    m_window->viewSet().focusView(first.get());
    m_dialogs.answer(QuestionAnswer::Yes);
    m_dialogs.answer(QuestionAnswer::Cancel);

    EXPECT_FALSE(m_window->closeAll());
    EXPECT_EQ(std::vector<ustring>({questionAbout("first.txt"), questionAbout("second.txt")}), asked());
    EXPECT_EQ("kept text", m_folder.read("first.txt"));
    EXPECT_FALSE(isOpen(first));
    EXPECT_TRUE(isOpen(second));
    EXPECT_EQ(second, m_window->activeView());
    EXPECT_TRUE(isOpen(third));
    EXPECT_TRUE(third->buffer()->isDirty());
    EXPECT_FALSE(isFile(pathOf("third.txt")));
    EXPECT_TRUE(isOpen(clean));
}

// Nothing is lost when the save the user asked for does not happen.
TEST_F(WindowCloseTest, AYesWhoseSaveFailsKeepsTheViewAndTheWindow)
{
    struct Case {
        const char* name;
        bool untitled;
    };
    const Case cases[] = {
        {"untitled, save dialog cancelled", true},
        {"file in a missing folder", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBufferView> view = c.untitled ? untitledWithText() : modified("missing/notes.txt");
        m_dialogs.answer(QuestionAnswer::Yes);
        EXPECT_FALSE(m_window->closeView(view));
        EXPECT_TRUE(isOpen(view));
        m_dialogs.answer(QuestionAnswer::Yes);
        EXPECT_FALSE(m_window->canClose());
        EXPECT_TRUE(isOpen(view));
        EXPECT_TRUE(view->buffer()->isDirty());
        EXPECT_EQ(0, m_application->sessionSaveCount());
        m_dialogs.answer(QuestionAnswer::No);
        m_window->closeView(view);
    }
}

TEST_F(WindowCloseTest, CloseAllAnsweredNoEverywhereLeavesNoView)
{
    slate::SP<TextBufferView> clean = unmodified("clean.txt");
    modified("first.txt");
    unmodified("other.txt");
    modified("second.txt");
    m_dialogs.answer(QuestionAnswer::No);
    m_dialogs.answer(QuestionAnswer::No);
    m_window->commandMap().exec(slate::usubstring(u"closeAll"));
    EXPECT_EQ(std::vector<ustring>({questionAbout("second.txt"), questionAbout("first.txt")}), asked());
    EXPECT_EQ(0, m_window->viewSet().totalSize());
    EXPECT_EQ(nullptr, m_window->activeView());
}

TEST_F(WindowCloseTest, CloseToRightOfAsksAboutEveryModifiedTabToTheRightBeforeDroppingAny)
{
    struct Case {
        const char* name;
        std::vector<QuestionAnswer> answers;
        bool closed;
        std::vector<const char*> asked;
    };
    const Case cases[] = {
        {"both answered No", {QuestionAnswer::No, QuestionAnswer::No}, true, {"second.txt", "third.txt"}},
        {"the first cancelled", {QuestionAnswer::Cancel}, false, {"second.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_window->closeAll();
        m_dialogs.questions.clear();
        // Tabs in order: first (unmodified), second, third, fourth (unmodified).
        slate::SP<TextBufferView> first = unmodified("first.txt");
        slate::SP<TextBufferView> second = modified("second.txt");
        slate::SP<TextBufferView> third = modified("third.txt");
        slate::SP<TextBufferView> fourth = unmodified("fourth.txt");
        m_window->viewSet().focusView(first.get());
        for (QuestionAnswer answer : c.answers)
            m_dialogs.answer(answer);

        EXPECT_EQ(c.closed, m_window->closeToRightOf(first));
        std::vector<ustring> expected;
        for (const char* name : c.asked)
            expected.push_back(questionAbout(name));
        EXPECT_EQ(expected, asked());
        EXPECT_TRUE(isOpen(first));
        EXPECT_EQ(!c.closed, isOpen(second));
        EXPECT_EQ(!c.closed, isOpen(third));
        EXPECT_EQ(!c.closed, isOpen(fourth));
        EXPECT_EQ(c.closed ? first : second, m_window->activeView());
        EXPECT_EQ(c.closed ? 1 : 4, m_window->viewSet().totalSize());
    }
}

// Closing the others of a tab's group leaves the other groups alone, even
// when the view in front is there and modified.
TEST_F(WindowCloseTest, CloseOthersInGroupTouchesOnlyThatGroup)
{
    m_window->setLayout(1);
    slate::SP<TextBufferView> kept = unmodified("kept.txt");
    slate::SP<TextBufferView> other = modified("other.txt");
    slate::SP<TextBufferView> clean = unmodified("clean.txt");
    slate::SP<TextBufferView> elsewhere = modified("elsewhere.txt");
    m_window->viewSet().moveActiveViewToGroup(1);
    ASSERT_EQ(elsewhere, m_window->activeView());
    m_dialogs.answer(QuestionAnswer::No);

    EXPECT_TRUE(m_window->closeOthersInGroup(kept));
    EXPECT_EQ(std::vector<ustring>({questionAbout("other.txt")}), asked());
    EXPECT_TRUE(isOpen(kept));
    EXPECT_FALSE(isOpen(other));
    EXPECT_FALSE(isOpen(clean));
    EXPECT_TRUE(isOpen(elsewhere));
    EXPECT_EQ(elsewhere, m_window->activeView());
}

TEST_F(WindowCloseTest, CloseOthersInGroupAsksAboutTheFrontViewOfThatGroupFirst)
{
    slate::SP<TextBufferView> kept = unmodified("kept.txt");
    modified("left.txt");
    modified("front.txt");
    m_dialogs.answer(QuestionAnswer::No);
    m_dialogs.answer(QuestionAnswer::No);
    EXPECT_TRUE(m_window->closeOthersInGroup(kept));
    EXPECT_EQ(std::vector<ustring>({questionAbout("front.txt"), questionAbout("left.txt")}), asked());
    EXPECT_EQ(1, m_window->viewSet().totalSize());
    EXPECT_EQ(kept, m_window->activeView());
}

TEST_F(WindowCloseTest, AViewOutsideTheWindowClosesNothingAroundIt)
{
    slate::SP<TextBufferView> open = unmodified("open.txt");
    slate::SP<TextBufferView> stray = m_window->newFile();
    m_window->viewSet().removeView(stray.get());
    EXPECT_FALSE(m_window->closeToRightOf(stray));
    EXPECT_FALSE(m_window->closeOthersInGroup(stray));
    EXPECT_TRUE(isOpen(open));
}

TEST_F(WindowCloseTest, TheCloseCommandClosesTheFrontViewAndNeedsOne)
{
    CommandMap& commands = m_window->commandMap();
    EXPECT_FALSE(commands.isEnabled(slate::usubstring(u"close")));
    slate::SP<TextBufferView> back = unmodified("back.txt");
    slate::SP<TextBufferView> front = unmodified("front.txt");
    EXPECT_TRUE(commands.isEnabled(slate::usubstring(u"close")));
    commands.exec(slate::usubstring(u"close"));
    EXPECT_FALSE(isOpen(front));
    EXPECT_EQ(back, m_window->activeView());
}

TEST_F(WindowCloseTest, AGroupsFrontViewClosesAndAnEmptyGroupHasNothingToClose)
{
    m_window->setLayout(1);
    slate::SP<TextBufferView> view = unmodified("alpha.txt");
    EXPECT_TRUE(m_window->closeActiveViewOfGroup(1));
    EXPECT_TRUE(m_window->closeActiveViewOfGroup(3));
    EXPECT_TRUE(isOpen(view));
    EXPECT_TRUE(m_window->closeActiveViewOfGroup(0));
    EXPECT_FALSE(isOpen(view));
}

TEST_F(WindowCloseTest, ATabsCloseButtonAsksBeforeTheTabGoes)
{
    slate::SP<TextBufferView> view = modified("notes.txt");
    m_window->draw(false);
    BaseWindow::RegionMap regions;
    BaseWindow::collectRegions(m_window->root(), regions);
    const InputRegion* closeButton = nullptr;
    for (const auto& [id, region] : regions) {
        ustring text, command;
        if (id.object == reinterpret_cast<uintptr_t>(view.get()) && region->hint(text, command) &&
            command == u"close")
            closeButton = region;
    }
    ASSERT_NE(nullptr, closeButton);
    const float x = (closeButton->rect().x0 + closeButton->rect().x1) / 2;
    const float y = (closeButton->rect().y0 + closeButton->rect().y1) / 2;
    auto& platform = *static_cast<test_support::FakePlatformWindow*>(m_window->m_window);
    auto click = [&] {
        m_window->onKeyOrButton(button(kMouseLeft, true, x, y));
        platform.dragKey(button(kMouseLeft, false, x, y));
    };

    click();
    EXPECT_EQ(std::vector<ustring>({questionAbout("notes.txt")}), asked());
    EXPECT_TRUE(isOpen(view));
    m_dialogs.answer(QuestionAnswer::No);
    click();
    EXPECT_FALSE(isOpen(view));
}

TEST_F(WindowCloseTest, PromptAllSavedAsksAboutEveryModifiedViewAndClosesNone)
{
    slate::SP<TextBufferView> untitled = m_window->newFile();
    untitled->buffer()->markModified();
    slate::SP<TextBufferView> clean = unmodified("clean.txt");
    slate::SP<TextBufferView> first = modified("first.txt");
    slate::SP<TextBufferView> second = modified("second.txt");
    m_window->viewSet().focusView(first.get());
    m_dialogs.answer(QuestionAnswer::No);
    m_dialogs.answer(QuestionAnswer::No);
    m_dialogs.answer(QuestionAnswer::No);

    EXPECT_TRUE(m_window->promptAllSaved());
    EXPECT_EQ(std::vector<ustring>({questionAbout("first.txt"), questionAbout("second.txt"),
                                    u"New file" + kQuestionTail}),
              asked());
    EXPECT_EQ(4, m_window->viewSet().totalSize());

    m_dialogs.questions.clear();
    m_dialogs.answer(QuestionAnswer::No);
    m_dialogs.answer(QuestionAnswer::Cancel);
    EXPECT_FALSE(m_window->promptAllSaved());
    EXPECT_EQ(2u, m_dialogs.questions.size());
    EXPECT_TRUE(second->buffer()->isDirty());
}

TEST_F(WindowCloseTest, CancelKeepsTheWindowAndWritesNoSession)
{
    modified("notes.txt");
    EXPECT_FALSE(m_window->canClose());
    EXPECT_EQ(1u, m_dialogs.questions.size());
    EXPECT_EQ(0, m_application->sessionSaveCount());
}

TEST_F(WindowCloseTest, OnlyTheLastWindowToCloseSavesTheSession)
{
    TextEditorWindow* other = m_application->newWindow(u"", true);
    ASSERT_NE(nullptr, other);
    EXPECT_TRUE(other->canClose());
    EXPECT_EQ(0, m_application->sessionSaveCount());
    ASSERT_TRUE(m_windowManager->close(other));

    EXPECT_TRUE(m_window->canClose());
    EXPECT_EQ(1, m_application->sessionSaveCount());
    EXPECT_TRUE(m_dialogs.questions.empty());
}

// "exit" has asked about every window before it closes them.
TEST_F(WindowCloseTest, AnExitingApplicationClosesWindowsWithoutAsking)
{
    modified("notes.txt");
    m_application->m_exiting = true;
    EXPECT_TRUE(m_window->canClose());
    EXPECT_TRUE(m_dialogs.questions.empty());
    EXPECT_EQ(0, m_application->sessionSaveCount());
}

} // namespace
} // namespace application_test
