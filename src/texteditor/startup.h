// Bringing the base services and the language services up and down, in the
// order the rest of the program relies on: the file manager and its mounts
// before the options manager, both before the singletons that load packages
// through them; shutdown in reverse.
#pragma once

#include "ui/ustring.h"

namespace slate {
class FileSystem;
}

// Makes a file system over a native directory, or null when it cannot
// (the Win32 build passes the Windows file system, tools and tests another).
using FileSystemFactory = slate::FileSystem* (*)(const ustring& nativeDirectory);

// The data directory: `dataSwitch` when given ("--data"); else the
// executable's folder plus "Data" when that is a directory; else "Vantrel" in
// the user's application-data folder.
ustring chooseDataDirectory(const ustring& executableFolder, const ustring& applicationDataFolder,
                            const ustring& dataSwitch);

// Mounts a new file system over `nativeDirectory` at `mountPoint`; false (and
// logged) when the directory cannot be made into one.
bool mountPath(const ustring& mountPoint, const ustring& nativeDirectory, FileSystemFactory factory);

// Creates the file manager; with a data directory, creates it and its folders
// "Packages", "Packages/Default" and "Options" where missing and mounts
// "UserOptions" and "Packages" on them; then creates the options manager.
// False, after showing "Unable to mount data directory, exiting", when a
// mount fails: the program then exits. Shows that through the notification
// manager when one exists, else in an error box of its own.
bool startupBase(const ustring& dataDirectory, FileSystemFactory factory);
// Creates the language-service singletons (syntax manager and loader, colour
// schemes, preferences, spelling), the binding source manager and the
// snippet store, and watches theme files. After startupBase.
void startupUi();
// Starts the loads that wait for the message loop (the snippet store's). The
// first call the loop runs.
void startBackgroundLoads();
// Destroys what startupUi created, in reverse.
void shutdownUi();
// Destroys the options manager and then the file manager. The caller destroys
// the notification manager after it.
void shutdownBase();
