// Opening and creating files in an editor window: new buffers, files by
// path and by file spec, the open dialog, dropped files, and the wiring of
// each new buffer and view.
#include <algorithm>

#include "controls/text_control.h"
#include "filesystem/file_utils.h"
#include "texteditor/file_spec.h"
#include "texteditor/file_type_options.h"
#include "texteditor/text_editor_window.h"
#include "ui/notification_manager.h"
#include "ui/statistics.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_showing.h"

namespace {

// Puts the caret of `view` on the 1-based `line` and `column` (0: the
// first) and shows it. A column past the end of its line stops at that end
// rather than running on into the next lines; a line past the last is the
// end of the text.
void placeCaret(TextBufferView& view, int32_t line, int32_t column)
{
    TextBuffer* buffer = view.buffer();
    const int32_t row = std::max(line - 1, 0);
    const int64_t lineStart = buffer->textPoint(row, 0);
    int64_t lineEnd = buffer->textPoint(row + 1, 0);
    if (lineEnd > lineStart && buffer->charAt(lineEnd - 1) == u'\n')
        --lineEnd;
    const int64_t position = std::min(buffer->textPoint(row, std::max(column - 1, 0)), lineEnd);
    SelectionSet& selection = view.mutableSel();
    selection.clear();
    selection.add(SelectionRegion(position));
    showPoint(view, position, true);
}

// `path` against the current directory when it is relative, so that a
// buffer keeps naming its file when the current directory moves on (every
// activated view makes its own folder current).
ustring absoluteFilePath(const ustring& path)
{
    const bool absolute = (!path.empty() && (path[0] == u'/' || path[0] == u'\\')) ||
                          (path.size() >= 2 && path[1] == u':');
    if (absolute)
        return path;
    ustring directory = currentDirectory();
    if (directory.empty())
        return path;
    const uchar separator = directory.find(u'\\') != ustring::npos ? u'\\' : u'/';
    if (directory.back() != separator)
        directory += separator;
    return directory + path;
}

} // namespace

slate::SP<TextBufferView> TextEditorWindow::createBufferView(const slate::SP<TextBuffer>& buffer,
                                                             const ustring& fileName)
{
    slate::SP<TextBufferView> view = buffer->createView(canvas());
    slate::SP<Options> options(new Options);
    applyFileTypeOptions(options, fileName);
    view->setOptions(options);
    return view;
}

slate::SP<TextBufferView> TextEditorWindow::addBufferView(const slate::SP<TextBuffer>& buffer,
                                                          const ustring& fileName)
{
    slate::SP<TextBufferView> view = createBufferView(buffer, fileName);
    m_viewSet.addViewToActiveGroup(makeViewEntry(view, canvas()));
    return view;
}

slate::SP<TextBufferView> TextEditorWindow::newFile(const ustring&)
{
    return addBufferView(slate::SP<TextBuffer>(new TextBuffer), ustring());
}

slate::SP<TextBufferView> TextEditorWindow::openFileCore(const ustring& name, FileEncoding encoding, int, int, int,
                                                         int flags, const ustring&)
{
    ScopedTimer timer(g_statOpenFile);
    const ustring path = absoluteFilePath(name);
    if (flags & kOpenReuseView) {
        if (const ViewEntry* entry = m_viewSet.findFile(path)) {
            slate::SP<TextBufferView> view = entry->view;
            m_viewSet.focusView(view.get());
            return view;
        }
    }
    slate::SP<TextBuffer> buffer(new TextBuffer);
    // The view's options come first: they give the buffer the syntax and
    // colours of the file's type, which the read then takes on.
    slate::SP<TextBufferView> view = createBufferView(buffer, path);
    auto source = std::make_unique<FileBufferSource>(path, encoding);
    if (isFile(path)) {
        if (!buffer->load(std::move(source)))
            return nullptr;
    } else if (flags & kOpenCreateMissing) {
        // Nothing to read: the buffer is bound to the path and counts as
        // modified until it is saved there.
        buffer->setSource(std::move(source));
        buffer->markModified();
    } else {
        if (NotificationManager::alive())
            NotificationManager::get().displayError(u"Unable to open " + path);
        return nullptr;
    }
    m_viewSet.addViewToActiveGroup(makeViewEntry(view, canvas()));
    return view;
}

slate::SP<TextBufferView> TextEditorWindow::openFileSpec(const ustring& spec, FileEncoding encoding, int flags)
{
    const FileSpec file = parseFileSpec(spec);
    slate::SP<TextBufferView> view = openFileCore(file.path, encoding, m_viewSet.activeGroup(), -1, -1, flags, ustring());
    if (!view || file.line <= 0)
        return view;
    TextBuffer* buffer = view->buffer();
    if (!buffer->isReading()) {
        placeCaret(*view, file.line, file.column);
        return view;
    }
    // The buffer owns its load listeners, so the listener holds neither the
    // buffer nor the view; the view may be gone by the time the read ends.
    const uint32_t viewId = view->id();
    buffer->addLoadListener([buffer, viewId, line = file.line, column = file.column] {
        for (TextBufferView* candidate : buffer->views()) {
            if (candidate->id() == viewId) {
                placeCaret(*candidate, line, column);
                return;
            }
        }
    });
    return view;
}

slate::SP<TextBufferView> TextEditorWindow::openFile(const ustring& path, FileEncoding encoding, int flags)
{
    return openFileCore(path, encoding, m_viewSet.activeGroup(), -1, -1, flags, ustring());
}

void TextEditorWindow::addFileCommands() {}

void TextEditorWindow::notifyPlugins(const ustring&, const slate::SP<TextBufferView>&) {}

bool TextEditorWindow::onDropFile(float x, float y, const uchar* path) { return BaseWindow::onDropFile(x, y, path); }
