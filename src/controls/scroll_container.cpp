// The scroll container and its bars. The container corrects the caller's
// offset every frame, so the bars and the wheel may write any position and
// the next frame puts it back in range. Both bars share one implementation
// over an axis tag.
#include "controls/scroll_container.h"

#include <cmath>

#include "canvas/canvas.h"
#include "controls/control_helpers.h"
#include "ui/base_window.h"
#include "ui/theme.h"
#include "window_manager/window.h"

namespace {

bool hasArea(const interval2& r) { return r.x1 > r.x0 && r.y1 > r.y0; }

// A clamp that also turns a value that is not a number into the low end.
float clampOffset(float value, float maximum)
{
    if (!(value > 0))
        return 0;
    return value > maximum ? maximum : value;
}

// The start and length of a puck along the track [low, high).
void puckSpan(float low, float high, double position, double visible, double maximum, double minimumLength,
              double& start, double& length)
{
    const double trackLength = high - low;
    if (maximum <= 0) {
        start = low;
        length = trackLength;
        return;
    }
    length = std::max(trackLength * visible / (visible + maximum), minimumLength);
    start = low + (trackLength - length) * position / maximum;
}

template <typename Axis>
bool scrollbar(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& track, double position,
               double visible, double maximum, const ScrollCallback& onScroll, const RegionId& focusId,
               const char* trackName, const char* puckName)
{
    Shader& trackShader = theme.get(trackName);
    Shader& puckShader = theme.get(puckName);
    position = std::min(std::max(position, 0.0), maximum);
    if (onScroll)
        parent->addChild(new ScrollbarInputHandler<Axis>(parent->baseWindow(), id, track, position, visible,
                                                         maximum, onScroll, focusId));
    trackShader.draw(track);
    puckShader.draw(Axis::puck(track, position, visible, maximum, minimumPuckLength));
    return true;
}

} // namespace

ScrollbarsNeeded scrollbarsNeeded(const Theme& theme, const interval2& rect, float contentWidth,
                                  float contentHeight)
{
    const float w = rect.x1 - rect.x0, h = rect.y1 - rect.y0, e = theme.scrollbarCrossExtent;
    ScrollbarsNeeded needs;
    needs.vertical = contentHeight > h || (contentWidth > w && h - e < contentHeight);
    needs.horizontal = contentWidth > w || (contentHeight > h && contentWidth > w - e);
    return needs;
}

ScrollbarLayout scrollbarLayout(const Theme& theme, const interval2& rect, bool needVertical, bool needHorizontal)
{
    const float e = theme.scrollbarCrossExtent;
    ScrollbarLayout layout;
    if (needVertical && needHorizontal) {
        const RectPair columns = splitRectRight(rect, e);
        layout.verticalBar = columns.second;
        const RectPair rows = splitRectBottom(columns.first, e);
        layout.content = rows.first;
        layout.horizontalBar = rows.second;
        interval2& v = layout.verticalBar;
        v.y1 = e < v.y1 - v.y0 ? v.y1 - e : v.y0;
        interval2& h = layout.horizontalBar;
        if (!(e < h.x1 - h.x0))
            h.x1 = h.x0;
    } else if (needVertical) {
        const RectPair columns = splitRectRight(rect, e);
        layout.content = columns.first;
        layout.verticalBar = columns.second;
    } else if (needHorizontal) {
        const RectPair rows = splitRectBottom(rect, e);
        layout.content = rows.first;
        layout.horizontalBar = rows.second;
    } else {
        layout.content = rect;
    }
    return layout;
}

interval2 verticalPuckRect(const interval2& track, double position, double visible, double maximum,
                           double minimumLength)
{
    double top, length;
    puckSpan(track.y0, track.y1, position, visible, maximum, minimumLength, top, length);
    const interval2 puck(std::floor(track.x0), float(std::floor(top)), std::floor(track.x1),
                         float(std::floor(top + length)));
    return intersectRect(puck, track);
}

interval2 horizontalPuckRect(const interval2& track, double position, double visible, double maximum,
                             double minimumLength)
{
    double left, length;
    puckSpan(track.x0, track.x1, position, visible, maximum, minimumLength, left, length);
    const interval2 puck(float(std::floor(left)), std::floor(track.y0), float(std::floor(left + length)),
                         std::floor(track.y1));
    return intersectRect(puck, track);
}

template <typename Axis>
ScrollbarInputHandler<Axis>::ScrollbarDragHandler::ScrollbarDragHandler(const InputState& start,
                                                                        const interval2& track, double maximum,
                                                                        ScrollCallback onScroll,
                                                                        const interval2& puckStart)
    : ButtonDragHandler(kMouseLeft, track, {}), m_start{start.x, start.y}, m_track(track), m_maximum(maximum),
      m_onScroll(std::move(onScroll)), m_puckStart(puckStart)
{
}

template <typename Axis>
DragResult ScrollbarInputHandler<Axis>::ScrollbarDragHandler::onMotion(const MotionEvent& event)
{
    if (!event.state.key[kMouseLeft])
        return DragResult::End;
    InputState start;
    start.x = m_start.x;
    start.y = m_start.y;
    const double moved = double(Axis::pointer(event.state)) - Axis::pointer(start);
    const double travelled = double(Axis::low(m_puckStart)) - Axis::low(m_track) + moved;
    const double room = (double(Axis::high(m_track)) - Axis::low(m_track)) -
                        (double(Axis::high(m_puckStart)) - Axis::low(m_puckStart));
    double position;
    if (room != 0) {
        position = travelled / room * m_maximum;
    } else {
        // The puck fills the track: any move is a move to one end.
        if (travelled == 0 || m_maximum == 0)
            return DragResult::Continue;
        position = travelled > 0 ? m_maximum : -1;
    }
    if (position < 0) {
        m_onScroll(0);
        return DragResult::Continue;
    }
    m_onScroll(std::min(position, m_maximum));
    return DragResult::Continue;
}

