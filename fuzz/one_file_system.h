// For targets whose input is a file the program reads through the file
// manager: a file system holding that one file, mounted under "Packages/".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "filesystem/file_manager.h"
#include "fuzz_target.h"
#include "ui/options.h"

// One file, `name`, holding the input; a search of the root for exactly that
// name, or for "*" and an ending of it ("*.tmPreferences"), finds it.
class OneFileSystem final : public slate::FileSystem {
public:
    OneFileSystem(const ustring& name, std::string bytes) : m_name(name), m_bytes(std::move(bytes)) {}

    slate::SP<slate::MemoryBlock> read(const ustring& path) override
    {
        if (path != m_name)
            return nullptr;
        return slate::SP<slate::MemoryBlock>(
            new slate::SimpleMemoryBlock(m_bytes.data(), static_cast<uint32_t>(m_bytes.size())));
    }
    bool readAsync(const ustring&, slate::ReadCompletion) override { return false; }
    void poll() override {}
    void listFiles(const ustring&, std::vector<ustring>&) override {}
    void findFiles(const ustring& directory, const ustring& pattern, std::vector<ustring>& files) override
    {
        if (directory.empty() && (pattern == m_name || matchesEnding(pattern)))
            files.push_back(m_name);
    }
    bool exists(const ustring& path) override { return path == m_name; }
    bool remove(const ustring&) override { return false; }
    bool rename(const ustring&, const ustring&) override { return false; }
    ustring nativePath(const ustring&) override { return ustring(); }
    void takeChanges(std::vector<slate::FileChange>&) override {}

private:
    bool matchesEnding(const ustring& pattern) const
    {
        return !pattern.empty() && pattern[0] == u'*' && pattern.size() - 1 <= m_name.size() &&
               m_name.compare(m_name.size() - (pattern.size() - 1), ustring::npos, pattern, 1) == 0;
    }

    ustring m_name;
    std::string m_bytes;
};

// Installs a new file manager with "Packages/<name>" holding the input. The
// caller ends the input with slate::FileManager::destroy(), so that no
// singleton outlives it.
inline void mountFuzzInput(const ustring& name, const uint8_t* data, size_t size)
{
    slate::FileManager::setInstance(new slate::FileManagerImpl);
    // Owned by the file manager.
    slate::FileManager::get().mount(u"Packages/", new OneFileSystem(name, fuzzBytes(data, size)));
}

// The input as an options file (a theme, a view's or a buffer's settings),
// read as the program reads one: through the file manager, refused unless it
// is well-formed UTF-8. Leaves no file manager behind.
inline slate::SP<Options> loadFuzzOptions(const ustring& name, const uint8_t* data, size_t size)
{
    mountFuzzInput(name, data, size);
    slate::SP<Options> options(new Options);
    options->load(u"Packages/" + name);
    slate::FileManager::destroy();
    return options;
}
