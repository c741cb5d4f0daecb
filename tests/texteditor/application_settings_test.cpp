#include "texteditor/application_settings.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/scratch_folder.h"
#include "ui/options.h"
#include "ui/unicode.h"

namespace {

using test_support::ScratchFolder;

ustring pathText(const std::filesystem::path& path)
{
    return toUstring(path.string());
}

slate::SP<Options> optionsOf(const ustring& text)
{
    slate::SP<Options> options(new Options);
    options->parse(text);
    return options;
}

// A window with every kind of field filled, and buffer texts that only come
// back when each is written the way that carries it.
WindowSettings sampleWindow()
{
    WindowSettings window;
    window.position = u"44,0,1,-1,-1,-1,-1,10,20,1210,820";
    window.layoutType = 2;
    window.rowSplits = {0.25f, 0.5f};
    window.colSplits = {0.75f};
    window.panelHeights = {{u"output", 120.0f}, {u"find", 48.0f}};
    window.activeGroup = 1;
    window.project = u"C:\\work\\demo.vantrel-project";

    WindowSettings::Group first;
    first.activeView = 1;
    first.views.push_back({u"1", optionsOf(u"caret 0,4\nfirstLine 3")});
    first.views.push_back({u"2", optionsOf(u"")});
    WindowSettings::Group second;
    second.views.push_back({u"1", optionsOf(u"caret 12,0")});
    window.groups = {first, second};

    WindowSettings::Buffer saved;
    saved.id = u"1";
    saved.fileName = u"C:\\work\\a \"quoted\" name.txt";
    saved.options = optionsOf(u"tabSize 4");
    WindowSettings::Buffer unsaved;
    unsaved.id = u"2";
    unsaved.hasContents = true;
    unsaved.contents = u"int main()\r\n{\r\n\treturn 0; // & <tag>\n}" + ustring(1, u'\0') + u"tail\r";
    WindowSettings::Buffer blank;
    blank.id = u"3";
    blank.hasContents = true;
    blank.contents = u"  \n\t\n";
    WindowSettings::Buffer closing = blank;
    closing.id = u"4";
    closing.contents = u"a ]]> b\n";
    window.buffers = {saved, unsaved, blank, closing};
    return window;
}

void expectSameOptions(const slate::SP<Options>& expected, const slate::SP<Options>& actual)
{
    ASSERT_EQ(expected == nullptr, actual == nullptr);
    if (expected) {
        EXPECT_EQ(expected->serialise(), actual->serialise());
    }
}

void expectSameWindow(const WindowSettings& expected, const WindowSettings& actual)
{
    EXPECT_EQ(expected.position, actual.position);
    EXPECT_EQ(expected.layoutType, actual.layoutType);
    EXPECT_EQ(expected.rowSplits, actual.rowSplits);
    EXPECT_EQ(expected.colSplits, actual.colSplits);
    EXPECT_EQ(expected.panelHeights, actual.panelHeights);
    EXPECT_EQ(expected.activeGroup, actual.activeGroup);
    EXPECT_EQ(expected.project, actual.project);
    ASSERT_EQ(expected.groups.size(), actual.groups.size());
    for (size_t g = 0; g < expected.groups.size(); ++g) {
        EXPECT_EQ(expected.groups[g].activeView, actual.groups[g].activeView);
        ASSERT_EQ(expected.groups[g].views.size(), actual.groups[g].views.size());
        for (size_t v = 0; v < expected.groups[g].views.size(); ++v) {
            EXPECT_EQ(expected.groups[g].views[v].bufferId, actual.groups[g].views[v].bufferId);
            expectSameOptions(expected.groups[g].views[v].options, actual.groups[g].views[v].options);
        }
    }
    ASSERT_EQ(expected.buffers.size(), actual.buffers.size());
    for (size_t b = 0; b < expected.buffers.size(); ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(expected.buffers[b].id, actual.buffers[b].id);
        EXPECT_EQ(expected.buffers[b].fileName, actual.buffers[b].fileName);
        EXPECT_EQ(expected.buffers[b].hasContents, actual.buffers[b].hasContents);
        EXPECT_EQ(expected.buffers[b].contents, actual.buffers[b].contents);
        expectSameOptions(expected.buffers[b].options, actual.buffers[b].options);
    }
}

TEST(ApplicationSettings, EmptyRecordWritesVersionAndOneLinePerHistoryAndReadsBackEmpty)
{
    const std::string text = ApplicationSettings().writeToText();
    EXPECT_EQ("<session version=\"2\">\n"
              "    <history>\n"
              "        <![CDATA[recentFiles \nrecentProjects \nfindHistory \nfindLocationHistory \n"
              "findIncludeHistory \nreplaceHistory \nconsoleHistory ]]>\n    </history>\n"
              "</session>\n",
              text);

    ApplicationSettings read;
    EXPECT_EQ("", read.readFromText(text.data(), text.size()));
    EXPECT_TRUE(read.windows.empty());
    EXPECT_TRUE(read.recentFiles.empty());
    EXPECT_TRUE(read.consoleHistory.empty());
    EXPECT_EQ(text, read.writeToText());
}

TEST(ApplicationSettings, HistoryEntriesComeBackExactly)
{
    const std::vector<ustring> entries = {
        u"say \"hi\"",       u"C:\\dir\\file.txt", u"a\tb",   u"first\nsecond", u"x]]>y",
        u"\\\"\\n literal", u"  padded  ",        u"caf\u00e9", u"'single'",
    };
    ApplicationSettings written;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        written.findHistory.add(*entry);
        written.consoleHistory.add(*entry);
    }
    written.recentFiles.add(u"C:\\dir\\file.txt");

