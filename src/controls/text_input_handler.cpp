// The text control's input region. A new handler is made every frame, so it
// keeps nothing the next frame needs: the selection lives in the view, the
// focus in the window, and a drag in its own handler, which holds the view.
// The command map is filled only in a frame in which a command, a binding or
// a menu reaches the control.
//
// The text commands that run other command lines (macros, repetitions) are
// given a relay instead of the handler: a command copied out of the map (a
// context menu's runner) can outlive the handler when a modal loop draws a
// new frame, and then reaches the view's handler of that frame.
#include "controls/text_input_handler.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "controls/clipboard_commands.h"
#include "controls/context_menu_commands.h"
#include "controls/text_area.h"
#include "controls/text_drag_handlers.h"
#include "ui/base_window.h"
#include "ui/key_codes.h"
#include "ui/log.h"
#include "ui/menu_descriptor.h"
#include "ui/notification_manager.h"
#include "ui/text/snippet_insertion.h"
#include "ui/text/text_buffer_expansion.h"
#include "ui/text/text_buffer_functions.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"
#include "ui/unicode.h"
#include "window_manager/window.h"

class TextInputHandler::Relay final : public CommandRunner {
public:
    explicit Relay(slate::SP<TextBufferView> view) : m_view(std::move(view)) {}

    void exec(const slate::usubstring& line) override
    {
        if (CommandRunner* runner = current())
            runner->exec(line);
    }
    bool isEnabled(const slate::usubstring& line) override
    {
        CommandRunner* runner = current();
        return runner && runner->isEnabled(line);
    }
    ustring value(const slate::usubstring& line) override
    {
        CommandRunner* runner = current();
        return runner ? runner->value(line) : ustring();
    }
    bool has(const slate::usubstring& line) override
    {
        CommandRunner* runner = current();
        return runner && runner->has(line);
    }

private:
    CommandRunner* current() const
    {
        InputRegion* region = m_view->inputRegion();
        return region ? region->commandRunner() : nullptr;
    }

    slate::SP<TextBufferView> m_view;
};

