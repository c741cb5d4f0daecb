// Macros: lists of command lines recorded while the user edits and replayed
// through a command runner. Every text command runs in an undo group named by
// its own command line, so a recording is read back from the buffer's undo
// history (TextBuffer::beginMacroRecording, takeRecordedCommands) and needs
// no hook in the commands. Main thread only.
#pragma once

#include <vector>

#include "ui/reference_counted.h"
#include "ui/ustring.h"

class CommandRunner;
class TextBuffer;

// Macro commands that run macros (runMacro, a macro file, a sequence) nest;
// past this depth playMacroCommands refuses to go deeper and the whole run
// stops, so a macro that runs itself ends instead of overflowing the stack.
constexpr int kMaxMacroDepth = 32;

// The process-wide macro, empty at start and shared by every window. Only a
// recording with at least one command and the plug-ins replace it.
const std::vector<ustring>& getMacro();
void setMacro(std::vector<ustring> commands);

// Ends the recording of `buffer`: a non-empty recording replaces the macro
// and the status reads "Recorded macro with N command(s)"; an empty one keeps
// the macro and reads "Stopped recording macro". Returns the status text, also
// set on the notification manager when there is one. Does nothing and returns
// an empty text when the buffer is not recording.
ustring stopMacroRecording(TextBuffer& buffer);

// The macro is not empty and `buffer` is not recording (a macro must not
// replay itself into its own recording).
bool canRunMacro(const TextBuffer& buffer);

// Replays the macro through `runner` in one undo group "runMacro" on
// `buffer`, so the whole run undoes in one step, after the status "Running
// macro with N command(s)". Nothing while `buffer` records.
void runMacro(const slate::SP<TextBuffer>& buffer, CommandRunner& runner);

// Runs each line in order: an unknown command sets the status "Unknown macro
// command " and the line and the rest still run; a disabled one is skipped
// silently. False when the run was stopped because macros nested deeper than
// kMaxMacroDepth (logged, and in the status); every enclosing run then stops
// too, without running its remaining lines.
bool playMacroCommands(CommandRunner& runner, const std::vector<ustring>& lines);

// Reads a macro file (".vantrel-macro": UTF-8, one command line per line,
// any line ends, blank lines and "#" comments dropped) at the virtual `path`
// through the file manager into `lines`. A file that cannot be read or is not
// text (not well-formed UTF-8, or holding a NUL) gives false, a message for
// the user in `error` and `lines` unchanged. Write one with writeLines.
bool readMacroFile(const ustring& path, std::vector<ustring>& lines, ustring& error);
