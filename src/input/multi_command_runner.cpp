#include "input/multi_command_runner.h"

#include "ui/log.h"

void MultiCommandRunner::addRunner(CommandRunner* runner)
{
    VASSERT(runner);
    m_runners.push_back(runner);
}

void MultiCommandRunner::exec(const slate::usubstring& line)
{
    for (CommandRunner* runner : m_runners) {
        if (runner->isEnabled(line)) {
            runner->exec(line);
            return;
        }
    }
}

bool MultiCommandRunner::isEnabled(const slate::usubstring& line)
{
    for (CommandRunner* runner : m_runners) {
        if (runner->isEnabled(line))
            return true;
    }
    return false;
}

ustring MultiCommandRunner::value(const slate::usubstring& line)
{
    for (CommandRunner* runner : m_runners) {
        ustring text = runner->value(line);
        if (!text.empty())
            return text;
    }
    return ustring();
}

bool MultiCommandRunner::has(const slate::usubstring& line)
{
    for (CommandRunner* runner : m_runners) {
        if (runner->has(line))
            return true;
    }
    return false;
}
