// Recalling a one-line text field's past entries from its HistoryList by
// moving the caret a line up or down in the field. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/reference_counted.h"
#include "ui/ustring.h"

class HistoryList;
class TextBufferView;

// Replaces the whole text of `field` with `text` as one undo group without a
// name and leaves a single caret at its end.
void replaceFieldText(TextBufferView& field, const ustring& text);

// The move-overflow hook of a one-line field: for the unit "lines", a
// negative `amount` (up) recalls the entry older than the one the field
// holds, or the newest when the field holds none of them; any other amount
// (down) recalls the newer one. Nothing changes at either end of the list,
// for other units or for an empty list. The field's text is looked up with
// letter case, whatever the list's own comparison.
void recallHistory(TextBufferView& field, const HistoryList& list, const std::string& unit, int32_t amount);

// recallHistory on `field` and `list` as a text control's move-overflow
// hook; empty when `list` is null. The hook keeps the field alive; the list
// must outlive it.
std::function<void(const std::string& unit, int32_t amount)> historyRecallHook(
    const slate::SP<TextBufferView>& field, const HistoryList* list);
