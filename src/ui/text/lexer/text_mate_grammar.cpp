// Reads TextMate grammars. A grammar file is a property list whose root
// names the language and holds a tree of rule dictionaries; this module turns
// that tree into `Rule` records once, so that context loading never touches
// the generic property-list values again. Every string a rule keeps is copied
// into the grammar's arena: a large grammar holds thousands of small
// patterns and names, and one bump allocator makes them cheap to keep and to
// free together.
//
// The reader is lenient where real grammars disagree with the strict format
// but a sensible reading exists: "applyEndPatternLast" may be a boolean, capture
// entries may carry keys besides "name" (their nested patterns are not
// applied), rules may declare nested repositories, and a begin rule that says
// nowhere how it ends is left out (with a log line) rather than failing the
// grammar. A key of the wrong type is still an error.
#include "ui/text/lexer/text_mate_grammar.h"

#include <algorithm>
#include <string>
#include <utility>

#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/string_utils.h"
#include "ui/text/parse_exception.h"

namespace {

constexpr size_t kGrammarArenaBlockSize = 4096;
constexpr size_t kRepositoryBuckets = 11;

// Looked up for every rule of every grammar: made once rather than per
// lookup.
const ustring kName = u"name";
const ustring kScopeName = u"scopeName";
const ustring kFirstLineMatch = u"firstLineMatch";
const ustring kFoldingStartMarker = u"foldingStartMarker";
const ustring kFoldingStopMarker = u"foldingStopMarker";
const ustring kFileTypes = u"fileTypes";
const ustring kPatterns = u"patterns";
const ustring kRepository = u"repository";
const ustring kMatch = u"match";
const ustring kInclude = u"include";
const ustring kBegin = u"begin";
const ustring kEnd = u"end";
const ustring kWhile = u"while";
const ustring kContentName = u"contentName";
const ustring kCaptures = u"captures";
const ustring kBeginCaptures = u"beginCaptures";
const ustring kEndCaptures = u"endCaptures";
const ustring kWhileCaptures = u"whileCaptures";
const ustring kApplyEndPatternLast = u"applyEndPatternLast";

const PlistDict& asDict(const PlistValue& value) { return std::any_cast<const PlistDict&>(value); }

const PlistValue* find(const PlistDict& dictionary, const ustring& key)
{
    auto entry = dictionary.find(key);
    return entry == dictionary.end() ? nullptr : &entry->second;
}

slate::usubstring copyString(ArenaAllocator& arena, const ustring& text)
{
    return arena.copyString(slate::usubstring(text));
}

bool applyEndPatternLast(const PlistValue& value)
{
    // Grammars converted from other formats write the flag as a boolean.
    if (const bool* flag = std::any_cast<bool>(&value))
        return *flag;
    return std::any_cast<int>(value) == 1;
}

// The repository a begin or grouping rule declares, parsed with itself as the
// innermost scope (its entries may include each other). Null without one.
std::shared_ptr<NestedRepository> parseNestedRepository(const PlistDict& dictionary,
                                                        ArenaAllocator& arena,
                                                        const NestedRepository* parent)
{
    const PlistValue* value = find(dictionary, kRepository);
    if (!value)
        return nullptr;
    const PlistDict& entries = asDict(*value);
    auto repository = std::make_shared<NestedRepository>();
    repository->parent = parent;
    repository->rules.reserve(entries.size());
    for (const auto& [entryName, entryValue] : entries)
        if (std::shared_ptr<Rule> rule = parseRule(entryValue, arena, repository.get()))
            repository->rules.emplace(entryName, std::move(rule));
    return repository;
}

} // namespace

Grammar::Grammar() : repository(kRepositoryBuckets), arena(kGrammarArenaBlockSize) {}

