// The base window runs the frame loop of the immediate-mode toolkit and the
// input pipelines that go along the focus path. Regions live for one frame,
// so everything that must last (focus, the pressed region, pending keys) is
// kept here as region ids, and every event that goes along the path first
// maps the ids of the last frame to its regions. Input handlers may open
// modal loops (a context menu, a save dialog, a message box) that paint, so
// a frame can be drawn while a dispatch into the previous frame's regions is
// still on the stack; such a frame keeps the previous tree alive until the
// outermost dispatch returns, and the pipelines map the path again after
// every command they run instead of using regions a command may have
// replaced.
#include "ui/base_window.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "canvas/canvas.h"
#include "canvas/unicode_font.h"
#include "input/binding_map.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/options_manager.h"
#include "ui/theme.h"

bool WindowHandler::onDropFile(float, float, const uchar*) { return false; }
void WindowHandler::update(double) {}
bool WindowHandler::canClose() { return true; }

// Focus.

void FocusState::setFocusPath(InputRegion* region)
{
    if (m_onFocusChange)
        m_onFocusChange();
    m_recheck = false;
    const bool changed = m_path.empty() || m_path.front() != region->id();
    m_path.clear();
    ++m_generation;
    for (InputRegion* r = region; r; r = r->parent()) {
        m_lastFocused[r->id()] = m_generation;
        m_path.push_back(r->id());
    }
    if (changed)
        region->onFocus();
}

void FocusState::requestFocus(const RegionId& id)
{
    if (m_onFocusChange)
        m_onFocusChange();
    if (!m_requested.isSet() && !m_path.empty() && m_path.front() == id)
        m_recheck = true;
    else
        m_requested = id;
}

bool FocusState::isFocusedLeaf(const RegionId& id) const
{
    if (!m_windowFocused)
        return false;
    if (m_requested.isSet())
        return m_requested == id;
    return !m_path.empty() && m_path.front() == id;
}

bool FocusState::hasFocus(const RegionId& id) const
{
    if (!m_windowFocused)
        return false;
    if (m_requested.isSet())
        return m_requested == id;
    return std::find(m_path.begin(), m_path.end(), id) != m_path.end();
}

int FocusState::focusIndex(const RegionId& id) const
{
    auto found = m_lastFocused.find(id);
    return found == m_lastFocused.end() ? 0 : found->second;
}

bool isCharacterKey(const KeyEvent& event)
{
    if (!event.pressed)
        return true;
    const int32_t code = event.code;
    const bool control = event.state.controlDown();
    const bool alt = event.state.altDown();
    if (((code >= kKeyA && code <= kKeyZ) || (code >= kKey0 && code <= kKey9)) && !control && !alt)
        return true;
    if (code >= kKeyRightShift && code <= kKeyLeftAlt)
        return true;
    if (control || alt)
        return false;
    switch (code) {
    case kKeyBackslash: case kKeySlash: case kKeyComma: case kKeyPeriod: case kKeySemicolon: case kKeyQuote:
    case kKeyBackquote: case kKeyMinus: case kKeyEquals: case kKeyLeftBracket: case kKeyRightBracket:
        return true;
    default:
        break;
    }
    if (event.state.shiftDown())
        return false;
    return code == kKeySpace;
}

namespace {

// Draws with the record's font and colours, nothing without a font.
void drawThemeText(const ThemeFont& font, float x, float y, const ustring& text)
{
    if (!font.font)
        return;
    font.font->beginBatch(false);
    font.font->drawText(std::floor(x), std::floor(y), text.data(), text.data() + text.size(),
                        font.colours, false);
    font.font->endBatch();
}

} // namespace

// Dispatch scope.

BaseWindow::DispatchScope::DispatchScope(BaseWindow& window)
    : m_window(window), m_mark(window.m_pinnedRoots.size())
{
    m_window.pinCurrentRoot();
}

