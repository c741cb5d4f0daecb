// The text of one buffer as a sequence of scope-tagged tokens: interned token
// records (token_set.h) in buckets under a balanced tree with subtree sums
// (bucket_container.h), lexed incrementally with the buffer's syntax and laid
// out for every view's layout (layout_tracker.h, token_buffer.h).
//
// Lexing is incremental in two steps. An edit re-lexes at once the whole
// lines it touches, from the lexer state stored in the first token of the
// first of them. When the state at the end of those lines differs from the
// one stored in the line after them, an invalid point is recorded there and
// the rest keeps its old tokens. Readers that need correct scopes up to some
// position call `validateUntil` first, which re-lexes from each invalid point
// before it until the states agree again or the position is passed.
//
// No lock: one thread at a time (the main thread for a buffer's storage, the
// reading thread for one it fills before handing it over). Every lexing run
// holds the syntax's lexer lock.
#pragma once

#include <cstdint>
#include <iterator>
#include <map>
#include <vector>

#include "ui/arena_allocator.h"
#include "ui/reference_counted.h"
#include "ui/text/line_ending.h"
#include "ui/text/encoding.h"
#include "ui/text/lexer/lexer.h"
#include "ui/text/selection_region.h"
#include "ui/text/selection_set.h"
#include "ui/text/syntax/scope_selector.h"
#include "ui/text/token/bucket_container.h"
#include "ui/text/token/layout_tracker.h"
#include "ui/text/token/token_set.h"
#include "ui/ustring.h"

class SpellChecker;
class UnicodeFont;

// Which scopes the spell checker looks at, with its decision per scope id.
struct SpellingScopeFilter {
    CompiledSelector checkSelector;
    CompiledSelector skipSelector;
    // By scope id: 0 not decided yet, 1 check, 2 do not check.
    std::vector<int32_t> decisions;

    // Whether words of `scope` are checked: strings, comments and raw markup
    // always, the rest of source code never, anything else yes.
    bool shouldCheckSpelling(const ScopeRecord* scope);
};

// Trims separators and units outside printable ASCII from both ends of
// `region`, moving `text` (the region's text) in step.
void trimWord(SelectionRegion& region, slate::usubstring& text);

class TokenStorage : public LayoutTracker {
public:
    // A bidirectional iterator over the code units of the text; what regular
    // expression search runs on. Valid until the tokens change.
    class iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = uchar;
        using difference_type = std::ptrdiff_t;
        using pointer = const uchar*;
        using reference = const uchar&;

        iterator() = default;
        // The iterator at `location`, which must hold `position` (not
        // negative).
        iterator(const TokenLocation& location, int64_t position);

        const uchar& operator*() const
        {
            return m_bucket->tokens[m_index]->begin[m_characterOffset];
        }
        iterator& operator++();
        iterator& operator--();
        iterator operator++(int)
        {
            iterator before = *this;
            ++*this;
            return before;
        }
        iterator operator--(int)
        {
            iterator before = *this;
            --*this;
            return before;
        }
        bool operator==(const iterator& other) const { return m_position == other.m_position; }
        bool operator!=(const iterator& other) const { return m_position != other.m_position; }

        int64_t position() const { return m_position; }
        TokenLocation location() const { return TokenLocation{m_bucket, m_index, m_characterOffset}; }

