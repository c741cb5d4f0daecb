// The regular-expression engine of grammar patterns, seen through a small
// scanner interface. Grammar patterns are compiled and searched by Oniguruma
// with its default syntax; everything above this header (the multi-pattern
// matcher, the lexer, indentation rules) sees only compiled regexes, match
// regions and the `RegexScanner` interface, never Oniguruma's own header.
// Positions are pointers to UTF-16 code units of one text, and offsets are
// counted in code units, whatever form the engine searches internally.
//
// This header is neutral: it includes no engine or system header, so it may
// meet ICU and Boost headers (which clash with Oniguruma's) in one file.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "ui/critical_section.h"
#include "ui/reference_counted.h"
#include "ui/text/lexer/pattern_requirement.h"
#include "ui/ustring.h"

namespace oniguruma {

// The error of a grammar pattern: a pattern the engine rejects, or a search
// that failed (for example by exceeding the engine's backtracking limit).
class regex_error : public std::exception {
public:
    // `message` is UTF-8.
    explicit regex_error(std::string message);
    // Kept as UTF-8; a message that is not valid UTF-16 becomes empty.
    explicit regex_error(const ustring& message);

    // The UTF-8 message.
    const char* what() const noexcept override;

private:
    std::string m_message;
};

} // namespace oniguruma

// Held around every compilation of a grammar pattern, on any thread (the
// engine's compiler keeps global state). Nothing else is locked while it is
// held. It lives from static initialisation to the end of the process.
extern CriticalSection onigCompileLock;

// One compiled pattern, shared by count between the matcher entries (and
// indentation rules) whose pattern texts are equal. Made only by a scanner;
// the last release frees the engine's regex. A compiled regex is immutable:
// several threads may search it at once.
class OnigRegexRef : public slate::ReferenceCounted<OnigRegexRef> {
public:
    // Takes ownership of `engineRegex` (an Oniguruma regex).
    OnigRegexRef(void* engineRegex, int captureCount)
        : m_engineRegex(engineRegex), m_captureCount(captureCount)
    {
    }
    ~OnigRegexRef();
    OnigRegexRef(const OnigRegexRef&) = delete;
    OnigRegexRef& operator=(const OnigRegexRef&) = delete;

    // The number of capture groups, named and plain ones alike.
    int captureCount() const { return m_captureCount; }
    // Characters every match needs at or after its start (see
    // pattern_requirement.h); null when none are known. Set by the scanner
    // that compiled the regex, before it is shared.
    const RequiredCharacters* requiredCharacters() const
    {
        return m_required.count ? &m_required : nullptr;
    }
    void setRequiredCharacters(const RequiredCharacters& required) { m_required = required; }
    // For the scanner only.
    void* engineRegex() const { return m_engineRegex; }

private:
    void* m_engineRegex;
    int m_captureCount;
    RequiredCharacters m_required;
};

// Compiled regexes searched together in one pass of the engine: at each
// place of the text every regex is tried in order before the next place, so
// the first to match gives the leftmost match, the earliest regex winning
// ties. Made only by a scanner; holds a count on each of its regexes, which
// stay shared with everything else that uses them. Unlike a compiled regex,
// a set keeps per-search state of its own: one thread at a time.
class OnigRegexSetRef : public slate::ReferenceCounted<OnigRegexSetRef> {
public:
    // Takes ownership of `engineSet` (an Oniguruma regex set holding the
    // engine regexes of `regexes`, in order) and of `engineParameters` (the
    // engine's match parameters, one per regex, made once for every search).
    OnigRegexSetRef(void* engineSet, std::vector<void*> engineParameters,
                    std::vector<slate::SP<OnigRegexRef>> regexes)
        : m_engineSet(engineSet),
          m_engineParameters(std::move(engineParameters)),
          m_regexes(std::move(regexes))
    {
    }
    ~OnigRegexSetRef();
    OnigRegexSetRef(const OnigRegexSetRef&) = delete;
    OnigRegexSetRef& operator=(const OnigRegexSetRef&) = delete;

