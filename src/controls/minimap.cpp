// The minimap of a text view. It is an ordinary view of the same buffer laid
// out at the main view's width and drawn at a zoom of at least 4, so a line
// of the minimap is a quarter of a line or less. Its vertical scroll is not
// its own: each frame sets it in proportion to the main view's, so that the
// whole file passes through the minimap while the main view scrolls from top
// to bottom.
//
// Dragging the outline therefore moves two scrolls that depend on each
// other: where the main view goes depends on where the minimap is scrolled,
// and where the minimap is scrolled depends on where the main view goes.
// scrollFromMinimap solves the pair by iterating the minimap's scroll to its
// fixed point. The map is a contraction (the minimap moves less than the
// main view it follows), so a few steps settle it; the step bound only keeps
// a degenerate layout from spinning.
//
// The minimap's band (its viewport height times its zoom) reaches past the
// renderer's single-pass limit on tall windows; the renderer then draws it
// in slices, so the picture stays complete and at its true scale.
#include "controls/minimap.h"

#include <algorithm>
#include <cmath>

#include "canvas/canvas.h"
#include "canvas/util/colour.h"
#include "controls/text_area.h"
#include "ui/base_window.h"
#include "ui/key_codes.h"
#include "ui/text/text_buffer_view.h"
#include "window_manager/window.h"

namespace {

// The most steps the joint scroll solve takes.
constexpr int kMaxSolveSteps = 50000;
// The smallest minimap zoom: a minimap line is at most a quarter of a line.
constexpr float kMinimumZoom = 4.f;

// The minimap's vertical scroll that keeps it in proportion to a main view
// scrolled to `mainTop`: 0 at the top, its whole range once the main view
// has reached its last screen.
double proportionalScroll(double range, double mainTop, double mainSpan)
{
    if (!(mainSpan > 0.0))
        return 0.0;
    return range * std::clamp(mainTop / mainSpan, 0.0, 1.0);
}

// The largest scroll of a minimap `innerHeight` high.
double minimapRange(TextBufferView& minimapView, double innerHeight)
{
    return std::max(0.0, minimapView.layoutExtent().y / minimapView.zoom() - innerHeight);
}

int clickModeOf(const TextBufferView& view) { return static_cast<int>(view.settings().clickToScroll); }

} // namespace

float minimapScale(float height, TextBufferView& view)
{
    int32_t row = 0, column = 0;
    TextBuffer& buffer = *view.buffer();
    buffer.rowcol(buffer.size(), row, column);
    const float scale = 1.f / (static_cast<float>(view.lineHeight()) * row / height + 1.f);
    return std::clamp(scale, 1.f / 9.f, 0.2f);
}

interval2 minimapVisibleRect(const TextBufferView& minimapView, const TextBufferView& mainView,
                             const interval2& rect)
{
    const double g = mainView.zoom() / minimapView.zoom();
    const double x0 = g * mainView.translationX() + (rect.x0 - minimapView.translationX());
    const double y0 = g * mainView.translationY() + (rect.y0 - minimapView.translationY());
    return interval2(static_cast<float>(x0), static_cast<float>(y0),
                     static_cast<float>(x0 + g * mainView.viewportWidth()),
                     static_cast<float>(y0 + g * mainView.viewportHeight()));
}

void scrollFromMinimap(const interval2& rect, TextBufferView* minimapView, TextBufferView* mainView, float x,
                       float y, float offsetX, float offsetY, bool dragging)
{
    if (!minimapView || !mainView)
        return;
    TextBufferView& m = *minimapView;
    TextBufferView& v = *mainView;
    const double pointerX = double(x) + offsetX - rect.x0;
    const double pointerY = double(y) + offsetY - rect.y0;
    const double k = double(m.zoom()) / v.zoom();
    double translationX = (pointerX + m.translationX()) * k - v.viewportWidth() * 0.5;
    double translationY;
    if (!dragging) {
        translationY = (pointerY + m.translationY()) * k - v.viewportHeight() * 0.5;
    } else {
        const double range = minimapRange(m, rect.y1 - rect.y0 - 4.0);
        const double span = v.layoutExtent().y - v.viewportHeight();
        double t = m.translationY();
        for (int step = 0; step < kMaxSolveSteps; ++step) {
            const double next = std::floor(proportionalScroll(range, (t + pointerY) * k, span));
            const bool settled = std::fabs(next - t) < 0.001;
            t = next;
            if (settled)
                break;
        }
        m.setTranslation(m.translationX(), t);
        translationY = (pointerY + t) * k;
    }
    const LayoutPoint limit = v.maxTranslation();
    const double limitX = v.settings().layout.wordWrap ? 0.0 : limit.x;
    translationX = std::min(std::max(std::floor(translationX), 0.0), limitX);
    translationY = std::min(std::max(std::floor(translationY), 0.0), limit.y);
    v.setTranslation(translationX, translationY);
}

