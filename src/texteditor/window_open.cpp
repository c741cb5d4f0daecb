// Opening and creating files in an editor window: new buffers, files by
// path and by file spec, the open dialog, dropped files, the menus of tabs
// and panes, and the wiring of each new buffer and view.
//
// Every document is a pair of views of one buffer, the main view and its
// minimap, made in one place (createViews). Opening looks for the file in
// the window first, so that one file is never read into two buffers of a
// window; a file that cannot be read is refused before any view exists, so
// that the user sees one message naming it and no empty tab that a save
// could write over the file. The text itself is read on the buffer's
// reader thread: a position asked for goes to a load listener, which runs
// after the plug-ins have seen the load.
//
// Listeners given to buffers and views hold the window only through its
// Reference, since a buffer or view may outlive the window (a plug-in or a
// panel may hold one).
#include <algorithm>
#include <string>
#include <utility>

#include "controls/text_control.h"
#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "texteditor/file_dialog_filter.h"
#include "texteditor/file_spec.h"
#include "texteditor/file_type_options.h"
#include "texteditor/group_strip.h"
#include "texteditor/pane_input_handler.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "texteditor/window_dialogs.h"
#include "texteditor/window_title.h"
#include "ui/log.h"
#include "ui/menu_descriptor.h"
#include "ui/notification_manager.h"
#include "ui/statistics.h"
#include "ui/string_utils.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/read_job.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/token/token_storage.h"
#include "ui/timer_queue.h"
#include "ui/unicode.h"
#include "window_manager/window.h"

namespace {

const char16_t kTabContextMenuPath[] = u"Packages/Default/Tab Context.vantrel-menu";
const char16_t kUntitledPrefix[] = u"<untitled ";

void reportError(const ustring& text)
{
    VLOG << text;
    if (NotificationManager::alive())
        NotificationManager::get().displayError(text);
}

void clearStatus()
{
    if (NotificationManager::alive())
        NotificationManager::get().clearStatus();
}

// The buffer id an "<untitled N>" name gives, or -1 for any other name.
int64_t untitledBufferId(const ustring& name)
{
    const size_t prefix = std::char_traits<char16_t>::length(kUntitledPrefix);
    if (name.size() < prefix + 2 || name.compare(0, prefix, kUntitledPrefix) != 0 || name.back() != u'>')
        return -1;
    int64_t id = 0;
    for (size_t i = prefix; i + 1 < name.size(); ++i) {
        if (name[i] < u'0' || name[i] > u'9' || i - prefix > 9)
            return -1;
        id = id * 10 + (name[i] - u'0');
    }
    return id;
}

// The file `path` names on disk: found from the current directory up
// (locateFile), else through the file manager's native path of a package
// path. Names beginning with "<" name buffers, not files, and stay as they
// are. Empty when there is no such file.
ustring actualFileName(const ustring& path)
{
    if (!path.empty() && path[0] == u'<')
        return path;
    ustring found = locateFile(path);
    if (found.empty() && slate::FileManager::alive()) {
        const ustring native = slate::FileManager::get().nativePath(path);
        if (!native.empty())
            found = locateFile(native);
    }
    if (found.empty()) {
        VLOG << u"Unable to find actual name for file " << path;
        return found;
    }
    return longFileName(found);
}

// `path` against the current directory when it is relative, with an upper
// case drive letter, so that a buffer keeps naming its file when the current
// directory moves on (every activated view makes its own folder current).
ustring absoluteFilePath(const ustring& path)
{
    const bool absolute = (!path.empty() && (path[0] == u'/' || path[0] == u'\\')) ||
                          (path.size() >= 2 && path[1] == u':');
    ustring result = path;
    if (!absolute) {
        ustring directory = currentDirectory();
        if (!directory.empty()) {
            if (directory.back() != u'\\' && directory.back() != u'/')
                directory += kNativePathSeparator;
            result = directory + path;
        }
    }
    if (result.size() >= 2 && result[1] == u':' && result[0] >= u'a' && result[0] <= u'z')
        result[0] = static_cast<uchar>(result[0] - u'a' + u'A');
    return result;
}

// Puts the caret of `view` on the 1-based `line` and `column` (0 and -1:
// the first) and shows it. A column past the end of its line stops at that
// end rather than running on into the next lines; a line past the last is
// the end of the text.
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

// Tells the user once, on the status bar, that a file was read with bytes
// its encoding could not decode. It opened, so this is no error; saving over
// it asks for consent, naming the encoding again.
void reportUndecodableBytes(TextBuffer& buffer)
{
    const BufferSource* source = buffer.source();
    if (!source || source->undecodableBytes() == 0 || !NotificationManager::alive())
        return;
    const uint64_t count = source->undecodableBytes();
    const ustring text = source->path() + u" was read as " + encodingName(buffer.m_tokenStorage->encoding()) +
                         u", but " + toUstring(std::to_string(count)) + (count == 1 ? u" byte" : u" bytes") +
                         u" could not be decoded and were replaced";
    VLOG << text;
    NotificationManager::get().setStatus(text);
}

} // namespace

