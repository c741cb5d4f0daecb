// The text a view shows in the status bar for its selection and its snippet
// fields: "Line 3, Column 7", "5 characters selected", "2 lines, 9
// characters selected" or "3 selection regions", followed by
// " - Field 1 of 3" while a snippet with several fields is being filled in.
// Pure functions: the view hands in its selection and reaches its buffer
// through the two callables, so the texts can be built and tested without
// one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "ui/text/selection_set.h"
#include "ui/ustring.h"

// The 0-based row and column of a text position, as the buffer counts them.
using RowColumnOf = std::function<void(int64_t position, int32_t& row, int32_t& column)>;
// The number of line breaks inside a region.
using NewlineCountOf = std::function<int32_t(const SelectionRegion& region)>;

// The selection's part. With exactly one region: its caret's line and
// column, counted from 1, when it is empty; else its size in code units, with
// the number of lines it touches when it holds a line break. With any other
// number of regions (none included), how many there are. The callables are
// asked only about the single region, and only what that text needs.
ustring selectionStatusText(const SelectionSet& selection, const RowColumnOf& rowColumn,
                            const NewlineCountOf& newlineCount);

// " - Field N of M" (N counted from 1) when there are at least two field
// groups; empty otherwise.
ustring fieldStatusText(size_t currentGroup, size_t groupCount);

// The whole status text: the selection's part, then the fields'.
ustring statusText(const SelectionSet& selection, const RowColumnOf& rowColumn,
                   const NewlineCountOf& newlineCount, size_t currentGroup, size_t groupCount);
