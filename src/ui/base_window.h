// The content side of a platform window. WindowHandler is what a platform
// window drives: it hands over the canvas, input, the time and activation,
// and asks for frames, cursor shapes and key texts. BaseWindow implements it
// for the immediate-mode toolkit: each frame rebuilds the tree of input
// regions through a draw function, keyboard focus is kept as a path of
// region ids across frames, keys and characters go along that path and then
// to the window's BindingMap, pending keys show as a prediction, and command
// lines run on the first focused region whose runner takes them.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "input/command_runner.h"
#include "ui/input_events.h"
#include "ui/input_region.h"
#include "ui/interval2.h"
#include "ui/mouse_history.h"
#include "ui/ustring.h"

class BindingMap;
class Canvas;
class Theme;
class Window;
struct InputAction;

// The interface through which a platform window drives its content. Every
// entry point is called on the main thread, from the window procedure or
// code it calls.
class WindowHandler {
public:
    WindowHandler() = default;
    virtual ~WindowHandler() = default;
    WindowHandler(const WindowHandler&) = delete;
    WindowHandler& operator=(const WindowHandler&) = delete;

    // The canvas of the window's peer (borrowed); given exactly once.
    virtual void setCanvas(Canvas* canvas) = 0;
    // True when the key or button was consumed; an unconsumed key is then
    // translated into characters by the platform window.
    virtual bool onKeyOrButton(const KeyEvent& event) = 0;
    // True when the window should repaint.
    virtual bool onMotion(const MotionEvent& event) = 0;
    virtual bool onCharacter(const CharacterEvent& event) = 0;
    // `path` is NUL-terminated; true when a region took the file.
    virtual bool onDropFile(float x, float y, const uchar* path);
    virtual bool onContextMenuKey() = 0;
    // The arguments a second instance of the program passed on.
    virtual void onCommandLine(const std::vector<ustring>& arguments) = 0;
    virtual CursorKind cursorAt(const InputState& state) = 0;
    // The keys bound to a command line, for menus; empty for none.
    virtual ustring keyText(const slate::usubstring& commandLine) = 0;
    // The time in seconds; called at least every 33 ms while frames go on.
    virtual void update(double time);
    // Draws a frame; false asks for another one soon (the platform window
    // repaints every 33 ms until a frame reports done).
    virtual bool draw(bool windowHasFocus) = 0;
    virtual bool canClose();
    virtual void onActivate() = 0;
    virtual CommandRunner* commandRunner() = 0;

    // The client area, {0, 0, width, height}; unset until the platform
    // window sets it at creation and on every resize.
    interval2 m_rect;
    // Fed by the platform window with every pointer sample and the time.
    MouseHistory m_mouseHistory;
    // The platform window; null until the window manager creates it.
    Window* m_window = nullptr;
};

// Keyboard focus of one window, kept across frames as ids. Shared with the
// controls through BaseWindow::focusState.
struct FocusState {
    // Called before every focus change; the window flushes pending keys.
    std::function<void()> m_onFocusChange;
    // The pressed region; written by controls and cleared by the window
    // when the left button is seen up.
    RegionId m_pressed;
    // The id asked to receive focus on the next frame; null for none.
    RegionId m_requested;
    // The focused leaf first, then each ancestor up to the root (null id).
    std::vector<RegionId> m_path;
    // The generation at which each region was last on the path.
    std::map<RegionId, int> m_lastFocused;
    // Incremented by every setFocusPath.
    int m_generation = 0;
    // Asks the next frame to apply the current leaf again.
    bool m_recheck = false;
    // Whether the platform window has keyboard focus; set by every frame.
    bool m_windowFocused = true;

    // Makes `region` (of the current frame) the focused leaf and its
    // ancestors the path; the region's onFocus is called when the leaf
    // changed.
    void setFocusPath(InputRegion* region);
    // Asks the next frame to focus `id`; the null id cancels a request.
    void requestFocus(const RegionId& id);
    bool isFocusedLeaf(const RegionId& id) const;
    bool hasFocus(const RegionId& id) const;
    // The generation at which `id` was last on the path; 0 for never.
    int focusIndex(const RegionId& id) const;
    const RegionId& pressedRegion() const { return m_pressed; }
    void setPressedRegion(const RegionId& id) { m_pressed = id; }
    const std::vector<RegionId>& path() const { return m_path; }
};

