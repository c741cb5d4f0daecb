// Options keep the file they came from line by line, so that a save writes
// back the user's comments, blank lines and order, and only the values
// change. The lines are the file; the value map is the truth. Reading a file
// fills both; setting a known key changes only the map, and serialise
// rewrites every line of that key from it; a new key is appended as a line.
// Because the format has no quoting, set refuses any key or value that would
// read back as something else (a line end in a value would turn its tail
// into a setting of its own), so that a save never loses or invents
// settings. Saving replaces the file through a temporary file, so a failure
// half way leaves the old file rather than a truncated one.
//
// Numbers are written and read without the process locale: settings files
// move between machines, and a German locale must not write "1,500000".
#include "ui/options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "ui/log.h"
#include "ui/string_utils.h"
#include "ui/unicode.h"

namespace {

const char kBlanks[] = " \t";
const uchar kBlankUnits[] = u" \t";

ustring keyText(const slate::substring& key) { return utf8ToUtf16(key.begin, key.end); }

bool isCSpace(uchar unit)
{
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

// True when every surrogate is part of a pair: only such text has a UTF-8
// form, and a save of anything else would write nothing at all.
bool isValidUtf16(const ustring& text)
{
    return findUnpairedSurrogate(text.data(), text.data() + text.size()) == text.data() + text.size();
}

// As atof reads in the C locale, including the "inf" and "nan" that "%f"
// writes for values that are not finite.
double readDouble(const ustring& text)
{
    size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    size_t start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const uchar* wordEnd = text.data() + std::min(text.size(), i + 3);
    ustring word = toLower(slate::usubstring(text.data() + i, wordEnd));
    if (word == u"inf" || word == u"nan") {
        double magnitude = word == u"inf" ? HUGE_VAL : std::nan("");
        return text[start] == u'-' ? -magnitude : magnitude;
    }
    return toDouble(slate::usubstring(text.data() + start, text.data() + text.size()));
}

template <typename Integer>
ustring integerText(Integer value)
{
    char buffer[32];
    char* end = std::to_chars(buffer, buffer + sizeof(buffer), value).ptr;
    return ustring(buffer, end);
}

// "%f": six decimals, in full however large (the largest double needs 317
// characters), and "inf", "-inf", "nan" as printf writes them.
ustring fixedText(double value)
{
    if (std::isnan(value))
        return std::signbit(value) ? u"-nan" : u"nan";
    if (std::isinf(value))
        return value < 0 ? u"-inf" : u"inf";
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, 6);
    return ustring(buffer, result.ptr);
}

} // namespace

const char* optionsKeyProblem(const ustring& key)
{
    if (key.empty())
        return "Keys may not be blank";
    if (key.find_first_of(u" \t\r\n") != ustring::npos)
        return "Keys may not contain whitespace";
    if (key[0] == u'#')
        return "Keys may not start with '#'";
    if (key.find(u'\0') != ustring::npos)
        return "Keys may not contain NUL characters";
    if (!isValidUtf16(key))
        return "Keys may not contain unpaired surrogates";
    return nullptr;
}

const char* optionsValueProblem(const ustring& value)
{
    if (value.find_first_of(u"\r\n") != ustring::npos)
        return "Values may not contain newlines";
    if (value.find(u'\0') != ustring::npos)
        return "Values may not contain NUL characters";
    if (!isValidUtf16(value))
        return "Values may not contain unpaired surrogates";
    return nullptr;
}

bool parseOptionsLine(const slate::usubstring& line, slate::usubstring& key,
                      slate::usubstring& value)
{
    slate::usubstring rest = trimLeft(line, kBlanks);
    if (rest.empty() || rest[0] == u'#')
        return false;
    const uchar* keyEnd = rest.find_first_of(kBlankUnits);
    if (!keyEnd)
        keyEnd = rest.end;
    key = slate::usubstring(rest.begin, keyEnd);
    value = trimLeft(slate::usubstring(keyEnd, rest.end), kBlanks);
    return true;
}

Options::~Options()
{
    removeParents();
}

void Options::takeLines(std::vector<ustring> lines)
{
    m_values.clear();
    m_keys.clear();
    m_lines = std::move(lines);
    for (const ustring& line : m_lines) {
        slate::usubstring key, value;
        if (!parseOptionsLine(line, key, value))
            continue;
        auto inserted = m_values.emplace(key.str(), ustring());
        if (inserted.second)
            m_keys.push_back(inserted.first->first);
        inserted.first->second = value.str();
    }
}

void Options::parse(const ustring& text)
{
    std::vector<ustring> lines;
    splitLines(text, lines);
    takeLines(std::move(lines));
}

void Options::load(const ustring& path)
{
    std::vector<ustring> lines;
    readLines(path, lines);
    takeLines(std::move(lines));
}

bool Options::reload(const ustring& path)
{
    std::vector<ustring> lines;
    if (!readLines(path, lines))
        return false;
    takeLines(std::move(lines));
    return true;
}

