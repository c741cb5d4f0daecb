// Log statements, listeners and assertion reports. A statement collects its
// values in a `LogRecord` and emits them when the record dies. The debugger
// line and the assertion box go through the platform interface, so the same
// code runs in the Win32 program and in native tests. Listeners belong to the
// main thread, which is the first thread ever to deliver a message; the list
// is deliberately lock-free, and messages logged on other threads reach the
// debugger only. Numbers are formatted with to_chars, which ignores the
// process locale, so log lines look the same everywhere.
#include "ui/log.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "ui/unicode.h"

std::atomic<bool> g_debugOutputEnabled{true};

namespace {

// Built on first use, so that listeners may register from static
// initialisers in any order.
std::vector<DebugListener*>& listeners()
{
    static std::vector<DebugListener*> s_listeners;
    return s_listeners;
}

// And at the latest by this file's static initialisation, so that the list
// exists, empty, when the entry point starts.
const bool s_listenersBuilt = (listeners(), true);

// Default-constructed (no thread) until the first delivery claims it.
std::atomic<std::thread::id> s_deliveryThread{};

const size_t kPrefixLimit = 127;
const size_t kPrefixColumns = 65;

void appendNarrow(ustring& out, const char* begin, const char* end)
{
    for (const char* p = begin; p != end; ++p)
        out += static_cast<uchar>(static_cast<unsigned char>(*p));
}

template <typename Integer>
void appendInteger(ustring& out, Integer value)
{
    char buffer[32];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    appendNarrow(out, buffer, result.ptr);
}

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 sequence,
// so that the strict conversion of the prefix never fails on a cut name.
void cutUtf8(std::string& text, size_t limit)
{
    if (text.size() <= limit)
        return;
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
}

const char* fileNameOnly(const char* path)
{
    // The program's own paths use backslashes; the compiler's __FILE__ here
    // uses slashes, so either counts as the last separator.
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    return name;
}

} // namespace

LogRecord::LogRecord(const char* function, const char* file, int line)
    : m_function(function), m_file(file), m_line(line)
{
}

LogRecord::~LogRecord() { logLine(m_function, m_file, m_line, m_text); }

LogRecord& LogRecord::operator<<(const ustring& text)
{
    m_text += text;
    return *this;
}

LogRecord& LogRecord::operator<<(const slate::usubstring& text)
{
    m_text.append(text.begin, text.end);
    return *this;
}

LogRecord& LogRecord::operator<<(const uchar* text)
{
    if (text)
        m_text += text;
    return *this;
}

LogRecord& LogRecord::operator<<(uchar unit)
{
    m_text += unit;
    return *this;
}

LogRecord& LogRecord::operator<<(const std::string& text)
{
    appendNarrow(m_text, text.data(), text.data() + text.size());
    return *this;
}

LogRecord& LogRecord::operator<<(const slate::substring& text)
{
    appendNarrow(m_text, text.begin, text.end);
    return *this;
}

LogRecord& LogRecord::operator<<(const char* text)
{
    if (text)
        appendNarrow(m_text, text, text + strlen(text));
    return *this;
}

LogRecord& LogRecord::operator<<(char unit)
{
    appendNarrow(m_text, &unit, &unit + 1);
    return *this;
}

LogRecord& LogRecord::operator<<(bool value)
{
    m_text += value ? u"true" : u"false";
    return *this;
}

LogRecord& LogRecord::operator<<(signed char value) { return *this << static_cast<int>(value); }
LogRecord& LogRecord::operator<<(unsigned char value) { return *this << static_cast<unsigned>(value); }
LogRecord& LogRecord::operator<<(short value) { return *this << static_cast<int>(value); }
LogRecord& LogRecord::operator<<(unsigned short value) { return *this << static_cast<unsigned>(value); }

LogRecord& LogRecord::operator<<(int value)
{
    appendInteger(m_text, value);
    return *this;
}

LogRecord& LogRecord::operator<<(unsigned value)
{
    appendInteger(m_text, value);
    return *this;
}

LogRecord& LogRecord::operator<<(long value)
{
    appendInteger(m_text, value);
    return *this;
}

LogRecord& LogRecord::operator<<(unsigned long value)
{
    appendInteger(m_text, value);
    return *this;
}

LogRecord& LogRecord::operator<<(long long value)
{
    appendInteger(m_text, value);
    return *this;
}

LogRecord& LogRecord::operator<<(unsigned long long value)
{
    appendInteger(m_text, value);
    return *this;
}

LogRecord& LogRecord::operator<<(double value)
{
    char buffer[64];
    std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    appendNarrow(m_text, buffer, result.ptr);
    return *this;
}

LogRecord& LogRecord::operator<<(const void* pointer)
{
    char buffer[32] = "0x";
    std::to_chars_result result = std::to_chars(buffer + 2, buffer + sizeof buffer,
                                                reinterpret_cast<uintptr_t>(pointer), 16);
    appendNarrow(m_text, buffer, result.ptr);
    return *this;
}

void logLine(const char* function, const char* file, int line, const ustring& message)
{
    if (g_debugOutputEnabled.load(std::memory_order_relaxed)) {
        char lineText[16];
        snprintf(lineText, sizeof lineText, "%-3d", line);
        std::string prefix = fileNameOnly(file ? file : "");
        prefix += ':';
        prefix += lineText;
        prefix += ' ';
        prefix += function ? function : "";
        cutUtf8(prefix, kPrefixLimit);
        if (prefix.size() < kPrefixColumns)
            prefix.append(kPrefixColumns - prefix.size(), ' ');
        prefix += ' ';
        cutUtf8(prefix, kPrefixLimit);

        ustring output = toUstring(prefix);
        output += message;
        output += u'\n';
        platform::get().debugOutput(output);
    }
    notifyDebugListeners(message + u'\n');
}

void debugPrintf(const char* format, ...)
{
    char buffer[4096];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (g_debugOutputEnabled.load(std::memory_order_relaxed))
        platform::get().debugOutputNarrow(buffer);
}

void debugOutput(const ustring& text)
{
    if (g_debugOutputEnabled.load(std::memory_order_relaxed))
        platform::get().debugOutput(text);
    notifyDebugListeners(text);
}

void notifyDebugListeners(const ustring& text)
{
    const std::thread::id self = std::this_thread::get_id();
    std::thread::id delivery = s_deliveryThread.load(std::memory_order_acquire);
    if (delivery == std::thread::id()) {
        // The first caller claims delivery; a loser of the race keeps the winner.
        if (s_deliveryThread.compare_exchange_strong(delivery, self, std::memory_order_acq_rel))
            delivery = self;
    }
    if (delivery != self)
        return;
    // By index: a listener may register another while being called.
    std::vector<DebugListener*>& list = listeners();
    for (size_t i = 0; i < list.size(); ++i)
        list[i]->message(text.c_str());
}

void addDebugListener(DebugListener* listener)
{
    std::vector<DebugListener*>& list = listeners();
    if (std::find(list.begin(), list.end(), listener) == list.end())
        list.push_back(listener);
}

void removeDebugListener(DebugListener* listener)
{
    std::vector<DebugListener*>& list = listeners();
    list.erase(std::remove(list.begin(), list.end(), listener), list.end());
}

void assertionFailed(const char* expression, const char* file, int line)
{
    ustring text = u"Assertion failed in ";
    text += toUstring(file ? file : "");
    text += u':';
    appendInteger(text, line);
    text += u": ";
    text += toUstring(expression ? expression : "");
    platform::get().showAssertion(text);
}
