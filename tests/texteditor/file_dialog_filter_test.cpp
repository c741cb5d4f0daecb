#include "texteditor/file_dialog_filter.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/unicode.h"

namespace {

using Entry = SyntaxManager::ExtensionEntry;

const FileTypeList kTypes = {
    {u"Packages/Python/Python.tmLanguage", u"Python", {Entry{u"py", false}, Entry{u"pyw", false}}},
    {u"Packages/Make/Makefile.tmLanguage", u"", {Entry{u"mk", false}, Entry{u"GNUmakefile", true}}},
    {u"Packages/Web/Page.tmLanguage", u"Web Page", {Entry{u"htm", true}, Entry{u"html", false}}},
};

// The filter text with its NULs shown as "|", so a failure reads clearly.
std::string readable(const ustring& filter)
{
    std::string text = toUtf8(filter);
    for (char& c : text)
        if (c == '\0')
            c = '|';
    return text;
}

} // namespace

TEST(FileDialogFilter, SaveCaptionsHideHiddenExtensionsButPatternsMatchThem)
{
    EXPECT_EQ("All Files (*.*)|*.*|"
              "Python (*.py;*.pyw)|*.py;*.pyw|"
              "Makefile (*.mk)|*.mk;*.GNUmakefile|"
              "Web Page (*.html)|*.htm;*.html||",
              readable(buildFileDialogFilter(kTypes, FilterCaption::VisibleExtensions)));
}

TEST(FileDialogFilter, OpenCaptionsNameEveryExtension)
{
    EXPECT_EQ("All Files (*.*)|*.*|"
              "Python (*.py;*.pyw)|*.py;*.pyw|"
              "Makefile (*.mk;*.GNUmakefile)|*.mk;*.GNUmakefile|"
              "Web Page (*.htm;*.html)|*.htm;*.html||",
              readable(buildFileDialogFilter(kTypes, FilterCaption::AllExtensions)));
}

TEST(FileDialogFilter, WithoutFileTypesOnlyAllFilesIsOffered)
{
    EXPECT_EQ("All Files (*.*)|*.*||", readable(buildFileDialogFilter({}, FilterCaption::VisibleExtensions)));
}

TEST(FileDialogFilter, AForcedExtensionIsTheOnlyPair)
{
    EXPECT_EQ("txt|*.txt||", readable(buildSingleExtensionFilter(u"txt")));
}

TEST(FileDialogFilter, FilterIndexCountsAllFilesAsOne)
{
    EXPECT_EQ(2, fileTypeFilterIndex(kTypes, u"Packages/Python/Python.tmLanguage"));
    EXPECT_EQ(4, fileTypeFilterIndex(kTypes, u"Packages/Web/Page.tmLanguage"));
    EXPECT_EQ(0, fileTypeFilterIndex(kTypes, u"Packages/Text/Plain Text.tmLanguage"));
    EXPECT_EQ(0, fileTypeFilterIndex(kTypes, u""));
}

TEST(FileDialogFilter, FirstExtensionOfAFileTypeIncludesHiddenOnes)
{
    struct Case {
        int index; // 0-based file type, as the chosen filter pair less 2
        const char16_t* extension;
    } cases[] = {
        {0, u"py"},
        {2, u"htm"},  // hidden, still the first
        {-1, u""},    // "All Files"
        {-2, u""},    // no pair chosen
        {3, u""},     // past the list
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(row.extension, fileTypeFirstExtension(row.index, kTypes));
    }
    const FileTypeList bare = {{u"Packages/A/A.tmLanguage", u"A", {}}};
    EXPECT_EQ(u"", fileTypeFirstExtension(0, bare));
}

TEST(FileDialogFilter, SaveAsNameRule)
{
    struct Case {
        const char16_t* typed;
        const char16_t* extension;
        const char16_t* path;
    } cases[] = {
        {u"C:\\work\\foo", u"py", u"C:\\work\\foo.py"},
        {u"C:\\work\\foo.", u"py", u"C:\\work\\foo"},       // a final lone dot goes
        {u"C:\\work\\a.b", u"py", u"C:\\work\\a.b"},        // a dot inside keeps it as typed
        {u"C:\\work\\a.b.", u"py", u"C:\\work\\a.b."},      // the first dot is not the last unit
        {u"C:\\work.d\\foo", u"txt", u"C:\\work.d\\foo.txt"}, // only the last component counts
        {u"/home/me/foo", u"txt", u"/home/me/foo.txt"},
        {u"/home/me/foo", u"", u"/home/me/foo"},            // "All Files": nothing appended
        {u"foo", u"py", u"foo.py"},
        {u".profile", u"py", u".profile"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(toUtf8(ustring(row.typed)));
        EXPECT_EQ(row.path, completeSaveAsPath(row.typed, row.extension));
    }
}

TEST(FileDialogFilter, InitialNameIsEmptyForNamesNoFileCanHave)
{
    struct Case {
        const char16_t* bufferName;
        const char16_t* initial;
    } cases[] = {
        {u"notes", u"notes"},
        {u"notes.txt", u"notes.txt"},
        {u"a/b", u""},
        {u"a\\b", u""},
        {u"C:x", u""},
        {u"why?", u""},
        {u"a|b", u""},
        {u"<tag>", u""},
        {u"two\nlines", u""},
        {u"tab\there", u""},
        {u"cr\r", u""},
        {u"", u""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(toUtf8(ustring(row.bufferName)));
        EXPECT_EQ(row.initial, saveAsInitialName(row.bufferName));
    }
}

TEST(FileDialogFilter, DialogErrorNamesTheDialogAndTheCode)
{
    const ustring text = fileDialogErrorText(u"save", 12290);
    EXPECT_EQ(0u, text.find(u"Error code from save dialog: 12290\n\nYou may want to let "));
    EXPECT_NE(ustring::npos, text.find(u"@"));
}