namespace {

// Makes every function of every entry of `map` hold `owner`, so that what
// the entries point into lives as long as any copy of them.
void holdInEntries(CommandMap& map, const std::shared_ptr<void>& owner)
{
    std::vector<std::pair<ustring, CommandMap::Entry>> entries(map.entries().begin(), map.entries().end());
    for (auto& [name, entry] : entries) {
        if (entry.exec)
            entry.exec = [owner, f = std::move(entry.exec)](const CommandArguments& a) { f(a); };
        if (entry.enabled)
            entry.enabled = [owner, f = std::move(entry.enabled)](const CommandArguments& a) { return f(a); };
        if (entry.value)
            entry.value = [owner, f = std::move(entry.value)](const CommandArguments& a) { return f(a); };
        if (entry.checked)
            entry.checked = [owner, f = std::move(entry.checked)](const CommandArguments& a) { return f(a); };
        const std::string utf8 = toUtf8(name);
        map.addEntry(slate::substring(utf8), std::move(entry));
    }
}

// The binding contexts the control answers itself, sorted by name in
// code-unit order for the binary search.
enum class ContextTest {
    AllContainedText,
    AllFollowingCharacter,
    AllFollowingText,
    AllPrecedingCharacter,
    AllPrecedingText,
    AllSelectionsEmpty,
    AllSelectionsNonEmpty,
    CanPopSelection,
    CanUnpopSelection,
    HasMultipleSelections,
    HasNextField,
    HasPrevField,
    NewlineInSelection,
    NoContainedText,
    NoFollowingCharacter,
    NoFollowingText,
    NoPrecedingCharacter,
    NoPrecedingText,
    NotOption,
    Option,
    Selector,
};

struct ContextEntry {
    const char16_t* name;
    ContextTest test;
};

// "allPreceedingText" and "noPreceedingText" are misspellings key maps in
// the wild rely on.
constexpr ContextEntry kContexts[] = {
    {u"allContainedText", ContextTest::AllContainedText},
    {u"allFollowingCharacter", ContextTest::AllFollowingCharacter},
    {u"allFollowingText", ContextTest::AllFollowingText},
    {u"allPrecedingCharacter", ContextTest::AllPrecedingCharacter},
    {u"allPrecedingText", ContextTest::AllPrecedingText},
    {u"allPreceedingText", ContextTest::AllPrecedingText},
    {u"allSelectionsEmpty", ContextTest::AllSelectionsEmpty},
    {u"allSelectionsNonEmpty", ContextTest::AllSelectionsNonEmpty},
    {u"canPopSelection", ContextTest::CanPopSelection},
    {u"canUnpopSelection", ContextTest::CanUnpopSelection},
    {u"hasMultipleSelections", ContextTest::HasMultipleSelections},
    {u"hasNextField", ContextTest::HasNextField},
    {u"hasPrevField", ContextTest::HasPrevField},
    {u"newlineInSelection", ContextTest::NewlineInSelection},
    {u"noContainedText", ContextTest::NoContainedText},
    {u"noFollowingCharacter", ContextTest::NoFollowingCharacter},
    {u"noFollowingText", ContextTest::NoFollowingText},
    {u"noPrecedingCharacter", ContextTest::NoPrecedingCharacter},
    {u"noPrecedingText", ContextTest::NoPrecedingText},
    {u"noPreceedingText", ContextTest::NoPrecedingText},
    {u"notOption", ContextTest::NotOption},
    {u"option", ContextTest::Option},
    {u"selector", ContextTest::Selector},
};

const ContextEntry* findContext(const ustring& name)
{
    const ContextEntry* end = std::end(kContexts);
    const ContextEntry* found = std::lower_bound(
        std::begin(kContexts), end, name,
        [](const ContextEntry& entry, const ustring& key) { return key.compare(entry.name) > 0; });
    return found != end && name == found->name ? found : nullptr;
}

bool everySelectionMatches(TextBufferView& view, const ustring& selector)
{
    for (const SelectionRegion& region : view.sel()) {
        if (!view.buffer()->matchSelector(region.a, selector))
            return false;
        if (!region.empty() && !view.buffer()->matchSelector(region.b, selector))
            return false;
    }
    return true;
}

// A test of the character next to each selection, which only a one-unit
// operand names; false (not handled) for any other.
bool characterTest(bool (*test)(const ViewPtr&, uchar), const slate::SP<TextBufferView>& view,
                   const ustring& operand, bool& result)
{
    if (operand.size() != 1)
        return false;
    result = test(view, operand[0]);
    return true;
}

// Answers `test` into `result`; false for a character test whose operand
// is not one code unit.
bool runContextTest(ContextTest test, const slate::SP<TextBufferView>& view, const ustring& operand,
                    bool& result)
{
    const bool wanted = operand == u"true";
    auto flag = [&](bool truth) { result = truth == wanted; };
    switch (test) {
    case ContextTest::AllContainedText:
        result = matchText(view, operand, kMatchSelected, false);
        return true;
    case ContextTest::AllFollowingText:
        result = matchText(view, operand, kMatchFollowing, false);
        return true;
    case ContextTest::AllPrecedingText:
        result = matchText(view, operand, kMatchPreceding, false);
        return true;
    case ContextTest::NoContainedText:
        result = matchText(view, operand, kMatchSelected, true);
        return true;
    case ContextTest::NoFollowingText:
        result = matchText(view, operand, kMatchFollowing, true);
        return true;
    case ContextTest::NoPrecedingText:
        result = matchText(view, operand, kMatchPreceding, true);
        return true;
    case ContextTest::AllFollowingCharacter:
        return characterTest(allFollowingCharacter, view, operand, result);
    case ContextTest::AllPrecedingCharacter:
        return characterTest(allPrecedingCharacter, view, operand, result);
    case ContextTest::NoFollowingCharacter:
        return characterTest(noFollowingCharacter, view, operand, result);
    case ContextTest::NoPrecedingCharacter:
        return characterTest(noPrecedingCharacter, view, operand, result);
    case ContextTest::AllSelectionsEmpty:
        flag(allSelectionsEmpty(view));
        return true;
    case ContextTest::AllSelectionsNonEmpty:
        flag(allSelectionsNonEmpty(view));
        return true;
    case ContextTest::CanPopSelection:
        flag(view->selectionHistory().hasPrevious());
        return true;
    case ContextTest::CanUnpopSelection:
        flag(view->selectionHistory().hasNext());
        return true;
    case ContextTest::HasMultipleSelections:
        flag(view->sel().size() > 1);
        return true;
    case ContextTest::HasNextField:
        flag(hasNextField(view));
        return true;
    case ContextTest::HasPrevField:
        flag(hasPrevField(view));
        return true;
    case ContextTest::NewlineInSelection:
        flag(newlineInSelection(view));
        return true;
    case ContextTest::Option:
        result = viewOptionIsTrue(*view, operand);
        return true;
    case ContextTest::NotOption:
        result = !viewOptionIsTrue(*view, operand);
        return true;
    case ContextTest::Selector:
        result = everySelectionMatches(*view, operand);
        return true;
    }
    return false;
}

void startDrag(InputRegion& region, DragHandler* drag)
{
    if (Window* platformWindow = region.window())
        platformWindow->beginDrag(drag);
    else
        delete drag;
}

} // namespace

