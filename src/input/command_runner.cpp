#include "input/command_runner.h"

CommandRunner::~CommandRunner() = default;
