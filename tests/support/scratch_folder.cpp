#include "support/scratch_folder.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <system_error>

#include "ui/unicode.h"

namespace fs = std::filesystem;

namespace test_support {

ScratchFolder::ScratchFolder(const std::string& prefix)
{
    static std::atomic<unsigned> s_counter{0};
    const fs::path base = fs::temp_directory_path();
    // A name left by an earlier process with the same id is skipped.
    do {
        m_path = base / (prefix + "-" + std::to_string(::getpid()) + "-" + std::to_string(s_counter++));
    } while (!fs::create_directory(m_path));
}

ScratchFolder::~ScratchFolder()
{
    // A test may have taken write permission away from a folder in here.
    std::error_code error;
    for (fs::recursive_directory_iterator entry(m_path, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->is_directory(error))
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::remove_all(m_path, error);
}

ustring ScratchFolder::write(const fs::path& name, const std::string& bytes) const
{
    const fs::path file = m_path / name;
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    writeFile(file, bytes);
    return toUstring(file.string());
}

std::string ScratchFolder::read(const fs::path& name) const
{
    return readFile(m_path / name);
}

fs::path ScratchFolder::makeFolder(const fs::path& name) const
{
    fs::create_directories(m_path / name);
    return m_path / name;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<unreadable>";
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out.flush());
}

fs::path dataPath(const fs::path& name)
{
    return fs::path(VANTREL_TEST_DATA_DIR) / name;
}

} // namespace test_support
