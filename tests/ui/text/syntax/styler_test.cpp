#include "ui/text/syntax/styler.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "canvas/util/colour.h"
#include "ui/options_manager.h"
#include "ui/text/package_test_support.h"

using slate::SP;

namespace {

const char16_t kDefaultFileType[] = u"Packages/Default/Options/Default File Type.vantrel-options";

std::string schemeWithBackground(const std::string& background)
{
    return package_test::plist(
        "<dict><key>settings</key><array><dict><key>settings</key>" +
        package_test::stringDict({{"background", background}, {"caret", "#FFFFFF"}}) +
        "</dict><dict><key>scope</key><string>string</string><key>settings</key>" +
        package_test::stringDict({{"foreground", "#00FF00"}}) + "</dict></array></dict>");
}
const std::string kMalformedScheme = package_test::plist("<dict></dict>");

float red(const SP<ScopeStyler>& styler) { return styler->colours().background[0]; }

// The styler singleton with the services it reports to and refreshes through:
// packages in memory, the options manager and a recording notification
// manager.
class StylerTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_packages.add(u"Default/Options/Default File Type.vantrel-options", "tab_size 4");
        OptionsManager::create();
        Styler::create();
    }
    void TearDown() override
    {
        m_view.reset();
        Styler::destroy();
        OptionsManager::destroy();
    }

    // Stands in for a view: it takes its styler from its scheme path now and
    // again whenever the default file-type options change.
    void openView(const ustring& scheme)
    {
        m_view = Styler::get().scopeStylerFor(scheme);
        SP<Options> options = OptionsManager::get().getOptions(ustring(kDefaultFileType));
        options->addListener([this, scheme] {
            ++m_refreshes;
            m_view = Styler::get().scopeStylerFor(scheme);
        });
    }

    package_test::ReportedErrors m_errors;
    package_test::MemoryPackages m_packages;
    SP<ScopeStyler> m_view;
    int m_refreshes = 0;
};

TEST_F(StylerTest, DefaultStylerIsBlackOnWhite)
{
    package_test::Scopes scopes;
    SP<ScopeStyler> first = Styler::get().defaultScopeStyler();
    SP<ScopeStyler> second = Styler::get().scopeStylerFor(u"");
    EXPECT_NE(first, second);
    EXPECT_EQ(first->regexStyler(), second->regexStyler());
    EXPECT_EQ(Style(), *first->styleForScope(scopes(u"string.quoted source.js ")));
    EXPECT_EQ(Style(), *first->styleForScope(nullptr));
    EXPECT_EQ(0.0f, first->colours().brackets[0]);
    EXPECT_EQ(1.0f, first->colours().background[0]);
}

TEST_F(StylerTest, LoadedSchemeIsSharedByPath)
{
    m_packages.add(u"Themes/Red.tmTheme", schemeWithBackground("#FF0000"));
    SP<ScopeStyler> first = Styler::get().scopeStylerFor(u"Packages/Themes/Red.tmTheme");
    SP<ScopeStyler> second = Styler::get().scopeStylerFor(u"Packages/Themes/Red.tmTheme");
    EXPECT_NE(first, second);
    EXPECT_EQ(first->regexStyler(), second->regexStyler());
    EXPECT_EQ(1.0f, red(first));
    EXPECT_NE(Styler::get().defaultScopeStyler()->regexStyler(), first->regexStyler());
    EXPECT_TRUE(m_errors.take().empty());
}

TEST_F(StylerTest, FailingSchemeIsReportedOnEveryRequestAndGivesTheDefault)
{
    const SP<RegexSelectorStyler> defaultScheme = Styler::get().defaultScopeStyler()->regexStyler();
    m_packages.add(u"Bad.tmTheme", kMalformedScheme);
    for (int request = 0; request < 2; ++request) {
        SCOPED_TRACE(request);
        SP<ScopeStyler> styler = Styler::get().scopeStylerFor(u"Packages/Bad.tmTheme");
        EXPECT_EQ(defaultScheme, styler->regexStyler());
        EXPECT_EQ(std::vector<std::string>{
                      "Error loading colour scheme Packages/Bad.tmTheme: Malformed color scheme"},
                  m_errors.take());
    }

    // A missing file is reported with the reader's message.
    Styler::get().scopeStylerFor(u"Packages/Missing.tmTheme");
    std::vector<std::string> errors = m_errors.take();
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(0u, errors[0].find("Error loading colour scheme Packages/Missing.tmTheme: "));

    // Nothing was cached: the next request after a repair loads the file.
    m_packages.add(u"Bad.tmTheme", schemeWithBackground("#FF0000"));
    EXPECT_EQ(1.0f, red(Styler::get().scopeStylerFor(u"Packages/Bad.tmTheme")));
    EXPECT_TRUE(m_errors.take().empty());
}