TextInputHandler::TextInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                                   const slate::SP<TextBufferView>& view, bool multiLine, ReturnFunction onReturn,
                                   ModifiedFunction onModified, DoubleClickFunction onDoubleClick,
                                   MoveOverflowFunction moveOverflow)
    : InputRegion(window, id, rect),
      m_view(view),
      m_multiLine(multiLine),
      m_onReturn(std::move(onReturn)),
      m_onModified(std::move(onModified)),
      m_onDoubleClick(std::move(onDoubleClick)),
      m_moveOverflow(std::move(moveOverflow)),
      m_userCommands(g_userCommandRunner, view)
{
    VASSERT(m_view);
    const interval2 area = textAreaRect(m_rect, *m_view);
    m_view->setInputRegion(this, area.x0, area.y0);
    m_runner.addRunner(&m_commands);
    if (g_userCommandRunner)
        m_runner.addRunner(&m_userCommands);
}

TextInputHandler::~TextInputHandler()
{
    if (m_view->inputRegion() == this)
        m_view->setInputRegion(nullptr, 0.f, 0.f);
}

void TextInputHandler::fillCommands()
{
    if (!m_commands.empty())
        return;
    if (!m_relay)
        m_relay = std::make_shared<Relay>(m_view);
    addTextCommands(m_view, m_commands, m_relay.get(), m_multiLine, m_moveOverflow, window());
    holdInEntries(m_commands, m_relay);
}

int64_t TextInputHandler::positionUnder(const InputState& state)
{
    const interval2 area = textAreaRect(m_rect, *m_view);
    return m_view->positionAtWindowPoint(vector2{state.x - area.x0, state.y - area.y0});
}

bool TextInputHandler::leftOfText(const InputState& state)
{
    return state.x < textAreaRect(m_rect, *m_view).x0;
}

bool TextInputHandler::commandMode() const { return viewOptionIsTrue(*m_view, u"commandMode"); }