    size_t size() const { return m_regexes.size(); }
    const OnigRegexRef& regex(size_t index) const { return *m_regexes[index]; }
    // For the scanner only.
    void* engineSet() const { return m_engineSet; }
    void** engineParameters() { return m_engineParameters.data(); }

private:
    void* m_engineSet;
    std::vector<void*> m_engineParameters;
    std::vector<slate::SP<OnigRegexRef>> m_regexes;
};

// Where a search writes its result. One region serves many searches in a row
// (the token storage makes one per lexing run) so that searching allocates
// nothing; it is used by one thread at a time. The group positions read back
// the last search that matched and are meaningless after one that did not.
class MatchRegion {
public:
    MatchRegion();
    ~MatchRegion();
    MatchRegion(const MatchRegion&) = delete;
    MatchRegion& operator=(const MatchRegion&) = delete;

    // Where "\G" may match. By default it matches at the start of every
    // search; once restricted, only a search that starts exactly at `anchor`
    // finds "\G" there (null: no search does). The lexer restricts it to the
    // end of the begin match of the context it is in, as grammars expect.
    void restrictAnchor(const uchar* anchor)
    {
        m_anchorRestricted = true;
        m_anchor = anchor;
    }
    void unrestrictAnchor() { m_anchorRestricted = false; }
    // Whether a search from `start` may find "\G" at `start`.
    bool anchorAllowedAt(const uchar* start) const
    {
        return !m_anchorRestricted || start == m_anchor;
    }
    // Promises that [start, end) stays as it is until `releaseText`: what
    // the region keeps of a text between searches is then trusted without
    // comparing the text again. The lexer holds each line while it lexes it.
    void holdText(const uchar* start, const uchar* end)
    {
        m_heldStart = start;
        m_heldEnd = end;
        m_utf8.start = nullptr; // converted before the promise: convert again
    }
    void releaseText()
    {
        m_heldStart = m_heldEnd = nullptr;
        m_utf8.held = false;
    }
    bool holdsText(const uchar* start, const uchar* end) const
    {
        return start && start == m_heldStart && end == m_heldEnd;
    }

    // Whether "\A" matches at the start of the searched text (the default).
    // The lexer searches one line at a time and allows it only on the first
    // line of a document.
    void setTextStartIsDocumentStart(bool isStart) { m_textStartIsDocumentStart = isStart; }
    bool textStartIsDocumentStart() const { return m_textStartIsDocumentStart; }

    // The start of the text last searched.
    const uchar* textStart() const { return m_textStart; }
    // Groups of the last match, the whole match (group 0) included.
    int count() const { return m_count; }
    // Code-unit offsets of group `group` (0 <= group < count()) from the text
    // start; -1 for a group that did not take part in the match.
    int32_t begin(int group) const { return unitOffset(m_byteBegins[group]); }
    int32_t end(int group) const { return unitOffset(m_byteEnds[group]); }

    // For scanners: the engine's region object, and the result of a search
    // as the engine left it (byte offsets into the engine's form of the
    // text, Utf8Text, -1 for groups that did not take part). The arrays must
    // stay valid until the next search.
    void* engineRegion() const { return m_engineRegion; }
    // For scanners: the engine searches UTF-8, where ASCII text is one byte
    // a character and character classes test ASCII by table. This is the
    // text last converted, kept for the searches that follow (the lexer
    // searches one line many times).
    struct Utf8Text {
        const uchar* start = nullptr;
        const uchar* end = nullptr;
        ustring copy;      // what was converted, to see that the text is unchanged
        bool held = false; // converted while held (see holdText): not compared
        // The characters from each unit to the end (one entry past it),
        // made when first asked for.
        std::vector<CharacterSet> charactersFrom;
        std::string bytes; // UTF-8; a lone surrogate takes the 3-byte form of its value
        // Offsets between the two forms, each with one entry past the end;
        // both empty when every unit is ASCII and the offsets are equal.
        std::vector<int32_t> unitOfByte;
        std::vector<int32_t> byteOfUnit;
    };
    Utf8Text& utf8Text() { return m_utf8; }
    void setResult(const uchar* textStart, int count, const int* byteBegins, const int* byteEnds)
    {
        m_textStart = textStart;
        m_count = count;
        m_byteBegins = byteBegins;
        m_byteEnds = byteEnds;
    }

private:
    // The engine counts bytes of the UTF-8 form.
    int32_t unitOffset(int byteOffset) const
    {
        if (byteOffset < 0)
            return -1;
        return m_utf8.unitOfByte.empty() ? byteOffset
                                         : m_utf8.unitOfByte[static_cast<size_t>(byteOffset)];
    }

