// A window for the control tests: a BaseWindow over a canvas, a platform
// window that keeps the drag it was handed, a theme whose named shaders
// write their element name, rect and amount as recording-canvas lines, and
// the box font of the native rasteriser as the control fonts. `frame` draws
// one frame with the controls a test passes and returns their result.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "canvas/recording_canvas.h"
#include "support/fake_window.h"
#include "ui/base_window.h"
#include "ui/theme.h"

namespace control_test {

// Writes "shader NAME rect" or "shader NAME rect amount A" to a recording
// canvas, so tests see which element painted where and how hovered.
class NamedShader : public Shader {
public:
    NamedShader(RecordingCanvas* canvas, std::string name) : m_canvas(canvas), m_name(std::move(name)) {}
    void draw(const interval2& rect, float amount) override
    {
        m_canvas->record("shader " + m_name + " " + RecordingCanvas::formatRect(rect) + " amount " +
                         RecordingCanvas::formatNumber(amount));
    }
    void draw(const interval2& rect) override
    {
        m_canvas->record("shader " + m_name + " " + RecordingCanvas::formatRect(rect));
    }

private:
    RecordingCanvas* m_canvas;
    std::string m_name;
};

// The elements the controls ask for.
inline const char* const kElementNames[] = {
    "button", "button.down", "btn.left", "btn.middle", "btn.right", "btn.down.left", "btn.down.middle",
    "btn.down.right", "btn.down.over.left", "btn.down.over.middle", "btn.down.over.right", "scrollbar.track",
    "scrollbar.puck", "scrollbar.htrack", "scrollbar.hpuck", "tree.button", "tree.button.down", "icon.expand",
    "icon.collapse", "panel.tabbody", "panel.tab", "tab", "icon.close"};

// The box font of the native rasteriser, line height 15 at this size.
inline const char16_t* const kFontSpec = u"Arial 9";

class TestFrame {
public:
    // Over `canvas`; with `recordShaders` the theme's elements are NamedShaders
    // (a RecordingCanvas is then required), else the theme's own colours.
    explicit TestFrame(Canvas& canvas, bool recordShaders = true) : m_canvas(canvas), m_theme(&canvas, nullptr)
    {
        window.m_rect = interval2(0, 0, 400, 300);
        window.m_window = &platform;
        window.setCanvas(&canvas);
        if (recordShaders) {
            auto* recording = static_cast<RecordingCanvas*>(&canvas);
            for (const char* name : kElementNames)
                m_theme.addShader(name, new NamedShader(recording, name));
        }
        m_theme.controlFont.font = canvas.getFont(kFontSpec, 0);
        m_theme.controlFont.boldFont = canvas.getFont(kFontSpec, 1);
        m_theme.controlMonospaceFont.font = canvas.getFont(u"Courier New 10", 0);
    }

    Theme& theme() { return m_theme; }
    InputRegion* root() { return window.root(); }

    // Draws a frame whose content is `draw(root)`; returns its result.
    bool frame(const std::function<bool(InputRegion* root)>& draw)
    {
        bool result = true;
        window.setDrawFunction([&](InputRegion* root, const interval2&) {
            result = draw(root);
            return result;
        });
        window.draw(false);
        window.setDrawFunction(nullptr);
        return result;
    }

    // The pointer rests at (x, y) at `time`.
    void pointerAt(double time, float x, float y)
    {
        window.m_mouseHistory.setTime(time);
        window.m_mouseHistory.addSample(time, x, y);
    }

    test_support::TestBaseWindow window;
    test_support::FakePlatformWindow platform;

private:
    Canvas& m_canvas;
    Theme m_theme;
};

} // namespace control_test

#include <algorithm>

#include "canvas/software_canvas.h"
#include "support/golden_drawing.h"

namespace control_test {

// A golden drawing of controls: a software canvas cleared to light grey and
// a theme in plain colours (white sunken frames, black text on white, grey
// scrollbars 12 thick). `compare` checks the pixels with tests/data/NAME.
class GoldenFrame {
public:
    GoldenFrame(int width, int height) : canvas(width, height), frame(canvas, false)
    {
        const float grey[3] = {0.85f, 0.85f, 0.85f};
        canvas.clear(grey);
        Theme& theme = frame.theme();
        theme.backgroundColour = {1, 1, 1};
        theme.lightColour = {1, 1, 1};
        theme.shadowColour = {0.45f, 0.45f, 0.45f};
        theme.controlFont.colours = {Colour(0, 0, 0), Colour(1, 1, 1)};
        theme.scrollbarCrossExtent = 12;
        for (const char* track : {"scrollbar.track", "scrollbar.htrack"})
            addColour(track, 0.9f, 0.9f, 0.92f);
        for (const char* puck : {"scrollbar.puck", "scrollbar.hpuck"})
            addColour(puck, 0.55f, 0.6f, 0.7f);
    }

    Theme& theme() { return frame.theme(); }
    // Paints the element `name` in one colour.
    void addColour(const char* name, float r, float g, float b)
    {
        const float colour[3] = {r, g, b};
        frame.theme().addShader(name, new ColourShader(&canvas, colour));
    }
    void compare(const std::string& relative)
    {
        golden::comparePixels(relative, {canvas.width(), canvas.height(), canvas.pixels()});
    }

    SoftwareCanvas canvas;
    TestFrame frame;
};

} // namespace control_test
