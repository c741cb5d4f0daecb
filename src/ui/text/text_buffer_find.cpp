// Find and replace in a view.
//
// A forward search asks the buffer for the first match from a start point,
// so that finding the next match in a large file reads only as far as that
// match; a reverse search, or one inside a selection, has to know every
// match and picks from the list. Replacing every match edits whole runs of
// matches at once wherever no tracked position lies among them, since the
// cost of an edit is mostly fixed and files hold a million matches of one
// character. Errors of the regular-expression engine are caught at the
// level of each command and turned into status text: a command run from a
// key or a menu must never throw.
#include "ui/text/text_buffer_find.h"

#include <algorithm>

#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/string_utils.h"
#include "ui/text/lexer/pattern_syntax.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/tracked_points.h"
#include "ui/text/view_state.h"
#include "ui/text/token/token_search.h"
#include "ui/unicode.h"

const ustring kWrappedStatus = u"Wrapped past end of file";
const ustring kUnableToFindStatus = u"Unable to find ";

namespace {

const SelectionRegion kNotFound(-1, -1);

void setStatus(const ustring& text)
{
    if (NotificationManager::alive())
        NotificationManager::get().setStatus(text);
}

void clearStatus()
{
    if (NotificationManager::alive())
        NotificationManager::get().clearStatus();
}

// What a search of `pattern` that failed with `error` tells the user: the
// engine's complaint about a pattern that does not compile, or, when the
// engine gave up on the text, that the pattern was not found.
void reportSearchError(const RegexError& error, const ustring& pattern)
{
    setStatus(error.abandoned() ? kUnableToFindStatus + pattern : runtimeErrorText(error));
}

// Every match, inside the regions of `inSet` when it has any.
void findEveryMatch(TextBuffer& buffer, const SelectionSet& inSet, const ustring& pattern,
                    uint32_t flags, SelectionSet& matches, const ustring* format,
                    std::vector<ustring>* extractions)
{
    if (inSet.empty())
        buffer.findAll(pattern, flags, matches, format, extractions);
    else
        buffer.findAllIn(pattern, flags, inSet, matches, format, extractions);
}

// The extraction of the match at `index` of a list, appended to `out`.
void takeExtraction(const std::vector<ustring>& all, size_t index, std::vector<ustring>* out)
{
    if (out && index < all.size())
        out->push_back(all[index]);
}

SelectionRegion findNextMatch(TextBuffer& buffer, const SelectionSet& inSet, const ustring& pattern,
                              uint32_t flags, int64_t position, bool inclusive, bool wrap,
                              const ustring* format, std::vector<ustring>* extractions)
{
    if (!inSet.empty()) {
        SelectionSet matches;
        std::vector<ustring> all;
        findEveryMatch(buffer, inSet, pattern, flags, matches, format, extractions ? &all : nullptr);
        const auto after = std::find_if(matches.begin(), matches.end(), [&](const SelectionRegion& match) {
            return match.begin() > position;
        });
        size_t index = static_cast<size_t>(after - matches.begin());
        if (after == matches.end()) {
            if (!wrap || matches.empty())
                return kNotFound;
            index = 0;
            setStatus(kWrappedStatus);
        }
        takeExtraction(all, index, extractions);
        return matches[index];
    }

    const int64_t size = buffer.size();
    int64_t start = position;
    if (!inclusive)
        start = size == 0 ? 0 : (position + 1) % (size + 1);
    SelectionRegion found = buffer.find(pattern, flags, start, format, extractions);
    if (found == kNotFound && start != 0 && wrap) {
        setStatus(kWrappedStatus);
        found = buffer.find(pattern, flags, 0, format, extractions);
    }
    return found;
}

SelectionRegion findPreviousMatch(TextBuffer& buffer, const SelectionSet& inSet,
                                  const ustring& pattern, uint32_t flags, int64_t position,
                                  bool wrap, const ustring* format,
                                  std::vector<ustring>* extractions)
{
    SelectionSet matches;
    std::vector<ustring> all;
    findEveryMatch(buffer, inSet, pattern, flags, matches, format, extractions ? &all : nullptr);
    // Matches are sorted by begin: the last one before `position` is just
    // in front of the first that is not.
    const auto notBefore = std::partition_point(
        matches.begin(), matches.end(),
        [&](const SelectionRegion& match) { return match.begin() < position; });
    size_t index = static_cast<size_t>(notBefore - matches.begin());
    if (index == 0) {
        if (!wrap || matches.empty())
            return kNotFound;
        index = matches.size();
        setStatus(kWrappedStatus);
    }
    takeExtraction(all, index - 1, extractions);
    return matches[index - 1];
}

// The last selection, or a caret at the end the search starts from.
SelectionRegion currentRegion(const ViewPtr& view, bool reverse)
{
    const SelectionSet& sel = view->sel();
    if (sel.empty())
        return SelectionRegion(reverse ? view->buffer()->size() : 0);
    return sel[sel.size() - 1];
}

void selectAndShow(const ViewPtr& view, const SelectionRegion& match)
{
    SelectionSet& sel = view->mutableSel();
    sel.clear();
    sel.add(match);
    showRegion(*view, match, true);
}

// Collects every match for the commands that act on all of them, reporting
// in the status why there are none. False when there are none.
bool collectMatches(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                    const FindOptions& options, SelectionSet& matches, const ustring* format,
                    std::vector<ustring>* extractions)
{
    clearStatus();
    uint32_t flags = 0;
    const ustring pattern =
        buildFindPattern(text, options.regex, options.caseSensitive, options.wholeWord, flags);
    try {
        findEveryMatch(*view->buffer(), inSet, pattern, flags, matches, format, extractions);
    } catch (const RegexError& error) {
        reportSearchError(error, pattern);
        return false;
    }
    if (matches.empty()) {
        setStatus(kUnableToFindStatus + pattern);
        return false;
    }
    return true;
}

// `count` after `prefix`, then the singular or plural noun.
ustring countText(const char16_t* prefix, size_t count, const char16_t* one, const char16_t* many)
{
    return prefix + intToString(static_cast<int>(count)) + (count == 1 ? one : many);
}

uchar asciiUpper(uchar c)
{
    return c >= u'a' && c <= u'z' ? static_cast<uchar>(c - u'a' + u'A') : c;
}

uchar asciiLower(uchar c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<uchar>(c - u'A' + u'a') : c;
}

// `text` with the case of `matched`, as replaceKeepingCase describes.
ustring caseOfMatch(const slate::usubstring& matched, const ustring& text)
{
    ustring replacement = text;
    const size_t size = matched.size();
    bool capitalSeen = false;
    bool smallSeen = false;
    for (size_t i = 0; i < std::min(replacement.size(), size); ++i) {
        const uchar c = matched[i];
        if (c >= u'A' && c <= u'Z') {
            replacement[i] = asciiUpper(replacement[i]);
            capitalSeen = true;
        } else if (c >= u'a' && c <= u'z') {
            replacement[i] = asciiLower(replacement[i]);
            smallSeen = true;
        }
    }
    if (replacement.size() > size && capitalSeen != smallSeen) {
        for (size_t i = size; i < replacement.size(); ++i)
            replacement[i] = capitalSeen ? asciiUpper(replacement[i]) : asciiLower(replacement[i]);
    }
    return replacement;
}

// Every position that follows the text as it changes: the ends of the
// selections (the whole history), named regions and snippet fields of
// every view state, tracked points and bookmarks; sorted.
std::vector<int64_t> positionsThatFollowEdits(TextBuffer& buffer)
{
    std::vector<int64_t> positions;
    const auto addSet = [&](const SelectionSet& regions) {
        for (const SelectionRegion& region : regions) {
            positions.push_back(region.a);
            positions.push_back(region.b);
        }
    };
    for (const ViewState* state : buffer.viewStates()) {
        const SelectionHistory& history = state->selectionHistory();
        for (size_t i = 0; i < history.size(); ++i)
            addSet(history.entry(i));
        addSet(state->sel());
        addSet(state->fieldRegions());
        for (const auto& named : state->namedRegions())
            addSet(named.second.regions);
        for (const TrackedPoint& point : state->trackedPoints().points())
            positions.push_back(point.pos);
    }
    addSet(buffer.m_bookmarks);
    std::sort(positions.begin(), positions.end());
    return positions;
}

// Replaces the matches from the last to the first. Each edit costs the
// storage and the undo record a fixed amount beyond its length, which for a
// million one-unit matches is seconds; so runs of matches are replaced in
// one edit each: the text between them is put back as it was. A run ends
// wherever a selection end or another tracked position lies, since one
// edit would move such a position differently from the edits of its
// matches. Snippet mirrors and tab translation see every edit by itself,
// so with them each match is replaced alone.
void replaceMatches(TextBuffer& buffer, const SelectionSet& matches,
                    const std::vector<ustring>& extractions, bool preserveCase)
{
    bool runs = buffer.dependentRegions().empty();
    if (buffer.m_translateTabsToSpaces) {
        runs = runs && std::none_of(extractions.begin(), extractions.end(), [](const ustring& text) {
            return text.find(u'\t') != ustring::npos;
        });
    }
    const std::vector<int64_t> tracked = runs ? positionsThatFollowEdits(buffer) : std::vector<int64_t>();
    const auto trackedWithin = [&](int64_t begin, int64_t end) {
        const auto it = std::lower_bound(tracked.begin(), tracked.end(), begin);
        return it != tracked.end() && *it <= end;
    };
    size_t last = matches.size();
    while (last > 0) {
        size_t first = last - 1;
        if (runs && !trackedWithin(matches[first].begin(), matches[first].end())) {
            while (first > 0 && !trackedWithin(matches[first - 1].begin(), matches[first].begin()))
                --first;
        }
        if (first + 1 == last) {
            replaceKeepingCase(buffer, matches[first], extractions[first], preserveCase);
            last = first;
            continue;
        }
        const SelectionRegion run(matches[first].begin(), matches[last - 1].end());
        const ustring original = buffer.substr(run);
        ustring replaced;
        int64_t at = run.begin();
        for (size_t i = first; i < last; ++i) {
            const SelectionRegion& match = matches[i];
            const uchar* text = original.data() + (match.begin() - run.begin());
            replaced.append(original.data() + (at - run.begin()), text);
            replaced += preserveCase
                ? caseOfMatch(slate::usubstring(text, text + match.size()), extractions[i])
                : extractions[i];
            at = match.end();
        }
        buffer.eraseCharacters(run);
        buffer.insertCharacters(run.begin(), replaced, true);
        last = first;
    }
}

} // namespace

