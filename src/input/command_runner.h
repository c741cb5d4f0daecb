// How commands are run. Every command of the editor, from a key binding, a
// menu, the toolbar, a macro, a plug-in or the program's command line, is a
// command line: a command name and its arguments in one string, split by
// parseStrings (blanks and tabs separate words; quotes group; a backslash
// escapes, with \n and \t). Nothing calls a command's handler directly: a
// CommandRunner takes the line and decides.
#pragma once

#include <utility>

#include "ui/ustring.h"

// Runs command lines. Runners are chained (MultiCommandRunner) and offered
// along a window's focus path, so each operation answers only for itself.
// Main thread only.
class CommandRunner {
public:
    virtual ~CommandRunner();
    // Runs the line when this runner knows it and it is enabled; silently
    // does nothing otherwise.
    virtual void exec(const slate::usubstring& line) = 0;
    // Whether the command may run now; false for an unknown command.
    virtual bool isEnabled(const slate::usubstring& line) = 0;
    // The command's state for display: "true" or "false" for a checked
    // state, other text for a caption's "%s", empty for nothing to report.
    virtual ustring value(const slate::usubstring& line) = 0;
    // Whether this runner knows the command at all, enabled or not.
    virtual bool has(const slate::usubstring& line) = 0;
};

// A runner whose operations also take a parameter, in practice the text view
// a text command applies to. The plug-in host implements it for commands
// written in Python.
template <typename Parameter>
class ParameterisedCommandRunner {
public:
    virtual ~ParameterisedCommandRunner() = default;
    virtual void exec(const slate::usubstring& line, Parameter parameter) = 0;
    virtual bool isEnabled(const slate::usubstring& line, Parameter parameter) = 0;
    virtual ustring value(const slate::usubstring& line, Parameter parameter) = 0;
    virtual bool has(const slate::usubstring& line, Parameter parameter) = 0;
};

// A CommandRunner over a parameterised runner with one parameter bound. The
// runner is not owned and may be null, in which case the binding knows no
// command; the parameter (a counted view) is held for the binding's life.
template <typename Parameter>
class ParameterisedCommandRunnerBinding final : public CommandRunner {
public:
    ParameterisedCommandRunnerBinding(ParameterisedCommandRunner<Parameter>* runner, Parameter parameter)
        : m_runner(runner), m_parameter(std::move(parameter))
    {
    }

    void exec(const slate::usubstring& line) override
    {
        if (m_runner)
            m_runner->exec(line, m_parameter);
    }
    bool isEnabled(const slate::usubstring& line) override
    {
        return m_runner && m_runner->isEnabled(line, m_parameter);
    }
    ustring value(const slate::usubstring& line) override
    {
        return m_runner ? m_runner->value(line, m_parameter) : ustring();
    }
    bool has(const slate::usubstring& line) override
    {
        return m_runner && m_runner->has(line, m_parameter);
    }

private:
    ParameterisedCommandRunner<Parameter>* m_runner; // not owned; may be null
    Parameter m_parameter;
};
