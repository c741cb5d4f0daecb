// The Wine test program: Windows paths (Wine's names for the machine's
// files) and the Win32 file system.
#include <windows.h>

#include "filesystem/windows_file_system.h"
#include "support/program_files.h"
#include "ui/unicode.h"

namespace test_support {

const char16_t kPathSeparator = u'\\';

ustring programPath(const std::string& path)
{
    // Wine's kernel32 names the Unix path as Windows programs see it.
    WCHAR* name = wine_get_dos_file_name(path.c_str());
    if (!name)
        return ustring();
    ustring result(reinterpret_cast<const char16_t*>(name));
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

slate::FileSystem* createFileSystem(const std::string& folder)
{
    return slate::WindowsFileSystem::create(programPath(folder));
}

} // namespace test_support
