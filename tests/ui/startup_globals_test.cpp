// The process-wide objects that exist before the entry point must also be
// usable from any other static initialiser, whichever file's initialisers
// the linker happens to run first. This file's initialiser uses them (the
// test objects are linked before the program's libraries, so it runs first)
// and keeps what it saw for the tests below.
#include <gtest/gtest.h>

#include <string>

#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/text/encoding.h"
#include "ui/text/token/token_set.h"
#include "ui/unicode.h"

namespace {

struct EarlyUse {
    std::string heard;
    bool ranBeforeDrain = false;
    bool ranAfterDrain = false;
    std::string euroIn1252;
    uint32_t tokenSetSlots = 0;
    bool tokenSetEmpty = true;
};

class Collector : public DebugListener {
public:
    explicit Collector(std::string& into) : m_into(into) {}
    void message(const uchar* text) override { m_into += toUtf8(text); }

private:
    std::string& m_into;
};

EarlyUse& early()
{
    static EarlyUse s_use;
    return s_use;
}

const bool s_usedEarly = [] {
    EarlyUse& use = early();

    Collector collector(use.heard);
    addDebugListener(&collector);
    notifyDebugListeners(u"before main\n");
    removeDebugListener(&collector);

    bool ran = false;
    postToMainThread([&ran] { ran = true; });
    use.ranBeforeDrain = ran;
    runMainThreadQueue();
    use.ranAfterDrain = ran;

    const ustring euro(1, u'\u20AC');
    const uchar* source = euro.data();
    unsigned char byte = 0;
    if (encodeChunk(kEncodingWindows1252, source, euro.data() + euro.size(), &byte, 1) == 1)
        use.euroIn1252 = std::string(1, static_cast<char>(byte));

    TokenSet set;
    use.tokenSetSlots = set.slotCount();
    set.forEach([&use](const Token*) { use.tokenSetEmpty = false; });
    return true;
}();

TEST(StartupGlobals, ListenerListIsReadyForStaticInitialisers)
{
    EXPECT_EQ("before main\n", early().heard);
}

TEST(StartupGlobals, CallQueuedByAStaticInitialiserWaitsForTheDrain)
{
    EXPECT_FALSE(early().ranBeforeDrain);
    EXPECT_TRUE(early().ranAfterDrain);
}

TEST(StartupGlobals, EncodingMapsAreFilledForStaticInitialisers)
{
    EXPECT_EQ("\x80", early().euroIn1252);
}

TEST(StartupGlobals, TokenSetFindsItsEmptyKeyInPlace)
{
    EXPECT_EQ(TokenSet::kMinimumSlots, early().tokenSetSlots);
    EXPECT_TRUE(early().tokenSetEmpty);
}

} // namespace
