// Text fields and editor views. They hold no state of their own: each frame
// they split the rect, make the view's viewport follow it, add this frame's
// regions and draw. What must outlive the frame (scroll position, zoom,
// selection) lives in the views, and the scrollbars write straight back into
// them.
#include "controls/text_control.h"

#include <cmath>
#include <utility>

#include "canvas/canvas.h"
#include "controls/control_helpers.h"
#include "controls/minimap.h"
#include "controls/scroll_container.h"
#include "controls/text_area.h"
#include "ui/base_window.h"
#include "ui/text/text_buffer_view.h"
#include "ui/theme.h"

namespace {

// The width of the drop-down strip at the right of a field.
constexpr float kDropdownStripWidth = 24.f;
// The side of the drop-down button.
constexpr float kDropdownButtonSize = 16.f;
// The pixels between an editor view's text and its minimap.
constexpr float kMinimapGap = 2.f;
// A minimapMaxWidth of this or less sets no limit.
constexpr float kMinimapMaxWidthFloor = 10.f;

bool isLoading(const TextBufferView& view) { return view.buffer()->isReading(); }

// The field frame and text of a one-line control over `rect`, with its
// handler over `handlerRect`; the inner rect of the frame.
interval2 drawField(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
                    const slate::SP<TextBufferView>& view, bool multiLine,
                    TextInputHandler::ReturnFunction onReturn, TextInputHandler::ModifiedFunction onModified,
                    MoveOverflowFunction moveOverflow, float rightStrip)
{
    BaseWindow* window = parent->baseWindow();
    parent->addChild(new TextInputHandler(window, id, rect, view, multiLine, std::move(onReturn),
                                          std::move(onModified), nullptr, std::move(moveOverflow)));
    Canvas& canvas = *window->canvas();
    const interval2 inner = drawFieldFrame(canvas, rect, *view);
    const interval2 text = rightStrip > 0 ? splitRectRight(inner, rightStrip).first : inner;
    drawTextArea(canvas, text, &theme, *view, window->focusState()->hasFocus(id), true);
    return inner;
}

bool dropdownField(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
                   const slate::SP<TextBufferView>& view, bool multiLine, TextInputHandler::ReturnFunction onReturn,
                   TextInputHandler::ModifiedFunction onModified, MoveOverflowFunction moveOverflow,
                   const RegionId& buttonId, std::function<void()> onDropdown)
{
    const interval2 inner = drawField(theme, parent, id, rect, view, multiLine, std::move(onReturn),
                                      std::move(onModified), std::move(moveOverflow), kDropdownStripWidth);
    const interval2 strip = splitRectRight(inner, kDropdownStripWidth).second;
    const float inset = (kDropdownStripWidth - kDropdownButtonSize) / 2;
    const interval2 button(strip.x0 + inset, inner.y0 + 2, strip.x1 - inset, inner.y0 + 2 + kDropdownButtonSize);
    const bool buttonDone = iconButton(parent, buttonId, button, std::move(onDropdown), nullptr,
                                       &theme.get("btn.dropdown"), nullptr, ustring(), ustring(),
                                       kDropdownButtonSize);
    return !isLoading(*view) && buttonDone;
}

// Where the text and the minimap go when a minimap is shown.
struct MinimapSplit {
    interval2 text;
    interval2 minimap;
};

MinimapSplit splitForMinimap(const interval2& rect, TextBufferView& view, bool minimapOnLeft,
                             float minimapMaxWidth)
{
    const float width = rect.x1 - rect.x0;
    float fraction = minimapScale(rect.y1 - rect.y0, view);
    if (minimapMaxWidth > kMinimapMaxWidthFloor && fraction * width > minimapMaxWidth)
        fraction = minimapMaxWidth / width;
    const RectPair parts = splitRectLeftFraction(rect, minimapOnLeft ? fraction : 1 - fraction);
    MinimapSplit split;
    if (minimapOnLeft) {
        split.text = parts.second;
        split.minimap = parts.first;
        split.minimap.x1 -= kMinimapGap;
    } else {
        split.text = parts.first;
        split.minimap = parts.second;
        split.minimap.x0 += kMinimapGap;
    }
    return split;
}

// Whether the view wants a horizontal bar in a text rect `textWidth` wide:
// a wrapped view needs one only when its wrap width does not fit.
bool wantsHorizontalBar(const Theme& theme, TextBufferView& view, float textWidth)
{
    const ViewSettings& settings = view.settings();
    if (!settings.wantHorizontalScrollBar || isLoading(view))
        return false;
    if (!settings.layout.wordWrap)
        return true;
    return textWidth - gutterArea(view) - theme.scrollbarCrossExtent < settings.layout.wrapWidth;
}

} // namespace