TEST_F(StylerTest, ChangedSchemeInUseIsReloadedThroughTheOptions)
{
    package_test::Scopes scopes;
    m_packages.add(u"Themes/Theme.tmTheme", schemeWithBackground("#FF0000"));
    m_packages.add(u"Themes/Unused.tmTheme", schemeWithBackground("#0000FF"));
    openView(u"Packages/Themes/Theme.tmTheme");
    SP<ScopeStyler> before = m_view;
    const Style* oldStyle = before->styleForScope(scopes(u"string source "));

    m_packages.change(u"Themes/Unused.tmTheme", schemeWithBackground("#00FF00"));
    EXPECT_EQ(0, m_refreshes);

    m_packages.change(u"Themes/Theme.tmTheme", schemeWithBackground("#000000"));
    EXPECT_EQ(1, m_refreshes);
    EXPECT_NE(before->regexStyler(), m_view->regexStyler());
    EXPECT_EQ(0.0f, red(m_view));
    // The old styler and its styles live on until it is released.
    EXPECT_EQ(1.0f, red(before));
    EXPECT_EQ(1.0f, oldStyle->foreground[1]);

    // A removed file counts as a change as well; the view then falls back to
    // the default scheme, with a report.
    m_packages.change(u"Themes/Theme.tmTheme", "", FileChangeRemoved);
    EXPECT_EQ(2, m_refreshes);
    EXPECT_EQ(Styler::get().defaultScopeStyler()->regexStyler(), m_view->regexStyler());
    EXPECT_EQ(1u, m_errors.take().size());
}

TEST_F(StylerTest, ChangeIsMatchedWithoutRegardToCase)
{
    // The view spells the path in its own case; the file system reports the
    // change in the file's. (The in-memory file system is case-sensitive, so
    // the file is written under both names.)
    m_packages.add(u"themes/theme.tmTheme", schemeWithBackground("#FF0000"));
    openView(u"Packages/themes/theme.tmTheme");
    EXPECT_EQ(1.0f, red(m_view));
    m_packages.add(u"themes/theme.tmTheme", schemeWithBackground("#000000"));
    m_packages.change(u"Themes/Theme.tmTheme", schemeWithBackground("#000000"));
    EXPECT_EQ(1, m_refreshes);
    EXPECT_EQ(0.0f, red(m_view));
}

// A view whose scheme failed shows the default colours; repairing the file
// must bring the scheme in without the user having to choose it again.
TEST_F(StylerTest, FailingSchemeIsRetriedWhenItsFileChanges)
{
    const SP<RegexSelectorStyler> defaultScheme = Styler::get().defaultScopeStyler()->regexStyler();
    m_packages.add(u"Theme.tmTheme", kMalformedScheme);
    openView(u"Packages/Theme.tmTheme");
    EXPECT_EQ(defaultScheme, m_view->regexStyler());
    EXPECT_EQ(1u, m_errors.take().size());

    m_packages.change(u"Theme.tmTheme", schemeWithBackground("#FF0000"));
    EXPECT_EQ(1, m_refreshes);
    EXPECT_EQ(1.0f, red(m_view));
    EXPECT_TRUE(m_errors.take().empty());

    // Once loaded, later changes follow the ordinary path.
    m_packages.change(u"Theme.tmTheme", schemeWithBackground("#000000"));
    EXPECT_EQ(2, m_refreshes);
    EXPECT_EQ(0.0f, red(m_view));
}

} // namespace