ustring buildFindPattern(const ustring& text, bool regex, bool caseSensitive, bool wholeWord,
                         uint32_t& flags)
{
    flags = 0;
    if (!caseSensitive)
        flags |= kSearchIgnoreCase;
    if (!regex && !wholeWord)
        flags |= kSearchLiteral;
    if (!wholeWord)
        return text;
    return u"\\b" + (regex ? text : escapeRegex(text)) + u"\\b";
}

SelectionRegion findMatch(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                          int64_t position, bool inclusive, const FindOptions& options,
                          const ustring* format, std::vector<ustring>* extractions)
{
    clearStatus();
    uint32_t flags = 0;
    const ustring pattern =
        buildFindPattern(text, options.regex, options.caseSensitive, options.wholeWord, flags);
    TextBuffer& buffer = *view->buffer();
    SelectionRegion found = kNotFound;
    std::vector<ustring> expanded;
    try {
        std::vector<ustring>* out = extractions ? &expanded : nullptr;
        found = options.reverse
            ? findPreviousMatch(buffer, inSet, pattern, flags, position, options.wrap, format, out)
            : findNextMatch(buffer, inSet, pattern, flags, position, inclusive, options.wrap, format, out);
    } catch (const RegexError& error) {
        reportSearchError(error, pattern);
        return kNotFound;
    }
    if (found == kNotFound) {
        setStatus(kUnableToFindStatus + pattern);
        return kNotFound;
    }
    if (extractions)
        extractions->insert(extractions->end(), expanded.begin(), expanded.end());
    return found;
}

