// The syntax summary cache: the input is the record, written as a cache file
// where the syntax manager looks for it, and read back for one grammar.
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
std::string packagesFolder()
{
    static const std::string s_folder = [] {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("vantrel-summary-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "Default");
        std::ofstream(folder / "A.tmLanguage") << "<plist/>";
        return folder.string();
    }();
    return s_folder;
}

} // namespace

VANTREL_FUZZ_TARGET(syntax_summary_cache)
{
    const std::string folder = packagesFolder();
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
