// Builders for tests of buffers and their views: a buffer holding a text,
// options (or a session node) parsed from an options text, and a selection
// set of given regions.
#pragma once

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

} // namespace view_test
