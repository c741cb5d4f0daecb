// What a matched pattern does to the lexer's context stack.
#pragma once

#include <cstdint>

enum class LexerAction : int32_t {
    aNONE = 0, // a match rule: stay
    aPUSH = 1, // a begin pattern: enter its context
    aPOP = 2,  // an end pattern: leave the context
};
