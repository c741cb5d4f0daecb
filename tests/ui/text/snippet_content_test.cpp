// The snippet parser, default propagation and expansion.
#include "ui/text/snippet_content.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/text/lexer/plist.h"
#include "ui/unicode.h"

namespace {

// A group as positions in the expanded text: its number, its regions and
// its mirrors as (source begin, source end, destination begin, destination
// end).
struct GroupView {
    int number;
    std::vector<std::pair<int64_t, int64_t>> regions;
    std::vector<std::vector<int64_t>> mirrors;
    bool operator==(const GroupView& o) const
    {
        return number == o.number && regions == o.regions && mirrors == o.mirrors;
    }
};

void PrintTo(const GroupView& g, std::ostream* out)
{
    *out << "{" << g.number << " regions " << testing::PrintToString(g.regions) << " mirrors "
         << testing::PrintToString(g.mirrors) << "}";
}

std::vector<GroupView> groupsOf(const SnippetExpansion& e)
{
    std::vector<GroupView> out;
    for (const SnippetFieldGroup& g : e.groups) {
        GroupView view{g.number, {}, {}};
        for (const auto& r : g.regions)
            view.regions.emplace_back(e.points.at(r.first), e.points.at(r.second));
        for (const SnippetTransform& t : g.transforms)
            view.mirrors.push_back({e.points.at(t.sourceStart), e.points.at(t.sourceEnd),
                                    e.points.at(t.destinationStart), e.points.at(t.destinationEnd)});
        out.push_back(view);
    }
    return out;
}

constexpr int kLast = INT_MAX;

TEST(SnippetContent, MalformedContentIsRefusedWithItsError)
{
    struct Case {
        const char16_t* content;
        int error;
    } cases[] = {
        {u"a$", kSnippetEmptyKey},
        {u"a $ b", kSnippetEmptyKey},
        {u"${}", kSnippetEmptyKey},
        {u"${:x}", kSnippetEmptyKey},
        {u"${/a/b/}", kSnippetEmptyKey},
        {u"${1:abc", kSnippetMissingBrace},
        {u"${1:${2:x}", kSnippetMissingBrace},
        {u"${1/a/b", kSnippetMalformedRegex},
        {u"${1/a", kSnippetMalformedRegex},
        {u"${1/a/b/g", kSnippetMalformedRegex},
        {u"${1/a\\", kSnippetMalformedRegex},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.content));
        SnippetNode head;
        EXPECT_EQ(parseSnippet(c.content, head), c.error);
        SnippetExpansion out;
        EXPECT_FALSE(expandSnippet(c.content, {}, out));
        EXPECT_EQ(expandSnippetText(c.content, {}), u"");
    }
    EXPECT_EQ(snippetErrorText(kSnippetEmptyKey), u"Empty key");
    EXPECT_EQ(snippetErrorText(kSnippetMissingBrace), u"Missing brace");
    EXPECT_EQ(snippetErrorText(kSnippetMalformedRegex), u"Malformed regex");
}