    private:
        int64_t m_position = 0;
        TokenBuffer* m_bucket = nullptr;
        uint32_t m_index = 0;
        int32_t m_characterOffset = 0;
    };

    // An empty storage with the default syntax.
    TokenStorage();
    // A storage holding `[begin, end)`, lexed with the default syntax.
    TokenStorage(const uchar* begin, const uchar* end);
    ~TokenStorage() override;

    // Inserts UTF-16 text whose line breaks are single U+000A at `position`
    // and re-lexes the whole lines it lands in. A position outside [0, size]
    // is refused: false, and nothing changes. An empty text changes nothing
    // (true).
    bool insert(int64_t position, const uchar* begin, const uchar* end);
    bool insert(int64_t position, const ustring& text)
    {
        return insert(position, text.data(), text.data() + text.size());
    }
    // Erases the region's text, which must lie inside [0, size] (callers
    // clamp it), and re-lexes the lines around it.
    void erase(SelectionRegion region);
    // Makes the scopes right at least up to `position`. Re-lexes from every
    // invalid point up to it; one line end past it may be left invalid.
    void validateUntil(int64_t position);
    // Lexes with `syntax` (not null) from now on and re-lexes everything,
    // unless it is the syntax held already.
    void setSyntax(slate::SP<Syntax> syntax);
    // Drops every token; the text is then empty.
    void clearTokens();

    LineEnding lineEnding() const { return m_lineEnding; }
    void setLineEnding(LineEnding ending)
    {
        m_lineEnding = ending;
        m_lineEndingIsDefault = false;
    }
    bool lineEndingIsDefault() const { return m_lineEndingIsDefault; }
    FileEncoding encoding() const { return m_encoding; }
    void setEncoding(FileEncoding encoding) { m_encoding = encoding; }

    // Positions and text. Positions are UTF-16 offsets, 0 to size.
    int64_t size() const { return m_tokenList.size(); }
    int32_t lineBreakCount() const { return m_tokenList.lineBreakCount(); }
    // The token holding `position` (clamped into [0, size]); a boundary
    // belongs to the later token, the size to the end location. Sequential
    // calls (the same position, or one step either way) are answered from a
    // one-entry cache without descending the tree.
    TokenLocation tokenAt(int64_t position);
    iterator iteratorAt(int64_t position);
    iterator begin() { return iteratorAt(0); }
    iterator end();
    // 0-based row and column of `position` (clamped); a line break belongs to
    // the row it ends.
    void rowcol(int64_t position, int32_t& row, int32_t& column) const;
    // The position of (row, column); the size for a row past the last. The
    // column is not limited to its row: it runs on into the following rows.
    int64_t textPoint(int32_t row, int32_t column);
    // The text of the region, clamped to the text.
    ustring substr(SelectionRegion region) const;
    ustring str() const { return substr(SelectionRegion(0, size())); }
    // The unit at `position`; U+0000 outside the text.
    uchar charAt(int64_t position);
    // Line breaks between the region's ends.
    int32_t newlineCount(SelectionRegion region) const;
    // The line walks of the token sequence around a token starting at
    // `position`.
    void lineStart(bucket_container::iterator& it, int64_t& position) const
    {
        m_tokenList.lineStart(it, position);
    }
    void lineEnd(bucket_container::iterator& it, int64_t& position) const
    {
        m_tokenList.lineEnd(it, position);
    }

    // Spelling. A null checker turns checking off.
    void setSpellChecker(slate::SP<SpellChecker> checker);
    // Checks again the records marked misspelled (after words were added).
    void recheckMisspelled();
    int32_t misspelledCount() const { return m_tokenList.misspelledCount(); }
    // Appends one trimmed region per misspelled token, in text order.
    void misspelledWords(SelectionSet& out) const;
    void clearSpellingDecisions() { m_spellingFilter.decisions.clear(); }
    SpellingScopeFilter& spellingFilter() { return m_spellingFilter; }

    // Layouts.
    LayoutHandle addLayout(const LayoutSettings& settings) override;
    void removeLayout(uint32_t index) override;
    // The size of the laid-out text of a layout: the widest line and the
    // height of all lines.
    void layoutSize(uint32_t layoutIndex, double& width, double& height) const;
    UnicodeFont* currentFont() const { return m_currentFont; }

    // The invalid points, ascending.
    const std::vector<int64_t>& invalidPoints() const { return m_invalidPoints; }
    const TokenSet& tokenSet() const { return m_tokenSet; }

    // The token sequence itself, for the queries built on it. Read only.
    bucket_container m_tokenList;

private:
    // Lexes `[begin, end)` from `state`, as the text at `position` whose
    // tokens are to stand before `at`, and inserts the tokens there. Records
    // an invalid point after the run when its end state differs from the one
    // stored at `at`.
    void tokenise(bucket_container::iterator at, int64_t position, LexerState* state,
                  const uchar* begin, const uchar* end);
    // Re-lexes line by line from the line before `startPoint` (a token
    // start) until the states agree again (false) or `limit` is passed
    // (true). `validatedUntil` is where the re-lexed lines end.
    bool relexFrom(int64_t startPoint, int64_t limit, int64_t& validatedUntil);
    void shiftInvalidPoints(int64_t from, int64_t to);
    void addInvalidPoint(int64_t position);
    void retokeniseAll();
    // Interns the lexed tokens and inserts them before `at`.
    void createAndInsertTokens(bucket_container::iterator at, const std::vector<LexedToken>& lexed);
    Token* createToken(const LexedToken& lexed, uint32_t hash);
    void markSpelling(Token* token);
    // Gives every record its width in the current font.
    void remeasureTokens();
    // Recounts every bucket's misspelled tokens after records were re-marked.
    void recountMisspelled();

    TokenSet m_tokenSet;
    ArenaAllocator m_tokenArena; // every record; cleared with the set
    slate::SP<SpellChecker> m_spellChecker; // null: no checking
    SpellingScopeFilter m_spellingFilter;
    LineEnding m_lineEnding;
    bool m_lineEndingIsDefault = true;
    FileEncoding m_encoding;
    // Compiled selectors by text, for the scope queries.
    std::map<ustring, CompiledSelector> m_selectorCache;
    UnicodeFont* m_currentFont = nullptr; // the font token widths are measured in
    // The last location found by tokenAt; valid until the tokens change.
    iterator m_findCache;
    bool m_findCacheValid = false;
    // Ascending, no duplicates; each is the start of a token.
    std::vector<int64_t> m_invalidPoints;
};
