// Reading a view's settings from its options. The keys are read in one fixed
// order, each with the typed getters of Options, so that a getter that finds
// nothing leaves the field alone: that is how absent keys keep their earlier
// values. The few keys that must fall back to a default when absent put the
// default in first. Widths given in characters ("tabSize", "wrapWidth",
// "rulers") are turned into pixels with the advance of 'm' in the view's
// font, so they need a font; a view without a canvas has none and keeps the
// widths it had.
#include "ui/text/view_settings.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "canvas/canvas.h"
#include "canvas/unicode_font.h"
#include "ui/options.h"
#include "ui/string_utils.h"
#include "ui/text/syntax/styler.h"

const char16_t kDefaultViewFont[] = u"Courier New 10";

namespace {

const int kSmallestTabSize = 1;
const int kLargestTabSize = 32;

void setColour(float colour[3], float r, float g, float b)
{
    colour[0] = r;
    colour[1] = g;
    colour[2] = b;
}

void copyColour(float target[3], const float source[3]) { std::memcpy(target, source, 3 * sizeof(float)); }

// One ruler position in characters for every piece of `text` between runs of
// spaces that still holds something once commas and spaces are trimmed from
// its ends: "80, 120" gives 80 and 120, "80,,  " only 80.
std::vector<double> rulerColumns(const ustring& text)
{
    std::vector<double> columns;
    auto isTrimmed = [](uchar c) { return c == u',' || c == u' '; };
    size_t position = 0;
    while (position < text.size()) {
        size_t pieceEnd = text.find(u' ', position);
        if (pieceEnd == ustring::npos)
            pieceEnd = text.size();
        const uchar* begin = text.data() + position;
        const uchar* end = text.data() + pieceEnd;
        while (begin != end && isTrimmed(*begin))
            ++begin;
        while (end != begin && isTrimmed(end[-1]))
            --end;
        if (begin != end)
            columns.push_back(toDouble(begin, end));
        position = pieceEnd + 1;
    }
    return columns;
}

} // namespace

ViewSettings::ViewSettings(Canvas* viewCanvas) : canvas(viewCanvas)
{
    setColour(backgroundColour, 117 / 255.f, 115 / 255.f, 106 / 255.f);
    setColour(secondBackgroundColour, 92 / 255.f, 91 / 255.f, 91 / 255.f);
    setColour(thirdBackgroundColour, 132 / 255.f, 123 / 255.f, 123 / 255.f);
    setColour(caretColour, 0.f, 0.f, 0.f);
    setColour(selectionStyle.foreground, 1.f, 1.f, 1.f);
    setColour(selectionStyle.background, 0.f, 0.f, 1.f);
    setColour(selectionStyle.thirdColour, 0.f, 0.f, 0.f);
    selectionStyle.backgroundIsDefault = false;
    selectionStyle.secondFlag = false;
    mixedSelectionStyle = selectionStyle;
    setColour(lineHighlightColour, 117 / 255.f, 115 / 255.f, 106 / 255.f);
    setColour(mixedLineHighlightColour, 117 / 255.f, 115 / 255.f, 106 / 255.f);
    setColour(quarterForegroundColour, 0.25f, 0.25f, 0.25f);
    setColour(bracketsColour, 0.f, 0.f, 0.f);
    setColour(halfForegroundColour, 0.f, 0.f, 0.f);

    layout.tabWidth = 10.f;
    layout.wrapWidth = 0.f;
    if (canvas)
        layout.font = canvas->getFont(kDefaultViewFont, 0);
}

