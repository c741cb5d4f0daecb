// The snippet parser and expansion. The parser is one pass of a state
// machine over the UTF-16 units, building a list of text and placeholder
// nodes in which a placeholder's default content hangs below it as a list of
// its own. After parsing, every occurrence of a field is given the first
// default written for its number, so that "${1:a} $1" reads "a a".
//
// Expansion walks the tree once, appending text and recording the positions
// of fields as indices into a point list, which the insertion code turns
// into tracked points of a view. Walks recurse only into default contents,
// whose depth the parser bounds, and iterate along siblings.
#include "ui/text/snippet_content.h"

#include <exception>
#include <limits>
#include <map>

#include "ui/log.h"
#include "ui/text/util/regex_utils.h"

namespace {

bool isDigit(uchar c)
{
    return c >= u'0' && c <= u'9';
}

bool isNameUnit(uchar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || isDigit(c);
}

enum class State {
    Text,
    Escape,
    Dollar,
    Name,
    Number,
    Braced,
    Regex,
    RegexEscape,
    Format,
    FormatEscape,
    Options,
};

// Builds the tree; the current node is the one being filled.
class SnippetParser {
public:
    explicit SnippetParser(SnippetNode& head) : m_current(&head) {}

    int parse(const slate::usubstring& content)
    {
        for (const uchar* p = content.begin; p != content.end;) {
            const int error = step(*p);
            if (error < 0)
                continue; // the unit is read again in the new state
            if (error > 0)
                return error;
            ++p;
        }
        switch (m_state) {
        case State::Escape:
            m_current->contents += u'\\';
            break;
        case State::Dollar:
            return kSnippetEmptyKey;
        case State::Regex:
        case State::RegexEscape:
        case State::Format:
        case State::FormatEscape:
        case State::Options:
            return kSnippetMalformedRegex;
        default:
            break;
        }
        return m_current->parent ? kSnippetMissingBrace : kSnippetOk;
    }

private:
    void addSibling(SnippetNodeType type)
    {
        m_current->next = std::make_unique<SnippetNode>();
        m_current->next->type = type;
        m_current->next->parent = m_current->parent;
        m_current = m_current->next.get();
    }

    int openDefault()
    {
        if (++m_depth > kMaxSnippetNesting)
            return kSnippetMissingBrace;
        m_current->firstChild = std::make_unique<SnippetNode>();
        m_current->firstChild->parent = m_current;
        m_current = m_current->firstChild.get();
        m_state = State::Text;
        return 0;
    }

    // Handles one unit: 0 when it was consumed, -1 when it must be read
    // again, or an error code.
    int step(uchar c)
    {
        switch (m_state) {
        case State::Text:
            if (c == u'$') {
                addSibling(sntVARIABLE);
                m_state = State::Dollar;
            } else if (c == u'}' && m_current->parent) {
                SnippetNode* closed = m_current->parent;
                closed->next = std::make_unique<SnippetNode>();
                closed->next->parent = closed->parent;
                m_current = closed->next.get();
                --m_depth;
            } else if (c == u'\\') {
                m_state = State::Escape;
            } else {
                m_current->contents += c;
            }
            return 0;
        case State::Escape:
            if (c != u'$' && c != u'{' && c != u'}' && c != u'\\')
                m_current->contents += u'\\';
            m_current->contents += c;
            m_state = State::Text;
            return 0;
        case State::Dollar:
            if (c == u'{') {
                m_state = State::Braced;
            } else if (isDigit(c)) {
                m_current->contents += c;
                m_state = State::Number;
            } else if (isNameUnit(c)) {
                m_current->contents += c;
                m_state = State::Name;
            } else {
                return kSnippetEmptyKey;
            }
            return 0;
        case State::Name:
        case State::Number:
            if (m_state == State::Name ? isNameUnit(c) : isDigit(c)) {
                m_current->contents += c;
                return 0;
            }
            addSibling(sntTEXT);
            m_state = State::Text;
            return -1;
        case State::Braced:
            if (c != u':' && c != u'}' && c != u'/') {
                m_current->contents += c;
                return 0;
            }
            if (m_current->contents.empty())
                return kSnippetEmptyKey;
            return endOfName(c);
        case State::Regex:
            return readTransformPart(c, m_current->regex, State::RegexEscape, State::Format);
        case State::Format:
            return readTransformPart(c, m_current->format, State::FormatEscape, State::Options);
        case State::RegexEscape:
            m_current->regex += c;
            m_state = State::Regex;
            return 0;
        case State::FormatEscape:
            m_current->format += c;
            m_state = State::Format;
            return 0;
        case State::Options:
            if (c == u':' || c == u'}')
                return endOfName(c);
            m_current->options += c;
            return 0;
        }
        return 0;
    }