bool TextInputHandler::onInputEvent(const KeyEvent& event)
{
    const InputState& state = event.state;
    if (event.code == kKeyEnter && event.pressed) {
        if (!m_onReturn)
            return false;
        m_onReturn(state.controlDown(), state.altDown(), state.shiftDown());
        return true;
    }
    if ((event.code == kMouseLeft && event.pressed) || event.code == kMouseTripleClick) {
        leftPress(event);
        return true;
    }
    if (event.code == kMouseDoubleClick && event.pressed) {
        doubleClick(event);
        return true;
    }
    const bool columnPress = event.pressed && (event.code == kMouseMiddle ||
                                               (event.code == kMouseRight && state.shiftDown()));
    if (columnPress) {
        if (event.code == kMouseMiddle)
            m_window->focusState()->setFocusPath(this);
        const vector2 origin = m_view->textOrigin();
        beginColumnSelection(*this, m_view, event, origin.x, origin.y);
        return true;
    }
    if (event.code == kMouseRight && !event.pressed && !state.shiftDown()) {
        contextMenu(positionUnder(state), state.x, state.y);
        return true;
    }
    return false;
}

void TextInputHandler::leftPress(const KeyEvent& event)
{
    const InputState& state = event.state;
    const bool triple = event.code == kMouseTripleClick;
    SelectionSet base = m_view->sel();
    const int64_t position = positionUnder(state);
    SelectionRegion anchor(position, position);
    if (triple || leftOfText(state))
        anchor = SelectionRegion(lineStart(m_view, position), fullLineEnd(m_view, position));
    if (state.shiftDown() && base.size() > 0)
        anchor = base[base.size() - 1].cover(anchor);
    else if (!state.altDown() && !state.controlDown())
        base.clear();

    FocusState* focus = m_window->focusState();
    const bool wasFocused = focus->isFocusedLeaf(m_id);
    if (!wasFocused)
        focus->setFocusPath(this);
    m_view->buffer()->beginUndoGroup(ustring());
    if (wasFocused) {
        SelectionSet selection = base;
        if (state.altDown())
            selection.subtract(anchor);
        else
            selection.add(anchor);
        m_view->mutableSel() = selection;
        showPoint(*m_view, position, false);
    }
    startDrag(*this, new TextDragHandler(m_rect, m_view, state.x, state.y, state.altDown(), triple, false, base,
                                         anchor));
}

void TextInputHandler::doubleClick(const KeyEvent& event)
{
    const InputState& state = event.state;
    const int64_t position = positionUnder(state);
    if (m_onDoubleClick) {
        m_onDoubleClick(position);
        return;
    }
    TextBuffer& buffer = *m_view->buffer();
    if (leftOfText(state)) {
        if (state.altDown()) {
            buffer.beginUndoGroup(ustring());
            m_view->mutableSel() = SelectionSet(SelectionRegion(0, 0));
            buffer.endUndoGroup(false, false);
        } else {
            selectAll(m_view);
        }
        return;
    }
    const SelectionRegion clicked = word(m_view, position);
    buffer.beginUndoGroup(ustring());
    SelectionSet& selection = m_view->mutableSel();
    if (state.altDown()) {
        selection.subtract(clicked);
    } else {
        if (!state.controlDown())
            selection.clear();
        selection.add(clicked);
    }
    showPoint(*m_view, clicked.a, false);
    startDrag(*this, new TextDragHandler(m_rect, m_view, state.x, state.y, state.altDown(), false, true,
                                         m_view->sel(), clicked));
}

void TextInputHandler::contextMenu(int64_t position, float x, float y)
{
    const slate::SP<Options>& options = m_view->options();
    const ustring* file = options ? options->find(slate::substring("contextMenu")) : nullptr;
    if (!file)
        return;
    fillCommands();
    textContextMenu(m_view, m_commands, position, m_window->commandRunner());
    slate::SP<MenuDescriptor> menu(new MenuDescriptor);
    ustring error;
    if (!menu->load(*file, error)) {
        NotificationManager::get().displayError(error);
        return;
    }
    Window* platformWindow = window();
    if (!platformWindow)
        return;
    // The menu's modal loop draws frames, and a frame frees this handler:
    // from here on only locals are used. The copied commands refer to the
    // view, which this reference keeps.
    const slate::SP<TextBufferView> view = m_view;
    CommandMap commands = m_commands;
    MultiCommandRunner runner;
    runner.addRunner(&commands);
    runner.addRunner(m_window->commandRunner());
    ustring picked;
    if (platformWindow->showPopupMenu(picked, menu, &runner, x, y, PopupMenuFlags::None))
        runner.exec(slate::usubstring(picked));
}