ustring Options::serialise() const
{
    ustring text;
    for (const ustring& line : m_lines) {
        if (!text.empty())
            text += u'\n';
        slate::usubstring key, value;
        if (parseOptionsLine(line, key, value)) {
            auto found = m_values.find(key.str());
            if (found != m_values.end()) {
                text += found->first;
                text += u' ';
                text += found->second;
                continue;
            }
        }
        text += line;
    }
    return text;
}

bool Options::save(const ustring& path) const
{
    if (!slate::FileManager::alive())
        return false;
    ustring nativePath = slate::FileManager::get().nativePath(path);
    if (nativePath.empty())
        return false;
    ustring text = serialise();
    std::string utf8 = toUtf8(text);
    // set keeps unpaired surrogates out, but lines read from a file are not
    // checked again: never replace a file with nothing for want of a form.
    if (utf8.empty() && !text.empty())
        return false;
    std::string bytes;
    bytes.reserve(utf8.size() + m_lines.size());
    for (char byte : utf8) {
        if (byte == '\n')
            bytes += '\r';
        bytes += byte;
    }
    return writeFileAtomically(nativePath, bytes);
}

bool Options::set(const ustring& key, const ustring& value)
{
    const char* problem = optionsKeyProblem(key);
    if (!problem)
        problem = optionsValueProblem(value);
    if (problem) {
        ustring shown = escapeString(key);
        replaceAll(shown, slate::usubstring(u"\r"), slate::usubstring(u"\\r"));
        VLOG << u"Refused to set the option \"" << shown << u"\": " << problem;
        return false;
    }
    auto found = m_values.find(key);
    if (found == m_values.end()) {
        m_lines.push_back(key + u' ' + value);
        m_keys.push_back(key);
        m_values.emplace(key, value);
    } else {
        found->second = value;
    }
    return true;
}

bool Options::set(const slate::substring& key, const ustring& value)
{
    return set(keyText(key), value);
}

void Options::erase(const ustring& key)
{
    for (auto line = m_lines.begin(); line != m_lines.end(); ++line) {
        slate::usubstring lineKey, value;
        if (parseOptionsLine(*line, lineKey, value) && lineKey == slate::usubstring(key)) {
            m_lines.erase(line);
            break;
        }
    }
    auto listed = std::find(m_keys.begin(), m_keys.end(), key);
    if (listed != m_keys.end())
        m_keys.erase(listed);
    m_values.erase(key);
}

void Options::erase(const slate::substring& key) { erase(keyText(key)); }

const ustring* Options::find(const ustring& key) const
{
    auto found = m_values.find(key);
    if (found != m_values.end())
        return &found->second;
    for (auto parent = m_parents.rbegin(); parent != m_parents.rend(); ++parent) {
        if (const ustring* value = (*parent)->find(key))
            return value;
    }
    return nullptr;
}

const ustring* Options::find(const slate::substring& key) const { return find(keyText(key)); }

bool Options::getString(const ustring& key, ustring& value) const
{
    const ustring* found = find(key);
    if (!found)
        return false;
    value = *found;
    return true;
}

bool Options::getInt(const ustring& key, int& value) const
{
    const ustring* found = find(key);
    if (!found)
        return false;
    value = toInt(*found);
    return true;
}

bool Options::getInt64(const ustring& key, int64_t& value) const
{
    const ustring* found = find(key);
    if (!found)
        return false;
    value = toInt64(*found);
    return true;
}

bool Options::getFloat(const ustring& key, float& value) const
{
    const ustring* found = find(key);
    if (!found)
        return false;
    double number = readDouble(*found);
    // Narrowing a finite double beyond the float range is undefined; atof's
    // result narrowed on the usual hardware is the infinity of its sign.
    if (std::isfinite(number) && std::fabs(number) > std::numeric_limits<float>::max())
        number = number < 0 ? -HUGE_VAL : HUGE_VAL;
    value = static_cast<float>(number);
    return true;
}

bool Options::getDouble(const ustring& key, double& value) const
{
    const ustring* found = find(key);
    if (!found)
        return false;
    value = readDouble(*found);
    return true;
}

bool Options::getBool(const ustring& key, bool& value) const
{
    const ustring* found = find(key);
    if (!found)
        return false;
    value = *found == u"true";
    return true;
}

bool Options::getString(const slate::substring& key, ustring& value) const
{
    return getString(keyText(key), value);
}
bool Options::getInt(const slate::substring& key, int& value) const
{
    return getInt(keyText(key), value);
}
bool Options::getInt64(const slate::substring& key, int64_t& value) const
{
    return getInt64(keyText(key), value);
}
bool Options::getFloat(const slate::substring& key, float& value) const
{
    return getFloat(keyText(key), value);
}
bool Options::getDouble(const slate::substring& key, double& value) const
{
    return getDouble(keyText(key), value);
}
bool Options::getBool(const slate::substring& key, bool& value) const
{
    return getBool(keyText(key), value);
}

