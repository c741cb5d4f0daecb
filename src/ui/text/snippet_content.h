// Snippet content: text with placeholders. "$1", "${1}" and "${1:default}"
// are fields the user tabs through (field 0, when present, is the last
// stop); "$NAME", "${NAME}" and "${NAME:default}" are variables filled in at
// insertion; "${1/regex/format/options}" (with an optional ":default" after
// the options) is a transformation, a field whose text is computed from the
// first plain occurrence of the same field. A backslash before "$", "{",
// "}" or a backslash stands for that character alone.
//
//     SnippetExpansion out;
//     if (expandSnippet(u"for ${1:i} in $0", variables, out))
//         ... out.text, out.points, out.groups ...
//
// This header is neutral (no Boost); the compiled substitutions travel as
// SharedRegexTransform. Every function may run on any thread.
#pragma once

#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "ui/text/dependent_region.h"
#include "ui/ustring.h"

enum SnippetNodeType { sntTEXT = 0, sntVARIABLE = 1 };

// Parse results; 0 is success. kSnippetBadEscape is never produced.
enum SnippetParseError {
    kSnippetOk = 0,
    kSnippetEmptyKey = 1,
    kSnippetMissingBrace = 2,
    kSnippetBadEscape = 3,
    kSnippetMalformedRegex = 4,
};

// "Empty key", "Missing brace", "Bad escape", "Malformed regex"; empty for 0
// and for an unknown code.
ustring snippetErrorText(int error);

// Default contents nest at most this deep ("${1:${2:...}}" is two); content
// nested deeper is refused as kSnippetMissingBrace, so that no walk over the
// tree can exhaust the stack.
constexpr int kMaxSnippetNesting = 100;

// One node of a parsed snippet. A node owns its default content (firstChild)
// and the siblings after it (next); destroying a node frees its whole
// sibling chain without recursing along it.
struct SnippetNode {
    SnippetNode() = default;
    ~SnippetNode();
    SnippetNode(const SnippetNode&) = delete;
    SnippetNode& operator=(const SnippetNode&) = delete;

    SnippetNodeType type = sntTEXT;
    // The literal text of a text node, or the name of a placeholder.
    ustring contents;
    // The transformation of a placeholder; all empty when it has none.
    ustring regex;
    ustring format;
    ustring options;
    // The placeholder whose default content holds this node; null at top
    // level. Not owning.
    SnippetNode* parent = nullptr;
    // The default content of a placeholder (it starts with a text node), or
    // null when the placeholder has none.
    std::unique_ptr<SnippetNode> firstChild;
    std::unique_ptr<SnippetNode> next;

    // A placeholder whose name is ASCII digits only.
    bool isField() const;
    // A field's number, with 0 counted as INT_MAX so that it sorts last;
    // numbers too large for an int become INT_MAX - 1.
    int fieldNumber() const;
};

// Parses `content` into the list that starts at `head`, which must be an
// empty top-level text node (asserted). Returns a SnippetParseError; on an
// error the list holds what was read so far. Field defaults are propagated
// on success: every occurrence of a field starts with the first default
// given for its number.
int parseSnippet(const slate::usubstring& content, SnippetNode& head);

// Variable values by exact, case-sensitive name.
using SnippetVariables = std::map<ustring, ustring>;

// `value` through the node's transformation, or unchanged when it has none.
// An expression that does not compile or match is logged ("regex error: ")
// and gives `value` unchanged.
ustring formatValue(const SnippetNode& node, const ustring& value);

// A mirror of a field: the text between the destination points is the text
// between the source points passed through `transform` (never null). All
// four are indices into SnippetExpansion::points.
struct SnippetTransform {
    size_t sourceStart = 0;
    size_t sourceEnd = 0;
    size_t destinationStart = 0;
    size_t destinationEnd = 0;
    SharedRegexTransform transform;
};

// The occurrences of one field number in an expansion.
struct SnippetFieldGroup {
    // The field number (0 counted as INT_MAX); the caret's final stop added
    // when the content has no field 0 is INT_MAX too.
    int number = 0;
    // Start and end point indices of each plain occurrence, in text order.
    std::vector<std::pair<size_t, size_t>> regions;
    std::vector<SnippetTransform> transforms;
};

struct SnippetExpansion {
    ustring text;
    // Positions in `text`, in ascending order.
    std::vector<int64_t> points;
    // By field number, field 0 (or the final stop) last. Never empty after
    // a successful expansion, and no group is empty.
    std::vector<SnippetFieldGroup> groups;
};

// Parses and expands `content` with `variables` into `out` (replaced).
// False, with nothing reported, exactly when the content does not parse.
// A transformation whose expression does not compile is logged and drops
// its mirror; one of a field that has no plain occurrence mirrors nothing.
bool expandSnippet(const slate::usubstring& content, const SnippetVariables& variables,
                   SnippetExpansion& out);

// The text of expandSnippet; empty when the content does not parse.
ustring expandSnippetText(const slate::usubstring& content, const SnippetVariables& variables);
