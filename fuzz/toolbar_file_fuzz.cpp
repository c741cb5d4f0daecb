// Toolbar files, as a window reads them through the file manager.
#include "one_file_system.h"
#include "texteditor/toolbar.h"
#include "ui/log.h"

VANTREL_FUZZ_TARGET(toolbar_file)
{
    mountFuzzInput(u"Fuzz.vantrel-toolbar", data, size);
    {
        std::vector<ToolbarFileGroup> groups(1);
        groups[0].push_back({u"before", u"Before", u""});
        size_t hash = 0;
        if (readToolbarFile(u"Packages/Fuzz.vantrel-toolbar", groups, hash).empty()) {
            size_t units = 0;
            for (const ToolbarFileGroup& group : groups)
                for (const ToolbarButtonEntry& button : group)
                    units += button.command.size() + button.caption.size() + button.icon.size();
            (void)units;
        } else if (groups.size() != 1 || groups[0].size() != 1 || groups[0][0].command != u"before") {
            __builtin_trap(); // a file that cannot be used must leave the groups as they were
        }
    }
    slate::FileManager::destroy();
    return 0;
}
