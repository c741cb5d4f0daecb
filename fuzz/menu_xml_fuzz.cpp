// Menu XML files, as MenuDescriptor::load reads them through the file
// manager, then a walk over everything that was built.
#include "fuzz_target.h"
#include "filesystem/file_manager.h"
#include "ui/log.h"
#include "window_manager/menu_descriptor.h"

namespace {

// "Packages/" holding one menu file: the input.
class OneFileSystem final : public slate::FileSystem {
public:
    std::string bytes;

    slate::SP<slate::MemoryBlock> read(const ustring& path) override
    {
        if (path != kName)
            return nullptr;
        return slate::SP<slate::MemoryBlock>(
            new slate::SimpleMemoryBlock(bytes.data(), static_cast<uint32_t>(bytes.size())));
    }
    bool readAsync(const ustring&, slate::ReadCompletion) override { return false; }
    void poll() override {}
    void listFiles(const ustring&, std::vector<ustring>&) override {}
    void findFiles(const ustring&, const ustring&, std::vector<ustring>&) override {}
    bool exists(const ustring& path) override { return path == kName; }
    bool remove(const ustring&) override { return false; }
    bool rename(const ustring&, const ustring&) override { return false; }
    ustring nativePath(const ustring&) override { return ustring(); }
    void takeChanges(std::vector<slate::FileChange>&) override {}

    static constexpr const char16_t* kName = u"Fuzz.vantrel-menu";
};

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
    auto* files = new OneFileSystem; // owned by the file manager
    files->bytes = fuzzBytes(data, size);
    slate::FileManager::setInstance(new slate::FileManagerImpl);
    slate::FileManager::get().mount(u"Packages/", files);
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