    ScratchFolder folder;
    const ustring path = pathText(folder / "Session.vantrel-session");
    ASSERT_TRUE(written.writeToFile(path));
    // The "]]>" entry forces escaped text instead of CDATA.
    EXPECT_EQ(std::string::npos, folder.read("Session.vantrel-session").find("<![CDATA[recentFiles"));

    ApplicationSettings read;
    ASSERT_EQ(SessionReadResult::Read, read.readFromFile(path));
    EXPECT_EQ(entries, read.findHistory.entries());
    EXPECT_EQ(entries, read.consoleHistory.entries());
    EXPECT_EQ(std::vector<ustring>{u"C:\\dir\\file.txt"}, read.recentFiles.entries());
    EXPECT_EQ(u"\"C:\\\\dir\\\\file.txt\"", historyToString(read.recentFiles));
}

// The history text is one options line per list, and options refuse a CR
// or NUL in a value: such an entry is left out instead of the whole list.
TEST(ApplicationSettings, EntryTheHistoryCannotHoldLeavesTheOthers)
{
    ApplicationSettings written;
    written.replaceHistory.add(u"kept");
    written.replaceHistory.add(u"carriage\rreturn");
    written.replaceHistory.add(ustring(u"nul\0", 4));
    written.replaceHistory.add(u"also kept");
    const std::string text = written.writeToText();

    ApplicationSettings read;
    ASSERT_EQ("", read.readFromText(text.data(), text.size()));
    EXPECT_EQ((std::vector<ustring>{u"also kept", u"kept"}), read.replaceHistory.entries());
}

TEST(ApplicationSettings, WindowsRoundTripThroughAFile)
{
    ApplicationSettings written;
    written.windows = {sampleWindow(), WindowSettings()};

    ScratchFolder folder;
    const ustring path = pathText(folder / "Session.vantrel-session");
    ASSERT_TRUE(written.writeToFile(path));
    ApplicationSettings read;
    ASSERT_EQ(SessionReadResult::Read, read.readFromFile(path));
    ASSERT_EQ(2u, read.windows.size());
    expectSameWindow(written.windows[0], read.windows[0]);
    expectSameWindow(written.windows[1], read.windows[1]);
}

TEST(ApplicationSettings, ReadingTakesDefaultsLastPanelAndValuesAsWritten)
{
    const std::string text = "<session version=\"2\"><window>"
                             "<unknown>ignored</unknown><activeGroup>-3</activeGroup>"
                             "<rowsplit/><rowsplit>0.5</rowsplit>"
                             "<panel><name>output</name><height>100</height></panel>"
                             "<panel><name>output</name><height>7.5</height></panel>"
                             "<group><view><bufferId>9</bufferId></view></group>"
                             "<buffer><id>9</id></buffer>"
                             "</window></session>";
    ApplicationSettings read;
    ASSERT_EQ("", read.readFromText(text.data(), text.size()));
    ASSERT_EQ(1u, read.windows.size());
    const WindowSettings& window = read.windows[0];
    EXPECT_EQ(-3, window.activeGroup);
    EXPECT_EQ(0, window.layoutType);
    EXPECT_EQ(u"", window.position);
    EXPECT_EQ((std::vector<float>{0.0f, 0.5f}), window.rowSplits);
    EXPECT_EQ((std::map<ustring, float>{{u"output", 7.5f}}), window.panelHeights);
    ASSERT_EQ(1u, window.groups.size());
    ASSERT_EQ(1u, window.groups[0].views.size());
    EXPECT_EQ(u"9", window.groups[0].views[0].bufferId);
    ASSERT_TRUE(window.groups[0].views[0].options);
    EXPECT_TRUE(window.groups[0].views[0].options->keys().empty());
    ASSERT_EQ(1u, window.buffers.size());
    EXPECT_FALSE(window.buffers[0].options);
    EXPECT_FALSE(window.buffers[0].hasContents);
}