    void* m_engineRegion;
    Utf8Text m_utf8;
    bool m_anchorRestricted = false;
    bool m_textStartIsDocumentStart = true;
    const uchar* m_anchor = nullptr;
    const uchar* m_heldStart = nullptr;
    const uchar* m_heldEnd = nullptr;
    const uchar* m_textStart = nullptr;
    int m_count = 0;
    const int* m_byteBegins = nullptr;
    const int* m_byteEnds = nullptr;
};

// Compiles and searches grammar patterns. The program uses the one Oniguruma
// scanner, `onigScanner()`; tests may put a double in front of it (for
// instance to count searches).
class RegexScanner {
public:
    virtual ~RegexScanner() = default;

    // Compiles `pattern` (UTF-16, default syntax, plain groups capture even
    // where named groups exist) under `onigCompileLock`. Any thread. Throws
    // oniguruma::regex_error whose text is the engine's message, " in regex "
    // and the pattern.
    virtual slate::SP<OnigRegexRef> compile(const slate::usubstring& pattern) = 0;

    // Searches the text [textStart, textEnd) for the leftmost match that
    // begins at or after `start` and before `rangeEnd` (or at `start` itself
    // when the two are equal; an empty match at the text end is found when
    // `rangeEnd` is the text end), with textStart <= start <= rangeEnd <=
    // textEnd. Anchors see the whole text: "^" does not match at `start`
    // unless it begins the text or a line, "\G" matches at `start` (where
    // the region allows it, see MatchRegion::restrictAnchor). Without
    // `allowEmpty` no empty match is found. True when a match was found; its
    // groups are in `region`. Throws oniguruma::regex_error when the engine
    // fails. Takes no lock.
    virtual bool search(const OnigRegexRef& regex, const uchar* start, const uchar* rangeEnd,
                        const uchar* textStart, const uchar* textEnd, MatchRegion& region,
                        bool allowEmpty) = 0;

    // Gathers `regexes` (compiled by this scanner, at least one) into a set
    // for searchSet, or gives null when the scanner searches one regex at a
    // time only (the default). Any thread.
    virtual slate::SP<OnigRegexSetRef> compileSet(
        const std::vector<slate::SP<OnigRegexRef>>& regexes);

    // Searches like `search` with every regex of `set` at once: the index of
    // the regex whose match begins first (the earliest regex of those that
    // match at that place), or -1 when none matches. The groups of that
    // match are in `region`. Throws oniguruma::regex_error when the engine
    // fails. The set is searched by one thread at a time.
    virtual int searchSet(OnigRegexSetRef& set, const uchar* start, const uchar* rangeEnd,
                          const uchar* textStart, const uchar* textEnd, MatchRegion& region,
                          bool allowEmpty);
};

// The characters of [start, textEnd), kept in `region` with what it keeps
// of the text.
const CharacterSet& charactersFrom(MatchRegion& region, const uchar* start,
                                   const uchar* textStart, const uchar* textEnd);

// The Oniguruma scanner; it has no state of its own and lives for the whole
// process. Any thread.
RegexScanner& onigScanner();
// The same engine compiling every pattern exactly as written, without the
// rewrites that make keyword alternations faster (pattern_factoring.h); to
// check those rewrites against.
RegexScanner& onigScannerAsWritten();

// Frees the engine's global tables. Called once at shutdown, after the last
// compiled regex is gone; a later compilation initialises the engine again.
void onigCleanup();
