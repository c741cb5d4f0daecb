// The native test program: POSIX paths and the POSIX file system.
#include "filesystem/posix_file_system.h"
#include "support/program_files.h"
#include "ui/unicode.h"

namespace test_support {

const char16_t kPathSeparator = u'/';

ustring programPath(const std::string& path)
{
    return toUstring(path);
}

slate::FileSystem* createFileSystem(const std::string& folder)
{
    return slate::PosixFileSystem::create(programPath(folder));
}

} // namespace test_support
