#include "texteditor/text_editor_window.h"

#include <gtest/gtest.h>

#include <string>

#include "texteditor/application_fixture.h"
#include "panels/dialog_panel.h"
#include "texteditor/file_type_options.h"
#include "ui/text/buffer_read_wait.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/syntax/syntax_manager.h"
#include "ui/text/text_buffer.h"

namespace application_test {
namespace {

TEST_F(WindowTest, AReferenceOutlivesItsWindowAndThenAnswersNull)
{
    slate::SP<TextEditorWindow::Reference> reference = m_window->reference();
    EXPECT_EQ(m_window, reference->window);
    ASSERT_TRUE(m_windowManager->close(m_window));
    EXPECT_EQ(nullptr, reference->window);
    EXPECT_EQ(1, reference->referenceCount());
}

TEST_F(WindowTest, WindowsBuffersAndViewsAreNumberedByOneCounter)
{
    slate::SP<TextBufferView> before = m_window->newFile();
    TextEditorWindow* other = m_application->newWindow(u"", false);
    slate::SP<TextBufferView> after = m_window->newFile();
    EXPECT_LT(m_window->id(), before->id());
    EXPECT_LT(before->id(), other->id());
    EXPECT_LT(other->id(), after->id());
}

TEST_F(WindowTest, ANewWindowHasOneEmptyGroup)
{
    EXPECT_EQ(1, m_window->viewSet().numGroups());
    EXPECT_EQ(0, m_window->viewSet().totalSize());
    EXPECT_EQ(nullptr, m_window->activeView());
}

// The minimap shows the main view's selection and takes the main view's
// options under the minimap file's.
TEST_F(WindowTest, EachTabHasAMinimapSharingItsViewState)
{
    writePackageFile("Default/Options/Minimap.vantrel-options", "font_face Tiny");
    slate::SP<TextBufferView> view = m_window->newFile();
    const ViewEntry* entry = m_window->viewSet().findEntry(view.get());
    ASSERT_NE(nullptr, entry);
    ASSERT_NE(nullptr, entry->minimap);
    EXPECT_EQ(view->buffer(), entry->minimap->buffer());
    EXPECT_EQ(&view->viewState(), &entry->minimap->viewState());
    const slate::SP<Options>& options = entry->minimap->options();
    ASSERT_EQ(2u, options->parents().size());
    EXPECT_EQ(view->options(), options->parents()[0]);
    EXPECT_EQ(packageOptions(kMinimapOptionsPath), options->parents()[1]);
    view->options()->set(ustring(u"font_face"), u"Wide");
    ustring face;
    EXPECT_TRUE(options->getString(ustring(u"font_face"), face));
    EXPECT_EQ(u"Tiny", face);
}

TEST_F(WindowTest, AFileSpecPutsTheCaretOnItsLineAndColumnOnceRead)
{
    std::string text;
    for (int line = 1; line <= 20; ++line)
        text += "line number " + std::to_string(line) + "\n";
    const ustring path = m_folder.write("lines.txt", text);
    m_application->openFiles({path + u":12:5"}, m_window);

    slate::SP<TextBufferView> view = m_window->activeView();
    ASSERT_NE(nullptr, view);
    ASSERT_EQ(path, view->buffer()->source()->path());
    EXPECT_TRUE(view->buffer()->isReading());
    buffer_test::waitForRead(*view->buffer());
    // Laid out by a frame, the view takes later positions at once.
    m_window->draw(false);

    // Once read, the same file is only shown again, with the caret moved.
    struct Case {
        const char16_t* spec;
        int32_t row; // 0-based
        int32_t column;
    } cases[] = {
        {u":12:5", 11, 4},
        {u":3", 2, 0},
        {u":3:500", 2, 13},  // the end of "line number 3"
        {u":99:1", 20, 0},   // past the last line: the end of the text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.spec)));
        if (std::u16string(c.spec) != u":12:5")
            m_application->openFiles({path + c.spec}, m_window);
        ASSERT_EQ(1, m_window->viewSet().totalSize());
        ASSERT_EQ(1u, view->sel().size());
        EXPECT_TRUE(view->sel()[0].empty());
        int32_t row = -1;
        int32_t column = -1;
        view->buffer()->rowcol(view->sel()[0].b, row, column);
        EXPECT_EQ(c.row, row);
        EXPECT_EQ(c.column, column);
    }
}

// The read starts before the file has been shown; the text it brings must
// still be lexed with the grammar of the file's type, not as plain text.
TEST_F(WindowTest, AnOpenedFileIsLexedWithTheGrammarOfItsType)
{
    writePackageFile("Tiny/Tiny.tmLanguage",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                     "<key>name</key><string>Tiny</string><key>scopeName</key><string>source.tiny</string>"
                     "<key>fileTypes</key><array><string>tiny</string></array>"
                     "<key>patterns</key><array/></dict></plist>");
    SyntaxManager::create();
    SyntaxLoader::create();
    const ustring path = m_folder.write("a.tiny", "one\ntwo\n");
    m_application->openFiles({path}, m_window);
    slate::SP<TextBufferView> view = m_window->activeView();
    ASSERT_NE(nullptr, view);
    buffer_test::waitForRead(*view->buffer());
    const slate::usubstring scopes = view->buffer()->syntaxName(1);
    EXPECT_EQ(0u, ustring(scopes.begin, scopes.end).find(u"source.tiny")) << toUtf8(ustring(scopes.begin, scopes.end));
    destroyApplication();
    SyntaxLoader::destroy();
    SyntaxManager::destroy();
}

TEST_F(WindowTest, AMissingFileWithoutCreateIsReportedAndOpensNothing)
{
    const ustring path = toUstring((m_folder / "absent.txt").string());
    EXPECT_EQ(nullptr, m_window->openFile(path, kEncodingUndefined, TextEditorWindow::kOpenReuseView));
    EXPECT_EQ(0, m_window->viewSet().totalSize());
}

TEST_F(WindowTest, StartCommandsRunOnceAfterTheFirstFrame)
{
    std::vector<ustring> ran;
    m_window->commandMap().add(slate::substring("note"),
                               [&ran](const CommandArguments& words) { ran.push_back(ustring(words.at(1).begin, words.at(1).end)); });
    m_window->m_postInitCommands = {u"note a", u"note b"};
    m_window->draw(false);
    m_window->draw(false);
    EXPECT_EQ((std::vector<ustring>{u"a", u"b"}), ran);
    EXPECT_TRUE(m_window->m_postInitCommands.empty());
}

// The active tab is drawn with its minimap on the side the Application
// options ask for, and only when the minimap is shown.
TEST_F(WindowTest, TheActiveViewIsDrawnWithItsMinimapWhereTheOptionsSay)
{
    slate::SP<TextBufferView> view = m_window->newFile();
    const slate::SP<TextBufferView> minimap = m_window->viewSet().findEntry(view.get())->minimap;
    const auto drawnRects = [&] {
        m_window->draw(false);
        BaseWindow::RegionMap regions;
        BaseWindow::collectRegions(m_window->root(), regions);
        std::pair<const InputRegion*, const InputRegion*> drawn(nullptr, nullptr);
        if (regions.count(RegionId(view.get())))
            drawn.first = regions[RegionId(view.get())];
        if (regions.count(RegionId(minimap.get())))
            drawn.second = regions[RegionId(minimap.get())];
        return drawn;
    };
    auto drawn = drawnRects();
    ASSERT_NE(nullptr, drawn.first);
    ASSERT_NE(nullptr, drawn.second);
    EXPECT_LT(drawn.second->rect().x1, drawn.first->rect().x0);

    slate::SP<Options> options = packageOptions(kApplicationOptionsPath);
    options->setBool(ustring(u"minimapOnLeft"), false);
    m_application->applyOptions(options);
    drawn = drawnRects();
    ASSERT_NE(nullptr, drawn.second);
    EXPECT_GT(drawn.second->rect().x0, drawn.first->rect().x1);

    m_application->m_showMinimap = false;
    drawn = drawnRects();
    EXPECT_NE(nullptr, drawn.first);
    EXPECT_EQ(nullptr, drawn.second);
}

// A command line goes to the innermost runner that has it: the window's
// commands before the application's.
TEST_F(WindowTest, WindowCommandsShadowApplicationCommands)
{
    std::vector<std::string> ran;
    m_window->commandMap().add(slate::substring("both"), [&ran](const CommandArguments&) { ran.push_back("window"); });
    m_application->commandMap().add(slate::substring("both"),
                                    [&ran](const CommandArguments&) { ran.push_back("application"); });
    m_application->commandMap().add(slate::substring("quitAll"),
                                    [&ran](const CommandArguments&) { ran.push_back("quitAll"); });
    m_window->draw(false);
    m_window->exec(slate::usubstring(u"both"));
    m_window->exec(slate::usubstring(u"quitAll"));
    EXPECT_EQ((std::vector<std::string>{"window", "quitAll"}), ran);
}

class StubPanel final : public DialogPanel {
public:
    const char16_t* name() const override { return u"console"; }
    float height() const override { return 128; }
    bool layout(Theme*, InputRegion*, const interval2&) override { return true; }
    void onShow() override {}
};

TEST_F(WindowTest, HidingAPanelGivesTheFocusBackToTheActiveView)
{
    slate::SP<TextBufferView> view = m_window->newFile();
    m_window->panelHost().addPanel(std::make_unique<StubPanel>());
    m_window->draw(true);
    m_window->exec(slate::usubstring(u"showPanel console nofocus"));
    ASSERT_NE(nullptr, m_window->panelHost().currentPanel());
    // Something else asked for the focus in this frame; hiding overrides it.
    const int elsewhere = 0;
    FocusState* focus = m_window->focusState();
    focus->requestFocus(RegionId(&elsewhere));

    m_window->exec(slate::usubstring(u"hidePanel"));
    EXPECT_EQ(nullptr, m_window->panelHost().currentPanel());
    EXPECT_EQ(RegionId(view.get()), focus->m_requested);
}

} // namespace
} // namespace application_test
