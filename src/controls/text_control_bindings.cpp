// The text command table. Each entry only reads its argument words and calls
// an editing algorithm of ui/text/ on the view; the algorithms open their own
// undo groups, named by a command line that does the same again, so that
// repeat and the macro recorder can replay them from the undo history. The
// few handlers that edit directly here (fixedDeleteCharacters and the "over"
// commands) open their group the same way.
//
// The entries are registered in one fixed order, which menus and the
// control's own listing of its commands follow.
#include "controls/text_control_bindings.h"

#include <cstddef>
#include <utility>

#include "controls/clipboard_commands.h"
#include "controls/snippet_commands.h"
#include "filesystem/path_parts.h"
#include "input/command_runner.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/string_utils.h"
#include "ui/text/line_ending.h"
#include "ui/text/macro.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/scroll_lines.h"
#include "ui/text/snippet_insertion.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_expansion.h"
#include "ui/text/text_buffer_functions.h"
#include "ui/text/text_buffer_movement.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_state.h"
#include "ui/unicode.h"

namespace {

using Arguments = CommandArguments;

// Argument `index` as UTF-8, empty when missing: word arguments compare
// exactly, case included.
std::string word(const Arguments& arguments, size_t index)
{
    return index < arguments.size() ? toUtf8(arguments[index]) : std::string();
}

bool extendAsked(const Arguments& arguments, size_t index)
{
    return word(arguments, index) == "extend";
}

void setStatus(const ustring& text)
{
    if (NotificationManager::alive())
        NotificationManager::get().setStatus(text);
}

// The unit steps shared by "move" and the "over" commands. False for a word
// that is no such unit; `moved` reports whether a line or page step got
// anywhere (the other units always count as moved).
bool moveByUnit(const ViewPtr& view, const std::string& unit, bool forward, bool extend, bool& moved)
{
    moved = true;
    if (unit == "characters")
        moveCharacters(view, forward, extend);
    else if (unit == "words")
        moveWords(view, forward, extend);
    else if (unit == "wordends")
        moveWordEnds(view, forward, extend);
    else if (unit == "wordboundaries")
        moveWordBoundaries(view, forward, extend);
    else if (unit == "lines")
        moved = moveLines(view, forward, extend);
    else if (unit == "pages")
        moved = movePages(view, forward, extend);
    else
        return false;
    return true;
}

// The place moves shared by "moveTo" and the "over" commands; false for a
// word that is no such place.
bool moveToPlace(const ViewPtr& view, const std::string& place, bool extend)
{
    using PlaceMove = void (*)(const ViewPtr&, bool);
    static const std::pair<const char*, PlaceMove> kPlaces[] = {
        {"bol", moveToBol}, {"hardbol", moveToHardBol}, {"eol", moveToEol},
        {"hardeol", moveToHardEol}, {"bof", moveToBof}, {"eof", moveToEof},
    };
    for (const auto& entry : kPlaces) {
        if (place == entry.first) {
            entry.second(view, extend);
            return true;
        }
    }
    return false;
}

using TextAlgorithm = void (*)(const ViewPtr&, const ustring&);

// The three insert commands. A single-line control keeps only the text
// before the first line feed.
void insertText(TextBufferView* view, bool multiLine, TextAlgorithm algorithm, const Arguments& arguments)
{
    if (arguments.size() < 2)
        return;
    ustring text(arguments[1].begin, arguments[1].end);
    if (!multiLine) {
        const size_t lineFeed = text.find(u'\n');
        if (lineFeed != ustring::npos)
            text.resize(lineFeed);
    }
    algorithm(ViewPtr(view), text);
}

// Erases the count units before every anchor (after it, for a negative
// count), last selection first, in one group that never merges.
void fixedDeleteCharacters(TextBufferView* view, const Arguments& arguments)
{
    if (arguments.size() < 2 || view->sel().empty())
        return;
    const int count = toInt(arguments[1]);
    ScopedUndoGroup group(joinCommandLine(arguments), view->sharedBuffer(), false, false);
    for (size_t i = view->sel().size(); i-- > 0;) {
        const int64_t anchor = view->sel()[i].a;
        view->buffer()->eraseCharacters(SelectionRegion(anchor - count, anchor));
    }
}

void move(TextBufferView* view, bool multiLine, const MoveOverflowFunction& moveOverflow,
          const Arguments& arguments)
{
    if (arguments.size() < 3)
        return;
    const std::string unit = word(arguments, 1);
    const int amount = toInt(arguments[2]);
    const bool forward = amount >= 0;
    const ViewPtr shared(view);
    const bool linesOrPages = unit == "lines" || unit == "pages";
    if (unit == "wholelines") {
        if (multiLine)
            moveWholeLines(shared, forward);
        return;
    }
    bool moved = false;
    if (linesOrPages && !multiLine) {
        // A field has one line: the owner decides what a line move means.
    } else if (!moveByUnit(shared, unit, forward, extendAsked(arguments, 3), moved) || moved) {
        return;
    }
    if (moveOverflow)
        moveOverflow(unit, amount);
}

void moveTo(TextBufferView* view, const Arguments& arguments)
{
    if (arguments.size() < 2)
        return;
    const std::string place = word(arguments, 1);
    if (place == "brackets")
        moveToBrackets(ViewPtr(view));
    else
        moveToPlace(ViewPtr(view), place, extendAsked(arguments, 2));
}

void expandSelectionTo(TextBufferView* view, const Arguments& arguments)
{
    using Expansion = void (*)(const ViewPtr&);
    static const std::pair<const char*, Expansion> kUnits[] = {
        {"line", expandSelectionToLine}, {"word", expandSelectionToWord},
        {"scope", expandSelectionToScope}, {"brackets", expandSelectionToBrackets},
    };
    const std::string unit = word(arguments, 1);
    for (const auto& entry : kUnits) {
        if (unit == entry.first)
            entry.second(ViewPtr(view));
    }
}

// Moves or extends the selections by a unit or place word (or to whole
// lines with "entireline"), runs `operation`, and with `restore` puts the
// selections back as they were, change counter included. One group that
// never merges, named by the arguments joined unquoted, holds it all.
void runOverMovement(TextBufferView* view, const Arguments& arguments, bool restore, bool extend,
                     const std::function<void()>& operation)
{
    if (arguments.size() < 2)
        return;
    ustring name;
    for (const slate::usubstring& argument : arguments) {
        if (!name.empty())
            name += u' ';
        name.append(argument.begin, argument.end);
    }
    ScopedUndoGroup group(name, view->sharedBuffer(), false, false);
    const std::string target = word(arguments, 1);
    const int amount = arguments.size() > 2 ? toInt(arguments[2]) : 1;
    const ViewPtr shared(view);
    const SelectionSet kept = view->sel();
    bool moved = false;
    if (!moveByUnit(shared, target, amount >= 0, extend, moved) && !moveToPlace(shared, target, extend) &&
        target == "entireline")
        expandSelectionToLine(shared);
    operation();
    if (restore)
        view->mutableSel() = kept;
}

// The selection-history steps show the last selection of where they land.
void showLastSelection(TextBufferView& view)
{
    if (!view.sel().empty())
        showRegion(view, view.sel()[view.sel().size() - 1], true);
}

// The view option key of argument 1 (empty when missing) and its value.
const ustring* optionValue(TextBufferView* view, const Arguments& arguments)
{
    if (!view->options() || arguments.size() < 2)
        return nullptr;
    return view->options()->find(ustring(arguments[1].begin, arguments[1].end));
}

void setOption(TextBufferView* view, const Arguments& arguments)
{
    if (!view->options() || arguments.size() < 3)
        return;
    // Options refuses a key it could not write back (a quoted key holding a
    // blank, say); then nothing changed and nobody is told.
    if (view->options()->set(ustring(arguments[1].begin, arguments[1].end),
                             ustring(arguments[2].begin, arguments[2].end)))
        view->options()->notifyChanged();
}

void toggleOption(TextBufferView* view, const Arguments& arguments)
{
    if (!view->options() || arguments.size() < 2)
        return;
    const ustring key(arguments[1].begin, arguments[1].end);
    bool value = false;
    view->options()->getBool(key, value);
    if (view->options()->setBool(key, !value))
        view->options()->notifyChanged();
}

// Runs the newest text-changing command again, as many times as its group
// merged it. The first run starts a group of its own.
void repeat(TextBuffer& buffer, CommandRunner* runner)
{
    if (!runner)
        return;
    const std::pair<ustring, int32_t> last = buffer.lastCommand();
    const slate::usubstring line(last.first);
    for (int32_t i = 0; !last.first.empty() && i < last.second; ++i) {
        if (runner->has(line) && runner->isEnabled(line))
            runner->exec(line);
        else
            VLOG << u"Can't run command " << last.first;
    }
}

// Runs each line that is enabled when its turn comes; the caller's group
// holds every run, so they undo as one step.
void runEnabled(CommandRunner& runner, const ustring& line, int count)
{
    for (int i = 0; i < count; ++i) {
        if (runner.isEnabled(slate::usubstring(line)))
            runner.exec(slate::usubstring(line));
    }
}

// "times": the count, then the words of one command line.
void times(TextBufferView* view, CommandRunner* runner, const Arguments& arguments)
{
    if (!runner || arguments.size() < 3)
        return;
    ScopedUndoGroup group(joinCommandLine(arguments), view->sharedBuffer(), false, false);
    runEnabled(*runner, joinCommandLine(arguments, 2), toInt(arguments[1]));
}

// "sequence": every argument is a whole command line.
void sequence(TextBufferView* view, CommandRunner* runner, const Arguments& arguments)
{
    if (!runner || arguments.size() < 2)
        return;
    ScopedUndoGroup group(joinCommandLine(arguments), view->sharedBuffer(), false, false);
    for (size_t i = 1; i < arguments.size(); ++i)
        runEnabled(*runner, arguments[i].str(), 1);
}

// Plays every macro file named by the arguments, in one group. A file that
// cannot be read is reported and passed over; a run stopped for nesting too
// deep stops the rest.
void runMacroFiles(TextBufferView* view, CommandRunner* runner, bool silent, const Arguments& arguments)
{
    if (!runner || arguments.size() < 2)
        return;
    ScopedUndoGroup group(joinCommandLine(arguments), view->sharedBuffer(), false, false);
    for (size_t i = 1; i < arguments.size(); ++i) {
        const ustring path = arguments[i].str();
        std::vector<ustring> lines;
        ustring error;
        if (!readMacroFile(path, lines, error)) {
            VLOG << error;
            setStatus(u"Unable to open " + path);
            continue;
        }
        if (!silent)
            setStatus(u"Running macro " + pathStem(arguments[i], u'/').str());
        if (!playMacroCommands(*runner, lines))
            return;
    }
}

void startRecord(TextBuffer& buffer)
{
    setStatus(u"Starting to record macro...");
    buffer.beginMacroRecording();
}

} // namespace

