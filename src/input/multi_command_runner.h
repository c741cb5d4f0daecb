// An ordered chain of command runners: the application's, a window's and a
// text control's commands are each offered through one, so that commands
// written in Python and built-in ones answer as one runner.
#pragma once

#include <vector>

#include "input/command_runner.h"

// The first runner that reports a command enabled runs it, so a command
// that an earlier runner knows but reports disabled runs in a later one that
// enables it. The chain does not own its runners; each must outlive it (or
// its last use). The same runner may appear twice. Main thread only.
class MultiCommandRunner final : public CommandRunner {
public:
    MultiCommandRunner() = default;

    // Appends `runner`, which must not be null.
    void addRunner(CommandRunner* runner);

    // exec runs the line on the first runner whose isEnabled is true, and on
    // none when there is none. value is the first non-empty state text, from
    // whichever runner, enabled or not: the runners of a chain serve one
    // owner, so any of them may speak for it (a window's focus path, whose
    // regions are different objects, stops at the first that has the
    // command instead; see BaseWindow::value).
    void exec(const slate::usubstring& line) override;
    bool isEnabled(const slate::usubstring& line) override;
    ustring value(const slate::usubstring& line) override;
    bool has(const slate::usubstring& line) override;

private:
    std::vector<CommandRunner*> m_runners; // not owned, never null
};
