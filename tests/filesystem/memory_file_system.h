// An in-memory file system for tests of the file manager and its users:
// files are a map from root-relative path to bytes, directories are implied
// by the paths below them, and changes are whatever the test queues.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "filesystem/file_system.h"
#include "ui/string_utils.h"

namespace testing_support {

class MemoryFileSystem final : public slate::FileSystem {
public:
    // `nativeRoot` prefixes native paths; empty means the file system has no
    // native names.
    explicit MemoryFileSystem(ustring nativeRoot = ustring()) : m_nativeRoot(std::move(nativeRoot)) {}
    // Counts itself into `destroyedNames` (when given) as it goes, so tests can
    // see the order in which an owner deletes file systems.
    ~MemoryFileSystem() override
    {
        if (m_destroyedNames)
            m_destroyedNames->push_back(m_nativeRoot);
    }

    void addFile(const ustring& path, const std::string& bytes) { m_files[path] = bytes; }
    void queueChange(const ustring& path, int32_t flags) { m_changes.push_back({path, flags}); }
    void reportDestructionTo(std::vector<ustring>* names) { m_destroyedNames = names; }
    bool hasFile(const ustring& path) const { return m_files.count(path) != 0; }
    int pollCount() const { return m_pollCount; }

    slate::SP<slate::MemoryBlock> read(const ustring& path) override
    {
        auto it = m_files.find(path);
        if (it == m_files.end())
            return nullptr;
        return slate::SP<slate::MemoryBlock>(
            new SimpleMemoryBlock(it->second.data(), static_cast<uint32_t>(it->second.size())));
    }
    bool readAsync(const ustring&, slate::ReadCompletion) override { return false; }
    void poll() override { ++m_pollCount; }
    void listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries) override
    {
        size_t slash = pathOrPattern.rfind(u'/');
        ustring prefix = slash == ustring::npos ? ustring() : pathOrPattern.substr(0, slash + 1);
        ustring last = pathOrPattern.substr(prefix.size());
        std::vector<ustring> names;
        for (const auto& file : m_files) {
            if (file.first.compare(0, prefix.size(), prefix) != 0)
                continue;
            ustring rest = file.first.substr(prefix.size());
            ustring name = rest.substr(0, rest.find(u'/'));
            if (!name.empty() && wildcardMatch(last.c_str(), name.c_str()) &&
                (names.empty() || names.back() != name))
                names.push_back(name);
        }
        for (const ustring& name : names)
            entries.push_back(prefix + name);
    }
    void findFiles(const ustring& directory, const ustring& pattern,
                   std::vector<ustring>& files) override
    {
        for (const auto& file : m_files) {
            if (file.first.compare(0, directory.size(), directory) != 0)
                continue;
            size_t slash = file.first.rfind(u'/');
            ustring name = slash == ustring::npos ? file.first : file.first.substr(slash + 1);
            if (wildcardMatch(pattern.c_str(), name.c_str()))
                files.push_back(file.first);
        }
    }
    bool exists(const ustring& path) override
    {
        if (m_files.count(path))
            return true;
        ustring directory = path + u'/';
        auto it = m_files.lower_bound(directory);
        return it != m_files.end() && it->first.compare(0, directory.size(), directory) == 0;
    }
    bool remove(const ustring& path) override { return m_files.erase(path) != 0; }
    bool rename(const ustring& oldPath, const ustring& newPath) override
    {
        auto it = m_files.find(oldPath);
        if (it == m_files.end() || m_files.count(newPath))
            return false;
        std::string bytes = it->second;
        m_files.erase(it);
        m_files[newPath] = bytes;
        return true;
    }
    ustring nativePath(const ustring& path) override
    {
        return m_nativeRoot.empty() ? ustring() : m_nativeRoot + path;
    }
    void takeChanges(std::vector<slate::FileChange>& changes) override
    {
        changes.insert(changes.end(), m_changes.begin(), m_changes.end());
        m_changes.clear();
    }

private:
    ustring m_nativeRoot;
    std::map<ustring, std::string> m_files;
    std::vector<slate::FileChange> m_changes;
    std::vector<ustring>* m_destroyedNames = nullptr;
    int m_pollCount = 0;
};

} // namespace testing_support
