#include <gtest/gtest.h>

#include <string>

#include "texteditor/application_fixture.h"
#include "texteditor/file_type_options.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/syntax/syntax_manager.h"
#include "ui/text/text_buffer.h"
#include "ui/unicode.h"

namespace application_test {
namespace {

const char16_t kTinySyntaxPath[] = u"Packages/Tiny/Tiny.tmLanguage";

class WindowCloneTest : public WindowTest {
protected:
    void run(const ustring& line) { m_window->commandMap().exec(slate::usubstring(line)); }
    bool enabled(const ustring& line) { return m_window->commandMap().isEnabled(slate::usubstring(line)); }
    ustring value(const ustring& line) { return m_window->commandMap().value(slate::usubstring(line)); }
    const ViewSet& views() const { return m_window->viewSet(); }

    // The parents a view's options have when linked to `syntax` and nothing
    // else.
    std::vector<slate::SP<Options>> syntaxChain(const ustring& syntax)
    {
        return {packageOptions(kUserFileTypeOptionsPath), loadSyntaxOptions(syntax)};
    }
    static ustring syntaxOf(const slate::SP<Options>& options)
    {
        ustring syntax;
        options->getString(slate::substring("syntax"), syntax);
        return syntax;
    }
    void writeTinyGrammar()
    {
        writePackageFile("Tiny/Tiny.tmLanguage",
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                         "<key>name</key><string>Tiny</string><key>scopeName</key><string>source.tiny</string>"
                         "<key>fileTypes</key><array><string>tiny</string></array>"
                         "<key>patterns</key><array/></dict></plist>");
    }
};

// Layout 0 becomes layout 2; otherwise the clone goes to the group after the
// active one, wrapping to the first.
TEST_F(WindowCloneTest, TheCloneGoesToTheGroupAfterTheActiveOne)
{
    struct Case {
        int layout;
        int activeGroup;
        int layoutAfter;
        int cloneGroup;
    } cases[] = {
        {0, 0, 2, 1},
        {1, 1, 1, 0},
        {4, 2, 4, 3},
        {4, 3, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("layout " + std::to_string(c.layout) + ", group " + std::to_string(c.activeGroup));
        while (m_window->viewSet().totalSize() > 0)
            m_window->viewSet().removeView(m_window->viewSet().allViews().back().view.get());
        m_window->setLayout(c.layout);
        const slate::SP<TextBufferView> source = m_window->newFile();
        m_window->viewSet().moveActiveViewToGroup(c.activeGroup);
        ASSERT_EQ(c.activeGroup, views().activeGroup());

        run(u"clone");
        EXPECT_EQ(c.layoutAfter, m_window->m_layoutType);
        EXPECT_EQ(c.cloneGroup, views().activeGroup());
        const slate::SP<TextBufferView> clone = m_window->activeView();
        ASSERT_NE(nullptr, clone);
        EXPECT_NE(source, clone);
        EXPECT_EQ(source->buffer(), clone->buffer());
        EXPECT_EQ(source, views().activeViewInGroup(c.activeGroup)) << "the source stays where it was";
    }
}

// The clone's minimap is made like every other: it shares the clone's view
// state and layers the minimap file over the clone's options.
TEST_F(WindowCloneTest, ACloneSharesItsSourcesOptionsAndGetsItsOwnMinimap)
{
    const slate::SP<TextBufferView> source = m_window->newFile();
    const slate::SP<TextBufferView> clone = m_window->cloneView(source, 0);
    ASSERT_NE(nullptr, clone);
    EXPECT_EQ(clone, m_window->activeView());

    ASSERT_EQ(source->options(), clone->options());
    clone->options()->setInt(slate::substring("tab_size"), 7);
    int tabSize = 0;
    EXPECT_TRUE(source->options()->getInt(slate::substring("tab_size"), tabSize));
    EXPECT_EQ(7, tabSize);

    const ViewEntry* entry = views().findEntry(clone.get());
    ASSERT_NE(nullptr, entry);
    ASSERT_NE(nullptr, entry->minimap);
    EXPECT_NE(views().findEntry(source.get())->minimap, entry->minimap);
    EXPECT_EQ(&clone->viewState(), &entry->minimap->viewState());
    EXPECT_NE(&source->viewState(), &clone->viewState()) << "each view scrolls on its own";
    const std::vector<slate::SP<Options>> minimapParents{clone->options(), packageOptions(kMinimapOptionsPath)};
    EXPECT_EQ(minimapParents, entry->minimap->options()->parents());
}

TEST_F(WindowCloneTest, NothingIsClonedWithoutAViewOrIntoAGroupNotInUse)
{
    EXPECT_FALSE(enabled(u"clone"));
    EXPECT_EQ(u"", value(u"clone"));
    EXPECT_EQ(nullptr, m_window->cloneView(nullptr, 0));
    const slate::SP<TextBufferView> source = m_window->newFile();
    EXPECT_EQ(nullptr, m_window->cloneView(source, 1));
    EXPECT_EQ(nullptr, m_window->cloneView(source, -1));
    EXPECT_EQ(1, views().totalSize());
}

TEST_F(WindowCloneTest, TheCloneCommandIsCaptionedWithTheBuffersName)
{
    m_window->newFile();
    EXPECT_EQ(u"untitled", value(u"clone"));
    const ustring path = toUstring((m_folder / "named.txt").string());
    ASSERT_NE(nullptr, m_window->openFile(path, kEncodingUndefined, TextEditorWindow::kOpenCreateMissing));
    EXPECT_EQ(u"named.txt", value(u"clone"));
}

// The view's chain is rebuilt from nothing: a parent that is not part of a
// file type's chain goes, and the listeners hear of it even though the
// syntax stays the same.
TEST_F(WindowCloneTest, SetFileTypeRebuildsTheChainAndNotifiesEvenForTheSameSyntax)
{
    const slate::SP<TextBufferView> view = m_window->newFile();
    const slate::SP<Options> options = view->options();
    ASSERT_EQ(ustring(kPlainTextSyntaxPath), syntaxOf(options));
    int notified = 0;
    options->addListener([&notified] { ++notified; });
    const ustring plainText = u"setFileType \"" + ustring(kPlainTextSyntaxPath) + u"\"";
    const ustring tiny = u"setFileType \"" + ustring(kTinySyntaxPath) + u"\"";
    EXPECT_EQ(u"true", value(plainText));
    EXPECT_EQ(u"false", value(tiny));

    options->addParent(slate::SP<Options>(new Options));
    run(plainText);
    EXPECT_EQ(1, notified);
    EXPECT_EQ(syntaxChain(kPlainTextSyntaxPath), options->parents());

    run(tiny);
    EXPECT_EQ(2, notified);
    EXPECT_EQ(syntaxChain(kTinySyntaxPath), options->parents());
    EXPECT_EQ(ustring(kTinySyntaxPath), syntaxOf(options));
    EXPECT_EQ(u"true", value(tiny));
    EXPECT_EQ(u"false", value(plainText));

    run(u"setFileType");
    EXPECT_EQ(2, notified) << "no syntax given: nothing to do";
    EXPECT_EQ(syntaxChain(kTinySyntaxPath), options->parents());
}

TEST_F(WindowCloneTest, AssignFileTypeOnAnUntitledBufferDoesNothing)
{
    const slate::SP<TextBufferView> view = m_window->newFile();
    const slate::SP<Options> options = view->options();
    int notified = 0;
    options->addListener([&notified] { ++notified; });
    const ustring command = u"assignFileType \"" + ustring(kTinySyntaxPath) + u"\"";
    run(command);
    EXPECT_EQ(0, notified);
    EXPECT_EQ(ustring(kPlainTextSyntaxPath), syntaxOf(options));
    EXPECT_EQ(syntaxChain(kPlainTextSyntaxPath), options->parents());
    EXPECT_EQ(u"false", value(command));
}

// The file's extension opens with the syntax from now on, and the file's
// own view takes the syntax at once.
TEST_F(WindowCloneTest, AssignFileTypeRegistersTheExtensionAndSetsTheViewsSyntax)
{
    writeTinyGrammar();
    SyntaxManager::create();
    const ustring path = toUstring((m_folder / "notes.Foo").string());
    const slate::SP<TextBufferView> view =
        m_window->openFile(path, kEncodingUndefined, TextEditorWindow::kOpenCreateMissing);
    ASSERT_NE(nullptr, view);
    const ustring command = u"assignFileType \"" + ustring(kTinySyntaxPath) + u"\"";
    EXPECT_EQ(u"false", value(command));

    run(command);
    EXPECT_EQ(ustring(kTinySyntaxPath), SyntaxManager::get().syntaxForExtension(u"Foo"));
    EXPECT_EQ(ustring(kTinySyntaxPath), syntaxOf(view->options()));
    EXPECT_EQ(syntaxChain(kTinySyntaxPath), view->options()->parents());
    EXPECT_EQ(u"true", value(command));

    run(u"assignFileType");
    EXPECT_EQ(ustring(kTinySyntaxPath), syntaxOf(view->options())) << "no syntax given: nothing to do";
    destroyApplication();
    SyntaxManager::destroy();
}

// A buffer in two views with options of their own, one of them cloned: when
// the "syntax" the options hold has moved on, each options object is linked
// to that syntax's chain, and minimaps keep inheriting from their views.
// Options that name no syntax keep the parents they were given.
TEST_F(WindowCloneTest, ASyntaxChangeRelinksTheOptionsOfEveryViewOfTheBuffer)
{
    const slate::SP<TextBufferView> first = m_window->newFile();
    const slate::SP<TextBufferView> clone = m_window->cloneView(first, 0);
    ASSERT_NE(nullptr, clone);
    TextBuffer* buffer = first->buffer();
    const slate::SP<TextBufferView> second = buffer->createView(m_window->canvas());
    second->setOptions(slate::SP<Options>(new Options));
    applySyntaxOptions(second->options(), kPlainTextSyntaxPath);
    const slate::SP<TextBufferView> other = m_window->newFile();
    // A view whose options were not made as a file type's chain.
    const slate::SP<TextBufferView> plain = buffer->createView(m_window->canvas());
    const slate::SP<Options> plainParent(new Options);
    plain->setOptions(slate::SP<Options>(new Options));
    plain->options()->addParent(plainParent);

    for (const slate::SP<TextBufferView>& view : {first, second})
        view->options()->set(slate::substring("syntax"), ustring(kTinySyntaxPath));
    m_window->onBufferSyntaxChanged(buffer);

    EXPECT_EQ(syntaxChain(kTinySyntaxPath), first->options()->parents());
    EXPECT_EQ(syntaxChain(kTinySyntaxPath), second->options()->parents());
    for (const slate::SP<TextBufferView>& view : {first, clone}) {
        const std::vector<slate::SP<Options>> minimapParents{view->options(), packageOptions(kMinimapOptionsPath)};
        EXPECT_EQ(minimapParents, views().findEntry(view.get())->minimap->options()->parents());
    }
    EXPECT_EQ(syntaxChain(kPlainTextSyntaxPath), other->options()->parents()) << "another buffer's view";
    EXPECT_EQ(std::vector<slate::SP<Options>>{plainParent}, plain->options()->parents()) << "no syntax named";

    // Options already linked to their syntax are left as they are.
    const slate::SP<Options> extra(new Options);
    second->options()->addParent(extra);
    m_window->onBufferSyntaxChanged(buffer);
    EXPECT_EQ(extra, second->options()->parents().back());
}

} // namespace
} // namespace application_test
