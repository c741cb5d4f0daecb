// The binding tables and key-sequence resolution. Plain sequences live in an
// ordered map from strokes to entries; sequences with a regular expression
// in a second map that is scanned at each lookup (key maps hold a handful of
// them). Every entry carries its binding's sequence number, and a lookup
// keeps the highest-numbered entry whose contexts hold, exact or pattern,
// complete or prefix, so the binding bound last wins whatever the table
// order. Entries of one key are appended as they are bound, so they are kept
// oldest first and every walk goes from the back: the exact walk stops at
// the newest entry whose contexts hold. (Inserting at the front instead made
// loading quadratic: a key map whose namespaces expand to 128,000 bindings
// under one prefix key took 43 s.)
#include "input/binding_map.h"

#include <algorithm>
#include <cstring>

#include "input/key_pattern.h"
#include "ui/log.h"
#include "ui/string_interner.h"
#include "ui/string_utils.h"

namespace {

slate::usubstring view(const uchar* interned) { return slate::usubstring(interned); }

// The elements of a key text. A comma at the start of an element is the
// comma key, and the unit after it is its separator; a separator at the very
// end leaves an empty last element, which names no key.
std::vector<slate::usubstring> splitKeyText(const slate::usubstring& text)
{
    std::vector<slate::usubstring> elements;
    const uchar* p = text.begin;
    for (;;) {
        if (p == text.end) {
            elements.emplace_back(p, p);
            break;
        }
        if (*p == u',') {
            elements.emplace_back(p, p + 1);
            if (p + 1 == text.end)
                break;
            p += 2;
            continue;
        }
        const uchar* comma = std::find(p, text.end, u',');
        elements.emplace_back(p, comma);
        if (comma == text.end)
            break;
        p = comma + 1;
    }
    return elements;
}

bool isPatternElement(const slate::usubstring& element)
{
    return element.length() >= 2 && element[0] == u'/' && element[element.length() - 1] == u'/';
}

// Contexts grouped by name (names in text order, values of one name in the
// order given), as contextsMatch walks them.
std::vector<ContextCondition> sortedContexts(const std::vector<ContextCondition>& contexts)
{
    std::vector<ContextCondition> sorted = contexts;
    std::stable_sort(sorted.begin(), sorted.end(), [](const ContextCondition& a, const ContextCondition& b) {
        return a.name != b.name && view(a.name) < view(b.name);
    });
    return sorted;
}

// `command` with "$1", "$2"... replaced by the captures, each as one quoted
// command-line argument. One pass from left to right, so inserted text is
// never searched again; where two numbers could apply ("$10"), the lower one
// is taken.
ustring substituteCaptures(const ustring& command, const std::vector<ustring>& captures)
{
    if (captures.empty())
        return command;
    std::vector<ustring> numbers;
    for (size_t n = 1; n <= captures.size(); ++n)
        numbers.push_back(intToString(static_cast<int>(n)));
    ustring result;
    for (size_t i = 0; i < command.size();) {
        bool replaced = false;
        if (command[i] == u'$') {
            for (size_t n = 0; n < numbers.size(); ++n) {
                if (command.compare(i + 1, numbers[n].size(), numbers[n]) == 0) {
                    result += u'"';
                    result += escapeString(captures[n]);
                    result += u'"';
                    i += 1 + numbers[n].size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            result += command[i++];
    }
    return result;
}

enum class PatternResult { NoMatch, Complete, Partial };

// Matches the typed strokes [begin, end) against a pattern key. A pattern
// element takes the longest run of typed characters its expression matches
// at the start of the characters that follow (key strokes end the run) and
// adds it to `captures`. Partial: the strokes are a beginning of the key.
PatternResult patternMatch(const KeyStroke* begin, const KeyStroke* end,
                           const std::vector<PatternElement>& key, std::vector<ustring>& captures)
{
    const KeyStroke* stroke = begin;
    auto element = key.begin();
    for (;;) {
        if (stroke == end)
            return element == key.end() ? PatternResult::Complete : PatternResult::Partial;
        if (element == key.end())
            return PatternResult::NoMatch;
        if (!element->pattern) {
            if (*stroke != element->stroke)
                return PatternResult::NoMatch;
            ++stroke;
            ++element;
            continue;
        }
        ustring text;
        const KeyStroke* run = stroke;
        for (; run != end && run->character; ++run)
            text += static_cast<uchar>(run->character);
        size_t length = 0;
        std::string error;
        switch (element->pattern->matchPrefix(text.data(), text.data() + text.size(), run == end, length, error)) {
        case KeyPattern::Match::Complete:
            captures.push_back(text.substr(0, length));
            stroke += length;
            ++element;
            break;
        case KeyPattern::Match::Partial:
            return PatternResult::Partial;
        case KeyPattern::Match::Error:
            if (element->pattern->firstFailure())
                VLOG << "error matching regex: " << error << " in /" << element->pattern->text() << "/";
            return PatternResult::NoMatch;
        case KeyPattern::Match::None:
            return PatternResult::NoMatch;
        }
    }
}

} // namespace

bool operator<(const PatternElement& a, const PatternElement& b)
{
    if (a.pattern.get() != b.pattern.get())
        return std::less<const KeyPattern*>()(a.pattern.get(), b.pattern.get());
    return a.stroke < b.stroke;
}

BindingMap::BindingMap() : m_interner(&BindingSourceManager::get().interner())
{
    BindingSourceManager::get().addMap(this);
}

BindingMap::~BindingMap()
{
    BindingSourceManager::get().removeMap(this);
}

bool BindingMap::bind(const slate::usubstring& keyText, const ustring& command,
                      const std::vector<ContextCondition>& contexts)
{
    std::vector<PatternElement> elements;
    std::vector<KeyStroke> plain;
    bool hasPattern = false;
    for (const slate::usubstring& element : splitKeyText(keyText)) {
        if (isPatternElement(element)) {
            std::string error;
            auto pattern = KeyPattern::compile(element.substr(1, element.length() - 2), error);
            if (pattern) {
                elements.push_back({KeyStroke(), std::move(pattern)});
                hasPattern = true;
                continue;
            }
            VLOG << "bad regex: " << error;
        }
        KeyStroke stroke;
        if (!parseKey(element, stroke)) {
            VLOG << "Unable to find key for string " << element;
            return false;
        }
        elements.push_back({stroke, nullptr});
        if (!hasPattern)
            plain.push_back(stroke);
    }

    const int sequence = m_nextSequence++;
    const std::vector<ContextCondition> sorted = sortedContexts(contexts);
    // Resolution never looks up more than kMaxPending strokes, so longer
    // prefixes would be dead weight: a key of n strokes would cost n * n / 2
    // copied strokes, which made one 40 KB key text ask for gigabytes.
    const size_t markers = std::min(plain.size(), kMaxPending + 1);
    for (size_t length = 1; length < markers; ++length)
        m_tables.exact[std::vector<KeyStroke>(plain.begin(), plain.begin() + length)].push_back(
            BindingEntry{ustring(), sorted, sequence});
    if (hasPattern) {
        m_tables.pattern[elements].push_back(BindingEntry{command, sorted, sequence});
    } else {
        m_tables.exact[plain].push_back(BindingEntry{command, sorted, sequence});
        m_tables.commandKeys[command].push_back({plain, contexts});
    }
    return true;
}

bool BindingMap::contextsMatch(const std::vector<ContextCondition>& contexts) const
{
    if (contexts.empty())
        return true;
    if (!m_contextFunction)
        return false;
    for (size_t i = 0; i < contexts.size();) {
        const uchar* name = contexts[i].name;
        bool holds = false;
        size_t next = i;
        for (; next < contexts.size() && view(contexts[next].name) == view(name); ++next) {
            if (!holds && m_contextFunction(view(name), view(contexts[next].value)))
                holds = true;
        }
        if (!holds)
            return false;
        i = next;
    }
    return true;
}

BindingMap::LookupResult BindingMap::lookup(const KeyStroke* begin, const KeyStroke* end,
                                            bool pendingAllowed) const
{
    LookupResult result;
    int best = -1;
    auto exact = m_tables.exact.find(std::vector<KeyStroke>(begin, end));
    if (exact != m_tables.exact.end()) {
        for (auto entry = exact->second.rbegin(); entry != exact->second.rend(); ++entry) {
            if (entry->command.empty() && !pendingAllowed)
                continue;
            if (!contextsMatch(entry->contexts))
                continue;
            result.command = entry->command;
            result.pending = entry->command.empty();
            best = entry->sequence;
            break;
        }
    }
    for (const auto& [key, entries] : m_tables.pattern) {
        if (entries.back().sequence <= best)
            continue;
        std::vector<ustring> captures;
        const PatternResult match = patternMatch(begin, end, key, captures);
        if (match == PatternResult::NoMatch || (match == PatternResult::Partial && !pendingAllowed))
            continue;
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            if (entry->sequence <= best)
                break; // newest first: the rest are older still
            if (!contextsMatch(entry->contexts))
                continue;
            if (match == PatternResult::Complete) {
                result.command = substituteCaptures(entry->command, captures);
                result.pending = false;
            } else {
                result.command.clear();
                result.pending = true;
            }
            best = entry->sequence;
            break;
        }
    }
    result.found = best != -1;
    return result;
}

bool BindingMap::resolve(const KeyStroke& stroke, std::vector<InputAction>& actions)
{
    auto emitCommand = [&](ustring command) {
        if (command.empty())
            return;
        InputAction action;
        action.kind = InputAction::Kind::Command;
        action.command = std::move(command);
        actions.push_back(std::move(action));
    };

    m_pending.push_back(stroke);
    for (;;) {
        if (m_pending.empty())
            return false;
        const KeyStroke* begin = m_pending.data();
        if (m_pending.size() <= kMaxPending) {
            LookupResult whole = lookup(begin, begin + m_pending.size(), true);
            if (whole.found) {
                if (!whole.pending) {
                    m_pending.clear();
                    emitCommand(std::move(whole.command));
                }
                return true;
            }
        }
        bool ranPrefix = false;
        for (size_t length = m_pending.size() - 1; length >= 1; --length) {
            LookupResult prefix = lookup(begin, begin + length, false);
            if (prefix.found) {
                m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<ptrdiff_t>(length));
                emitCommand(std::move(prefix.command));
                ranPrefix = true;
                break;
            }
        }
        if (ranPrefix)
            continue;
        const KeyStroke first = m_pending.front();
        m_pending.erase(m_pending.begin());
        if (!first.character)
            continue;
        InputAction action;
        action.kind = InputAction::Kind::TypedCharacter;
        action.event.character = first.character;
        actions.push_back(std::move(action));
        if (m_pending.empty())
            return true;
    }
}

bool BindingMap::onKey(const KeyEvent& event, std::vector<InputAction>& actions)
{
    KeyStroke stroke;
    stroke.key = event.code;
    if (event.state.altDown())
        stroke.modifiers |= kModifierAlt;
    if (event.state.controlDown())
        stroke.modifiers |= kModifierCtrl;
    if (event.state.shiftDown())
        stroke.modifiers |= kModifierShift;
    return resolve(stroke, actions);
}

bool BindingMap::onCharacter(const CharacterEvent& event, std::vector<InputAction>& actions)
{
    KeyStroke stroke;
    stroke.character = event.character;
    resolve(stroke, actions);
    return true;
}

ustring BindingMap::pendingText() const
{
    ustring text;
    for (const KeyStroke& stroke : m_pending) {
        if (!stroke.character)
            break;
        text += static_cast<uchar>(stroke.character);
    }
    return text;
}

ustring BindingMap::keyText(const slate::usubstring& command) const
{
    auto it = m_tables.commandKeys.find(command.str());
    if (it == m_tables.commandKeys.end() || it->second.empty())
        return ustring();
    return formatKeySequence(it->second.back().strokes);
}

// BindingSourceManager

BindingSourceManager::BindingSourceManager() : m_interner(std::make_unique<StringInterner>(4096)) {}

BindingSourceManager::~BindingSourceManager() = default;

void BindingSourceManager::create()
{
    install(new BindingSourceManager);
}

namespace {

template <typename T>
void moveToEnd(std::vector<T*>& list, T* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
    list.push_back(item);
}

template <typename T>
void eraseFirst(std::vector<T*>& list, T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end())
        list.erase(it);
}

} // namespace

void BindingSourceManager::addMap(BindingMap* map) { moveToEnd(m_maps, map); }
void BindingSourceManager::removeMap(BindingMap* map) { eraseFirst(m_maps, map); }
void BindingSourceManager::addSource(BindingSource* source) { moveToEnd(m_sources, source); }
void BindingSourceManager::removeSource(BindingSource* source) { eraseFirst(m_sources, source); }

void BindingSourceManager::reloadAll()
{
    // A reload may not add or remove maps, but a copy costs nothing here.
    const std::vector<BindingMap*> maps = m_maps;
    for (BindingMap* map : maps)
        map->reload();
}
