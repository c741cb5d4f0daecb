// A canvas that writes every call a caller makes as one line of text, for
// golden-file tests of drawing code: what a control draws is compared with
// the expected lines. Calls made inside another call (fillRect's own colour
// push) are not written, and neither are the getters, which draw nothing.
// Fonts it hands out write their drawText, beginBatch, endBatch and flush
// calls as lines too; their measurements are real (the rasteriser's).
// Textures load through the file manager as on the software canvas.
//
// Numbers are written as "%g"; rects as "x0 y0 x1 y1"; colours as "r g b";
// the unset rect as "unset"; a fill as "colour r g b", "texture PATH" or
// "texture none". For example:
//     fillRect 0 0 10 20 colour 1 0 0
//     text "Courier New 10" 0 at 4 16 "if (x)" colour 0 0 0 on 1 1 1
#pragma once

#include <string>
#include <vector>

#include "canvas/basic_canvas.h"

class RecordingCanvas : public BasicCanvas {
public:
    RecordingCanvas();
    ~RecordingCanvas() override;

    void setTransform(const Matrix4& transform) override;
    FillState pushColour(const Colour& colour) override;
    FillState pushTexture(const slate::SP<Texture>& texture) override;
    FillState setFillState(const FillState& fill) override;
    float setAlpha(float alpha) override;
    BlendMode setBlendMode(BlendMode mode) override;
    interval2 setClip(const interval2& clip) override;
    interval2 intersectClip(const interval2& clip) override;
    void drawTexture(const slate::SP<Texture>& texture, const interval2& destination,
                     const interval2& textureRect) override;
    void drawTexturedQuad(const interval2& destination, const interval2& textureRect) override;
    void fillRect(const interval2& rect, const Colour& colour) override;
    void drawLine(const vector2& from, const vector2& to, const Colour& colour) override;
    void drawLines(const float* vertices, int count) override;
    void drawLineStrip(const float* vertices, int count) override;
    void drawIndexedTriangles(const float* vertices, const uint16_t* indices, int vertexCount,
                              int indexCount) override;
    slate::SP<Texture> loadTexture(const ustring& path) override;
    UnicodeFont* getFont(const ustring& spec, int styleFlags) override;

    // The lines written so far, UTF-8, without line ends.
    const std::vector<std::string>& lines() const { return m_lines; }
    // The lines joined, each ended by "\n".
    std::string text() const;
    void clearLines() { m_lines.clear(); }

    // Writes a line when no other call is running; for the fonts.
    void record(const std::string& line);

    // Text of the pieces of a line, as the lines write them.
    static std::string formatNumber(double value);
    static std::string formatRect(const interval2& rect);
    static std::string formatColour(const Colour& colour);
    static std::string formatFill(const FillState& fill);
    static std::string formatText(const ustring& text); // quoted, \" \\ and \uXXXX escaped

protected:
    Texture* createTexture(const ustring& path) override;
    TextureUnicodeFontHelper* createFontHelper() override;
    UnicodeFont* createFont(const ustring& spec, const ustring& face, int size,
                            int styleFlags) override;

private:
    friend class RecordingScope;
    std::vector<std::string> m_lines;
    int m_depth = 0; // calls running; only the outermost is written
};
