// Key map files, as a window's key map reads them through the file manager,
// then key strokes resolved against what was bound: typed characters from
// the input's first bytes (pattern keys see them) and a few chords.
#include <memory>

#include "one_file_system.h"
#include "input/binding_map.h"

// Everything is set up and torn down per input, so that the corpus replay in
// the test program leaves no singleton behind.
VANTREL_FUZZ_TARGET(key_map)
{
    mountFuzzInput(u"Fuzz.vantrel-keymap", data, size);
    BindingSourceManager::create();
    {
        BindingMap map;
        // Contexts with an even-length value hold, so bindings with contexts
        // are reached too.
        map.setContextFunction([](const slate::usubstring&, const slate::usubstring& value) {
            return value.length() % 2 == 0;
        });
        map.setKeymapName(u"Fuzz");

        std::vector<InputAction> actions;
        const size_t typed = size < 40 ? size : 40;
        for (size_t i = 0; i < typed; ++i)
            map.resolve({0, 0, static_cast<uint16_t>(data[i] ? data[i] : 'x')}, actions);
        for (int code : {107, 13, 9, 282})
            map.resolve({code, kModifierCtrl, 0}, actions);
        map.pendingText();
        map.resolve(KeyStroke(), actions);
        map.keyText(u"x");
    }
    BindingSourceManager::destroy();
    slate::FileManager::destroy();
    return 0;
}
