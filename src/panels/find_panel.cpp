// The find panels decide what is searched for, from where and with which
// flags; the searching, selecting, wrapping and status messages are the
// find operations' (text_buffer_find). The find text and the flags live in
// the window's FindSettings, so the find panel, the incremental find panel
// and the window's find commands always agree on them.
//
// Every keystroke in the field searches again from the position the panel
// was shown at, and re-highlights the matches in bounded steps; a pattern
// that does not compile is reported (status bar, and the message beside the
// field) and never lets an exception out of the keystroke.
#include "panels/find_panel.h"

#include <algorithm>
#include <cfloat>

#include "controls/control_helpers.h"
#include "input/command_map.h"
#include "panels/find_panel_utils.h"
#include "panels/find_settings.h"
#include "texteditor/text_editor_window.h"
#include "texteditor/view_set.h"
#include "ui/notification_manager.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_expansion.h"
#include "ui/text/text_buffer_find.h"
#include "ui/text/text_buffer_functions.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_typing.h"
#include "ui/text/text_buffer_view.h"
#include "ui/theme.h"

namespace {

// Region indices under the panel; the toggles' regions belong to the
// FindSettings.
constexpr int32_t kFieldRegion = 1;
constexpr int32_t kDropdownRegion = 2;
constexpr int32_t kFindPrevRegion = 997;
constexpr int32_t kFindRegion = 998;
constexpr int32_t kFindAllRegion = 999;

constexpr float kRowHeight = 24;
constexpr float kColumnSpacing = 4;
constexpr float kTogglesWidth = 172;
constexpr float kButtonWidth = 88;
// A hidden button's column: its width and its spacing vanish.
constexpr float kHiddenColumn = -kColumnSpacing;

const ustring kCopiedStatus = u"Copied find string from buffer";

} // namespace

FindPanel::FindPanel(TextEditorWindow* window, ViewSet* viewSet, FindSettings* settings, bool incremental,
                     std::function<void()> hide)
    : m_window(window), m_viewSet(viewSet), m_settings(settings), m_incremental(incremental),
      m_hideCallback(std::move(hide))
{
}

FindPanel::~FindPanel() = default;

void FindPanel::registerCommands(CommandMap& map)
{
    map.add("findNext", [this](const CommandArguments&) { findNext(true); });
    map.add("findPrev", [this](const CommandArguments&) { findPrev(true); });
    map.add("findAll", [this](const CommandArguments&) { findAll(true); });
    map.add("findUnder", [this](const CommandArguments&) { findUnder(); });
    map.add("findUnderPrev", [this](const CommandArguments&) { findUnderPrev(); });
    map.add("findAllUnder", [this](const CommandArguments&) { findAllUnder(); });
    map.add("slurpFindString", [this](const CommandArguments&) { slurpFindString(); });
}

void FindPanel::focusView(const slate::SP<TextBufferView>& view)
{
    m_window->focusState()->requestFocus(RegionId(view.get()));
}

void FindPanel::find(Search search, bool focus)
{
    const slate::SP<TextBufferView> view = m_viewSet->activeView();
    if (!view)
        return;
    const ustring text = m_settings->findString();
    if (!text.empty()) {
        FindOptions options = m_settings->findOptions();
        if (search == Search::all) {
            selectAllMatches(view, m_settings->findArea(), text, options);
            // Every match in the area is now a selection: searching inside
            // those would find only themselves.
            if (m_settings->inSelection())
                m_settings->storeInSelectionQuietly(false);
        } else {
            if (search == Search::previous)
                options.reverse = !options.reverse;
            findAndSelectNext(view, m_settings->findArea(), text, options);
        }
        m_settings->commitFindString();
    }
    if (focus)
        focusView(view);
}

void FindPanel::findNext(bool focusView) { find(Search::next, focusView); }
void FindPanel::findPrev(bool focusView) { find(Search::previous, focusView); }
void FindPanel::findAll(bool focusView) { find(Search::all, focusView); }

void FindPanel::findUnderCaret(Search search)
{
    const slate::SP<TextBufferView> view = m_viewSet->activeView();
    if (!view)
        return;
    const ustring text = selectionOrWordText(view);
    if (!text.empty()) {
        m_settings->setFindString(text);
        if (m_settings->regex())
            m_settings->storeRegexQuietly(false);
        if (m_settings->inSelection())
            m_settings->storeInSelectionQuietly(false);
        FindOptions options = m_settings->findOptions();
        if (search == Search::all) {
            selectAllMatches(view, SelectionSet(), text, options);
        } else {
            if (search == Search::previous)
                options.reverse = !options.reverse;
            findAndSelectNext(view, SelectionSet(), text, options);
        }
        m_settings->commitFindString();
    }
    focusView(view);
}

void FindPanel::findUnder() { findUnderCaret(Search::next); }
void FindPanel::findUnderPrev() { findUnderCaret(Search::previous); }
void FindPanel::findAllUnder() { findUnderCaret(Search::all); }

