// Snippet content: whatever the text, parsing ends with one of its codes,
// expansion succeeds exactly when parsing does, and a successful expansion
// gives points in ascending order inside its text, regions and mirrors that
// name existing points, no empty group and the final stop last.
#include <climits>
#include <cstdlib>

#include "fuzz_target.h"
#include "ui/text/snippet_content.h"
#include "ui/unicode.h"

VANTREL_FUZZ_TARGET(snippet_content)
{
    const std::string bytes = fuzzBytes(data, size);
    const ustring content = utf8ToUtf16(bytes.data(), bytes.data() + bytes.size());
    const SnippetVariables variables = {
        {u"SELECTION", u"sel\tected"}, {u"TM_FILENAME", u"notes.txt"}, {u"V", u""}};

    SnippetNode head;
    const int error = parseSnippet(content, head);
    if (error < kSnippetOk || error > kSnippetMalformedRegex || error == kSnippetBadEscape)
        std::abort();
    SnippetExpansion out;
    if (expandSnippet(content, variables, out) != (error == kSnippetOk))
        std::abort();
    if (error != kSnippetOk)
        return 0;

    const int64_t length = static_cast<int64_t>(out.text.size());
    for (size_t i = 0; i < out.points.size(); ++i)
        if (out.points[i] < 0 || out.points[i] > length || (i > 0 && out.points[i] < out.points[i - 1]))
            std::abort();
    if (out.groups.empty() || out.groups.back().number != INT_MAX)
        std::abort();
    int previous = 0;
    for (const SnippetFieldGroup& group : out.groups) {
        if (group.regions.empty() || group.number <= previous)
            std::abort();
        previous = group.number;
        for (const auto& region : group.regions)
            if (region.second >= out.points.size() || region.first > region.second)
                std::abort();
        for (const SnippetTransform& mirror : group.transforms)
            if (!mirror.transform || mirror.destinationEnd >= out.points.size()
                || mirror.destinationStart > mirror.destinationEnd
                || mirror.sourceStart != group.regions.front().first)
                std::abort();
    }
    if (expandSnippetText(content, variables) != out.text)
        std::abort();
    return 0;
}
