// Copy and paste work on the view's selections as the text algorithms of
// ui/text/ do, last selection first, each command in one undo group named
// after itself. The clipboard holds the text with CR LF line ends (what other
// programs expect) and, beside it, the private record that only this program
// reads; a record that does not add up is ignored rather than trusted, so a
// foreign or damaged one can only make a paste plain. Paste decides between
// four shapes in a fixed order: whole lines above the carets, one piece per
// selection, text fitted to the caret's indentation, and plain insertion.
#include "controls/clipboard_commands.h"

#include <algorithm>
#include <string>

#include "controls/desktop_services.h"
#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "ui/notification_manager.h"
#include "ui/options.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/line_ending.h"
#include "ui/text/macro.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_functions.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_typing.h"
#include "ui/text/text_buffer_view.h"
#include "window_manager/window.h"

const char16_t kClipboardRecordFormat[] = u"vantrel-extra";

namespace {

constexpr size_t kRecordHeaderSize = 5;

void setStatus(const ustring& text)
{
    if (NotificationManager::alive())
        NotificationManager::get().setStatus(text);
}

// "N character" or "N characters" after `verb`.
ustring countMessage(const char16_t* verb, int64_t count)
{
    const std::string number = std::to_string(count);
    ustring text(verb);
    text.append(number.begin(), number.end());
    text += count == 1 ? u" character" : u" characters";
    return text;
}

bool onlyBlanks(const ustring& text) { return leadingBlanks(text) == text.size(); }

// The text split at every line feed; a final line feed leaves an empty last
// piece.
std::vector<ustring> splitLines(const ustring& text)
{
    std::vector<ustring> pieces;
    size_t start = 0;
    for (;;) {
        const size_t lineFeed = text.find(u'\n', start);
        if (lineFeed == ustring::npos) {
            pieces.emplace_back(text, start);
            return pieces;
        }
        pieces.emplace_back(text, start, lineFeed - start);
        start = lineFeed + 1;
    }
}

// The pieces splitLines would give, counted without building them: paste
// needs only the count to choose its shape, and most pastes of large text
// take the plain shape.
size_t pieceCount(const ustring& text) { return 1 + std::count(text.begin(), text.end(), u'\n'); }

// Whole lines, last selection first: one line per selection when the
// counts agree, else the whole text, above each selection's line.
void pasteWholeLines(const slate::SP<TextBufferView>& view, const ustring& text)
{
    TextBuffer& buffer = *view->buffer();
    const size_t selections = view->sel().size();
    // One line per selection: line i with the line feed that ends it.
    std::vector<ustring> lines;
    if (pieceCount(text) - (text.back() == u'\n' ? 1 : 0) == selections) {
        lines = splitLines(text);
        for (size_t i = 0; i + 1 < lines.size(); ++i)
            lines[i] += u'\n';
    }
    for (size_t i = selections; i-- > 0;) {
        const int64_t position = lineStart(view, view->sel()[i].begin());
        buffer.insertCharacters(position, lines.empty() ? text : lines[i]);
    }
    showRegions(*view, view->sel(), false);
}

// One piece per selection, last first.
void pastePieces(const slate::SP<TextBufferView>& view, const std::vector<ustring>& pieces)
{
    TextBuffer& buffer = *view->buffer();
    for (size_t i = pieces.size(); i-- > 0;) {
        const SelectionRegion region = view->sel()[i];
        buffer.eraseCharacters(region);
        buffer.insertCharacters(region.begin(), pieces[i]);
    }
    showRegions(*view, view->sel(), false);
}

// The text fitted to the indentation before each selection (or, at the
// start of a line, to what a new line there would get), last first.
void pasteIndented(const slate::SP<TextBufferView>& view, const ustring& text, const std::vector<ustring>& pieces)
{
    TextBuffer& buffer = *view->buffer();
    const ustring common = commonIndentation(pieces);
    for (size_t i = view->sel().size(); i-- > 0;) {
        const int64_t begin = view->sel()[i].begin();
        ustring before = buffer.substr(SelectionRegion(lineStart(view, begin), begin));
        bool skipFirst = true;
        if (before.empty()) {
            skipFirst = false;
            before = autoIndentText(view, begin);
        }
        buffer.insertCharacters(begin, onlyBlanks(before) ? reindentPastedText(pieces, common, before, skipFirst)
                                                          : text);
        // The insertion pushed the selection past the new text; what it
        // still covers is the text the paste replaces.
        buffer.eraseCharacters(view->sel()[i]);
    }
    showRegions(*view, view->sel(), false);
}

} // namespace

