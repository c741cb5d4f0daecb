// Theme files (".vantrel-theme"), read through the file manager as the
// options are, then built into shaders, fonts, colours and sizes without a
// canvas, and asked for the shader of every key and a few dotted names.
#include <string>

#include "one_file_system.h"
#include "ui/theme.h"
#include "ui/unicode.h"

VANTREL_FUZZ_TARGET(theme)
{
    const slate::SP<Options> options = loadFuzzOptions(u"Fuzz.vantrel-theme", data, size);
    Theme theme(nullptr, options);
    for (const ustring& key : options->keys()) {
        const std::string name = toUtf8(key);
        theme.get(name);
        theme.get(name + ".down.disabled");
    }
    for (const char* name : {"button", "button.down", "scrollbar.puck", "tab.selected.hover", "."})
        theme.get(name);
    return 0;
}
