#include "ui/text/view_settings.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/blank_canvas.h"
#include "support/fixed_advance_font.h"
#include "ui/options.h"
#include "ui/options_manager.h"
#include "ui/text/package_test_support.h"
#include "ui/text/syntax/styler.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

using slate::SP;

namespace {

// A canvas whose fonts advance every character by 0.6 of their point size,
// so "Courier New 10" measures 'm' as 6 and "Mono 20" as 12. It draws
// nothing.
class MeasuringCanvas : public BlankCanvas {
protected:
    UnicodeFont* createFont(const ustring&, const ustring&, int size, int) override
    {
        return new FixedAdvanceFont(0.6f * static_cast<float>(size), 1.5f * static_cast<float>(size));
    }
};

const char16_t kSchemePath[] = u"Packages/Test.tmTheme";

// Distinct colours for every derived entry: background black, caret red,
// foreground white, selection blue, line highlight green.
const std::string kScheme = package_test::plist(
    "<dict><key>settings</key><array><dict><key>settings</key>" +
    package_test::stringDict({{"background", "#000000"},
                              {"caret", "#FF0000"},
                              {"foreground", "#FFFFFF"},
                              {"selection", "#0000FF"},
                              {"lineHighlight", "#00FF00"}}) +
    "</dict></array></dict>");

using view_test::optionsFrom;

std::vector<float> colour(const float c[3]) { return {c[0], c[1], c[2]}; }

class ViewSettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_packages.add(u"Test.tmTheme", kScheme);
        m_packages.add(u"Broken.tmTheme", package_test::plist("<dict></dict>"));
        OptionsManager::create();
        Styler::create();
    }
    void TearDown() override
    {
        Styler::destroy();
        OptionsManager::destroy();
    }

    package_test::ReportedErrors m_errors;
    package_test::MemoryPackages m_packages;
    MeasuringCanvas m_canvas;
};

TEST_F(ViewSettingsTest, DefaultsUseTheCanvasFontUntilOptionsAreRead)
{
    ViewSettings settings(&m_canvas);
    EXPECT_EQ(m_canvas.getFont(u"Courier New 10", 0), settings.layout.font);
    EXPECT_EQ(10.f, settings.layout.tabWidth);
    EXPECT_EQ(0.f, settings.layout.wrapWidth);
    EXPECT_TRUE(settings.layout.wordWrap);
    EXPECT_EQ(colour(settings.backgroundColour),
              (std::vector<float>{117 / 255.f, 115 / 255.f, 106 / 255.f}));
    EXPECT_EQ(colour(settings.selectionStyle.background), (std::vector<float>{0, 0, 1}));
    EXPECT_FALSE(settings.selectionStyle.backgroundIsDefault);
    EXPECT_EQ(settings.selectionStyle, settings.mixedSelectionStyle);

    EXPECT_EQ(nullptr, ViewSettings(nullptr).layout.font);
}

