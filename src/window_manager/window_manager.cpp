#include "window_manager/window_manager.h"

#include "ui/log.h"

WindowManager* WindowManager::s_singletonInstance = nullptr;

bool WindowManager::exists()
{
    return s_singletonInstance != nullptr;
}

WindowManager& WindowManager::get()
{
    VASSERT(s_singletonInstance);
    return *s_singletonInstance;
}

void WindowManager::set(WindowManager* instance)
{
    VASSERT(!s_singletonInstance);
    s_singletonInstance = instance;
}

void WindowManager::destroy()
{
    // Cleared first, so the destructor's callees see the manager as gone.
    WindowManager* instance = s_singletonInstance;
    s_singletonInstance = nullptr;
    delete instance;
}
