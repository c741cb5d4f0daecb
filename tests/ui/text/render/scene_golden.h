// The golden check of one fixture scene, shared by the native test program
// (the box font) and the Wine one (the real glyphs): the frame is drawn on a
// recording canvas and on a software canvas, and the call lines and pixels
// are compared with the golden drawings NAME.txt and NAME.png. Neutral
// headers only.
#pragma once

#include <string>

#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "support/golden_drawing.h"
#include "ui/text/render/render_scenes.h"

namespace render_scenes {

// `halfPixelShapes` as SceneFrame::draw takes it.
inline void expectGoldenFrames(const Scene& scene, SceneResources& resources, const std::string& name,
                               bool halfPixelShapes)
{
    {
        RecordingCanvas canvas;
        SceneFrame frame(canvas, scene, resources);
        canvas.clearLines();
        frame.draw(halfPixelShapes);
        golden::compareText(name + ".txt", canvas.text());
    }
    {
        SoftwareCanvas canvas(kWidth, kHeight);
        SceneFrame frame(canvas, scene, resources);
        canvas.clear(resources.background());
        frame.draw(halfPixelShapes);
        golden::comparePixels(name + ".png", {canvas.width(), canvas.height(), canvas.pixels()});
    }
}

} // namespace render_scenes
