// The name of the user the program runs for, as the system reports it.
// user_name_win32.cpp asks Win32; user_name_native.cpp stands in for the
// portable build (tests and tools). Any thread.
#pragma once

#include "ui/ustring.h"

// Sets `name` to the logged-on user's name and returns true; returns false,
// leaving `name` unchanged, when the system does not answer.
bool currentUserName(ustring& name);
