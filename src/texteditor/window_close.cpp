// Closing an editor window's views, and the window itself, with the Save
// Changes? question.
//
// Every way of closing several views follows one pattern: first each view
// whose buffer needs saving is shown and asked about, in order, and closed
// as soon as the answer lets it go; then the views that were never in
// question are dropped together. A refusal ends the operation at once, so
// what was closed before stays closed and nothing not yet asked about is
// lost. The walks run over copies of the view set's lists, because showing
// a view reorders the most recently used list and closing one shortens its
// group.
#include <algorithm>

#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "texteditor/window_dialogs.h"
#include "ui/log.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/text_buffer.h"
#include "window_manager/window.h"

namespace {

using ViewList = std::vector<slate::SP<TextBufferView>>;

bool needsSaving(const slate::SP<TextBufferView>& view) { return bufferNeedsSaving(view->buffer()); }

ViewList viewsOf(std::vector<ViewEntry>::const_iterator begin, std::vector<ViewEntry>::const_iterator end)
{
    ViewList views;
    for (auto it = begin; it != end; ++it)
        views.push_back(it->view);
    return views;
}

} // namespace

bool TextEditorWindow::askSaveChanges(const slate::SP<TextBufferView>& view)
{
    const BufferSource* source = view->buffer()->source();
    Question question;
    question.caption = u"Save Changes?";
    question.text = (source ? source->path() : ustring(u"New file")) + u" has been modified, save changes?";
    question.buttons = QuestionButtons::YesNoCancel;
    question.icon = QuestionIcon::Warning;
    switch (windowDialogs().ask(dialogOwner(), question)) {
    case QuestionAnswer::Yes:
        return saveView(view);
    case QuestionAnswer::No:
        return true;
    case QuestionAnswer::Cancel:
        break;
    }
    return false;
}

bool TextEditorWindow::closeView(const slate::SP<TextBufferView>& given)
{
    VASSERT(given);
    // Callers may pass an entry of the view set itself, which the removal
    // below destroys.
    const slate::SP<TextBufferView> view = given;
    if (!m_viewSet.findEntry(view.get()))
        return true;
    const slate::SP<TextBufferView> previous = m_viewSet.activeView();
    // The question is asked with the view in front of the user.
    m_viewSet.focusView(view.get());
    if (needsSaving(view) && !askSaveChanges(view))
        return false;
    if (previous && previous != view)
        m_viewSet.focusView(previous.get());
    m_viewSet.removeView(view.get());
    notifyPlugins(u"onClose", view);
    return true;
}

bool TextEditorWindow::closeActiveView()
{
    const slate::SP<TextBufferView> view = activeView();
    return !view || closeView(view);
}

bool TextEditorWindow::closeActiveViewOfGroup(int group)
{
    if (group < 0 || group >= m_viewSet.numGroups())
        return true;
    const slate::SP<TextBufferView> view = m_viewSet.activeViewInGroup(group);
    return !view || closeView(view);
}

bool TextEditorWindow::closeAll()
{
    // The view in front is asked about first.
    const slate::SP<TextBufferView> active = activeView();
    if (active && needsSaving(active) && !closeView(active))
        return false;
    const std::vector<ViewEntry>& all = m_viewSet.allViews();
    return closeViews(viewsOf(all.begin(), all.end()));
}

bool TextEditorWindow::closeOthersInGroup(const slate::SP<TextBufferView>& view)
{
    int index = 0;
    int group = 0;
    if (!m_viewSet.findView(view.get(), index, group))
        return false;
    // The view in front is asked about first, but only when it is one of
    // those closing: the active view of another group is not.
    const slate::SP<TextBufferView> active = activeView();
    int activeIndex = 0;
    int activeGroup = 0;
    if (active && active != view && m_viewSet.findView(active.get(), activeIndex, activeGroup) &&
        activeGroup == group && needsSaving(active) && !closeView(active))
        return false;
    const std::vector<ViewEntry>& tabs = m_viewSet.views(group);
    ViewList others = viewsOf(tabs.begin(), tabs.end());
    others.erase(std::remove(others.begin(), others.end(), view), others.end());
    return closeViews(std::move(others));
}

bool TextEditorWindow::closeToRightOf(const slate::SP<TextBufferView>& view)
{
    int index = 0;
    int group = 0;
    if (!m_viewSet.findView(view.get(), index, group))
        return false;
    const std::vector<ViewEntry>& tabs = m_viewSet.views(group);
    return closeViews(viewsOf(tabs.begin() + index + 1, tabs.end()));
}

bool TextEditorWindow::promptAllSaved()
{
    const slate::SP<TextBufferView> active = activeView();
    if (active && active->buffer()->isDirty() && !askSaveChanges(active))
        return false;
    const std::vector<ViewEntry>& all = m_viewSet.allViews();
    for (const slate::SP<TextBufferView>& view : viewsOf(all.begin(), all.end())) {
        if (view == active || !view->buffer()->isDirty())
            continue;
        m_viewSet.focusView(view.get());
        if (!askSaveChanges(view))
            return false;
    }
    return true;
}

bool TextEditorWindow::closeViews(std::vector<slate::SP<TextBufferView>> views)
{
    for (auto it = views.begin(); it != views.end();) {
        if (!needsSaving(*it)) {
            ++it;
            continue;
        }
        if (!closeView(*it))
            return false;
        it = views.erase(it);
    }
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        m_viewSet.removeView(it->get());
        notifyPlugins(u"onClose", *it);
    }
    return true;
}

bool TextEditorWindow::canClose()
{
    // "exit" has asked its questions already, for every window at once.
    if (m_application->m_exiting)
        return true;
    if (!promptAllSaved())
        return false;
    const std::vector<TextEditorWindow*>& windows = m_application->windows();
    if (windows.size() == 1 && windows.front() == this)
        m_application->saveSession();
    return true;
}

void TextEditorWindow::addCloseCommands()
{
    m_commandMap.addEnabled(
        "close", [this](const CommandArguments&) { closeActiveView(); },
        [this](const CommandArguments&) { return activeView() != nullptr; });
    m_commandMap.add("closeAll", [this](const CommandArguments&) { closeAll(); });
}
