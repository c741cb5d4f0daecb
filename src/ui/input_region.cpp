#include "ui/input_region.h"

#include "ui/base_window.h"
#include "ui/log.h"

InputRegion::InputRegion(BaseWindow* window, const RegionId& id, const interval2& rect)
    : m_window(window), m_id(id), m_rect(rect), m_bounds(rect)
{
    VASSERT(m_window);
}

InputRegion::~InputRegion()
{
    // Siblings are deleted one after the other rather than through each
    // other's destructors, so a frame with thousands of regions side by side
    // does not recurse thousands deep.
    InputRegion* sibling = m_nextSibling;
    while (sibling) {
        InputRegion* next = sibling->m_nextSibling;
        sibling->m_nextSibling = nullptr;
        delete sibling;
        sibling = next;
    }
    delete m_firstChild;
}

Window* InputRegion::window() const { return m_window->m_window; }

bool InputRegion::onInputEvent(const KeyEvent&) { return false; }
bool InputRegion::onMotion(const MotionEvent&) { return false; }
bool InputRegion::onCharacter(const CharacterEvent&) { return false; }
bool InputRegion::onDropFile(float, float, const uchar*) { return false; }
bool InputRegion::onContextMenuKey() { return false; }

bool InputRegion::cursor(const InputState&, CursorKind& kind)
{
    kind = CursorKind::Arrow;
    return true;
}

bool InputRegion::acceptsFocus() { return false; }
void InputRegion::onFocus() {}
bool InputRegion::wantsTab() { return false; }
bool InputRegion::hint(ustring&, ustring&) { return false; }
CommandRunner* InputRegion::commandRunner() { return nullptr; }
bool InputRegion::checkContext(const ustring&, const ustring&, bool&) { return false; }
bool InputRegion::onPredictedCharacter(const CharacterEvent&) { return false; }
void InputRegion::cancelPrediction() {}
void InputRegion::commitPrediction() {}

void InputRegion::addChild(InputRegion* child)
{
    // A base window stands for exactly one platform window, so comparing the
    // base windows compares the platform windows.
    VASSERT(child->baseWindow() == baseWindow());
    VASSERT(child != this);
    VASSERT(m_firstChild != child);
    child->m_nextSibling = m_firstChild;
    child->m_parent = this;
    m_firstChild = child;
    if (m_bounds.contains(child->m_bounds))
        return;
    interval2 covered = child->m_bounds;
    for (InputRegion* region = this; region; region = region->m_parent) {
        covered = region->m_bounds.united(covered);
        region->m_bounds = covered;
    }
}

DragResult DragHandler::onKeyOrButton(const KeyEvent&) { return DragResult::Continue; }
DragResult DragHandler::onMotion(const MotionEvent&) { return DragResult::Continue; }
DragResult DragHandler::onCharacter(const CharacterEvent&) { return DragResult::Continue; }
