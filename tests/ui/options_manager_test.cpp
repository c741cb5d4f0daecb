#include "ui/options_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/memory_file_system.h"

using slate::SP;
using testing_support::MemoryFileSystem;

namespace {

const char16_t kApplication[] = u"Packages/Default/Options/Application.vantrel-options";

// The options cache over in-memory file systems at "Packages/" and
// "UserOptions/"; changes are queued on them and delivered by update, as
// WM_FILES_CHANGED does.
class OptionsManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_packages = new MemoryFileSystem(u"packages/");
        m_user = new MemoryFileSystem(u"user/");
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/", m_packages);
        slate::FileManager::get().mount(u"UserOptions/", m_user);
        m_packages->addFile(u"Default/Options/Application.vantrel-options", "font_size 10");
        OptionsManager::create();
    }
    void TearDown() override
    {
        if (OptionsManager::alive())
            OptionsManager::destroy();
        slate::FileManager::destroy();
    }

    // Rewrites a file under "Packages/" and reports it written.
    void writePackageFile(const ustring& path, const std::string& bytes)
    {
        m_packages->addFile(path, bytes);
        m_packages->queueChange(path, FileChangeModified);
        slate::FileManager::get().update();
    }
    static ustring value(const SP<Options>& options, const char* key)
    {
        ustring text = u"<missing>";
        options->getString(key, text);
        return text;
    }

    MemoryFileSystem* m_packages;
    MemoryFileSystem* m_user;
};

} // namespace

