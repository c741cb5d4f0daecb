#include "ui/system_error.h"

#include "ui/platform.h"

ustring lastErrorMessage() { return platform::get().lastErrorText(); }
