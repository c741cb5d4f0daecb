// The find flags, the find field and the highlighting of matches.
//
// Highlighting runs as the user types, so it must never hold the window up:
// the buffer is searched in steps of a bounded number of units, one step a
// frame, and the "find" regions grow as the steps catch up. A step ends at a
// line start so that "^", "$" and word boundaries read the same as in one
// search of the whole buffer; only a match that runs over a line break past
// the end of a step (or, on a line longer than a step, over the step's end)
// is cut off. A buffer smaller than a step is searched whole in one step.
#include "panels/find_settings.h"

#include <algorithm>

#include "controls/control_helpers.h"
#include "panels/history_list.h"
#include "texteditor/file_type_options.h"
#include "ui/input_region.h"
#include "ui/options_manager.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_find.h"
#include "ui/text/token/token_search.h"
#include "ui/theme.h"
#include "ui/unicode.h"

const ustring FindSettings::kApplicationOptionsPath = u"Packages/Default/Options/Application.vantrel-options";
const ustring FindSettings::kFindRegionName = u"find";
const ustring FindSettings::kFindAreaRegionName = u"findarea";

namespace {

const ustring kRegexKey = u"find.regex";
const ustring kCaseSensitiveKey = u"find.caseSensitive";
const ustring kWholeWordKey = u"find.wholeWord";
const ustring kReverseKey = u"find.reverse";
const ustring kWrapKey = u"find.wrap";
const ustring kInSelectionKey = u"find.inSelection";
const ustring kHighlightKey = u"find.highlight";
const ustring kUseSelectedTextKey = u"find.useSelectedText";
const ustring kStringKey = u"find.string";

const ustring kRegexWidgetOptionsPath = u"Packages/Default/Options/Regex Widget.vantrel-options";
const ustring kWidgetOptionsPath = u"Packages/Default/Options/Widget.vantrel-options";

constexpr float kToggleIconSize = 16;

} // namespace

FindSettings::FindSettings(HistoryList* findHistory) : m_findHistory(findHistory) {}

void FindSettings::setCanvas(Canvas* canvas)
{
    slate::SP<TextBuffer> buffer(new TextBuffer);
    m_findView = buffer->createView(canvas);
    if (m_findHistory && !m_findHistory->empty())
        buffer->insertCharacters(0, (*m_findHistory)[0], true);
    applyFindFieldOptions();
    m_applicationOptions = OptionsManager::get().getOptions(kApplicationOptionsPath);
    loadFromOptions();
}

ustring FindSettings::findString() const
{
    if (!m_findView)
        return ustring();
    TextBuffer* buffer = m_findView->buffer();
    return buffer->substr(SelectionRegion(0, buffer->size()));
}

void FindSettings::setFindString(const ustring& text)
{
    if (!m_findView)
        return;
    SelectionSet& selection = m_findView->mutableSel();
    selection.clear();
    selection.add(SelectionRegion(0));
    TextBuffer* buffer = m_findView->buffer();
    buffer->eraseCharacters(SelectionRegion(0, buffer->size()));
    buffer->insertCharacters(0, text, true);
}

void FindSettings::commitFindString()
{
    const ustring text = findString();
    if (m_findHistory)
        m_findHistory->add(text);
    // A text with a line break is refused by the options; the last find
    // string must then stay the stored one, or the next reload would put
    // that stale text into the field.
    if (!m_applicationOptions || m_applicationOptions->set(kStringKey, text))
        m_lastFindString = text;
}

void FindSettings::loadFromOptions()
{
    if (!m_applicationOptions)
        return;
    const Options& options = *m_applicationOptions;
    bool regex = m_regex;
    options.getBool(kRegexKey, regex);
    if (regex != m_regex) {
        m_regex = regex;
        applyFindFieldOptions();
    }
    options.getBool(kCaseSensitiveKey, m_caseSensitive);
    options.getBool(kWholeWordKey, m_wholeWord);
    options.getBool(kReverseKey, m_reverse);
    options.getBool(kWrapKey, m_wrap);
    options.getBool(kInSelectionKey, m_inSelection);
    options.getBool(kHighlightKey, m_highlight);
    options.getBool(kUseSelectedTextKey, m_useSelectedText);
    ustring text;
    options.getString(kStringKey, text);
    if (text != m_lastFindString) {
        m_lastFindString = text;
        setFindString(text);
    }
}

void FindSettings::applyFindFieldOptions()
{
    if (!m_findView)
        return;
    slate::SP<Options> options(new Options);
    options->setBool(ustring(u"isFindWidget"), true);
    addUserFileTypeOptions(options);
    options->addParent(OptionsManager::get().getOptions(m_regex ? kRegexWidgetOptionsPath : kWidgetOptionsPath));
    m_findView->setOptions(options);
}

void FindSettings::setFlag(bool value, bool flag, const ustring& key)
{
    if (value == flag || !m_applicationOptions)
        return;
    m_applicationOptions->setBool(key, value);
    m_applicationOptions->notifyChanged();
}