TEST_F(OptionsManagerTest, HandsOutOneObjectPerPath)
{
    ASSERT_TRUE(OptionsManager::alive());
    SP<Options> first = OptionsManager::get().getOptions(kApplication);
    SP<Options> second =
        OptionsManager::get().getOptions(std::string("Packages/Default/Options/Application.vantrel-options"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(u"10", value(first, "font_size"));
    first->set("font_size", u"12");
    EXPECT_EQ(u"12", value(second, "font_size"));

    // A missing file gives empty options, cached all the same.
    SP<Options> missing = OptionsManager::get().getOptions(u"Packages/Missing.vantrel-options");
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->keys().empty());
    EXPECT_EQ(missing, OptionsManager::get().getOptions(u"Packages/Missing.vantrel-options"));
}

TEST_F(OptionsManagerTest, WrittenFileIsReloadedInPlaceAndChainNotified)
{
    std::vector<std::string> calls;
    SP<Options> application = OptionsManager::get().getOptions(kApplication);
    SP<Options> child(new Options);
    child->addParent(application);
    application->addListener([&] { calls.push_back("application " + std::to_string(application->keys().size())); });
    child->addListener([&] { calls.push_back("child"); });

    writePackageFile(u"Default/Options/Application.vantrel-options", "font_size 14\ntheme x");
    EXPECT_EQ((std::vector<std::string>{"application 2", "child"}), calls);
    EXPECT_EQ(u"14", value(child, "font_size"));
    EXPECT_EQ(application, OptionsManager::get().getOptions(kApplication));
    EXPECT_EQ(1u, child->parents().size());
}

TEST_F(OptionsManagerTest, ReloadsOnlyCachedPathsUnderWatchedPatterns)
{
    std::vector<std::string> calls;
    m_packages->addFile(u"Make/Make.vantrel-build", "cmd make");
    SP<Options> build = OptionsManager::get().getOptions(u"Packages/Make/Make.vantrel-build");
    SP<Options> user = OptionsManager::get().getOptions(u"UserOptions/User.vantrel-options");
    SP<Options> theme = OptionsManager::get().getOptions(u"Packages/Theme/Dark.vantrel-theme");
    SP<Options> application = OptionsManager::get().getOptions(kApplication);
    build->addListener([&] { calls.push_back("build"); });
    user->addListener([&] { calls.push_back("user"); });
    theme->addListener([&] { calls.push_back("theme"); });
    application->addListener([&] { calls.push_back("application"); });

    struct Change {
        MemoryFileSystem* system;
        const char16_t* path;
        int32_t flags;
    };
    const Change changes[] = {
        {m_packages, u"Make/Make.vantrel-build", FileChangeModified},
        // The cache compares exactly; the watch patterns ignore case.
        {m_packages, u"default/options/application.vantrel-options", FileChangeModified},
        // "UserOptions/" is not watched for reloads.
        {m_user, u"User.vantrel-options", FileChangeModified},
        // Themes only once start-up asks for them.
        {m_packages, u"Theme/Dark.vantrel-theme", FileChangeModified},
        // A removal leaves the values in use; a replacement (reported as an
        // addition) reloads.
        {m_packages, u"Default/Options/Application.vantrel-options", FileChangeRemoved},
        {m_packages, u"Default/Options/Application.vantrel-options", FileChangeAdded},
        // Not cached: not loaded now either.
        {m_packages, u"Other/Other.vantrel-options", FileChangeModified},
    };
    for (const Change& change : changes)
        change.system->queueChange(change.path, change.flags);
    slate::FileManager::get().update();
    EXPECT_EQ((std::vector<std::string>{"build", "application"}), calls);

    calls.clear();
    OptionsManager::get().watch(u"*.vantrel-theme");
    m_packages->addFile(u"Theme/Dark.vantrel-theme", "background #000000");
    m_packages->queueChange(u"Theme/Dark.vantrel-theme", FileChangeModified);
    slate::FileManager::get().update();
    EXPECT_EQ((std::vector<std::string>{"theme"}), calls);
    EXPECT_EQ(u"#000000", value(theme, "background"));
}

TEST_F(OptionsManagerTest, ReloadOfUncachedPathCachesNothing)
{
    m_packages->addFile(u"Other.vantrel-options", "a 1");
    OptionsManager::get().reload(u"Packages/Other.vantrel-options");
    m_packages->addFile(u"Other.vantrel-options", "a 2");
    EXPECT_EQ(u"2", value(OptionsManager::get().getOptions(u"Packages/Other.vantrel-options"), "a"));
}

TEST_F(OptionsManagerTest, FileCreatedAfterFirstRequestLoadsWhenItAppears)
{
    SP<Options> options = OptionsManager::get().getOptions(u"Packages/Late.vantrel-options");
    m_packages->addFile(u"Late.vantrel-options", "a 1");
    m_packages->queueChange(u"Late.vantrel-options", FileChangeAdded);
    slate::FileManager::get().update();
    EXPECT_EQ(u"1", value(options, "a"));
    writePackageFile(u"Late.vantrel-options", "a 2");
    EXPECT_EQ(u"2", value(options, "a"));
}

TEST_F(OptionsManagerTest, UnreadableChangedFileKeepsValuesInUse)
{
    int calls = 0;
    SP<Options> application = OptionsManager::get().getOptions(kApplication);
    application->addListener([&] { ++calls; });
    m_packages->remove(u"Default/Options/Application.vantrel-options");
    m_packages->queueChange(u"Default/Options/Application.vantrel-options", FileChangeModified);
    slate::FileManager::get().update();
    EXPECT_EQ(0, calls);
    EXPECT_EQ(u"10", value(application, "font_size"));
}

TEST_F(OptionsManagerTest, DestroyRemovesWatchesAndOutlivedOptionsStayUsable)
{
    SP<Options> application = OptionsManager::get().getOptions(kApplication);
    OptionsManager::destroy();
    EXPECT_FALSE(OptionsManager::alive());
    // A change after destruction reaches no watch of the dead manager.
    writePackageFile(u"Default/Options/Application.vantrel-options", "font_size 20");
    EXPECT_EQ(u"10", value(application, "font_size"));
    EXPECT_EQ(1, application->referenceCount());

    OptionsManager::create();
    EXPECT_EQ(u"20", value(OptionsManager::get().getOptions(kApplication), "font_size"));
}

TEST(OptionsManagerWithoutFiles, WorksWithEmptyOptions)
{
    ASSERT_FALSE(slate::FileManager::alive());
    OptionsManager::create();
    SP<Options> options = OptionsManager::get().getOptions(u"Packages/x.vantrel-options");
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->keys().empty());
    OptionsManager::get().watch(u"*.vantrel-theme");
    OptionsManager::destroy();
}
