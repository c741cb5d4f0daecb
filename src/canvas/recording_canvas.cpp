// The recording canvas writes the outermost call and then lets the shared
// canvas do the work, so the state its setters return is the real state and
// the lines are exactly what the caller asked for.
#include "canvas/recording_canvas.h"

#include <cstdio>

#include "canvas/software_canvas.h"
#include "canvas/unicode_font.h"
#include "canvas/util/texture_unicode_font.h"
#include "ui/unicode.h"

class RecordingScope {
public:
    RecordingScope(RecordingCanvas& canvas, const std::string& line) : m_canvas(canvas)
    {
        m_canvas.record(line);
        ++m_canvas.m_depth;
    }
    ~RecordingScope() { --m_canvas.m_depth; }

private:
    RecordingCanvas& m_canvas;
};

namespace {

// Atlases and buffers in plain memory; drawing is what the recording font
// writes, so the helper draws nothing.
class MemoryFontHelper : public TextureUnicodeFontHelper {
public:
    void destroyTexture(void* texture) override { delete static_cast<int*>(texture); }
    void freeBuffer(void* buffer) override { delete static_cast<std::vector<float>*>(buffer); }
    void* createTexture(const uint32_t*, int, int) override { return new int(0); }
    void* allocBuffer(int bytes) override { return new std::vector<float>(size_t(bytes) / sizeof(float)); }
    void* lockBuffer(void* buffer) override { return static_cast<std::vector<float>*>(buffer)->data(); }
    void unlockBuffer(void*) override {}
    void drawTriangles(void*, int, int, void*) override {}
    void beginFlush(bool) override {}
    void endFlush() override {}
};

// Writes its calls and measures with a real atlas font.
class RecordingFont : public UnicodeFont {
public:
    RecordingFont(RecordingCanvas& canvas, const std::string& name, MultiFont* font)
        : m_canvas(canvas), m_name(name), m_font(font)
    {
        m_lineHeight = font->lineHeight();
    }
    void drawText(float x, float y, const uchar* first, const uchar* end,
                  const ColourPair& colours, bool drawWhiteSpace) override
    {
        m_canvas.record("text " + m_name + " at " + RecordingCanvas::formatNumber(x) + " " +
                        RecordingCanvas::formatNumber(y) + " " +
                        RecordingCanvas::formatText(ustring(first, end)) + " colour " +
                        RecordingCanvas::formatColour(colours.text) + " on " +
                        RecordingCanvas::formatColour(colours.background) +
                        (drawWhiteSpace ? " whitespace" : ""));
    }
    void beginBatch(bool filtered) override
    {
        m_canvas.record("beginBatch " + m_name + (filtered ? " filtered" : ""));
    }
    void endBatch() override { m_canvas.record("endBatch " + m_name); }
    void flush() override { m_canvas.record("flush " + m_name); }
    void getAdvances(int first, int count, float* out) override { m_font->getAdvances(first, count, out); }

private:
    RecordingCanvas& m_canvas;
    std::string m_name;
    std::unique_ptr<MultiFont> m_font;
};

std::string formatVertices(const float* vertices, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += i ? ", " : " ";
        text += RecordingCanvas::formatNumber(vertices[3 * i]) + " " +
                RecordingCanvas::formatNumber(vertices[3 * i + 1]);
        if (vertices[3 * i + 2] != 0.f)
            text += " " + RecordingCanvas::formatNumber(vertices[3 * i + 2]);
    }
    return text;
}

} // namespace

RecordingCanvas::RecordingCanvas() = default;
RecordingCanvas::~RecordingCanvas() = default;

void RecordingCanvas::record(const std::string& line)
{
    if (m_depth == 0)
        m_lines.push_back(line);
}

std::string RecordingCanvas::text() const
{
    std::string all;
    for (const std::string& line : m_lines)
        all += line + "\n";
    return all;
}