TEST(SnippetContent, ExpandsTextFieldsAndVariables)
{
    const SnippetVariables variables = {
        {u"TM_FILENAME", u"notes.txt"}, {u"name with blanks", u"B"}, {u"V", u"value"}};
    struct Case {
        const char16_t* content;
        const char16_t* expected;
    } cases[] = {
        {u"\\$1", u"$1"},
        {u"\\{\\}\\\\", u"{}\\"},
        {u"\\a", u"\\a"},
        {u"end\\", u"end\\"},
        {u"a}b", u"a}b"},
        {u"${1:x\\}y}", u"x}y"},
        {u"${1:a} ${1:b} $1", u"a a a"},
        {u"$12a", u"a"},
        {u"${TM_FILENAME/(.*)\\.txt/$1/}", u"notes"},
        {u"${TM_DIRECTORY/(.*)/$1/}", u""},
        {u"${name with blanks}", u"B"},
        {u"$V.${V}.${V:default}", u"value.value.value"},
        {u"${ABSENT}|${ABSENT:default $V}|$ABSENT", u"|default value|"},
        {u"${1:foo} ${1/o/0/g}", u"foo f00"},
        {u"${1:foo} ${1/o/0/}", u"foo f0o"},
        {u"${1/a/b/:cat}", u"cbt"},
        {u"${TM_FILENAME/(\\w+)/\\U$1/}", u"NOTES.txt"},
        // A field's later default yields to the first one, also inside a
        // transformation's source.
        {u"${2:${1:in}} ${1:out}", u"in in"},
        // The name is open at the end of the text.
        {u"x${V", u"xvalue"},
        // A field whose default holds the same field expands once.
        {u"${1:a$1}", u"aa"},
        {u"${1:x${1:y}} $1", u"y y"},
        {u"${1:<$1>} ${1/a/b/g}", u"<<>> <>"},
        {u"${1:${1:${1:z}}}", u"z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.content));
        EXPECT_EQ(expandSnippetText(c.content, variables), c.expected);
    }
}

TEST(SnippetContent, FieldGroupsComeInNumberOrderWithTheFinalStopLast)
{
    struct Case {
        const char16_t* content;
        const char16_t* text;
        std::vector<GroupView> groups;
    } cases[] = {
        {u"${1:a} ${1:b} $1", u"a a a", {{1, {{0, 1}, {2, 3}, {4, 5}}, {}}, {kLast, {{5, 5}}, {}}}},
        {u"$12a", u"a", {{12, {{0, 0}}, {}}, {kLast, {{1, 1}}, {}}}},
        {u"${2:x} ${1:y} $0 z", u"x y  z", {{1, {{2, 3}}, {}}, {2, {{0, 1}}, {}}, {kLast, {{4, 4}}, {}}}},
        {u"a $1 b", u"a  b", {{1, {{2, 2}}, {}}, {kLast, {{4, 4}}, {}}}},
        {u"${1:foo} ${1/o/0/g}", u"foo f00", {{1, {{0, 3}}, {{0, 3, 4, 7}}}, {kLast, {{7, 7}}, {}}}},
        // A mirror of a field that is never written plainly mirrors nothing.
        {u"${1/a/b/:cat}", u"cbt", {{kLast, {{3, 3}}, {}}}},
        // Nested fields, and variables with defaults, which are no stops.
        {u"<${1:a${2:b}c}>${V:v}", u"<abc>v", {{1, {{1, 4}}, {}}, {2, {{2, 3}}, {}}, {kLast, {{6, 6}}, {}}}},
        // Field numbers past the range of int stay before field 0.
        {u"$99999999999$0", u"", {{INT_MAX - 1, {{0, 0}}, {}}, {kLast, {{0, 0}}, {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.content));
        SnippetExpansion out;
        ASSERT_TRUE(expandSnippet(c.content, {}, out));
        EXPECT_EQ(out.text, c.text);
        EXPECT_EQ(groupsOf(out), c.groups);
    }
}

TEST(SnippetContent, MirrorWithABrokenExpressionLeavesItsTextPlain)
{
    SnippetExpansion out;
    ASSERT_TRUE(expandSnippet(u"${1:ab} ${1/(/x/}", {}, out));
    EXPECT_EQ(out.text, u"ab ab");
    EXPECT_EQ(groupsOf(out), (std::vector<GroupView>{{1, {{0, 2}}, {}}, {kLast, {{5, 5}}, {}}}));
}

TEST(SnippetContent, HostileSizesNeitherOverflowTheStackNorPass)
{
    ustring deep;
    for (int i = 0; i <= kMaxSnippetNesting; ++i)
        deep += u"${1:";
    deep += u"x";
    ustring closed = deep + ustring(kMaxSnippetNesting + 1, u'}');
    SnippetNode head;
    EXPECT_EQ(parseSnippet(closed, head), kSnippetMissingBrace);

    ustring allowed;
    for (int i = 0; i < kMaxSnippetNesting; ++i)
        allowed += u"${" + std::u16string(1, u'1' + i % 9) + u":";
    allowed += u"x" + ustring(kMaxSnippetNesting, u'}');
    EXPECT_EQ(expandSnippetText(allowed, {}), u"x");

    ustring many;
    for (int i = 0; i < 200000; ++i)
        many += u"$V";
    EXPECT_EQ(expandSnippetText(many, {{u"V", u"."}}), ustring(200000, u'.'));
}

// The snippets of a public bundle: every one parses and expands, and a few
// expand as written here.
TEST(SnippetContent, BundleSnippetsExpand)
{
    const SnippetVariables variables = {
        {u"TM_FILENAME", u"widget.d"},
        {u"TM_FILEPATH", u"/src/Pkg/widget.d"},
        {u"TM_CURRENT_LINE", u"    /* start"},
    };
    std::map<std::string, ustring> expanded;
    const auto folder = std::filesystem::path(VANTREL_TEST_DATA_DIR) / "snippets";
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".tmSnippet")
            continue;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        const std::string path = entry.path().string();
        PlistValue value;
        ASSERT_NO_THROW(loadPlist(utf8ToUtf16(path.data(), path.data() + path.size()), value, false));
        const ustring content = plistString(std::any_cast<const PlistDict&>(value), u"content");
        ASSERT_FALSE(content.empty());
        SnippetExpansion out;
        ASSERT_TRUE(expandSnippet(content, variables, out));
        ASSERT_FALSE(out.groups.empty());
        expanded[name] = out.text;
    }
    EXPECT_EQ(expanded["class"], u"class widget\n{\n\tthis()\n\t{\n\t\t\n\t}\n}\n");
    EXPECT_EQ(expanded["import"], u"import pkg.;");
    EXPECT_EQ(expanded["try catch"], u"try\n{\n\t\n}\ncatch (Exception e)\n{\n\t\n}");
    EXPECT_EQ(expanded["Continue Block Comment"], u"\n * ");
}

} // namespace