bool Options::setInt(const ustring& key, int value) { return set(key, integerText(value)); }
bool Options::setInt64(const ustring& key, int64_t value) { return set(key, integerText(value)); }
bool Options::setFloat(const ustring& key, float value)
{
    return set(key, fixedText(static_cast<double>(value)));
}
bool Options::setDouble(const ustring& key, double value) { return set(key, fixedText(value)); }
bool Options::setBool(const ustring& key, bool value)
{
    return set(key, value ? u"true" : u"false");
}

bool Options::setInt(const slate::substring& key, int value) { return setInt(keyText(key), value); }
bool Options::setInt64(const slate::substring& key, int64_t value)
{
    return setInt64(keyText(key), value);
}
bool Options::setFloat(const slate::substring& key, float value)
{
    return setFloat(keyText(key), value);
}
bool Options::setDouble(const slate::substring& key, double value)
{
    return setDouble(keyText(key), value);
}
bool Options::setBool(const slate::substring& key, bool value)
{
    return setBool(keyText(key), value);
}

void Options::addParent(const slate::SP<Options>& parent)
{
    VASSERT(parent);
    VASSERT(std::find(m_parents.begin(), m_parents.end(), parent) == m_parents.end());
    const bool closesCycle = parent && (parent.get() == this || parent->hasAncestor(this));
    VASSERT(!closesCycle);
    if (!parent || closesCycle ||
        std::find(m_parents.begin(), m_parents.end(), parent) != m_parents.end())
        return;
    m_parents.push_back(parent);
    parent->m_children.push_back(this);
}

void Options::removeParents()
{
    for (const slate::SP<Options>& parent : m_parents) {
        auto it = std::find(parent->m_children.begin(), parent->m_children.end(), this);
        VASSERT(it != parent->m_children.end());
        if (it != parent->m_children.end())
            parent->m_children.erase(it);
    }
    // Moved out first: releasing a parent may destroy it, and its destructor
    // must not see a half-emptied vector here.
    std::vector<slate::SP<Options>> released;
    released.swap(m_parents);
}

bool Options::inheritsFrom(const slate::SP<Options>& other) const
{
    return hasAncestor(other.get());
}

bool Options::hasAncestor(const Options* other) const
{
    for (const slate::SP<Options>& parent : m_parents) {
        if (parent.get() == other || parent->hasAncestor(other))
            return true;
    }
    return false;
}

Options::ListenerId Options::addListener(Listener listener)
{
    if (!listener)
        return 0;
    m_listeners.push_back({++m_lastListenerId, std::move(listener)});
    return m_lastListenerId;
}

void Options::removeListener(ListenerId id)
{
    for (auto it = m_listeners.begin(); it != m_listeners.end(); ++it) {
        if (it->first == id) {
            m_listeners.erase(it);
            return;
        }
    }
}

void Options::clearListeners() { m_listeners.clear(); }

void Options::notifyChanged()
{
    // A copy, so that a listener which clears the list (against the rules)
    // does not destroy the callback that is running.
    std::vector<std::pair<ListenerId, Listener>> listeners = m_listeners;
    for (const auto& listener : listeners)
        listener.second();
    // By index, with the size read each time, so that a child unlinked along
    // the way is never reached through a stale iterator.
    for (size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->notifyChanged();
}

void Options::getIndexedKeys(const ustring& prefix, std::vector<ustring>& out) const
{
    const ustring start = prefix + u'[';
    const size_t limit = m_values.size() + kIndexedKeySlack;
    for (auto it = m_values.upper_bound(start);
         it != m_values.end() && it->first.compare(0, start.size(), start) == 0; ++it) {
        const ustring& key = it->first;
        // The text after "prefix[" read as toInt does ("3].a" gives 3).
        int index = toInt(key.data() + start.size(), key.data() + key.size());
        if (index < 0 || static_cast<size_t>(index) > limit)
            continue;
        size_t slot = static_cast<size_t>(index);
        if (slot >= out.size())
            out.resize(slot + 1);
        out[slot] = start + integerText(index) + u']';
    }
}

void Options::getIndexedKeys(const slate::substring& prefix, std::vector<ustring>& out) const
{
    getIndexedKeys(keyText(prefix), out);
}

void Options::getGroup(const ustring& prefix, const slate::SP<Options>& target) const
{
    if (!target)
        return;
    const ustring start = prefix + u'.';
    // Collected first: the target may be this object.
    std::vector<std::pair<ustring, ustring>> members;
    for (auto it = m_values.upper_bound(start);
         it != m_values.end() && it->first.compare(0, start.size(), start) == 0; ++it)
        members.emplace_back(it->first.substr(start.size()), it->second);
    for (const auto& member : members)
        target->set(member.first, member.second);
}

void Options::getGroup(const slate::substring& prefix, const slate::SP<Options>& target) const
{
    getGroup(keyText(prefix), target);
}

void Options::setGroup(const ustring& prefix, const slate::SP<Options>& source)
{
    if (!source)
        return;
    const std::map<ustring, ustring> members = source->m_values;
    for (const auto& member : members)
        set(prefix + u'.' + member.first, member.second);
}

void Options::setGroup(const slate::substring& prefix, const slate::SP<Options>& source)
{
    setGroup(keyText(prefix), source);
}