template <typename Axis>
ScrollbarInputHandler<Axis>::ScrollbarInputHandler(BaseWindow* window, const RegionId& id, const interval2& track,
                                                   double position, double visible, double maximum,
                                                   ScrollCallback onScroll, const RegionId& focusId)
    : InputRegion(window, id, track), m_position(position), m_visible(visible), m_maximum(maximum),
      m_onScroll(std::move(onScroll)), m_focusId(focusId)
{
}

template <typename Axis>
bool ScrollbarInputHandler<Axis>::onInputEvent(const KeyEvent& event)
{
    if (event.pressed && event.code == kMouseLeft) {
        if (m_focusId.isSet())
            m_window->focusState()->requestFocus(m_focusId);
        const interval2 puck = Axis::puck(m_rect, m_position, m_visible, m_maximum, m_minimumPuckLength);
        if (puck.contains(event.state.x, event.state.y)) {
            if (Window* platformWindow = window())
                platformWindow->beginDrag(
                    new ScrollbarDragHandler(event.state, m_rect, m_maximum, m_onScroll, puck));
            return true;
        }
        const bool abovePuck = Axis::low(puck) > Axis::pointer(event.state);
        const double paged = abovePuck ? m_position - m_visible : m_position + m_visible;
        m_onScroll(std::min(std::max(paged, 0.0), m_maximum));
        return true;
    }
    if (event.pressed && event.code == kMouseMiddle) {
        if (m_focusId.isSet())
            m_window->focusState()->requestFocus(m_focusId);
        return false;
    }
    return event.code == kMouseDoubleClick;
}

template class ScrollbarInputHandler<SelectY>;
template class ScrollbarInputHandler<SelectX>;

ScrollContainerInputHandler::ScrollContainerInputHandler(BaseWindow* window, const RegionId& id,
                                                         const interval2& rect, vector2* offset, float stepX,
                                                         float stepY)
    : InputRegion(window, id, rect), m_offset(offset), m_stepX(stepX), m_stepY(stepY)
{
}

bool ScrollContainerInputHandler::onMotion(const MotionEvent& event)
{
    float vertical = event.wheelY, horizontal = event.wheelX;
    if (vertical == 0 && horizontal == 0)
        return false;
    if (event.state.controlDown()) {
        horizontal += vertical;
        vertical = 0;
    }
    // An axis without a step does not scroll (a page of it would divide by
    // zero and poison the offset).
    if (vertical != 0 && m_stepY > 0) {
        const float page = std::floor((m_rect.y1 - m_rect.y0) / m_stepY) * m_stepY;
        m_offset->y -= event.page ? page * vertical : vertical * m_stepY;
    }
    if (horizontal != 0 && m_stepX > 0) {
        const float page = std::floor((m_rect.x1 - m_rect.x0) / m_stepX) * m_stepX;
        m_offset->x -= event.page ? horizontal * page : horizontal * m_stepX;
    }
    return true;
}

bool verticalScrollbar(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& track,
                       double position, double visible, double maximum, const ScrollCallback& onScroll,
                       const RegionId& focusId)
{
    return scrollbar<SelectY>(theme, parent, id, track, position, visible, maximum, onScroll, focusId,
                              "scrollbar.track", "scrollbar.puck");
}

bool horizontalScrollbar(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& track,
                         double position, double visible, double maximum, const ScrollCallback& onScroll,
                         const RegionId& focusId)
{
    return scrollbar<SelectX>(theme, parent, id, track, position, visible, maximum, onScroll, focusId,
                              "scrollbar.htrack", "scrollbar.hpuck");
}

bool scrollContainer(Theme& theme, InputRegion* parent, const interval2& rect, float contentWidth,
                     float contentHeight, vector2* offset, float stepX, float stepY, const ScrollContent& drawContent)
{
    const ScrollbarsNeeded needs = scrollbarsNeeded(theme, rect, contentWidth, contentHeight);
    const ScrollbarLayout layout = scrollbarLayout(theme, rect, needs.vertical, needs.horizontal);
    const interval2& view = layout.content;
    const float maxX = std::max(contentWidth - (view.x1 - view.x0), 0.f);
    const float maxY = std::max(contentHeight - (view.y1 - view.y0), 0.f);
    offset->x = clampOffset(offset->x, maxX);
    offset->y = clampOffset(offset->y, maxY);

    auto* region =
        new ScrollContainerInputHandler(parent->baseWindow(), RegionId(nullptr, offset, 0), rect, offset, stepX, stepY);
    parent->addChild(region);
    bool done = true;
    if (hasArea(layout.verticalBar))
        done &= verticalScrollbar(theme, region, RegionId(nullptr, offset, 1), layout.verticalBar, offset->y,
                                  view.y1 - view.y0, maxY, [offset](double y) { offset->y = float(y); }, RegionId());
    if (hasArea(layout.horizontalBar))
        done &= horizontalScrollbar(theme, region, RegionId(nullptr, offset, 2), layout.horizontalBar, offset->x,
                                    view.x1 - view.x0, maxX, [offset](double x) { offset->x = float(x); },
                                    RegionId());
    done &= drawContent(theme, region, view, offset->x, offset->y);
    return done;
}