bool TextInputHandler::onMotion(const MotionEvent& event)
{
    return scrollViewByWheel(*m_view, event);
}

bool TextInputHandler::typeCharacter(const CharacterEvent& event)
{
    if (event.character < 32 && event.character != u'\t')
        return false;
    const ustring text(1, static_cast<uchar>(event.character));
    if (m_view->overwrite())
        overwriteAndDecodeCharacters(m_view, text);
    else
        insertAndDecodeCharacters(m_view, text);
    if (m_onModified)
        m_onModified();
    return true;
}

bool TextInputHandler::onCharacter(const CharacterEvent& event)
{
    if (m_view->buffer()->isPredicting())
        return true;
    if (commandMode())
        return false;
    return typeCharacter(event);
}

bool TextInputHandler::onPredictedCharacter(const CharacterEvent& event)
{
    if (commandMode())
        return false;
    if (!m_view->buffer()->isPredicting())
        m_view->buffer()->beginPrediction();
    return typeCharacter(event);
}

void TextInputHandler::cancelPrediction()
{
    if (m_view->buffer()->isPredicting())
        m_view->buffer()->cancelPrediction();
}

void TextInputHandler::commitPrediction()
{
    if (m_view->buffer()->isPredicting())
        m_view->buffer()->commitPrediction();
}

bool TextInputHandler::onContextMenuKey()
{
    const SelectionSet& selection = m_view->sel();
    if (selection.size() == 0)
        return false;
    const int64_t position = selection[selection.size() - 1].begin();
    showPoint(*m_view, position, true);
    const LayoutPoint layout = m_view->textToLayout(position);
    const LayoutPoint point = m_view->layoutToWindow(layout.x, layout.y);
    const interval2 area = textAreaRect(m_rect, *m_view);
    contextMenu(position, static_cast<float>(point.x) + area.x0, static_cast<float>(point.y) + area.y0);
    return true;
}

bool TextInputHandler::cursor(const InputState& state, CursorKind& kind)
{
    kind = state.x > m_rect.x0 + gutterArea(*m_view) ? CursorKind::Text : CursorKind::Arrow;
    return true;
}

void TextInputHandler::onFocus() { m_view->activate(); }

CommandRunner* TextInputHandler::commandRunner()
{
    fillCommands();
    return this;
}

bool TextInputHandler::checkContext(const ustring& name, const ustring& value, bool& result)
{
    if (const ContextEntry* entry = findContext(name))
        return runContextTest(entry->test, m_view, value, result);
    for (const TextBufferView::QueryContextListener& listener : m_view->queryContextListeners()) {
        if (listener(name, value, result))
            return true;
    }
    return false;
}

void TextInputHandler::exec(const slate::usubstring& line)
{
    // A command may open a modal loop that frees this handler.
    const slate::SP<TextBuffer> buffer = m_view->sharedBuffer();
    const uint32_t before = buffer->changeCount();
    const ModifiedFunction onModified = m_onModified;
    m_runner.exec(line);
    if (buffer->changeCount() != before && onModified)
        onModified();
}

bool TextInputHandler::isEnabled(const slate::usubstring& line) { return m_runner.isEnabled(line); }

ustring TextInputHandler::value(const slate::usubstring& line) { return m_runner.value(line); }

bool TextInputHandler::has(const slate::usubstring& line) { return m_runner.has(line); }