std::shared_ptr<Rule> parseRule(const PlistValue& value, ArenaAllocator& arena,
                                const NestedRepository* scope)
{
    const PlistDict& dictionary = asDict(value);
    auto rule = std::make_shared<Rule>();

    if (find(dictionary, kMatch)) {
        auto match = std::make_shared<MatchRule>();
        match->match = copyString(arena, requirePlistString(dictionary, kMatch));
        match->name = copyString(arena, plistString(dictionary, kName));
        parseCaptures(dictionary, kCaptures, match->captures, arena);
        rule->matchRule = std::move(match);
    } else if (find(dictionary, kInclude)) {
        auto include = std::make_shared<IncludeRule>();
        include->include = requirePlistString(dictionary, kInclude);
        include->scope = scope;
        rule->includeRule = std::move(include);
    } else if (find(dictionary, kBegin)) {
        auto beginEnd = std::make_shared<BeginEndRule>();
        const ustring& begin = requirePlistString(dictionary, kBegin);
        beginEnd->begin = copyString(arena, begin);
        // "while" wins over "end" when a rule has both, as in the tokenizers
        // grammars are written for.
        if (find(dictionary, kWhile)) {
            beginEnd->whilePattern = copyString(arena, requirePlistString(dictionary, kWhile));
            beginEnd->isWhileRule = true;
        } else if (find(dictionary, kEnd)) {
            beginEnd->end = copyString(arena, requirePlistString(dictionary, kEnd));
        } else {
            // A region that cannot end would swallow the rest of every file
            // it begins in; the rest of the grammar is still worth having.
            VLOG << u"Expected key end in the rule that begins with " << begin
                 << u"; the rule is left out";
            return nullptr;
        }
        beginEnd->name = copyString(arena, plistString(dictionary, kName));
        beginEnd->contentName = copyString(arena, plistString(dictionary, kContentName));
        parseCaptures(dictionary, kCaptures, beginEnd->beginCaptures, arena);
        parseCaptures(dictionary, kBeginCaptures, beginEnd->beginCaptures, arena);
        parseCaptures(dictionary, kCaptures, beginEnd->endCaptures, arena);
        parseCaptures(dictionary, kEndCaptures, beginEnd->endCaptures, arena);
        if (beginEnd->isWhileRule) {
            parseCaptures(dictionary, kCaptures, beginEnd->whileCaptures, arena);
            parseCaptures(dictionary, kWhileCaptures, beginEnd->whileCaptures, arena);
        }
        if (const PlistValue* flag = find(dictionary, kApplyEndPatternLast))
            beginEnd->applyEndPatternLast = applyEndPatternLast(*flag);
        rule->repository = parseNestedRepository(dictionary, arena, scope);
        parsePatterns(dictionary, beginEnd->patterns, arena,
                      rule->repository ? rule->repository.get() : scope);
        rule->beginEndRule = std::move(beginEnd);
    } else if (find(dictionary, kPatterns)) {
        auto fragment = std::make_shared<FragmentRule>();
        rule->repository = parseNestedRepository(dictionary, arena, scope);
        parsePatterns(dictionary, fragment->patterns, arena,
                      rule->repository ? rule->repository.get() : scope);
        rule->fragmentRule = std::move(fragment);
    } else {
        VLOG << u"Unexpected rule type, was expecting one of match, include, begin or patterns";
        return nullptr;
    }
    return rule;
}

void parsePatterns(const PlistDict& dictionary, RuleList& out, ArenaAllocator& arena,
                   const NestedRepository* scope)
{
    const PlistValue* patterns = find(dictionary, kPatterns);
    if (!patterns)
        return;
    const PlistArray& array = std::any_cast<const PlistArray&>(*patterns);
    out.reserve(out.size() + array.size());
    for (const PlistValue& element : array)
        if (std::shared_ptr<Rule> rule = parseRule(element, arena, scope))
            out.push_back(std::move(rule));
}

void parseCaptures(const PlistDict& dictionary, const ustring& key, CaptureNames& out,
                   ArenaAllocator& arena)
{
    const PlistValue* value = find(dictionary, key);
    if (!value)
        return;
    const PlistDict& captures = asDict(*value);

    // Every number is checked before `out` is sized by the largest one, so a
    // bad number never costs an allocation.
    int count = 0;
    for (const auto& entry : captures) {
        const int number = toInt(slate::usubstring(entry.first));
        if (number < 0 || number > kMaxCaptureNumber)
            throw ParseException(std::string("Unexpected key value"));
        count = std::max(count, number + 1);
    }
    out.resize(static_cast<size_t>(count));

    for (const auto& [numberText, entryValue] : captures) {
        const PlistDict* entry = std::any_cast<PlistDict>(&entryValue);
        if (!entry) {
            VLOG << u"Unexpected capture value for capture " << numberText << u": not a dictionary";
            continue;
        }
        if (const PlistValue* name = find(*entry, kName))
            out[static_cast<size_t>(toInt(slate::usubstring(numberText)))] =
                copyString(arena, std::any_cast<const ustring&>(*name));
    }
}

void parseTextMateGrammar(const PlistValue& value, Grammar& grammar, bool summaryOnly)
{
    ScopedTimer timer(g_statParseTextMateGrammar);
    try {
        const PlistDict& root = asDict(value);
        grammar.name = requirePlistString(root, kName);
        grammar.scopeName = plistString(root, kScopeName);
        grammar.firstLineMatch = plistString(root, kFirstLineMatch);
        grammar.foldingStartMarker = plistString(root, kFoldingStartMarker);
        grammar.foldingStopMarker = plistString(root, kFoldingStopMarker);

        if (const PlistValue* fileTypes = find(root, kFileTypes)) {
            const PlistArray& array = std::any_cast<const PlistArray&>(*fileTypes);
            grammar.fileTypes.reserve(array.size());
            for (const PlistValue& element : array)
                grammar.fileTypes.push_back(std::any_cast<const ustring&>(element));
        }

        if (summaryOnly)
            return;
        parsePatterns(root, grammar.patterns, grammar.arena);
        if (const PlistValue* repository = find(root, kRepository)) {
            const PlistDict& entries = asDict(*repository);
            grammar.repository.reserve(entries.size());
            for (const auto& [entryName, entryValue] : entries) {
                if (grammar.repository.count(entryName))
                    throw ParseException(std::string("Duplicate repository entry"));
                if (std::shared_ptr<Rule> rule = parseRule(entryValue, grammar.arena))
                    grammar.repository.emplace(entryName, std::move(rule));
            }
        }
    } catch (const std::bad_any_cast& error) {
        throw ParseException(std::string(error.what()));
    }
}
