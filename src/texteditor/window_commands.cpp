// The editor window's command table: the commands that belong to the window
// itself rather than to one of its parts (opening, saving, closing and
// cloning register theirs in their own files): switching to a sibling file,
// the group layouts, and the platform window's own operations.
#include <algorithm>
#include <iterator>

#include "filesystem/file_utils.h"
#include "filesystem/path_parts.h"
#include "texteditor/text_editor_window.h"
#include "texteditor/window_layout.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/text_buffer.h"
#include "window_manager/window.h"

namespace {

// The sibling of the view's file that "switchFile" goes to: the file's stem
// with the first extension after its own in `arguments` (the command's
// extensions, cyclically, compared without case) that names an existing
// file, the scan ending where the file's own extension comes round again.
// The name carries no folder, so it is looked for in the current directory,
// which activating a view makes the view's own file's folder. Empty when
// there is none: no view, no file, fewer than two extensions, or the
// file's extension not among them.
ustring switchTarget(const TextBufferView* view, const CommandArguments& arguments)
{
    if (!view || arguments.size() < 3 || !view->buffer()->source())
        return ustring();
    ustring path = view->buffer()->source()->path();
    toBackslashes(path);
    const PathParts parts = splitPath(slate::usubstring(path), u'\\');
    if (parts.extension.empty())
        return ustring();
    const auto extensions = std::next(arguments.begin());
    const auto own = std::find_if(extensions, arguments.end(), [&parts](const slate::usubstring& extension) {
        return extension.equalsNoCase(parts.extension);
    });
    if (own == arguments.end())
        return ustring();
    const ustring stem(parts.stem.begin, parts.stem.end);
    const size_t count = static_cast<size_t>(arguments.end() - extensions);
    const size_t start = static_cast<size_t>(own - extensions);
    for (size_t step = 1; step < count; ++step) {
        const slate::usubstring& extension = extensions[(start + step) % count];
        if (extension.equalsNoCase(parts.extension))
            break;
        ustring candidate = stem + u'.' + ustring(extension.begin, extension.end);
        if (isFile(candidate))
            return candidate;
    }
    return ustring();
}

} // namespace

void TextEditorWindow::addWindowCommands()
{
    m_commandMap.addEnabledValue(
        "switchFile",
        [this](const CommandArguments& arguments) {
            const ustring target = switchTarget(activeView().get(), arguments);
            if (!target.empty())
                openFile(target, kEncodingUndefined, kOpenReuseView);
        },
        [this](const CommandArguments& arguments) { return !switchTarget(activeView().get(), arguments).empty(); },
        // The target carries no folder: it is its own file name.
        [this](const CommandArguments& arguments) { return switchTarget(activeView().get(), arguments); });

    static const char* const kLayoutCommands[kLayoutTypeCount] = {
        "layoutSingle", "layoutDoubleVert", "layoutDoubleHoriz", "layoutTripleVert", "layoutQuad", "layoutQuadVert",
    };
    for (int type = 0; type < kLayoutTypeCount; ++type) {
        m_commandMap.addChecked(
            kLayoutCommands[type], [this, type](const CommandArguments&) { setLayout(type); },
            [this, type](const CommandArguments&) { return m_layoutType == type; });
    }
}

void TextEditorWindow::addPlatformWindowCommands()
{
    // The platform window asks canClose before it goes, as when the user
    // closes it.
    m_commandMap.add("closeWindow", [this](const CommandArguments&) {
        if (m_window)
            m_window->close();
    });
    m_commandMap.addChecked(
        "toggleFullScreen",
        [this](const CommandArguments&) {
            if (!m_window)
                return;
            m_window->setFullscreen(!m_window->isFullscreen());
            // The application re-applies the main menu here once it builds
            // the menus.
        },
        [this](const CommandArguments&) { return isFullScreen(); });
}