// True when the key is left to the character path rather than the
// bindings: key-ups, plain letters and digits, modifiers, punctuation with
// or without shift, and a plain space. Shift+space, anything with control
// or alt, and function, navigation and editing keys go to the bindings.
bool isCharacterKey(const KeyEvent& event);

// The toolkit's window content. The owner creates it, the window manager
// gives it its platform window, rect and canvas, and the owner then installs
// the draw function, the binding map and the theme. Its CommandRunner part
// runs command lines along the focus path. Main thread only.
class BaseWindow : public WindowHandler, public CommandRunner {
public:
    // Builds the regions of a frame under the root and paints; returns
    // whether the frame is complete.
    using DrawFunction = std::function<bool(InputRegion* root, const interval2& windowRect)>;
    // Every region of the current frame that has a set id.
    using RegionMap = std::map<RegionId, InputRegion*>;

    // A hint box shows once the pointer has rested this long on a region.
    static constexpr double kHintDelaySeconds = 0.5;
    // Regions with a larger diagonal (48 pixels) show no hint box.
    static constexpr float kHintMaxDiagonalSquared = 48.f * 48.f;
    // Pending keys are settled this long after the last input.
    static constexpr double kPendingKeyTimeoutSeconds = 1.5;

    BaseWindow();
    ~BaseWindow() override;

    void setDrawFunction(DrawFunction function) { m_drawFunction = std::move(function); }
    // Takes ownership of `map` (may be null), deleting the previous one, and
    // answers its contexts through inputContext.
    void setBindingMap(BindingMap* map);
    BindingMap* bindingMap() const { return m_bindingMap.get(); }
    // Rebuilds the theme over the canvas and the options at `optionsPath`
    // (needs the options manager); the same path again changes nothing.
    void setTheme(const ustring& optionsPath);
    Theme* theme() const { return m_theme.get(); }
    FocusState* focusState() { return &m_focus; }
    Canvas* canvas() const { return m_canvas; }
    // The root region of the current frame; null before the first frame.
    InputRegion* root() const { return m_root.get(); }
    int frameCount() const { return m_frameCount; }

    // Runs `commandLine` after the next frame has been drawn.
    void queueCommand(const ustring& commandLine);
    // Runs the line on the first region of the focus path whose runner has
    // it enabled; false when none did.
    bool runCommand(const slate::usubstring& commandLine);
    // The answer of the focus path to a binding context; false, with a log
    // line, when no region knows the context.
    bool inputContext(const slate::usubstring& name, const slate::usubstring& value);
    // Settles the pending key strokes, runs what they resolve to and commits
    // the prediction. Run on activation, on every button, before each focus
    // change and by the timeout.
    void flushPendingKeys();

    // WindowHandler.
    void setCanvas(Canvas* canvas) override;
    bool onKeyOrButton(const KeyEvent& event) override;
    bool onMotion(const MotionEvent& event) override;
    bool onCharacter(const CharacterEvent& event) override;
    bool onDropFile(float x, float y, const uchar* path) override;
    bool onContextMenuKey() override;
    CursorKind cursorAt(const InputState& state) override;
    ustring keyText(const slate::usubstring& commandLine) override;
    void update(double time) override;
    bool draw(bool windowHasFocus) override;
    void onActivate() override;
    CommandRunner* commandRunner() override { return this; }

    // CommandRunner, along the focus path innermost first.
    void exec(const slate::usubstring& line) override;
    bool isEnabled(const slate::usubstring& line) override;
    // The value of the innermost region that has the command, even when
    // empty; empty when none has it.
    ustring value(const slate::usubstring& line) override;
    bool has(const slate::usubstring& line) override;

    // Enters every region under `root` that has a set id.
    static void collectRegions(InputRegion* root, RegionMap& map);

    // When set, every command line run from key input is logged.
    bool m_debugCommands = false;

protected:
    // Marks an input dispatch on the stack and pins the tree it began in,
    // and every newer tree it goes on to hand input to. A frame drawn from
    // inside it (a modal loop paints: a context menu, a message box) keeps a
    // pinned tree alive, because the dispatch still holds its regions; the
    // tree goes when the last dispatch that pinned it ends.
    class DispatchScope {
    public:
        explicit DispatchScope(BaseWindow& window);
        ~DispatchScope();
        DispatchScope(const DispatchScope&) = delete;
        DispatchScope& operator=(const DispatchScope&) = delete;

