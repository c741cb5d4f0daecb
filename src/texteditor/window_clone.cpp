// Second views of a buffer (clones) and the commands that change a view's
// file type.
//
// A clone shares its source view's Options object rather than copying it,
// so a setting changed in either view reaches both through the one set of
// listeners; only the clone's minimap gets options of its own, layered on
// the shared ones exactly as every other tab's minimap is (makeViewEntry).
// A view's file type is the chain of parents its options have (User File
// Type, then the syntax's options file) together with the "syntax" key
// they hold: the commands rebuild that chain, and the buffers' syntax
// listener rebuilds it for any view whose "syntax" key moved on without it.
#include "filesystem/path_parts.h"
#include "texteditor/file_type_options.h"
#include "texteditor/text_editor_window.h"
#include "ui/notification_manager.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/syntax/syntax_manager.h"
#include "ui/text/text_buffer.h"

namespace {

// The extension of the file's name (after the last "/" or backslash), as
// the syntax manager keys its grammars: empty when the name has no ".", or
// only a leading one.
ustring fileExtension(ustring path)
{
    toBackslashes(path);
    const slate::usubstring extension = splitPath(slate::usubstring(path), u'\\').extension;
    return ustring(extension.begin, extension.end);
}

// The command's first argument; false when it has none.
bool firstArgument(const CommandArguments& arguments, ustring& value)
{
    if (arguments.size() < 2 || arguments[1].empty())
        return false;
    value.assign(arguments[1].begin, arguments[1].end);
    return true;
}

// Rebuilds the view's file-type chain for `syntax` and tells the options'
// listeners, the view among them, which then takes the syntax on.
void setFileType(const slate::SP<TextBufferView>& view, const ustring& syntax)
{
    const slate::SP<Options> options = view->options();
    if (!options)
        return;
    options->removeParents();
    applySyntaxOptions(options, syntax);
    options->notifyChanged();
}

} // namespace

slate::SP<TextBufferView> TextEditorWindow::cloneView(const slate::SP<TextBufferView>& view, int group)
{
    if (!view || group < 0 || group >= m_viewSet.numGroups())
        return nullptr;
    slate::SP<TextBufferView> clone = view->sharedBuffer()->createView(canvas());
    clone->setOptions(view->options());
    m_viewSet.addView(makeViewEntry(clone, canvas()), group);
    if (NotificationManager::alive())
        NotificationManager::get().clearStatus();
    connectViewEvents(clone);
    notifyPlugins(u"onClone", clone);
    return clone;
}

void TextEditorWindow::cloneIntoNextGroup(const slate::SP<TextBufferView>& view)
{
    if (m_layoutType == 0)
        setLayout(2);
    const int group = (m_viewSet.activeGroup() + 1) % m_viewSet.numGroups();
    m_viewSet.focusGroup(group);
    cloneView(view, group);
}

void TextEditorWindow::onBufferSyntaxChanged(TextBuffer* buffer)
{
    // Views whose options are already linked to their syntax are left alone:
    // this runs whenever any view of the buffer re-reads its options, and
    // the options of a clone, or a minimap's that inherit them, are met
    // more than once. Options that name no syntax were not built as a file
    // type's chain, so there is none to rebuild, and their parents stay.
    for (TextBufferView* view : buffer->views()) {
        const slate::SP<Options> options = view->options();
        if (!options)
            continue;
        ustring syntax;
        options->getString(slate::substring("syntax"), syntax);
        if (syntax.empty() || hasSyntaxOptions(options, syntax))
            continue;
        options->removeParents();
        applySyntaxOptions(options, syntax);
    }
}

void TextEditorWindow::addCloneCommands()
{
    auto hasActiveView = [this](const CommandArguments&) { return activeView() != nullptr; };
    m_commandMap.addEnabledValue(
        "clone", [this](const CommandArguments&) { cloneIntoNextGroup(activeView()); }, hasActiveView,
        [this](const CommandArguments&) {
            const slate::SP<TextBufferView> view = activeView();
            return view ? view->buffer()->displayName(DisplayNameFlags::BufferName) : ustring();
        });

    // The syntax's options are rebuilt and announced even when the view has
    // them already: that is how a user re-applies a syntax options file.
    m_commandMap.addChecked(
        "setFileType",
        [this](const CommandArguments& arguments) {
            const slate::SP<TextBufferView> view = activeView();
            ustring syntax;
            if (view && firstArgument(arguments, syntax))
                setFileType(view, syntax);
        },
        [this](const CommandArguments& arguments) {
            const slate::SP<TextBufferView> view = activeView();
            ustring syntax;
            return view && view->options() && firstArgument(arguments, syntax) &&
                   hasSyntaxOptions(view->options(), syntax);
        });

    m_commandMap.addChecked(
        "assignFileType",
        [this](const CommandArguments& arguments) {
            const slate::SP<TextBufferView> view = activeView();
            ustring syntax;
            if (!view || !view->buffer()->source() || !firstArgument(arguments, syntax))
                return;
            if (SyntaxManager::alive())
                SyntaxManager::get().assignExtensionToSyntax(fileExtension(view->buffer()->source()->path()),
                                                             syntax);
            setFileType(view, syntax);
        },
        [this](const CommandArguments& arguments) {
            const slate::SP<TextBufferView> view = activeView();
            ustring syntax;
            if (!view || !view->buffer()->source() || !firstArgument(arguments, syntax) || !SyntaxManager::alive())
                return false;
            const ustring extension = fileExtension(view->buffer()->source()->path());
            return !extension.empty() && SyntaxManager::get().syntaxForExtension(extension) == syntax;
        });
}
