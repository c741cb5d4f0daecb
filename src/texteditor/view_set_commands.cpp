#include "texteditor/view_set_commands.h"

#include "texteditor/view_set.h"
#include "ui/string_utils.h"

namespace {

// The command's first argument as a number; false when it has none.
bool numberArgument(const CommandArguments& arguments, int& value)
{
    if (arguments.size() < 2)
        return false;
    value = toInt(arguments[1]);
    return true;
}

} // namespace

void addViewSetCommands(CommandMap& commands, ViewSet& viewSet)
{
    ViewSet* views = &viewSet;
    auto hasActiveView = [views](const CommandArguments&) { return views->activeView() != nullptr; };
    commands.addEnabled(
        "nextView", [views](const CommandArguments&) { views->selectNextTab(views->activeGroup()); }, hasActiveView);
    commands.addEnabled(
        "prevView", [views](const CommandArguments&) { views->selectPreviousTab(views->activeGroup()); },
        hasActiveView);
    commands.addEnabled(
        "nextViewInStack", [views](const CommandArguments&) { views->nextViewInStack(); }, hasActiveView);
    commands.addEnabled(
        "prevViewInStack", [views](const CommandArguments&) { views->prevViewInStack(); }, hasActiveView);

    // The map never runs a disabled command, so each action may trust the
    // argument its enabled test accepted.
    commands.addEnabled(
        "focusGroup", [views](const CommandArguments& arguments) { views->focusGroup(toInt(arguments[1])); },
        [views](const CommandArguments& arguments) {
            int group = 0;
            return numberArgument(arguments, group) && group >= 0 && group < views->numGroups();
        });
    commands.addEnabled(
        "focusView",
        [views](const CommandArguments& arguments) { views->focusTab(toInt(arguments[1]), views->activeGroup()); },
        [views](const CommandArguments& arguments) {
            int index = 0;
            return numberArgument(arguments, index) && views->isValidIndex(index, views->activeGroup());
        });
    commands.addEnabled(
        "moveToGroup",
        [views](const CommandArguments& arguments) { views->moveActiveViewToGroup(toInt(arguments[1])); },
        [views](const CommandArguments& arguments) {
            int group = 0;
            return numberArgument(arguments, group) && views->canMoveToGroup(group);
        });
}
