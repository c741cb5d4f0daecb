// The walk that lays tokens out on screen lines for one layout: line breaks,
// tab stops, wrapping at the wrap width, the indent of wrapped continuation
// lines, and words too wide for a whole line broken between code units. The
// buckets run it to keep their per-layout records (token_buffer.cpp); the
// layout queries run it over a few buckets with a sink that sees every piece
// placed.
#pragma once

#include <cstdint>

#include "ui/text/token/layout_tracker.h"
#include "ui/text/token/token.h"
#include "ui/text/token/token_buffer.h"

// Told of every piece a walk places, in text order. A piece is
// [begin, end) of `token` (offsets in code units) starting at x `x` on the
// screen line whose top is `lineTop` (relative to where the walk began).
// A line break is reported as a piece of its own before the line advances.
class LayoutPieceSink {
public:
    virtual ~LayoutPieceSink() = default;
    virtual void piece(const Token* token, int32_t begin, int32_t end, double x, double width,
                       double lineTop) = 0;
};

// The width of a record's text in `font`: 0 for a token that starts with a
// tab, which layout widens to its tab stop.
float measureToken(const Token* token, UnicodeFont& font);

struct LayoutWalk {
    // A walk from `start` with the settings of `layout` (whose font must be
    // set). `sink` may be null.
    LayoutWalk(const LayoutData& layout, const LayoutState& start, LayoutPieceSink* sink = nullptr);

    // Places one token: a line break ends the screen line and the text
    // line; a token that starts with a tab places each of its units at its
    // tab stop; any other token is one piece of its cached width.
    void placeToken(const Token* token);

    const LayoutSettings& settings;
    UnicodeFont& font;
    const TokenWidthTable* widths; // the layout's; null: the records' own
    const double lineStep;
    LayoutPieceSink* sink;

    LayoutState state;
    double height = 0.0; // line advances made so far
    double width = 0.0; // rightmost pen position reached so far

private:
    void placePiece(const Token* token, int32_t begin, int32_t end, double pieceWidth);
    void placeChars(const Token* token, int32_t begin, int32_t end);
    void newScreenLine();
};
