// Window titles and tab labels, built from TextBuffer::displayName so that
// every place that names a buffer agrees on "untitled" and on the "*" of a
// dirty buffer.
#include "texteditor/window_title.h"

#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"

const char16_t* const kProductTitle = u"Vantrel 1.4";

bool TitleState::operator==(const TitleState& other) const
{
    return fileSource == other.fileSource && isDirty == other.isDirty && hasView == other.hasView &&
           bufferName == other.bufferName && projectText == other.projectText;
}

ustring projectTitleText(const ustring& projectName, bool loading)
{
    return loading ? projectName + u": loading" : projectName;
}

TitleState titleState(const TextBufferView* view, const ustring& projectText)
{
    TitleState state;
    state.projectText = projectText;
    if (!view)
        return state;
    const TextBuffer* buffer = view->buffer();
    state.hasView = true;
    state.fileSource = buffer->source();
    state.isDirty = buffer->isDirty();
    // The buffer keeps its name to itself; without a file this is that name
    // (or "untitled", which changes exactly when the name does).
    if (!state.fileSource)
        state.bufferName = buffer->displayName(DisplayNameFlags::BufferName);
    return state;
}

ustring windowTitle(const TextBufferView* view, const ustring& projectText)
{
    ustring title;
    if (view) {
        title = view->buffer()->displayName(DisplayNameFlags::FullPath | DisplayNameFlags::DirtyMark |
                                            DisplayNameFlags::BufferName);
        title += u' ';
    }
    if (!projectText.empty()) {
        title = title.empty() ? projectText : title + u"(" + projectText + u")";
        title += u' ';
    }
    if (!title.empty())
        title += u"- ";
    return title + kProductTitle;
}

bool refreshTitleCache(std::optional<TitleState>& cache, const TitleState& state)
{
    if (cache && *cache == state)
        return false;
    cache = state;
    return true;
}

bool bufferNeedsSaving(const slate::SP<TextBuffer>& buffer)
{
    if (!buffer->isDirty())
        return false;
    return buffer->source() || buffer->size() > 0;
}

ustring tabLabel(const slate::SP<TextBufferView>& view)
{
    if (!view)
        return ustring();
    return view->buffer()->displayName(DisplayNameFlags::BufferName);
}