std::vector<char> encodeClipboardRecord(bool wholeLines, const ustring& syntax)
{
    std::vector<char> bytes(kRecordHeaderSize + 2 * syntax.size());
    bytes[0] = wholeLines ? 1 : 0;
    const uint32_t length = static_cast<uint32_t>(syntax.size());
    for (int shift = 0; shift < 4; ++shift)
        bytes[1 + shift] = static_cast<char>((length >> (8 * shift)) & 0xFF);
    for (size_t i = 0; i < syntax.size(); ++i) {
        bytes[kRecordHeaderSize + 2 * i] = static_cast<char>(syntax[i] & 0xFF);
        bytes[kRecordHeaderSize + 2 * i + 1] = static_cast<char>(syntax[i] >> 8);
    }
    return bytes;
}

bool decodeClipboardRecord(const std::vector<char>& bytes, bool& wholeLines, ustring& syntax)
{
    wholeLines = false;
    syntax.clear();
    if (bytes.size() < kRecordHeaderSize || bytes.size() > kMaxClipboardRecordSize)
        return false;
    uint32_t length = 0;
    for (int shift = 0; shift < 4; ++shift)
        length |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[1 + shift])) << (8 * shift);
    if (length != (bytes.size() - kRecordHeaderSize) / 2 || bytes.size() % 2 == 0)
        return false;
    wholeLines = bytes[0] != 0;
    syntax.resize(length);
    for (size_t i = 0; i < length; ++i)
        syntax[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[kRecordHeaderSize + 2 * i]) |
                                          static_cast<unsigned char>(bytes[kRecordHeaderSize + 2 * i + 1]) << 8);
    return true;
}

void writeClipboard(const ustring& text, bool wholeLines, const ustring& syntax)
{
    desktopServices().writeClipboard(text, kClipboardRecordFormat, encodeClipboardRecord(wholeLines, syntax));
}

void copyTextToClipboard(const ustring& text) { writeClipboard(text, false, ustring()); }

void readClipboard(ustring& text, bool& wholeLines, ustring& syntax)
{
    std::vector<char> record;
    if (!desktopServices().readClipboard(text, kClipboardRecordFormat, record))
        text.clear();
    decodeClipboardRecord(record, wholeLines, syntax);
}

SelectionSet expandEmptySelectionsToLines(const slate::SP<TextBufferView>& view, const SelectionSet& selection)
{
    std::vector<SelectionRegion> regions;
    regions.reserve(selection.size());
    for (const SelectionRegion& region : selection)
        regions.push_back(region.empty() ? fullLine(view, region.begin()) : region);
    SelectionSet expanded;
    expanded.addAll(regions);
    return expanded;
}

size_t leadingBlanks(const ustring& line)
{
    size_t length = 0;
    while (length < line.size() && (line[length] == u' ' || line[length] == u'\t'))
        ++length;
    return length;
}

ustring commonIndentation(const std::vector<ustring>& lines)
{
    auto line = std::find_if(lines.begin(), lines.end(), [](const ustring& text) { return !onlyBlanks(text); });
    if (line == lines.end())
        return lines.empty() ? ustring() : lines.back();
    ustring common = line->substr(0, leadingBlanks(*line));
    for (++line; line != lines.end(); ++line) {
        if (onlyBlanks(*line))
            continue;
        const size_t blanks = std::min(leadingBlanks(*line), common.size());
        size_t same = 0;
        while (same < blanks && (*line)[same] == common[same])
            ++same;
        common.resize(same);
    }
    return common;
}

ustring reindentPastedText(const std::vector<ustring>& lines, const ustring& common, const ustring& prefix,
                           bool skipFirstPrefix)
{
    ustring text;
    for (size_t i = 0; i < lines.size(); ++i) {
        const ustring& line = lines[i];
        const bool last = i + 1 == lines.size();
        if (last && line.empty())
            break;
        if (!line.empty()) {
            if (i != 0 || !skipFirstPrefix)
                text += prefix;
            if (line.size() > common.size())
                text.append(line, common.size(), ustring::npos);
        }
        if (!last)
            text += u'\n';
    }
    return text;
}

