// The grammar model: a TextMate-format grammar (a property list) read into a
// few header strings and a tree of rules. Rules are only read after parsing;
// they are shared by `std::shared_ptr` between the grammar, its repository
// and the loader that flattens them into lexer contexts (loaded_context.h).
//
// Every pattern and scope name a rule holds is a view into its grammar's
// arena (NUL-terminated there), so no rule may outlive the `Grammar` that
// parsed it.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "ui/arena_allocator.h"
#include "ui/hash.h"
#include "ui/text/lexer/plist.h"
#include "ui/ustring.h"

struct Rule;

using RuleList = std::vector<std::shared_ptr<Rule>>;
// Named rules, the targets of includes written as "#" and a name.
using Repository = std::unordered_map<ustring, std::shared_ptr<Rule>, UstringHash>;
// Scope names by capture number (0 = the whole match); an empty view names
// nothing.
using CaptureNames = std::vector<slate::usubstring>;

// A single regular expression.
struct MatchRule {
    slate::usubstring match;
    slate::usubstring name; // empty when the rule has none
    CaptureNames captures;
};

// A region from a begin match to an end match, with its own inner rules.
struct BeginEndRule {
    slate::usubstring begin;
    // Exactly one of `end` and `whilePattern` is set. A rule with an end
    // pattern stays open until that pattern matches; a "while" rule stays
    // open as long as every following line begins with a match of its
    // pattern, checked at the start of each line.
    slate::usubstring end;
    slate::usubstring whilePattern;
    bool isWhileRule = false; // written with "while": `whilePattern` holds it
    slate::usubstring name;        // empty when absent
    slate::usubstring contentName; // empty when absent
    CaptureNames beginCaptures;
    CaptureNames endCaptures;
    CaptureNames whileCaptures; // of a "while" rule's line prefix
    RuleList patterns;
    bool applyEndPatternLast = false;
};

// A rule that only groups other rules.
struct FragmentRule {
    RuleList patterns;
};

// The repository a begin/end or grouping rule declares for the rules inside
// it. A "#" include looks in the innermost enclosing declared repository
// first, then outwards, and last in the grammar's own repository.
struct NestedRepository {
    Repository rules;
    // The repository of the enclosing declaring rule; null when the next
    // place to look is the grammar's repository. Not owned.
    const NestedRepository* parent = nullptr;
};

struct IncludeRule {
    // As written: "$self", "$base", "#" and a repository name, or another
    // language's scope name (optionally followed by "#" and a name of that
    // language's repository).
    ustring include;
    // Where a "#" include looks before the grammar's repository; null for a
    // rule outside every declared repository. Owned by an enclosing rule.
    const NestedRepository* scope = nullptr;
};

// One rule: exactly one of the four kinds is set in every rule that
// parseRule returns.
struct Rule {
    std::shared_ptr<MatchRule> matchRule;
    std::shared_ptr<BeginEndRule> beginEndRule;
    std::shared_ptr<FragmentRule> fragmentRule;
    std::shared_ptr<IncludeRule> includeRule;
    // The repository this rule declares for its inner rules; null for most.
    std::shared_ptr<NestedRepository> repository;
};

// One parsed grammar file. Filled once by parseTextMateGrammar and then only
// read; not copyable (its rules point into its arena).
struct Grammar {
    Grammar();
    Grammar(const Grammar&) = delete;
    Grammar& operator=(const Grammar&) = delete;

    ustring name;           // display name of the language
    ustring scopeName;      // e.g. source.c; the language's key for includes
    ustring firstLineMatch; // kept for the syntax summary
    std::vector<ustring> fileTypes; // extensions, in file order
    ustring foldingStartMarker;
    ustring foldingStopMarker;
    RuleList patterns;      // top-level rules, in file order
    Repository repository;  // named rules
    ArenaAllocator arena;   // every string of the rules
};

// Fills `grammar` from a grammar's property list: the header fields, and
// unless `summaryOnly` also `patterns` and `repository`. Throws
// ParseException: "Expected key name" without a "name", "Unexpected key
// value" for a negative or absurdly large capture number, "Duplicate
// repository entry", and the type-mismatch text for a value of the wrong type
// anywhere. After a throw the grammar is half filled and must be discarded.
// Rule dictionaries of no known kind, begin rules with neither "end" nor
// "while", and repository entries that are not dictionaries are logged and
// skipped (left out of their list or repository). The
// summary form reads no rule and so notices no error inside one. Main thread
// (it times itself into an unsynchronised statistics record).
void parseTextMateGrammar(const PlistValue& value, Grammar& grammar, bool summaryOnly);

// One rule dictionary and, recursively, its inner rules; null (after a log
// line) for a dictionary of no known kind or a begin rule that never ends.
// Strings go into `arena`. `scope` is the innermost repository declared
// around the rule, null outside every declared one. Throws as
// parseTextMateGrammar, except that a value of the wrong type escapes as
// std::bad_any_cast.
std::shared_ptr<Rule> parseRule(const PlistValue& value, ArenaAllocator& arena,
                                const NestedRepository* scope = nullptr);

// Appends the rules of `dictionary`'s "patterns" array to `out` (nothing
// when the key is absent), skipping rules of no known kind. Throws as
// parseRule.
void parsePatterns(const PlistDict& dictionary, RuleList& out, ArenaAllocator& arena,
                   const NestedRepository* scope = nullptr);

// The largest capture number a grammar may name: the group limit of any
// pattern a grammar could sensibly hold (real grammars stay below 1,000).
constexpr int kMaxCaptureNumber = 32767;

// Reads the captures under `key` of `dictionary` into `out`, merging with
// what `out` holds: `out` is resized to the largest capture number + 1, and
// the entries that carry a "name" replace earlier names, so numbers below
// the largest keep earlier names unless named again and numbers above it are
// dropped. The captures are a dictionary keyed by number (a key without
// digits is capture 0) or an array indexed by number from 0. Numbers above
// `groupLimit` (the most groups the pattern can have) get no entry. An
// entry's other keys are ignored, and an entry that is not a dictionary is
// ignored with a log line naming the grammar and the key. Nothing changes
// when the key is absent. Throws ParseException "Unexpected key value" for a
// number below 0 or above kMaxCaptureNumber.
void parseCaptures(const PlistDict& dictionary, const ustring& key, CaptureNames& out,
                   ArenaAllocator& arena, int groupLimit = kMaxCaptureNumber);
