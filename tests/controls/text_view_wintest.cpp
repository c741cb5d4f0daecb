// A text view in a real window under Wine, on each renderer: keys, characters
// and mouse buttons are posted to the native window and reach the text
// control through the message loop, the window procedure, the key map and
// the control's input region. The tests check the text, the selections and
// the pixels of the frame that shows them, read back before it is presented.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "controls/probed_peer.h"
#include "controls/text_view_window.h"
#include "support/golden_drawing.h"
#include "support/scratch_folder.h"
#include "ui/text/selection_printers.h"
#include "ui/text/view_test_support.h"
#include "window_manager/app_window_fixture.h"
#include "window_manager/windows/app_window.h"

namespace {

using app_window_test::AppWindowTest;
using text_window_test::RendererCase;
using text_window_test::TextViewWindow;
using text_window_test::kRendererCases;
using window_test::Button;
using window_test::Click;

constexpr uint32_t kVkReturn = 0x0D;
constexpr uint32_t kVkEnd = 0x23;
constexpr uint32_t kVkLeft = 0x25;
constexpr uint32_t kVkDown = 0x28;
constexpr uint32_t kVkMiddleButton = 0x04;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
// "    int total = 0;", the fifth line of the C file.
constexpr int kTotalRow = 4;

slate::SP<TextBuffer> cFileBuffer()
{
    const ustring text = toUstring(test_support::readFile(test_support::dataPath("controls/text_view.c")));
    slate::SP<TextBuffer> buffer(new TextBuffer(text.data(), text.data() + text.size()));
    buffer->m_autoIndent = true;
    return buffer;
}

int pixelOf(float coordinate)
{
    return int(std::lround(coordinate));
}

uint32_t word(const float colour[3])
{
    auto channel = [](float value) { return uint32_t(std::lround(value * 255)); };
    return channel(colour[0]) << 16 | channel(colour[1]) << 8 | channel(colour[2]);
}

// Within two steps per channel: the interfaces round colours differently.
bool near(uint32_t a, uint32_t b)
{
    for (int shift : {0, 8, 16}) {
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 2)
            return false;
    }
    return true;
}

class TextViewWindowTest : public AppWindowTest, public testing::WithParamInterface<RendererCase> {
protected:
    void SetUp() override
    {
        AppWindowTest::SetUp();
        install(GetParam().managerFlags);
        window_test::probePeers(*m_manager, m_probe);
        m_window = TextViewWindow::open(*m_manager, cFileBuffer(), "wordWrap false\nhighlightLine false\n",
                                        kWidth, kHeight);
        ASSERT_NE(m_window, nullptr);
        ASSERT_EQ(m_probe.kind, GetParam().kind) << "the window fell back to the other renderer";
        m_handle = m_window->m_window->nativeHandle();
    }

    // Presses and releases a key with no modifier held.
    void key(uint32_t virtualKey, int times = 1)
    {
        window_test::setKeysDown();
        for (int i = 0; i < times; ++i) {
            window_test::postKey(m_handle, virtualKey, true);
            window_test::postKey(m_handle, virtualKey, false);
        }
    }
    // Types lower-case letters as key strokes, which the loop translates
    // into characters.
    void type(const std::string& letters)
    {
        for (char letter : letters)
            key(uint32_t(letter - 'a' + 'A'));
    }
    // A drag with `button` from the window point of one position to that of
    // another, as steps: press, move with the button held, release.
    std::vector<std::function<void()>> drag(Button button, int64_t from, int64_t to)
    {
        const uint32_t held = button == Button::Middle ? kVkMiddleButton : window_test::kVkLeftButton;
        return {
            [=] {
                const vector2 start = m_window->windowPoint(from);
                window_test::movePointer(m_handle, pixelOf(start.x), pixelOf(start.y));
                window_test::setKeysDown(held);
                window_test::postButton(m_handle, button, Click::Down, pixelOf(start.x), pixelOf(start.y));
            },
            [=] {
                const vector2 end = m_window->windowPoint(to);
                window_test::movePointer(m_handle, pixelOf(end.x), pixelOf(end.y));
            },
            [=] {
                const vector2 end = m_window->windowPoint(to);
                window_test::setKeysDown();
                window_test::postButton(m_handle, button, Click::Up, pixelOf(end.x), pixelOf(end.y));
            },
        };
    }
    // A step that has the next frame read back.
    std::function<void()> captureFrame()
    {
        return [this] {
            m_probe.capture = true;
            findAppWindow(m_handle)->invalidate();
        };
    }
    uint32_t pixel(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= m_probe.width || y >= m_probe.height)
            return 0xFFFFFFFFu;
        return m_probe.pixels[size_t(y) * m_probe.width + x];
    }
    // Writes the frame read back beside the test's other temporary files;
    // returns its path.
    std::string keepFrame(const std::string& what) const
    {
        const std::string path = golden::failedImagePath(std::string(GetParam().name) + "-" + what + ".png");
        golden::writeFile(path, golden::encodePng({m_probe.width, m_probe.height, m_probe.pixels}));
        return path;
    }
    int64_t position(int row, int column) const { return m_window->buffer().textPoint(row, column); }
    // Notes, while the window lives, where the line at `position` is drawn
    // and in which colours.
    void noteGeometry(int64_t position)
    {
        const TextBufferView& view = m_window->view();
        const vector2 point = m_window->windowPoint(position);
        m_x = int(std::lround(point.x));
        m_top = int(std::lround(point.y - view.lineHeight() / 2));
        m_lineHeight = int(view.lineHeight());
        m_caretColour = word(view.settings().caretColour);
        m_selection = word(view.settings().selectionStyle.background);
        m_background = word(view.settings().backgroundColour);
    }

    window_test::FrameProbe m_probe;
    text_window_test::TextViewSession m_session;
    TextViewWindow* m_window = nullptr; // owned by its native window, gone after runSteps
    // What noteGeometry saw.
    int m_x = 0;
    int m_top = 0;
    int m_lineHeight = 0;
    uint32_t m_caretColour = 0;
    uint32_t m_selection = 0;
    uint32_t m_background = 0;
    platform::WindowHandle m_handle = nullptr;
};

