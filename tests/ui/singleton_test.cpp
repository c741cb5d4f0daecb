// The base that keeps a service's one instance.
#include "ui/singleton.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/forwarding_platform.h"

namespace {

struct BreakpointHit {};

class AssertionRecorder : public ForwardingPlatform {
public:
    void showAssertion(const ustring& text) override { assertions.push_back(text); }
    [[noreturn]] void breakpoint() override { throw BreakpointHit(); }
    std::vector<ustring> assertions;
};

class Service : public Singleton<Service> {
public:
    static void adopt(Service* instance) { install(instance); }
    ~Service() { aliveDuringDestruction = alive(); }

    static inline bool aliveDuringDestruction = true;
};

TEST(Singleton, DestroyClearsTheSlotBeforeTheDestructorRuns)
{
    ASSERT_FALSE(Service::alive());
    Service* instance = new Service;
    Service::adopt(instance);
    EXPECT_TRUE(Service::alive());
    EXPECT_EQ(instance, &Service::get());
    Service::destroy();
    EXPECT_FALSE(Service::aliveDuringDestruction);
    EXPECT_FALSE(Service::alive());
}

TEST(Singleton, SecondInstallIsReportedAndKeepsTheFirst)
{
    AssertionRecorder recorder;
    Service* first = new Service;
    Service* second = new Service;
    Service::adopt(first);
    EXPECT_THROW(Service::adopt(second), BreakpointHit);
    EXPECT_EQ(1u, recorder.assertions.size());
    EXPECT_EQ(first, &Service::get());
    delete second; // never installed, so still the caller's
    Service::destroy();
    EXPECT_FALSE(Service::alive());
}

} // namespace
