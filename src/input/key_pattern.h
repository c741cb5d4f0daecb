// A regular expression standing for one element of a key sequence, such as
// the "/[0-9]+/" of "ctrl+k,/[0-9]+/". It only ever sees typed characters.
// The regex engine stays behind this header, so that the key-binding headers
// can be included anywhere (Win32 files included).
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "ui/ustring.h"

class KeyPattern {
public:
    enum class Match {
        None,     // the text does not begin with a match
        Complete, // a match at the start of the text; see `length`
        Partial,  // the whole text could be the beginning of a match
        Error,    // the engine gave up (a match too complex to finish)
    };

    ~KeyPattern();
    KeyPattern(const KeyPattern&) = delete;
    KeyPattern& operator=(const KeyPattern&) = delete;

    // Compiles `pattern` with the Perl syntax. Null, with the engine's text
    // in `error`, when it does not compile.
    static std::shared_ptr<const KeyPattern> compile(const slate::usubstring& pattern, std::string& error);

    // Matches at the start of [begin, end) by the leftmost-longest rule, the
    // match not required to reach `end`; a Complete match sets `length` to
    // the units it covers. Only when there is none and `allowPartial` is a
    // partial match looked for. Error sets `error` to the engine's text.
    // Unpaired surrogates in the text count as one unmatched character each.
    Match matchPrefix(const uchar* begin, const uchar* end, bool allowPartial, size_t& length,
                      std::string& error) const;

    const ustring& text() const { return m_text; }
    // True the first time it is called, so that a pattern that fails at
    // every key press is reported once.
    bool firstFailure() const { return !m_failed.exchange(true); }

private:
    struct Compiled;
    KeyPattern(ustring text, std::unique_ptr<Compiled> compiled);

    ustring m_text;
    std::unique_ptr<Compiled> m_compiled;
    mutable std::atomic<bool> m_failed{false};
};
