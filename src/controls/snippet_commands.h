// The handlers of the text commands that insert snippets: insertSnippet,
// by the path under which the snippet store keeps a snippet, and
// insertInlineSnippet, by the snippet text itself. Both name their undo
// group by every argument quoted, so that a macro replays the same
// insertion with the same parameters. Main thread only.
#pragma once

#include "input/command_map.h"
#include "ui/text/text_buffer_functions.h"

// The enabled test of insertSnippet: a path argument that the snippet store
// (when it exists) holds. A path it does not hold is logged as
// "No such snippet " and the path on every call, and reports false.
bool hasNamedSnippet(const CommandArguments& arguments);

// Inserts the stored snippet named by argument 1 at every selection, with
// the later arguments as PARAM1, PARAM2 and so on. Nothing with fewer than
// two arguments or for a path the store does not hold.
void insertNamedSnippet(const ViewPtr& view, const CommandArguments& arguments);

// Inserts argument 1 as snippet text at every selection, with the later
// arguments as parameters. Nothing with fewer than two arguments.
void insertInlineSnippet(const ViewPtr& view, const CommandArguments& arguments);
