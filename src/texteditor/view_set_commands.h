// The window commands that act on a window's view set: stepping through the
// tabs of the active group and through its recently used stack, focusing a
// group or a tab, and moving the active view to another group.
#pragma once

#include "input/command_map.h"

class ViewSet;

// Registers "nextView", "prevView", "nextViewInStack", "prevViewInStack",
// "focusGroup", "focusView" and "moveToGroup" in `commands`. The view set
// must outlive the map's use of them. A numeric argument is the command's
// first; a command that needs one is disabled without it.
void addViewSetCommands(CommandMap& commands, ViewSet& viewSet);
