// The commands that a text control's context menu offers for the text
// position where it was opened: the spelling suggestions for a misspelled
// word there, adding or ignoring that word, and "dispatch", which runs a
// command line built from a regular-expression match around the position.
// The menu's entries name them by command line and take their captions from
// the commands' values. Main thread only.
#pragma once

#include <cstdint>

#include "input/command_map.h"
#include "ui/text/text_buffer_functions.h"

class CommandRunner;

// Registers the commands of a menu opened at `point` of `view` into `map`,
// replacing those of the previous menu and leaving every other entry alone.
// On a misspelled word: "spellingSuggestion INDEX" (value: the suggestion;
// "(no suggestions)" for index 0 when there is none), "addWord" and
// "ignoreWord" (value: the word); elsewhere those three are removed.
// Always: "dispatch COMMAND RADIUS PATTERN [GROUP]". The commands hold
// `view`; `runner` (may be null: dispatch then does nothing) is not owned
// and must outlive the entries. Nothing happens without a view.
void textContextMenu(const ViewPtr& view, CommandMap& map, int64_t point, CommandRunner* runner);

// The match of dispatch's arguments (command, radius, pattern, optional
// capture group) around `point`: the first match, from the left, of the
// pattern within `point`'s line and at most radius units either side of it
// (the whole line for a radius of 0 or less) that touches `point`. With
// exactly five arguments and a group the pattern has, that group's text,
// else the whole match. False when there is none, with fewer than four
// arguments, or for a pattern that does not compile, which is also shown
// in an error box.
bool findMatchAroundPoint(const ViewPtr& view, int64_t point, const CommandArguments& arguments,
                          ustring& text);

// `command` with every "%s" replaced by `match` escaped for a quoted
// argument and every "%u" by `match` URL-encoded, in one pass: text put in
// is never searched again.
ustring fillDispatchCommand(const ustring& command, const ustring& match);