    private:
        BaseWindow& m_window;
        size_t m_mark; // the pins below this dispatch's own
    };

    // Pins the current tree for the innermost dispatch: the dispatch is
    // about to hand its regions input.
    void pinCurrentRoot();
    // Pins the current tree and maps its ids to its regions.
    RegionMap buildRegionMap();
    // Calls `operation(InputRegion&)` on each region of the focus path found
    // in `map`, innermost first, until it returns true; true then.
    template <typename Operation>
    bool alongPath(const RegionMap& map, Operation&& operation) const;

    // Runs the actions a stroke resolved to: typed characters go along the
    // path (those already shown as predicted are committed instead), command
    // lines to the first runner that takes them.
    void processEvents(RegionMap& map, const std::vector<InputAction>& actions);
    bool deliverCharacter(const RegionMap& map, const CharacterEvent& event);
    bool showPrediction(const RegionMap& map, const CharacterEvent& event);
    void commitPrediction(const RegionMap& map);
    void cancelPrediction(const RegionMap& map);
    // Makes the regions show the binding map's pending text as predicted:
    // adds what follows the characters already shown, or cancels them and
    // shows the whole text when it no longer begins with them. The last
    // character goes as `typed` (may be null) when that is the stroke that
    // added it.
    void predictPendingText(const RegionMap& map, const CharacterEvent* typed);
    // Calls `operation(CommandRunner&)` on the runner of each region of the
    // focus path found in `map` that has one, innermost first, until it
    // returns true; true then.
    template <typename Operation>
    bool alongRunners(const RegionMap& map, Operation&& operation) const;
    bool runCommandOn(const RegionMap& map, const slate::usubstring& line);
    // Point dispatch of a button event from `root`; false without a root.
    bool dispatchButton(InputRegion* root, const KeyEvent& event);
    // Clears the pressed region unless the left button is down in `state`.
    void releasePressedRegion(const InputState& state);

    // The one way a stroke goes through the binding map, which must exist:
    // runs `resolve(actions)` (which hands the stroke to the map and returns
    // its answer) with the contexts the map asks about answered from `map`,
    // runs the actions with processEvents, which may remap `map`, and shows
    // what is left pending as predicted. `typed` is the stroke's character
    // event, null for a key. Returns the map's answer.
    template <typename Resolve>
    bool resolveStroke(RegionMap& map, const CharacterEvent* typed, Resolve&& resolve);
    // Tab cycling: true when the Tab was consumed.
    bool cycleFocus(const RegionMap& map, const KeyEvent& event);
    // The region under (x, y) that has a hint, with its text and command;
    // null when none.
    InputRegion* findHint(float x, float y, ustring& text, ustring& command);
    void appendKeys(ustring& text, const ustring& command) const;
    void drawHint();

private:
    Canvas* m_canvas = nullptr; // the peer's; set once
    ustring m_themeName;
    std::unique_ptr<Theme> m_theme;
    std::unique_ptr<InputRegion> m_root; // the current frame's tree
    std::unique_ptr<BindingMap> m_bindingMap;
    DrawFunction m_drawFunction;
    FocusState m_focus;
    bool m_hintShown = false;
    interval2 m_hintRect; // the region whose hint was last drawn
    int m_frameCount = 0;
    double m_now = 0;
    double m_lastInputTime = 0;
    std::vector<ustring> m_queuedCommands; // run after the next frame
    // The region map of the stroke the binding map is resolving, which
    // answers all the contexts that stroke asks about (a snippet trigger
    // asks at every letter typed); null outside resolution.
    const RegionMap* m_strokeRegions = nullptr;
    // The characters the focus path shows as predicted, in order; the
    // binding map's pending text once each stroke has been processed.
    ustring m_predicted;

    // The trees that input dispatches on the stack have handed input to,
    // innermost dispatch last (null for one before the first frame). A tree
    // replaced by a newer frame while a dispatch that began in it is still
    // running is kept in m_retiredRoots until that dispatch returns; binding
    // maps replaced during any dispatch are kept until none is running.
    std::vector<InputRegion*> m_pinnedRoots;
    std::vector<std::unique_ptr<InputRegion>> m_retiredRoots;
    std::vector<std::unique_ptr<BindingMap>> m_retiredBindingMaps;
};
