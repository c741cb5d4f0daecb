// A scratch folder for a test or a benchmark: a new empty folder under the
// system's temporary folder, removed with everything in it when the object
// goes. Both test programs and the benchmarks use it.
#pragma once

#include <filesystem>
#include <string>

#include "ui/ustring.h"

namespace test_support {

class ScratchFolder {
public:
    // `prefix` starts the folder's name, to tell whose leftovers are whose
    // should a run be killed before it cleans up.
    explicit ScratchFolder(const std::string& prefix = "vantrel-test");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return m_path / name; }

    // Writes `bytes` to `name` (a path relative to the folder; folders on
    // the way are created); returns the file's path.
    ustring write(const std::filesystem::path& name, const std::string& bytes) const;
    // The bytes of `name`, or "<unreadable>".
    std::string read(const std::filesystem::path& name) const;
    std::filesystem::path makeFolder(const std::filesystem::path& name) const;

private:
    std::filesystem::path m_path;
};

// The whole file, or "<unreadable>".
std::string readFile(const std::filesystem::path& path);
// Writes `bytes` to `path`, replacing it; false when it cannot be written.
bool writeFile(const std::filesystem::path& path, const std::string& bytes);

// A file in the checked-in test data: `dataPath("grammars/c.tmLanguage")`.
std::filesystem::path dataPath(const std::filesystem::path& name);

} // namespace test_support
