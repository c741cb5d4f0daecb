// The functions that put a text view on screen each frame: a bordered
// one-line field (with or without a drop-down button) and the full editor
// view with its gutter, scrollbars and optional minimap. Each draws the view
// into its rect, adds the view's input handler, scrollbars and minimap under
// the parent region, and returns whether the frame is complete: false while
// the view's buffer is still loading, so that the window keeps drawing until
// the text is there.
//
// The editor views take their region ids from the views themselves:
// RegionId(view) for the text, RegionId(view, 1) and RegionId(view, 2) for
// the vertical and horizontal scrollbars, RegionId(minimap view) for the
// minimap.
#pragma once

#include "controls/text_input_handler.h"
#include "ui/input_region.h"
#include "ui/interval2.h"
#include "ui/reference_counted.h"

class TextBufferView;
class Theme;

// A one-line field with a sunken frame, region `id` over the whole rect.
// Any callable may be empty. The field shows its view even while the buffer
// loads, and keeps its region then, but reports the frame incomplete.
bool textControl(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
                 const slate::SP<TextBufferView>& view, TextInputHandler::ReturnFunction onReturn,
                 TextInputHandler::ModifiedFunction onModified, MoveOverflowFunction moveOverflow);

// textControl with a 24-pixel strip on the right holding a 16-pixel button
// (region `buttonId`, theme element "btn.dropdown") that runs `onDropdown`.
bool dropdownTextControl(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
                         const slate::SP<TextBufferView>& view, TextInputHandler::ReturnFunction onReturn,
                         TextInputHandler::ModifiedFunction onModified, MoveOverflowFunction moveOverflow,
                         const RegionId& buttonId, std::function<void()> onDropdown);
// The same for a field of several lines.
bool multiLineDropdownTextControl(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
                                  const slate::SP<TextBufferView>& view, TextInputHandler::ReturnFunction onReturn,
                                  TextInputHandler::ModifiedFunction onModified, MoveOverflowFunction moveOverflow,
                                  const RegionId& buttonId, std::function<void()> onDropdown);

// The text part of an editor view: the frame and the text, with a
// multi-line input handler `id` over the whole rect. A loading buffer shows
// its progress instead, gets no region and reports the frame incomplete.
bool textArea(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
              const slate::SP<TextBufferView>& view, TextInputHandler::DoubleClickFunction onDoubleClick);

// A full editor view: the text area with the scrollbars its settings want
// and, when `minimapView` is not null, a minimap of the same buffer on the
// left or right, a fraction of the rect's width (at most `minimapMaxWidth`
// pixels when that is above 10), 2 pixels apart from the text. When
// `firstRegion` is not null it receives the text area's region (null while
// loading, when there is none).
bool textView(Theme& theme, InputRegion* parent, const interval2& rect, const slate::SP<TextBufferView>& view,
              const slate::SP<TextBufferView>& minimapView, bool minimapOnLeft, float minimapMaxWidth,
              TextInputHandler::DoubleClickFunction onDoubleClick, InputRegion** firstRegion);

// textView without a minimap.
bool textViewWithOptions(Theme& theme, InputRegion* parent, const interval2& rect,
                         const slate::SP<TextBufferView>& view,
                         TextInputHandler::DoubleClickFunction onDoubleClick);
