#include <gtest/gtest.h>

#include <cfloat>

#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "canvas/unicode_font.h"
#include "controls/control_events.h"
#include "controls/control_helpers.h"
#include "controls/control_test_window.h"
#include "support/golden_drawing.h"

namespace {

using control_events::button;
using control_events::motion;
using control_events::wheel;
using control_test::TestFrame;

TEST(ControlHelpers, SplitsTreatAnOffsetPastTheExtentAsNone)
{
    struct Case {
        const char* name;
        RectPair (*split)(const interval2&, float);
        float offset;
        interval2 first;
        interval2 second;
    };
    const interval2 rect(0, 0, 100, 50);
    const Case cases[] = {
        {"top past the height", splitRectTop, 60, {0, 0, 100, 0}, {0, 0, 100, 50}},
        {"top at the height", splitRectTop, 50, {0, 0, 100, 50}, {0, 50, 100, 50}},
        {"top inside", splitRectTop, 20, {0, 0, 100, 20}, {0, 20, 100, 50}},
        {"bottom past the height", splitRectBottom, 60, {0, 0, 100, 50}, {0, 50, 100, 50}},
        {"bottom inside", splitRectBottom, 15, {0, 0, 100, 35}, {0, 35, 100, 50}},
        {"left inside", splitRectLeft, 30, {0, 0, 30, 50}, {30, 0, 100, 50}},
        {"left past the width", splitRectLeft, 101, {0, 0, 0, 50}, {0, 0, 100, 50}},
        {"right inside", splitRectRight, 16, {0, 0, 84, 50}, {84, 0, 100, 50}},
        {"right past the width", splitRectRight, 200, {0, 0, 100, 50}, {100, 0, 100, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RectPair parts = c.split(rect, c.offset);
        EXPECT_EQ(parts.first, c.first);
        EXPECT_EQ(parts.second, c.second);
    }
    EXPECT_EQ(splitRectLeftFraction(interval2(0, 0, 99, 10), 0.5f).first, interval2(0, 0, 49, 10));
}

TEST(ControlHelpers, DistributeSizesSharesTheRestAmongFlexibleCells)
{
    const float sizes[] = {20, FLT_MAX, 30};
    float out[4];
    distributeSizes(100, sizes, 3, 5, 10, out);
    EXPECT_FLOAT_EQ(out[0], 10);
    EXPECT_FLOAT_EQ(out[1], 35);
    EXPECT_FLOAT_EQ(out[2], 80);
    EXPECT_FLOAT_EQ(out[3], 115);

    const float fixed[] = {10, 20};
    distributeSizes(100, fixed, 2, 1, 0, out);
    EXPECT_FLOAT_EQ(out[2], 32);
}

TEST(ControlHelpers, BevelPaintsFillThenEdges)
{
    RecordingCanvas canvas;
    const float fill[3] = {1, 1, 1}, light[3] = {0.5f, 0.5f, 0.5f}, dark[3] = {0, 0, 0};
    drawBevel(canvas, interval2(0, 0, 10, 10), 1, fill, light, dark);
    drawBevel(canvas, interval2(5, 5, 5, 10), 1, fill, light, dark);
    EXPECT_EQ(canvas.lines(), (std::vector<std::string>{
                                  "fillRect 0 0 10 10 colour 1 1 1",
                                  "fillRect 0 0 10 1 colour 0 0 0",
                                  "fillRect 0 0 1 10 colour 0 0 0",
                                  "fillRect 9 1 10 10 colour 0.5 0.5 0.5",
                                  "fillRect 1 9 10 10 colour 0.5 0.5 0.5",
                              }));
}

TEST(ControlHelpers, CentredLabelStartsAtTheEdgeWhenTooLargeAndRestoresTheClip)
{
    RecordingCanvas canvas;
    TestFrame frame(canvas);
    const ThemeFont& font = frame.theme().controlFont;
    const ustring text = u"centred";
    const float width = textWidth(*font.font, text.data(), text.data() + text.size());
    const float height = font.font->lineHeight();
    struct Case {
        const char* name;
        interval2 rect;
        float x;
        float y;
    };
    const Case cases[] = {
        {"fits", {0, 0, width + 20, height + 10}, 10, 5},
        {"too wide and too low", {30, 40, 30 + width / 2, 40 + height / 2}, 30, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        canvas.setClip(unsetInterval());
        canvas.clearLines();
        drawCentredLabel(font, canvas, c.rect, text.data(), text.data() + text.size());
        ASSERT_GE(canvas.lines().size(), 4u);
        EXPECT_EQ(canvas.lines()[0], "intersectClip " + RecordingCanvas::formatRect(c.rect));
        EXPECT_NE(canvas.lines()[2].find(" at " + RecordingCanvas::formatNumber(c.x) + " " +
                                         RecordingCanvas::formatNumber(c.y) + " "),
                  std::string::npos)
            << canvas.lines()[2];
        EXPECT_TRUE(isUnset(canvas.clipRect()));
    }
}

class Buttons : public testing::Test {
protected:
    bool drawButton()
    {
        return m_frame.frame([&](InputRegion* root) {
            return pushButton(root, m_id, m_rect, [&] { ++m_clicks; }, m_label.data(),
                              m_label.data() + m_label.size(), m_frame.theme().controlFont,
                              &m_frame.theme().get("button"), &m_frame.theme().get("button.down"));
        });
    }
    std::string backgroundLine()
    {
        for (const std::string& line : m_canvas.lines())
            if (line.rfind("shader button", 0) == 0)
                return line;
        return "";
    }

    RecordingCanvas m_canvas;
    TestFrame m_frame{m_canvas};
    int m_clicks = 0;
    int m_id_object = 0;
    RegionId m_id{&m_id_object, 0};
    interval2 m_rect{10, 10, 90, 34};
    ustring m_label = u"OK";
};

TEST_F(Buttons, FadeIsRunningWhileHoveredAndEndsASecondAfterLeaving)
{
    struct Case {
        double time;
        float x; // -1: the clock moves on without a new sample
        bool done;
        const char* background;
    };
    const Case cases[] = {
        {1.0, 50, false, "shader button 10 10 90 34 amount 1"},
        {2.0, 50, false, "shader button 10 10 90 34 amount 1"},
        {2.0, 200, false, "shader button 10 10 90 34 amount 1"}, // left at once
        {2.5, -1, false, "shader button 10 10 90 34 amount 0.5"},
        {3.0, -1, true, "shader button 10 10 90 34 amount 0"},
        {9.0, -1, true, "shader button 10 10 90 34 amount 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        if (c.x < 0)
            m_frame.window.m_mouseHistory.setTime(c.time);
        else
            m_frame.pointerAt(c.time, c.x, 20);
        m_canvas.clearLines();
        EXPECT_EQ(drawButton(), c.done);
        EXPECT_EQ(backgroundLine(), c.background);
    }
}

TEST_F(Buttons, PressOutsideKeepsThePressedFaceAndReleaseOutsideDoesNotClick)
{
    drawButton();
    ASSERT_TRUE(m_frame.window.onKeyOrButton(button(kMouseLeft, true, 20, 20)));
    ASSERT_TRUE(m_frame.platform.drag);
    m_frame.pointerAt(1, 300, 200);
    m_canvas.clearLines();
    drawButton();
    EXPECT_EQ(backgroundLine(), "shader button.down 10 10 90 34");

    m_frame.platform.dragKey(button(kMouseLeft, false, 300, 200));
    EXPECT_FALSE(m_frame.platform.drag);
    EXPECT_EQ(m_clicks, 0);
}

TEST_F(Buttons, ReleaseInsideClicksOnce)
{
    drawButton();
    ASSERT_TRUE(m_frame.window.onKeyOrButton(button(kMouseLeft, true, 20, 20)));
    m_frame.platform.dragKey(button(kMouseLeft, false, 89, 33));
    EXPECT_EQ(m_clicks, 1);
    EXPECT_FALSE(m_frame.platform.drag);
}

TEST_F(Buttons, WheelPassesThroughAndPlainMotionIsTaken)
{
    drawButton();
    InputRegion* region = m_frame.root()->firstChild();
    ASSERT_TRUE(region);
    EXPECT_FALSE(region->onMotion(wheel(20, 20, 1)));
    EXPECT_FALSE(region->onMotion(wheel(20, 20, 0, -1)));
    EXPECT_TRUE(region->onMotion(motion(20, 20)));
}

TEST(ButtonRegion, RoutesDoubleClicksAndSecondaryReleases)
{
    RecordingCanvas canvas;
    TestFrame frame(canvas);
    std::string log;
    int id = 0;
    frame.frame([&](InputRegion* root) {
        addButtonRegion(root, RegionId(&id), interval2(0, 0, 10, 10), [&] { log += "click "; },
                        [&] { log += "double "; }, [&] { log += "secondary "; }, u"Hint", u"cmd");
        return true;
    });
    InputRegion& region = *frame.root()->firstChild();
    EXPECT_FALSE(region.onInputEvent(button(kMouseDoubleClick, true, 10, 5))); // the right edge is outside
    EXPECT_TRUE(region.onInputEvent(button(kMouseDoubleClick, true, 5, 5)));
    EXPECT_TRUE(region.onInputEvent(button(kMouseRight, false, 5, 5)));
    EXPECT_FALSE(region.onInputEvent(button(kMouseRight, true, 5, 5)));
    EXPECT_EQ(log, "double secondary ");
    ustring text, command;
    EXPECT_TRUE(region.hint(text, command));
    EXPECT_EQ(command, u"cmd");
}

TEST(ButtonRow, FacesFollowTheCellPosition)
{
    RecordingCanvas canvas;
    TestFrame frame(canvas);
    struct Case {
        int count;
        int index;
        const char* off;
        const char* on;
        const char* hover;
    };
    const Case cases[] = {
        {1, 0, "btn.left", "btn.down.left", "btn.down.over.left"},
        {2, 0, "btn.left", "btn.down.left", "btn.down.over.left"},
        {2, 1, "btn.right", "btn.down.right", "btn.down.over.right"},
        {3, 1, "btn.middle", "btn.down.middle", "btn.down.over.middle"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " cells, index " + std::to_string(c.index));
        ButtonRow row(frame.theme(), 5, 7, c.count);
        row.index = c.index;
        EXPECT_EQ(row.face(false), &frame.theme().get(c.off));
        EXPECT_EQ(row.face(true), &frame.theme().get(c.on));
        EXPECT_EQ(row.hoverFace(), &frame.theme().get(c.hover));
        EXPECT_EQ(row.cellRect(), interval2(5 + 23.f * c.index, 7, 29 + 23.f * c.index, 31));
    }
    EXPECT_EQ(buttonRowSize(3).x, 69);
}

// Push buttons in their three looks and a sunken frame.
TEST(ControlsGolden, ButtonsAndFrame)
{
    control_test::GoldenFrame golden(200, 60);
    Canvas& canvas = golden.canvas;
    Theme& theme = golden.theme();
    const float face[3] = {0.92f, 0.92f, 0.92f}, hover[3] = {0.7f, 0.8f, 1.0f}, down[3] = {0.5f, 0.6f, 0.9f};
    const float light[3] = {1, 1, 1}, shadow[3] = {0.45f, 0.45f, 0.45f};
    theme.controlFont.colours.background = face;
    ColourShader plain(&canvas, face), hovered(&canvas, hover), pressed(&canvas, down);
    int ids[3];
    golden.frame.window.focusState()->setPressedRegion(RegionId(&ids[2]));
    golden.frame.frame([&](InputRegion* root) {
        const ustring labels[] = {u"Plain", u"Hover", u"Down"};
        Shader* faces[] = {&plain, &hovered, &plain};
        for (int i = 0; i < 3; ++i) {
            const interval2 rect(8 + 62.f * i, 8, 64 + 62.f * i, 30);
            drawBevel(canvas, rect, 1, face, shadow, light);
            pushButton(root, RegionId(&ids[i]), insetRect4(rect), {}, labels[i].data(),
                       labels[i].data() + labels[i].size(), theme.controlFont, faces[i], &pressed);
        }
        drawControlFrame(theme, canvas, interval2(8, 36, 192, 54));
        return true;
    });
    golden.compare("controls/buttons.png");
}

} // namespace
