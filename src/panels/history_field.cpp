// The caret moves of a one-line field that run past its single line are
// turned into steps through the field's history; the field's current text
// says where in the list the user is, so no position is kept between steps.
#include "panels/history_field.h"

#include <algorithm>

#include "panels/history_list.h"
#include "ui/text/selection_region.h"
#include "ui/text/selection_set.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"

void replaceFieldText(TextBufferView& field, const ustring& text)
{
    TextBuffer& buffer = *field.buffer();
    buffer.beginUndoGroup(ustring());
    buffer.eraseCharacters(SelectionRegion(0, buffer.size()));
    // Literal: a recalled entry comes back exactly as it was entered.
    buffer.insertCharacters(0, text, true);
    field.mutableSel() = SelectionSet(SelectionRegion(buffer.size()));
    buffer.endUndoGroup(false, false);
}

void recallHistory(TextBufferView& field, const HistoryList& list, const std::string& unit, int32_t amount)
{
    if (unit != "lines" || list.empty())
        return;
    const TextBuffer& buffer = *field.buffer();
    const ustring text = buffer.substr(SelectionRegion(0, buffer.size()));
    const std::vector<ustring>& entries = list.entries();
    const auto found = std::find(entries.begin(), entries.end(), text);
    const bool up = amount < 0;
    if (found == entries.end()) {
        if (up)
            replaceFieldText(field, entries.front());
        return;
    }
    if (up && found + 1 != entries.end())
        replaceFieldText(field, *(found + 1));
    else if (!up && found != entries.begin())
        replaceFieldText(field, *(found - 1));
}

std::function<void(const std::string& unit, int32_t amount)> historyRecallHook(
    const slate::SP<TextBufferView>& field, const HistoryList* list)
{
    if (!list)
        return nullptr;
    return [field, list](const std::string& unit, int32_t amount) { recallHistory(*field, *list, unit, amount); };
}