std::string RecordingCanvas::formatNumber(double value)
{
    if (value == 0)
        value = 0; // no "-0"
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::string RecordingCanvas::formatRect(const interval2& rect)
{
    if (isUnset(rect))
        return "unset";
    return formatNumber(rect.x0) + " " + formatNumber(rect.y0) + " " + formatNumber(rect.x1) + " " +
           formatNumber(rect.y1);
}

std::string RecordingCanvas::formatColour(const Colour& colour)
{
    return formatNumber(colour.red) + " " + formatNumber(colour.green) + " " +
           formatNumber(colour.blue);
}

std::string RecordingCanvas::formatFill(const FillState& fill)
{
    if (fill.isColour)
        return "colour " + formatColour(fill.colour);
    if (!fill.texture)
        return "texture none";
    return "texture " + toUtf8(fill.texture->path());
}

std::string RecordingCanvas::formatText(const ustring& text)
{
    std::string quoted = "\"";
    for (uchar c : text) {
        if (c == u'"' || c == u'\\') {
            quoted += '\\';
            quoted += char(c);
        } else if (c >= 32 && c < 127) {
            quoted += char(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", unsigned(c));
            quoted += buffer;
        }
    }
    return quoted + "\"";
}

void RecordingCanvas::setTransform(const Matrix4& transform)
{
    std::string line = "setTransform";
    for (float v : transform.m)
        line += " " + formatNumber(v);
    RecordingScope scope(*this, line);
    BasicCanvas::setTransform(transform);
}

FillState RecordingCanvas::pushColour(const Colour& colour)
{
    RecordingScope scope(*this, "pushColour " + formatColour(colour));
    return BasicCanvas::pushColour(colour);
}

FillState RecordingCanvas::pushTexture(const slate::SP<Texture>& texture)
{
    RecordingScope scope(*this, "pushTexture " + (texture ? toUtf8(texture->path()) : std::string("none")));
    return BasicCanvas::pushTexture(texture);
}

FillState RecordingCanvas::setFillState(const FillState& fill)
{
    RecordingScope scope(*this, "setFillState " + formatFill(fill));
    return BasicCanvas::setFillState(fill);
}

float RecordingCanvas::setAlpha(float alpha)
{
    RecordingScope scope(*this, "setAlpha " + formatNumber(alpha));
    return BasicCanvas::setAlpha(alpha);
}

BlendMode RecordingCanvas::setBlendMode(BlendMode mode)
{
    RecordingScope scope(*this, "setBlendMode " + std::to_string(static_cast<int>(mode)));
    return BasicCanvas::setBlendMode(mode);
}

interval2 RecordingCanvas::setClip(const interval2& clip)
{
    RecordingScope scope(*this, "setClip " + formatRect(clip));
    return BasicCanvas::setClip(clip);
}

interval2 RecordingCanvas::intersectClip(const interval2& clip)
{
    RecordingScope scope(*this, "intersectClip " + formatRect(clip));
    return BasicCanvas::intersectClip(clip);
}

void RecordingCanvas::drawTexture(const slate::SP<Texture>& texture, const interval2& destination,
                                  const interval2& textureRect)
{
    RecordingScope scope(*this, "drawTexture " +
                                    (texture ? toUtf8(texture->path()) : std::string("none")) +
                                    " " + formatRect(destination) + " from " + formatRect(textureRect));
    BasicCanvas::drawTexture(texture, destination, textureRect);
}

void RecordingCanvas::drawTexturedQuad(const interval2& destination, const interval2& textureRect)
{
    record("drawTexturedQuad " + formatRect(destination) + " from " + formatRect(textureRect) +
           " " + formatFill(fillState()));
}

void RecordingCanvas::fillRect(const interval2& rect, const Colour& colour)
{
    RecordingScope scope(*this, "fillRect " + formatRect(rect) + " colour " + formatColour(colour));
    BasicCanvas::fillRect(rect, colour);
}

void RecordingCanvas::drawLine(const vector2& from, const vector2& to, const Colour& colour)
{
    RecordingScope scope(*this, "drawLine " + formatNumber(from.x) + " " + formatNumber(from.y) +
                                    " " + formatNumber(to.x) + " " + formatNumber(to.y) +
                                    " colour " + formatColour(colour));
    BasicCanvas::drawLine(from, to, colour);
}

void RecordingCanvas::drawLines(const float* vertices, int count)
{
    record("drawLines" + formatVertices(vertices, count) + " " + formatFill(fillState()));
}

void RecordingCanvas::drawLineStrip(const float* vertices, int count)
{
    record("drawLineStrip" + formatVertices(vertices, count) + " " + formatFill(fillState()));
}

void RecordingCanvas::drawIndexedTriangles(const float* vertices, const uint16_t* indices,
                                           int vertexCount, int indexCount)
{
    std::string line = "drawIndexedTriangles" + formatVertices(vertices, vertexCount) + " indices";
    for (int i = 0; i < indexCount; ++i)
        line += " " + std::to_string(indices[i]);
    record(line + " " + formatFill(fillState()));
}

slate::SP<Texture> RecordingCanvas::loadTexture(const ustring& path)
{
    slate::SP<Texture> texture = BasicCanvas::loadTexture(path);
    record("loadTexture " + toUtf8(path) + (texture ? "" : " failed"));
    return texture;
}

UnicodeFont* RecordingCanvas::getFont(const ustring& spec, int styleFlags)
{
    RecordingScope scope(*this, "getFont " + formatText(spec) + " " + std::to_string(styleFlags));
    return BasicCanvas::getFont(spec, styleFlags);
}

Texture* RecordingCanvas::createTexture(const ustring& path) { return new MemoryTexture(path); }

TextureUnicodeFontHelper* RecordingCanvas::createFontHelper() { return new MemoryFontHelper(); }

UnicodeFont* RecordingCanvas::createFont(const ustring& spec, const ustring& face, int size,
                                         int styleFlags)
{
    return new RecordingFont(*this, formatText(spec) + " " + std::to_string(styleFlags),
                             new MultiFont(createFontHelper(), face, size, styleFlags));
}
