// The layouts of a token storage and what they share: the base of
// `TokenStorage` that holds one slot per layout (font, tab width, paddings,
// wrap width), stable handles for them, the storage's syntax and its scope
// styler. The per-bucket half of the bookkeeping lives in the buckets
// (token_buffer.h); this class only owns the settings.
//
// Main thread for everything about layouts; a storage filled by a reading
// thread has none.
#pragma once

#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "ui/reference_counted.h"
#include "ui/text/syntax/scope_styler.h"
#include "ui/text/syntax/syntax.h"
#include "ui/ustring.h"

class UnicodeFont;
class LayoutTracker;
struct Token;

// The advance widths of token records in one font, by record. A storage
// keeps one for every font its layouts use beside the first, whose widths
// the records carry themselves (Token::width).
using TokenWidthTable = std::unordered_map<const Token*, float>;

// What a view lays its text out with. The same value serves two holders: a
// view's settings (view_settings.h), which say what the view asks for, and
// a layout slot of the storage, which the renderer fills from them with the
// wrap width resolved. The storage reads only the font, the tab width, the
// paddings, the wrap width and the indent flag. Two views whose settings
// compare equal may share one renderer.
struct LayoutSettings {
    ustring syntax; // grammar path the view asks for; empty for none
    ustring colorscheme; // colour-scheme path; empty for the default scheme
    UnicodeFont* font = nullptr; // not owned; never null for a real layout
    float tabWidth = 0.f; // pixels between tab stops
    bool wordWrap = true; // whether the view wraps long lines
    // In a slot: the x at which lines wrap, the largest float for none. In a
    // view's settings: pixels, 0 meaning the view's layout width.
    float wrapWidth = 3.4028235e38f;
    float linePaddingTop = 0.f; // space above each screen line
    float linePaddingBottom = 0.f; // space below each screen line
    bool indentSubsequentLines = false; // continuations start at the line's leading blank width

    // The vertical advance of one screen line: the font's line height plus
    // both paddings; the paddings alone without a font.
    double lineHeight() const;
};

// Every field equal, the font by pointer and the floats exactly.
bool operator==(const LayoutSettings& a, const LayoutSettings& b);
inline bool operator!=(const LayoutSettings& a, const LayoutSettings& b) { return !(a == b); }

// One layout of a storage: its settings and the number of its holders.
struct LayoutData {
    LayoutSettings settings;
    int32_t useCount = 0;
    // The widths of the records in the settings' font, owned by the storage
    // and kept while a layout uses that font; null when the records' own
    // widths are in that font.
    const TokenWidthTable* widths = nullptr;
};

// A holder's name for a layout: its index stays right when an earlier layout
// is removed. Plain value; valid while the layout exists.
struct LayoutHandle {
    LayoutTracker* tracker = nullptr;
    std::list<uint32_t>::iterator entry;

    uint32_t index() const { return *entry; }
};

class LayoutTracker {
public:
    // The loader's default syntax (the singleton's when it exists) and the
    // styler's default scope styler (none when there is no styler).
    LayoutTracker();
    virtual ~LayoutTracker();
    LayoutTracker(const LayoutTracker&) = delete;
    LayoutTracker& operator=(const LayoutTracker&) = delete;

    // Adds a layout with `settings` (use count 1) and lays the whole text out
    // for it.
    virtual LayoutHandle addLayout(const LayoutSettings& settings) = 0;
    // Removes the layout at `index` from every bucket and from the handles.
    virtual void removeLayout(uint32_t index) = 0;
    // Drops one holder of the layout; the last one removes it.
    void releaseLayout(const LayoutHandle& handle);

    const slate::SP<Syntax>& syntax() const { return m_syntax; }

    // One slot per layout, in index order.
    std::vector<LayoutData> m_layoutData;
    // The current index of every layout handed out, in index order.
    std::list<uint32_t> m_layoutIndices;
    // Never null.
    slate::SP<Syntax> m_syntax;
    // May be null when no styler exists (tools and tests).
    slate::SP<ScopeStyler> m_scopeStyler;

    // Buckets laid out since construction, for tests and benchmarks that
    // check how far a change travelled.
    uint64_t m_bucketsLaidOut = 0;
};

// The width of the run of spaces and tabs at the start of [begin, end), a
// tab reaching the next stop from `logicalX` plus the run so far (a tab
// exactly on a stop moves a whole tab width). Summed in single precision.
float whitespaceWidth(double logicalX, const uchar* begin, const uchar* end, UnicodeFont& font,
                      float tabWidth);

// The distance from `logicalX` to the next tab stop after it, counting a
// position within 0.001 before a stop as on it.
double tabAdvance(double logicalX, float tabWidth);
