// The syntax summary cache: the input is the record, written as a cache file
// where the syntax manager looks for it, and read back for one grammar.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "filesystem/file_manager.h"
#include "filesystem/posix_file_system.h"
#include "fuzz_target.h"
#include "ui/byte_buffer.h"
#include "ui/cache_file.h"
#include "ui/text/syntax/syntax_manager.h"
#include "ui/unicode.h"

namespace {

// A packages folder with one grammar, mounted as "Packages" for the life of
// the process (a test program that has a file manager already keeps it).
// The cache is read from the disk, so the folder is a real one: one per
// process, made on first use and removed when the process ends normally.
class PackagesFolder {
public:
    PackagesFolder()
        : m_path(std::filesystem::temp_directory_path() /
                 ("vantrel-summary-fuzz-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_path / "Default");
        std::ofstream(m_path / "A.tmLanguage") << "<plist/>";
    }
    ~PackagesFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    PackagesFolder(const PackagesFolder&) = delete;
    PackagesFolder& operator=(const PackagesFolder&) = delete;

    const std::string& path() const { return m_text; }

private:
    std::filesystem::path m_path;
    std::string m_text = m_path.string();
};

const std::string& packagesFolder()
{
    static const PackagesFolder s_folder;
    return s_folder.path();
}

} // namespace

VANTREL_FUZZ_TARGET(syntax_summary_cache)
{
    const std::string& folder = packagesFolder();
    const bool ownManager = !slate::FileManager::alive();
    if (ownManager) {
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages", slate::PosixFileSystem::create(toUstring(folder)));
    }
    WriteBuffer record;
    record.append(data, size);
    const std::vector<ustring> paths{u"Packages/A.tmLanguage"};
    std::vector<SyntaxSummary> summaries;
    if (writeCacheFile(toUstring(folder + "/Default/Syntax Summary.cache"), kSyntaxSummaryCacheVersion, record) &&
        readSummaryCache(paths, summaries) && summaries.size() != paths.size())
        std::abort();
    if (ownManager)
        slate::FileManager::destroy();
    return 0;
}
