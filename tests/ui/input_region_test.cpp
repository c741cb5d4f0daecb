#include "ui/input_region.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Regions are only compared by their window, never call it.
BaseWindow* fakeWindow()
{
    static int storage;
    return reinterpret_cast<BaseWindow*>(&storage);
}

// Records each region asked, in order, and takes the event when `takes`.
struct NamedRegion : InputRegion {
    NamedRegion(const char* name, const interval2& rect, bool takes, std::vector<std::string>& asked)
        : InputRegion(fakeWindow(), RegionId(this), rect), m_name(name), m_takes(takes), m_asked(asked)
    {
    }
    bool onMotion(const MotionEvent&) override
    {
        m_asked.push_back(m_name);
        return m_takes;
    }
    std::string m_name;
    bool m_takes;
    std::vector<std::string>& m_asked;
};

} // namespace

TEST(InputRegion, PointDispatchOrder)
{
    std::vector<std::string> asked;
    auto root = std::make_unique<NamedRegion>("root", interval2(0, 0, 100, 100), false, asked);
    auto* earlier = new NamedRegion("earlier", interval2(10, 10, 50, 50), false, asked);
    auto* later = new NamedRegion("later", interval2(30, 30, 70, 70), false, asked);
    auto* outside = new NamedRegion("outside", interval2(90, 90, 150, 150), true, asked);
    root->addChild(earlier);
    root->addChild(later);
    later->addChild(outside);

    struct Case {
        float x, y;
        std::vector<std::string> asked;
        bool taken;
    };
    const Case cases[] = {
        {40, 40, {"later", "earlier", "root"}, false},
        {50, 20, {"root"}, false},           // right edge of "earlier" is outside it
        {49.9f, 20, {"earlier", "root"}, false},
        {70, 70, {"root"}, false},           // bottom right corner of "later"
        {120, 120, {"outside"}, true},       // reached through the bounds of root and later
        {95, 95, {"outside"}, true},
        {200, 200, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        asked.clear();
        MotionEvent event;
        bool taken = dispatchAtPoint(*root, c.x, c.y, [&](InputRegion& r) { return r.onMotion(event); });
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(asked, c.asked);
    }

    // The later sibling takes the event: nobody else is asked.
    later->m_takes = true;
    asked.clear();
    MotionEvent event;
    EXPECT_TRUE(dispatchAtPoint(*root, 40, 40, [&](InputRegion& r) { return r.onMotion(event); }));
    EXPECT_EQ(asked, std::vector<std::string>{"later"});
}

TEST(InputRegion, AddChildKeepsNewestFirstAndGrowsBoundsUpTheTree)
{
    std::vector<std::string> asked;
    NamedRegion root("root", interval2(0, 0, 100, 100), false, asked);
    auto* middle = new NamedRegion("middle", interval2(10, 10, 20, 20), false, asked);
    root.addChild(middle);
    auto* inside = new NamedRegion("inside", interval2(12, 12, 18, 18), false, asked);
    middle->addChild(inside);
    EXPECT_EQ(middle->bounds(), interval2(10, 10, 20, 20));
    EXPECT_EQ(root.bounds(), interval2(0, 0, 100, 100));

    auto* wide = new NamedRegion("wide", interval2(-5, 15, 150, 18), false, asked);
    middle->addChild(wide);
    EXPECT_EQ(middle->bounds(), interval2(-5, 10, 150, 20));
    EXPECT_EQ(root.bounds(), interval2(-5, 0, 150, 100));
    EXPECT_EQ(middle->rect(), interval2(10, 10, 20, 20));

    EXPECT_EQ(middle->firstChild(), wide);
    EXPECT_EQ(wide->nextSibling(), inside);
    EXPECT_EQ(inside->nextSibling(), nullptr);
    EXPECT_EQ(wide->parent(), middle);
}

TEST(InputRegion, DeletingTheRootDeletesTheFrame)
{
    // Many siblings side by side, each with a child: every one is freed
    // (the sanitizer build reports a leak otherwise) without deep recursion.
    std::vector<std::string> asked;
    auto* root = new NamedRegion("root", interval2(0, 0, 10, 10), false, asked);
    for (int i = 0; i < 100000; ++i) {
        auto* row = new NamedRegion("row", interval2(0, 0, 10, 10), false, asked);
        root->addChild(row);
        row->addChild(new NamedRegion("cell", interval2(0, 0, 1, 1), false, asked));
    }
    delete root;
}

TEST(InputRegion, BaseDefaults)
{
    InputRegion region(fakeWindow(), RegionId(), interval2(0, 0, 1, 1));
    CursorKind kind = CursorKind::Move;
    EXPECT_TRUE(region.cursor(InputState(), kind));
    EXPECT_EQ(kind, CursorKind::Arrow);
    bool result = true;
    EXPECT_FALSE(region.checkContext(u"a", u"b", result));
    EXPECT_EQ(region.commandRunner(), nullptr);
    EXPECT_FALSE(region.acceptsFocus());
    DragHandler drag;
    EXPECT_EQ(drag.onMotion(MotionEvent()), DragResult::Continue);
}

TEST(RegionId, OrdersByScopeThenObjectThenSignedIndex)
{
    static const int cells[2] = {};
    const int* c0 = &cells[0];
    const int* c1 = &cells[1];
    EXPECT_FALSE(RegionId().isSet());
    EXPECT_TRUE(RegionId(nullptr, nullptr, -1).isSet());
    const RegionId ordered[] = {
        RegionId(nullptr, nullptr, -1), RegionId(), RegionId(nullptr, nullptr, 1),
        RegionId(c0), RegionId(c0, 2), RegionId(c1), RegionId(c0, c0), RegionId(c0, c1),
        RegionId(c0, c1, 3), RegionId(c1, c0),
    };
    for (size_t i = 0; i + 1 < std::size(ordered); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(ordered[i] < ordered[i + 1]);
        EXPECT_FALSE(ordered[i + 1] < ordered[i]);
        EXPECT_NE(ordered[i], ordered[i + 1]);
    }
    EXPECT_EQ(RegionId(c0, 2), RegionId(nullptr, c0, 2));
}