void addTextCommands(const slate::SP<TextBufferView>& sharedView, CommandMap& map, CommandRunner* runner,
                     bool multiLine, MoveOverflowFunction moveOverflow, Window* window)
{
    TextBufferView* view = sharedView.get();
    TextBuffer* buffer = view->buffer();
    auto always = [](auto function) { return [function](const Arguments&) { function(); }; };
    auto when = [](auto predicate) { return [predicate](const Arguments&) { return predicate(); }; };
    auto hasFileSource = when([buffer] { return buffer->source() != nullptr; });
    auto selected = when([view] { return hasSelection(ViewPtr(view)); });
    auto macroRunnable = when([buffer] { return canRunMacro(*buffer); });
    auto historyBack = when([view] { return view->selectionHistory().hasPrevious(); });

    map.addEnabled("revert", always([buffer] { buffer->revert(); }),
                   when([buffer] { return buffer->canRevert(); }));
    map.addEnabled("undo", always([sharedView] { undoAndShow(*sharedView); }),
                   when([buffer] { return buffer->canUndo(); }));
    map.addEnabled("redo", always([sharedView] { redoAndShow(*sharedView); }),
                   when([buffer] { return buffer->canRedo(); }));
    map.addEnabled("softUndo", always([sharedView] { softUndoAndShow(*sharedView); }),
                   when([buffer] { return buffer->canSoftUndo(); }));
    map.addEnabled("softRedo", always([sharedView] { softRedoAndShow(*sharedView); }),
                   when([buffer] { return buffer->canSoftRedo(); }));
    map.addEnabled("repeat", always([buffer, runner] { repeat(*buffer, runner); }),
                   when([buffer] { return buffer->canUndo(); }));
    map.addEnabledValue(
        "redoOrRepeat", always([view, buffer, runner] {
            if (buffer->canRedo())
                redoAndShow(*view);
            else if (!buffer->historyReplayed())
                repeat(*buffer, runner);
        }),
        when([buffer] { return buffer->canRedo() || (buffer->canUndo() && !buffer->historyReplayed()); }),
        [buffer](const Arguments&) {
            return ustring(buffer->canRedo() || buffer->historyReplayed() ? u"Redo" : u"Repeat");
        });
    map.addEnabled("cut", always([view] { cut(ViewPtr(view)); }), selected);
    map.addEnabled("copy", always([view] { copy(ViewPtr(view)); }), selected);
    map.add("paste", always([view, multiLine] { paste(ViewPtr(view), false, multiLine); }));
    map.add("pasteAndIndent", always([view, multiLine] { paste(ViewPtr(view), true, multiLine); }));
    map.add("insertCharacters", [view, multiLine](const Arguments& arguments) {
        insertText(view, multiLine, insertCharacters, arguments);
    });
    map.add("insertAndDecodeCharacters", [view, multiLine](const Arguments& arguments) {
        insertText(view, multiLine, insertAndDecodeCharacters, arguments);
    });
    map.add("overwriteAndDecodeCharacters", [view, multiLine](const Arguments& arguments) {
        insertText(view, multiLine, overwriteAndDecodeCharacters, arguments);
    });
    map.add("leftDeleteCharacters", always([view] { leftDeleteCharacters(ViewPtr(view), true); }));
    map.add("leftDeleteCharactersSingle", always([view] { leftDeleteCharacters(ViewPtr(view), false); }));
    map.add("rightDeleteCharacters", always([view] { rightDeleteCharacters(ViewPtr(view)); }));
    map.add("fixedDeleteCharacters",
            [view](const Arguments& arguments) { fixedDeleteCharacters(view, arguments); });
    map.addEnabled("openFolder", always([view] { openFolder(ViewPtr(view)); }), hasFileSource);
    map.addEnabled("copyPath", always([view] { copyPath(ViewPtr(view)); }), hasFileSource);
    map.add("join", always([view] { join(ViewPtr(view)); }));
    map.add("indent", always([view] { indent(ViewPtr(view), u"\t"); }));
    map.add("unindent", always([view] { unindent(ViewPtr(view)); }));
    map.add("reindent", always([view] { reindent(ViewPtr(view)); }));
    map.add("invertSelection", always([sharedView] { invertSelection(sharedView); }));
    map.add("selectAll", always([sharedView] { selectAll(sharedView); }));
    map.add("move", [view, multiLine, moveOverflow](const Arguments& arguments) {
        move(view, multiLine, moveOverflow, arguments);
    });
    map.add("moveTo", [view](const Arguments& arguments) { moveTo(view, arguments); });
    map.add("expandSelectionTo", [view](const Arguments& arguments) { expandSelectionTo(view, arguments); });
    map.add("scroll", [view](const Arguments& arguments) {
        if (arguments.size() >= 2)
            scrollLines(*view, static_cast<float>(toInt(arguments[1])), 0.f, false, true);
    });
    map.add("selectLines", [view](const Arguments& arguments) {
        if (arguments.size() >= 2)
            selectLines(ViewPtr(view), toInt(arguments[1]) > 0);
    });
    map.add("deleteOver", [view](const Arguments& arguments) {
        runOverMovement(view, arguments, false, true, [view] { deleteCharacters(ViewPtr(view)); });
    });
    map.add("copyOver", [view](const Arguments& arguments) {
        runOverMovement(view, arguments, true, true, [view] { copy(ViewPtr(view)); });
    });
    map.add("cutOver", [view](const Arguments& arguments) {
        runOverMovement(view, arguments, false, true, [view] { cut(ViewPtr(view)); });
    });
    map.add("pasteAt", [view, multiLine](const Arguments& arguments) {
        runOverMovement(view, arguments, false, false, [view, multiLine] { paste(ViewPtr(view), true, multiLine); });
    });
    map.addChecked("set", [view](const Arguments& arguments) { setOption(view, arguments); },
                   [view](const Arguments& arguments) {
                       const ustring* value = arguments.size() >= 3 ? optionValue(view, arguments) : nullptr;
                       return value && *value == ustring(arguments[2].begin, arguments[2].end);
                   });
    map.addEnabledValue(
        "toggle", [view](const Arguments& arguments) { toggleOption(view, arguments); },
        [view](const Arguments& arguments) { return view->options() && arguments.size() >= 2; },
        [view](const Arguments& arguments) {
            const ustring* value = optionValue(view, arguments);
            return ustring(value && *value == u"true" ? u"true" : u"false");
        });
    map.addEnabled("nextMisspelledWord", always([view] { nextMisspelledWord(*view); }),
                   when([view] { return hasMisspelledWords(*view); }));
    map.addEnabled("prevMisspelledWord", always([view] { prevMisspelledWord(*view); }),
                   when([view] { return hasMisspelledWords(*view); }));
    map.add("toggleBookmark", always([view] { toggleBookmark(*view); }));
    map.add("nextBookmark", always([view] { nextBookmark(*view); }));
    map.add("prevBookmark", always([view] { prevBookmark(*view); }));
    map.add("allBookmarks", always([view] { allBookmarks(*view); }));
    map.add("clearBookmarks", always([view] { clearBookmarks(*view); }));
    map.addEnabledValue(
        "gotoBookmark",
        [view](const Arguments& arguments) {
            if (arguments.size() >= 2)
                gotoBookmark(*view, toInt(arguments[1]));
        },
        [view](const Arguments& arguments) {
            return arguments.size() >= 2 && bookmarkIndexValid(*view, toInt(arguments[1]));
        },
        [view, buffer](const Arguments& arguments) {
            if (arguments.size() < 2)
                return ustring();
            const int index = toInt(arguments[1]);
            if (index == 0 && buffer->m_bookmarks.empty())
                return ustring(u"(No Bookmarks)");
            return bookmarkLabel(*view, index);
        });
    map.addValue("toggleRecord", always([buffer] {
                     if (buffer->isRecordingMacro())
                         stopMacroRecording(*buffer);
                     else
                         startRecord(*buffer);
                 }),
                 [buffer](const Arguments&) {
                     return ustring(buffer->isRecordingMacro() ? u"Stop Recording Macro" : u"Record Macro");
                 });
    map.add("startRecord", always([buffer] { startRecord(*buffer); }));
    map.addEnabled("stopRecord", always([buffer] { stopMacroRecording(*buffer); }),
                   when([buffer] { return buffer->isRecordingMacro(); }));
    map.add("runMacroFile",
            [view, runner](const Arguments& arguments) { runMacroFiles(view, runner, false, arguments); });
    map.add("runMacroFileSilently",
            [view, runner](const Arguments& arguments) { runMacroFiles(view, runner, true, arguments); });
    map.addEnabled("runMacro", always([view, runner] {
                       if (runner)
                           runMacro(view->sharedBuffer(), *runner);
                   }),
                   macroRunnable);
    map.addEnabled("saveMacro", always([window] { saveMacro(window); }), macroRunnable);
    map.add("times", [view, runner](const Arguments& arguments) { times(view, runner, arguments); });
    map.add("sequence", [view, runner](const Arguments& arguments) { sequence(view, runner, arguments); });
    // Enabled whatever the arguments, so that a menu of endings is never
    // greyed out; an unknown name does nothing.
    map.addEnabledChecked(
        "setLineEnding",
        [buffer](const Arguments& arguments) {
            LineEnding ending;
            if (arguments.size() >= 2 && lineEndingFromName(arguments[1], ending)) {
                buffer->setLineEnding(ending);
                buffer->markModified();
            }
        },
        CommandMap::EnabledFunction(),
        [buffer](const Arguments& arguments) {
            LineEnding ending;
            return arguments.size() >= 2 && lineEndingFromName(arguments[1], ending) &&
                buffer->lineEnding() == ending;
        });
    map.add("markSelection", always([view] { view->mutableSelectionHistory().push(); }));
    map.addEnabled("prevInSelectionHistory", always([view] {
                       view->mutableSelectionHistory().previous();
                       showLastSelection(*view);
                   }),
                   historyBack);
    map.addEnabled("nextInSelectionHistory", always([view] {
                       view->mutableSelectionHistory().next();
                       showLastSelection(*view);
                   }),
                   when([view] { return view->selectionHistory().hasNext(); }));
    map.add("clearSelectionHistory", always([view] { view->mutableSelectionHistory().clear(); }));
    map.addEnabled("mergeSelection", always([view] { view->mutableSelectionHistory().merge(); }),
                   historyBack);
    map.addEnabled("conflateSelection", always([view] { view->mutableSelectionHistory().conflate(); }),
                   historyBack);
    map.addEnabled("nextField", always([view] { nextField(ViewPtr(view)); }),
                   when([view] { return hasNextField(ViewPtr(view)); }));
    map.addEnabled("prevField", always([view] { prevField(ViewPtr(view)); }),
                   when([view] { return hasPrevField(ViewPtr(view)); }));
    map.add("clearFields", always([view] { clearFields(ViewPtr(view)); }));
    map.addEnabled("insertSnippet",
                   [view](const Arguments& arguments) { insertNamedSnippet(ViewPtr(view), arguments); },
                   hasNamedSnippet);
    map.add("insertInlineSnippet",
            [view](const Arguments& arguments) { insertInlineSnippet(ViewPtr(view), arguments); });
    map.addEnabled("splitSelectionIntoLines", always([view] { splitSelectionIntoLines(ViewPtr(view)); }),
                   when([view] { return newlineInSelection(ViewPtr(view)); }));
    map.addEnabled("splitSelection", always([view] { splitSelection(ViewPtr(view)); }),
                   when([view] { return hasNonEmptySelectionRegion(ViewPtr(view)); }));
    map.addEnabled("singleSelection", always([view] { singleSelection(ViewPtr(view)); }), selected);
    map.add("markUndoGroupsForGluing", always([buffer] { buffer->markUndoGroupsForGluing(); }));
    map.add("glueMarkedUndoGroups", always([buffer] { buffer->glueMarkedUndoGroups(); }));
    map.add("displayName", always([view, buffer] {
                const SelectionSet& selection = view->sel();
                if (!selection.empty())
                    setStatus(buffer->syntaxName(selection[selection.size() - 1].begin()).str());
            }));
    map.add("toggleOverwrite", always([view] { view->setOverwrite(!view->overwrite()); }));
}
