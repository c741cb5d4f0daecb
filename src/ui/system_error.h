// The system's own explanation of the last failure, for messages and logs.
#pragma once

#include "ui/ustring.h"

// The system's message text for the calling thread's last error code, in the
// user's default language, without a trailing line break; empty when there
// is no error or the system has no text for it (always empty in the native
// build). Call it right after the failing call: anything in between may
// change the code.
ustring lastErrorMessage();