    // ":" opens the default content, "}" closes the placeholder, "/" starts
    // its transformation.
    int endOfName(uchar c)
    {
        if (c == u':')
            return openDefault();
        if (c == u'}') {
            addSibling(sntTEXT);
            m_state = State::Text;
        } else {
            m_state = State::Regex;
        }
        return 0;
    }

    int readTransformPart(uchar c, ustring& part, State escape, State after)
    {
        if (c == u'\\') {
            part += c;
            m_state = escape;
        } else if (c == u'/') {
            m_state = after;
        } else {
            part += c;
        }
        return 0;
    }

    SnippetNode* m_current;
    State m_state = State::Text;
    int m_depth = 0; // open default contents around m_current
};

std::unique_ptr<SnippetNode> copyList(const SnippetNode* node, SnippetNode* parent)
{
    std::unique_ptr<SnippetNode> head;
    std::unique_ptr<SnippetNode>* slot = &head;
    for (; node; node = node->next.get()) {
        *slot = std::make_unique<SnippetNode>();
        SnippetNode& copy = **slot;
        copy.type = node->type;
        copy.contents = node->contents;
        copy.regex = node->regex;
        copy.format = node->format;
        copy.options = node->options;
        copy.parent = parent;
        copy.firstChild = copyList(node->firstChild.get(), &copy);
        slot = &copy.next;
    }
    return head;
}

// The first default of each field number, as a copy taken before any
// default is replaced, with the node it came from.
struct RememberedDefault {
    const SnippetNode* owner;
    std::unique_ptr<SnippetNode> content;
};
using DefaultMap = std::map<int, RememberedDefault>;

void collectDefaults(const SnippetNode* node, DefaultMap& defaults)
{
    for (; node; node = node->next.get()) {
        collectDefaults(node->firstChild.get(), defaults);
        if (node->isField() && node->regex.empty() && node->firstChild) {
            RememberedDefault& entry = defaults[node->fieldNumber()];
            if (!entry.content)
                entry = {node, copyList(node->firstChild.get(), nullptr)};
        }
    }
}

// Copies put in place are not visited again, so a field whose default
// holds the same field ends after one copy.
void applyDefaults(SnippetNode* node, const DefaultMap& defaults)
{
    for (; node; node = node->next.get()) {
        applyDefaults(node->firstChild.get(), defaults);
        if (!node->isField())
            continue;
        const auto found = defaults.find(node->fieldNumber());
        if (found == defaults.end() || found->second.owner == node)
            continue;
        node->firstChild = copyList(found->second.content.get(), node);
    }
}

SharedRegexTransform compileTransform(const SnippetNode& node)
{
    try {
        RegexTransform transform{makeRegex(node.regex, node.options),
                                 rewriteFormatString(node.format),
                                 regexFormatFlags(node.options)};
        return shareTransform(std::move(transform));
    } catch (const std::exception& error) {
        VLOG << u"regex error: " << error.what();
        return nullptr;
    }
}

// A field's occurrences while the tree is walked.
struct PendingGroup {
    std::vector<std::pair<size_t, size_t>> regions;
    std::vector<SnippetTransform> transforms;
};

class Expander {
public:
    Expander(const SnippetVariables& variables, SnippetExpansion& out)
        : m_variables(variables), m_out(out)
    {
    }

    void walk(const SnippetNode* node)
    {
        for (; node; node = node->next.get()) {
            if (node->type == sntTEXT) {
                VASSERT(!node->firstChild);
                m_out.text += node->contents;
                continue;
            }
            const auto variable = m_variables.find(node->contents);
            if (variable != m_variables.end()) {
                m_out.text += formatValue(*node, variable->second);
                continue;
            }
            if (!node->isField()) {
                if (node->firstChild)
                    walk(node->firstChild.get());
                else
                    m_out.text += formatValue(*node, ustring());
                continue;
            }
            const size_t start = addPoint();
            if (node->firstChild) {
                if (node->regex.empty()) {
                    walk(node->firstChild.get());
                } else {
                    SnippetExpansion inner;
                    Expander(m_variables, inner).walk(node->firstChild.get());
                    m_out.text += formatValue(*node, inner.text);
                }
            }
            const size_t end = node->firstChild ? addPoint() : start;
            PendingGroup& group = m_groups[node->fieldNumber()];
            if (node->regex.empty()) {
                group.regions.emplace_back(start, end);
            } else if (SharedRegexTransform transform = compileTransform(*node)) {
                group.transforms.push_back({0, 0, start, end, std::move(transform)});
            }
        }
    }

