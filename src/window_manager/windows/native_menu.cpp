// Native menus over USER32. Menus are built once (when a window gets its menu
// bar, or for each context menu) and refreshed in place each time a popup
// opens, position by position, with ModifyMenuW keeping each item's command
// id. Items that have nothing to show are removed while the popup is open
// and put back (with a placeholder text, which the next refresh replaces)
// when it closes, so the built structure survives any number of openings.
//
// Every popup this module destroys is first taken out of the dynamic popup
// map, together with the popups below it: USER32 reuses handle values, and a
// stale entry would make an unrelated new popup refill itself.
#include "window_manager/windows/native_menu.h"

#define NOMINMAX
#include <windows.h>

#include "input/command_runner.h"
#include "ui/base_window.h"
#include "ui/log.h"

namespace {

// The refreshed item text is built in a buffer of this many units,
// terminator included.
constexpr size_t kMenuTextBufferUnits = 1024;

int defaultTrackPopupMenu(NativeMenuHandle popup, int screenX, int screenY, NativeWindowHandle owner)
{
    return static_cast<int>(TrackPopupMenu(static_cast<HMENU>(popup), TPM_NOANIMATION | TPM_RETURNCMD | TPM_NONOTIFY,
                                           screenX, screenY, 0, static_cast<HWND>(owner), nullptr));
}

TrackPopupMenuFunction s_trackPopupMenu = defaultTrackPopupMenu;

// Takes `menu` and every popup below it out of the dynamic popup map.
void forgetPopups(HMENU menu, std::map<NativeMenuHandle, ustring>& dynamicPopups)
{
    if (!menu)
        return;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position)
        forgetPopups(GetSubMenu(menu, position), dynamicPopups);
    dynamicPopups.erase(menu);
}

void destroyNativeMenu(HMENU menu, std::map<NativeMenuHandle, ustring>& dynamicPopups)
{
    if (!menu)
        return;
    forgetPopups(menu, dynamicPopups);
    DestroyMenu(menu);
}

// Whether `target` is `menu` or a popup anywhere below it.
bool containsPopup(HMENU menu, HMENU target)
{
    if (menu == target)
        return true;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        HMENU submenu = GetSubMenu(menu, position);
        if (submenu && containsPopup(submenu, target))
            return true;
    }
    return false;
}

// Removes every position of `menu`, destroying the popups of submenus.
void emptyNativeMenu(HMENU menu, std::map<NativeMenuHandle, ustring>& dynamicPopups)
{
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
        forgetPopups(GetSubMenu(menu, position), dynamicPopups);
        DeleteMenu(menu, position, MF_BYPOSITION);
    }
}

// Cuts `text` to fit the system's buffer, never between the two halves of a
// surrogate pair.
void fitMenuText(ustring& text)
{
    const size_t limit = kMenuTextBufferUnits - 1;
    if (text.size() <= limit)
        return;
    size_t length = limit;
    if (text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
        --length;
    text.resize(length);
}

bool isSeparatorCaption(const ustring& caption)
{
    return caption == u"-";
}

} // namespace

void NativeMenuManagerState::setMenu(const ustring& name, const slate::SP<MenuDescriptor>& menu)
{
    if (menu)
        m_menus[name] = menu;
    else
        m_menus.erase(name);
}

slate::SP<MenuDescriptor> NativeMenuManagerState::menu(const ustring& name) const
{
    auto found = m_menus.find(name);
    return found == m_menus.end() ? nullptr : found->second;
}

void buildNativeMenu(NativeMenuHandle nativeMenu, const MenuDescriptor& menu, MenuItemList& items,
                     std::map<NativeMenuHandle, ustring>& dynamicPopups)
{
    HMENU target = static_cast<HMENU>(nativeMenu);
    for (const MenuEntry& entry : menu.m_entries) {
        if (entry.m_item) {
            const UINT_PTR id = items.size();
            if (isSeparatorCaption(entry.m_item->m_caption))
                AppendMenuW(target, MF_SEPARATOR, id, nullptr);
            else
                AppendMenuW(target, MF_STRING, id, entry.m_item->m_caption.c_str());
            items.push_back(entry.m_item);
        } else if (entry.m_submenu) {
            HMENU popup = CreatePopupMenu();
            if (!popup)
                continue;
            AppendMenuW(target, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), entry.m_submenu->m_caption.c_str());
            buildNativeMenu(popup, *entry.m_submenu, items, dynamicPopups);
            if (!entry.m_submenu->m_dynamicKey.empty())
                dynamicPopups[popup] = entry.m_submenu->m_dynamicKey;
        }
    }
}

NativeMenuHandle createNativeMenuBar(NativeMenuManagerState& manager, const MenuDescriptor& menu,
                                     MenuItemList& items)
{
    HMENU bar = CreateMenu();
    if (bar)
        buildNativeMenu(bar, menu, items, manager.m_dynamicPopups);
    return bar;
}

