#include "input/user_command_runner.h"

#include "ui/log.h"

UserCommandRunner* g_userCommandRunner = nullptr;

void setUserCommandRunner(UserCommandRunner* runner)
{
    VASSERT(!g_userCommandRunner || !runner);
    g_userCommandRunner = runner;
}