void FindSettings::setRegex(bool value) { setFlag(value, m_regex, kRegexKey); }
void FindSettings::setCaseSensitive(bool value) { setFlag(value, m_caseSensitive, kCaseSensitiveKey); }
void FindSettings::setWholeWord(bool value) { setFlag(value, m_wholeWord, kWholeWordKey); }
void FindSettings::setReverse(bool value) { setFlag(value, m_reverse, kReverseKey); }
void FindSettings::setWrap(bool value) { setFlag(value, m_wrap, kWrapKey); }
void FindSettings::setInSelection(bool value) { setFlag(value, m_inSelection, kInSelectionKey); }
void FindSettings::setHighlight(bool value) { setFlag(value, m_highlight, kHighlightKey); }

void FindSettings::storeQuietly(bool value, bool& flag, const ustring& key)
{
    flag = value;
    if (m_applicationOptions)
        m_applicationOptions->setBool(key, value);
}

void FindSettings::storeRegexQuietly(bool value)
{
    const bool changed = value != m_regex;
    storeQuietly(value, m_regex, kRegexKey);
    if (changed)
        applyFindFieldOptions();
}

void FindSettings::storeInSelectionQuietly(bool value) { storeQuietly(value, m_inSelection, kInSelectionKey); }

FindOptions FindSettings::findOptions() const
{
    FindOptions options;
    options.regex = m_regex;
    options.caseSensitive = m_caseSensitive;
    options.wholeWord = m_wholeWord;
    options.reverse = m_reverse;
    options.wrap = m_wrap;
    return options;
}

// One toggle button of a row: its look and hint, and which flag it shows
// and sets.
struct FindSettings::Toggle {
    const char* icon;
    const char16_t* tooltip;
    const char16_t* command;
    bool FindSettings::*flag;
    void (FindSettings::*setter)(bool);
};

bool FindSettings::layoutPatternToggles(Theme* theme, InputRegion* parent, vector2 point)
{
    static const Toggle toggles[] = {
        {"icon.find.regex", u"Regular expression", u"toggleApp find.regex", &FindSettings::m_regex,
         &FindSettings::setRegex},
        {"icon.find.case", u"Case sensitive", u"toggleApp find.caseSensitive", &FindSettings::m_caseSensitive,
         &FindSettings::setCaseSensitive},
        {"icon.find.wholeword", u"Whole word", u"toggleApp find.wholeWord", &FindSettings::m_wholeWord,
         &FindSettings::setWholeWord},
    };
    return layoutToggles(theme, parent, point, toggles, 3, 0);
}

bool FindSettings::layoutDirectionToggles(Theme* theme, InputRegion* parent, vector2 point)
{
    static const Toggle toggles[] = {
        {"icon.find.reverse", u"Reverse direction", u"toggleApp find.reverse", &FindSettings::m_reverse,
         &FindSettings::setReverse},
        {"icon.find.wrap", u"Wrap search", u"toggleApp find.wrap", &FindSettings::m_wrap, &FindSettings::setWrap},
        {"icon.find.inselection", u"Search in selection", u"toggleApp find.inSelection",
         &FindSettings::m_inSelection, &FindSettings::setInSelection},
    };
    return layoutToggles(theme, parent, point, toggles, 3, 3);
}

bool FindSettings::layoutHighlightToggle(Theme* theme, InputRegion* parent, vector2 point)
{
    static const Toggle toggles[] = {
        {"icon.find.highlight", u"Highlight matches", u"toggleApp find.highlight", &FindSettings::m_highlight,
         &FindSettings::setHighlight},
    };
    return layoutToggles(theme, parent, point, toggles, 1, 6);
}

bool FindSettings::layoutToggles(Theme* theme, InputRegion* parent, vector2 point, const Toggle* toggles, int count,
                                 int firstIndex)
{
    ButtonRow row(*theme, point.x, point.y, count);
    bool done = true;
    for (row.index = 0; row.index < row.count; ++row.index) {
        const Toggle& toggle = toggles[row.index];
        // Pressing reads the flag when the click lands, not as it was drawn.
        auto press = [this, &toggle] { (this->*toggle.setter)(!(this->*toggle.flag)); };
        done &= iconButton(parent, RegionId(this, firstIndex + row.index), row.cellRect(), press,
                           &theme->get(toggle.icon), row.face(this->*toggle.flag), row.hoverFace(), toggle.tooltip,
                           toggle.command, kToggleIconSize);
    }
    return done;
}

SelectionSet FindSettings::findArea() const
{
    if (!m_inSelection || !m_targetView)
        return SelectionSet();
    TextBufferView& view = *m_targetView;
    const ustring* name = view.buffer()->internRegionName(kFindAreaRegionName);
    const NamedRegionMap& named = view.viewState().namedRegions();
    const auto it = named.find(name);
    return it == named.end() ? SelectionSet() : it->second.regions;
}

void FindSettings::startSearch(const slate::SP<TextBufferView>& view)
{
    clearTarget();
    if (!view)
        return;
    m_targetView = view;
    NamedRegions& area = view->viewState().namedRegions(view->buffer()->internRegionName(kFindAreaRegionName));
    area.regions = view->sel();
    area.scope = view->buffer()->internRegionName(ustring());
    area.flags = 0;
    highlightMatches(view);
}

