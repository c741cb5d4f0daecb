#include "ui/text/syntax/regex_selector_styler.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "canvas/util/colour.h"
#include "support/fixture_grammars.h"
#include "ui/text/package_test_support.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"

using package_test::KeyValues;
using slate::SP;

namespace {

const char16_t kSchemePath[] = u"Packages/Test.tmTheme";

// One element of a scheme's "settings" array; a null scope makes it a global
// entry.
struct SchemeEntry {
    const char* scope;
    KeyValues settings;
};

std::string schemeXml(const std::vector<SchemeEntry>& entries)
{
    std::string body = "<dict><key>name</key><string>Test</string><key>settings</key><array>";
    for (const SchemeEntry& entry : entries) {
        body += "<dict>";
        if (entry.scope)
            body += std::string("<key>scope</key><string>") + entry.scope + "</string>";
        body += "<key>settings</key>" + package_test::stringDict(entry.settings) + "</dict>";
    }
    return package_test::plist(body + "</array></dict>");
}

// The colour that `text` names, as parseColour reads it.
struct Rgb {
    float value[3] = {-1.0f, -1.0f, -1.0f};
};
Rgb rgb(const char16_t* text)
{
    Rgb colour;
    EXPECT_TRUE(parseColour(text, colour.value)) << toUtf8(ustring(text));
    return colour;
}
Rgb rgb(float red, float green, float blue)
{
    Rgb colour;
    colour.value[0] = red;
    colour.value[1] = green;
    colour.value[2] = blue;
    return colour;
}
// share * a + (1 - share) * b, as the scheme mixes its colours.
Rgb mix(float share, const Rgb& a, const Rgb& b)
{
    Rgb colour;
    for (int i = 0; i < 3; ++i)
        colour.value[i] = share * a.value[i] + (1.0f - share) * b.value[i];
    return colour;
}

void expectColour(const Rgb& expected, const float actual[3], const char* what)
{
    SCOPED_TRACE(what);
    EXPECT_FLOAT_EQ(expected.value[0], actual[0]);
    EXPECT_FLOAT_EQ(expected.value[1], actual[1]);
    EXPECT_FLOAT_EQ(expected.value[2], actual[2]);
}

class RegexSelectorStylerTest : public testing::Test {
protected:
    SP<RegexSelectorStyler> load(const std::vector<SchemeEntry>& entries)
    {
        return loadText(schemeXml(entries));
    }
    SP<RegexSelectorStyler> loadText(const std::string& xml)
    {
        m_packages.add(u"Test.tmTheme", xml);
        SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
        scheme->loadFromFile(kSchemePath);
        return scheme;
    }