BaseWindow::DispatchScope::~DispatchScope()
{
    std::vector<InputRegion*>& pinned = m_window.m_pinnedRoots;
    pinned.resize(m_mark);
    // Moved out first: a region's destructor may start another dispatch.
    std::vector<std::unique_ptr<InputRegion>> released;
    auto& retired = m_window.m_retiredRoots;
    for (auto it = retired.begin(); it != retired.end();) {
        if (std::find(pinned.begin(), pinned.end(), it->get()) == pinned.end()) {
            released.push_back(std::move(*it));
            it = retired.erase(it);
        } else {
            ++it;
        }
    }
    if (pinned.empty()) {
        std::vector<std::unique_ptr<BindingMap>> maps;
        maps.swap(m_window.m_retiredBindingMaps);
    }
}

// Construction and set-up.

BaseWindow::BaseWindow() : m_theme(std::make_unique<Theme>(nullptr, nullptr))
{
    m_focus.m_onFocusChange = [this] { flushPendingKeys(); };
}

BaseWindow::~BaseWindow()
{
    // Regions may ask the window while they go; the tree goes first.
    m_root.reset();
    m_retiredRoots.clear();
}

void BaseWindow::setCanvas(Canvas* canvas)
{
    VASSERT(!m_canvas);
    m_canvas = canvas;
}

void BaseWindow::setBindingMap(BindingMap* map)
{
    if (!m_pinnedRoots.empty() && m_bindingMap)
        m_retiredBindingMaps.push_back(std::move(m_bindingMap));
    m_bindingMap.reset(map);
    if (map) {
        map->setContextFunction([this](const slate::usubstring& name, const slate::usubstring& value) {
            return inputContext(name, value);
        });
    }
}

void BaseWindow::setTheme(const ustring& optionsPath)
{
    if (optionsPath == m_themeName)
        return;
    m_themeName = optionsPath;
    m_theme.reset();
    m_theme = std::make_unique<Theme>(m_canvas, OptionsManager::get().getOptions(optionsPath));
}

void BaseWindow::queueCommand(const ustring& commandLine) { m_queuedCommands.push_back(commandLine); }

// The region map.

void BaseWindow::collectRegions(InputRegion* root, RegionMap& map)
{
    VASSERT(root);
    for (InputRegion* r = root; r; r = r->nextSibling()) {
        if (r->id().isSet()) {
            VASSERT(!map.count(r->id()));
            map[r->id()] = r;
        }
        if (InputRegion* child = r->firstChild()) {
            VASSERT(child->parent() == r);
            collectRegions(child, map);
        }
    }
}

void BaseWindow::pinCurrentRoot()
{
    if (m_pinnedRoots.empty() || m_pinnedRoots.back() != m_root.get())
        m_pinnedRoots.push_back(m_root.get());
}

BaseWindow::RegionMap BaseWindow::buildRegionMap()
{
    pinCurrentRoot();
    RegionMap map;
    if (m_root)
        collectRegions(m_root.get(), map);
    return map;
}

template <typename Operation>
bool BaseWindow::alongPath(const RegionMap& map, Operation&& operation) const
{
    // A copy: a handler may move the focus while the walk goes on.
    const std::vector<RegionId> path = m_focus.m_path;
    for (const RegionId& id : path) {
        auto found = map.find(id);
        if (found != map.end() && operation(*found->second))
            return true;
    }
    return false;
}

bool BaseWindow::deliverCharacter(const RegionMap& map, const CharacterEvent& event)
{
    return alongPath(map, [&](InputRegion& r) { return r.onCharacter(event); });
}

bool BaseWindow::showPrediction(const RegionMap& map, const CharacterEvent& event)
{
    return alongPath(map, [&](InputRegion& r) { return r.onPredictedCharacter(event); });
}

void BaseWindow::commitPrediction(const RegionMap& map)
{
    m_predicted.clear();
    alongPath(map, [](InputRegion& r) {
        r.commitPrediction();
        return false;
    });
}