// Down and End come from the key map, Return from its binding to typing a
// line end, which indents the new line as the one before; letters arrive as
// characters translated from their keys.
TEST_P(TextViewWindowTest, TypingIndentsAfterANewlineAndKeysMoveTheCaret)
{
    ustring expected = m_window->buffer().str();
    const int64_t lineEnd = expected.find(u"int total = 0;") + 14;
    expected.insert(size_t(lineEnd), u"\n    axbc");
    const int64_t caret = lineEnd + 7; // after "\n    ax"
    EXPECT_TRUE(runSteps({
        [&] { window_test::paintNow(m_handle); },
        [&] { key(kVkDown, kTotalRow); },
        [&] { key(kVkEnd); },
        [&] { key(kVkReturn); },
        [&] { type("abc"); },
        [&] { key(kVkLeft, 2); },
        [&] { type("x"); },
        [&] {
            EXPECT_EQ(toUtf8(m_window->buffer().str()), toUtf8(expected));
            EXPECT_EQ(m_window->view().sel(), view_test::setOf({SelectionRegion(caret)}));
        },
    }));
}

// The caret, at the end of a line, is drawn in the caret colour down its
// column, and nothing is drawn right of it.
TEST_P(TextViewWindowTest, TheCaretIsDrawnInItsColumn)
{
    int64_t caret = 0;
    EXPECT_TRUE(runSteps({
        [&] { window_test::paintNow(m_handle); },
        [&] { key(kVkDown, kTotalRow); },
        [&] { key(kVkEnd); },
        [&] {
            caret = position(kTotalRow, 18);
            ASSERT_EQ(m_window->view().sel(), view_test::setOf({SelectionRegion(caret)}));
            noteGeometry(caret);
        },
        captureFrame(),
    }));
    ASSERT_FALSE(m_probe.pixels.empty());
    int caretRows = 0;
    for (int y = m_top; y < m_top + m_lineHeight; ++y) {
        bool found = false;
        for (int column = m_x - 1; column <= m_x + 1; ++column)
            found = found || near(pixel(column, y), m_caretColour);
        caretRows += found;
        for (int column = m_x + 4; column < m_x + 60; ++column)
            ASSERT_TRUE(near(pixel(column, y), m_background))
                << "at " << column << "," << y << ": " << std::hex << pixel(column, y);
    }
    EXPECT_GE(caretRows, m_lineHeight - 2) << "the caret column " << m_x << " from row " << m_top;
}

// A left drag across "int total" selects it, the caret at the drag's end,
// and the frame fills the selection's cells in the selection colour.
TEST_P(TextViewWindowTest, ALeftDragSelectsTheTextUnderItInTheSelectionColour)
{
    const int64_t from = position(kTotalRow, 4), to = position(kTotalRow, 13);
    std::vector<std::function<void()>> steps = {[&] { window_test::paintNow(m_handle); }};
    for (auto& step : drag(Button::Left, from, to))
        steps.push_back(step);
    steps.push_back(captureFrame());
    int left = 0, right = 0;
    steps.push_back([&] {
        EXPECT_EQ(m_window->view().sel(), view_test::setOf({SelectionRegion(from, to)}));
        noteGeometry(from);
        left = int(std::lround(m_window->windowPoint(from).x));
        right = int(std::lround(m_window->windowPoint(to).x));
    });
    EXPECT_TRUE(runSteps(steps));

    // Glyphs in the selected cells take the selection's foreground, so most
    // of the cells' pixels, not all, are in its colour; none are beside it.
    ASSERT_FALSE(m_probe.pixels.empty());
    int inside = 0, outside = 0;
    for (int y = m_top; y < m_top + m_lineHeight; ++y) {
        for (int x = left + 1; x < right - 1; ++x)
            inside += near(pixel(x, y), m_selection);
        for (int x = left - 30; x < left - 2; ++x)
            outside += near(pixel(x, y), m_selection);
        for (int x = right + 2; x < right + 60; ++x)
            outside += near(pixel(x, y), m_selection);
    }
    EXPECT_GT(inside, (right - left - 2) * m_lineHeight / 2) << "the frame is in " << keepFrame("left-drag");
    EXPECT_EQ(outside, 0) << "the frame is in " << keepFrame("left-drag");
}

// A middle drag selects a column: one region per line, from the press's
// column to the release's. The lines' indentation lines the columns up
// whatever the font.
TEST_P(TextViewWindowTest, AMiddleDragSelectsAColumnAcrossLines)
{
    std::vector<std::function<void()>> steps = {[&] { window_test::paintNow(m_handle); }};
    for (auto& step : drag(Button::Middle, position(kTotalRow, 0), position(kTotalRow + 2, 4)))
        steps.push_back(step);
    steps.push_back([&] {
        SelectionSet expected;
        for (int row = kTotalRow; row <= kTotalRow + 2; ++row)
            expected.add(SelectionRegion(position(row, 0), position(row, 4)));
        EXPECT_EQ(m_window->view().sel(), expected);
    });
    EXPECT_TRUE(runSteps(steps));
}

std::string rendererName(const testing::TestParamInfo<RendererCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Renderers, TextViewWindowTest, testing::ValuesIn(kRendererCases), rendererName);

} // namespace
