// The flags and the error of searches over a token storage (see
// TokenStorage::find). Neutral: no regex header comes in here.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "ui/ustring.h"

// The flag word of a search: bits that callers combine and plug-ins pass as
// one integer.
constexpr uint32_t kSearchLiteral = 1; // the pattern, and any format string, are plain text
constexpr uint32_t kSearchIgnoreCase = 2;

// A pattern that does not compile, or a search the engine gave up on (a
// match too complex or too deep to finish): the engine's message, then
// " in regular expression ", then the pattern.
class RegexError : public std::exception {
public:
    // `abandoned` tells a search the engine gave up on from a pattern that
    // does not compile.
    explicit RegexError(const ustring& message, bool abandoned = false);
    const char* what() const noexcept override { return m_message.c_str(); }
    // The pattern compiled, but the engine gave up on a match: nothing is
    // wrong with what the user wrote, the text was too much for it.
    bool abandoned() const { return m_abandoned; }

private:
    std::string m_message; // UTF-8
    bool m_abandoned;
};