slate::SP<TextBufferView> TextEditorWindow::viewWithId(uint32_t viewId) const
{
    for (const ViewEntry& entry : m_viewSet.allViews()) {
        if (entry.view->id() == viewId)
            return entry.view;
    }
    return nullptr;
}

slate::SP<TextBufferView> TextEditorWindow::firstViewOf(const TextBuffer* buffer) const
{
    for (const ViewEntry& entry : m_viewSet.allViews()) {
        if (entry.view->buffer() == buffer)
            return entry.view;
    }
    return nullptr;
}

slate::SP<TextBufferView> TextEditorWindow::findOpenView(const ustring& name) const
{
    const int64_t untitledId = untitledBufferId(name);
    if (untitledId >= 0) {
        for (const ViewEntry& entry : m_viewSet.allViews()) {
            if (entry.view->buffer()->m_id == untitledId)
                return entry.view;
        }
        return nullptr;
    }
    const ViewEntry* entry = m_viewSet.findFile(name);
    return entry ? entry->view : nullptr;
}

slate::SP<TextBufferView> TextEditorWindow::createViews(const slate::SP<TextBuffer>& buffer, int group,
                                                        const ustring& fileName, const ustring& syntaxPath)
{
    slate::SP<TextBufferView> view = buffer->createView(canvas());
    slate::SP<Options> options(new Options);
    if (syntaxPath.empty())
        applyFileTypeOptions(options, fileName);
    else
        applySyntaxOptions(options, syntaxPath);
    view->setOptions(options);
    m_viewSet.addView(makeViewEntry(view, canvas()), group);
    connectViewEvents(view);
    return view;
}

slate::SP<TextBufferView> TextEditorWindow::newFile(const ustring& syntaxPath)
{
    slate::SP<TextBuffer> buffer(new TextBuffer);
    connectBufferEvents(buffer);
    slate::SP<TextBufferView> view = createViews(buffer, m_viewSet.activeGroup(), ustring(),
                                                 syntaxPath.empty() ? ustring(kPlainTextSyntaxPath) : syntaxPath);
    clearStatus();
    notifyPlugins(u"onNew", view);
    return view;
}

void TextEditorWindow::connectBufferEvents(const slate::SP<TextBuffer>& buffer)
{
    // The listeners live in the buffer; each reaches the window through its
    // reference and the buffer by the plain pointer its own list is in.
    TextBuffer* owner = buffer.get();
    const slate::SP<Reference> reference = m_reference;
    const auto tell = [reference, owner](const char16_t* event) {
        return [reference, owner, event] {
            if (TextEditorWindow* window = reference->window)
                window->notifyPlugins(event, window->firstViewOf(owner));
        };
    };
    buffer->addPreSaveListener(tell(u"onPreSave"));
    buffer->addPostSaveListener(tell(u"onPostSave"));
    buffer->addLoadListener(tell(u"onLoad"));
    buffer->addModifiedListener(tell(u"onModified"));
    buffer->addSelectionModifiedListener(tell(u"onSelectionModified"));
    buffer->addModifiedListener([reference, owner] {
        if (TextEditorWindow* window = reference->window)
            window->findSettings().onBufferModified(owner);
    });
    // The reopening of a saved project file joins here once the window has
    // projects.
    buffer->addSyntaxChangeListener([reference, owner] {
        if (TextEditorWindow* window = reference->window)
            window->onBufferSyntaxChanged(owner);
    });
}

void TextEditorWindow::connectViewEvents(const slate::SP<TextBufferView>& view)
{
    const slate::SP<Reference> reference = m_reference;
    const uint32_t viewId = view->id();
    view->addActivatedListener([reference, viewId] {
        TextEditorWindow* window = reference->window;
        if (!window)
            return;
        const slate::SP<TextBufferView> activated = window->viewWithId(viewId);
        if (!activated)
            return;
        window->notifyPlugins(u"onActivated", activated);
        window->checkReload(activated);
    });
    // The plug-ins' "onQueryContext" answers join the view's context
    // queries here once there is a plug-in host.
}