int64_t copy(const slate::SP<TextBufferView>& view)
{
    if (!view)
        return 0;
    ScopedUndoGroup group(slate::usubstring(u"copy"), view->sharedBuffer(), true, true);
    const SelectionSet& selection = view->sel();
    if (selection.empty())
        return 0;
    const bool wholeLines =
        std::all_of(selection.begin(), selection.end(), [](const SelectionRegion& region) { return region.empty(); });
    const SelectionSet regions = wholeLines ? expandEmptySelectionsToLines(view, selection) : selection;
    size_t reserve = 1;
    for (const SelectionRegion& region : regions)
        reserve += static_cast<size_t>(region.size()) + 1;
    ustring text;
    text.reserve(reserve);
    for (const SelectionRegion& region : regions) {
        if (region.empty())
            continue;
        if (!text.empty())
            text += u'\n';
        text += view->buffer()->substr(region);
    }
    if (wholeLines && (text.empty() || text.back() != u'\n'))
        text += u'\n';
    const int64_t count = static_cast<int64_t>(text.size());
    toWindowsNewlines(text);
    if (!text.empty()) {
        ustring syntax;
        if (view->options())
            view->options()->getString(ustring(u"syntax"), syntax);
        writeClipboard(text, wholeLines, syntax);
        setStatus(countMessage(u"Copied ", count));
    }
    return count;
}

void cut(const slate::SP<TextBufferView>& view)
{
    ScopedUndoGroup group(slate::usubstring(u"cut"), view->sharedBuffer(), false, false);
    const int64_t count = copy(view);
    view->mutableSel() = expandEmptySelectionsToLines(view, view->sel());
    eraseSelections(view);
    if (count != 0)
        setStatus(countMessage(u"Cut ", count));
}

void paste(const slate::SP<TextBufferView>& view, bool indent, bool multiLine)
{
    ScopedUndoGroup group(slate::usubstring(indent ? u"pasteAndIndent" : u"paste"), view->sharedBuffer(), false,
                          false);
    ustring text, syntax;
    bool wholeLines = false;
    readClipboard(text, wholeLines, syntax);
    if (text.empty())
        return;
    normaliseNewlines(text);
    TextBuffer& buffer = *view->buffer();
    Options* options = view->options().get();
    bool widget = false;
    if (options)
        options->getBool(ustring(u"isWidget"), widget);
    if (options && buffer.size() == 0 && !syntax.empty() && !buffer.source() && !widget &&
        options->set(ustring(u"syntax"), syntax))
        options->notifyChanged();
    if (!multiLine) {
        const size_t lineFeed = text.find(u'\n');
        if (lineFeed != ustring::npos)
            text.resize(lineFeed);
        wholeLines = false;
        if (text.empty())
            return;
    }
    if (view->sel().empty())
        return;
    const size_t pieces = pieceCount(text);
    const size_t selections = view->sel().size();
    if (wholeLines)
        pasteWholeLines(view, text);
    else if (pieces == selections && pieces >= 2)
        pastePieces(view, splitLines(text));
    else if (indent)
        pasteIndented(view, text, splitLines(text));
    else
        insertCharacters(view, text);
}

void copyPath(const slate::SP<TextBufferView>& view)
{
    if (const BufferSource* source = view->buffer()->source())
        copyTextToClipboard(source->path());
}

ProcessLaunch fileBrowserLaunch(const ustring& systemFolder, const ustring& path)
{
    ProcessLaunch launch;
    if (systemFolder.empty() || path.empty() || systemFolder.find(u'"') != ustring::npos ||
        path.find(u'"') != ustring::npos)
        return launch;
    launch.application = systemFolder + u"\\explorer.exe";
    launch.commandLine = u"\"" + launch.application + u"\" /select,\"" + path + u"\"";
    return launch;
}

void openFolder(const slate::SP<TextBufferView>& view)
{
    const BufferSource* source = view->buffer()->source();
    if (!source)
        return;
    const ProcessLaunch launch = fileBrowserLaunch(systemFileBrowserFolder(), source->path());
    if (!launch.application.empty())
        desktopServices().startProcess(launch);
}

void saveMacro(Window* window)
{
    const std::vector<ustring>& macro = getMacro();
    if (macro.empty())
        return;
    const ustring folder = currentDirectory();
    SaveFileRequest request;
    if (slate::FileManager::alive())
        request.initialFolder = slate::FileManager::get().nativePath(u"Packages/User");
    std::replace(request.initialFolder.begin(), request.initialFolder.end(), u'/', kNativePathSeparator);
    request.filterName = u"Macro (*.vantrel-macro)";
    request.filterPattern = u"*.vantrel-macro";
    request.defaultExtension = u"vantrel-macro";
    ustring path;
    if (desktopServices().chooseSaveFile(window ? window->nativeHandle() : nullptr, request, path)) {
        if (writeLines(path, macro))
            setStatus(u"Saved " + path);
        else if (NotificationManager::alive())
            NotificationManager::get().displayError(u"Unable to save " + path);
    }
    if (!folder.empty())
        setCurrentDirectory(folder);
}