TEST_F(ViewSettingsTest, WidthsAreCountedInAdvancesOfM)
{
    struct Case {
        const char* options;
        float tabWidth;
        float wrapWidth;
    };
    const Case cases[] = {
        {"", 4 * 6.f, 0.f},
        {"tabSize 0", 1 * 6.f, 0.f},
        {"tabSize 100", 32 * 6.f, 0.f},
        {"tabSize -3", 1 * 6.f, 0.f},
        {"wrapWidth 80", 4 * 6.f, 80 * 6.f},
        {"wrapWidth -5", 4 * 6.f, 0.f},
        {"wrapWidth nan", 4 * 6.f, 0.f},
        {"font Mono 20\ntabSize 2\nwrapWidth 10", 2 * 12.f, 10 * 12.f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        ViewSettings settings(&m_canvas);
        settings.read(*optionsFrom(c.options));
        EXPECT_EQ(c.tabWidth, settings.layout.tabWidth);
        EXPECT_EQ(c.wrapWidth, settings.layout.wrapWidth);
    }
}

TEST_F(ViewSettingsTest, FontOptionChoosesTheCanvasFont)
{
    ViewSettings settings(&m_canvas);
    settings.read(*optionsFrom("font Mono 20"));
    EXPECT_EQ(m_canvas.getFont(u"Mono 20", 0), settings.layout.font);
    // Without the key the font stays.
    settings.read(*optionsFrom(""));
    EXPECT_EQ(m_canvas.getFont(u"Mono 20", 0), settings.layout.font);
}

TEST_F(ViewSettingsTest, RulersAreSplitAtSpacesAndTrimmedOfCommas)
{
    struct Case {
        const char* options;
        std::vector<float> rulers;
    };
    const Case cases[] = {
        {"rulers 80, 120", {80 * 6.f, 120 * 6.f}},
        {"rulers 80,,  ", {80 * 6.f}},
        {"rulers ,  ,", {}},
        {"rulers 7.5", {7.5f * 6.f}},
        {"font Mono 20\nrulers 10", {10 * 12.f}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        ViewSettings settings(&m_canvas);
        settings.rulers = {1.f, 2.f}; // emptied first, whatever is read
        settings.read(*optionsFrom(c.options));
        EXPECT_EQ(c.rulers, settings.rulers);
    }
}

TEST_F(ViewSettingsTest, WithoutAFontWidthsKeepTheirValuesAndThereAreNoRulers)
{
    ViewSettings settings(nullptr);
    settings.read(*optionsFrom("font Mono 20\ntabSize 2\nwrapWidth 10\nrulers 80"));
    EXPECT_EQ(nullptr, settings.layout.font);
    EXPECT_EQ(10.f, settings.layout.tabWidth);
    EXPECT_EQ(0.f, settings.layout.wrapWidth);
    EXPECT_TRUE(settings.rulers.empty());
}

TEST_F(ViewSettingsTest, TextValuedKeysAreComparedExactly)
{
    struct Case {
        const char* options;
        ClickToScroll clickToScroll;
        bool allWhiteSpace;
        bool selectionWhiteSpace;
        bool vertical;
        bool horizontal;
    };
    const Case cases[] = {
        {"", ClickToScroll::kClickToScrollOff, false, false, true, true},
        {"clickToScroll true", ClickToScroll::kClickToScrollPosition, false, false, true, true},
        {"clickToScroll position", ClickToScroll::kClickToScrollPosition, false, false, true, true},
        {"clickToScroll text", ClickToScroll::kClickToScrollText, false, false, true, true},
        {"clickToScroll Text", ClickToScroll::kClickToScrollOff, false, false, true, true},
        {"drawWhiteSpace selection", ClickToScroll::kClickToScrollOff, false, true, true, true},
        {"drawWhiteSpace all", ClickToScroll::kClickToScrollOff, true, true, true, true},
        {"drawWhiteSpace All", ClickToScroll::kClickToScrollOff, false, false, true, true},
        {"wantScrollBars false", ClickToScroll::kClickToScrollOff, false, false, false, false},
        {"wantScrollBars false\nwantVerticalScrollBar true", ClickToScroll::kClickToScrollOff, false, false, true, false},
        {"wantHorizontalScrollBar 1", ClickToScroll::kClickToScrollOff, false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        ViewSettings settings(&m_canvas);
        // Keys that fall back to a default when absent, whatever was set.
        settings.clickToScroll = ClickToScroll::kClickToScrollText;
        settings.drawAllWhiteSpace = settings.drawSelectionWhiteSpace = true;
        settings.wantVerticalScrollBar = settings.wantHorizontalScrollBar = false;
        settings.read(*optionsFrom(c.options));
        EXPECT_EQ(c.clickToScroll, settings.clickToScroll);
        EXPECT_EQ(c.allWhiteSpace, settings.drawAllWhiteSpace);
        EXPECT_EQ(c.selectionWhiteSpace, settings.drawSelectionWhiteSpace);
        EXPECT_EQ(c.vertical, settings.wantVerticalScrollBar);
        EXPECT_EQ(c.horizontal, settings.wantHorizontalScrollBar);
    }
}

TEST_F(ViewSettingsTest, AbsentSwitchesKeepTheirEarlierValues)
{
    SP<Options> options = optionsFrom(
        "lineNumbers true\ngutter false\nwordWrap false\nindentSubsequentLines true\n"
        "matchBrackets false\nlinePaddingTop 2\nlinePaddingBottom nan\nsyntax Packages/C/C.tmLanguage\n"
        "inverseCursorState true");
    ViewSettings settings(&m_canvas);
    settings.read(*options);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        EXPECT_TRUE(settings.lineNumbers);
        EXPECT_FALSE(settings.gutter);
        EXPECT_FALSE(settings.layout.wordWrap);
        EXPECT_TRUE(settings.layout.indentSubsequentLines);
        EXPECT_FALSE(settings.matchBrackets);
        EXPECT_EQ(2.f, settings.layout.linePaddingTop);
        EXPECT_EQ(0.f, settings.layout.linePaddingBottom); // not a number: ignored
        EXPECT_EQ(u"Packages/C/C.tmLanguage", settings.layout.syntax);
        EXPECT_TRUE(settings.inverseCursorState);
        settings.read(*optionsFrom(""));
    }
    // A value that is not "true" reads as false.
    settings.read(*optionsFrom("lineNumbers yes"));
    EXPECT_FALSE(settings.lineNumbers);
}

TEST_F(ViewSettingsTest, ColoursComeFromTheSchemeAndDroppingItRestoresTheDefaultScheme)
{
    struct Field {
        const char* name;
        std::function<std::vector<float>(const ViewSettings&)> get;
        std::vector<float> scheme;
        std::vector<float> defaults; // the default scheme's
    };
    const Field fields[] = {
        {"background", [](const ViewSettings& s) { return colour(s.backgroundColour); }, {0, 0, 0}, {1, 1, 1}},
        {"second background", [](const ViewSettings& s) { return colour(s.secondBackgroundColour); }, {0, 0, 0}, {1, 1, 1}},
        {"third background", [](const ViewSettings& s) { return colour(s.thirdBackgroundColour); }, {0, 0, 0}, {1, 1, 1}},
        {"caret", [](const ViewSettings& s) { return colour(s.caretColour); }, {1, 0, 0}, {0, 0, 0}},
        {"selection foreground", [](const ViewSettings& s) { return colour(s.selectionStyle.foreground); }, {1, 1, 1}, {1, 1, 1}},
        {"selection background", [](const ViewSettings& s) { return colour(s.selectionStyle.background); }, {0, 0, 1}, {0, 0, 0.8f}},
        {"mixed selection foreground", [](const ViewSettings& s) { return colour(s.mixedSelectionStyle.foreground); }, {1, 1, 1}, {1, 1, 1}},
        {"mixed selection background", [](const ViewSettings& s) { return colour(s.mixedSelectionStyle.background); }, {0, 0, 0.5f}, {0.6f, 0.6f, 0.6f}},
        {"line highlight", [](const ViewSettings& s) { return colour(s.lineHighlightColour); }, {0, 1, 0}, {0.9f, 0.9f, 0.9f}},
        {"mixed line highlight", [](const ViewSettings& s) { return colour(s.mixedLineHighlightColour); }, {0, 0.5f, 0}, {1, 1, 1}},
        {"quarter foreground", [](const ViewSettings& s) { return colour(s.quarterForegroundColour); }, {0.25f, 0.25f, 0.25f}, {0.25f, 0.25f, 0.25f}},
        {"brackets", [](const ViewSettings& s) { return colour(s.bracketsColour); }, {0.5f, 0, 0}, {0, 0, 0}},
        {"half foreground", [](const ViewSettings& s) { return colour(s.halfForegroundColour); }, {0.5f, 0.5f, 0.5f}, {0, 0, 0}},
    };
    SP<Options> options = optionsFrom("colorscheme Packages/Test.tmTheme");
    ViewSettings settings(&m_canvas);
    settings.read(*options);
    EXPECT_EQ(ustring(kSchemePath), settings.layout.colorscheme);
    for (const Field& field : fields) {
        SCOPED_TRACE(field.name);
        EXPECT_EQ(field.scheme, field.get(settings));
    }

    options->erase("colorscheme");
    settings.read(*options);
    EXPECT_EQ(u"", settings.layout.colorscheme);
    for (const Field& field : fields) {
        SCOPED_TRACE(field.name);
        EXPECT_EQ(field.defaults, field.get(settings));
    }
    EXPECT_TRUE(m_errors.take().empty());
}

TEST_F(ViewSettingsTest, SchemeThatFailsToLoadIsReportedAndGivesTheDefaultColours)
{
    ViewSettings settings(&m_canvas);
    settings.read(*optionsFrom("colorscheme Packages/Broken.tmTheme"));
    EXPECT_EQ(u"Packages/Broken.tmTheme", settings.layout.colorscheme);
    EXPECT_EQ(colour(settings.backgroundColour), (std::vector<float>{1, 1, 1}));
    std::vector<std::string> errors = m_errors.take();
    ASSERT_EQ(1u, errors.size());
    EXPECT_NE(std::string::npos, errors[0].find("Error loading colour scheme Packages/Broken.tmTheme"));
}

TEST(LayoutSettings, EqualOnlyWhenEveryFieldIsEqual)
{
    UnicodeFont* otherFont = reinterpret_cast<UnicodeFont*>(0x10);
    struct Case {
        const char* name;
        std::function<void(LayoutSettings&)> change;
    };
    const Case cases[] = {
        {"syntax", [](LayoutSettings& s) { s.syntax = u"Packages/C/C.tmLanguage"; }},
        {"colour scheme", [](LayoutSettings& s) { s.colorscheme = u"Packages/Test.tmTheme"; }},
        {"font", [otherFont](LayoutSettings& s) { s.font = otherFont; }},
        {"tab width", [](LayoutSettings& s) { s.tabWidth += 1.f; }},
        {"word wrap", [](LayoutSettings& s) { s.wordWrap = !s.wordWrap; }},
        {"wrap width", [](LayoutSettings& s) { s.wrapWidth = 0.f; }},
        {"padding top", [](LayoutSettings& s) { s.linePaddingTop = 1e-6f; }},
        {"padding bottom", [](LayoutSettings& s) { s.linePaddingBottom = 1.f; }},
        {"indent", [](LayoutSettings& s) { s.indentSubsequentLines = true; }},
    };
    const LayoutSettings base;
    EXPECT_EQ(base, LayoutSettings());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LayoutSettings changed = base;
        c.change(changed);
        EXPECT_NE(base, changed);
        EXPECT_FALSE(base == changed);
        LayoutSettings again = base;
        c.change(again);
        EXPECT_EQ(changed, again);
    }
}

} // namespace
