// The gutter beside a band: line highlights, bookmark icons and line
// numbers, one logical line at a time. The walk places every token of the
// visited buckets without lexing (only line breaks and wraps matter here),
// so wrapped lines get gutter cells as tall as their visual lines.
#include <cmath>
#include <cstdio>

#include "canvas/canvas.h"
#include "canvas/unicode_font.h"
#include "ui/text/render/token_buffer_visitor.h"
#include "ui/text/render/token_renderer.h"
#include "ui/text/view_settings.h"
#include "ui/theme.h"

namespace {

bool holds(const std::vector<int64_t>* list, int64_t position)
{
    if (!list)
        return false;
    for (int64_t entry : *list)
        if (entry == position)
            return true;
    return false;
}

// An image of the theme, or null when the theme has none under that name.
Shader* themeImage(Theme* theme, const char* name)
{
    if (!theme)
        return nullptr;
    Shader& shader = theme->get(name);
    return dynamic_cast<NullShader*>(&shader) ? nullptr : &shader;
}

class GutterPainter {
public:
    GutterPainter(const GutterArguments& args, UnicodeFont& font, double lineHeight,
                  float paddingTop, float gutterWidth, std::vector<int64_t>& highlightedOut)
        : m_args(args), m_settings(*args.settings), m_canvas(*args.canvas), m_font(font),
          m_lineHeight(lineHeight), m_paddingTop(paddingTop), m_gutterWidth(gutterWidth),
          m_bandWidth(static_cast<float>(args.band.width())),
          m_bandHeight(static_cast<float>(args.band.height())),
          m_highlight(args.active ? m_settings.lineHighlightColour : m_settings.mixedLineHighlightColour),
          m_bookmark(themeImage(args.theme, "icon.bookmark")),
          m_multiBookmark(themeImage(args.theme, "icon.multibookmark")), m_out(highlightedOut)
    {
    }

    // One logical line: its text y, top and bottom (band-relative), its
    // 0-based index and its first position. `numbered` is false for a line
    // whose first visual line lies above the walk (its number is not shown).
    void paintLine(double textY, double top, double bottom, int64_t index, int64_t lineStart,
                   bool numbered)
    {
        if (bottom < 0.0 || textY > m_bandHeight)
            return;
        Colour numberBackground = m_settings.backgroundColour;
        const float t = static_cast<float>(top), b = static_cast<float>(bottom);
        if (holds(m_args.fullyHighlighted, lineStart)) {
            m_canvas.fillRect(interval2(0.f, t, m_bandWidth, b), m_highlight);
            // One entry per visual line; lines far above the band are left
            // out, no run is drawn there.
            double lineTop = top;
            if (textY < -m_lineHeight)
                lineTop += std::floor((-m_lineHeight - textY) / m_lineHeight) * m_lineHeight;
            for (; lineTop + m_paddingTop < bottom - 1.0; lineTop += m_lineHeight)
                m_out.push_back(highlightedLineKey(lineTextY(lineTop, m_paddingTop)));
            numberBackground = m_highlight;
        } else if (holds(m_args.gutterHighlighted, lineStart)) {
            m_canvas.fillRect(interval2(0.f, t, m_gutterWidth, b), m_highlight);
        }
        if (!numbered)
            return;
        if (m_bookmark && m_args.bookmarks && !m_args.bookmarks->empty()) {
            const std::vector<int64_t>& marks = *m_args.bookmarks;
            for (size_t i = 0; i < marks.size(); ++i) {
                if (marks[i] != lineStart)
                    continue;
                Shader* image = (i + 1 < marks.size() && marks[i + 1] == lineStart && m_multiBookmark)
                    ? m_multiBookmark
                    : m_bookmark;
                const FillState saved = m_canvas.pushColour(m_settings.halfForegroundColour);
                const float y = static_cast<float>(textY);
                image->draw(interval2(0.f, y, 16.f, y + 16.f));
                m_canvas.setFillState(saved);
                break;
            }
        }
        if (m_args.lineNumbers) {
            char digits[64];
            const int count = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(index + 1));
            ustring text(digits, digits + count);
            const float x = m_gutterWidth - static_cast<float>(count) * m_font.advance(u'0');
            m_font.drawText(x, static_cast<float>(textY), text.data(), text.data() + text.size(),
                            {m_settings.halfForegroundColour, numberBackground}, false);
        }
    }

private:
    const GutterArguments& m_args;
    const ViewSettings& m_settings;
    Canvas& m_canvas;
    UnicodeFont& m_font;
    double m_lineHeight;
    float m_paddingTop;
    float m_gutterWidth;
    float m_bandWidth;
    float m_bandHeight;
    Colour m_highlight;
    Shader* m_bookmark;
    Shader* m_multiBookmark;
    std::vector<int64_t>& m_out;
};

// Follows the line breaks of the placed tokens, painting each line as it ends.
class GutterSink : public PositionedPieceSink {
public:
    GutterSink(GutterPainter& painter, double bandTop, double lineHeight, float paddingTop)
        : m_painter(painter), m_bandTop(bandTop), m_lineHeight(lineHeight), m_paddingTop(paddingTop)
    {
    }

    // Called before the first visited bucket: the line the walk starts in.
    void startAt(double top, int64_t index, int64_t lineStart, bool numbered)
    {
        lineTop = top;
        lineIndex = index;
        this->lineStart = lineStart;
        this->numbered = numbered;
        started = true;
    }

    void piece(const Token* token, int32_t begin, int32_t, double, double, double pieceTop) override
    {
        if (!token->isLineBreak())
            return;
        const double bottom = bucketTop + pieceTop - m_bandTop + m_lineHeight;
        m_painter.paintLine(lineTop + m_paddingTop, lineTop, bottom, lineIndex, lineStart, numbered);
        lineTop = bottom;
        ++lineIndex;
        lineStart = tokenStart + begin + 1;
        numbered = true;
    }

    double lineTop = 0.0;
    int64_t lineIndex = 0;
    int64_t lineStart = 0;
    bool numbered = true;
    bool started = false;

private:
    GutterPainter& m_painter;
    double m_bandTop;
    double m_lineHeight;
    float m_paddingTop;
};

} // namespace

void TokenRenderer::drawGutter(const GutterArguments& args, std::vector<int64_t>& highlightedOut)
{
    const uint32_t layout = layoutIndex();
    const LayoutData& data = m_storage->layoutData(layout);
    UnicodeFont& font = *m_settings.font;
    font.beginBatch(false);
    GutterPainter painter(args, font, lineHeight(), m_settings.linePaddingTop,
                          gutterWidth(args.lineNumbers), highlightedOut);
    GutterSink sink(painter, args.band.top, lineHeight(), m_settings.linePaddingTop);
    const LayoutState origin{0.0, 0.0, 0.0, false};
    for (const PlacedBucket& placed : m_storage->bucketsInBand(layout, args.band.top, args.band.bottom)) {
        if (!sink.started) {
            // A bucket that starts inside a line: the line began in text the
            // walk passed, wholly above the band, so its number is not shown.
            const bool atLineStart = placed.startState == origin;
            const int64_t start = atLineStart ? placed.position : m_storage->rowStart(placed.lines);
            sink.startAt(placed.top - args.band.top, placed.lines, start, atLineStart);
        }
        placeBucket(data, placed, sink);
    }
    if (sink.started)
        painter.paintLine(sink.lineTop + m_settings.linePaddingTop, sink.lineTop,
                          sink.lineTop + lineHeight(), sink.lineIndex, sink.lineStart, sink.numbered);
    font.endBatch();
}
