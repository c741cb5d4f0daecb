// Menu XML files, as MenuDescriptor::load reads them through the file
// manager, then a walk over everything that was built.
#include "one_file_system.h"
#include "ui/log.h"
#include "ui/menu_descriptor.h"

namespace {

// Touches every caption and command, as building a native menu does.
size_t walk(const MenuDescriptor& menu, int depth)
{
    size_t units = escapeMenuCaption(menu.m_caption).size() + menu.m_dynamicKey.size();
    for (const MenuEntry& entry : menu.m_entries) {
        if (entry.m_item)
            units += entry.m_item->m_caption.size() + entry.m_item->m_command.size();
        else if (entry.m_submenu)
            units += walk(*entry.m_submenu, depth + 1);
    }
    return units;
}

} // namespace

VANTREL_FUZZ_TARGET(menu_xml)
{
    // Every bad file is logged; the log would slow the search to a crawl.
    const bool debugOutput = g_debugOutputEnabled.exchange(false);
    mountFuzzInput(u"Fuzz.vantrel-menu", data, size);
    {
        slate::SP<MenuDescriptor> menu(new MenuDescriptor(u"Fuzz"));
        menu->addItem(u"Before", u"before");
        ustring error;
        if (menu->load(u"Packages/Fuzz.vantrel-menu", error)) {
            walk(*menu, 0);
            menu->findSubmenu(u"x");
            MenuDescriptor outer;
            outer.append(menu);
        } else if (menu->m_entries.size() != 1 || error.empty()) {
            __builtin_trap(); // a failed load must leave the menu unchanged and say why
        }
    }
    slate::FileManager::destroy();
    g_debugOutputEnabled = debugOutput;
    return 0;
}
