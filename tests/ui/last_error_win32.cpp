#include "ui/last_error.h"

#include <windows.h>

void setLastErrorCode(uint32_t code) { SetLastError(code); }
