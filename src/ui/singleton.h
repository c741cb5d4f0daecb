// The one process-wide instance of a service class, kept by a base the class
// derives from: `class Styler : public Singleton<Styler>`. Start-up installs
// the instance and shutdown destroys it; code that may run outside that
// span (a worker thread during shutdown, a test without the service) asks
// `alive` before `get`. Installing and destroying happen on the main thread.
#pragma once

#include "ui/log.h"

template <typename Service>
class Singleton {
public:
    // Whether the instance exists.
    static bool alive() { return s_instance != nullptr; }
    // The instance, which must exist.
    static Service& get()
    {
        VASSERT(s_instance);
        return *s_instance;
    }
    // Deletes the instance, which must exist. The slot is cleared first, so
    // code run by its destructor (a handle released, a listener told) sees
    // the service as gone.
    static void destroy()
    {
        VASSERT(s_instance);
        Service* instance = s_instance;
        s_instance = nullptr;
        delete instance;
    }

protected:
    Singleton() = default;
    ~Singleton() = default;

    // Makes `instance` (owned from now on) the instance; none may exist yet,
    // and while one does a second is refused.
    static void install(Service* instance)
    {
        VASSERT(!s_instance);
        if (!s_instance)
            s_instance = instance;
    }

private:
    static inline Service* s_instance = nullptr;
};
