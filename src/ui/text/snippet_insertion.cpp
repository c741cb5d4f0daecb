// Snippet insertion into a view. Each selection is handled in turn, from the
// first: its expansion is computed with that selection's variables, shaped
// for the buffer (soft tabs, the indentation of the insertion line after
// every line feed, the same for the line feeds and tabs a mirror's format
// will produce), inserted literally so that the expansion's point positions
// stay exact, and registered as tracked points with their field groups.
// A running offset carries each insertion's net growth to the selections
// after it. Scrolling waits until the fields are in place, since showing a
// point may end snippet mode for a selection outside every field.
#include "ui/text/snippet_insertion.h"

#include <algorithm>

#include "ui/notification_manager.h"
#include "ui/string_utils.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/util/regex_utils.h"
#include "ui/text/view_state.h"
#include "ui/user_name.h"

namespace {

// Replaces each tab by `tabSize` blanks; points past a tab move with it.
void softenTabs(SnippetExpansion& expansion, int32_t tabSize)
{
    ustring out;
    out.reserve(expansion.text.size());
    std::vector<int64_t> tabs;
    for (size_t i = 0; i < expansion.text.size(); ++i) {
        if (expansion.text[i] == u'\t') {
            tabs.push_back(static_cast<int64_t>(i));
            out.append(static_cast<size_t>(tabSize), u' ');
        } else {
            out += expansion.text[i];
        }
    }
    for (int64_t& point : expansion.points) {
        const auto before = std::lower_bound(tabs.begin(), tabs.end(), point) - tabs.begin();
        point += before * (tabSize - 1);
    }
    expansion.text = std::move(out);
}

// Inserts `indentation` after every line feed; points at or after the
// position just past a line feed move with it.
void indentLines(SnippetExpansion& expansion, const ustring& indentation)
{
    if (indentation.empty())
        return;
    ustring out;
    std::vector<int64_t> lineStarts;
    for (size_t i = 0; i < expansion.text.size(); ++i) {
        out += expansion.text[i];
        if (expansion.text[i] == u'\n') {
            lineStarts.push_back(static_cast<int64_t>(i + 1));
            out += indentation;
        }
    }
    for (int64_t& point : expansion.points) {
        const auto passed = std::upper_bound(lineStarts.begin(), lineStarts.end(), point) - lineStarts.begin();
        point += passed * static_cast<int64_t>(indentation.size());
    }
    expansion.text = std::move(out);
}

// The formats of the mirrors produce their line feeds and tabs shaped the
// same way as the expanded text.
void shapeFormats(SnippetExpansion& expansion, const ustring& indentation, int32_t softTabSize)
{
    const ustring blanks(static_cast<size_t>(std::max(softTabSize, 0)), u' ');
    const ustring lineFeed = u"\n" + indentation;
    for (SnippetFieldGroup& group : expansion.groups) {
        for (SnippetTransform& mirror : group.transforms) {
            RegexTransform shaped = *mirror.transform;
            if (softTabSize > 0)
                replaceAll(shaped.format, ustring(u"\\t"), blanks);
            replaceAll(shaped.format, ustring(u"\\n"), lineFeed);
            mirror.transform = shareTransform(std::move(shaped));
        }
    }
}

// Adds the expansion's fields, inserted at `position`, to `groups`: the
// expansion's n-th group joins groups[n].
void registerFields(const SnippetExpansion& expansion, TrackedPoints& points,
                    std::vector<TrackedRegionGroup>& groups)
{
    VASSERT(!expansion.points.empty());
    const TrackedPointId first = points.addPoints(expansion.points);
    const auto id = [first](size_t index) { return static_cast<TrackedPointId>(first + index); };
    if (groups.size() < expansion.groups.size())
        groups.resize(expansion.groups.size());
    for (size_t g = 0; g < expansion.groups.size(); ++g) {
        const SnippetFieldGroup& group = expansion.groups[g];
        for (const auto& region : group.regions)
            groups[g].fieldPairs.emplace_back(id(region.first), id(region.second));
        for (const SnippetTransform& mirror : group.transforms)
            groups[g].mirrors.emplace_back(TrackedPointPair(id(mirror.sourceStart), id(mirror.sourceEnd)),
                                           TrackedPointPair(id(mirror.destinationStart),
                                                            id(mirror.destinationEnd)),
                                           mirror.transform);
    }
}

void selectAndShowField(const ViewPtr& view)
{
    ViewState& state = view->viewState();
    state.trackedRegions().markCurrent(state.mutableTrackedPoints());
    state.selectField();
    if (!view->sel().empty())
        showRegion(*view, view->sel()[view->sel().size() - 1], true);
}

} // namespace

