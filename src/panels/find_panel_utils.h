// What the panels that search with a window's FindSettings (find,
// incremental find, replace) do alike, built on its public interface.
// Main thread only.
#pragma once

#include <functional>

#include "ui/input_region.h"
#include "ui/interval2.h"
#include "ui/reference_counted.h"
#include "ui/text/text_buffer_functions.h"

class FindSettings;
class Theme;
class Window;

// The last selection, or the word at a caret; empty for a caret among
// blanks, which names nothing to search for or replace with.
SelectionRegion selectionOrWord(const ViewPtr& view);

// The text of selectionOrWord in `view` (may be null: empty).
ustring selectionOrWordText(const ViewPtr& view);

// A panel opening on `view` (may be null): a selection of several lines
// turns in selection on (the flag and its option, without notifying), any
// other selection turns it off; with use selected text on, a one-line
// selection becomes the find text.
void takeSearchFromSelection(FindSettings& settings, const ViewPtr& view);

// While the last highlighting could not use the find text as a regular
// expression, draws the first sentence of its message at the right of
// `fieldRect` and returns the part of the rectangle left to the field;
// otherwise returns `fieldRect`.
interval2 layoutFindError(const FindSettings& settings, Theme& theme, InputRegion* parent,
                          const interval2& fieldRect);

// A push button in the theme's "button" look with a text label.
bool pushLabelButton(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
                     std::function<void()> action, const ustring& label);

// The find field of `settings` in `rect`, region `fieldId`, with its history
// drop-down button `dropdownId`; the menu opens on `menuHost` (may be null).
// A refused pattern's message takes the right of the rectangle (see
// layoutFindError). Up and Down recall the find history; an entry chosen from
// the menu becomes the find text and runs `onModified`, as an edit of the
// field does. Returns whether the field finished drawing.
bool layoutFindField(FindSettings& settings, Theme& theme, InputRegion* parent, const interval2& rect,
                     const RegionId& fieldId, const RegionId& dropdownId, Window* menuHost,
                     std::function<void(bool ctrl, bool alt, bool shift)> onReturn,
                     std::function<void()> onModified);
