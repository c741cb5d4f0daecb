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
// Stale text is also lexed ahead off the main thread (lex_ahead.h): a worker
// lexes a copy of the stale lines, and the storage takes the tokens back only
// while those lines and the state they start in are still right.
//
// No lock: one thread at a time (the main thread for a buffer's storage, the
// reading thread for one it fills before handing it over). Every lexing run
// holds the syntax's lexer lock.
#pragma once

#include <cstdint>
#include <iterator>
#include <list>
#include <map>
#include <memory>
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
#include "ui/text/token/token_search.h"
#include "ui/text/token/token_set.h"
#include "ui/ustring.h"

class BufferSource;
struct LexAheadRun;
struct LexAheadSlice;
class SpellChecker;
class Style;
class UnicodeFont;

// A point of a layout in pixels: x from the left of the text, y from the top
// of the first line.
struct LayoutPoint {
    double x = 0.0;
    double y = 0.0;

    bool operator==(const LayoutPoint& other) const { return x == other.x && y == other.y; }
};

// A bucket as a band query reports it, for a renderer that places its
// tokens: where the bucket starts in the text and in the layout.
struct PlacedBucket {
    const TokenBuffer* bucket; // read only; valid until the text or the layout changes
    double top; // layout y of the screen line its first token is placed on
    int64_t position; // text position of its first unit
    int64_t lines; // line breaks before it
    LayoutState startState; // the placement state its first token starts from
};

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
    // Appends UTF-16 text whose line breaks are single U+000A without lexing
    // it: the text is cut into plain tokens of the grammar's own scope, and
    // an invalid point before it makes `validateUntil` (and every query that
    // calls it) lex it when it is first asked for. What a file load uses, so
    // that opening a large file lexes only what is shown. Edits inside the
    // unlexed part leave it unlexed.
    void appendWithoutLexing(const uchar* begin, const uchar* end);
    // Erases the region's text, which must lie inside [0, size] (callers
    // clamp it), and re-lexes the lines around it.
    void erase(SelectionRegion region);
    // Makes the scopes right at least up to `position`. Re-lexes from every
    // invalid point up to it; one line end past it may be left invalid.
    void validateUntil(int64_t position);
    // As validateUntil, but only when the text left stale before `position`
    // is at most `budget` units long; else nothing is lexed. True when the
    // scopes up to `position` are then right. What drawing calls, so that a
    // frame far past what is lexed shows the text plain (or in its last
    // known scopes) instead of waiting for everything before it.
    bool validateNearby(int64_t position, int64_t budget);
    // Lexing off the main thread (lex_ahead.h). A copy of the whole lines
    // from the one before the first invalid point, about `maxUnits` units of
    // them, with the syntax and the state they start in; null when nothing
    // is stale, or when that line alone is longer than `maxUnits` (a long
    // line is lexed by its readers, a part at a time).
    std::shared_ptr<LexAheadRun> takeLexAheadRun(int64_t maxUnits);
    // What applyLexAheadSlice did.
    enum class SliceOutcome {
        Applied,    // its tokens replaced the stale ones
        NotNeeded,  // nothing in its lines was stale any more
        Outdated,   // the text or the state it was lexed from has changed
    };
    // Puts the tokens of `slice` in place of the text's tokens when its
    // lines are still the text there and the state they start in is still
    // right, whatever happened since it was taken; then the invalid points
    // move as after a re-lex of those lines.
    SliceOutcome applyLexAheadSlice(const LexAheadSlice& slice);
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
    // The line ending of a new, unsaved text, from the options: taken only
    // while the ending is still the default, and it stays the default.
    void setDefaultLineEnding(LineEnding ending)
    {
        if (m_lineEndingIsDefault)
            m_lineEnding = ending;
    }
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
    // The position at which 0-based `row` starts; -1 for a row past the last
    // line break or a negative one.
    int64_t rowStart(int64_t row) const { return m_tokenList.rowStart(row); }
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

    // Search with Boost's regular expressions (Perl syntax, or plain text
    // with kSearchLiteral) straight over the text; a dot never matches a
    // line break. A pattern that does not compile throws RegexError.
    //
    // The first match at or after `start` (clamped), or (-1, -1). The text
    // before `start` counts: "^" matches there only after a line break, a
    // word boundary only where exactly one of the units before and at it is
    // a word unit. When both `format` and `formatted` are given, the match
    // formatted by `format` ($n and \n references; plain text with
    // kSearchLiteral) is appended to `formatted`.
    SelectionRegion find(const ustring& pattern, uint32_t flags, int64_t start,
                         const ustring* format = nullptr, std::vector<ustring>* formatted = nullptr);
    // Appends every match to `out` in order (formatted as find does); an
    // empty match right where the previous one ends is left out.
    void findAll(const ustring& pattern, uint32_t flags, SelectionSet& out,
                 const ustring* format = nullptr, std::vector<ustring>* formatted = nullptr);
    // As findAll inside each of `regions` in turn, each searched as a text of
    // its own.
    void findAllIn(const ustring& pattern, uint32_t flags, const SelectionSet& regions,
                   SelectionSet& out, const ustring* format = nullptr,
                   std::vector<ustring>* formatted = nullptr);

    // Saves the text through `source` in `encoding` (0: the storage's own,
    // else UTF-8), with its byte-order mark and every line break written as
    // the storage's line ending. A single-byte encoding that cannot hold
    // every character falls back to UTF-8, with a message. True only when
    // every byte reached the file; then the storage takes the encoding used.
    // On failure the file and the storage are left as they were.
    //
    // When the source's last read could not decode some bytes of the file
    // (BufferSource::undecodableBytes), the text no longer says what the
    // file holds, and writing it would replace those bytes too: the write is
    // then refused (false, nothing written) unless the caller passes
    // `overwriteUndecodable`, having asked the user.
    bool write(BufferSource* source, FileEncoding encoding, bool overwriteUndecodable = false);

    // Spelling. A null checker turns checking off.
    void setSpellChecker(slate::SP<SpellChecker> checker);
    const slate::SP<SpellChecker>& spellChecker() const { return m_spellChecker; }
    // Checks again the records marked misspelled (after words were added).
    void recheckMisspelled();
    //
    // The queries below see the whole text: text not lexed yet (a load's, or
    // what an edit left stale) is lexed first, since its marks say nothing.
    // The count and the list lex everything once; the two neighbour queries
    // lex only as far as they must to find their word (see
    // kSpellingLexStep), which for the enabled test of the spelling commands
    // is usually a small part of a large file.
    int32_t misspelledCount();
    // The count for a display that asks every frame (the status bar): each
    // call lexes at most about `lexBudget` units of text not lexed yet (or
    // left stale by an edit), instead of all of it at once. Once nothing is
    // left stale the answer is misspelledCount's and `settled` is true; until
    // then it is the last settled answer, which outlives edits, or before any
    // the count over what is lexed so far, and `settled` is false. A caller
    // that keeps asking while unsettled reaches the exact count after about
    // (stale units / lexBudget) calls.
    int32_t misspelledCountInSteps(int64_t lexBudget, bool& settled);
    // The budget the status bar gives each frame (bench/status_bar_bench.cpp,
    // 5 MB of C): the first frame after the file's load took 7.3 ms, against
    // 1.36 s when the count lexed all of it at once, and the count settled
    // after 160 frames (1.17 s of lexing in all); a frame after "#if 0" was
    // typed mid-file took 4 ms instead of 330 ms, over 80 frames.
    static constexpr int64_t kMisspelledCountLexStep = 16384;
    // Appends one trimmed region per misspelled token, in text order.
    void misspelledWords(SelectionSet& out);
    // The first trimmed misspelled word whose begin lies after `position`;
    // (-1, -1) when there is none.
    SelectionRegion nextMisspelledWord(int64_t position);
    // The last one that both begins and ends before `position`; (-1, -1)
    // when there is none.
    SelectionRegion previousMisspelledWord(int64_t position);
    // How far nextMisspelledWord first lexes past what it has seen; the
    // stride doubles with every step that finds nothing, so a text without
    // misspellings costs at most twice one whole lexing run, while one with
    // a misspelling near the caret costs a few milliseconds however large it
    // is.
    static constexpr int64_t kSpellingLexStep = 65536;
    void clearSpellingDecisions() { m_spellingFilter.decisions.clear(); }
    SpellingScopeFilter& spellingFilter() { return m_spellingFilter; }

    // Scopes. Each query first makes the tokens valid as far as it reads.
    // The scope of the token at `position`; at the end of the text the
    // grammar's own scope.
    const ScopeRecord* scopeAt(int64_t position);
    slate::usubstring scopeNameAt(int64_t position);
    // Whether `selector` matches the scope at `position`; each selector text
    // is compiled once per storage. Throws ParseException for a selector that
    // does not compile (nothing is cached then), for the caller to report.
    bool matchSelector(int64_t position, const ustring& selector);
    // The extent of the scope around the character at `position` (before it
    // unless `atPosition`): the tokens around it that lie inside its scope,
    // or inside the scope it shares most with a neighbour when no neighbour
    // shares all of it. The whole text at the end.
    SelectionRegion extractScope(int64_t position, bool atPosition);
    // Appends, in text order, the runs of adjacent tokens whose scopes
    // `selectors` match best with one index and no exclusion matches, with
    // that index.
    void getSymbols(const RegexSelectorSet& selectors, const RegexSelectorSet& exclusions,
                    std::vector<std::pair<SelectionRegion, int>>& out);
    // For a misspelled token at `position`: its trimmed region and the
    // spell checker's suggestions; false (outputs untouched) otherwise.
    bool spellingSuggestionsAt(int64_t position, SelectionRegion& region,
                               std::vector<ustring>& suggestions);
    // Appends the words of the text that start with `prefix` and are longer,
    // most frequent near `position` first, trimmed of blanks and of
    // `separators` at their ends. The token holding `position` strictly
    // inside is not a candidate.
    void extractCompletions(int64_t position, const ustring& prefix, const ustring& separators,
                            std::vector<ustring>& out);

    // Layouts.
    LayoutHandle addLayout(const LayoutSettings& settings) override;
    void removeLayout(uint32_t index) override;
    // The size of the laid-out text of a layout: the widest line and the
    // height of all lines.
    void layoutSize(uint32_t layoutIndex, double& width, double& height) const;
    // The settings and use count of layout `layoutIndex`.
    const LayoutData& layoutData(uint32_t layoutIndex) const { return m_layoutData[layoutIndex]; }
    // The buckets of layout `layoutIndex` that show part of a screen line
    // inside [top, bottom) (layout y) and whose text touches [from, to], in
    // text order. What a renderer draws a band from: placing each bucket's
    // tokens from its start state reproduces the storage's own layout.
    std::vector<PlacedBucket> bucketsInBand(uint32_t layoutIndex, double top, double bottom,
                                            int64_t from = INT64_MIN, int64_t to = INT64_MAX) const;
    UnicodeFont* currentFont() const { return m_currentFont; }
    // The position whose character boundary lies nearest the point: on the
    // screen line whose centre is nearest, the boundary nearest one pixel to
    // the left of the point. 0 above the text, the size below it.
    int64_t positionAtPoint(uint32_t layout, double px, double py);
    // Where `position` is drawn: its x and the top of its screen line plus
    // the top padding. A position at which a word wrapped belongs to the end
    // of the upper screen line.
    LayoutPoint pointAtPosition(uint32_t layout, int64_t position);
    // As pointAtPosition, except that a position at a wrap goes to the start
    // of the lower screen line when that is nearer `preferredX` (-1: none).
    LayoutPoint pointAtPositionNearX(uint32_t layout, int64_t position, double preferredX);

    // Styles. The styler may be null (no styler exists); setting one over
    // the same colour scheme as the one held changes nothing.
    void setScopeStyler(slate::SP<ScopeStyler> styler);
    const slate::SP<ScopeStyler>& scopeStyler() const { return m_scopeStyler; }
    // The styler of the colour scheme at `path`, from the styler singleton.
    void setColourScheme(const ustring& path);
    // The style of a scope name; null without a styler.
    const Style* styleForScopeName(const ustring& name);

    // The invalid points, ascending.
    const std::vector<int64_t>& invalidPoints() const { return m_invalidPoints; }
    const TokenSet& tokenSet() const { return m_tokenSet; }
    // Bytes of token records in the arena, live or no longer used. Kept
    // within a bound of what the live records need: see
    // compactRecordsIfWasteful.
    size_t tokenRecordBytes() const { return m_tokenArena.totalBytes(); }
    // Records no longer used may pile up to this many bytes before any
    // compaction.
    static constexpr size_t kRecordCompactionFloor = size_t(1) << 20;
    // Interns every record the text uses into a fresh arena and set, points
    // the buckets at the copies and drops the old arena. Widths and spelling
    // marks go with the copies; the tree's shape and sums do not change, so
    // locations and iterators stay valid, but record pointers held outside
    // the buckets do not.
    void compactRecords();

    // The token sequence itself, for the queries built on it. Read only.
    bucket_container m_tokenList;