bool textControl(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
                 const slate::SP<TextBufferView>& view, TextInputHandler::ReturnFunction onReturn,
                 TextInputHandler::ModifiedFunction onModified, MoveOverflowFunction moveOverflow)
{
    drawField(theme, parent, id, rect, view, false, std::move(onReturn), std::move(onModified),
              std::move(moveOverflow), 0);
    return !isLoading(*view);
}

bool dropdownTextControl(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
                         const slate::SP<TextBufferView>& view, TextInputHandler::ReturnFunction onReturn,
                         TextInputHandler::ModifiedFunction onModified, MoveOverflowFunction moveOverflow,
                         const RegionId& buttonId, std::function<void()> onDropdown)
{
    return dropdownField(theme, parent, id, rect, view, false, std::move(onReturn), std::move(onModified),
                         std::move(moveOverflow), buttonId, std::move(onDropdown));
}

bool multiLineDropdownTextControl(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
                                  const slate::SP<TextBufferView>& view, TextInputHandler::ReturnFunction onReturn,
                                  TextInputHandler::ModifiedFunction onModified, MoveOverflowFunction moveOverflow,
                                  const RegionId& buttonId, std::function<void()> onDropdown)
{
    return dropdownField(theme, parent, id, rect, view, true, std::move(onReturn), std::move(onModified),
                         std::move(moveOverflow), buttonId, std::move(onDropdown));
}

bool textArea(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& rect,
              const slate::SP<TextBufferView>& view, TextInputHandler::DoubleClickFunction onDoubleClick)
{
    BaseWindow* window = parent->baseWindow();
    Canvas& canvas = *window->canvas();
    const interval2 inner = drawFieldFrame(canvas, rect, *view);
    if (isLoading(*view)) {
        fitViewToRect(inner, *view, true);
        drawLoadingProgress(canvas, inner, *view);
        return false;
    }
    parent->addChild(
        new TextInputHandler(window, id, rect, view, true, nullptr, nullptr, std::move(onDoubleClick), nullptr));
    drawTextArea(canvas, inner, &theme, *view, window->focusState()->hasFocus(id), true);
    return true;
}

bool textView(Theme& theme, InputRegion* parent, const interval2& rect, const slate::SP<TextBufferView>& view,
              const slate::SP<TextBufferView>& minimapView, bool minimapOnLeft, float minimapMaxWidth,
              TextInputHandler::DoubleClickFunction onDoubleClick, InputRegion** firstRegion)
{
    TextBufferView& v = *view;
    MinimapSplit split{rect, interval2()};
    if (minimapView)
        split = splitForMinimap(rect, v, minimapOnLeft, minimapMaxWidth);
    const bool horizontal = wantsHorizontalBar(theme, v, split.text.x1 - split.text.x0);
    const bool vertical = v.settings().wantVerticalScrollBar && !isLoading(v);
    const ScrollbarLayout layout = scrollbarLayout(theme, split.text, vertical, horizontal);

    const RegionId textId(view.get());
    bool complete = textArea(theme, parent, textId, layout.content, view, std::move(onDoubleClick));
    if (firstRegion)
        *firstRegion = complete ? parent->firstChild() : nullptr;

    const LayoutPoint limit = v.maxTranslation();
    if (vertical)
        complete &= verticalScrollbar(theme, parent, RegionId(view.get(), 1), layout.verticalBar,
                                      v.translationY(), v.viewportHeight(), limit.y,
                                      [view](double position) { view->setTranslationY(std::floor(position)); },
                                      textId);
    if (horizontal)
        complete &= horizontalScrollbar(theme, parent, RegionId(view.get(), 2), layout.horizontalBar,
                                        v.translationX(), v.viewportWidth(), limit.x,
                                        [view](double position) { view->setTranslationX(std::floor(position)); },
                                        textId);
    if (minimapView)
        complete &= minimap(theme, parent, RegionId(minimapView.get()), split.minimap, minimapView, view);
    return complete;
}

bool textViewWithOptions(Theme& theme, InputRegion* parent, const interval2& rect,
                         const slate::SP<TextBufferView>& view, TextInputHandler::DoubleClickFunction onDoubleClick)
{
    return textView(theme, parent, rect, view, nullptr, true, 0, std::move(onDoubleClick), nullptr);
}
