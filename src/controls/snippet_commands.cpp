// Both insertion commands open one outer undo group named by their quoted
// arguments; the insertion nests its own group "Insert Snippet" into it, so
// the outer name, which carries the path or text and the parameters, is
// the one the history keeps.
#include "controls/snippet_commands.h"

#include <vector>

#include "ui/command_line.h"
#include "ui/log.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/snippet_insertion.h"
#include "ui/text/snippet_manager.h"
#include "ui/text/text_buffer_view.h"

namespace {

std::vector<ustring> parametersOf(const CommandArguments& arguments)
{
    std::vector<ustring> parameters;
    for (size_t i = 2; i < arguments.size(); ++i)
        parameters.push_back(arguments[i].str());
    return parameters;
}

} // namespace

bool hasNamedSnippet(const CommandArguments& arguments)
{
    if (arguments.size() < 2)
        return false;
    const ustring path = arguments[1].str();
    if (SnippetManager::alive() && SnippetManager::get().hasSnippet(path))
        return true;
    VLOG << u"No such snippet " << path;
    return false;
}

void insertNamedSnippet(const ViewPtr& view, const CommandArguments& arguments)
{
    ustring content;
    if (arguments.size() < 2 || !SnippetManager::alive())
        return;
    const ustring path = arguments[1].str();
    if (!SnippetManager::get().snippetContent(path, content))
        return;
    ScopedUndoGroup group(quoteCommandLine(arguments), view->sharedBuffer(), false, false);
    insertSnippetFile(view, 0, path, content, parametersOf(arguments));
}

void insertInlineSnippet(const ViewPtr& view, const CommandArguments& arguments)
{
    if (arguments.size() < 2)
        return;
    ScopedUndoGroup group(quoteCommandLine(arguments), view->sharedBuffer(), false, false);
    insertSnippetText(view, 0, arguments[1].str(), parametersOf(arguments));
}