TEST(ApplicationSettings, FortyRecentFilesStayUntilTheNextAdd)
{
    ustring value;
    for (int i = 0; i < 40; ++i)
        value += u"\"C:\\\\file" + toUstring(std::to_string(i)) + u".txt\" ";
    const std::string text =
        "<session version=\"2\"><history><![CDATA[recentFiles " + toUtf8(value) + "]]></history></session>";

    ApplicationSettings read;
    ASSERT_EQ("", read.readFromText(text.data(), text.size()));
    ASSERT_EQ(40u, read.recentFiles.size());
    EXPECT_EQ(u"C:\\file39.txt", read.recentFiles[39]);
    read.recentFiles.add(u"C:\\new.txt");
    EXPECT_EQ(32u, read.recentFiles.size());
    EXPECT_EQ(u"C:\\new.txt", read.recentFiles[0]);
}

TEST(ApplicationSettings, UnusableFilesAreRefusedWithTheReasonAndChangeNothing)
{
    ApplicationSettings full;
    full.findHistory.add(u"needle");
    full.windows = {sampleWindow()};
    const std::string good = full.writeToText();
    auto withVersion = [&good](const std::string& attribute) {
        std::string text = good;
        text.replace(text.find("version=\"2\""), 11, attribute);
        return text;
    };

    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"older version", withVersion("version=\"1\""), "session version \"1\" is not one"},
        {"version with a point", withVersion("version=\"2.0\""), "session version \"2.0\" is not one"},
        {"newer program", withVersion("version=\"3\""), "newer version of the program (session version 3)"},
        {"no version", withVersion("kind=\"2\""), "does not say which version"},
        {"cut short", good.substr(0, good.size() / 2), "damaged or incomplete"},
        {"empty", "", "damaged or incomplete"},
        {"not XML", "\x89PNG\r\n\x1a\n", "damaged or incomplete"},
        {"another document", "<project version=\"2\"/>", "not a session file"},
    };
    ScratchFolder folder;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const ustring path = folder.write("Session.vantrel-session", row.bytes);
        ApplicationSettings read;
        ustring error;
        EXPECT_EQ(SessionReadResult::Refused, read.readFromFile(path, &error));
        EXPECT_NE(ustring::npos, error.find(path));
        EXPECT_NE(std::string::npos, toUtf8(error).find(row.reason)) << toUtf8(error);
        EXPECT_TRUE(read.windows.empty());
        EXPECT_TRUE(read.findHistory.empty());
    }
}

TEST(ApplicationSettings, EveryTruncationOfASessionIsRefused)
{
    ApplicationSettings full;
    full.recentFiles.add(u"C:\\a.txt");
    full.windows = {sampleWindow()};
    const std::string text = full.writeToText();
    const size_t end = text.rfind("</session>") + std::string("</session>").size();
    for (size_t length = 0; length < end; ++length) {
        ApplicationSettings read;
        if (read.readFromText(text.data(), length).empty())
            ADD_FAILURE() << "a session cut to " << length << " of " << text.size() << " bytes was read";
    }
}

TEST(ApplicationSettings, MissingFileIsNoError)
{
    ScratchFolder folder;
    ApplicationSettings read;
    ustring error = u"untouched";
    EXPECT_EQ(SessionReadResult::Missing, read.readFromFile(pathText(folder / "none.vantrel-session"), &error));
    EXPECT_EQ(u"untouched", error);
}

// A save that cannot finish must leave the last good session: the old file
// is replaced only by a rename of a complete new one.
TEST(ApplicationSettings, FailedWriteLeavesThePreviousFile)
{
    ScratchFolder folder;
    const ustring path = folder.write("Session.vantrel-session", "previous");
    std::filesystem::permissions(folder / "Session.vantrel-session", std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::replace);
    ApplicationSettings record;
    record.windows = {sampleWindow()};
    EXPECT_FALSE(record.writeToFile(path));
    EXPECT_EQ("previous", folder.read("Session.vantrel-session"));
    EXPECT_FALSE(record.writeToFile(pathText(folder / "missing" / "Session.vantrel-session")));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder.path()), {}));
}

} // namespace
