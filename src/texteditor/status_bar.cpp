// The status bar is an immediate-mode strip: every frame it splits its
// rectangle again, from the left the misspelled-word count and from the
// right the line-ending and then the file-type button, and gives the status
// text whatever is left. The buttons go first when the window narrows, so
// the position text keeps its room; nothing is kept between frames but the
// buttons' hover fades, which the toolkit keys by their region ids.
//
// The misspelled-word count sees the whole text, which a large file's first
// frames have not lexed yet; it is lexed a step per frame, the count showing
// its last settled value meanwhile, so that no frame stalls on it.
//
// The buttons' menus are modal: a click shows the popup and runs the chosen
// command on the window's runner, which sends it along the focus path, so a
// view command such as "setLineEnding" reaches the active view first.
#include "texteditor/status_bar.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "canvas/canvas.h"
#include "canvas/unicode_font.h"
#include "controls/control_helpers.h"
#include "filesystem/path_parts.h"
#include "input/command_runner.h"
#include "ui/base_window.h"
#include "ui/menu_descriptor.h"
#include "ui/notification_manager.h"
#include "ui/options.h"
#include "ui/string_utils.h"
#include "ui/text/line_ending.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"
#include "ui/theme.h"
#include "window_manager/window.h"
#include "window_manager/window_manager.h"

namespace {

// The status text's inset from the left and right, and from the top and
// bottom, of its rectangle.
constexpr float kTextInsetX = 4;
constexpr float kTextInsetY = 2;
// What the file-type button adds to its label's width.
constexpr float kFileTypeLabelPadding = 12;

ustring statusLine(const slate::SP<TextBufferView>& view)
{
    NotificationManager* notifications = NotificationManager::alive() ? &NotificationManager::get() : nullptr;
    if (notifications && !notifications->hint().empty())
        return notifications->hint();
    if (!view)
        return ustring();
    if (notifications && !notifications->status().empty())
        return notifications->status();
    ustring line;
    for (const auto& entry : view->statusValues())
        line += entry.second + u", ";
    return line + view->statusText();
}

// The text left-aligned and centred vertically in the rect, clipped to it.
void drawLeftLabel(const ThemeFont& font, Canvas& canvas, const interval2& rect, const ustring& text)
{
    if (!font.font || text.empty())
        return;
    const interval2 saved = canvas.intersectClip(rect);
    const float height = font.font->lineHeight();
    const float y = height > rect.y1 - rect.y0 ? rect.y0 : rect.y0 + ((rect.y1 - rect.y0) - height) / 2;
    drawThemeText(font, rect.x0, y, text.data(), text.data() + text.size(), false);
    canvas.setClip(saved);
}

// One button of the bar: its label and the menu its click shows.
bool statusButton(const interval2& rect, Theme& theme, InputRegion* parent, BaseWindow* window, int32_t index,
                  const ustring& label, const ustring& menuName)
{
    Window* platformWindow = parent->window();
    CommandRunner* runner = window->commandRunner();
    auto click = [platformWindow, menuName, rect, runner] {
        showMenuAndRun(platformWindow, menuName, rect.x0, rect.y0, rect.x1, rect.y1, runner);
    };
    return pushButton(parent, RegionId(window, index), rect, std::move(click), label.data(),
                      label.data() + label.size(), theme.font(false), &theme.get("button.statusbutton"),
                      &theme.get("button.statusbutton.down"));
}

} // namespace

SpellClickInputHandler::SpellClickInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                                               slate::SP<TextBufferView> view)
    : InputRegion(window, id, rect), m_view(std::move(view))
{
}

SpellClickInputHandler::~SpellClickInputHandler() = default;

bool SpellClickInputHandler::onInputEvent(const KeyEvent& event)
{
    if (!event.pressed || (event.code != kMouseLeft && event.code != kMouseDoubleClick))
        return false;
    if (event.state.shiftDown())
        prevMisspelledWord(*m_view);
    else
        nextMisspelledWord(*m_view);
    return true;
}

