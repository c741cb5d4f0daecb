// Snippet mirrors: destination regions of a buffer whose text is computed from
// a source region through a regular-expression substitution. The buffer keeps
// the records in a vector and moves them with every edit through the
// functions below; it rewrites the dirty destinations when its outermost undo
// group closes.
//
// This header is neutral: the compiled substitution is held through a
// counted pointer to the `RegexTransform` of ui/text/util/regex_utils.h,
// which only the .cpp (and code that compiles transforms) includes, so the
// buffer's and the view state's headers stay free of Boost and ICU.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "ui/text/selection_region.h"
#include "ui/ustring.h"

struct RegexTransform; // ui/text/util/regex_utils.h

// A compiled substitution (regular expression, format text, match and format
// flags), immutable once shared. Copies share it by an atomic count; the last
// release frees it. Null stands for the substitution that matches nothing and
// so copies its input unchanged.
using SharedRegexTransform = std::shared_ptr<const RegexTransform>;

// Shares `transform` (moved in).
SharedRegexTransform shareTransform(RegexTransform&& transform);

// Whether two substitutions are the same: equal regular expressions as the
// regular-expression library compares them (identity, then status, flags and
// expression text), equal format texts and equal flags. Two nulls are equal;
// null never equals a transform.
bool sameTransform(const SharedRegexTransform& x, const SharedRegexTransform& y);

// The text a destination gets from `sourceText`: every match of the
// expression replaced by the format, with the transform's flags. A transform
// that matches nothing (or is null) gives the source text unchanged. Never
// throws: a substitution the library gives up on (an expression too complex
// for the text) is logged and also gives the source text unchanged.
ustring transformText(const SharedRegexTransform& transform, const ustring& sourceText);

// One mirror of a snippet field kept by the buffer.
struct DependentRegion {
    DependentRegion() = default;
    DependentRegion(const SelectionRegion& sourceRegion, const SelectionRegion& destinationRegion,
                    SharedRegexTransform regexTransform, bool keepEmpty)
        : source(sourceRegion),
          destination(destinationRegion),
          transform(std::move(regexTransform)),
          keepEmptyDestination(keepEmpty)
    {
    }

    // The text that drives the copy; never reversed.
    SelectionRegion source;
    // The text that is rewritten; never reversed.
    SelectionRegion destination;
    SharedRegexTransform transform;
    // The destination must be recomputed; set when the record is added.
    bool dirty = true;
    // An empty destination does not move when text is inserted exactly at it
    // (while the mirrors are not being rewritten).
    bool keepEmptyDestination = false;

    // Source, destination, transform (see sameTransform) and dirty flag;
    // keepEmptyDestination does not take part.
    bool operator==(const DependentRegion& other) const;
    bool operator!=(const DependentRegion& other) const { return !(*this == other); }
};

// The gap between two regions: 0 when they intersect or touch, else the
// number of units between the end of the earlier one and the begin of the
// later one. An edit at distance 0 or less from a source marks its mirror
// dirty.
int64_t regionDistance(const SelectionRegion& x, const SelectionRegion& y);

// How a source follows an insertion of `delta` units at `pos` while the
// mirrors are not being rewritten: it grows to take in text typed at either
// of its edges. An empty source at `pos` widens to (pos, pos + delta); a
// non-empty one (which must not be reversed) with a <= pos <= b gets b +
// delta; one after `pos` moves by delta; one before `pos` stays. The field
// regions of a view state follow the same rule.
void growSourceRegion(SelectionRegion& sr, int64_t pos, int64_t delta);

// Called by the buffer before every change, with the region about to be
// erased or the empty region at an insertion point. Nothing happens while
// `updating` (the buffer is rewriting mirrors). Otherwise a record whose
// destination shares text with `edit` is removed (its copy is no longer kept
// in step), and a record whose source `edit` touches is marked dirty.
void prepareDependentRegions(std::vector<DependentRegion>& regions, bool updating,
                             const SelectionRegion& edit);

// Called by the buffer after every change: an insertion of `delta` units at
// `pos` (delta > 0) or the erasure of (pos, pos - delta) (delta < 0). Sources
// grow with text typed at them (growSourceRegion) except while `updating`,
// when they, like the destinations, follow the plain region rule.
void adjustDependentRegions(std::vector<DependentRegion>& regions, bool updating, int64_t pos,
                            int64_t delta);
