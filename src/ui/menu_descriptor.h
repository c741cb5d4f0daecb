// Menus as a platform-independent model: the menu bar of each window and the
// context menus are described by MenuDescriptors, built in code or read from
// menu XML files (".vantrel-menu", ".package-menu"), and shown by the window
// manager as native menus that it refreshes each time one opens. Every item
// runs a command line; a caption may hold "%s", which the refresh replaces by
// the command's value, and a submenu may be dynamic, filled from a named menu
// of the window manager each time it opens.
//
// Models are immutable once built and shared through counted pointers by the
// application, the named menus and the windows. Building happens on the main
// thread.
#pragma once

#include <vector>

#include "ui/flag_set.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

// One item. The caption "-" makes a separator; a separator with a command is
// shown only while that command has a value.
class MenuItem : public slate::ReferenceCounted<MenuItem> {
public:
    MenuItem() = default;
    MenuItem(ustring caption, ustring command) : m_caption(std::move(caption)), m_command(std::move(command)) {}

    ustring m_caption;
    ustring m_command; // a command line; empty for a plain separator
};

class MenuDescriptor;

// One position of a menu: exactly one of the two is set.
struct MenuEntry {
    slate::SP<MenuDescriptor> m_submenu;
    slate::SP<MenuItem> m_item;
};

class MenuDescriptor : public slate::ReferenceCounted<MenuDescriptor> {
public:
    MenuDescriptor() = default;
    explicit MenuDescriptor(ustring caption) : m_caption(std::move(caption)) {}

    void addItem(const ustring& caption, const ustring& command);
    // An item captioned "-" with no command.
    void addSeparator();
    // `menu` (never null) is shared, not copied.
    void addSubmenu(const slate::SP<MenuDescriptor>& menu);
    // A menu of exactly one entry contributes that entry itself; any other
    // menu is added whole as a submenu.
    void append(const slate::SP<MenuDescriptor>& menu);
    // The first submenu captioned exactly `caption`; null when none.
    slate::SP<MenuDescriptor> findSubmenu(const ustring& caption) const;

    // Reads the menu XML file at the virtual `path` through the file manager
    // and appends what it describes after the entries this menu already has.
    // The root element may have any name; under it, element names are
    // compared without regard to case:
    //   menu (caption)              a submenu read the same way;
    //   item (caption, command,     one item, or `repeat` (1..64) items with
    //         optional repeat)      "%i" and "%I" replaced by 0-based and
    //                               1-based counts in caption and command;
    //   separator                   a separator;
    //   dynamicmenu (caption, key)  an empty submenu filled from the window
    //                               manager's menu named `key`;
    // and everything else is ignored, as are elements that lack a required
    // attribute. False when the file cannot be read or parsed: `error` then
    // holds the message (naming the file), which is also logged, and this
    // menu is unchanged.
    bool load(const ustring& path, ustring& error);

    ustring m_caption; // shown when this menu is a submenu
    std::vector<MenuEntry> m_entries; // in display order
    // Not empty for a dynamic menu: the name of the window manager's menu
    // that fills it each time it opens.
    ustring m_dynamicKey;
};

// Flags of Window::showPopupMenu, combined with |.
enum class PopupMenuFlags : int {
    None = 0,
    // The first item is highlighted at once, so Enter picks it.
    HighlightFirst = 1,
    // Every item stays enabled and shows no key text.
    WithoutState = 2,
};
template <>
struct FlagSetEnabled<PopupMenuFlags> : std::true_type {};

// A caption made from a file or package name: every "&" doubled, so that it
// shows literally, and every tab replaced by a blank, since a tab separates
// the key text in a native menu.
ustring escapeMenuCaption(const ustring& text);