void ViewSettings::read(const Options& options)
{
    if (canvas) {
        if (const ustring* font = options.find("font"))
            layout.font = canvas->getFont(*font, 0);
    }
    const float m = layout.font ? layout.font->advance(u'm') : 0.f;

    int tabSize = 4;
    options.getInt("tabSize", tabSize);
    if (layout.font)
        layout.tabWidth = static_cast<float>(std::clamp(tabSize, kSmallestTabSize, kLargestTabSize)) * m;

    float wrapWidth = 0.f;
    options.getFloat("wrapWidth", wrapWidth);
    if (!(wrapWidth > 0.f)) // negative, and "nan", mean no width of its own
        wrapWidth = 0.f;
    if (layout.font)
        layout.wrapWidth = wrapWidth * m;

    options.getBool("drawCentered", drawCentered);
    options.getBool("matchBrackets", matchBrackets);
    options.getBool("matchBracketsContent", matchBracketsContent);
    options.getBool("wordWrap", layout.wordWrap);
    options.getBool("indentSubsequentLines", layout.indentSubsequentLines);
    options.getBool("lineNumbers", lineNumbers);
    options.getBool("gutter", gutter);
    options.getBool("drawDebug", drawDebug);
    options.getBool("scrollPastEnd", scrollPastEnd);
    options.getBool("highlightLine", highlightLine);

    ustring click;
    options.getString("clickToScroll", click);
    if (click == u"true" || click == u"position")
        clickToScroll = ClickToScroll::kClickToScrollPosition;
    else if (click == u"text")
        clickToScroll = ClickToScroll::kClickToScrollText;
    else
        clickToScroll = ClickToScroll::kClickToScrollOff;

    bool scrollBars = true;
    options.getBool("wantScrollBars", scrollBars);
    wantVerticalScrollBar = scrollBars;
    wantHorizontalScrollBar = scrollBars;
    options.getBool("wantVerticalScrollBar", wantVerticalScrollBar);
    options.getBool("wantHorizontalScrollBar", wantHorizontalScrollBar);

    // A padding that is not a finite number would make every line height,
    // and so the whole layout, meaningless: such a value is ignored.
    float padding = layout.linePaddingTop;
    if (options.getFloat("linePaddingTop", padding) && std::isfinite(padding))
        layout.linePaddingTop = padding;
    padding = layout.linePaddingBottom;
    if (options.getFloat("linePaddingBottom", padding) && std::isfinite(padding))
        layout.linePaddingBottom = padding;

    const ustring* scheme = options.find("colorscheme");
    layout.colorscheme = scheme ? *scheme : ustring();
    SchemeColours colours;
    if (Styler::alive()) {
        slate::SP<ScopeStyler> styler =
            scheme ? Styler::get().scopeStylerFor(*scheme) : Styler::get().defaultScopeStyler();
        colours = styler->colours();
    }
    copyColour(backgroundColour, colours.background);
    copyColour(secondBackgroundColour, colours.background);
    copyColour(thirdBackgroundColour, colours.background);
    copyColour(caretColour, colours.caret);
    copyColour(selectionStyle.foreground, colours.selectionForeground);
    copyColour(selectionStyle.background, colours.selection);
    copyColour(mixedSelectionStyle.foreground, colours.selectionMixForeground);
    copyColour(mixedSelectionStyle.background, colours.selectionMix);
    copyColour(lineHighlightColour, colours.lineHighlight);
    copyColour(mixedLineHighlightColour, colours.lineHighlightMix);
    copyColour(quarterForegroundColour, colours.foregroundQuarterMix);
    copyColour(bracketsColour, colours.brackets);
    copyColour(halfForegroundColour, colours.foregroundHalfMix);

    options.getString("syntax", layout.syntax);

    rulers.clear();
    if (layout.font) {
        if (const ustring* text = options.find("rulers")) {
            for (double column : rulerColumns(*text))
                rulers.push_back(static_cast<float>(column * m));
        }
    }

    ustring whiteSpace;
    options.getString("drawWhiteSpace", whiteSpace);
    drawAllWhiteSpace = whiteSpace == u"all";
    drawSelectionWhiteSpace = whiteSpace == u"selection" || whiteSpace == u"all";

    options.getBool("inverseCursorState", inverseCursorState);
}