void BaseWindow::cancelPrediction(const RegionMap& map)
{
    m_predicted.clear();
    alongPath(map, [](InputRegion& r) {
        r.cancelPrediction();
        return false;
    });
}

template <typename Operation>
bool BaseWindow::alongRunners(const RegionMap& map, Operation&& operation) const
{
    return alongPath(map, [&](InputRegion& r) {
        CommandRunner* runner = r.commandRunner();
        return runner && operation(*runner);
    });
}

bool BaseWindow::runCommandOn(const RegionMap& map, const slate::usubstring& line)
{
    return alongRunners(map, [&](CommandRunner& runner) {
        if (!runner.isEnabled(line))
            return false;
        runner.exec(line);
        return true;
    });
}

bool BaseWindow::runCommand(const slate::usubstring& commandLine)
{
    DispatchScope scope(*this);
    return runCommandOn(buildRegionMap(), commandLine);
}

// The CommandRunner part.

void BaseWindow::exec(const slate::usubstring& line) { runCommand(line); }

bool BaseWindow::isEnabled(const slate::usubstring& line)
{
    DispatchScope scope(*this);
    return alongRunners(buildRegionMap(), [&](CommandRunner& runner) { return runner.isEnabled(line); });
}

// Unlike MultiCommandRunner, which takes the first non-empty value, the
// value comes from the innermost region that has the command, even when it
// is empty. The runners of one chain serve one owner (the plug-in host's
// runner before the built-in table), so any of them may speak for it; the
// regions of the focus path are different objects, and a command the
// focused control has describes that control: an outer region's state for
// the same name (the window's, say) would put a wrong check mark or caption
// on its menu item.
ustring BaseWindow::value(const slate::usubstring& line)
{
    DispatchScope scope(*this);
    ustring result;
    alongRunners(buildRegionMap(), [&](CommandRunner& runner) {
        if (!runner.has(line))
            return false;
        result = runner.value(line);
        return true;
    });
    return result;
}

bool BaseWindow::has(const slate::usubstring& line)
{
    DispatchScope scope(*this);
    return alongRunners(buildRegionMap(), [&](CommandRunner& runner) { return runner.has(line); });
}

bool BaseWindow::inputContext(const slate::usubstring& name, const slate::usubstring& value)
{
    DispatchScope scope(*this);
    const ustring nameText(name.begin, name.end);
    const ustring valueText(value.begin, value.end);
    bool result = false;
    auto check = [&](InputRegion& r) {
        result = false;
        return r.checkContext(nameText, valueText, result);
    };
    const bool known = m_strokeRegions ? alongPath(*m_strokeRegions, check) : alongPath(buildRegionMap(), check);
    if (!known) {
        VLOG << u"Unknown context " << nameText;
        return false;
    }
    return result;
}

// Keys and characters.

void BaseWindow::predictPendingText(const RegionMap& map, const CharacterEvent* typed)
{
    const ustring pending = m_bindingMap ? m_bindingMap->pendingText() : ustring();
    if (pending == m_predicted)
        return;
    // One stroke can change the pending text in any way, not only by the
    // character it adds: a sequence that fails may drop its leading keys and
    // leave several characters behind them pending ("ctrl+k,a" then "b"
    // under a binding "a,b,c" leaves "ab"). What is shown is kept only as
    // far as it is still the beginning of the pending text.
    if (pending.compare(0, m_predicted.size(), m_predicted) != 0)
        cancelPrediction(map);
    for (size_t i = m_predicted.size(); i < pending.size(); ++i) {
        CharacterEvent event;
        if (typed && i + 1 == pending.size() && typed->character == pending[i])
            event = *typed;
        else
            event.character = pending[i];
        showPrediction(map, event);
    }
    m_predicted = pending;
}

