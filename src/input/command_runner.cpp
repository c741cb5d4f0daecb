#include "input/command_runner.h"

#include "ui/log.h"

UserCommandRunner* g_userCommandRunner = nullptr;

CommandRunner::~CommandRunner() = default;

void setUserCommandRunner(UserCommandRunner* runner)
{
    VASSERT(!g_userCommandRunner || !runner);
    g_userCommandRunner = runner;
}