void destroyNativeMenuBar(NativeMenuManagerState& manager, NativeMenuHandle bar)
{
    destroyNativeMenu(static_cast<HMENU>(bar), manager.m_dynamicPopups);
}

void updateMenu(NativeMenuManagerState& manager, NativeMenuHandle popup, MenuItemList& items,
                std::vector<NativeMenuHandle>& filledPopups, HiddenMenuItems* hiddenItems,
                WindowHandler* handler, CommandRunner* runner, bool recurse, bool removeHidden,
                bool showState)
{
    HMENU menu = static_cast<HMENU>(popup);
    auto dynamic = manager.m_dynamicPopups.find(popup);
    if (dynamic != manager.m_dynamicPopups.end()) {
        const ustring key = dynamic->second;
        emptyNativeMenu(menu, manager.m_dynamicPopups);
        filledPopups.push_back(popup);
        if (slate::SP<MenuDescriptor> content = manager.menu(key))
            buildNativeMenu(menu, *content, items, manager.m_dynamicPopups);
    }

    bool previousShownIsItem = false;
    for (int position = 0; position < GetMenuItemCount(menu);) {
        if (HMENU submenu = GetSubMenu(menu, position)) {
            previousShownIsItem = true;
            if (recurse)
                updateMenu(manager, submenu, items, filledPopups, hiddenItems, handler, runner, recurse,
                           removeHidden, showState);
            ++position;
            continue;
        }
        const UINT id = GetMenuItemID(menu, position);
        if (id >= items.size()) {
            ++position;
            continue;
        }
        const MenuItem& item = *items[id];
        const ustring value = runner ? runner->value(item.m_command) : ustring();
        const bool separator = isSeparatorCaption(item.m_caption);
        const bool hidden = (separator && !previousShownIsItem) ||
                            (!item.m_command.empty() && value.empty() &&
                             (separator || item.m_caption.find(u"%s") != ustring::npos));
        if (hidden) {
            if (!removeHidden && hiddenItems)
                (*hiddenItems)[popup].push_back({position, static_cast<int>(id)});
            RemoveMenu(menu, position, MF_BYPOSITION);
            continue;
        }
        if (separator) {
            ModifyMenuW(menu, position, MF_BYPOSITION | MF_SEPARATOR, id, nullptr);
            previousShownIsItem = false;
            ++position;
            continue;
        }

        ustring text = item.m_caption;
        const size_t marker = text.find(u"%s");
        if (marker != ustring::npos)
            text.replace(marker, 2, value);
        if (handler && showState) {
            const ustring keys = handler->keyText(item.m_command);
            if (!keys.empty())
                text += u'\t' + keys;
        }
        fitMenuText(text);
        // ModifyMenuW sets the whole state from its flags; the check mark is
        // kept unless the value says otherwise.
        UINT checked = GetMenuState(menu, position, MF_BYPOSITION) & MF_CHECKED;
        if (value == u"true")
            checked = MF_CHECKED;
        else if (value == u"false")
            checked = MF_UNCHECKED;
        ModifyMenuW(menu, position, MF_BYPOSITION | MF_STRING | checked, id, text.c_str());
        const bool enabled = !(runner && showState) || runner->isEnabled(item.m_command);
        EnableMenuItem(menu, position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(menu, position, MF_BYPOSITION | checked);
        previousShownIsItem = true;
        ++position;
    }
}

void setWindowMenu(NativeMenuManagerState& manager, NativeMenuWindowState& state, NativeWindowHandle window,
                   const slate::SP<MenuDescriptor>& menu)
{
    HWND hwnd = static_cast<HWND>(window);
    HMENU old = GetMenu(hwnd);
    state.m_menuItems.clear();
    state.m_dynamicItemsStart = -1;
    state.m_filledDynamicPopups.clear();
    state.m_hiddenItems.clear();
    HMENU bar = menu ? static_cast<HMENU>(createNativeMenuBar(manager, *menu, state.m_menuItems)) : nullptr;
    SetMenu(hwnd, bar);
    destroyNativeMenu(old, manager.m_dynamicPopups);
}

void releaseWindowMenu(NativeMenuManagerState& manager, NativeMenuWindowState& state, NativeWindowHandle window)
{
    forgetPopups(GetMenu(static_cast<HWND>(window)), manager.m_dynamicPopups);
    state.m_filledDynamicPopups.clear();
    state.m_hiddenItems.clear();
}

bool handleMenuMessage(NativeMenuManagerState& manager, NativeMenuWindowState& state, NativeWindowHandle window,
                       WindowHandler* handler, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t& result)
{
    HWND hwnd = static_cast<HWND>(window);
    switch (message) {
    case WM_INITMENUPOPUP: {
        // The window menu is the system's: its separators carry id 0, which
        // would be taken for our first item.
        if (HIWORD(lParam)) {
            result = DefWindowProcW(hwnd, message, wParam, lParam);
            return true;
        }
        NativeMenuHandle popup = reinterpret_cast<NativeMenuHandle>(wParam);
        if (manager.m_dynamicPopups.count(popup)) {
            // Dynamic content filled earlier goes, except the popups this one
            // opens from: they are open, and hold it.
            std::vector<NativeMenuHandle> openParents;
            for (NativeMenuHandle filled : state.m_filledDynamicPopups) {
                if (filled != popup && containsPopup(static_cast<HMENU>(filled), static_cast<HMENU>(popup)))
                    openParents.push_back(filled);
                else
                    emptyNativeMenu(static_cast<HMENU>(filled), manager.m_dynamicPopups);
            }
            state.m_filledDynamicPopups = openParents;
            // The items of the open parents stay; those of the popups emptied
            // under them are dropped with the rest at the next refill.
            if (openParents.empty() && state.m_dynamicItemsStart != -1) {
                state.m_menuItems.resize(static_cast<size_t>(state.m_dynamicItemsStart));
                state.m_dynamicItemsStart = -1;
            }
        }
        const size_t oldLength = state.m_menuItems.size();
        updateMenu(manager, popup, state.m_menuItems, state.m_filledDynamicPopups, &state.m_hiddenItems, handler,
                   handler ? handler->commandRunner() : nullptr, false, false, true);
        if (state.m_dynamicItemsStart == -1 && state.m_menuItems.size() > oldLength)
            state.m_dynamicItemsStart = static_cast<int>(oldLength);
        result = DefWindowProcW(hwnd, message, wParam, lParam);
        return true;
    }
    case WM_UNINITMENUPOPUP: {
        auto hidden = state.m_hiddenItems.find(reinterpret_cast<NativeMenuHandle>(wParam));
        if (hidden != state.m_hiddenItems.end()) {
            HMENU menu = static_cast<HMENU>(hidden->first);
            for (auto pair = hidden->second.rbegin(); pair != hidden->second.rend(); ++pair)
                InsertMenuW(menu, pair->first, MF_BYPOSITION | MF_STRING, pair->second, u"Restored from abyss");
            state.m_hiddenItems.erase(hidden);
        }
        result = DefWindowProcW(hwnd, message, wParam, lParam);
        return true;
    }
    case WM_COMMAND: {
        const size_t id = LOWORD(wParam);
        if (id < state.m_menuItems.size()) {
            // The list may change under the command (a menu set anew): run a
            // copy of the line.
            const ustring command = state.m_menuItems[id]->m_command;
            if (handler) {
                if (CommandRunner* runner = handler->commandRunner())
                    runner->exec(command);
            }
            InvalidateRect(hwnd, nullptr, FALSE);
        } else {
            VLOG << u"Unknown commandId " << static_cast<int>(id);
        }
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

bool showPopupMenu(NativeMenuManagerState& manager, NativeWindowHandle window, WindowHandler* handler,
                   ustring& command, const slate::SP<MenuDescriptor>& menu, CommandRunner* runner, float x,
                   float y, PopupMenuFlags flags)
{
    if (!menu)
        return false;
    HWND hwnd = static_cast<HWND>(window);
    HMENU popup = CreatePopupMenu();
    if (!popup)
        return false;
    MenuItemList items{slate::SP<MenuItem>(new MenuItem)};
    buildNativeMenu(popup, *menu, items, manager.m_dynamicPopups);
    std::vector<NativeMenuHandle> filled;
    updateMenu(manager, popup, items, filled, nullptr, handler, runner, true, true,
               !hasFlag(flags, PopupMenuFlags::WithoutState));

    POINT point = {static_cast<LONG>(x), static_cast<LONG>(y)};
    ClientToScreen(hwnd, &point);
    if (hasFlag(flags, PopupMenuFlags::HighlightFirst))
        PostMessageW(hwnd, WM_KEYDOWN, VK_DOWN, 1);
    const int id = s_trackPopupMenu(popup, point.x, point.y, hwnd);
    destroyNativeMenu(popup, manager.m_dynamicPopups);
    InvalidateRect(hwnd, nullptr, FALSE);

    if (id <= 0 || static_cast<size_t>(id) >= items.size())
        return false;
    command = items[static_cast<size_t>(id)]->m_command;
    return true;
}

bool showPopupMenuAtCursor(NativeMenuManagerState& manager, NativeWindowHandle window, WindowHandler* handler,
                           ustring& command, const slate::SP<MenuDescriptor>& menu, CommandRunner* runner)
{
    POINT point = {0, 0};
    GetCursorPos(&point);
    ScreenToClient(static_cast<HWND>(window), &point);
    return showPopupMenu(manager, window, handler, command, menu, runner, static_cast<float>(point.x),
                         static_cast<float>(point.y), PopupMenuFlags::None);
}

TrackPopupMenuFunction setTrackPopupMenuFunction(TrackPopupMenuFunction function)
{
    TrackPopupMenuFunction previous = s_trackPopupMenu;
    s_trackPopupMenu = function ? function : defaultTrackPopupMenu;
    return previous;
}
