// Saving an editor window's views and reloading files changed on disk.
//
// Every write goes through the buffer's source, whose stream replaces the
// file in one step, so a failed save leaves the file as it was and the
// buffer dirty; what failed is told once, naming the file and the reason.
// Nothing is written over bytes the last read could not decode, and no
// reload replaces unsaved edits, without the user's Yes. A file removed
// behind the editor's back leaves its text in the buffer, which then counts
// as unsaved so that closing offers to save it.
#include "filesystem/file_utils.h"
#include "texteditor/file_dialog_filter.h"
#include "texteditor/file_type_options.h"
#include "texteditor/save_questions.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "texteditor/window_dialogs.h"
#include "ui/notification_manager.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/syntax/syntax_manager.h"
#include "ui/text/text_buffer.h"
#include "window_manager/window.h"

namespace {

constexpr DisplayNameFlags kSavedNameFlags = DisplayNameFlags::FullPath | DisplayNameFlags::Encoding;

bool optionFlag(const TextBufferView& view, const char16_t* key)
{
    bool value = false;
    if (view.options())
        view.options()->getBool(ustring(key), value);
    return value;
}

ustring optionText(const TextBufferView& view, const char16_t* key)
{
    ustring value;
    if (view.options())
        view.options()->getString(ustring(key), value);
    return value;
}

// Whether two native paths name the same file as the Win32 file system
// sees them: case and separators do not count. On a case-sensitive system
// this only ever says yes too often, which asks one question more.
bool samePath(const ustring& a, const ustring& b)
{
    return slate::usubstring(normalizeDirectoryPath(a)).equalsNoCase(slate::usubstring(normalizeDirectoryPath(b)));
}

// The question before writing over a file whose last read left
// `undecodableBytes` undecoded; true when there are none or the user agreed.
bool consentToUndecodable(platform::WindowHandle owner, const TextBuffer& buffer, const ustring& path,
                          uint64_t undecodableBytes)
{
    if (undecodableBytes == 0)
        return true;
    const FileEncoding encoding = buffer.encoding();
    const ustring name = encoding != kEncodingUndefined ? encodingName(encoding) : ustring(u"its encoding");
    return confirmOverwriteUndecodable(owner, path, undecodableBytes, name);
}

// Writes the buffer through its source; a failure is reported once, with
// the reason, and leaves the buffer dirty.
bool writeBuffer(TextBuffer& buffer, FileEncoding encoding, bool overwriteUndecodable)
{
    const ustring path = buffer.source() ? buffer.source()->path() : ustring();
    resetLastSystemError();
    if (buffer.save(encoding, overwriteUndecodable))
        return true;
    const ustring systemMessage = lastSystemErrorText();
    if (NotificationManager::alive())
        NotificationManager::get().displayError(saveFailureMessage(path, systemMessage));
    return false;
}

void reportSaved(const TextBuffer& buffer, TextEditorApplication* application)
{
    if (NotificationManager::alive())
        NotificationManager::get().setStatus(u"Saved " + buffer.displayName(kSavedNameFlags));
    application->autoSaveSoon();
}

} // namespace

bool TextEditorWindow::saveView(const slate::SP<TextBufferView>& view)
{
    if (!view)
        return false;
    TextBuffer* buffer = view->buffer();
    BufferSource* source = buffer->source();
    if (!source)
        return saveAs(view, kEncodingUndefined);
    if (buffer->isReading())
        return false;
    const platform::WindowHandle owner = dialogOwner();
    const ustring path = source->path();
    const uint64_t undecodable = source->undecodableBytes();
    // Asked before the read-only question, whose Yes changes the file.
    if (!consentToUndecodable(owner, *buffer, path, undecodable))
        return false;
    if (!confirmOverwriteReadOnly(owner, path))
        return false;
    if (!writeBuffer(*buffer, kEncodingUndefined, undecodable > 0))
        return false;
    reportSaved(*buffer, m_application);
    return true;
}

