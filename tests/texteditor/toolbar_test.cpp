#include "texteditor/toolbar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/text/package_test_support.h"
#include "ui/text/view_test_canvas.h"
#include "ui/unicode.h"

namespace {

const char kPath[] = "Default/Main.vantrel-toolbar";
const ustring kVirtualPath = u"Packages/Default/Main.vantrel-toolbar";

const char kTwoGroups[] = R"(<toolbar>
    <group>
        <button command="new" caption="New File" icon="Packages/Theme/new.png"/>
        <separator/>
        <button command="save"/>
        <button caption="Only a caption" icon="x.png"/>
    </group>
    <other><button command="ignored"/></other>
    <group></group>
</toolbar>)";

class ToolbarTest : public testing::Test {
protected:
    // The groups as command|caption|icon texts.
    std::vector<std::vector<std::string>> shown() const
    {
        std::vector<std::vector<std::string>> groups;
        for (const ToolbarGroup& group : m_toolbar.groups()) {
            std::vector<std::string>& buttons = groups.emplace_back();
            for (const ToolbarButton& button : group) {
                EXPECT_NE(nullptr, button.icon);
                buttons.push_back(toUtf8(button.command) + "|" + toUtf8(button.caption));
            }
        }
        return groups;
    }

    package_test::ReportedErrors m_errors;
    package_test::MemoryPackages m_packages;
    GridRecordingCanvas m_canvas;
    Toolbar m_toolbar;
};

TEST_F(ToolbarTest, GroupsAndButtonsComeInFileOrderWithEmptyDefaults)
{
    m_packages.add(toUstring(kPath), kTwoGroups);
    EXPECT_TRUE(m_toolbar.watchAndLoad(&m_canvas, kVirtualPath));
    const std::vector<std::vector<std::string>> expected = {
        {"new|New File", "save|", "|Only a caption"},
        {},
    };
    EXPECT_EQ(expected, shown());
    EXPECT_TRUE(m_errors.take().empty());

    std::vector<ToolbarFileGroup> entries;
    size_t hash = 0;
    EXPECT_EQ("", readToolbarFile(kVirtualPath, entries, hash));
    EXPECT_EQ(u"Packages/Theme/new.png", entries[0][0].icon);
    EXPECT_EQ(u"", entries[0][1].icon);
}

TEST_F(ToolbarTest, AChangedFileIsLoadedAgain)
{
    m_packages.add(toUstring(kPath), kTwoGroups);
    ASSERT_TRUE(m_toolbar.watchAndLoad(&m_canvas, kVirtualPath));
    m_packages.change(toUstring(kPath), R"(<t><group><button command="redo"/></group></t>)");
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"redo|"}}), shown());
}

// One save may reach the watch as a write and a re-creation, and the same
// broken file may be reloaded again and again: the error is shown once for
// it, and the buttons of the last good file stay.
TEST_F(ToolbarTest, ABrokenFileKeepsTheOldButtonsAndIsReportedOnce)
{
    m_packages.add(toUstring(kPath), kTwoGroups);
    ASSERT_TRUE(m_toolbar.watchAndLoad(&m_canvas, kVirtualPath));
    const auto before = shown();

    const std::string broken = R"(<toolbar><group><button command="new"></group></toolbar>)";
    m_packages.change(toUstring(kPath), broken, FileChangeModified);
    m_packages.change(toUstring(kPath), broken, FileChangeAdded);
    EXPECT_FALSE(m_toolbar.load(kVirtualPath));
    EXPECT_EQ(before, shown());
    const std::vector<std::string> errors = m_errors.take();
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(0u, errors[0].find("Error parsing toolbar xml: "));
    EXPECT_NE(std::string::npos, errors[0].find(" In file Packages/Default/Main.vantrel-toolbar"));

    // Broken in another way, it is reported again; once mended and broken
    // again as before, too.
    m_packages.change(toUstring(kPath), "<toolbar><group>");
    m_packages.change(toUstring(kPath), kTwoGroups);
    m_packages.change(toUstring(kPath), broken);
    EXPECT_EQ(2u, m_errors.take().size());
    EXPECT_EQ(before, shown());
}

TEST_F(ToolbarTest, AMissingFileGivesAnEmptyToolbarAndAnError)
{
    EXPECT_FALSE(m_toolbar.watchAndLoad(&m_canvas, kVirtualPath));
    EXPECT_TRUE(m_toolbar.groups().empty());
    EXPECT_EQ((std::vector<std::string>{"Error parsing toolbar xml: Failed to open file In file "
                                        "Packages/Default/Main.vantrel-toolbar"}),
              m_errors.take());
}

TEST_F(ToolbarTest, NothingLoadsWithoutACanvas)
{
    m_packages.add(toUstring(kPath), kTwoGroups);
    EXPECT_FALSE(m_toolbar.load(kVirtualPath));
    EXPECT_TRUE(m_toolbar.groups().empty());
}

} // namespace