template <typename Resolve>
bool BaseWindow::resolveStroke(RegionMap& map, const CharacterEvent* typed, Resolve&& resolve)
{
    // Resolution runs no command, so the regions of the frame the stroke
    // arrived in answer every context it asks about; the dispatch keeps
    // their tree pinned even if an answer draws a newer frame. Mapping the
    // tree again for each answer made typing with 300 snippet triggers
    // (every letter asks their selector contexts) 4.7 times slower in a
    // frame of 400 regions. Restored, not cleared: a flush can resolve from
    // inside a stroke's dispatch.
    std::vector<InputAction> actions;
    const RegionMap* outer = std::exchange(m_strokeRegions, &map);
    const bool handled = resolve(actions);
    m_strokeRegions = outer;
    processEvents(map, actions);
    predictPendingText(map, typed);
    return handled;
}

void BaseWindow::processEvents(RegionMap& map, const std::vector<InputAction>& actions)
{
    if (actions.empty())
        return;
    ustring typed;
    for (const InputAction& action : actions) {
        if (action.kind != InputAction::Kind::TypedCharacter)
            break;
        typed.push_back(static_cast<uchar>(action.event.character));
    }
    size_t first = 0;
    if (!m_predicted.empty() && typed.size() >= m_predicted.size() &&
        typed.compare(0, m_predicted.size(), m_predicted) == 0) {
        // The regions already show these characters as predicted.
        first = m_predicted.size();
        commitPrediction(map);
    } else if (!m_predicted.empty()) {
        cancelPrediction(map);
    }
    for (size_t i = first; i < actions.size(); ++i) {
        const InputAction& action = actions[i];
        if (action.kind == InputAction::Kind::TypedCharacter) {
            deliverCharacter(map, action.event);
            continue;
        }
        if (m_debugCommands)
            VLOG << u"Running command " << action.command;
        runCommandOn(map, action.command);
        // The command may have drawn frames (a modal loop) or moved the
        // focus; what follows goes to the regions of the current frame.
        map = buildRegionMap();
    }
}

void BaseWindow::flushPendingKeys()
{
    DispatchScope scope(*this);
    RegionMap map = buildRegionMap();
    if (m_bindingMap) {
        if (m_bindingMap->hasPending()) {
            KeyEvent settle;
            settle.pressed = true;
            auto resolve = [&](std::vector<InputAction>& actions) { return m_bindingMap->onKey(settle, actions); };
            resolveStroke(map, nullptr, resolve);
        }
        // A command run above may have replaced the map.
        if (m_bindingMap)
            m_bindingMap->clearPending();
    }
    commitPrediction(map);
}

bool BaseWindow::dispatchButton(InputRegion* root, const KeyEvent& event)
{
    return root && dispatchAtPoint(*root, event.state.x, event.state.y,
                                   [&](InputRegion& r) { return r.onInputEvent(event); });
}

void BaseWindow::releasePressedRegion(const InputState& state)
{
    if (!state.key[kMouseLeft])
        m_focus.setPressedRegion(RegionId());
}

bool BaseWindow::cycleFocus(const RegionMap& map, const KeyEvent& event)
{
    if (!event.pressed || event.code != kKeyTab || event.state.controlDown() || m_focus.m_path.empty())
        return false;
    auto found = map.find(m_focus.m_path.front());
    if (found == map.end())
        return false;
    InputRegion* leaf = found->second;
    if (leaf->wantsTab() || !leaf->parent())
        return false;
    std::vector<InputRegion*> candidates;
    InputRegion* r = leaf->nextSibling() ? leaf->nextSibling() : leaf->parent()->firstChild();
    while (r != leaf) {
        if (r->acceptsFocus())
            candidates.push_back(r);
        r = r->nextSibling() ? r->nextSibling() : leaf->parent()->firstChild();
    }
    if (!candidates.empty())
        m_focus.setFocusPath(event.state.shiftDown() ? candidates.front() : candidates.back());
    return true;
}

