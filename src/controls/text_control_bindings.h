// The built-in text commands of a text control: the names that key maps,
// menus, macros and plug-ins use to edit a view, registered into the
// control's command map with their enabled tests and menu values.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "input/command_map.h"
#include "ui/reference_counted.h"

class CommandRunner;
class TextBufferView;
class Window;

// Called by "move" with its unit word (UTF-8) and amount when a line or
// page move cannot happen in the control: always in a single-line field,
// and when the caret is already on the first or last line otherwise.
using MoveOverflowFunction = std::function<void(const std::string& unit, int32_t amount)>;

// Registers every text command into `map`, replacing entries of the same
// names, so a second call leaves the same commands.
//
// The handlers keep `view` alive only where undo history is involved
// (undo, redo, softUndo, softRedo, invertSelection, selectAll); the others
// refer to it, so the owner keeps the view alive as long as `map` exists.
// `runner` is the control's own runner (this map first, then the plug-in
// text commands), through which macros and repetitions run their command
// lines; with null those commands do nothing. `multiLine` is false for a
// single-line field: typed text stops at its first line feed and line moves
// go to `moveOverflow` (may be empty). `window` owns the dialogs the
// commands open (may be null). None of the three is owned.
void addTextCommands(const slate::SP<TextBufferView>& view, CommandMap& map, CommandRunner* runner,
                     bool multiLine, MoveOverflowFunction moveOverflow, Window* window);
