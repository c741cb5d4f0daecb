// Snippet mirrors following the edits of their buffer.
#include "ui/text/dependent_region.h"

#include <gtest/gtest.h>

#include <vector>

#include "assertion_recorder.h"
#include "selection_printers.h"
#include "ui/text/util/regex_utils.h"

namespace {

SharedRegexTransform compileTransform(const ustring& pattern, const ustring& format,
                                      const ustring& options)
{
    return shareTransform(RegexTransform{
        makeRegex(slate::usubstring(pattern.data(), pattern.data() + pattern.size()), options),
        format, regexFormatFlags(options)});
}

// An edit as the buffer reports it: prepared with the region it changes,
// then adjusted with its position and signed length.
void insert(std::vector<DependentRegion>& regions, int64_t pos, int64_t length,
            bool updating = false)
{
    prepareDependentRegions(regions, updating, SelectionRegion(pos, pos));
    adjustDependentRegions(regions, updating, pos, length);
}

void erase(std::vector<DependentRegion>& regions, int64_t from, int64_t to, bool updating = false)
{
    prepareDependentRegions(regions, updating, SelectionRegion(from, to));
    adjustDependentRegions(regions, updating, from, from - to);
}

// A text with mirrors, edited the way the buffer edits: prepare, change,
// adjust, and the dirty mirrors rewritten when the edit is done.
struct MirroredText {
    ustring text;
    std::vector<DependentRegion> regions;
    bool updating = false;

