// Key patterns over the program's Unicode regexes. Typed text is matched
// anchored at its start with POSIX leftmost-longest rules, so that
// "/[0-9]+/,enter" takes every digit typed before the enter key rather than
// the first one. A sequence never holds more than 31 typed characters, and
// the engine's own complexity limit turns a runaway pattern into an error
// instead of a hang.
#include "input/key_pattern.h"

#include <stdexcept>

#include "ui/text/util/regex_utils.h"

struct KeyPattern::Compiled {
    WideRegex regex;
};

KeyPattern::KeyPattern(ustring text, std::unique_ptr<Compiled> compiled)
    : m_text(std::move(text)), m_compiled(std::move(compiled))
{
}

KeyPattern::~KeyPattern() = default;

std::shared_ptr<const KeyPattern> KeyPattern::compile(const slate::usubstring& pattern, std::string& error)
{
    try {
        auto compiled = std::make_unique<Compiled>();
        compiled->regex = makeRegex(pattern, ustring());
        return std::shared_ptr<const KeyPattern>(new KeyPattern(pattern.str(), std::move(compiled)));
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
}

namespace {

bool isHighSurrogate(uchar c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(uchar c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The text with every unpaired surrogate replaced by U+FFFD, unit for unit,
// since the engine refuses ill-formed UTF-16. A high surrogate typed as the
// first half of a pair is pending on its own until the second half arrives.
ustring wellFormed(const uchar* begin, const uchar* end)
{
    ustring text(begin, end);
    for (size_t i = 0; i < text.size(); ++i) {
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1]))
            ++i;
        else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i]))
            text[i] = 0xFFFD;
    }
    return text;
}

} // namespace

KeyPattern::Match KeyPattern::matchPrefix(const uchar* begin, const uchar* end, bool allowPartial,
                                          size_t& length, std::string& error) const
{
    const ustring text = wellFormed(begin, end);
    const uchar* first = text.data();
    const uchar* last = first + text.size();
    const RegexFlags anchored = boost::regex_constants::match_continuous | boost::regex_constants::match_posix;
    try {
        boost::match_results<const uchar*> result;
        if (boost::u32regex_search(first, last, result, m_compiled->regex, anchored)) {
            length = static_cast<size_t>(result[0].second - first);
            return Match::Complete;
        }
        if (allowPartial &&
            boost::u32regex_search(first, last, result, m_compiled->regex,
                                   anchored | boost::regex_constants::match_partial))
            return Match::Partial;
        return Match::None;
    } catch (const std::exception& e) {
        error = e.what();
        return Match::Error;
    }
}
