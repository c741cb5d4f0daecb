// A window's part of the session: what it writes into its WindowSettings
// record and how a fresh window rebuilds itself from one.
//
// Buffers are written once each, however many views show them, under ids
// that number them in the order the views meet them; views name their
// buffer by that id, so a buffer shown in two groups comes back as one
// buffer behind both. Unsaved text goes into the record only for an
// autosave, and only up to the size the caller allows.
//
// On reading, the buffers and views are built first and the files are read
// afterwards, on the buffers' reader threads. Stored text is put back when
// a buffer's read ends, ahead of every other load listener: the views'
// selections were written for that text, not for the file's, and must be
// compared against it.
#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "filesystem/file_utils.h"
#include "texteditor/application_settings.h"
#include "texteditor/buffer_contents.h"
#include "texteditor/text_editor_window.h"
#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/text_buffer.h"
#include "ui/unicode.h"
#include "window_manager/window.h"

namespace {

// Whether the buffer's text may go into the record.
bool mayStoreText(const TextBuffer& buffer, bool autosave, unsigned maximumSize)
{
    return autosave && (maximumSize == 0 || buffer.size() < static_cast<int64_t>(maximumSize));
}

} // namespace

void TextEditorWindow::writeToSettings(WindowSettings& settings, bool autosave, unsigned maximumSize) const
{
    settings.position = m_window ? m_window->placement() : ustring();
    settings.rowSplits = m_rowSplits;
    settings.colSplits = m_colSplits;
    settings.layoutType = m_layoutType;
    settings.panelHeights = m_panelHeights;
    settings.activeGroup = m_viewSet.activeGroup();
    // The window holds no project yet, so none is recorded.
    settings.project.clear();

    std::map<const TextBuffer*, ustring> bufferIds;
    for (int group = 0; group < m_viewSet.numGroups(); ++group) {
        WindowSettings::Group& groupRecord = settings.groups.emplace_back();
        const std::vector<ViewEntry>& tabs = m_viewSet.views(group);
        const int activeIndex = m_viewSet.activeIndex(group);
        for (size_t index = 0; index < tabs.size(); ++index) {
            const slate::SP<TextBufferView>& view = tabs[index].view;
            TextBuffer* buffer = view->buffer();
            const BufferSource* source = buffer->source();
            const bool storeText = mayStoreText(*buffer, autosave, maximumSize);
            // Untitled text lives only in the autosave.
            if (!source && !storeText)
                continue;

            WindowSettings::View& viewRecord = groupRecord.views.emplace_back();
            viewRecord.options = slate::SP<Options>(new Options);
            view->writeSettings(viewRecord.options);
            if (static_cast<int>(index) == activeIndex)
                groupRecord.activeView = static_cast<int>(groupRecord.views.size()) - 1;

            auto known = bufferIds.find(buffer);
            if (known == bufferIds.end()) {
                WindowSettings::Buffer& bufferRecord = settings.buffers.emplace_back();
                bufferRecord.id = toUstring(std::to_string(bufferIds.size()));
                bufferRecord.fileName = source ? source->path() : ustring();
                if (storeText && (buffer->isDirty() || buffer->m_scratch)) {
                    bufferRecord.hasContents = true;
                    bufferRecord.contents = buffer->str();
                }
                bufferRecord.options = slate::SP<Options>(new Options);
                buffer->writeSettings(bufferRecord.options);
                known = bufferIds.emplace(buffer, bufferRecord.id).first;
            }
            viewRecord.bufferId = known->second;
        }
    }
}

void TextEditorWindow::readFromSettings(const WindowSettings& settings)
{
    ScopedTimer timer(g_statReadWindowSettings);
    VASSERT(canvas());
    VASSERT(m_viewSet.totalSize() == 0);

    std::map<ustring, slate::SP<TextBuffer>> buffers;
    for (const WindowSettings::Buffer& record : settings.buffers) {
        slate::SP<TextBuffer> buffer(new TextBuffer);
        connectBufferEvents(buffer);
        buffers[record.id] = buffer;
    }

    m_rowSplits = settings.rowSplits;
    m_colSplits = settings.colSplits;
    setLayout(settings.layoutType);
    m_panelHeights = settings.panelHeights;

    std::map<ustring, const WindowSettings::Buffer*> records;
    for (const WindowSettings::Buffer& record : settings.buffers)
        records[record.id] = &record;
    const int groupCount = std::min(static_cast<int>(settings.groups.size()), m_viewSet.numGroups());
    for (int group = 0; group < groupCount; ++group) {
        const WindowSettings::Group& groupRecord = settings.groups[group];
        for (const WindowSettings::View& viewRecord : groupRecord.views) {
            auto buffer = buffers.find(viewRecord.bufferId);
            if (buffer == buffers.end()) {
                VLOG << u"invalid bufferId " << viewRecord.bufferId;
                continue;
            }
            ustring syntax;
            if (viewRecord.options)
                viewRecord.options->getString(ustring(u"options.syntax"), syntax);
            const slate::SP<TextBufferView> view =
                createViews(buffer->second, group, records[viewRecord.bufferId]->fileName, syntax);
            if (viewRecord.options)
                view->readSettings(viewRecord.options);
        }
        if (m_viewSet.isValidIndex(groupRecord.activeView, group))
            m_viewSet.selectTab(groupRecord.activeView, group, false);
    }

    for (const WindowSettings::Buffer& record : settings.buffers) {
        const slate::SP<TextBuffer>& buffer = buffers[record.id];
        if (record.options)
            buffer->readSettingsWhenLoaded(record.options);
        if (record.hasContents) {
            TextBuffer* owner = buffer.get();
            const ustring contents = record.contents;
            buffer->addLoadListener(
                [owner, contents] { restoreBufferContents(slate::SP<TextBuffer>(owner), contents); }, true);
        }
        if (record.fileName.empty()) {
            buffer->notifyLoaded();
        } else if (record.hasContents && !isFile(record.fileName)) {
            // The file went away since the session was written, but its text
            // is here: the buffer stays bound to the path, unsaved, rather
            // than losing what the user typed.
            buffer->setSource(std::make_unique<FileBufferSource>(record.fileName, kEncodingUndefined));
            buffer->notifyLoaded();
            buffer->markModified();
        } else {
            buffer->load(std::make_unique<FileBufferSource>(record.fileName, kEncodingUndefined));
        }
    }

    m_viewSet.focusGroup(settings.activeGroup);
    if (!settings.project.empty())
        openProject(settings.project);
}