    void insert(int64_t pos, const ustring& units)
    {
        prepareDependentRegions(regions, updating, SelectionRegion(pos, pos));
        text.insert(static_cast<size_t>(pos), units);
        adjustDependentRegions(regions, updating, pos, static_cast<int64_t>(units.size()));
    }
    void erase(int64_t from, int64_t to)
    {
        prepareDependentRegions(regions, updating, SelectionRegion(from, to));
        text.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
        adjustDependentRegions(regions, updating, from, from - to);
    }
    void type(int64_t pos, const ustring& units)
    {
        insert(pos, units);
        rewrite();
    }
    void rewrite()
    {
        updating = true;
        for (size_t i = 0; i < regions.size(); ++i) {
            if (!regions[i].dirty)
                continue;
            const SelectionRegion source = regions[i].source;
            const ustring replacement =
                transformText(regions[i].transform,
                              text.substr(static_cast<size_t>(source.a),
                                          static_cast<size_t>(source.b - source.a)));
            const SelectionRegion old = regions[i].destination;
            const int64_t n = static_cast<int64_t>(replacement.size());
            insert(old.a, replacement);
            erase(old.a + n, old.b + n);
            regions[i].destination = SelectionRegion(old.a, old.a + n);
            regions[i].dirty = false;
        }
        updating = false;
    }
};

TEST(DependentRegion, EditsNearTheSourceMarkItDirtyAndEditsInTheDestinationEndIt)
{
    struct Case {
        const char* name;
        // An erasure of (from, to), or an insertion of one unit at from when
        // the two are equal.
        int64_t from, to;
        bool removed;
        SelectionRegion source, destination;
        bool dirty;
    };
    const Case cases[] = {
        {"insert at the source end", 13, 13, false, {10, 14}, {21, 24}, true},
        {"insert at the source start", 10, 10, false, {10, 14}, {21, 24}, true},
        {"insert inside the source", 11, 11, false, {10, 14}, {21, 24}, true},
        {"insert one before the source", 9, 9, false, {11, 14}, {21, 24}, false},
        {"insert between source and destination", 15, 15, false, {10, 13}, {21, 24}, false},
        {"insert at the destination start", 20, 20, false, {10, 13}, {21, 24}, false},
        {"insert at the destination end", 23, 23, false, {10, 13}, {20, 23}, false},
        {"erase inside the destination", 21, 22, true, {}, {}, false},
        {"erase over the destination start", 18, 21, true, {}, {}, false},
        {"erase ending at the source", 5, 10, false, {5, 8}, {15, 18}, true},
        {"erase inside the source", 11, 12, false, {10, 12}, {19, 22}, true},
        {"erase after the destination", 24, 30, false, {10, 13}, {20, 23}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<DependentRegion> regions{
            DependentRegion({10, 13}, {20, 23}, nullptr, false)};
        regions[0].dirty = false;
        if (c.from == c.to)
            insert(regions, c.from, 1);
        else
            erase(regions, c.from, c.to);
        if (c.removed) {
            EXPECT_TRUE(regions.empty());
            continue;
        }
        ASSERT_EQ(1u, regions.size());
        EXPECT_EQ(c.source, regions[0].source);
        EXPECT_EQ(c.destination, regions[0].destination);
        EXPECT_EQ(c.dirty, regions[0].dirty);
    }
}

TEST(DependentRegion, AnEmptySourceTakesInTextTypedAtIt)
{
    std::vector<DependentRegion> regions{DependentRegion({15, 15}, {30, 30}, nullptr, false)};
    insert(regions, 15, 1);
    EXPECT_EQ(SelectionRegion(15, 16), regions[0].source);
    insert(regions, 16, 2);
    EXPECT_EQ(SelectionRegion(15, 18), regions[0].source);
    EXPECT_EQ(SelectionRegion(33, 33), regions[0].destination);

    SelectionRegion before(15, 15);
    growSourceRegion(before, 10, 3);
    EXPECT_EQ(SelectionRegion(18, 18), before);
    SelectionRegion after(15, 15);
    growSourceRegion(after, 16, 3);
    EXPECT_EQ(SelectionRegion(15, 15), after);

    AssertionRecorder recorder;
    SelectionRegion reversed(20, 10);
    EXPECT_THROW(growSourceRegion(reversed, 12, 1), AssertionHit);
    EXPECT_EQ("!sr.isReversed()", recorder.lastExpression());
}

TEST(DependentRegion, WhileMirrorsAreRewrittenEverythingMovesByThePlainRule)
{
    // The source does not grow, nothing is marked or removed, and an empty
    // destination kept in place otherwise moves with the text.
    std::vector<DependentRegion> regions{DependentRegion({10, 13}, {20, 20}, nullptr, true)};
    regions[0].dirty = false;
    insert(regions, 13, 2, true);
    erase(regions, 20, 21, true);
    EXPECT_EQ(SelectionRegion(10, 13), regions[0].source);
    EXPECT_FALSE(regions[0].dirty);
    insert(regions, 21, 3, true);
    EXPECT_EQ(SelectionRegion(24, 24), regions[0].destination);

    // Outside the rewriting, text typed exactly at a kept empty destination
    // goes after it, and at an ordinary one before it.
    std::vector<DependentRegion> kept{DependentRegion({0, 0}, {20, 20}, nullptr, true),
                                      DependentRegion({0, 0}, {20, 20}, nullptr, false)};
    insert(kept, 20, 4);
    EXPECT_EQ(SelectionRegion(20, 20), kept[0].destination);
    EXPECT_EQ(SelectionRegion(24, 24), kept[1].destination);
}

TEST(DependentRegion, DistanceIsZeroForTouchingRegionsAndTheGapOtherwise)
{
    struct Case {
        SelectionRegion x, y;
        int64_t distance;
    };
    const Case cases[] = {
        {{9, 9}, {10, 13}, 1},   {{13, 13}, {10, 13}, 0}, {{10, 10}, {10, 13}, 0},
        {{5, 10}, {10, 13}, 0},  {{14, 20}, {10, 13}, 1}, {{11, 12}, {10, 13}, 0},
        {{0, 2}, {10, 13}, 8},   {{13, 10}, {20, 25}, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.x) + " " + testing::PrintToString(c.y));
        EXPECT_EQ(c.distance, regionDistance(c.x, c.y));
    }
}

TEST(DependentRegion, TransformTextReplacesEveryMatchOrCopiesTheSource)
{
    struct Case {
        const char* name;
        SharedRegexTransform transform;
        ustring source;
        ustring expected;
    };
    const Case cases[] = {
        {"no transform", nullptr, u"abc", u"abc"},
        {"every match", compileTransform(u"[aeiou]", u"_", u"g"), u"banana", u"b_n_n_"},
        {"first match", compileTransform(u"[aeiou]", u"_", u""), u"banana", u"b_nana"},
        {"format groups", compileTransform(u"(\\w+) (\\w+)", u"$2 $1", u"g"), u"ab cd",
         u"cd ab"},
        {"no match", compileTransform(u"x", u"y", u"g"), u"abc", u"abc"},
        {"no match, no copy",
         shareTransform(RegexTransform{makeRegex(slate::usubstring(u"x"), u""), u"y",
                                       boost::format_no_copy}),
         u"abc", u"abc"},
        {"empty source", compileTransform(u"^$", u"default", u"g"), u"", u"default"},
        {"surrogates kept", compileTransform(u"b", u"B", u"g"), u"\xd83d\xde00" u"b\xdc00",
         u"\xd83d\xde00" u"B\xdc00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, transformText(c.transform, c.source));
    }
}

TEST(DependentRegion, EqualityIgnoresOnlyTheKeepEmptyFlag)
{
    const SharedRegexTransform upper = compileTransform(u".", u"\\U$0", u"g");
    const DependentRegion base({1, 2}, {3, 4}, upper, false);

    DependentRegion keep = base;
    keep.keepEmptyDestination = true;
    EXPECT_EQ(base, keep);
    EXPECT_EQ(base, DependentRegion({1, 2}, {3, 4}, compileTransform(u".", u"\\U$0", u"g"), true));

    DependentRegion clean = base;
    clean.dirty = false;
    const DependentRegion differing[] = {
        clean,
        DependentRegion({1, 3}, {3, 4}, upper, false),
        DependentRegion({1, 2}, {3, 5}, upper, false),
        DependentRegion({1, 2}, {3, 4}, nullptr, false),
        DependentRegion({1, 2}, {3, 4}, compileTransform(u"..", u"\\U$0", u"g"), false),
        DependentRegion({1, 2}, {3, 4}, compileTransform(u".", u"\\L$0", u"g"), false),
        DependentRegion({1, 2}, {3, 4}, compileTransform(u".", u"\\U$0", u""), false),
        DependentRegion({1, 2}, {3, 4}, compileTransform(u".", u"\\U$0", u"gi"), false),
    };
    for (size_t i = 0; i < std::size(differing); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(base, differing[i]);
    }
}

TEST(DependentRegion, TypingInAFieldRewritesItsMirrors)
{
    struct Case {
        const char* name;
        const char16_t* text;
        SelectionRegion source, destination;
        bool keepEmptyDestination;
        SharedRegexTransform transform;
        int64_t typeAt;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"plain copy after the field", u"abc = abc;", {0, 3}, {6, 9}, false, nullptr, 3,
         u"abcx = abcx;"},
        {"copy before the field", u"abc = abc;", {6, 9}, {0, 3}, false, nullptr, 9,
         u"abcx = abcx;"},
        {"transformed copy", u"abc = ABC;", {0, 3}, {6, 9}, false,
         compileTransform(u".+", u"\\U$0", u"g"), 0, u"xabc = XABC;"},
        {"empty field, empty mirror after it", u"f(): ", {2, 2}, {5, 5}, false, nullptr, 2,
         u"f(x): x"},
        {"empty mirror right before the empty field", u"<>", {1, 1}, {1, 1}, true, nullptr, 1,
         u"<xx>"},
        {"empty mirror right after the empty field", u"<>", {1, 1}, {1, 1}, false, nullptr, 1,
         u"<xx>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MirroredText model{c.text, {}};
        model.regions.emplace_back(c.source, c.destination, c.transform, c.keepEmptyDestination);
        model.rewrite(); // a new record starts dirty: the copy is written at once
        model.type(c.typeAt, u"x");
        EXPECT_EQ(ustring(c.expected), model.text);
        ASSERT_EQ(1u, model.regions.size());
        const DependentRegion& record = model.regions[0];
        EXPECT_FALSE(record.dirty);
        // The source covers the field's text, the destination the copy.
        const ustring field = model.text.substr(static_cast<size_t>(record.source.a),
                                                static_cast<size_t>(record.source.size()));
        EXPECT_EQ(transformText(c.transform, field),
                  model.text.substr(static_cast<size_t>(record.destination.a),
                                    static_cast<size_t>(record.destination.size())));
    }

    // Deleting in the copy itself ends the mirror; later typing in the field
    // leaves the copy alone.
    MirroredText model{u"ab ab", {DependentRegion({0, 2}, {3, 5}, nullptr, false)}};
    model.erase(4, 5);
    model.rewrite();
    EXPECT_TRUE(model.regions.empty());
    model.type(2, u"c");
    EXPECT_EQ(u"abc a", model.text);
}

} // namespace
