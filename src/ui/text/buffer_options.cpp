// Reading a buffer's settings from a view's options. The keys are read in a
// fixed order through the typed getters, each getter leaving its output alone
// when the key is missing, so "unchanged when absent" is simply a matter of
// starting from the buffer's current values.
#include "ui/text/buffer_options.h"

#include <algorithm>

#include "ui/options.h"
#include "ui/string_utils.h"

namespace {

slate::usubstring viewOf(const ustring& text)
{
    return slate::usubstring(text.data(), text.data() + text.size());
}

} // namespace

const ustring& defaultWordSeparators()
{
    static const ustring separators(u"\n\t ./\\()\"'-:,.;<>~!@#$%^&*|+=[]{}`~?");
    return separators;
}

const ustring& defaultDictionaryPath()
{
    static const ustring path(u"Packages/Language - English/en_US.dic");
    return path;
}

void readBufferOptions(const Options& options, BufferOptions& settings)
{
    ustring text;
    if (options.getString(u"fallbackEncoding", text))
        settings.fallbackEncoding = encodingFromName(viewOf(text));
    if (options.getString(u"wordSeparators", text))
        settings.wordSeparators = unescapeString(viewOf(text));

    bool spellCheck = true;
    options.getBool(u"spellCheck", spellCheck);
    settings.spellCheck = spellCheck;
    if (spellCheck) {
        ustring dictionary = defaultDictionaryPath();
        options.getString(u"dictionary", dictionary);
        settings.dictionary = dictionary;
    }

    struct BracketKey {
        const char16_t* key;
        bool byDefault;
        uint32_t bit;
    };
    static const BracketKey kBracketKeys[] = {
        {u"matchBracketsParens", true, kMatchParentheses},
        {u"matchBracketsSquare", false, kMatchSquareBrackets},
        {u"matchBracketsBraces", false, kMatchBraces},
        {u"matchBracketsAngle", false, kMatchAngleBrackets},
    };
    settings.matchBrackets = 0;
    for (const BracketKey& entry : kBracketKeys) {
        bool on = entry.byDefault;
        options.getBool(ustring(entry.key), on);
        if (on)
            settings.matchBrackets |= entry.bit;
    }

    options.getBool(u"autoIndent", settings.autoIndent);
    options.getBool(u"trimAutomaticWhitespace", settings.trimAutomaticWhitespace);
    options.getBool(u"translateTabsToSpaces", settings.translateTabsToSpaces);
    options.getBool(u"useTabStops", settings.useTabStops);
    int tabSize = settings.tabSize;
    options.getInt(u"tabSize", tabSize);
    settings.tabSize = std::clamp<int32_t>(tabSize, kMinimumTabSize, kMaximumTabSize);

    LineEnding lineEnding = kLineEndingWindows;
    ustring lineEndingName;
    if (options.getString(u"defaultLineEnding", lineEndingName))
        lineEndingFromName(viewOf(lineEndingName), lineEnding);
    settings.defaultLineEnding = lineEnding;
}
