// A colour scheme read from a ".tmTheme" property list. The file holds one
// array of entries: those without a "scope" give the global settings (the
// view's background, caret, selection and default foreground), the others are
// rules that colour the scopes their selector matches. A scope's style is the
// merge of every matching rule over the global settings, applied from the
// worst match to the best so that the best one wins each key it sets; the
// merged settings, not the scope, key the style cache, because thousands of
// scope strings collapse onto a few dozen distinct merges. Colours with an
// alpha pair are blended over the scheme background once, at load time.
#include "ui/text/syntax/regex_selector_styler.h"

#include <any>
#include <exception>
#include <string>

#include "canvas/util/colour.h"
#include "ui/statistics.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/parse_exception.h"
#include "ui/text/scope_name_pool.h"
#include "ui/unicode.h"

namespace {

using Settings = RegexSelectorStyler::Settings;

// result = share * a + (1 - share) * b, channel by channel.
void mix(float result[3], float share, const float a[3], const float b[3])
{
    for (int i = 0; i < 3; ++i)
        result[i] = share * a[i] + (1.0f - share) * b[i];
}

void copyColour(float to[3], const float from[3])
{
    for (int i = 0; i < 3; ++i)
        to[i] = from[i];
}

// Copies the settings of one scheme entry into `settings`, overwriting keys
// it already has. Throws std::bad_any_cast for a value that is not a string.
void addSettings(const PlistDict& values, Settings& settings)
{
    for (const auto& entry : values)
        settings[entry.first] = std::any_cast<const ustring&>(entry.second);
}

// The global colours, derived in the order in which later keys may build on
// earlier ones. Consumes "background" from `globals`.
void readSchemeColours(Settings& globals, SchemeColours& colours)
{
    auto value = [&globals](const char16_t* key) -> const ustring* {
        auto found = globals.find(key);
        return found == globals.end() ? nullptr : &found->second;
    };
    const float* background = colours.background;

    if (const ustring* text = value(u"background")) {
        parseColour(*text, colours.background);
        globals.erase(u"background");
    }
    if (const ustring* text = value(u"caret"))
        parseSchemeColour(*text, colours.caret, background);
    if (const ustring* text = value(u"foreground")) {
        // A foreground that does not parse counts as black.
        float foreground[3] = {0.0f, 0.0f, 0.0f};
        parseSchemeColour(*text, foreground, background);
        copyColour(colours.selectionForeground, foreground);
        copyColour(colours.selectionMixForeground, foreground);
        mix(colours.foregroundHalfMix, 0.5f, background, foreground);
        mix(colours.foregroundQuarterMix, 0.75f, background, foreground);
    }
    if (const ustring* text = value(u"selection")) {
        parseSchemeColour(*text, colours.selection, background);
        mix(colours.selectionMix, 0.5f, background, colours.selection);
    }
    if (const ustring* text = value(u"lineHighlight")) {
        parseSchemeColour(*text, colours.lineHighlight, background);
        mix(colours.lineHighlightMix, 0.5f, background, colours.lineHighlight);
    }
    mix(colours.brackets, 0.5f, background, colours.caret);
    if (const ustring* text = value(u"brackets"))
        parseSchemeColour(*text, colours.brackets, background);
    if (const ustring* text = value(u"selectionForeground")) {
        parseSchemeColour(*text, colours.selectionForeground, background);
        copyColour(colours.selectionMixForeground, colours.selectionForeground);
    }
}

// Rules may give "#RRGGBBAA"; styles only ever parse opaque text.
void blendRuleColours(Settings& rule, const float background[3])
{
    for (const char16_t* key : {u"background", u"foreground"}) {
        auto found = rule.find(key);
        if (found != rule.end() && found->second.size() == 9 && found->second[0] == u'#')
            found->second = blendColourText(found->second, background);
    }
}

} // namespace

RegexSelectorStyler::RegexSelectorStyler() = default;
RegexSelectorStyler::~RegexSelectorStyler() = default;

void RegexSelectorStyler::loadFromFile(const ustring& path)
{
    ScopedTimer timer(g_statRegexSelectorStylerLoadFromFile);

    PlistValue root;
    loadPlist(path, root, true);

    // Everything is built aside and taken over only when the whole file has
    // been read, so a failure leaves the scheme as it was.
    Settings globalSettings;
    std::vector<Settings> ruleSettings;
    RegexSelectorSet selectors;
    try {
        const PlistDict& dict = std::any_cast<const PlistDict&>(root);
        auto settings = dict.find(u"settings");
        if (dict.empty() || settings == dict.end())
            throw ParseException(std::string("Malformed color scheme"));
        for (const PlistValue& element : std::any_cast<const PlistArray&>(settings->second)) {
            const PlistDict& entry = std::any_cast<const PlistDict&>(element);
            auto values = entry.find(u"settings");
            if (values == entry.end())
                continue;
            const PlistDict& valueDict = std::any_cast<const PlistDict&>(values->second);
            auto scope = entry.find(u"scope");
            if (scope == entry.end()) {
                addSettings(valueDict, globalSettings);
                continue;
            }
            Settings rule;
            addSettings(valueDict, rule);
            const ustring& selector = std::any_cast<const ustring&>(scope->second);
            try {
                selectors.add(compileSelector(selector));
            } catch (const std::exception& error) {
                throw ParseException(u"Unabled to open color scheme " + path + u", bad regex: " +
                                     toUstring(error.what()));
            }
            ruleSettings.push_back(std::move(rule));
        }
    } catch (const std::bad_any_cast&) {
        throw ParseException(u"Unabled to open color scheme " + path + u": malformed plist");
    }

    SchemeColours colours;
    readSchemeColours(globalSettings, colours);
    for (Settings& rule : ruleSettings)
        blendRuleColours(rule, colours.background);

    m_globalSettings = std::move(globalSettings);
    m_colours = colours;
    m_ruleSettings = std::move(ruleSettings);
    m_selectors = std::move(selectors);
}

const Style* RegexSelectorStyler::styleForScope(const ScopeRecord* scope)
{
    m_matches.clear();
    if (scope)
        m_selectors.allMatches(scope->text, m_matches);

    // Best match last, so it overwrites every key it sets.
    Settings merged = m_globalSettings;
    for (auto match = m_matches.rbegin(); match != m_matches.rend(); ++match) {
        for (const auto& entry : m_ruleSettings[static_cast<size_t>(*match)])
            merged[entry.first] = entry.second;
    }

    auto cached = m_styleCache.find(merged);
    if (cached != m_styleCache.end())
        return &cached->second;

    Style style;
    for (const auto& entry : merged) {
        if (entry.first == u"foreground") {
            parseColour(entry.second, style.foreground);
        } else if (entry.first == u"background") {
            // A rule background counts as the style's own even when it does
            // not parse; only equality with the scheme's takes that back.
            parseColour(entry.second, style.background);
            style.backgroundIsDefault = false;
        }
    }
    if (style.background[0] == m_colours.background[0] &&
        style.background[1] == m_colours.background[1] &&
        style.background[2] == m_colours.background[2])
        style.backgroundIsDefault = true;

    return &m_styleCache.emplace(std::move(merged), style).first->second;
}
