// The text area of a view in a control: where the text column starts, the
// transform the text is drawn under and the progress text of a loading
// buffer.
#include "controls/text_area.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "canvas/recording_canvas.h"
#include "ui/text/stalled_source.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"

namespace {

// Keeps every transform set on it.
class TransformCanvas : public GridRecordingCanvas {
public:
    void setTransform(const Matrix4& transform) override
    {
        transforms.push_back(transform);
        GridRecordingCanvas::setTransform(transform);
    }
    std::vector<Matrix4> transforms;
};

// Rasterises at pixel centres, as the graphics interfaces do.
class CentreSamplingCanvas : public GridRecordingCanvas {
public:
    bool halfPixelShapes() const override { return true; }
};

// What a focused view with "a" of "ab" selected draws on `canvas`.
std::vector<std::string> caretDrawing(GridRecordingCanvas& canvas)
{
    slate::SP<TextBuffer> buffer = view_test::makeBuffer(u"ab");
    slate::SP<TextBufferView> view = buffer->createView(&canvas);
    view->setOptions(view_test::optionsFrom("gutter false\nwordWrap false"));
    view->mutableSel() = SelectionSet(SelectionRegion(0, 1));
    drawTextArea(canvas, interval2(0, 0, 200, 100), nullptr, *view, true, false);
    return canvas.lines();
}

vector2 apply(const Matrix4& t, float x, float y)
{
    return vector2{t.m[0] * x + t.m[4] * y + t.m[12], t.m[1] * x + t.m[5] * y + t.m[13]};
}

using buffer_test::StalledSource;

TEST(TextArea, TheTextStartsRightOfTheGutter)
{
    struct Case {
        const char* options;
        float gutter;
    };
    const Case cases[] = {
        {"gutter false", 0.f},
        {"gutter true", 22.f},              // 14 + 8
        {"lineNumbers true", 32.f},         // 14 + one digit of 10 + 8
    };
    GridRecordingCanvas canvas;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        slate::SP<TextBuffer> buffer = view_test::makeBuffer(u"a\nb");
        slate::SP<TextBufferView> view = buffer->createView(&canvas);
        view->setOptions(view_test::optionsFrom(c.options));
        EXPECT_EQ(gutterArea(*view), c.gutter);
        const interval2 rect(5, 7, 305, 207);
        EXPECT_EQ(textAreaRect(rect, *view).x0, 5.f + c.gutter);
        fitViewToRect(rect, *view, true);
        EXPECT_EQ(view->viewportWidth(), 300.f - c.gutter);
        EXPECT_EQ(view->viewportHeight(), 200.f);
    }
}

TEST(TextArea, TextIsDrawnAtTheAreaPlusLayoutXOverZoomMinusTheScroll)
{
    TransformCanvas canvas;
    slate::SP<TextBuffer> buffer = view_test::makeBuffer(u"some text\nmore");
    slate::SP<TextBufferView> view = buffer->createView(&canvas);
    view->setOptions(view_test::optionsFrom("gutter false\nwordWrap false"));
    view->setZoom(2.f);
    view->setTranslationX(30);
    const interval2 rect(5, 7, 305, 207);
    drawTextArea(canvas, rect, nullptr, *view, true, false);

    ASSERT_GE(canvas.transforms.size(), 2u);
    const vector2 drawn = apply(canvas.transforms.front(), 100.f, 40.f);
    EXPECT_FLOAT_EQ(drawn.x, 5.f + 100.f / 2.f - 30.f);
    EXPECT_FLOAT_EQ(drawn.y, 7.f + 40.f / 2.f);
    EXPECT_EQ(canvas.transforms.back(), Matrix4::identity());
    EXPECT_EQ(canvas.intersectClip(unsetInterval()).x0, unsetInterval().x0);
}

TEST(TextArea, ShapesMoveHalfAPixelOnCanvasesThatSampleCentres)
{
    GridRecordingCanvas edges;
    CentreSamplingCanvas centres;
    const std::vector<std::string> onEdges = caretDrawing(edges);
    const std::vector<std::string> onCentres = caretDrawing(centres);
    ASSERT_FALSE(onEdges.empty());
    EXPECT_NE(onEdges, onCentres);
}

TEST(TextArea, TheGutterLineHighlightSpansTheGutterAndTheText)
{
    GridRecordingCanvas canvas;
    slate::SP<TextBuffer> buffer = view_test::makeBuffer(u"ab\ncd");
    slate::SP<TextBufferView> view = buffer->createView(&canvas);
    view->setOptions(view_test::optionsFrom("wordWrap false\nhighlightLine true"));
    view->mutableSel() = SelectionSet(SelectionRegion(4));
    drawTextArea(canvas, interval2(0, 0, 200, 100), nullptr, *view, true, false);
    // 178 of text right of the 22 of gutter, and 2 more.
    const std::string highlight = "fillRect 0 16 202 32";
    bool found = false;
    for (const std::string& line : canvas.lines())
        found = found || line.rfind(highlight, 0) == 0;
    EXPECT_TRUE(found) << canvas.text();
    EXPECT_EQ(view->viewportWidth(), 178.f);
}

TEST(TextArea, ALoadingBufferShowsItsProgressInWholePercent)
{
    RecordingCanvas canvas;
    slate::SP<TextBuffer> buffer = view_test::makeBuffer();
    buffer->load(std::make_unique<StalledSource>());
    ASSERT_TRUE(buffer->isReading());
    slate::SP<TextBufferView> view = buffer->createView(&canvas);
    drawLoadingProgress(canvas, interval2(0, 0, 300, 100), *view);
    EXPECT_NE(canvas.text().find("\"Loading: 37%\""), std::string::npos) << canvas.text();
}

} // namespace