bool BaseWindow::onKeyOrButton(const KeyEvent& event)
{
    DispatchScope scope(*this);
    m_lastInputTime = m_now;
    if (isMouseCode(event.code)) {
        flushPendingKeys();
        // Taken after the flush, which may have drawn a newer frame.
        pinCurrentRoot();
        const bool handled = dispatchButton(m_root.get(), event);
        releasePressedRegion(event.state);
        return handled;
    }
    RegionMap map = buildRegionMap();
    if (alongPath(map, [&](InputRegion& r) { return r.onInputEvent(event); }))
        return true;
    // A handler that declined may still have drawn a frame.
    map = buildRegionMap();
    if (cycleFocus(map, event))
        return true;
    if (!m_bindingMap || isCharacterKey(event))
        return false;
    auto resolve = [&](std::vector<InputAction>& actions) { return m_bindingMap->onKey(event, actions); };
    return resolveStroke(map, nullptr, resolve);
}

bool BaseWindow::onCharacter(const CharacterEvent& event)
{
    DispatchScope scope(*this);
    m_lastInputTime = m_now;
    RegionMap map = buildRegionMap();
    if (!m_bindingMap) {
        deliverCharacter(map, event);
        return false;
    }
    auto resolve = [&](std::vector<InputAction>& actions) { return m_bindingMap->onCharacter(event, actions); };
    return resolveStroke(map, &event, resolve);
}

void BaseWindow::onActivate() { flushPendingKeys(); }

void BaseWindow::update(double time)
{
    if (time > m_lastInputTime + kPendingKeyTimeoutSeconds && m_bindingMap && m_bindingMap->hasPending())
        flushPendingKeys();
    m_now = time;
}

ustring BaseWindow::keyText(const slate::usubstring& commandLine)
{
    return m_bindingMap ? m_bindingMap->keyText(commandLine) : ustring();
}

// Pointer.

InputRegion* BaseWindow::findHint(float x, float y, ustring& text, ustring& command)
{
    InputRegion* hintRegion = nullptr;
    if (!m_root)
        return nullptr;
    pinCurrentRoot();
    dispatchAtPoint(*m_root, x, y, [&](InputRegion& r) {
        if (!r.hint(text, command))
            return false;
        hintRegion = &r;
        return true;
    });
    return hintRegion;
}

void BaseWindow::appendKeys(ustring& text, const ustring& command) const
{
    if (command.empty() || !m_bindingMap)
        return;
    const ustring keys = m_bindingMap->keyText(command);
    if (!keys.empty())
        text += u" (" + keys + u")";
}

bool BaseWindow::onMotion(const MotionEvent& event)
{
    DispatchScope scope(*this);
    bool repaint = false;
    if (m_root) {
        repaint = dispatchAtPoint(*m_root, event.state.x, event.state.y,
                                  [&](InputRegion& r) { return r.onMotion(event); });
        ustring text;
        ustring command;
        findHint(event.state.x, event.state.y, text, command);
        appendKeys(text, command);
        if (NotificationManager::alive() && NotificationManager::get().hint() != text) {
            NotificationManager::get().setHint(text);
            repaint = true;
        }
    }
    releasePressedRegion(event.state);
    return repaint;
}

bool BaseWindow::onDropFile(float x, float y, const uchar* path)
{
    DispatchScope scope(*this);
    if (!m_root)
        return false;
    return dispatchAtPoint(*m_root, x, y, [&](InputRegion& r) { return r.onDropFile(x, y, path); });
}

CursorKind BaseWindow::cursorAt(const InputState& state)
{
    DispatchScope scope(*this);
    CursorKind kind = CursorKind::Arrow;
    if (!m_root)
        return kind;
    bool decided = dispatchAtPoint(*m_root, state.x, state.y, [&](InputRegion& r) { return r.cursor(state, kind); });
    return decided ? kind : CursorKind::Arrow;
}

