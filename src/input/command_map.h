// A table from command name to built-in handlers: the commands of the
// application, of each window and its panels, and the text commands of a
// text control.
#pragma once

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "input/command_runner.h"

// What a handler receives: the words of the command line, the command name
// first. The words point into the runner's own copy of the line and live
// only for the call.
using CommandArguments = std::vector<slate::usubstring>;

// Names are compared by code units, so "undo" and "Undo" are two commands.
// Held by value by its owner; a copy holds copies of every handler. Main
// thread only.
class CommandMap final : public CommandRunner {
public:
    using ExecFunction = std::function<void(const CommandArguments&)>;
    using EnabledFunction = std::function<bool(const CommandArguments&)>;
    using ValueFunction = std::function<ustring(const CommandArguments&)>;
    using CheckedFunction = std::function<bool(const CommandArguments&)>;

    // Any of the four may be empty. An empty `enabled` means always enabled;
    // `value` wins over `checked` for the state text.
    struct Entry {
        ExecFunction exec;
        EnabledFunction enabled;
        ValueFunction value;
        CheckedFunction checked;
    };

    CommandMap() = default;

    // Registration. The name is UTF-8 (callers pass literals). Each call
    // replaces the whole entry of the name: what it does not give is
    // cleared, so add after addEnabled makes the command always enabled.
    void addEntry(const slate::substring& name, Entry entry);
    void add(const slate::substring& name, ExecFunction exec) { addEntry(name, {std::move(exec), nullptr, nullptr, nullptr}); }
    void addEnabled(const slate::substring& name, ExecFunction exec, EnabledFunction enabled)
    {
        addEntry(name, {std::move(exec), std::move(enabled), nullptr, nullptr});
    }
    void addValue(const slate::substring& name, ExecFunction exec, ValueFunction value)
    {
        addEntry(name, {std::move(exec), nullptr, std::move(value), nullptr});
    }
    // The state text is "true" or "false" from `checked`.
    void addChecked(const slate::substring& name, ExecFunction exec, CheckedFunction checked)
    {
        addEntry(name, {std::move(exec), nullptr, nullptr, std::move(checked)});
    }
    void addEnabledValue(const slate::substring& name, ExecFunction exec, EnabledFunction enabled,
                         ValueFunction value)
    {
        addEntry(name, {std::move(exec), std::move(enabled), std::move(value), nullptr});
    }
    void addEnabledChecked(const slate::substring& name, ExecFunction exec, EnabledFunction enabled,
                           CheckedFunction checked)
    {
        addEntry(name, {std::move(exec), std::move(enabled), nullptr, std::move(checked)});
    }
    // Forgets the command; nothing when it is not registered.
    void remove(const slate::substring& name);
    // True when no command is registered.
    bool empty() const { return m_entries.empty(); }
    // Every entry by name, for listings of the commands a map offers.
    const std::map<ustring, Entry>& entries() const { return m_entries; }

    // A blank line knows no command. exec runs only a command whose
    // `enabled` is empty or true for these arguments, so a disabled command
    // never runs, not even when called directly; value does not consult it.
    void exec(const slate::usubstring& line) override;
    bool isEnabled(const slate::usubstring& line) override;
    ustring value(const slate::usubstring& line) override;
    bool has(const slate::usubstring& line) override;

private:
    // The entry of the line's command (null when unknown or the line is
    // blank); `words` and `arguments` receive the split line.
    const Entry* find(const slate::usubstring& line, std::vector<ustring>& words,
                      CommandArguments& arguments) const;

    std::map<ustring, Entry> m_entries;
};
