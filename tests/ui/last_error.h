// Sets the calling thread's last system error code, for the Wine tests of
// the code that reports it.
#pragma once

#include <cstdint>

void setLastErrorCode(uint32_t code);
