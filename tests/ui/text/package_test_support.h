// Helpers for tests of the code that reads package files (colour schemes,
// preferences): an in-memory "Packages/" mount, a recorder of the errors the
// code reports to the user, interned scopes and property-list text.
#pragma once

#include <initializer_list>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/memory_file_system.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/recording_platform.h"
#include "ui/text/scope_name_pool.h"
#include "ui/unicode.h"

namespace package_test {

// Installs a file manager with one in-memory file system at "Packages/" for
// its lifetime. The file system has no native names, so the property-list
// reader writes no cache files.
class MemoryPackages {
public:
    MemoryPackages() : m_files(new testing_support::MemoryFileSystem)
    {
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/", m_files);
    }
    ~MemoryPackages() { slate::FileManager::destroy(); }
    MemoryPackages(const MemoryPackages&) = delete;
    MemoryPackages& operator=(const MemoryPackages&) = delete;

    // `path` is below "Packages/".
    void add(const ustring& path, const std::string& bytes) { m_files->addFile(path, bytes); }
    void remove(const ustring& path) { m_files->remove(path); }

    // Writes (or removes, with `flags` FileChangeRemoved) a file and delivers
    // the change to the watches, as WM_FILES_CHANGED does.
    void change(const ustring& path, const std::string& bytes, int32_t flags = FileChangeModified)
    {
        if (flags == FileChangeRemoved)
            m_files->remove(path);
        else
            m_files->addFile(path, bytes);
        m_files->queueChange(path, flags);
        slate::FileManager::get().update();
    }

private:
    testing_support::MemoryFileSystem* m_files; // owned by the file manager
};

// Installs, for its lifetime, a platform and a notification manager that
// record in order every error reported to the user, and show nothing. The
// manager logs each report ("ERROR: " and the text) before deciding whether
// to show a box, so repeats within its quiet period are recorded too.
class ReportedErrors : public RecordingPlatform {
public:
    ReportedErrors() : m_debugOutputWas(g_debugOutputEnabled.load())
    {
        g_debugOutputEnabled = true;
        auto* manager = new NotificationManager(u"Test");
        manager->setErrorBoxFunction([](platform::WindowHandle, const ustring&, const ustring&) {});
        NotificationManager::set(manager);
    }
    ~ReportedErrors() override
    {
        NotificationManager::destroy();
        g_debugOutputEnabled = m_debugOutputWas;
    }

    void debugOutputNarrow(const std::string& text) override
    {
        static const std::string kPrefix = "ERROR: ";
        if (text.compare(0, kPrefix.size(), kPrefix) != 0) {
            RecordingPlatform::debugOutputNarrow(text);
            return;
        }
        std::string message = text.substr(kPrefix.size());
        if (!message.empty() && message.back() == '\n')
            message.pop_back();
        std::lock_guard<std::mutex> lock(m_lock);
        m_errors.push_back(message);
    }

    // Error boxes run at once on the reporting thread (and show nothing), so
    // no thread outlives a test.
    platform::ThreadHandle startThread(platform::ThreadFunction entry, void* parameter) override
    {
        entry(parameter);
        return &m_finishedThread;
    }
    bool joinThread(platform::ThreadHandle thread, uint32_t timeoutMs) override
    {
        return thread == &m_finishedThread || RecordingPlatform::joinThread(thread, timeoutMs);
    }
    void closeThread(platform::ThreadHandle thread) override
    {
        if (thread != &m_finishedThread)
            RecordingPlatform::closeThread(thread);
    }

    // The errors reported so far, and forgets them.
    std::vector<std::string> take()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return std::exchange(m_errors, {});
    }

private:
    bool m_debugOutputWas;
    int m_finishedThread = 0; // its address stands for every thread started
    std::mutex m_lock;
    std::vector<std::string> m_errors;
};

// Scope records as a compiled syntax hands them out.
class Scopes {
public:
    Scopes() : m_pool(m_arena) {}

    // `text` as the pool stores it: scope names innermost first, each
    // followed by a blank ("string.quoted.double.js source.js ").
    const ScopeRecord* operator()(const char16_t* text) { return m_pool.intern(slate::usubstring(text)); }

private:
    ArenaAllocator m_arena;
    ScopeNamePool m_pool;
};

// A property list around `body`, which is one XML value.
inline std::string plist(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           body + "\n</plist>\n";
}

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// A dictionary of string values.
inline std::string stringDict(const KeyValues& entries)
{
    std::string xml = "<dict>";
    for (const auto& entry : entries)
        xml += "<key>" + entry.first + "</key><string>" + entry.second + "</string>";
    return xml + "</dict>";
}

} // namespace package_test