bool BaseWindow::onContextMenuKey()
{
    DispatchScope scope(*this);
    return alongPath(buildRegionMap(), [](InputRegion& r) { return r.onContextMenuKey(); });
}

// Frames.

void BaseWindow::drawHint()
{
    const vector2 pointer = m_mouseHistory.lastPosition();
    ustring text;
    ustring command;
    InputRegion* region = findHint(pointer.x, pointer.y, text, command);
    bool tooBig = false;
    if (region) {
        const float w = region->rect().x1 - region->rect().x0;
        const float h = region->rect().y1 - region->rect().y0;
        tooBig = w * w + h * h > kHintMaxDiagonalSquared;
    }
    if (text.empty() || !region || tooBig) {
        if (m_hintShown && m_mouseHistory.timeSinceInside(m_hintRect, true) > kHintDelaySeconds)
            m_hintShown = false;
        return;
    }
    if (!m_hintShown && m_mouseHistory.timeSinceInside(region->rect(), true) > kHintDelaySeconds)
        m_hintShown = true;
    if (!m_hintShown)
        return;
    appendKeys(text, command);
    m_hintRect = region->rect();

    const ThemeFont& font = m_theme->textFont;
    const float ox = region->rect().x0 + 8;
    const float oy = region->rect().y1 + 4;
    const float width = font.font ? textWidth(*font.font, text.data(), text.data() + text.size()) : 0.f;
    const float height = font.font ? font.font->lineHeight() : 0.f;
    interval2 box(ox - 4, oy - 2, ox + width + 4, oy + height + 2);
    if (box.x0 < m_rect.x0)
        box.x0 = m_rect.x0;
    else if (box.x1 > m_rect.x1)
        box.x0 = std::max(box.x0 - (box.x1 - m_rect.x1), m_rect.x0);
    if (box.y0 < m_rect.y0)
        box.y0 = m_rect.y0;
    else if (box.y1 > m_rect.y1)
        box.y0 = std::max(box.y0 - (box.y1 - m_rect.y1), m_rect.y0);
    m_theme->get("panel.hint").draw(box);
    drawThemeText(font, box.x0 + 4, box.y0 + 2, text);
}

bool BaseWindow::draw(bool windowHasFocus)
{
    // A dispatch that started in the old tree may still be on the stack
    // (this frame is painted from a modal loop it opened); the tree then
    // stays until that dispatch returns. Trees that no dispatch started in
    // go at once, so a long modal loop keeps at most the trees it needs.
    if (m_root && std::find(m_pinnedRoots.begin(), m_pinnedRoots.end(), m_root.get()) != m_pinnedRoots.end())
        m_retiredRoots.push_back(std::move(m_root));
    m_root = std::make_unique<InputRegion>(this, RegionId(), m_rect);
    DispatchScope scope(*this);
    m_focus.m_windowFocused = windowHasFocus;
    if (!m_drawFunction)
        return true;

    bool done = m_drawFunction(m_root.get(), m_rect);
    ++m_frameCount;
    if (m_frameCount == 1)
        done = false;

    if (m_focus.m_requested.isSet() || m_focus.m_recheck) {
        const RegionMap map = buildRegionMap();
        const RegionId target = m_focus.m_requested.isSet()
                                    ? m_focus.m_requested
                                    : (m_focus.m_path.empty() ? RegionId() : m_focus.m_path.front());
        auto found = map.find(target);
        if (found != map.end()) {
            m_focus.setFocusPath(found->second);
            m_focus.requestFocus(RegionId());
            done = false;
        }
    }

    if (windowHasFocus)
        drawHint();

    if (!m_queuedCommands.empty()) {
        std::vector<ustring> commands;
        commands.swap(m_queuedCommands);
        for (const ustring& line : commands)
            exec(line);
        done = false;
    }

    if (m_bindingMap && m_bindingMap->hasPending())
        done = false;
    return done;
}
