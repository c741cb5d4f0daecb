// The hook through which the plug-in host offers text commands written in
// Python: a parameterised runner given the view a command edits. It lives
// apart from the command runner interface so that the interface names no
// part of the text model.
#pragma once

#include "input/command_runner.h"
#include "ui/reference_counted.h"

class TextBufferView;
// The runner of text commands written in Python, given the view they edit.
using UserCommandRunner = ParameterisedCommandRunner<slate::SP<TextBufferView>>;

// The plug-in host's text command runner, or null until the host installs
// it. Text controls read it when they are built: a control built while it is
// null never offers commands to the plug-ins. Main thread.
extern UserCommandRunner* g_userCommandRunner;

// Installs `runner` as g_userCommandRunner, or clears the hook with null.
// Installing while a runner is installed is a broken invariant: the host
// clears the hook in its destructor before another could install one.
void setUserCommandRunner(UserCommandRunner* runner);
