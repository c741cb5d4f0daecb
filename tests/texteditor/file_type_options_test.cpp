#include "texteditor/file_type_options.h"

#include <gtest/gtest.h>

#include "texteditor/application_fixture.h"

namespace application_test {
namespace {

class FileTypeOptionsTest : public ApplicationTest {
protected:
    void SetUp() override
    {
        ApplicationTest::SetUp();
        writePackageFile("Default/Options/Default File Type.vantrel-options",
                         "tab_size 8\nword_wrap false\nfont_face Mono\nrulers []");
        writePackageFile("Default/Options/User File Type.vantrel-options", "tab_size 4");
        writePackageFile("Python/Python.vantrel-options", "tab_size 2\nword_wrap true");
        writePackageFile("Text/Plain Text.vantrel-options", "spell_check true");
        linkFileTypeOptions();
    }

    static ustring value(const slate::SP<Options>& options, const char* key)
    {
        ustring text = u"<absent>";
        options->getString(ustring(toUstring(key)), text);
        return text;
    }
};

TEST_F(FileTypeOptionsTest, EachLayerOverridesTheOnesBelowIt)
{
    slate::SP<Options> view(new Options);
    applySyntaxOptions(view, u"Packages/Python/Python.tmLanguage");
    view->set(ustring(u"word_wrap"), u"false");
    EXPECT_EQ(u"false", value(view, "word_wrap")) << "the view's own value wins";
    EXPECT_EQ(u"2", value(view, "tab_size")) << "the syntax beats the user file";
    EXPECT_EQ(u"Mono", value(view, "font_face")) << "the default file is reached through the user file";
    EXPECT_EQ(u"Packages/Python/Python.tmLanguage", value(view, "syntax"));
    EXPECT_TRUE(hasSyntaxOptions(view, u"Packages/Python/Python.tmLanguage"));
    EXPECT_FALSE(hasSyntaxOptions(view, ustring(kPlainTextSyntaxPath)));

    slate::SP<Options> user = packageOptions(kUserFileTypeOptionsPath);
    user->set(ustring(u"font_face"), u"Serif");
    EXPECT_EQ(u"Serif", value(view, "font_face")) << "views share the cached file objects";
}

TEST_F(FileTypeOptionsTest, AnUnclaimedFileGetsPlainText)
{
    slate::SP<Options> view(new Options);
    applyFileTypeOptions(view, u"/home/me/notes.unknown");
    ASSERT_EQ(2u, view->parents().size());
    EXPECT_EQ(packageOptions(kUserFileTypeOptionsPath), view->parents()[0]);
    EXPECT_EQ(packageOptions(u"Packages/Text/Plain Text.vantrel-options"), view->parents()[1]);
    EXPECT_EQ(ustring(kPlainTextSyntaxPath), value(view, "syntax"));
    EXPECT_EQ(u"true", value(view, "spell_check"));
}

} // namespace
} // namespace application_test
