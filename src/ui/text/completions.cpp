// Completions. Several completions are shown through the package menu file
// rather than a menu built here, so that a package decides how the list
// looks; its items run "completion N", and a temporary command map answers
// for them: the value of "completion N" is entry N's caption (which the menu
// puts in place of its "%s", hiding items past the end of the list) and
// running it inserts entry N.
#include "ui/text/completions.h"

#include <algorithm>
#include <string>

#include "input/command_map.h"
#include "ui/notification_manager.h"
#include "ui/string_utils.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_state.h"
#include "ui/menu_descriptor.h"

const char16_t* const kCompletionsMenuPath = u"Packages/Default/Completions.vantrel-menu";

namespace {

// The entry index of a "completion" command line, or -1 when it has none
// within the list.
int entryIndex(const CommandArguments& arguments, size_t count)
{
    if (arguments.size() < 2)
        return -1;
    const int index = toInt(arguments[1]);
    return index >= 0 && static_cast<size_t>(index) < count ? index : -1;
}

} // namespace

ustring completionCommand(const ustring& command, int32_t prefixLength)
{
    if (prefixLength == 0)
        return command;
    const std::string head = "sequence \"fixedDeleteCharacters " + std::to_string(prefixLength) + "\" ";
    return ustring(head.begin(), head.end()) + u'"' + escapeString(command) + u'"';
}

size_t insertCompletion(CompletionView& view, int32_t prefixLength, const ustring& command)
{
    const size_t regions = view.viewState().sel().size();
    if (regions == 0)
        return 0;
    CommandRunner* runner = view.textCommandRunner();
    if (!runner)
        return 0;
    runner->exec(completionCommand(command, prefixLength));
    return view.viewState().sel().size();
}

void showCompletionsMenu(CompletionView& view, const ShowPopupMenuFunction& showPopupMenu, CommandRunner& runner,
                         float offsetX, float offsetY)
{
    slate::SP<MenuDescriptor> menu(new MenuDescriptor);
    ustring error;
    if (!menu->load(kCompletionsMenuPath, error)) {
        if (NotificationManager::alive())
            NotificationManager::get().displayError(error);
        return;
    }
    const SelectionSet& selection = view.viewState().sel();
    if (selection.empty())
        return;
    const vector2 caret = view.windowPoint(selection[selection.size() - 1].b);
    ustring command;
    if (showPopupMenu(command, menu, &runner, caret.x + offsetX + 4, caret.y + offsetY + 2,
                      PopupMenuFlags::HighlightFirst))
        runner.exec(command);
}

void showCompletions(CompletionView& view, float offsetX, float offsetY, const ShowPopupMenuFunction& showPopupMenu,
                     int64_t position, const ustring& prefix, const CompletionList& entries)
{
    ViewState& state = view.viewState();
    TextBuffer& buffer = *state.buffer();
    if (buffer.undoGroupDepth() != 0 || entries.empty())
        return;
    // The position comes from a plug-in: a caret outside the text would be
    // handed to every editing command that follows.
    position = std::clamp<int64_t>(position, 0, buffer.size());
    SelectionSet& selection = state.mutableSel();
    selection.clear();
    selection.add(SelectionRegion(position));

    const int32_t prefixLength = static_cast<int32_t>(std::min<size_t>(prefix.size(), INT32_MAX));
    if (entries.size() == 1) {
        insertCompletion(view, prefixLength, entries.front().command);
        return;
    }

    CommandMap map;
    // The list is copied into the handlers, which live as long as the map.
    map.addEnabledValue(
        "completion",
        [&view, prefixLength, entries](const CommandArguments& arguments) {
            const int index = entryIndex(arguments, entries.size());
            if (index >= 0)
                insertCompletion(view, prefixLength, entries[static_cast<size_t>(index)].command);
        },
        [count = entries.size()](const CommandArguments& arguments) { return entryIndex(arguments, count) >= 0; },
        [entries](const CommandArguments& arguments) {
            const int index = entryIndex(arguments, entries.size());
            return index >= 0 ? entries[static_cast<size_t>(index)].caption : ustring();
        });
    showCompletionsMenu(view, showPopupMenu, map, offsetX, offsetY);
}