slate::SP<TextBufferView> TextEditorWindow::openFileCore(const ustring& path, FileEncoding encoding, int group,
                                                         int row, int column, int flags, const ustring& syntaxPath)
{
    group = std::clamp(group, 0, m_viewSet.numGroups() - 1);
    ustring name = actualFileName(path);
    slate::SP<TextBufferView> view;
    bool found = false;
    if (name.empty()) {
        const ustring absolute = absoluteFilePath(path);
        if (isDirectory(absolute)) {
            reportError(u"Unable to open " + absolute + u": it is a folder");
            return nullptr;
        }
        if (!(flags & kOpenCreateMissing)) {
            reportError(u"Unable to open " + absolute + u": there is no such file");
            return nullptr;
        }
        name = absolute;
        view = findOpenView(name);
        found = static_cast<bool>(view);
        if (found) {
            m_viewSet.focusView(view.get());
        } else {
            slate::SP<TextBuffer> buffer(new TextBuffer);
            connectBufferEvents(buffer);
            view = createViews(buffer, group, name, syntaxPath);
            // Nothing to read: the buffer is bound to the path and counts as
            // modified until it is saved there.
            buffer->setSource(std::make_unique<FileBufferSource>(name, encoding));
            buffer->markModified();
        }
    } else {
        view = findOpenView(name);
        found = static_cast<bool>(view);
        if (found) {
            m_viewSet.focusView(view.get());
        } else if (name[0] == u'<') {
            VLOG << u"No buffer is named " << name;
            return nullptr;
        } else {
            ScopedTimer timer(g_statOpenFile);
            // Refused here, before any view exists, the file leaves neither
            // an empty tab nor a second message from the failed read.
            ustring error;
            if (!openReadableFile(name, error)) {
                reportError(u"Unable to open " + name + (error.empty() ? ustring() : u": " + error));
                return nullptr;
            }
            // An untouched empty untitled buffer alone in its group is a
            // placeholder: the file takes its place.
            const std::vector<ViewEntry>& views = m_viewSet.views(group);
            if (views.size() == 1) {
                const slate::SP<TextBufferView> placeholder = views.front().view;
                const TextBuffer* shown = placeholder->buffer();
                if (!shown->source() && shown->size() == 0 && !shown->m_scratch) {
                    m_viewSet.removeView(placeholder.get());
                    notifyPlugins(u"onClose", placeholder);
                }
            }
            slate::SP<TextBuffer> buffer(new TextBuffer);
            connectBufferEvents(buffer);
            // The view's options come first: they give the buffer the syntax
            // and colours of the file's type, which the read then takes on.
            view = createViews(buffer, group, name, syntaxPath);
            if (!buffer->load(std::make_unique<FileBufferSource>(name, encoding))) {
                // Reported by the buffer; its empty view must not stay.
                m_viewSet.removeView(view.get());
                return nullptr;
            }
            buffer->addLoadListener([owner = buffer.get()] { reportUndecodableBytes(*owner); });
        }
    }
    if (found && !(flags & kOpenReuseView)) {
        // Without reuse a file already open is shown a second time, in the
        // target group.
        view = cloneView(view, group);
        if (!view)
            return nullptr;
    }
    if (row != -1) {
        const int32_t line = row;
        const int32_t col = column;
        TextBuffer* buffer = view->buffer();
        if (buffer->isReading()) {
            // The buffer owns its load listeners, so the listener holds
            // neither the buffer nor the view; the view may be gone by the
            // time the read ends.
            const slate::SP<Reference> reference = m_reference;
            buffer->addLoadListener([reference, viewId = view->id(), line, col] {
                if (TextEditorWindow* window = reference->window) {
                    if (slate::SP<TextBufferView> shown = window->viewWithId(viewId))
                        placeCaret(*shown, line, col);
                }
            });
        } else if (view->viewportWidth() == 0 && view->viewportHeight() == 0) {
            // Showing the caret needs the view's size, which its first frame
            // gives.
            const slate::SP<Reference> reference = m_reference;
            setTimeout(
                [reference, viewId = view->id(), line, col] {
                    if (TextEditorWindow* window = reference->window) {
                        if (slate::SP<TextBufferView> shown = window->viewWithId(viewId))
                            placeCaret(*shown, line, col);
                    }
                },
                1);
        } else {
            placeCaret(*view, line, col);
        }
    }
    view->activate();
    m_application->m_history.recentFiles.add(name);
    clearStatus();
    return view;
}

