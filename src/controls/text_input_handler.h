// The input region of a text control for one frame: the view's only input
// path. It turns presses into selections and starts the text drags, inserts
// typed and predicted characters, runs text commands through its own chain
// (the text command map, then the plug-in text runner), answers key-binding
// context queries about the view and opens the view's context menu.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "controls/text_control_bindings.h"
#include "input/command_map.h"
#include "input/multi_command_runner.h"
#include "input/user_command_runner.h"
#include "ui/input_region.h"
#include "ui/reference_counted.h"

class TextBufferView;

// Created with `new` while the control draws and handed to the parent
// region, which owns it; it dies with the frame's region tree. The view
// names the handler of the newest frame: a frame drawn while an older tree
// is kept alive (a modal dialog or menu opened by an event that began in
// it) takes the view over, and the older handler leaves it alone when it
// goes. Main thread only.
class TextInputHandler : public InputRegion, public CommandRunner {
public:
    using ReturnFunction = std::function<void(bool ctrl, bool alt, bool shift)>;
    using ModifiedFunction = std::function<void()>;
    using DoubleClickFunction = std::function<void(int64_t position)>;

    // `view` is never null. `multiLine` is false for a single-line field.
    // Any of the callables may be empty: `onReturn` takes Return (and then
    // Tab moves the focus), `onModified` follows every change the control
    // makes, `onDoubleClick` replaces word selection, and `moveOverflow`
    // takes line moves a field cannot make.
    TextInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                     const slate::SP<TextBufferView>& view, bool multiLine, ReturnFunction onReturn,
                     ModifiedFunction onModified, DoubleClickFunction onDoubleClick,
                     MoveOverflowFunction moveOverflow);
    // Unbinds the view.
    ~TextInputHandler() override;

    // InputRegion.
    bool onInputEvent(const KeyEvent& event) override;
    bool onMotion(const MotionEvent& event) override;
    bool onCharacter(const CharacterEvent& event) override;
    bool onContextMenuKey() override;
    bool cursor(const InputState& state, CursorKind& kind) override;
    bool acceptsFocus() override { return true; }
    void onFocus() override;
    bool wantsTab() override { return !m_onReturn; }
    // Fills the command map on first use, then returns this handler.
    CommandRunner* commandRunner() override;
    bool checkContext(const ustring& name, const ustring& value, bool& result) override;
    bool onPredictedCharacter(const CharacterEvent& event) override;
    void cancelPrediction() override;
    void commitPrediction() override;

    // CommandRunner. exec calls onModified when the buffer's text changed.
    void exec(const slate::usubstring& line) override;
    bool isEnabled(const slate::usubstring& line) override;
    ustring value(const slate::usubstring& line) override;
    bool has(const slate::usubstring& line) override;

    // Opens the view's context menu for `position` at the window point (x, y).
    void contextMenu(int64_t position, float x, float y);

    const slate::SP<TextBufferView>& view() const { return m_view; }

private:
    // Runs command lines on the current handler of one view. The text
    // commands get it in place of the handler itself: it outlives this frame's
    // handler for as long as any copy of a command does, so a command picked
    // from a menu after the region tree was replaced runs on the handler of
    // the frame it is picked in (or nowhere when the view has none).
    class Relay;

    void fillCommands();
    int64_t positionUnder(const InputState& state);
    bool leftOfText(const InputState& state);
    void leftPress(const KeyEvent& event);
    void doubleClick(const KeyEvent& event);
    bool typeCharacter(const CharacterEvent& event);
    bool commandMode() const;

    slate::SP<TextBufferView> m_view; // never null
    bool m_multiLine;
    ReturnFunction m_onReturn;
    ModifiedFunction m_onModified;
    DoubleClickFunction m_onDoubleClick;
    MoveOverflowFunction m_moveOverflow;
    MultiCommandRunner m_runner; // m_commands, then m_userCommands when a plug-in runner was installed
    CommandMap m_commands; // empty until first needed
    ParameterisedCommandRunnerBinding<slate::SP<TextBufferView>> m_userCommands;
    std::shared_ptr<Relay> m_relay; // shared with every command m_commands holds
};
