// Mouse selection drags of the text control. A drag starts from a copy of
// the selection as it stood at the press and, at every motion, rebuilds the
// selection from that copy plus (or minus) the region between the anchor and
// the pointer, so moving back over text undoes what moving forward added.
// The undo group a drag holds open makes the whole drag one undo step.
#include "controls/text_drag_handlers.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "controls/clipboard_commands.h"
#include "controls/text_area.h"
#include "ui/key_codes.h"
#include "ui/text/text_buffer_functions.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"
#include "window_manager/window.h"

TextDragHandler::TextDragHandler(const interval2& regionRect, const slate::SP<TextBufferView>& view, float x,
                                 float y, bool subtract, bool lineMode, bool wordMode,
                                 const SelectionSet& baseSelection, const SelectionRegion& anchor)
    : ButtonDragHandler(kMouseLeft, regionRect, nullptr),
      m_regionRect(regionRect),
      m_view(view),
      m_subtract(subtract),
      m_lineMode(lineMode),
      m_wordMode(wordMode),
      m_baseSelection(baseSelection),
      m_anchor(anchor)
{
    InputState state;
    state.x = x;
    state.y = y;
    m_pressPosition = positionUnder(state);
}

TextDragHandler::~TextDragHandler() { m_view->buffer()->endUndoGroup(false, false); }

int64_t TextDragHandler::positionUnder(const InputState& state)
{
    const interval2 area = textAreaRect(m_regionRect, *m_view);
    return m_view->positionAtWindowPoint(vector2{state.x - area.x0, state.y - area.y0});
}

DragResult TextDragHandler::onKeyOrButton(const KeyEvent& event)
{
    if (ButtonDragHandler::onKeyOrButton(event) == DragResult::Continue)
        return DragResult::Continue;
    if (viewOptionIsTrue(*m_view, u"copyOnMouseSelect") && positionUnder(event.state) != m_pressPosition)
        copy(m_view);
    return DragResult::End;
}

DragResult TextDragHandler::onMotion(const MotionEvent& event)
{
    if (ButtonDragHandler::onMotion(event) == DragResult::End)
        return DragResult::End;
    scrollViewByWheel(*m_view, event);
    SelectionSet selection = m_baseSelection;
    const int64_t position = positionUnder(event.state);
    SelectionRegion unit(position, position);
    if (m_lineMode)
        unit = fullLine(m_view, position);
    else if (m_wordMode)
        unit = word(m_view, position);
    const SelectionRegion covered = m_anchor.cover(unit);
    const SelectionRegion region = m_pressPosition >= position
                                       ? SelectionRegion(covered.end(), covered.begin())
                                       : SelectionRegion(covered.begin(), covered.end());
    if (m_subtract)
        selection.subtract(region);
    else
        selection.add(region);
    m_view->mutableSel() = selection;
    showPoint(*m_view, position, false);
    return DragResult::Continue;
}

RectDragHandler::RectDragHandler(int button, const interval2& regionRect, const slate::SP<TextBufferView>& view,
                                 const LayoutPoint& start, bool subtract)
    : ButtonDragHandler(button, regionRect, nullptr),
      m_regionRect(regionRect),
      m_view(view),
      m_start(start),
      m_baseSelection(view->sel()),
      m_subtract(subtract)
{
    m_view->buffer()->beginUndoGroup(ustring());
}

RectDragHandler::~RectDragHandler() { m_view->buffer()->endUndoGroup(false, false); }

DragResult RectDragHandler::onMotion(const MotionEvent& event)
{
    if (ButtonDragHandler::onMotion(event) == DragResult::End)
        return DragResult::End;
    scrollViewByWheel(*m_view, event);
    SelectionSet selection = m_baseSelection;
    const interval2 area = textAreaRect(m_regionRect, *m_view);
    const LayoutPoint current = m_view->windowToLayout(event.state.x - area.x0, event.state.y - area.y0);
    columnSelection(*m_view, m_start, current, m_subtract, selection);
    m_view->mutableSel() = selection;
    showPoint(*m_view, m_view->layoutToText(current), false);
    return DragResult::Continue;
}

void beginColumnSelection(InputRegion& handler, const slate::SP<TextBufferView>& view, const KeyEvent& event,
                          float textOriginX, float textOriginY)
{
    const bool subtract = event.state.altDown();
    if (!subtract && !event.state.controlDown())
        view->mutableSel().clear();
    const LayoutPoint start = view->windowToLayout(event.state.x - textOriginX, event.state.y - textOriginY);
    const int64_t position = view->layoutToText(start);
    showPoint(*view, position, false);
    auto* drag = new RectDragHandler(event.code, handler.rect(), view, start, subtract);
    if (Window* platformWindow = handler.window())
        platformWindow->beginDrag(drag);
    else
        delete drag;
    if (subtract)
        view->mutableSel().subtract(SelectionRegion(position, position));
    else
        view->mutableSel().add(SelectionRegion(position, position));
}

void columnSelection(TextBufferView& view, const LayoutPoint& p0, const LayoutPoint& p1, bool subtract,
                     SelectionSet& set)
{
    const double lineHeight = view.lineHeight();
    const double top = std::floor(std::min(p0.y, p1.y) / lineHeight) * lineHeight + lineHeight * 0.25;
    const double bottom = std::floor(std::max(p0.y, p1.y) / lineHeight) * lineHeight + lineHeight * 0.75;
    const double left = std::min(p0.x, p1.x);
    const double right = std::max(p0.x, p1.x);
    std::vector<SelectionRegion> rows;
    bool anyText = false;
    for (double y = top; y < bottom; y += lineHeight) {
        const int64_t a = view.layoutToText(LayoutPoint{left, y});
        const int64_t b = view.layoutToText(LayoutPoint{right, y});
        rows.push_back(p0.x > p1.x ? SelectionRegion(b, a) : SelectionRegion(a, b));
        anyText = anyText || a != b;
    }
    for (const SelectionRegion& row : rows) {
        if (anyText && row.empty())
            continue;
        if (subtract)
            set.subtract(row);
        else
            set.add(row);
    }
}
