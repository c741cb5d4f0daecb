// Test helper (Win32 build only): queues a completion routine to a thread, as
// the system does when an asynchronous read finishes.
#pragma once

#include <atomic>

#include "ui/platform.h"

// Queues a routine that increments `counter` to run on `thread` the next time
// it waits alertably. False when it could not be queued.
bool queueCountingCompletionRoutine(platform::ThreadHandle thread, std::atomic<int>* counter);
