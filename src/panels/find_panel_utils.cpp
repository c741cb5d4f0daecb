// The small pieces the find and replace panels share, kept apart so that
// both panels open, name a word, report a bad pattern and lay out the find
// field the same way.
#include "panels/find_panel_utils.h"

#include <algorithm>
#include <cmath>

#include "controls/control_helpers.h"
#include "controls/text_control.h"
#include "panels/find_settings.h"
#include "panels/history_field.h"
#include "panels/history_menu.h"
#include "ui/base_window.h"
#include "ui/input_region.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/theme.h"

namespace {

// The share of the field's rectangle an error message may take.
constexpr float kErrorShare = 0.4f;
constexpr float kErrorSpacing = 4;

} // namespace

SelectionRegion selectionOrWord(const ViewPtr& view)
{
    const SelectionRegion region = lastSelectionOrWord(view);
    const SelectionSet& sel = view->sel();
    if (region.empty() || !sel[sel.size() - 1].empty())
        return region;
    const ustring text = view->buffer()->substr(region);
    const bool blank = std::all_of(text.begin(), text.end(), [](char16_t c) { return c == u' ' || c == u'\t'; });
    return blank ? SelectionRegion(region.begin()) : region;
}

ustring selectionOrWordText(const ViewPtr& view)
{
    if (!view)
        return ustring();
    const SelectionRegion region = selectionOrWord(view);
    return region.empty() ? ustring() : view->buffer()->substr(region);
}

void takeSearchFromSelection(FindSettings& settings, const ViewPtr& view)
{
    if (!view || view->sel().empty())
        return;
    const SelectionSet& sel = view->sel();
    const SelectionRegion last = sel[sel.size() - 1];
    const bool severalLines = view->buffer()->newlineCount(last) > 0;
    if (severalLines != settings.inSelection())
        settings.storeInSelectionQuietly(severalLines);
    if (settings.useSelectedText() && !settings.inSelection() && !last.empty())
        settings.setFindString(view->buffer()->substr(last));
}

interval2 layoutFindError(const FindSettings& settings, Theme& theme, InputRegion* parent,
                          const interval2& fieldRect)
{
    const ustring& error = settings.highlightError();
    if (error.empty())
        return fieldRect;
    // The engine's first sentence names the fault; the rest, quoting the
    // pattern, stays in the status bar.
    const size_t sentenceEnd = error.find(u".  ");
    const size_t shown = sentenceEnd == ustring::npos ? error.size() : sentenceEnd + 1;
    const float errorWidth = std::floor((fieldRect.x1 - fieldRect.x0) * kErrorShare);
    const interval2 errorRect(fieldRect.x1 - errorWidth, fieldRect.y0, fieldRect.x1, fieldRect.y1);
    drawCentredLabel(theme.font(false), *parent->baseWindow()->canvas(), errorRect, error.data(),
                     error.data() + shown);
    return interval2(fieldRect.x0, fieldRect.y0, errorRect.x0 - kErrorSpacing, fieldRect.y1);
}

bool pushLabelButton(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
                     std::function<void()> action, const ustring& label)
{
    return pushButton(parent, id, rect, std::move(action), label.data(), label.data() + label.size(),
                      theme.font(false), &theme.get("button"), &theme.get("button.down"));
}

bool layoutFindField(FindSettings& settings, Theme& theme, InputRegion* parent, const interval2& rect,
                     const RegionId& fieldId, const RegionId& dropdownId, Window* menuHost,
                     std::function<void(bool ctrl, bool alt, bool shift)> onReturn,
                     std::function<void()> onModified)
{
    const slate::SP<TextBufferView>& field = settings.findView();
    if (!field)
        return true;
    // A pattern the engine refused keeps its message beside the field while
    // the field holds it.
    const interval2 fieldRect = layoutFindError(settings, theme, parent, rect);
    HistoryList* history = settings.findHistory();
    std::function<void()> dropdown;
    if (history) {
        const vector2 menuPoint = historyMenuPoint(fieldRect);
        dropdown = [&settings, history, menuHost, menuPoint, onModified] {
            showHistoryMenu(menuHost, *history, menuPoint, [&settings, onModified](const ustring& entry) {
                settings.setFindString(entry);
                if (onModified)
                    onModified();
            });
        };
    }
    return dropdownTextControl(theme, parent, fieldId, fieldRect, field, std::move(onReturn),
                               std::move(onModified), historyRecallHook(field, history), dropdownId,
                               std::move(dropdown));
}