bool findAndSelectNext(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                       const FindOptions& options)
{
    const SelectionRegion from = currentRegion(view, options.reverse);
    const int64_t position = options.reverse ? from.begin() : from.end();
    SelectionRegion found = findMatch(view, inSet, text, position, true, options);
    if (found == from)
        found = findMatch(view, inSet, text, position, false, options);
    if (found == kNotFound)
        return false;
    selectAndShow(view, found);
    return true;
}

bool findAndSelect(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                   int64_t position, bool inclusive, const FindOptions& options)
{
    const SelectionRegion found = findMatch(view, inSet, text, position, inclusive, options);
    if (found == kNotFound)
        return false;
    selectAndShow(view, found);
    return true;
}

void selectAllMatches(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                      const FindOptions& options)
{
    SelectionSet matches;
    if (!collectMatches(view, inSet, text, options, matches, nullptr, nullptr))
        return;
    view->mutableSel() = matches;
    setStatus(countText(u"Found ", matches.size(), u" match", u" matches"));
    showRegions(*view, matches, true);
}

void replaceNext(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                 const ustring& format, const FindOptions& options, bool preserveCase)
{
    const SelectionRegion current = currentRegion(view, options.reverse);
    // One step back from the begin, so that a match starting right there is
    // the one found, going either way.
    const int64_t position = options.reverse ? current.begin() + 1 : current.begin() - 1;
    std::vector<ustring> extractions;
    const SelectionRegion found =
        findMatch(view, inSet, text, position, false, options, &format, &extractions);
    if (found == current && !extractions.empty()) {
        {
            ScopedUndoGroup group(ustring(u"Replace"), view->sharedBuffer(), false, false);
            replaceKeepingCase(*view->buffer(), found, extractions.front(), preserveCase);
            showPoint(*view, found.begin(), true);
        }
        findAndSelectNext(view, inSet, text, options);
    } else if (found != kNotFound) {
        selectAndShow(view, found);
    }
}

void replaceAllMatches(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                       const ustring& format, const FindOptions& options, bool preserveCase)
{
    SelectionSet matches;
    std::vector<ustring> extractions;
    if (!collectMatches(view, inSet, text, options, matches, &format, &extractions))
        return;
    VASSERT(matches.size() == extractions.size());
    TextBuffer& buffer = *view->buffer();
    {
        ScopedUndoGroup group(ustring(u"Replace All"), view->sharedBuffer(), false, false);
        replaceMatches(buffer, matches, extractions, preserveCase);
    }
    setStatus(countText(u"Made ", matches.size(), u" replacement", u" replacements"));
}

void replaceKeepingCase(TextBuffer& buffer, const SelectionRegion& region, const ustring& text,
                        bool preserveCase)
{
    const ustring replacement = preserveCase ? caseOfMatch(buffer.substr(region), text) : text;
    buffer.eraseCharacters(region);
    buffer.insertCharacters(region.begin(), replacement);
}

ustring runtimeErrorText(const RegexError& error)
{
    return toUstring(error.what());
}
