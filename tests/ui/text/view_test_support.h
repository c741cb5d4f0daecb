// Builders for tests of buffers and their views: a buffer holding a text,
// options (or a session node) parsed from an options text, a selection set
// of given regions, and a text of numbered lines to scroll through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/options.h"
#include "ui/text/selection_set.h"
#include "ui/text/text_buffer.h"
#include "ui/unicode.h"

namespace view_test {

inline slate::SP<TextBuffer> makeBuffer(const ustring& text = ustring())
{
    return slate::SP<TextBuffer>(new TextBuffer(text.data(), text.data() + text.size()));
}

inline slate::SP<Options> optionsFrom(const std::string& text)
{
    slate::SP<Options> options(new Options);
    options->parse(toUstring(text));
    return options;
}

inline SelectionSet setOf(const std::vector<SelectionRegion>& regions)
{
    SelectionSet set;
    for (const SelectionRegion& region : regions)
        set.add(region);
    return set;
}

// Twenty lines "line00" to "line19" (six units and a line end each, so line
// N starts at twentyLinesStart(N)), then one line of 50 units.
inline ustring twentyLines()
{
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += "line" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "\n";
    text += std::string(50, 'w');
    return toUstring(text);
}

inline int64_t twentyLinesStart(int line) { return 7 * line; }

} // namespace view_test