    package_test::MemoryPackages m_packages;
    package_test::Scopes m_scopes;
};

TEST_F(RegexSelectorStylerTest, GlobalEntryGivesTheSchemeColours)
{
    SP<RegexSelectorStyler> scheme = load({
        {nullptr, {{"background", "#202020"}, {"caret", "#FF0000"}, {"selection", "#FFFFFF80"}}},
        {"comment", {{"foreground", "#00FF00"}}},
        // A later global entry adds keys and overwrites earlier ones.
        {nullptr, {{"caret", "#00FF00"}, {"foreground", "#E0E0E0"}, {"lineHighlight", "#404040"}}},
    });
    const SchemeColours& colours = scheme->colours();
    const Rgb background = rgb(u"#202020");
    const Rgb caret = rgb(u"#00FF00");
    const Rgb foreground = rgb(u"#E0E0E0");
    const Rgb selection = rgb(u"#8F8F8F"); // half white over the background, truncated

    expectColour(background, colours.background, "background");
    expectColour(caret, colours.caret, "caret");
    expectColour(selection, colours.selection, "selection");
    expectColour(mix(0.5f, background, selection), colours.selectionMix, "selectionMix");
    expectColour(foreground, colours.selectionForeground, "selectionForeground");
    expectColour(foreground, colours.selectionMixForeground, "selectionMixForeground");
    expectColour(rgb(u"#404040"), colours.lineHighlight, "lineHighlight");
    expectColour(mix(0.5f, background, rgb(u"#404040")), colours.lineHighlightMix, "lineHighlightMix");
    expectColour(mix(0.5f, background, foreground), colours.foregroundHalfMix, "foregroundHalfMix");
    expectColour(mix(0.75f, background, foreground), colours.foregroundQuarterMix, "foregroundQuarterMix");
    expectColour(mix(0.5f, background, caret), colours.brackets, "brackets");

    // The background has gone into the colours; the rest stays.
    const RegexSelectorStyler::Settings expected = {
        {u"caret", u"#00FF00"},
        {u"foreground", u"#E0E0E0"},
        {u"lineHighlight", u"#404040"},
        {u"selection", u"#FFFFFF80"},
    };
    EXPECT_EQ(expected, scheme->globalSettings());
    ASSERT_EQ(1u, scheme->ruleSettings().size());
    EXPECT_EQ(1u, scheme->selectors().size());
}

TEST_F(RegexSelectorStylerTest, ExplicitColoursOverrideDerivedOnes)
{
    SP<RegexSelectorStyler> scheme = load({{nullptr,
                                            {{"foreground", "#E0E0E0"},
                                             {"brackets", "#123456"},
                                             {"selectionForeground", "#654321"}}}});
    expectColour(rgb(u"#123456"), scheme->colours().brackets, "brackets");
    expectColour(rgb(u"#654321"), scheme->colours().selectionForeground, "selectionForeground");
    expectColour(rgb(u"#654321"), scheme->colours().selectionMixForeground, "selectionMixForeground");
}

TEST_F(RegexSelectorStylerTest, SchemeWithoutGlobalEntryKeepsDefaultColoursButBrackets)
{
    SP<RegexSelectorStyler> scheme = load({{"string", {{"fontStyle", "italic"}}}});
    const SchemeColours defaults;
    const SchemeColours& colours = scheme->colours();
    expectColour(rgb(1, 1, 1), colours.background, "background");
    expectColour(rgb(0, 0, 0.8f), colours.selection, "selection");
    expectColour(rgb(0.6f, 0.6f, 0.6f), colours.selectionMix, "selectionMix");
    expectColour(rgb(0.9f, 0.9f, 0.9f), colours.lineHighlight, "lineHighlight");
    expectColour(rgb(0.25f, 0.25f, 0.25f), colours.foregroundQuarterMix, "foregroundQuarterMix");
    expectColour(rgb(0.5f, 0.5f, 0.5f), colours.brackets, "brackets from background and caret");
    expectColour(rgb(0, 0, 0), defaults.brackets, "brackets of a scheme never loaded");

    const Style* style = scheme->styleForScope(m_scopes(u"string.quoted source.js "));
    EXPECT_EQ(Style(), *style);
}

TEST_F(RegexSelectorStylerTest, AlphaColoursAreBlendedForSchemeColoursButNotForStyles)
{
    SP<RegexSelectorStyler> scheme =
        load({{nullptr, {{"background", "#FFFFFF40"}, {"foreground", "#FF000080"}}}});
    // An eight-digit background counts by its first six digits.
    expectColour(rgb(1, 1, 1), scheme->colours().background, "background");
    expectColour(rgb(u"#FF7E7E"), scheme->colours().selectionForeground, "selectionForeground");
    // Styles read the global foreground by its first six digits.
    const Style* style = scheme->styleForScope(m_scopes(u"source.js "));
    expectColour(rgb(u"#FF0000"), style->foreground, "style foreground");
}

TEST_F(RegexSelectorStylerTest, RuleColoursWithAlphaAreBlendedOverTheSchemeBackground)
{
    SP<RegexSelectorStyler> scheme = load({
        {nullptr, {{"background", "#000000"}}},
        {"string", {{"foreground", "#FF000080"}, {"background", "#FFFFFF00"}, {"caret", "#FF000080"}}},
    });
    const RegexSelectorStyler::Settings expected = {
        {u"background", u"#000000"},
        {u"caret", u"#FF000080"}, // only foreground and background are colours of a style
        {u"foreground", u"#800000"},
    };
    ASSERT_EQ(1u, scheme->ruleSettings().size());
    EXPECT_EQ(expected, scheme->ruleSettings()[0]);
}

TEST_F(RegexSelectorStylerTest, BestMatchingRuleIsAppliedLast)
{
    SP<RegexSelectorStyler> scheme = load({
        {nullptr, {{"foreground", "#000001"}}},
        {"string", {{"foreground", "#000002"}, {"background", "#000003"}}},
        {"string.quoted", {{"foreground", "#000004"}}},
        {"source", {{"foreground", "#000005"}, {"background", "#000006"}}},
        {"comment", {{"foreground", "#000007"}}},
        {"comment", {{"foreground", "#000008"}, {"background", "#000009"}}},
    });
    struct Case {
        const char16_t* scope;
        const char16_t* foreground;
        const char16_t* background; // null: the scheme's
    } cases[] = {
        // The longer match at the same start wins the keys it sets; the
        // next-best rule fills in the rest.
        {u"string.quoted.double.js source.js ", u"#000004", u"#000003"},
        // The inner scope comes first in the scope text and wins.
        {u"string.unquoted source.js ", u"#000002", u"#000003"},
        {u"source.js ", u"#000005", u"#000006"},
        // Equal selectors: the earlier rule wins; the later one still gives
        // the key the earlier lacks.
        {u"comment.line source.js ", u"#000007", u"#000009"},
        // No rule: the global foreground.
        {u"text.plain ", u"#000001", nullptr},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(toUtf8(ustring(row.scope)));
        const Style* style = scheme->styleForScope(m_scopes(row.scope));
        expectColour(rgb(row.foreground), style->foreground, "foreground");
        if (row.background) {
            expectColour(rgb(row.background), style->background, "background");
            EXPECT_FALSE(style->backgroundIsDefault);
        } else {
            expectColour(rgb(1, 1, 1), style->background, "background");
            EXPECT_TRUE(style->backgroundIsDefault);
        }
    }
}

TEST_F(RegexSelectorStylerTest, BackgroundIsDefaultWhenItEqualsTheSchemeBackground)
{
    SP<RegexSelectorStyler> scheme = load({
        {nullptr, {{"background", "#272822"}}},
        {"same", {{"background", "#272822"}}},
        {"transparent", {{"background", "#FF000000"}}},
        {"opaque", {{"background", "#272822FF"}}},
        {"other", {{"background", "#FF0000"}}},
        {"broken", {{"background", "nocolour"}}},
    });
    struct Case {
        const char16_t* scope;
        bool backgroundIsDefault;
        Rgb background;
    } cases[] = {
        {u"same ", true, rgb(u"#272822")},
        {u"transparent ", true, rgb(u"#272822")},
        {u"opaque ", true, rgb(u"#272822")},
        {u"other ", false, rgb(u"#FF0000")},
        // A background that does not parse still counts as the rule's own.
        {u"broken ", false, rgb(1, 1, 1)},
        // No rule background: the style's own default (white), which the
        // renderer does not paint.
        {u"unstyled ", true, rgb(1, 1, 1)},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(toUtf8(ustring(row.scope)));
        const Style* style = scheme->styleForScope(m_scopes(row.scope));
        EXPECT_EQ(row.backgroundIsDefault, style->backgroundIsDefault);
        expectColour(row.background, style->background, "background");
    }
}

TEST_F(RegexSelectorStylerTest, StylesAreSharedByMergedSettings)
{
    SP<RegexSelectorStyler> scheme = load({
        {"string", {{"foreground", "#112233"}}},
        {"keyword", {{"foreground", "#112233"}, {"fontStyle", "bold"}}},
    });
    const Style* quoted = scheme->styleForScope(m_scopes(u"string.quoted source.js "));
    const Style* unquoted = scheme->styleForScope(m_scopes(u"string.unquoted.heredoc source.js "));
    const Style* keyword = scheme->styleForScope(m_scopes(u"keyword.control source.js "));
    EXPECT_EQ(quoted, unquoted);
    // Every merged key counts, even one that a style never reads.
    EXPECT_NE(quoted, keyword);
    EXPECT_EQ(*quoted, *keyword);
    // A null scope matches no rule.
    EXPECT_EQ(scheme->styleForScope(nullptr), scheme->styleForScope(m_scopes(u"text.plain ")));
    EXPECT_EQ(quoted, scheme->styleForScope(m_scopes(u"string.quoted source.js ")));
}

TEST_F(RegexSelectorStylerTest, EntriesWithoutSettingsAreIgnored)
{
    const std::string xml = package_test::plist(
        "<dict><key>settings</key><array>"
        "<dict><key>name</key><string>no settings</string></dict>"
        "<dict><key>scope</key><string>string</string></dict>"
        "<dict><key>scope</key><string>comment</string><key>settings</key>"
        "<dict><key>foreground</key><string>#010203</string></dict></dict>"
        "</array></dict>");
    SP<RegexSelectorStyler> scheme = loadText(xml);
    ASSERT_EQ(1u, scheme->ruleSettings().size());
    EXPECT_EQ(u"#010203", scheme->ruleSettings()[0].at(u"foreground"));
    EXPECT_TRUE(scheme->globalSettings().empty());
}

TEST_F(RegexSelectorStylerTest, MalformedSchemesThrowParseException)
{
    const std::string malformed = "Unabled to open color scheme Packages/Test.tmTheme: malformed plist";
    struct Case {
        const char* what;
        std::string body;
        std::string message;
    } cases[] = {
        {"empty root", "<dict></dict>", "Malformed color scheme"},
        {"no settings", "<dict><key>name</key><string>x</string></dict>", "Malformed color scheme"},
        {"root not a dictionary", "<array></array>", malformed},
        {"settings not an array", "<dict><key>settings</key><dict></dict></dict>", malformed},
        {"element not a dictionary",
         "<dict><key>settings</key><array><string>x</string></array></dict>", malformed},
        {"element settings not a dictionary",
         "<dict><key>settings</key><array><dict><key>settings</key><string>x</string></dict>"
         "</array></dict>",
         malformed},
        {"scope not a string",
         "<dict><key>settings</key><array><dict><key>scope</key><integer>1</integer>"
         "<key>settings</key><dict></dict></dict></array></dict>",
         malformed},
        {"global value not a string",
         "<dict><key>settings</key><array><dict><key>settings</key>"
         "<dict><key>background</key><integer>1</integer></dict></dict></array></dict>",
         malformed},
        {"rule value not a string",
         "<dict><key>settings</key><array><dict><key>scope</key><string>a</string>"
         "<key>settings</key><dict><key>foreground</key><true/></dict></dict></array></dict>",
         malformed},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        m_packages.add(u"Test.tmTheme", package_test::plist(row.body));
        SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
        try {
            scheme->loadFromFile(kSchemePath);
            ADD_FAILURE() << "no exception";
        } catch (const ParseException& error) {
            EXPECT_EQ(row.message, error.what());
        }
        EXPECT_TRUE(scheme->globalSettings().empty());
        EXPECT_TRUE(scheme->ruleSettings().empty());
    }
}

TEST_F(RegexSelectorStylerTest, UnreadableFileThrowsTheReadersError)
{
    SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
    EXPECT_THROW(scheme->loadFromFile(u"Packages/Missing.tmTheme"), ParseException);
    m_packages.add(u"Broken.tmTheme", "<plist><dict><key>settings</key>");
    EXPECT_THROW(scheme->loadFromFile(u"Packages/Broken.tmTheme"), ParseException);
}

// Every colour scheme of the fixtures loads and colours the common scopes
// from a rule of its own.
TEST_F(RegexSelectorStylerTest, EveryFixtureThemeStylesTheCommonScopes)
{
    const std::vector<std::filesystem::path> themes = test_support::fixtureThemeFiles();
    ASSERT_FALSE(themes.empty());

    const char16_t* scopes[] = {
        u"comment.line.double-slash.js source.js ",
        u"string.quoted.double.js source.js ",
        u"keyword.control.flow.js source.js ",
        u"entity.name.function.js meta.function.js source.js ",
    };
    for (const std::filesystem::path& theme : themes) {
        SCOPED_TRACE(theme.filename().string());
        std::ifstream stream(theme, std::ios::binary);
        std::ostringstream bytes;
        bytes << stream.rdbuf();
        m_packages.add(u"Theme.tmTheme", bytes.str());

        SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
        ASSERT_NO_THROW(scheme->loadFromFile(u"Packages/Theme.tmTheme"));
        ASSERT_FALSE(scheme->selectors().empty());
        EXPECT_FALSE(scheme->globalSettings().count(u"background"));

        for (const char16_t* text : scopes) {
            SCOPED_TRACE(toUtf8(ustring(text)));
            const ScopeRecord* scope = m_scopes(text);
            // The best-ranked rule that sets a foreground gives the style's.
            std::vector<int> matches;
            scheme->selectors().allMatches(scope->text, matches);
            const ustring* foreground = nullptr;
            for (int index : matches) {
                const RegexSelectorStyler::Settings& rule = scheme->ruleSettings()[static_cast<size_t>(index)];
                auto found = rule.find(u"foreground");
                if (found != rule.end()) {
                    foreground = &found->second;
                    break;
                }
            }
            ASSERT_TRUE(foreground) << "no rule colours it";
            const Style* style = scheme->styleForScope(scope);
            ASSERT_TRUE(style);
            expectColour(rgb(foreground->c_str()), style->foreground, "foreground");
        }
    }
}

} // namespace
