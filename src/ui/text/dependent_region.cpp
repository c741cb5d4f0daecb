// How snippet mirrors follow the edits of their buffer. Before a change the
// buffer asks which records it touches: an edit overlapping a destination
// ends that mirror (the user has taken the copy over), an edit at or inside a
// source marks it dirty. After the change the records move: sources grow to
// take in text typed at their edges, so that typing at the end of a field
// extends the field, while destinations move like ordinary regions. While
// the buffer rewrites the destinations themselves (`updating`), none of this
// bookkeeping applies and everything moves by the plain region rule, or the
// rewriting would feed on itself.
#include "ui/text/dependent_region.h"

#include <exception>
#include <iterator>

#include "ui/log.h"
#include "ui/text/util/regex_utils.h"

SharedRegexTransform shareTransform(RegexTransform&& transform)
{
    return std::make_shared<const RegexTransform>(std::move(transform));
}

bool sameTransform(const SharedRegexTransform& x, const SharedRegexTransform& y)
{
    if (x == y)
        return true;
    if (!x || !y)
        return false;
    return x->regex == y->regex && x->format == y->format && x->flags == y->flags;
}

ustring transformText(const SharedRegexTransform& transform, const ustring& sourceText)
{
    if (!transform)
        return sourceText;
    try {
        const RegexText source(sourceText);
        const RegexText format(transform->format);
        // The library's replace-all copies unmatched text only unless the
        // flags say otherwise; a transform that matches nothing must leave
        // the source as it is whatever its flags.
        const UChar32* begin = source.begin();
        const UChar32* end = source.end();
        if (!boost::u32regex_search(begin, end, transform->regex, transform->flags))
            return sourceText;
        std::vector<UChar32> replaced;
        boost::u32regex_replace(std::back_inserter(replaced), begin, end, transform->regex,
                                format.c_str(), transform->flags);
        return unitsOfCodePoints(replaced);
    } catch (const std::exception& error) {
        VLOG << u"Mirror transform failed: " << error.what();
        return sourceText;
    }
}

bool DependentRegion::operator==(const DependentRegion& other) const
{
    return source == other.source && destination == other.destination &&
           sameTransform(transform, other.transform) && dirty == other.dirty;
}

int64_t regionDistance(const SelectionRegion& x, const SelectionRegion& y)
{
    if (x.intersects(y))
        return 0;
    if (y.begin() < x.end())
        return x.begin() - y.end();
    return y.begin() - x.end();
}

void growSourceRegion(SelectionRegion& sr, int64_t pos, int64_t delta)
{
    if (sr.empty()) {
        if (pos < sr.a) {
            sr.a += delta;
            sr.b += delta;
        } else if (pos == sr.a) {
            sr.b += delta;
        }
        return;
    }
    VASSERT(!sr.isReversed());
    if (pos < sr.a) {
        sr.a += delta;
        sr.b += delta;
    } else if (pos <= sr.b) {
        sr.b += delta;
    }
}

void prepareDependentRegions(std::vector<DependentRegion>& regions, bool updating,
                             const SelectionRegion& edit)
{
    if (updating)
        return;
    for (auto record = regions.begin(); record != regions.end();) {
        if (!edit.intersection(record->destination).empty()) {
            record = regions.erase(record);
            continue;
        }
        if (regionDistance(edit, record->source) <= 0)
            record->dirty = true;
        ++record;
    }
}

void adjustDependentRegions(std::vector<DependentRegion>& regions, bool updating, int64_t pos,
                            int64_t delta)
{
    if (delta > 0) {
        for (DependentRegion& record : regions) {
            if (updating)
                record.source.adjustForInsert(pos, delta, false, true);
            else
                growSourceRegion(record.source, pos, delta);
            const bool keepInPlace = !updating && record.destination.empty() &&
                                     record.keepEmptyDestination && record.destination.a == pos;
            if (!keepInPlace)
                record.destination.adjustForInsert(pos, delta, false, true);
        }
    } else if (delta < 0) {
        const SelectionRegion erased(pos, pos - delta);
        for (DependentRegion& record : regions) {
            record.source.adjustForErase(erased, true);
            record.destination.adjustForErase(erased, true);
        }
    }
}
