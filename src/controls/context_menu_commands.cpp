// The context menu's commands are rebuilt each time the menu opens, bound to
// the position and to what lies there, so that the menu file can name them
// without arguments that only the control knows.
//
// dispatch fills its command line from the match in a single pass over the
// command: a match holding "%u" or "%s" must reach the command as written,
// and "%u" encodes the match itself, not its escaped form, which would put
// escaping backslashes into a URL. Its search region is the point's line cut
// to the radius; a radius of 0 cannot hold a match that reaches the point
// from one side, so it stands for the whole line.
#include "controls/context_menu_commands.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "input/command_runner.h"
#include "ui/notification_manager.h"
#include "ui/string_utils.h"
#include "ui/text/spell_checker.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_typing.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/util/regex_utils.h"
#include "ui/unicode.h"

namespace {

using Arguments = CommandArguments;

// What one menu knows about the misspelled word under it.
struct MisspelledWord {
    SelectionRegion region;
    std::vector<ustring> suggestions;
};

// The suggestion index of argument 1, -1 when missing or out of range.
int suggestionIndex(const MisspelledWord& word, const Arguments& arguments)
{
    if (arguments.size() < 2)
        return -1;
    const int index = toInt(arguments[1]);
    return index >= 0 && static_cast<size_t>(index) < word.suggestions.size() ? index : -1;
}

void registerSpelling(const ViewPtr& view, CommandMap& map, std::shared_ptr<const MisspelledWord> word)
{
    map.addEnabledValue(
        "spellingSuggestion",
        [view, word](const Arguments& arguments) {
            const int index = suggestionIndex(*word, arguments);
            if (index >= 0)
                replaceCharacters(view, word->region, word->suggestions[index]);
        },
        [word](const Arguments& arguments) { return suggestionIndex(*word, arguments) >= 0; },
        [word](const Arguments& arguments) {
            if (arguments.size() < 2)
                return ustring();
            const int index = suggestionIndex(*word, arguments);
            if (index >= 0)
                return word->suggestions[index];
            if (word->suggestions.empty() && toInt(arguments[1]) == 0)
                return ustring(u"(no suggestions)");
            return ustring();
        });
    auto wordText = [view, word](const Arguments&) { return view->buffer()->substr(word->region); };
    map.addEnabledValue(
        "addWord",
        [wordText](const Arguments& arguments) {
            if (SpellCheckerManager::alive())
                SpellCheckerManager::get().addWord(wordText(arguments));
        },
        CommandMap::EnabledFunction(), wordText);
    map.addEnabledValue(
        "ignoreWord",
        [wordText](const Arguments& arguments) {
            if (SpellCheckerManager::alive())
                SpellCheckerManager::get().ignoreWord(wordText(arguments));
        },
        CommandMap::EnabledFunction(), wordText);
}

// The code point index of the unit offset `units` in `text`, as RegexText
// numbers them: a surrogate pair is one code point, a lone half is one.
size_t codePointIndex(const ustring& text, size_t units)
{
    size_t index = 0;
    for (size_t i = 0; i < units && i < text.size(); ++i) {
        const bool pairStart = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pairStart && i + 1 < units)
            ++i;
        ++index;
    }
    return index;
}

void showError(const ustring& text)
{
    if (NotificationManager::alive())
        NotificationManager::get().displayError(text);
}

} // namespace

bool findMatchAroundPoint(const ViewPtr& view, int64_t point, const Arguments& arguments, ustring& text)
{
    if (arguments.size() < 4)
        return false;
    const int radius = toInt(arguments[2]);
    const SelectionRegion lineRegion = line(view, point);
    const SelectionRegion region =
        radius > 0 ? lineRegion.intersection(SelectionRegion(point - radius, point + radius)) : lineRegion;
    const ustring subject = view->buffer()->substr(region);
    if (subject.empty())
        return false;
    const size_t localPoint =
        codePointIndex(subject, static_cast<size_t>(std::max<int64_t>(point - region.begin(), 0)));
    const int group = arguments.size() == 5 ? toInt(arguments[4]) : 0;
    using MatchIterator = boost::regex_iterator<const UChar32*, UChar32, boost::icu_regex_traits>;
    try {
        const WideRegex regex = makeRegex(arguments[3], ustring());
        const RegexText codePoints{slate::usubstring(subject)};
        for (MatchIterator match(codePoints.begin(), codePoints.end(), regex), end; match != end; ++match) {
            const size_t start = static_cast<size_t>((*match)[0].first - codePoints.begin());
            const size_t stop = static_cast<size_t>((*match)[0].second - codePoints.begin());
            if (start > localPoint)
                break;
            if (localPoint > stop)
                continue;
            const auto& taken = group > 0 && static_cast<size_t>(group) < match->size() ? (*match)[group]
                                                                                        : (*match)[0];
            text = unitsOfCodePoints(std::vector<UChar32>(taken.first, taken.second));
            return true;
        }
    } catch (const std::runtime_error& error) {
        showError(toUstring(error.what()) + u" in regular expression " + arguments[3].str());
    }
    return false;
}

ustring fillDispatchCommand(const ustring& command, const ustring& match)
{
    const ustring escaped = escapeString(slate::usubstring(match));
    const ustring encoded = toUstring(urlEncode(slate::usubstring(match)).c_str());
    ustring filled;
    for (size_t i = 0; i < command.size(); ++i) {
        if (command[i] == u'%' && i + 1 < command.size() && (command[i + 1] == u's' || command[i + 1] == u'u')) {
            filled += command[i + 1] == u's' ? escaped : encoded;
            ++i;
        } else {
            filled += command[i];
        }
    }
    return filled;
}

void textContextMenu(const ViewPtr& view, CommandMap& map, int64_t point, CommandRunner* runner)
{
    if (!view)
        return;
    auto word = std::make_shared<MisspelledWord>();
    if (view->buffer()->misspelledWordAt(point, word->suggestions, word->region)) {
        registerSpelling(view, map, std::move(word));
    } else {
        map.remove("spellingSuggestion");
        map.remove("addWord");
        map.remove("ignoreWord");
    }
    map.addEnabledValue(
        "dispatch",
        [view, point, runner](const Arguments& arguments) {
            ustring match;
            if (runner && findMatchAroundPoint(view, point, arguments, match)) {
                const ustring command = fillDispatchCommand(arguments[1].str(), match);
                runner->exec(slate::usubstring(command));
            }
        },
        [view, point](const Arguments& arguments) {
            ustring match;
            return findMatchAroundPoint(view, point, arguments, match);
        },
        [view, point](const Arguments& arguments) {
            ustring match;
            findMatchAroundPoint(view, point, arguments, match);
            return match;
        });
}
