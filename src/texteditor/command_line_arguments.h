// The program's command line, read once at start-up: switches, files to
// open (each possibly followed by ":line" and ":line:column", which the file
// opener parses), commands to queue and package files to install. The whole
// argument list, switches included, is also what a second start hands to the
// running instance; reading it again there is the application's business.
#pragma once

#include <vector>

#include "ui/ustring.h"

struct CommandLineArguments {
    bool singleInstance = true; // false with "--multiinstance"
    bool openGL = false;        // "--opengl"
    bool swapChains = true;     // false with "--no-swapchains"
    bool restore = false;       // "--restore"
    bool debug = false;         // "--debug"
    // The value of the last "--data" that had one, as given; start-up turns
    // it into the data directory (dataDirectoryFromSwitch).
    bool hasDataSwitch = false;
    ustring dataSwitch;
    ustring project;                // the last "--project" value; empty for none
    std::vector<ustring> commands;  // "--command" values, in order
    std::vector<ustring> files;     // file arguments, in order, as given
    std::vector<ustring> packages;  // package files to install, in order
};

// Reads the arguments (the program name already dropped) left to right.
// Switches are matched exactly and case-sensitively. "--command",
// "--project" and "--data" take the next argument as their value and are
// ignored when they stand last; "--install" takes none and does nothing.
// Any other argument beginning with "--" is skipped alone; a name ending in
// ".vantrel-package" in any letter case is a package; the rest are files.
CommandLineArguments parseCommandLineArguments(const std::vector<ustring>& arguments);

// The argument names a package file: it ends in ".vantrel-package", in any
// letter case.
bool isPackageFileName(const ustring& argument);