slate::SP<TextBufferView> TextEditorWindow::openFile(const ustring& path, FileEncoding encoding, int flags)
{
    return openFileCore(path, encoding, m_viewSet.activeGroup(), -1, -1, flags, ustring());
}

slate::SP<TextBufferView> TextEditorWindow::openFileAtPosition(const ustring& path, int row, int column)
{
    return openFileCore(path, kEncodingUndefined, m_viewSet.activeGroup(), row, column, kOpenReuseView, ustring());
}

slate::SP<TextBufferView> TextEditorWindow::openFileSpec(const ustring& spec, FileEncoding encoding, int flags)
{
    const FileSpec file = parseFileSpec(spec);
    return openFileCore(file.path, encoding, m_viewSet.activeGroup(), file.line, file.column, flags, ustring());
}

bool TextEditorWindow::showOpenDialog(FileEncoding encoding)
{
    FileDialogRequest request;
    request.filter = buildFileDialogFilter(knownFileTypes(), FilterCaption::AllExtensions);
    // Both NULs are part of the dialog's contract: a filter without them
    // runs the system past its end.
    VASSERT(request.filter.size() >= 2 && request.filter[request.filter.size() - 1] == u'\0' &&
            request.filter[request.filter.size() - 2] == u'\0');
    request.initialFolder = currentDirectory();
    request.multiSelect = true;
    const FileDialogAnswer answer = windowDialogs().chooseFilesToOpen(dialogOwner(),
                                                                      request);
    if (!answer.chosen) {
        if (answer.errorCode != 0)
            reportError(fileDialogErrorText(u"open", answer.errorCode));
        return false;
    }
    for (const ustring& path : chosenPaths(answer.names))
        openFile(path, encoding, kOpenFromUser);
    return true;
}

bool TextEditorWindow::onDropFile(float x, float y, const uchar* path)
{
    const ustring dropped(path);
    if (isDirectory(dropped)) {
        // A folder is a project, never a heap of files.
        const ustring folder = normalizeDirectoryPath(dropped);
        if (openProject(folder))
            addRecentProject(folder);
        return true;
    }
    if (!BaseWindow::onDropFile(x, y, path))
        openFileSpec(dropped, kEncodingUndefined, kOpenFromUser);
    return true;
}

void TextEditorWindow::showContextMenu(const ustring& menuPath, CommandRunner& runner)
{
    slate::SP<MenuDescriptor> menu(new MenuDescriptor);
    ustring error;
    if (!menu->load(menuPath, error)) {
        reportError(error);
        return;
    }
    ustring command;
    if (m_window && m_window->showPopupMenuAtCursor(command, menu, &runner) && !command.empty())
        runner.exec(slate::usubstring(command));
}

void TextEditorWindow::showTabListMenu(int group, float x, float y)
{
    if (!m_window)
        return;
    // Each entry's command is the view's index in the list of all views,
    // which the menu, being modal, cannot see change.
    const std::vector<ViewEntry>& all = m_viewSet.allViews();
    std::vector<std::pair<ustring, int>> entries;
    for (size_t i = 0; i < all.size(); ++i)
        entries.emplace_back(escapeMenuCaption(all[i].view->buffer()->title()), static_cast<int>(i));
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    slate::SP<MenuDescriptor> menu(new MenuDescriptor);
    for (const auto& entry : entries)
        menu->addItem(entry.first, toUstring(std::to_string(entry.second)));
    ustring command;
    if (!m_window->showPopupMenu(command, menu, nullptr, x, y, PopupMenuFlags::WithoutState))
        return;
    const int index = toInt(slate::usubstring(command));
    if (index < 0 || index >= m_viewSet.totalSize())
        return;
    const slate::SP<TextBufferView> chosen = m_viewSet.allViews()[index].view;
    m_viewSet.moveToGroup(index, group);
    m_viewSet.focusView(chosen.get());
}

