// The lists that float over a window's views (the quick panel and the
// select panel), as the window's panel host sees them.
#pragma once

// At most one overlay of a window is visible at a time; the host calls
// onHide on the visible one before onShow on the next. Main thread only.
class Overlay {
public:
    virtual ~Overlay() = default;
    // The overlay has just become the visible one.
    virtual void onShow() = 0;
    // The overlay is about to stop being visible; an overlay with a cancel
    // callback runs it here.
    virtual void onHide() {}
};
