// Stand-ins for the windows around a BaseWindow in the portable tests: a
// BaseWindow that ignores command lines, and a platform window that shows
// nothing, keeps the last drag it was handed, counts the menus asked for and
// the close requests, picks `chosenCommand` from the menus and answers
// `placementText` for its placement.
#pragma once

#include <memory>
#include <vector>

#include "ui/base_window.h"
#include "window_manager/window.h"

namespace test_support {

struct TestBaseWindow : BaseWindow {
    void onCommandLine(const std::vector<ustring>&) override {}
};

struct FakePlatformWindow : Window {
    void close() override { ++closeRequests; }
    Canvas* canvas() override { return nullptr; }
    bool showPopupMenu(ustring&, const slate::SP<MenuDescriptor>&, CommandRunner*, float, float, PopupMenuFlags) override
    {
        return false;
    }
    bool showPopupMenuAtCursor(ustring& command, const slate::SP<MenuDescriptor>&, CommandRunner*) override
    {
        ++menusShown;
        if (chosenCommand.empty())
            return false;
        command = chosenCommand;
        return true;
    }
    void beginDrag(DragHandler* handler) override { drag.reset(handler); }
    bool isFullscreen() override { return fullscreen; }
    void setFullscreen(bool on) override { fullscreen = on; }
    void setTitle(const ustring& text) override { title = text; }
    void setMenu(const slate::SP<MenuDescriptor>&) override {}
    ustring placement() override { return placementText; }
    ustring rendererName() override { return ustring(); }
    platform::WindowHandle nativeHandle() override { return nullptr; }

    // Hands the event to the drag and drops the drag when it ends.
    void dragKey(const KeyEvent& event)
    {
        if (drag && drag->onKeyOrButton(event) == DragResult::End)
            drag.reset();
    }
    void dragMotion(const MotionEvent& event)
    {
        if (drag && drag->onMotion(event) == DragResult::End)
            drag.reset();
    }

    ustring title; // the last one set
    std::unique_ptr<DragHandler> drag; // the last one begun; null once it ended
    bool fullscreen = false;
    int menusShown = 0;
    int closeRequests = 0; // close() calls; the window itself stays
    ustring placementText; // what placement() answers
    // What the user picks from every menu shown; empty picks nothing.
    ustring chosenCommand;
};

} // namespace test_support
