// Bringing the base services and the toolkit's singletons up and down, in
// the order the rest of the program relies on: the notification manager
// first, then the file manager and its mounts before the options manager,
// all of them before the singletons that load packages through them;
// shutdown in reverse. The process entry (program.h) calls these in turn.
#pragma once

#include "ui/reference_counted.h"
#include "ui/ustring.h"

namespace slate {
class FileSystem;
}
class WindowManager;
class MenuDescriptor;
struct SyntaxMenu;

// Makes a file system over a native directory, or null when it cannot
// (the Win32 build passes the Windows file system, tools and tests another).
using FileSystemFactory = slate::FileSystem* (*)(const ustring& nativeDirectory);

// Where the base services find their files.
struct StartupFolders {
    // The user's data; empty: nothing is created or mounted for it.
    ustring dataDirectory;
    // The executable's folder, or in a development build the build's
    // resource folder; its "Packages" is mounted after the user's in a
    // development build.
    ustring basePath;
    // Development build only: packages shared by the build tree, mounted
    // last. Empty otherwise.
    ustring sharedPackages;
    bool developmentBuild = false;
};

// Mounts a new file system over `nativeDirectory` at `mountPoint`; false (and
// logged) when the directory cannot be made into one.
bool mountPath(const ustring& mountPoint, const ustring& nativeDirectory, FileSystemFactory factory);

// Creates the notification manager (titled `applicationName`) when there is
// none, then the file manager. With a data directory, creates it and its
// folders "Packages", "Packages/Default" and "Options" where missing and
// mounts "UserOptions" on its "Options" and "Packages" on its "Packages";
// a development build then mounts the base path's "Packages" and the shared
// packages as "Packages" too (the user's are searched first). Then creates
// the options manager.
// False, after showing "Unable to mount data directory, exiting" (blocking),
// when a mount fails: the caller exits. Nothing is created on disk when one
// of the data folders is already taken by a file, and creation stops at the
// first folder that cannot be made. Main thread.
bool startupBase(const ustring& applicationName, const StartupFolders& folders, FileSystemFactory factory);

// Installs `windowManager` (made for the chosen renderer; owned from now
// on), then creates, in this order, the binding source manager, syntax
// manager, syntax loader, styler, snippet store, meta info and spell checker
// manager, and watches theme files. Timed as "StartupUI". The notification,
// file and options managers must exist. Main thread.
void startupUi(WindowManager* windowManager);
// Starts the loads that wait until start-up is done (the snippet store's
// background scan). Main thread, just before the message loop.
void startupLate();
// Destroys the window manager and what startupUi created: the window
// manager, meta info, snippet store, syntax manager, styler, syntax loader,
// spell checker manager, and last the binding source manager.
void shutdownUi();

// The syntax menu as the window manager's menu "setFileType" shows it: the
// submenu of assignFileType items, a separator, then the setFileType items.
slate::SP<MenuDescriptor> syntaxMenuDescriptor(const SyntaxMenu& menu);
// Destroys the options manager, the file manager and the notification
// manager, then releases the regular-expression engine's global state.
void shutdownBase();