SnippetVariables snippetVariables(const ViewPtr& view, const SelectionRegion& region,
                                  const std::vector<ustring>& parameters)
{
    TextBuffer& buffer = *view->buffer();
    SnippetVariables variables;
    const ustring selected = buffer.substr(region);
    variables[u"SELECTION"] = selected;
    variables[u"TM_SELECTED_TEXT"] = selected;
    for (size_t i = 0; i < parameters.size(); ++i)
        variables[u"PARAM" + intToString(static_cast<int>(i + 1))] = parameters[i];

    int32_t row = 0;
    int32_t column = 0;
    buffer.rowcol(region.begin(), row, column);
    variables[u"TM_LINE_INDEX"] = intToString(column);
    variables[u"TM_LINE_NUMBER"] = intToString(row + 1);
    if (const auto* file = dynamic_cast<const FileBufferSource*>(buffer.source())) {
        variables[u"TM_FILEPATH"] = file->path();
        variables[u"TM_FILENAME"] = file->displayName();
    }
    variables[u"TM_CURRENT_WORD"] = buffer.substr(word(view, region.begin()));
    variables[u"TM_CURRENT_LINE"] = buffer.substr(line(view, region.begin()));
    ustring user;
    if (currentUserName(user))
        variables[u"TM_FULLNAME"] = user;
    variables[u"TM_TAB_SIZE"] = intToString(buffer.m_tabSize);
    variables[u"TM_SOFT_TABS"] = buffer.m_translateTabsToSpaces ? u"YES" : u"NO";
    return variables;
}

void insertSnippetText(const ViewPtr& view, int64_t eraseCount, const ustring& content,
                       const std::vector<ustring>& parameters)
{
    TextBuffer& buffer = *view->buffer();
    if (buffer.isReadOnly())
        return;
    {
        SnippetNode head;
        if (parseSnippet(content, head) != kSnippetOk)
            return;
    }
    ScopedUndoGroup group(u"Insert Snippet", view->sharedBuffer(), false, false);

    ViewState& state = view->viewState();
    const SelectionSet selections = view->sel();
    SelectionSet inserted;
    std::vector<TrackedRegionGroup> fields;
    // How far the text before the next selection has moved, and where the
    // last insertion ended: an erase count never reaches back into it.
    int64_t shift = 0;
    int64_t previousEnd = 0;
    for (const SelectionRegion& original : selections) {
        const SelectionRegion region(original.begin() + shift, original.end() + shift);
        SnippetExpansion expansion;
        if (!expandSnippet(content, snippetVariables(view, region, parameters), expansion))
            continue;

        const int64_t position = std::max(region.begin() - std::max<int64_t>(eraseCount, 0), previousEnd);
        buffer.eraseCharacters(SelectionRegion(position, region.end()));
        const int32_t softTabSize = buffer.m_translateTabsToSpaces ? buffer.m_tabSize : 0;
        if (softTabSize > 0)
            softenTabs(expansion, softTabSize);
        const ustring indentation = lineIndentation(view, position);
        indentLines(expansion, indentation);
        shapeFormats(expansion, indentation, softTabSize);
        for (int64_t& point : expansion.points)
            point += position;

        const int32_t length = buffer.insertCharacters(position, expansion.text, true);
        inserted.add(SelectionRegion(position, position + length));
        registerFields(expansion, state.mutableTrackedPoints(), fields);

        shift += length - (region.end() - position);
        previousEnd = position + length;
    }
    if (inserted.empty())
        return;

    state.mutableTrackedRegions().replaceCurrent(fields);
    state.addFieldRegions(inserted);
    state.trackedRegions().markCurrent(state.mutableTrackedPoints());
    state.selectField();
    for (const SelectionRegion& region : inserted) {
        showPoint(*view, region.end(), false);
        showPoint(*view, region.begin(), false);
    }
}

void insertSnippetFile(const ViewPtr& view, int64_t eraseCount, const ustring& path,
                       const ustring& content, const std::vector<ustring>& parameters)
{
    SnippetNode head;
    const int error = parseSnippet(content, head);
    if (error != kSnippetOk) {
        NotificationManager::get().displayError(u"Error parsing content for snippet " + path + u": "
                                                + snippetErrorText(error));
        return;
    }
    insertSnippetText(view, eraseCount, content, parameters);
}

bool hasNextField(const ViewPtr& view)
{
    return view->viewState().trackedRegions().hasNext();
}

bool hasPrevField(const ViewPtr& view)
{
    return view->viewState().trackedRegions().hasPrev();
}

void nextField(const ViewPtr& view)
{
    if (!hasNextField(view))
        return;
    ScopedUndoGroup group(u"nextField", view->sharedBuffer(), false, false);
    view->viewState().mutableTrackedRegions().next();
    selectAndShowField(view);
}

void prevField(const ViewPtr& view)
{
    if (!hasPrevField(view))
        return;
    ScopedUndoGroup group(u"prevField", view->sharedBuffer(), false, false);
    view->viewState().mutableTrackedRegions().prev();
    selectAndShowField(view);
}

void clearFields(const ViewPtr& view)
{
    ScopedUndoGroup group(u"clearFields", view->sharedBuffer(), false, false);
    view->viewState().clearFields();
}
