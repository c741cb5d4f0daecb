#include "ui/text/status_text.h"

#include <charconv>

namespace {

// Plain decimal, whatever the process locale.
template <typename Integer>
void appendDecimal(ustring& text, Integer value)
{
    char digits[24];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    for (const char* digit = digits; digit != result.ptr; ++digit)
        text += static_cast<uchar>(*digit);
}

} // namespace

ustring selectionStatusText(const SelectionSet& selection, const RowColumnOf& rowColumn,
                            const NewlineCountOf& newlineCount)
{
    ustring text;
    if (selection.size() != 1) {
        appendDecimal(text, selection.size());
        text += u" selection regions";
        return text;
    }
    const SelectionRegion& region = selection[0];
    if (region.a == region.b) {
        int32_t row = 0;
        int32_t column = 0;
        rowColumn(region.b, row, column);
        text = u"Line ";
        appendDecimal(text, int64_t(row) + 1);
        text += u", Column ";
        appendDecimal(text, int64_t(column) + 1);
        return text;
    }
    const int32_t lineBreaks = newlineCount(region);
    if (lineBreaks >= 1) {
        appendDecimal(text, int64_t(lineBreaks) + 1);
        text += u" lines, ";
    }
    appendDecimal(text, region.size());
    text += u" characters selected";
    return text;
}

ustring fieldStatusText(size_t currentGroup, size_t groupCount)
{
    ustring text;
    if (groupCount < 2)
        return text;
    text = u" - Field ";
    appendDecimal(text, currentGroup + 1);
    text += u" of ";
    appendDecimal(text, groupCount);
    return text;
}

ustring statusText(const SelectionSet& selection, const RowColumnOf& rowColumn,
                   const NewlineCountOf& newlineCount, size_t currentGroup, size_t groupCount)
{
    return selectionStatusText(selection, rowColumn, newlineCount) +
           fieldStatusText(currentGroup, groupCount);
}