void TextEditorWindow::showTabContextMenu(const slate::SP<TextBufferView>& view)
{
    if (!view)
        return;
    const auto displayName = [view](const CommandArguments&) {
        return view->buffer()->displayName(DisplayNameFlags::BufferName);
    };
    CommandMap commands;
    commands.add(slate::substring("closeUnder"), [this, view](const CommandArguments&) { closeView(view); });
    commands.add(slate::substring("closeAllExceptUnder"),
                 [this, view](const CommandArguments&) { closeOthersInGroup(view); });
    commands.add(slate::substring("closeToRightOfUnder"),
                 [this, view](const CommandArguments&) { closeToRightOf(view); });
    commands.add(slate::substring("saveUnder"), [this, view](const CommandArguments&) { saveView(view); });
    commands.addValue(slate::substring("cloneUnder"),
                      [this, view](const CommandArguments&) { cloneIntoNextGroup(view); }, displayName);
    commands.addValue(slate::substring("editBufferNameUnder"),
                      [this, view](const CommandArguments&) {
                          m_viewSet.focusView(view.get());
                          m_commandRunner.exec(slate::usubstring(u"editBufferName"));
                      },
                      displayName);
    MultiCommandRunner runner;
    runner.addRunner(&commands);
    runner.addRunner(&m_commandRunner);
    showContextMenu(ustring(kTabContextMenuPath), runner);
}

void TextEditorWindow::bindGroupActions(GroupFrame& frame)
{
    frame.showTabList = [this](int group, float x, float y) { showTabListMenu(group, x, y); };
    frame.showTabMenu = [this](TextBufferView* view) { showTabContextMenu(view); };
    frame.makePaneRegion = [this](const interval2& rect, int group) -> InputRegion* {
        return new PaneInputHandler(this, group, rect);
    };
}

void TextEditorWindow::addFileCommands()
{
    const auto argument = [](const CommandArguments& words, size_t index) {
        return index < words.size() ? ustring(words[index].begin, words[index].end) : ustring();
    };
    m_commandMap.add(slate::substring("new"), [this, argument](const CommandArguments& words) {
        newFile(argument(words, 1));
    });
    m_commandMap.add(slate::substring("open"), [this, argument](const CommandArguments& words) {
        if (words.size() < 2) {
            showOpenDialog(kEncodingUndefined);
            return;
        }
        for (size_t i = 1; i < words.size(); ++i)
            openFileSpec(argument(words, i), kEncodingUndefined, kOpenReuseView);
    });
    m_commandMap.add(slate::substring("openWithEncoding"), [this, argument](const CommandArguments& words) {
        if (words.size() < 2)
            return;
        const FileEncoding encoding = encodingFromName(words[1]);
        if (encoding == kEncodingUndefined)
            return;
        if (words.size() == 2) {
            showOpenDialog(encoding);
            return;
        }
        for (size_t i = 2; i < words.size(); ++i)
            openFileSpec(argument(words, i), encoding, kOpenReuseView);
    });
    m_commandMap.addEnabled(
        slate::substring("openInCurrentTab"),
        [this](const CommandArguments&) {
            const slate::SP<TextBufferView> previous = activeView();
            if (!previous)
                return;
            if (bufferNeedsSaving(previous->sharedBuffer()) && !askSaveChanges(previous))
                return;
            if (!showOpenDialog(kEncodingUndefined))
                return;
            // When the file chosen is the one shown, the tab it is in stays.
            if (activeView() == previous)
                return;
            m_viewSet.removeView(previous.get());
            notifyPlugins(u"onClose", previous);
        },
        [this](const CommandArguments&) { return static_cast<bool>(activeView()); });
    const auto recentIndex = [this](const CommandArguments& words) {
        const HistoryList& recent = m_application->m_history.recentFiles;
        const int index = words.size() < 2 ? -1 : toInt(words[1]);
        return index >= 0 && index < static_cast<int>(recent.size()) ? index : -1;
    };
    m_commandMap.addEnabledValue(
        slate::substring("openRecent"),
        [this, recentIndex](const CommandArguments& words) {
            const int index = recentIndex(words);
            // A copy: opening reorders the list.
            const ustring path = m_application->m_history.recentFiles[index];
            openFile(path, kEncodingUndefined, kOpenReuseView);
        },
        [recentIndex](const CommandArguments& words) { return recentIndex(words) >= 0; },
        [this, recentIndex](const CommandArguments& words) {
            const int index = recentIndex(words);
            return index < 0 ? ustring() : m_application->m_history.recentFiles[index];
        });
}

void TextEditorWindow::notifyPlugins(const ustring&, const slate::SP<TextBufferView>&) {}
