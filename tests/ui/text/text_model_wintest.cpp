// The text model end to end under Wine, as the program runs it: a data
// folder mounted through the Win32 file system, a grammar and a colour scheme
// loaded from its packages, buffer options read from an options file, a real
// file read on a Win32 thread, edited, undone, saved through the atomic
// writer, read back, and reverted after another program changed it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "filesystem/windows_file_system.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "texteditor/startup.h"
#include "ui/options.h"
#include "ui/options_manager.h"
#include "ui/text/buffer_read_wait.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/syntax/scope_styler.h"
#include "ui/text/syntax/styler.h"
#include "ui/text/syntax/syntax.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/text_buffer.h"
#include "ui/unicode.h"

namespace {

using buffer_test::waitForRead;

slate::FileSystem* createWindowsFileSystem(const ustring& directory)
{
    return slate::WindowsFileSystem::create(directory);
}

class TextModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_data.write("Packages/C/C.tmLanguage", test_support::readFile(test_support::dataPath("grammars/c.tmLanguage")));
        m_data.write("Packages/Color Scheme - Default/Monokai.tmTheme",
                     test_support::readFile(test_support::dataPath("themes/monokai.tmTheme")));
        m_data.write("Options/Files.vantrel-options",
                     "translateTabsToSpaces true\r\ntabSize 3\r\nspellCheck false\r\n");
        StartupFolders folders;
        folders.dataDirectory = test_support::programPath(m_data.path().string());
        ASSERT_TRUE(startupBase(u"Vantrel", folders, createWindowsFileSystem));
        startupUi(nullptr);
    }
    void TearDown() override
    {
        shutdownUi();
        shutdownBase();
    }

    // A buffer set up as a window sets up a new one: its syntax, colour
    // scheme and options, before it loads.
    slate::SP<TextBuffer> newBuffer()
    {
        slate::SP<TextBuffer> buffer(new TextBuffer);
        buffer->m_tokenStorage->setSyntax(SyntaxLoader::get().loadSyntax(u"Packages/C/C.tmLanguage"));
        buffer->m_tokenStorage->setScopeStyler(
            Styler::get().scopeStylerFor(u"Packages/Color Scheme - Default/Monokai.tmTheme"));
        buffer->applyOptions(*OptionsManager::get().getOptions(u"UserOptions/Files.vantrel-options"));
        return buffer;
    }

    test_support::ScratchFolder m_data{"vantrel-text-model"};
    test_support::ScratchFolder m_work{"vantrel-text-model-files"};
};

TEST_F(TextModel, OpenEditUndoSaveAndReopenThroughTheRealFileSystem)
{
    const std::string original = "int main(void)\r\n{\r\n    return 0; /* done */\r\n}\r\n";
    m_work.write("main.c", original);
    const ustring path = test_support::programPath((m_work / "main.c").string());

    slate::SP<TextBuffer> buffer = newBuffer();
    ASSERT_TRUE(buffer->load(std::make_unique<FileBufferSource>(path, kEncodingUndefined)));
    waitForRead(*buffer);
    ASSERT_TRUE(buffer->readError().empty()) << toUtf8(buffer->readError());
    EXPECT_EQ(u"int main(void)\n{\n    return 0; /* done */\n}\n", buffer->str());
    EXPECT_EQ(kLineEndingWindows, buffer->lineEnding());
    EXPECT_EQ(u"c", buffer->syntaxDisplayName());

    // The loaded text is lexed with the grammar and styled by the scheme.
    const int64_t keyword = static_cast<int64_t>(buffer->str().find(u"return"));
    const int64_t comment = static_cast<int64_t>(buffer->str().find(u"done"));
    EXPECT_TRUE(buffer->matchSelector(keyword, u"keyword.control"));
    EXPECT_TRUE(buffer->matchSelector(comment, u"comment.block"));
    ScopeStyler& styler = *buffer->m_tokenStorage->scopeStyler();
    const Style* keywordStyle = styler.styleForScope(buffer->metaInfo(keyword));
    const Style* commentStyle = styler.styleForScope(buffer->metaInfo(comment));
    ASSERT_TRUE(keywordStyle && commentStyle);
    EXPECT_FALSE(std::equal(keywordStyle->foreground, keywordStyle->foreground + 3, commentStyle->foreground));

    // The options file's tab settings reach typing.
    const int64_t lineTwo = buffer->textPoint(2, 4);
    buffer->insertCharacters(lineTwo, u"\tx = 1;\n    ");
    EXPECT_EQ(u"int main(void)\n{\n      x = 1;\n    return 0; /* done */\n}\n", buffer->str());
    buffer->eraseCharacters(SelectionRegion(0, 4));
    buffer->undo();
    EXPECT_EQ(u"int main(void)\n{\n      x = 1;\n    return 0; /* done */\n}\n", buffer->str());
    ASSERT_TRUE(buffer->isDirty());
    ASSERT_TRUE(buffer->save());
    EXPECT_FALSE(buffer->isDirty());

    const std::string saved = "int main(void)\r\n{\r\n      x = 1;\r\n    return 0; /* done */\r\n}\r\n";
    EXPECT_EQ(saved, m_work.read("main.c"));

    slate::SP<TextBuffer> reopened = newBuffer();
    ASSERT_TRUE(reopened->load(std::make_unique<FileBufferSource>(path, kEncodingUndefined)));
    waitForRead(*reopened);
    EXPECT_EQ(buffer->str(), reopened->str());
    EXPECT_TRUE(reopened->matchSelector(static_cast<int64_t>(reopened->str().find(u"x =")), u"source.c"));

    // Undoing back to the file as it was read and saving gives its bytes.
    buffer->undo();
    ASSERT_TRUE(buffer->save());
    EXPECT_EQ(original, m_work.read("main.c"));

    // Another program changes the file; a revert reads it again as one step.
    m_work.write("main.c", "int main(void) { return 1; }\r\n");
    ASSERT_TRUE(buffer->revert());
    waitForRead(*buffer);
    EXPECT_EQ(u"int main(void) { return 1; }\n", buffer->str());
    EXPECT_FALSE(buffer->isDirty());
    buffer->undo();
    EXPECT_EQ(u"int main(void)\n{\n    return 0; /* done */\n}\n", buffer->str());
}

} // namespace
