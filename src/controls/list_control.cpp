// The list control. Rows are laid out at whole multiples of the row height
// from the floored scroll offset, so drawing starts at the first row that
// reaches into the frame instead of walking the rows above it: a frame costs
// the rows shown, not the length of the list.
#include "controls/list_control.h"

#include <algorithm>
#include <cmath>

#include "canvas/canvas.h"
#include "canvas/unicode_font.h"
#include "controls/control_helpers.h"
#include "controls/scroll_container.h"
#include "ui/base_window.h"
#include "ui/theme.h"

namespace {

// The first row whose bottom can reach `y` below the rows' top (a row
// earlier than exact, for the rounding of the products).
int firstRowReaching(float y, float height)
{
    if (height <= 0 || y <= 0)
        return 0;
    return std::max(0, int(std::floor(y / height)) - 1);
}

bool listContent(Theme& theme, InputRegion* region, const interval2& contentRect, float scrollX, float scrollY,
                 const RegionId& id, const std::vector<ListRow>& rows, const std::vector<int>& visible,
                 int selected, const ListSelectCallback& onSelect, const ListRowDrawer& drawRow, bool monospace)
{
    Canvas& canvas = *region->baseWindow()->canvas();
    const interval2 inner = drawControlFrame(theme, canvas, contentRect);
    const float sx = std::floor(scrollX), sy = std::floor(scrollY);
    const float height = rowHeight(theme, monospace);
    const int count = int(visible.size());
    region->addChild(
        new ListControlInputHandler(region->baseWindow(), id, inner, onSelect, sx, sy, height, count));
    const interval2 saved = canvas.setClip(inner);
    for (int k = firstRowReaching(sy, height); k < count; ++k) {
        const float top = inner.y0 - sy + height * k;
        const float bottom = top + height;
        const int index = visible[k];
        if (bottom >= inner.y0 && drawRow && index >= 0 && size_t(index) < rows.size())
            drawRow(theme, canvas, interval2(inner.x0, top, inner.x1, bottom), rows[index], k == selected);
        if (bottom > inner.y1)
            break;
    }
    canvas.setClip(saved);
    return true;
}

} // namespace

float rowHeight(const Theme& theme, bool monospace)
{
    const UnicodeFont* font = theme.font(monospace).font;
    return (font ? font->lineHeight() : 0.f) + 1.f;
}

ListControlInputHandler::ListControlInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                                                 ListSelectCallback onSelect, float scrollX, float scrollY,
                                                 float rowHeight, int rowCount)
    : InputRegion(window, id, rect), m_onSelect(std::move(onSelect)), m_scrollX(scrollX), m_scrollY(scrollY),
      m_rowHeight(rowHeight), m_rowCount(rowCount)
{
}

bool ListControlInputHandler::onInputEvent(const KeyEvent& event)
{
    if (!event.pressed || event.code != kMouseLeft)
        return false;
    const float top = m_rect.y0 - m_scrollY;
    const float pointer = event.state.y;
    for (int i = firstRowReaching(pointer - top, m_rowHeight); i < m_rowCount; ++i) {
        const float y = top + m_rowHeight * i;
        if (y > pointer)
            break;
        if (pointer <= y + m_rowHeight && m_onSelect) {
            m_onSelect(i);
            break;
        }
    }
    return true;
}

bool listControl(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect, vector2* offset,
                 const std::vector<ListRow>& rows, const std::vector<int>& visible, int selected,
                 const ListSelectCallback& onSelect, const ListRowDrawer& drawRow, bool monospace)
{
    const float height = rowHeight(theme, monospace);
    const float contentHeight = 2 * controlBorderWidth() + height * float(visible.size());
    return scrollContainer(theme, parent, rect, 0, contentHeight, offset, 0, height,
                           [&](Theme& t, InputRegion* region, const interval2& content, float x, float y) {
                               return listContent(t, region, content, x, y, id, rows, visible, selected, onSelect,
                                                  drawRow, monospace);
                           });
}

int visibleListRows(const Theme& theme, const interval2& rect, bool monospace)
{
    return int(std::floor(((rect.y1 - rect.y0) - 2 * controlBorderWidth()) / rowHeight(theme, monospace)));
}

void scrollListToRow(const Theme& theme, const interval2& rect, vector2* offset, int row, bool monospace)
{
    const float height = rowHeight(theme, monospace);
    const float top = height * row;
    if (top < offset->y)
        offset->y = top;
    const float bottom = top + height + 2 * controlBorderWidth();
    const float extent = rect.y1 - rect.y0;
    if (bottom > extent + offset->y)
        offset->y = bottom - extent;
}
