// Putting a snippet into a view: every selection is replaced by the
// snippet's expansion for that selection, continuation lines are indented
// like the line of the insertion, tabs honour the buffer's soft tabs, and
// the expansion's fields become the view's snippet fields, which the user
// moves through with nextField and prevField while mirrors follow the
// typing. Fields of the same number in every selection's copy form one
// group, so tabbing moves all carets together.
//
// Main thread only. The functions that change text do nothing on a
// read-only or loading buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/text/snippet_content.h"
#include "ui/text/text_buffer_functions.h"
#include "ui/ustring.h"

// The variables of a snippet inserted at `region`: SELECTION,
// TM_SELECTED_TEXT, PARAM1.. from `parameters`, the TM_ values of the line,
// word, file, tab settings and user. TM_FILEPATH and TM_FILENAME are absent
// without a file source, TM_FULLNAME when the system does not name the user.
SnippetVariables snippetVariables(const ViewPtr& view, const SelectionRegion& region,
                                  const std::vector<ustring>& parameters);

// Inserts `content` at every selection, also replacing the `eraseCount`
// units before each (a tab trigger that was typed), inside an undo group
// "Insert Snippet" that nests into one the caller has open. The first field
// is then selected. Content that does not parse inserts nothing and reports
// nothing.
void insertSnippetText(const ViewPtr& view, int64_t eraseCount, const ustring& content,
                       const std::vector<ustring>& parameters);

// insertSnippetText of the content the store keeps under `path` (looked up
// by the caller), after reporting content that does not parse:
// "Error parsing content for snippet PATH: ERROR" goes to the notification
// manager's error box and nothing is inserted.
void insertSnippetFile(const ViewPtr& view, int64_t eraseCount, const ustring& path,
                       const ustring& content, const std::vector<ustring>& parameters);

// Whether there is a field group after (before) the current one.
bool hasNextField(const ViewPtr& view);
bool hasPrevField(const ViewPtr& view);
// Select the next (previous) field group, each in an undo group of its
// name; nothing when there is none.
void nextField(const ViewPtr& view);
void prevField(const ViewPtr& view);
// Leaves the snippet fields, in an undo group "clearFields": mirrors stop
// following their fields.
void clearFields(const ViewPtr& view);
