// What the renderer's passes share to place the tokens of the buckets a
// band shows (TokenStorage::bucketsInBand): a piece sink that knows where
// each token starts, and the placement of one bucket from its start state.
#pragma once

#include <cstdint>

#include "ui/text/token/layout_walk.h"
#include "ui/text/token/token_storage.h"

// A piece sink that knows where each token of a bucket starts: the walks
// below set `tokenStart` before placing each token.
class PositionedPieceSink : public LayoutPieceSink {
public:
    int64_t tokenStart = 0;
    double bucketTop = 0.0; // layout y of the bucket being placed
};

// Places every token of `placed` from its start state, reporting the pieces
// to `sink` with the token's text position set.
inline void placeBucket(const LayoutData& layout, const PlacedBucket& placed, PositionedPieceSink& sink)
{
    LayoutWalk walk(layout, placed.startState, &sink);
    sink.bucketTop = placed.top;
    int64_t position = placed.position;
    for (const Token* token : placed.bucket->tokens) {
        sink.tokenStart = position;
        walk.placeToken(token);
        position += token->length();
    }
}
