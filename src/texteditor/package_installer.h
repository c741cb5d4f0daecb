// Installing a package file named on the command line: the user is asked,
// and the file is copied into the data directory's "Installed Packages",
// replacing one of the same name. Nothing is unpacked here: the package
// set-up of the next start does that.
#pragma once

#include "ui/ustring.h"

// The names one install works with.
struct PackageInstallPlan {
    ustring source;      // the package file, slashes turned into backslashes
    ustring folder;      // data directory + "\Installed Packages\"
    ustring target;      // folder + the source's file name
    ustring packageName; // the file name without its extension
};

PackageInstallPlan planPackageInstall(const ustring& packageFile, const ustring& dataDirectory);

// Asks "Install package NAME?" and, on Yes, creates the folder and copies
// the file, then says that the package is installed; a failed copy is
// reported through the notification manager. Win32; main thread, before any
// window exists.
void installPackageFile(const ustring& packageFile, const ustring& dataDirectory);
