#include <windows.h>

#include "ui/completion_routine.h"

namespace {

void CALLBACK countingRoutine(ULONG_PTR parameter)
{
    ++*reinterpret_cast<std::atomic<int>*>(parameter);
}

} // namespace

bool queueCountingCompletionRoutine(platform::ThreadHandle thread, std::atomic<int>* counter)
{
    return QueueUserAPC(countingRoutine, static_cast<HANDLE>(thread), reinterpret_cast<ULONG_PTR>(counter)) != 0;
}
