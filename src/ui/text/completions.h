// Completions offered at the caret. A plug-in that has worked out possible
// completions for the word before the caret hands them over with the typed
// prefix; one completion is inserted at once, several are listed in a popup
// menu at the caret and the chosen one is inserted. Inserting runs a command
// line through the runner of the text control that shows the view, so it is
// an ordinary editing command with its own undo group; the typed prefix is
// removed by the same command line.
//
// The view and the popup menu are reached through the narrow interfaces
// below, which the text view and the platform window implement. Main thread
// only.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "ui/interval2.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"
#include "ui/menu_descriptor.h"

class CommandRunner;
class MenuDescriptor;
class ViewState;

// One completion: the text shown in the menu and the command line that
// inserts it (built by the plug-in layer).
struct CompletionEntry {
    ustring caption;
    ustring command;
};
using CompletionList = std::vector<CompletionEntry>;

// What completions need of a text view.
class CompletionView {
public:
    virtual ~CompletionView() = default;
    // The view's selection and, through it, its buffer.
    virtual ViewState& viewState() = 0;
    // The command runner of the text control showing the view; null when no
    // control shows it.
    virtual CommandRunner* textCommandRunner() = 0;
    // The window point of a text position (its layout point in the window).
    virtual vector2 windowPoint(int64_t position) = 0;
};

// Shows `menu` as a context menu at the window point (x, y), the runner
// answering the items' values and enabled states; true with the chosen
// item's command line. The platform window's showPopupMenu.
using ShowPopupMenuFunction = std::function<bool(ustring& command, const slate::SP<MenuDescriptor>& menu,
                                                 CommandRunner* runner, float x, float y, PopupMenuFlags flags)>;

// The package menu that lists several completions: its items run
// "completion" with the entry indexes 0, 1, 2 and so on.
extern const char16_t* const kCompletionsMenuPath;

// The entry point, scheduled by the plug-in layer after it scrolled the
// caret into view. Nothing happens while a command runs on the view's buffer
// (an undo group is open) or when `entries` is empty. Otherwise the
// selection becomes one caret at `position` (kept within the text); one
// entry is inserted at once, and several are offered in the completions menu
// placed by the view's text origin (offsetX, offsetY).
void showCompletions(CompletionView& view, float offsetX, float offsetY, const ShowPopupMenuFunction& showPopupMenu,
                     int64_t position, const ustring& prefix, const CompletionList& entries);

// Runs completionCommand(command, prefixLength) through the view's text
// control; returns the number of selection regions, 0 when nothing was done
// (no region, or no text control).
size_t insertCompletion(CompletionView& view, int32_t prefixLength, const ustring& command);

// The command line that first deletes the `prefixLength` typed units before
// each caret and then runs `command`; `command` itself when prefixLength is 0.
ustring completionCommand(const ustring& command, int32_t prefixLength);

// Loads the completions menu and shows it below the last caret with
// `runner` answering for its items; runs the chosen item through `runner`.
// A menu file that cannot be read is reported to the user and nothing shows.
void showCompletionsMenu(CompletionView& view, const ShowPopupMenuFunction& showPopupMenu, CommandRunner& runner,
                         float offsetX, float offsetY);