void drawRectOutline(Canvas& canvas, const interval2& rect)
{
    const float points[] = {rect.x0, rect.y0, 0, rect.x1, rect.y0, 0, rect.x1, rect.y1, 0,
                            rect.x0, rect.y1, 0, rect.x0, rect.y0, 0};
    canvas.drawLineStrip(points, 5);
}

MinimapInputHandler::MinimapDragHandler::MinimapDragHandler(float x, float y, const interval2& regionRect,
                                                            const slate::SP<TextBufferView>& minimapView,
                                                            const slate::SP<TextBufferView>& mainView,
                                                            bool clickModeOne)
    : ButtonDragHandler(kMouseLeft, regionRect, nullptr), m_regionRect(regionRect), m_minimapView(minimapView),
      m_mainView(mainView), m_dragging(clickModeOne), m_clickMode1(clickModeOne)
{
    const interval2 box = minimapVisibleRect(*minimapView, *mainView, regionRect);
    if (box.contains(x, y)) {
        m_dragging = true;
        m_grabOffset = {box.x0 + (box.x1 - box.x0) * 0.5f - x, box.y0 - y};
    }
    scrollFromMinimap(m_regionRect, m_minimapView.get(), m_mainView.get(), x, y, m_grabOffset.x, m_grabOffset.y,
                      m_dragging);
}

DragResult MinimapInputHandler::MinimapDragHandler::onMotion(const MotionEvent& event)
{
    if (ButtonDragHandler::onMotion(event) == DragResult::End)
        return DragResult::End;
    if (m_dragging)
        scrollFromMinimap(m_regionRect, m_minimapView.get(), m_mainView.get(), event.state.x, event.state.y,
                          m_grabOffset.x, m_grabOffset.y, true);
    return DragResult::Continue;
}

MinimapInputHandler::MinimapInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                                         const slate::SP<TextBufferView>& minimapView,
                                         const slate::SP<TextBufferView>& mainView, int clickMode)
    : InputRegion(window, id, rect), m_minimapView(minimapView), m_mainView(mainView), m_clickMode(clickMode)
{
}

bool MinimapInputHandler::onInputEvent(const KeyEvent& event)
{
    if (!event.pressed)
        return false;
    const float x = event.state.x, y = event.state.y;
    switch (event.code) {
    case kMouseLeft: {
        m_window->focusState()->requestFocus(RegionId(m_mainView.get()));
        const bool onBox = minimapVisibleRect(*m_minimapView, *m_mainView, m_rect).contains(x, y);
        Window* platformWindow = window();
        if ((onBox || m_clickMode != 0) && platformWindow)
            platformWindow->beginDrag(
                new MinimapDragHandler(x, y, m_rect, m_minimapView, m_mainView, m_clickMode == 1));
        return true;
    }
    case kMouseMiddle:
        m_window->focusState()->requestFocus(RegionId(m_mainView.get()));
        return false;
    case kMouseDoubleClick:
        return true;
    default:
        return false;
    }
}

bool MinimapInputHandler::onMotion(const MotionEvent& event)
{
    return scrollViewByWheel(*m_mainView, event);
}

bool minimap(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
             const slate::SP<TextBufferView>& minimapView, const slate::SP<TextBufferView>& mainView)
{
    BaseWindow* window = parent->baseWindow();
    Canvas& canvas = *window->canvas();
    TextBufferView& m = *minimapView;
    TextBufferView& v = *mainView;
    const interval2 inner = drawFieldFrame(canvas, rect, m);
    if (v.buffer()->isReading())
        return false;
    parent->addChild(new MinimapInputHandler(window, id, rect, minimapView, mainView, clickModeOf(v)));

    m.setLayoutWidth(v.layoutWidth());
    const float innerWidth = inner.x1 - inner.x0, innerHeight = inner.y1 - inner.y0;
    // A minimap squeezed to nothing by a narrow window keeps the smallest
    // zoom: an infinite one would turn the main view's scroll into NaN on
    // the next press.
    m.setZoom(innerWidth > 0 ? std::max(kMinimumZoom, v.viewportWidth() / innerWidth) : kMinimumZoom);
    const double mainSpan = v.layoutExtent().y - v.viewportHeight();
    const double top = std::fabs(mainSpan) < 0.001
                           ? 0.0
                           : proportionalScroll(minimapRange(m, innerHeight), v.translationY(), mainSpan);
    m.setTranslation(0.0, top);

    const bool focused = window->focusState()->hasFocus(RegionId(mainView.get()));
    drawTextArea(canvas, inner, &theme, m, focused, false);

    const interval2 savedClip = canvas.intersectClip(inner);
    float colour[3];
    parseColourName(focused ? "Peru" : "Grey", colour);
    const FillState savedFill = canvas.pushColour(Colour(colour));
    const interval2 box = minimapVisibleRect(m, v, inner);
    drawRectOutline(canvas, interval2(std::floor(box.x0), std::floor(box.y0), std::floor(box.x1) - 1.f,
                                      std::floor(box.y1) - 1.f));
    canvas.setFillState(savedFill);
    canvas.setClip(savedClip);
    return true;
}