bool drawStatusBar(Theme& theme, InputRegion* parent, const interval2& rect, const slate::SP<TextBufferView>& view,
                   BaseWindow* window)
{
    Canvas* canvas = window->canvas();
    interval2 remaining = rect;
    bool done = true;
    if (view && view->buffer()->hasSpellChecker()) {
        interval2 countArea;
        std::tie(countArea, remaining) = splitRectLeft(remaining, kSpellCountWidth);
        parent->addChild(new SpellClickInputHandler(window, RegionId(window, kSpellCountRegion), countArea, view));
        theme.get("panel.statusbar").draw(countArea);
        // A large text not lexed yet is counted over several frames, which
        // keep coming until the count has settled.
        bool settled = true;
        const int32_t count = view->buffer()->misspelledWordCountInSteps(settled);
        done &= settled;
        if (canvas) {
            const ustring label = intToString(count) + u" misspelled words";
            drawCentredLabel(theme.font(false), *canvas, countArea, label.data(), label.data() + label.size());
        }
    }
    if (view && remaining.x1 - remaining.x0 > kLineEndingRoomAbove) {
        interval2 button;
        std::tie(remaining, button) = splitRectRight(remaining, kLineEndingButtonWidth);
        done &= drawLineEndingButton(button, theme, *view, parent, window);
    }
    if (view) {
        const float width = std::max(fileTypeButtonWidth(theme, *view), kFileTypeButtonMinimumWidth);
        if (remaining.x1 - remaining.x0 > width + kFileTypeRoomAbove) {
            interval2 button;
            std::tie(remaining, button) = splitRectRight(remaining, width);
            done &= drawFileTypeButton(button, theme, *view, parent, window);
        }
    }
    if (canvas)
        drawStatusText(theme, view, remaining, *canvas);
    else
        theme.get("panel.statusbar").draw(remaining);
    return done;
}

void drawStatusText(Theme& theme, const slate::SP<TextBufferView>& view, const interval2& rect, Canvas& canvas)
{
    theme.get("panel.statusbar").draw(rect);
    const interval2 textRect(rect.x0 + kTextInsetX, rect.y0 + kTextInsetY, rect.x1 - kTextInsetX,
                             rect.y1 - kTextInsetY);
    drawLeftLabel(theme.font(false), canvas, textRect, statusLine(view));
}

bool drawLineEndingButton(const interval2& rect, Theme& theme, TextBufferView& view, InputRegion* parent,
                          BaseWindow* window)
{
    return statusButton(rect, theme, parent, window, kLineEndingButtonRegion,
                        lineEndingName(view.buffer()->lineEnding()), kLineEndingMenu);
}

bool drawFileTypeButton(const interval2& rect, Theme& theme, TextBufferView& view, InputRegion* parent,
                        BaseWindow* window)
{
    return statusButton(rect, theme, parent, window, kFileTypeButtonRegion, view.buffer()->syntaxDisplayName(),
                        kFileTypeMenu);
}

float fileTypeButtonWidth(Theme& theme, const TextBufferView& view)
{
    ustring syntax;
    if (view.options())
        view.options()->getString(ustring(u"syntax"), syntax);
    const ThemeFont& font = theme.font(false);
    if (!font.font)
        return kFileTypeLabelPadding;
    const slate::usubstring stem = pathStem(slate::usubstring(syntax), u'/');
    return textWidth(*font.font, stem.begin, stem.end) + kFileTypeLabelPadding;
}

// The menu opens at the button's bottom-left corner; its top and right edge
// are not needed.
void showMenuAndRun(Window* window, const ustring& menuName, float x0, float /*y0*/, float /*x1*/, float y1,
                    CommandRunner* runner)
{
    if (!window)
        return;
    slate::SP<MenuDescriptor> menu;
    if (menuName.find(u'.') == ustring::npos) {
        if (WindowManager::alive())
            menu = WindowManager::get().menu(menuName);
    } else {
        menu = new MenuDescriptor;
        ustring error;
        if (!menu->load(menuName, error) && NotificationManager::alive())
            NotificationManager::get().displayError(error);
    }
    ustring command;
    if (window->showPopupMenu(command, menu, runner, x0, y1, PopupMenuFlags::WithoutState) && runner)
        runner->exec(slate::usubstring(command));
}