private:
    // Lexes `[begin, end)` from `state`, as the text at `position` whose
    // tokens are to stand before `at`, and inserts the tokens there. Records
    // an invalid point after the run when its end state differs from the one
    // stored at `at`. A long line that runs on past `lexAtLeastUntil` (where
    // an edit ends) is lexed only a little past it, as relexFrom does; the
    // rest of the run is then cut unlexed behind an invalid point.
    void tokenise(bucket_container::iterator at, int64_t position, LexerState* state,
                  const uchar* begin, const uchar* end, int64_t lexAtLeastUntil = INT64_MAX);
    // Re-lexes line by line from the line before `startPoint` (a token
    // start) until the states agree again or the text ends (false), or
    // `limit` is passed with text left after it (true). `validatedUntil` is
    // where the re-lexed lines end.
    bool relexFrom(int64_t startPoint, int64_t limit, int64_t& validatedUntil);
    // The first token of the line before the invalid point `point` (the
    // first token when `point` is 0), with its position and the state that
    // line starts in, which is right when no invalid point lies before
    // `point`. Where a re-lex from `point` begins.
    bucket_container::iterator lineBeforeInvalidPoint(int64_t point, int64_t& lineStart,
                                                      LexerState*& state);
    // Lexes the long line at `lineStart` (tokens from `it` on) on from
    // `point` until the first step past `limit`, as relexFrom's part for a
    // line it need not finish. Replaces the line's tokens from where the
    // point stood; when the line is not done, the rest of its old tokens up
    // to the first boundary after the new stop are cut unlexed again and the
    // point is kept in m_partialLine. `keptText` (may be null) is the line's
    // text kept with the point, taken over. True when the line is done.
    bool lexLongLinePart(int64_t lineStart, LineResumePoint& point, int64_t limit,
                         ustring* keptText);
    // Cuts `[begin, end)`, the text at `position`, into unlexed tokens (no
    // line state) and inserts them before `at`.
    void cutUnlexed(bucket_container::iterator at, int64_t position, const uchar* begin,
                    const uchar* end);
    void shiftInvalidPoints(int64_t from, int64_t to);
    void addInvalidPoint(int64_t position);
    void retokeniseAll();
    LayoutPoint layoutPointOf(uint32_t layout, int64_t position, LayoutState* stateOut);
    // Interns the lexed tokens and inserts them before `at`.
    void createAndInsertTokens(bucket_container::iterator at, const std::vector<LexedToken>& lexed);
    // The record of a non-empty lexed token: the one in the set, or a new one.
    Token* internToken(const LexedToken& lexed);
    Token* createToken(const LexedToken& lexed, uint32_t hash);
    void markSpelling(Token* token);
    // Gives every record its width in the current font.
    void remeasureTokens();
    // The widths a new layout in `font` reads (null: the records' own),
    // measuring every record in the font when no layout uses it yet. The
    // records' own widths follow the font of the first layout added while no
    // other layout uses them.
    const TokenWidthTable* acquireWidths(UnicodeFont* font);
    // Drops a layout's use of its widths; a table no layout reads goes.
    void releaseWidths(const TokenWidthTable* widths);
    // Recounts every bucket's misspelled tokens after records were re-marked.
    void recountMisspelled();
    // Called when an edit's lexing is done. Records are shared and never
    // freed one by one, so every re-lex of a growing line leaves its old
    // records behind. Once the arena has grown by enough since the last look,
    // counts the bytes the text still uses and, when the unused ones pass
    // both the floor and the used ones, compacts.
    void compactRecordsIfWasteful();

    TokenSet m_tokenSet;
    ArenaAllocator m_tokenArena; // every record; cleared with the set
    // Records of unlexed pieces cut lately, so that a piece seen before (the
    // same line again, the same stretch of a long line) is found by comparing
    // its text instead of hashing it and probing the set. Together with the
    // wider scan for line breaks this took the unlexed load of 10 MB of C from
    // 31 to 20 ms (many lines) and from 22 to 17.5 ms (one line), against
    // 12 and 10.5 ms for reading and decoding alone. A slot holding another
    // text is only a miss. Empty until text is first cut unlexed; emptied
    // whenever records die (the arena cleared or swapped).
    std::vector<Token*> m_unlexedPieces;
    // The arena's byte count at the last look for unused records, and how far
    // it may grow past that before the next one.
    size_t m_recordCheckBase = 0;
    size_t m_recordCheckAllowance = kRecordCompactionFloor;
    slate::SP<SpellChecker> m_spellChecker; // null: no checking
    // What misspelledCountInSteps last answered with nothing stale; -1
    // before that happened.
    int32_t m_settledMisspelledCount = -1;
    SpellingScopeFilter m_spellingFilter;
    LineEnding m_lineEnding;
    bool m_lineEndingIsDefault = true;
    FileEncoding m_encoding;
    // Compiled selectors by text, for the scope queries.
    std::map<ustring, CompiledSelector> m_selectorCache;
    // The font the records' own widths are measured in, and the layouts
    // that use it. Kept when the count drops to 0, so that a view that
    // lays out again in the same font measures nothing.
    UnicodeFont* m_currentFont = nullptr;
    int32_t m_currentFontLayouts = 0;
    // Every other font a layout uses (a minimap's, a second window's), with
    // the widths of every record in it: added to at each record created,
    // carried over by compaction, emptied with the records. Views of one
    // buffer in two fonts thus lay out side by side, while the common case
    // of one font costs no table at all. A list: layouts point at the
    // tables.
    struct OtherFont {
        UnicodeFont* font;
        int32_t layouts;
        TokenWidthTable widths;
    };
    std::list<OtherFont> m_otherFonts;
    // The last location found by tokenAt; valid until the tokens change.
    iterator m_findCache;
    bool m_findCacheValid = false;
    // Ascending, no duplicates; each is the start of a token.
    std::vector<int64_t> m_invalidPoints;
    // Where the last slice lexed ahead that was taken back ends, and the
    // state its last line ends in: the state the line there really starts
    // in, whatever is stored in it, until text before it changes. What lets
    // the next slice of the same run follow it (applyLexAheadSlice).
    struct LexAheadMark {
        int64_t position = -1;
        LexerState* state = nullptr;
    };
    LexAheadMark m_lexAheadMark;
    // A long line lexed only up to an invalid point inside it, with what
    // the lexer needs to go on from there, so that reading one screen of a
    // line of megabytes lexes about one screen of it. At most one: a line
    // partly lexed without one is lexed again from its start when it is
    // next needed. Dropped by every edit of its line and by clearTokens.
    struct PartialLine {
        int64_t lineStart = -1; // -1: there is none
        // Where lexing stopped: lineStart + point.column, an invalid point.
        int64_t stop() const { return lineStart + point.column; }
        LineResumePoint point;
        // The line as it was lexed, kept so that the next part searches
        // the same text at the same address (LineText::Unchanged).
        ustring text;
    };
    PartialLine m_partialLine;
    // Lines at least this long are lexed only as far as a reader needs.
    // Shorter ones are lexed whole: a part saves nothing there.
    static constexpr int64_t kPartialLineLength = 16384;
};
