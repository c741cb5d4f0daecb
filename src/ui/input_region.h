// The per-frame tree of input regions. The toolkit is immediate-mode: every
// frame the window drops its tree and the draw function builds a new one as
// it paints. A region is a rectangle of one frame that can take keys,
// characters, pointer motion, dropped files, focus, hints, a cursor shape, a
// command runner and binding contexts. Regions are found again across frames
// by the RegionId their creator gives them; anything that must outlive a
// frame is kept by the window or by the control's owner, keyed by that id.
#pragma once

#include <cstdint>

#include "ui/input_events.h"
#include "ui/interval2.h"
#include "ui/mouse_history.h"
#include "ui/ustring.h"

class BaseWindow;
class CommandRunner;
class Window;

// Identity of a region across frames: usually `scope` is the address of the
// object that owns a group of regions, `object` the address of what the
// region shows and `index` tells apart several regions of one object.
struct RegionId {
    uintptr_t scope = 0;
    uintptr_t object = 0;
    int32_t index = 0;

    RegionId() = default;
    explicit RegionId(const void* object) : object(reinterpret_cast<uintptr_t>(object)) {}
    RegionId(const void* object, int32_t index) : object(reinterpret_cast<uintptr_t>(object)), index(index) {}
    RegionId(const void* scope, const void* object)
        : scope(reinterpret_cast<uintptr_t>(scope)), object(reinterpret_cast<uintptr_t>(object))
    {
    }
    RegionId(const void* scope, const void* object, int32_t index)
        : scope(reinterpret_cast<uintptr_t>(scope)), object(reinterpret_cast<uintptr_t>(object)), index(index)
    {
    }

    bool isSet() const { return scope || object || index; }
};

inline bool operator==(const RegionId& a, const RegionId& b)
{
    return a.scope == b.scope && a.object == b.object && a.index == b.index;
}
inline bool operator!=(const RegionId& a, const RegionId& b) { return !(a == b); }
// By scope, then object (as unsigned values), then index (signed).
inline bool operator<(const RegionId& a, const RegionId& b)
{
    if (a.scope != b.scope)
        return a.scope < b.scope;
    if (a.object != b.object)
        return a.object < b.object;
    return a.index < b.index;
}

// Cursor shapes a region may ask for.
enum class CursorKind : int32_t {
    Arrow = 0,
    Text = 1,
    ResizeVertical = 2,   // north-south arrows
    ResizeHorizontal = 3, // west-east arrows
    Move = 4,
};

// One region of one frame. Create it with `new` and hand it at once to the
// parent's addChild; the parent owns it from then on (the root is owned by
// the window, which deletes it, and so the whole tree, at the next frame).
// Main thread only.
class InputRegion {
public:
    // `window` is the window whose frame this is; never null. The bounds
    // start equal to `rect`.
    InputRegion(BaseWindow* window, const RegionId& id, const interval2& rect);
    // Deletes the next sibling, then the first child.
    virtual ~InputRegion();
    InputRegion(const InputRegion&) = delete;
    InputRegion& operator=(const InputRegion&) = delete;

    // Handlers: each returns true when it took the input.
    virtual bool onInputEvent(const KeyEvent& event);
    virtual bool onMotion(const MotionEvent& event);
    virtual bool onCharacter(const CharacterEvent& event);
    // `path` is NUL-terminated.
    virtual bool onDropFile(float x, float y, const uchar* path);
    virtual bool onContextMenuKey();
    // Sets `kind` and returns true when this region decides the cursor. The
    // default decides the arrow.
    virtual bool cursor(const InputState& state, CursorKind& kind);
    virtual bool acceptsFocus();
    virtual void onFocus();
    // True when Tab should reach this region instead of moving the focus.
    virtual bool wantsTab();
    // The hint under the pointer and the command it runs; false for none.
    virtual bool hint(ustring& text, ustring& command);
    // The runner of commands offered to this region; null for none. Owned by
    // the region's creator.
    virtual CommandRunner* commandRunner();
    // Sets `result` and returns true when this region knows the context name.
    virtual bool checkContext(const ustring& name, const ustring& value, bool& result);
    virtual bool onPredictedCharacter(const CharacterEvent& event);
    virtual void cancelPrediction();
    virtual void commitPrediction();

    // Makes `child` (a new region of the same window's frame) the first
    // child: children are kept newest first. Grows the bounds of this region
    // and its ancestors to cover the child's bounds.
    void addChild(InputRegion* child);

    BaseWindow* baseWindow() const { return m_window; }
    // The platform window of the frame's window; null before the window
    // manager has created it.
    Window* window() const;
    const RegionId& id() const { return m_id; }
    const interval2& rect() const { return m_rect; }
    const interval2& bounds() const { return m_bounds; }
    InputRegion* parent() const { return m_parent; }
    InputRegion* firstChild() const { return m_firstChild; }
    InputRegion* nextSibling() const { return m_nextSibling; }

protected:
    BaseWindow* m_window; // never null
    RegionId m_id;
    interval2 m_rect;   // where the region itself takes events
    interval2 m_bounds; // covers m_rect and every descendant's bounds
    InputRegion* m_firstChild = nullptr;  // owned; the newest child
    InputRegion* m_nextSibling = nullptr; // owned; the child added before this one
    InputRegion* m_parent = nullptr;      // not owned
};

// Offers the point (x, y) to the regions of the tree under `region`: the
// children newest first, each only when the point is inside its bounds, and
// each depth first; then `region` itself when the point is inside its own
// rect. `operation(InputRegion&)` returns true when it took the input, which
// ends the walk. So the deepest region under the point is asked first, a
// later sibling before an earlier one, and a child outside its parent's rect
// is still reached through the parent's bounds. True when a region took it.
template <typename Operation>
bool dispatchAtPoint(InputRegion& region, float x, float y, Operation&& operation)
{
    for (InputRegion* child = region.firstChild(); child; child = child->nextSibling()) {
        if (child->bounds().contains(x, y) && dispatchAtPoint(*child, x, y, operation))
            return true;
    }
    return region.rect().contains(x, y) && operation(region);
}

// What a drag handler answers to each input.
enum class DragResult {
    Continue, // the drag goes on
    End,      // the window deletes the handler and releases the capture
};

// Takes every input of its platform window while a drag lasts. Owned by the
// window from Window::beginDrag until a handler returns DragResult::End.
// Main thread only.
class DragHandler {
public:
    virtual ~DragHandler() = default;
    virtual DragResult onKeyOrButton(const KeyEvent& event);
    virtual DragResult onMotion(const MotionEvent& event);
    virtual DragResult onCharacter(const CharacterEvent& event);

    // The pointer samples of the drag; the window records into it instead of
    // into its MouseHistory while the drag lasts.
    MouseStroke m_stroke;
};