    void finish()
    {
        for (auto& [number, pending] : m_groups) {
            SnippetFieldGroup group;
            group.number = number;
            group.regions = std::move(pending.regions);
            if (!group.regions.empty()) {
                for (SnippetTransform& transform : pending.transforms) {
                    transform.sourceStart = group.regions.front().first;
                    transform.sourceEnd = group.regions.front().second;
                    group.transforms.push_back(std::move(transform));
                }
            }
            // A group of transformations alone mirrors nothing and offers no
            // stop: its text stays as expanded.
            if (!group.regions.empty())
                m_out.groups.push_back(std::move(group));
        }
        // Without a usable field 0 the caret's last stop is the end.
        if (m_out.groups.empty() || m_out.groups.back().number != std::numeric_limits<int>::max()) {
            SnippetFieldGroup last;
            last.number = std::numeric_limits<int>::max();
            const size_t point = addPoint();
            last.regions.emplace_back(point, point);
            m_out.groups.push_back(std::move(last));
        }
    }

private:
    size_t addPoint()
    {
        m_out.points.push_back(static_cast<int64_t>(m_out.text.size()));
        return m_out.points.size() - 1;
    }

    const SnippetVariables& m_variables;
    SnippetExpansion& m_out;
    std::map<int, PendingGroup> m_groups; // by field number, so field 0 last
};

} // namespace

SnippetNode::~SnippetNode()
{
    // Unlink the chain first so that each sibling dies with no successor.
    std::unique_ptr<SnippetNode> rest = std::move(next);
    while (rest)
        rest = std::move(rest->next);
}

bool SnippetNode::isField() const
{
    if (type != sntVARIABLE || contents.empty())
        return false;
    for (uchar c : contents)
        if (!isDigit(c))
            return false;
    return true;
}

int SnippetNode::fieldNumber() const
{
    int64_t value = 0;
    for (uchar c : contents) {
        value = value * 10 + (c - u'0');
        if (value >= std::numeric_limits<int>::max())
            return std::numeric_limits<int>::max() - 1;
    }
    return value == 0 ? std::numeric_limits<int>::max() : static_cast<int>(value);
}

ustring snippetErrorText(int error)
{
    switch (error) {
    case kSnippetEmptyKey:
        return u"Empty key";
    case kSnippetMissingBrace:
        return u"Missing brace";
    case kSnippetBadEscape:
        return u"Bad escape";
    case kSnippetMalformedRegex:
        return u"Malformed regex";
    default:
        return ustring();
    }
}

int parseSnippet(const slate::usubstring& content, SnippetNode& head)
{
    VASSERT(head.type == sntTEXT);
    VASSERT(head.parent == NULL);
    const int error = SnippetParser(head).parse(content);
    if (error != kSnippetOk)
        return error;
    DefaultMap defaults;
    collectDefaults(&head, defaults);
    applyDefaults(&head, defaults);
    return kSnippetOk;
}

ustring formatValue(const SnippetNode& node, const ustring& value)
{
    if (node.regex.empty())
        return value;
    try {
        return regexReplace(value, makeRegex(node.regex, node.options),
                            rewriteFormatString(node.format), regexFormatFlags(node.options));
    } catch (const std::exception& error) {
        VLOG << u"regex error: " << error.what();
        return value;
    }
}

bool expandSnippet(const slate::usubstring& content, const SnippetVariables& variables,
                   SnippetExpansion& out)
{
    out = SnippetExpansion();
    SnippetNode head;
    if (parseSnippet(content, head) != kSnippetOk)
        return false;
    Expander expander(variables, out);
    expander.walk(&head);
    expander.finish();
    return true;
}

ustring expandSnippetText(const slate::usubstring& content, const SnippetVariables& variables)
{
    SnippetExpansion out;
    expandSnippet(content, variables, out);
    return out.text;
}
