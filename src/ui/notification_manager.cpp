// Status text, hints and error boxes. Errors come from anywhere, worker
// threads included (file loading, the snippet scan), and a loader that fails
// on every file of a package would otherwise bury the user under identical
// boxes; so the last error and the time of its last report are kept under a
// lock, and the same text again within the quiet period is dropped and moves
// the period on. Each box runs on a thread of its own so that the reporter
// never waits for the user. All times are 32-bit ticks compared by their
// difference, which stays right when the tick count wraps (every 49.7 days).
#include "ui/notification_manager.h"

#include <memory>

#include "ui/log.h"
#include "ui/unicode.h"

namespace {

// Everything a box thread needs; owned by the thread, which deletes it when
// the box is closed.
struct ErrorBoxJob {
    NotificationManager::ErrorBoxFunction show;
    platform::WindowHandle owner;
    ustring caption;
    ustring text;
};

void runErrorBox(void* parameter)
{
    auto* job = static_cast<ErrorBoxJob*>(parameter);
    job->show(job->owner, job->caption, job->text);
    delete job;
}

} // namespace

NotificationManager::NotificationManager(const ustring& title) : m_title(title) {}

void NotificationManager::set(NotificationManager* instance)
{
    install(instance);
}

void NotificationManager::setErrorBoxFunction(ErrorBoxFunction function)
{
    ScopedLock lock(m_lock);
    m_errorBox = std::move(function);
}

void NotificationManager::setClock(ClockFunction clock)
{
    ScopedLock lock(m_lock);
    m_clock = std::move(clock);
}

void NotificationManager::setOwnerWindowFunction(OwnerWindowFunction function)
{
    ScopedLock lock(m_lock);
    m_ownerWindow = std::move(function);
}

void NotificationManager::setHint(const slate::usubstring& hint)
{
    m_hint.assign(hint.begin, hint.end);
}

const ustring& NotificationManager::status()
{
    if (!m_status.empty() && now() - m_statusTime > kStatusLifetimeMs)
        m_status.clear();
    return m_status;
}

void NotificationManager::setStatus(const ustring& text)
{
    m_status = text;
    m_statusTime = now();
}

void NotificationManager::clearStatus()
{
    m_status.clear();
}

uint32_t NotificationManager::now() const
{
    return m_clock ? m_clock() : platform::get().tickCount32();
}

bool NotificationManager::takeError(const ustring& text, ustring& caption, platform::WindowHandle& owner)
{
    const uint32_t time = now();
    if (text == m_lastError && time - m_lastErrorTime < kErrorRepeatQuietMs) {
        m_lastErrorTime = time;
        return false;
    }
    m_lastError = text;
    m_lastErrorTime = time;
    caption = m_title.empty() ? ustring(u"Error") : m_title;
    owner = m_ownerWindow ? m_ownerWindow() : nullptr;
    return true;
}

void NotificationManager::displayError(const ustring& text)
{
    auto job = std::make_unique<ErrorBoxJob>();
    {
        ScopedLock lock(m_lock);
        debugPrintf("ERROR: %s\n", toUtf8(text).c_str());
        if (!takeError(text, job->caption, job->owner))
            return;
        job->show = m_errorBox ? m_errorBox : ErrorBoxFunction(showErrorBox);
    }
    job->text = text;
    platform::ThreadHandle thread = platform::get().startThread(runErrorBox, job.get());
    if (!thread)
        return;
    job.release(); // the thread deletes it
    platform::get().closeThread(thread);
}

void NotificationManager::displayBlockingError(const ustring& text)
{
    VLOG << u"ERROR:" << text;
    ustring caption;
    platform::WindowHandle owner = nullptr;
    ErrorBoxFunction show;
    {
        ScopedLock lock(m_lock);
        if (!takeError(text, caption, owner))
            return;
        show = m_errorBox ? m_errorBox : ErrorBoxFunction(showErrorBox);
    }
    show(owner, caption, text);
    // The quiet period counts from the moment the user closed the box, unless
    // another error has been reported meanwhile.
    ScopedLock lock(m_lock);
    if (m_lastError == text)
        m_lastErrorTime = now();
}
