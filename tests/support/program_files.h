// What differs between the two test programs in how the code under test
// reaches files: the native program names them with POSIX paths and mounts
// the POSIX file system, the Wine program uses Windows paths and the Win32
// file system. Tests written once against this run in both programs.
#pragma once

#include <string>

#include "ui/ustring.h"

namespace slate {
class FileSystem;
}

namespace test_support {

// The separator of the paths the code under test uses.
extern const char16_t kPathSeparator;

// Paths of this machine are taken as std::string (a std::filesystem::path
// converts to one): the Win32 side is compiled with Windows defines, under
// which the library's path type is another type.

// How the code under test names `path` (an absolute path of this machine).
ustring programPath(const std::string& path);

// The program's file system over the folder `folder`; null when it cannot be
// opened.
slate::FileSystem* createFileSystem(const std::string& folder);

} // namespace test_support
