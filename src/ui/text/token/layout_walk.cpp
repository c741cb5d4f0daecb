// Laying out a run of tokens. The walk keeps the pen x, the logical x of the
// text line (tab stops are measured on it, so wrapping never moves them),
// the indent of continuation lines and whether the line has shown text past
// its leading blanks. A whole token is one addition of its cached width;
// only a token that does not fit on a fresh screen line is measured unit by
// unit, and every screen line then takes at least one unit, so the walk
// always advances.
#include "ui/text/token/layout_walk.h"

#include <algorithm>

#include "canvas/unicode_font.h"

LayoutWalk::LayoutWalk(const LayoutData& layout, const LayoutState& start, LayoutPieceSink* sink)
    : settings(layout.settings), font(*layout.settings.font), widths(layout.widths),
      lineStep(layout.settings.lineHeight()), sink(sink), state(start)
{
}

float measureToken(const Token* token, UnicodeFont& font)
{
    if (token->begin != token->end && token->begin[0] == u'\t')
        return 0.f;
    return textWidth(font, token->begin, token->end);
}

void LayoutWalk::newScreenLine()
{
    height += lineStep;
    state.x = state.indent;
}

void LayoutWalk::placeToken(const Token* token)
{
    const int32_t length = static_cast<int32_t>(token->length());
    if (length == 0)
        return;
    if (token->isLineBreak()) {
        const double advance = font.advance(u'\n');
        width = std::max(width, state.x + advance);
        if (sink)
            sink->piece(token, 0, 1, state.x, advance, height);
        state = LayoutState{0.0, 0.0, 0.0, false};
        height += lineStep;
        return;
    }
    if (token->begin[0] == u'\t') {
        for (int32_t i = 0; i < length; ++i) {
            const double advance = token->begin[i] == u'\t'
                ? tabAdvance(state.logicalX, settings.tabWidth)
                : font.advance(token->begin[i]);
            placePiece(token, i, i + 1, advance);
        }
        return;
    }
    if (!widths) {
        placePiece(token, 0, length, token->width);
        return;
    }
    // The storage measures every record in every font it lays out with;
    // a record missing from the table is measured here rather than trusted.
    auto found = widths->find(token);
    placePiece(token, 0, length, found != widths->end() ? found->second : measureToken(token, font));
}

void LayoutWalk::placePiece(const Token* token, int32_t begin, int32_t end, double pieceWidth)
{
    const uchar* text = token->begin + begin;
    if (!state.seenText) {
        if (settings.indentSubsequentLines)
            state.indent += whitespaceWidth(state.logicalX, text, token->begin + end, font,
                                            settings.tabWidth);
        if (pieceWidth != 0.0 && *text != u'\t')
            state.seenText = true;
    }
    const double wrap = settings.wrapWidth;
    if (state.x + pieceWidth < wrap) {
        width = std::max(width, state.x + pieceWidth);
    } else if (state.indent + pieceWidth < wrap) {
        newScreenLine();
        width = std::max(width, state.indent + pieceWidth);
    } else {
        placeChars(token, begin, end);
        state.logicalX += pieceWidth;
        return;
    }
    if (sink)
        sink->piece(token, begin, end, state.x, pieceWidth, height);
    state.x += pieceWidth;
    state.logicalX += pieceWidth;
}

void LayoutWalk::placeChars(const Token* token, int32_t begin, int32_t end)
{
    double logical = state.logicalX;
    for (int32_t i = begin; i < end; ++i) {
        const uchar unit = token->begin[i];
        const double advance =
            unit == u'\t' ? tabAdvance(logical, settings.tabWidth) : font.advance(unit);
        if (state.x > state.indent && state.x + advance >= settings.wrapWidth)
            newScreenLine();
        width = std::max(width, state.x + advance);
        if (sink)
            sink->piece(token, i, i + 1, state.x, advance, height);
        state.x += advance;
        logical += advance;
    }
}
