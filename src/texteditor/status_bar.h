// The status bar of an editor window: the strip along the window's bottom
// edge showing, from left to right, the active buffer's misspelled-word
// count, the status text, and the file-type and line-ending buttons, whose
// popup menus run the chosen command on the window. Drawn anew every frame
// by the window's draw function; main thread only.
#pragma once

#include "ui/input_region.h"
#include "ui/interval2.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class BaseWindow;
class Canvas;
class CommandRunner;
class TextBufferView;
class Theme;
class Window;

// Index parts of the status bar's region ids; the scope is the window.
constexpr int32_t kSpellCountRegion = 8091;
constexpr int32_t kLineEndingButtonRegion = 8092;
constexpr int32_t kFileTypeButtonRegion = 8093;

// The widths of the status bar's parts.
constexpr float kSpellCountWidth = 150;
constexpr float kLineEndingButtonWidth = 80;
constexpr float kFileTypeButtonMinimumWidth = 80;
// The room the status text keeps: a button is drawn only while more than
// this is left beside it (the file-type button needs its own width more).
constexpr float kLineEndingRoomAbove = 300;
constexpr float kFileTypeRoomAbove = 200;
// The menu file of the line-ending button and the named menu of the
// file-type button.
constexpr const char16_t* kLineEndingMenu = u"Packages/Default/Line Ending.vantrel-menu";
constexpr const char16_t* kFileTypeMenu = u"setFileType";

// The misspelled-word count: a left click (or a double click) selects the
// view's next misspelled word, with either shift key its previous one.
class SpellClickInputHandler : public InputRegion {
public:
    // `view` is kept for the frame; never null.
    SpellClickInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                           slate::SP<TextBufferView> view);
    ~SpellClickInputHandler() override;

    bool onInputEvent(const KeyEvent& event) override;

private:
    slate::SP<TextBufferView> m_view;
};

// Draws one frame of the status bar of `window` in `rect`, for `view` (the
// active view; null for none), and adds its regions under `parent`. False
// while a button's hover fade still runs or the misspelled-word count is
// still being worked out (a text not lexed yet is lexed a step per frame).
bool drawStatusBar(Theme& theme, InputRegion* parent, const interval2& rect, const slate::SP<TextBufferView>& view,
                   BaseWindow* window);

// The status text over "panel.statusbar" in `rect`: the hint when there is
// one (with or without a view), else with a view the status message while
// it lasts, else the view's status values in key order, each followed by
// ", ", and its position text. Without a view and a hint only the panel.
void drawStatusText(Theme& theme, const slate::SP<TextBufferView>& view, const interval2& rect, Canvas& canvas);

// The buttons of the status bar, labelled with the buffer's line ending
// (file type); each opens its menu under itself and runs the choice through
// the window's command runner. False while the hover fade runs.
bool drawLineEndingButton(const interval2& rect, Theme& theme, TextBufferView& view, InputRegion* parent,
                          BaseWindow* window);
bool drawFileTypeButton(const interval2& rect, Theme& theme, TextBufferView& view, InputRegion* parent,
                        BaseWindow* window);

// The width the file-type button asks for: the stem of the view's "syntax"
// option in the theme's control font, plus 12. It measures the option, not
// the buffer's display name that the button shows.
float fileTypeButtonWidth(Theme& theme, const TextBufferView& view);

// Shows the menu `menuName` (a named menu of the window manager when the
// name holds no ".", else a menu file, whose load failure is reported and
// leaves the menu empty) at the bottom-left corner (x0, y1) of the button
// rect, and runs the chosen command line on `runner` (may be null: nothing
// runs). Nothing happens without a platform window.
void showMenuAndRun(Window* window, const ustring& menuName, float x0, float y0, float x1, float y1,
                    CommandRunner* runner);