void FindSettings::setTargetView(const slate::SP<TextBufferView>& view)
{
    if (view.get() == m_targetView.get())
        return;
    m_inSelection = false;
    clearTarget();
    if (view)
        highlightMatches(view);
}

void FindSettings::highlightMatches(const slate::SP<TextBufferView>& view)
{
    m_pending = PendingHighlight();
    m_highlightError.clear();
    if (!m_highlight) {
        clearHighlights(view);
        return;
    }
    const ustring text = findString();
    if (text.empty()) {
        clearHighlights(view);
        return;
    }
    m_pending.view = view;
    m_pending.pattern = buildFindPattern(text, m_regex, m_caseSensitive, m_wholeWord, m_pending.flags);
    m_pending.areas = findArea();
    if (m_pending.areas.empty())
        m_pending.areas.add(SelectionRegion(0, view->buffer()->size()));
    continueHighlighting();
}

bool FindSettings::continueHighlighting()
{
    if (!highlightPending())
        return false;
    bool done = true;
    try {
        done = searchStep();
    } catch (const RegexError& error) {
        m_highlightError = error.abandoned() ? kUnableToFindStatus + m_pending.pattern : runtimeErrorText(error);
    }
    publishMatches();
    if (done)
        m_pending = PendingHighlight();
    return !done;
}

bool FindSettings::searchStep()
{
    TextBuffer& buffer = *m_pending.view->buffer();
    const int64_t size = buffer.size();
    int64_t budget = m_highlightBudget;
    while (budget > 0 && m_pending.areaIndex < m_pending.areas.size()) {
        const SelectionRegion area = m_pending.areas[m_pending.areaIndex];
        const int64_t areaEnd = std::min(area.end(), size);
        const int64_t from = std::clamp(std::max(m_pending.position, area.begin()), int64_t(0), areaEnd);
        int64_t to = areaEnd;
        if (areaEnd - from > budget) {
            // End the step at the next line start, unless that line runs on
            // for more than another step.
            int32_t row = 0, column = 0;
            buffer.rowcol(from + budget, row, column);
            const int64_t nextLine = buffer.textPoint(row + 1, 0);
            to = nextLine - (from + budget) <= budget ? std::min(nextLine, areaEnd) : from + budget;
        }
        SelectionSet found;
        buffer.findAllIn(m_pending.pattern, m_pending.flags, SelectionSet(SelectionRegion(from, to)), found);
        for (const SelectionRegion& match : found) {
            // An empty match at the step's end belongs to the next step,
            // which sees what follows it.
            if (match.empty() && match.begin() == to && to < areaEnd)
                continue;
            if (match.empty() && m_pending.lastMatchEnd == match.begin())
                continue;
            m_pending.matches.push_back(match);
            m_pending.lastMatchEnd = match.end();
        }
        budget -= to - from;
        if (to >= areaEnd) {
            ++m_pending.areaIndex;
            m_pending.position = 0;
        } else {
            m_pending.position = to;
        }
    }
    return m_pending.areaIndex >= m_pending.areas.size();
}

void FindSettings::publishMatches()
{
    // Each step hands over only its own matches, so a step costs the same
    // however many matches the steps before it found.
    TextBufferView& view = *m_pending.view;
    const ustring* name = view.buffer()->internRegionName(kFindRegionName);
    NamedRegionMap& named = view.viewState().mutableNamedRegions();
    if (!m_pending.published) {
        m_pending.published = true;
        named.erase(name);
    }
    if (m_pending.matches.empty())
        return;
    NamedRegions& find = view.viewState().namedRegions(name);
    // An empty scope, not none: the view draws only region sets that have
    // one, and the caret colour stands in for the scope's colour.
    find.scope = view.buffer()->internRegionName(ustring());
    find.flags = kFindRegionFlags;
    for (const SelectionRegion& match : m_pending.matches)
        find.regions.push_back(match);
    m_pending.matches.clear();
    m_targetView = m_pending.view;
}

void FindSettings::setHighlightBudget(int64_t units)
{
    m_highlightBudget = std::max<int64_t>(units, 1);
}

void FindSettings::eraseRegionSet(TextBufferView& view, const ustring& name)
{
    view.viewState().mutableNamedRegions().erase(view.buffer()->internRegionName(name));
}

void FindSettings::clearHighlights(const slate::SP<TextBufferView>& view)
{
    if (m_pending.view.get() == view.get())
        m_pending = PendingHighlight();
    eraseRegionSet(*view, kFindRegionName);
}

void FindSettings::clearTarget()
{
    if (!m_targetView)
        return;
    clearHighlights(m_targetView);
    eraseRegionSet(*m_targetView, kFindAreaRegionName);
    m_targetView = nullptr;
}

void FindSettings::onBufferModified(TextBuffer* buffer)
{
    if (m_targetView && m_targetView->buffer() == buffer)
        highlightMatches(m_targetView);
    else if (m_pending.view && m_pending.view->buffer() == buffer)
        highlightMatches(m_pending.view); // the positions searched so far are stale
}