void FindPanel::slurpFindString()
{
    const ustring text = selectionOrWordText(m_viewSet->activeView());
    if (text.empty())
        return;
    m_settings->setFindString(text);
    m_settings->commitFindString();
    // Notified, so that every window reloads its flags and the field takes
    // its plain-text look.
    if (m_settings->regex())
        m_settings->setRegex(false);
    if (slate::SP<TextBufferView> target = m_settings->targetView())
        m_settings->highlightMatches(target);
    if (NotificationManager::alive())
        NotificationManager::get().setStatus(kCopiedStatus);
}

void FindPanel::onShow()
{
    const slate::SP<TextBufferView> view = m_viewSet->activeView();
    m_startPosition = 0;
    if (view && !view->sel().empty())
        m_startPosition = view->sel()[view->sel().size() - 1].begin();
    takeSearchFromSelection(*m_settings, view);
    if (m_incremental)
        m_settings->setFindString(ustring());
    if (const slate::SP<TextBufferView>& field = m_settings->findView())
        selectAll(field);
    m_window->focusState()->requestFocus(RegionId(this, kFieldRegion));
    m_settings->startSearch(view);
}

void FindPanel::onHide()
{
    m_settings->clearTarget();
    m_settings->commitFindString();
}

bool FindPanel::onShowAgain()
{
    if (!m_incremental)
        return false;
    findNext(false);
    return true;
}

void FindPanel::settingsChanged(bool visible)
{
    if (visible)
        searchIncremental();
}

void FindPanel::updateTargetView() { m_settings->setTargetView(m_viewSet->activeView()); }

void FindPanel::searchIncremental()
{
    const slate::SP<TextBufferView> view = m_viewSet->activeView();
    if (!view)
        return;
    // The buffer may have shrunk since the panel was shown.
    const int64_t start = std::min(m_startPosition, view->buffer()->size());
    const ustring text = m_settings->findString();
    if (!text.empty()) {
        findAndSelect(view, m_settings->findArea(), text, start, true, m_settings->findOptions());
    } else {
        SelectionSet& sel = view->mutableSel();
        sel.clear();
        sel.add(SelectionRegion(start));
        showPoint(*view, start, false);
    }
    m_settings->highlightMatches(view);
}

void FindPanel::onCommit(bool ctrl, bool alt, bool shift)
{
    if (ctrl) {
        if (const slate::SP<TextBufferView>& field = m_settings->findView())
            insertAndDecodeCharacters(field, u"\n");
        searchIncremental();
    } else if (alt) {
        findAll(false);
    } else if (shift) {
        findPrev(false);
    } else if (!m_incremental) {
        findNext(false);
    } else if (m_hideCallback) {
        m_hideCallback();
    }
}

bool FindPanel::layout(Theme* theme, InputRegion* parent, const interval2& rect)
{
    const float width = rect.x1 - rect.x0;
    const bool showFindPrev = !m_incremental && width > kFindPrevMinimumWidth;
    const bool showFindAll = !m_incremental && width > kFindAllMinimumWidth;
    const interval2 inner = insetRect4(rect);
    const float columnSizes[] = {kTogglesWidth, FLT_MAX, kButtonWidth, showFindPrev ? kButtonWidth : kHiddenColumn,
                                 showFindAll ? kButtonWidth : kHiddenColumn};
    float xs[6];
    distributeSizes(inner.x1 - inner.x0, columnSizes, 5, kColumnSpacing, inner.x0, xs);
    float ys[2];
    distributeSizes(inner.y1 - inner.y0, &kRowHeight, 1, 0, inner.y0, ys);
    const auto column = [&xs, &ys](int index) {
        return interval2(xs[index], ys[0], xs[index + 1] - kColumnSpacing, ys[1]);
    };

    const float toggleY = rect.y0 + 4;
    const float rowWidth = buttonRowSize(3).x;
    bool done = m_settings->layoutPatternToggles(theme, parent, vector2{rect.x0 + 4, toggleY});
    const float directionX = rect.x0 + rowWidth + 8;
    done &= m_settings->layoutDirectionToggles(theme, parent, vector2{directionX, toggleY});
    done &= m_settings->layoutHighlightToggle(theme, parent, vector2{directionX + rowWidth + 4, toggleY});

    if (m_incremental) {
        done &= pushLabelButton(*theme, parent, RegionId(this, kFindRegion), column(2), [this] {
            if (m_hideCallback)
                m_hideCallback();
        }, u"Close");
    } else {
        done &= pushLabelButton(*theme, parent, RegionId(this, kFindRegion), column(2), [this] { findNext(true); },
                                u"Find");
    }
    if (showFindPrev)
        done &= pushLabelButton(*theme, parent, RegionId(this, kFindPrevRegion), column(3),
                                [this] { findPrev(true); }, u"Find Prev");
    if (showFindAll)
        done &= pushLabelButton(*theme, parent, RegionId(this, kFindAllRegion), column(4),
                                [this] { findAll(true); }, u"Find All");

    done &= layoutFindField(*m_settings, *theme, parent, column(1), RegionId(this, kFieldRegion),
                            RegionId(this, kDropdownRegion), m_window->m_window,
                            [this](bool ctrl, bool alt, bool shift) { onCommit(ctrl, alt, shift); },
                            [this] { searchIncremental(); });
    return done;
}
