// A vertical list of rows in a sunken frame with a scrollbar. The owner
// keeps the rows, the order and subset shown, the selection and the scroll
// offset, and paints each row through its own drawer; the control lays the
// visible rows out, draws only those inside the frame and reports a mouse1
// press on a row. It has no keyboard handling: the owner moves the selection
// and brings it into view with scrollListToRow.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "ui/input_region.h"
#include "ui/interval2.h"

class Canvas;
class Theme;

// A row record, handed to the row drawer unchanged.
struct ListRow {
    uintptr_t first = 0;
    uintptr_t second = 0;
};

// (theme, canvas, row rect, the row, whether it is the selected one).
using ListRowDrawer = std::function<void(Theme&, Canvas&, const interval2&, const ListRow&, bool)>;
// Called with a position in the visible sequence.
using ListSelectCallback = std::function<void(int position)>;

// The height of a row: the line height of the list's font plus 1.
float rowHeight(const Theme& theme, bool monospace);

// The region inside the list's frame for one frame: a mouse1 press on a row
// reports the row's position (the upper row on a boundary between two).
class ListControlInputHandler : public InputRegion {
public:
    ListControlInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                            ListSelectCallback onSelect, float scrollX, float scrollY, float rowHeight,
                            int rowCount);
    bool onInputEvent(const KeyEvent& event) override;

private:
    ListSelectCallback m_onSelect; // may be empty
    float m_scrollX;
    float m_scrollY;
    float m_rowHeight;
    int m_rowCount;
};

// Draws `visible` (indices into `rows`, in display order) scrolled by the
// owner's offset; `selected` is a position in `visible` (-1 for none).
// `rows` and `visible` are read only during the call. False while a frame is
// not complete.
bool listControl(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect, vector2* offset,
                 const std::vector<ListRow>& rows, const std::vector<int>& visible, int selected,
                 const ListSelectCallback& onSelect, const ListRowDrawer& drawRow, bool monospace);

// The number of whole rows that fit in the frame of `rect`.
int visibleListRows(const Theme& theme, const interval2& rect, bool monospace);
// Scrolls the offset so that row `row` lies wholly inside the frame, moving
// it as little as possible; the horizontal offset is left alone.
void scrollListToRow(const Theme& theme, const interval2& rect, vector2* offset, int row, bool monospace);
