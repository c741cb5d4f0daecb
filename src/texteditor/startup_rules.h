// The decisions start-up makes before it creates anything: where the user's
// data lives, whether this is a development build, the name of the
// single-instance mutex, the renderer, what to tell the user when a second
// start could not hand its arguments over, and the exit codes. Pure
// functions over the paths and texts they are given, so that the platform
// entry point only gathers the inputs.
#pragma once

#include <functional>
#include <vector>

#include "ui/ustring.h"
#include "window_manager/windows/single_instance.h"

// The process exit codes.
constexpr int kExitNormal = 0;                 // also after an install run or a hand-over
constexpr int kExitDataDirectoryUnusable = 1;  // the data directory could not be created or mounted
constexpr int kExitPackageSetupFailed = 2;     // the package set-up hook failed

// The fixed part of the single-instance mutex name.
inline constexpr uchar kSingleInstanceMutexPrefix[] = u"VANTREL-77AFE794-B10D-34F3-BAE7-099487FFAE41";

// `directory` and `name` joined by the native separator (none is added
// after an empty directory or one that ends in a separator).
ustring joinNativePath(const ustring& directory, const ustring& name);

// True when `executableFolder`, from its third unit on (after a drive letter
// and colon), begins with `buildTree`, ignoring letter case.
bool isDevelopmentBuild(const ustring& executableFolder, const ustring& buildTree);

// The data directory before the command line is read: the executable's
// folder plus "Data" when that is a directory; else "Vantrel" (with
// " Development" in a development build) in the user's application-data
// folder; empty when that folder is unknown too (nothing is then created or
// mounted).
ustring chooseDataDirectory(const ustring& executableFolder, const ustring& applicationDataFolder,
                            bool developmentBuild);

// Makes a native path absolute against the current directory; empty when it
// cannot (the Win32 build uses GetFullPathNameW).
using FullPathFunction = std::function<ustring(const ustring& path)>;

// The data directory "--data VALUE" asks for: VALUE without one trailing
// "/" or "\", made absolute. Empty when that gives nothing, in which case
// the directory chosen by the rule stays.
ustring dataDirectoryFromSwitch(const ustring& value, const FullPathFunction& fullPath);

// The mutex that marks the running instance of the executable in
// `executableFolder`: kSingleInstanceMutexPrefix, a hyphen and the
// md5HexDigest of the folder's lower-cased UTF-16 units (little-endian, no
// terminator). Every start from one folder computes the same name.
ustring singleInstanceMutexName(const ustring& executableFolder);

// OpenGL when the switch "--opengl" was given or the Application option
// "renderer" is "opengl" in any letter case; Direct3D 9 otherwise.
bool useOpenGLRenderer(bool openGLSwitch, const ustring& rendererOption);

// What to tell the user when a second start ended with `result`: empty when
// nothing was lost (the hand-over worked, or there was nothing to hand
// over); otherwise a message that names the arguments that were not opened.
ustring handOverFailureMessage(HandOverResult result, const std::vector<ustring>& arguments);