bool TextEditorWindow::saveAs(const slate::SP<TextBufferView>& view, FileEncoding encoding)
{
    if (!view || view->buffer()->isReading())
        return false;
    TextBuffer* buffer = view->buffer();
    const platform::WindowHandle owner = dialogOwner();

    const FileTypeList fileTypes = knownFileTypes();
    const ustring forcedExtension = optionText(*view, u"forcedExtension");
    FileDialogRequest request;
    request.fileName = saveAsInitialName(buffer->name());
    request.initialFolder = currentDirectory();
    if (!forcedExtension.empty()) {
        request.filter = buildSingleExtensionFilter(forcedExtension);
        request.filterIndex = 0;
    } else {
        request.filter = buildFileDialogFilter(fileTypes, FilterCaption::VisibleExtensions);
        request.filterIndex = fileTypeFilterIndex(fileTypes, optionText(*view, u"syntax"));
    }
    const FileDialogAnswer answer = windowDialogs().chooseFileToSave(owner, request);
    if (!answer.chosen) {
        if (answer.errorCode != 0 && NotificationManager::alive())
            NotificationManager::get().displayError(fileDialogErrorText(u"save", answer.errorCode));
        return false;
    }
    const std::vector<ustring> chosen = chosenPaths(answer.names);
    if (chosen.empty())
        return false;
    const ustring extension =
        !forcedExtension.empty() ? forcedExtension : fileTypeFirstExtension(answer.filterIndex - 2, fileTypes);
    const ustring path = completeSaveAsPath(chosen.front(), extension);

    // Saving under the file's own name again replaces it like a plain save.
    BufferSource* oldSource = buffer->source();
    const uint64_t undecodable =
        oldSource && samePath(oldSource->path(), path) ? oldSource->undecodableBytes() : 0;
    if (!consentToUndecodable(owner, *buffer, path, undecodable))
        return false;
    if (!confirmSaveAsTarget(owner, path))
        return false;
    // The dialog ran a message loop: a revert may have started meanwhile.
    if (buffer->isReading())
        return false;
    const FileEncoding readEncoding =
        encoding != kEncodingUndefined ? encoding : (oldSource ? oldSource->encoding() : kEncodingUndefined);
    buffer->setSource(std::make_unique<FileBufferSource>(path, readEncoding));
    if (!writeBuffer(*buffer, encoding, false))
        return false;

    const slate::SP<Options>& options = view->options();
    if (options && SyntaxManager::alive() && !SyntaxManager::get().syntaxForFile(path).empty()) {
        options->removeParents();
        applyFileTypeOptions(options, path);
    }
    if (options)
        options->notifyChanged();
    buffer->source()->makeDirectoryCurrent();
    m_application->m_history.recentFiles.add(path);
    reportSaved(*buffer, m_application);
    return true;
}

bool TextEditorWindow::saveAll()
{
    // A copy: saving under a new name may change the list.
    const std::vector<ViewEntry> views = m_viewSet.allViews();
    for (const ViewEntry& entry : views) {
        if (entry.view->buffer()->isDirty() && !saveView(entry.view))
            return false;
    }
    return true;
}

bool TextEditorWindow::saveAllWithFiles()
{
    const std::vector<ViewEntry> views = m_viewSet.allViews();
    for (const ViewEntry& entry : views) {
        TextBuffer* buffer = entry.view->buffer();
        if (buffer->source() && buffer->isDirty() && !saveView(entry.view))
            return false;
    }
    return true;
}

void TextEditorWindow::checkReload(const slate::SP<TextBufferView>& view)
{
    if (!view)
        return;
    TextBuffer* buffer = view->buffer();
    BufferSource* source = buffer->source();
    // A read under way takes the file as it is now.
    if (!source || buffer->isReading())
        return;
    const ustring path = source->path();
    if (!isFile(path)) {
        // Gone from disk: the text is all that is left of it, so it must
        // count as unsaved, whatever the options say about reloading.
        buffer->markModified();
        return;
    }
    if (optionFlag(*view, u"ignoreChanged"))
        return;
    if (!source->hasChangedOnDisk())
        return;
    // Reloading replaces unsaved edits: then even the automatic reload asks.
    const bool dirty = buffer->isDirty();
    if (!optionFlag(*view, u"autoReloadChanged") || dirty) {
        Question question;
        question.caption = u"Vantrel";
        question.text = path + u"\n\nHas changed on disk.\nDo you want to reload it?";
        if (dirty)
            question.text = path + u"\n\nHas changed on disk.\nReloading it discards your unsaved changes.\n"
                                   u"Do you want to reload it?";
        question.buttons = QuestionButtons::YesNo;
        question.icon = QuestionIcon::Question;
        const platform::WindowHandle owner = dialogOwner();
        if (windowDialogs().ask(owner, question) != QuestionAnswer::Yes)
            return;
    }
    buffer->revert();
}

void TextEditorWindow::addSaveCommands()
{
    auto hasActiveView = [this](const CommandArguments&) { return static_cast<bool>(activeView()); };
    m_commandMap.addEnabled(
        "save",
        [this](const CommandArguments&) {
            saveView(activeView());
            // Then the build-on-save check, once the window runs builds.
        },
        [this](const CommandArguments&) {
            slate::SP<TextBufferView> view = activeView();
            return view && view->buffer()->isDirty();
        });
    m_commandMap.addEnabled(
        "saveAs",
        [this](const CommandArguments& arguments) {
            const FileEncoding encoding =
                arguments.size() > 1 ? encodingFromName(arguments[1]) : kEncodingUndefined;
            saveAs(activeView(), encoding);
        },
        hasActiveView);
    m_commandMap.add("saveAll", [this](const CommandArguments&) {
        saveAll();
        // Then, with an active view, the build-on-save check, once the
        // window runs builds.
    });
}
