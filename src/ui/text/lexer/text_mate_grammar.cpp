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
#include "ui/unicode.h"

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

// The grammar being parsed on this thread, named in the messages about
// forms that are read leniently; null outside parseTextMateGrammar.
thread_local const Grammar* t_parsedGrammar = nullptr;

// Logs that `what` was ignored, naming the grammar being parsed.
void reportIgnored(const ustring& what)
{
    ustring message = u"Ignored in grammar ";
    if (t_parsedGrammar) {
        message += t_parsedGrammar->name;
        if (!t_parsedGrammar->scopeName.empty())
            message += u" (" + t_parsedGrammar->scopeName + u")";
    } else {
        message += u"(unnamed)";
    }
    message += u": " + what;
    LogRecord("parseTextMateGrammar", __FILE__, __LINE__) << message;
}

// The most capture groups `pattern` can have: every group opens with a
// parenthesis. Names of capture numbers above it can never apply.
int groupLimit(const slate::usubstring& pattern)
{
    const auto opening = std::count(pattern.begin, pattern.end, u'(');
    return static_cast<int>(std::min<std::ptrdiff_t>(opening, kMaxCaptureNumber));
}

// The rule of a repository entry; null (after a message) for an entry that is
// not a rule dictionary, which published grammars sometimes hold.
std::shared_ptr<Rule> parseRepositoryEntry(const ustring& name, const PlistValue& value,
                                           ArenaAllocator& arena, const NestedRepository* scope)
{
    if (!std::any_cast<PlistDict>(&value)) {
        reportIgnored(u"the repository entry \"" + name + u"\", which is not a dictionary");
        return nullptr;
    }
    return parseRule(value, arena, scope);
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
        if (std::shared_ptr<Rule> rule =
                parseRepositoryEntry(entryName, entryValue, arena, repository.get()))
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
        parseCaptures(dictionary, kCaptures, match->captures, arena, groupLimit(match->match));
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
        const int beginLimit = groupLimit(beginEnd->begin);
        parseCaptures(dictionary, kCaptures, beginEnd->beginCaptures, arena, beginLimit);
        parseCaptures(dictionary, kBeginCaptures, beginEnd->beginCaptures, arena, beginLimit);
        if (beginEnd->isWhileRule) {
            const int whileLimit = groupLimit(beginEnd->whilePattern);
            parseCaptures(dictionary, kCaptures, beginEnd->whileCaptures, arena, whileLimit);
            parseCaptures(dictionary, kWhileCaptures, beginEnd->whileCaptures, arena, whileLimit);
        } else {
            const int endLimit = groupLimit(beginEnd->end);
            parseCaptures(dictionary, kCaptures, beginEnd->endCaptures, arena, endLimit);
            parseCaptures(dictionary, kEndCaptures, beginEnd->endCaptures, arena, endLimit);
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
                   ArenaAllocator& arena, int groupLimit)
{
    const PlistValue* value = find(dictionary, key);
    if (!value)
        return;

    // Published grammars write captures as a dictionary keyed by number, or
    // as an array indexed by number from 0.
    struct Entry {
        int number;
        const PlistValue* value;
    };
    std::vector<Entry> entries;
    int count = 0;
    if (const PlistArray* array = std::any_cast<PlistArray>(value)) {
        if (array->size() > static_cast<size_t>(kMaxCaptureNumber) + 1)
            throw ParseException(std::string("Unexpected key value"));
        entries.reserve(array->size());
        for (size_t i = 0; i < array->size(); ++i)
            entries.push_back(Entry{static_cast<int>(i), &(*array)[i]});
        count = static_cast<int>(array->size());
    } else {
        const PlistDict& captures = asDict(*value);
        entries.reserve(captures.size());
        // Every number is checked before `out` is sized by the largest one,
        // so a bad number never costs an allocation.
        for (const auto& [numberText, entryValue] : captures) {
            const int number = toInt(slate::usubstring(numberText));
            if (number < 0 || number > kMaxCaptureNumber)
                throw ParseException(std::string("Unexpected key value"));
            count = std::max(count, number + 1);
            entries.push_back(Entry{number, &entryValue});
        }
    }
    // Groups the pattern cannot have get no entry, so a table costs no more
    // than the pattern's own length however large the numbers named.
    out.resize(static_cast<size_t>(std::min(count, groupLimit + 1)));

    for (const Entry& entry : entries) {
        const PlistDict* fields = std::any_cast<PlistDict>(entry.value);
        if (!fields) {
            reportIgnored(u"capture " + toUstring(std::to_string(entry.number)) + u" of \"" + key +
                          u"\", which is not a dictionary");
            continue;
        }
        if (entry.number > groupLimit)
            continue;
        if (const PlistValue* name = find(*fields, kName))
            out[static_cast<size_t>(entry.number)] =
                copyString(arena, std::any_cast<const ustring&>(*name));
    }
}

void parseTextMateGrammar(const PlistValue& value, Grammar& grammar, bool summaryOnly)
{
    ScopedTimer timer(g_statParseTextMateGrammar);
    // Restores the grammar named in messages when parsing ends (an include
    // may parse a second grammar inside the first on the same thread).
    struct NamedInMessages {
        const Grammar* previous = t_parsedGrammar;
        ~NamedInMessages() { t_parsedGrammar = previous; }
    } named;
    t_parsedGrammar = &grammar;
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
                if (std::shared_ptr<Rule> rule =
                        parseRepositoryEntry(entryName, entryValue, grammar.arena, nullptr))
                    grammar.repository.emplace(entryName, std::move(rule));
            }
        }
    } catch (const std::bad_any_cast& error) {
        throw ParseException(std::string(error.what()));
    }
}
