// Diagnostics: log statements and assertion reports.
//
//     VLOG << u"Opened " << path << u" in " << milliseconds << u" ms";
//     VASSERT(s_singletonInstance);
//
// A log statement sends one line, prefixed with file, line and function, to
// the system debugger when `g_debugOutputEnabled` is set, and hands its bare
// message (with a line feed) to the registered `DebugListener`s. There are no
// levels and no log file. A failed assertion shows a modal report and then
// stops at a breakpoint trap; assertions are compiled into every build and are
// for broken invariants only, never for user data or file contents.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "ui/platform.h"
#include "ui/ustring.h"

// Whether log lines go to the system debugger. Listeners are served either
// way. Set by start-up before anything is logged.
extern std::atomic<bool> g_debugOutputEnabled;

// One log statement: collects the streamed values and emits them as one line
// when it is destroyed at the end of the statement. Narrow text is widened
// unit by unit (it is expected to be ASCII); numbers are formatted in the C
// locale. Use it through VLOG, which supplies the function, file and line.
class LogRecord {
public:
    // `function` and `file` must be static texts (the compiler's own).
    LogRecord(const char* function, const char* file, int line);
    ~LogRecord();
    LogRecord(const LogRecord&) = delete;
    LogRecord& operator=(const LogRecord&) = delete;

    LogRecord& operator<<(const ustring& text);
    LogRecord& operator<<(const slate::usubstring& text);
    LogRecord& operator<<(const uchar* text); // NUL-terminated; null writes nothing
    LogRecord& operator<<(uchar unit);
    LogRecord& operator<<(const std::string& text);
    LogRecord& operator<<(const slate::substring& text);
    LogRecord& operator<<(const char* text); // NUL-terminated; null writes nothing
    LogRecord& operator<<(char unit);
    LogRecord& operator<<(bool value); // "true" or "false"
    LogRecord& operator<<(signed char value);
    LogRecord& operator<<(unsigned char value);
    LogRecord& operator<<(short value);
    LogRecord& operator<<(unsigned short value);
    LogRecord& operator<<(int value);
    LogRecord& operator<<(unsigned value);
    LogRecord& operator<<(long value);
    LogRecord& operator<<(unsigned long value);
    LogRecord& operator<<(long long value);
    LogRecord& operator<<(unsigned long long value);
    LogRecord& operator<<(double value); // as "%g"
    LogRecord& operator<<(const void* pointer); // as 0x and hexadecimal digits

    // The message collected so far.
    const ustring& text() const { return m_text; }

private:
    const char* m_function;
    const char* m_file;
    int m_line;
    ustring m_text;
};

#define VLOG LogRecord(__func__, __FILE__, __LINE__)

// Writes one log line: "file:line function" padded to 65 columns, a blank and
// `message` to the system debugger when enabled, then `message` + LF to the
// listeners. Any thread; listeners are reached only on the delivery thread.
void logLine(const char* function, const char* file, int line, const ustring& message);

// A printf-style narrow message to the system debugger (when enabled), cut to
// 4095 bytes. Never reaches the listeners. Any thread.
void debugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// `text` unchanged to the system debugger (when enabled) and to the listeners.
void debugOutput(const ustring& text);

// Receives log messages. Register with addDebugListener and remove before
// destruction; the list does not own its listeners.
class DebugListener {
public:
    virtual ~DebugListener() = default;
    // One NUL-terminated message, normally ending in LF. Called synchronously
    // inside the log statement on the delivery thread: do not log from here.
    virtual void message(const uchar* text) = 0;
};

// Calls every registered listener in registration order, but only on the
// delivery thread: the first thread that ever calls this (in practice the
// main thread, which logs during start-up). On any other thread it does
// nothing.
void notifyDebugListeners(const ustring& text);

// Appends `listener` unless it is already registered. Main thread only.
void addDebugListener(DebugListener* listener);
// Removes `listener`; nothing when it is not registered. Main thread only.
void removeDebugListener(DebugListener* listener);

// Shows the report "Assertion failed in FILE:LINE: EXPRESSION" in a modal box
// captioned "Assertion Error". Returns when the box is closed; VASSERT then
// traps.
void assertionFailed(const char* expression, const char* file, int line);

#define VASSERT(expression)                                                                      \
    do {                                                                                         \
        if (!(expression)) {                                                                     \
            assertionFailed(#expression, __FILE__, __LINE__);                                    \
            platform::get().breakpoint();                                                        \
        }                                                                                        \
    } while (0)
