// Key map files, as a window's key map reads them through the file manager,
// then key strokes resolved against what was bound: typed characters from
// the input's first bytes (pattern keys see them) and a few chords.
#include <memory>

#include "fuzz_target.h"
#include "filesystem/file_manager.h"
#include "input/binding_map.h"

namespace {

// "Packages/" holding one key map file: the input.
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
    void findFiles(const ustring& directory, const ustring& pattern, std::vector<ustring>& files) override
    {
        if (directory.empty() && pattern == kName)
            files.push_back(kName);
    }
    bool exists(const ustring& path) override { return path == kName; }
    bool remove(const ustring&) override { return false; }
    bool rename(const ustring&, const ustring&) override { return false; }
    ustring nativePath(const ustring&) override { return ustring(); }
    void takeChanges(std::vector<slate::FileChange>&) override {}

    static constexpr const char16_t* kName = u"Fuzz.vantrel-keymap";
};

} // namespace

// Everything is set up and torn down per input, so that the corpus replay in
// the test program leaves no singleton behind.
VANTREL_FUZZ_TARGET(key_map)
{
    auto* files = new OneFileSystem; // owned by the file manager
    files->bytes = fuzzBytes(data, size);
    slate::FileManager::setInstance(new slate::FileManagerImpl);
    slate::FileManager::get().mount(u"Packages/", files);
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
