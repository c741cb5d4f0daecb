// The names an editor window shows for its buffers: the window title, the
// tab labels, and whether a buffer has changes a close must ask about.
//
// Main thread only.
#pragma once

#include <optional>

#include "ui/reference_counted.h"
#include "ui/ustring.h"

class BufferSource;
class TextBuffer;
class TextBufferView;

// Everything the window title depends on. The window keeps the state of the
// title it last set and sets a new one only when a field differs, so the
// platform window is not retitled on every frame.
struct TitleState {
    const BufferSource* fileSource = nullptr; // compared by identity; null without a view or a file
    bool isDirty = false;                     // false without a view
    bool hasView = false;
    ustring bufferName;  // the view's own buffer name; empty without a view
    ustring projectText; // see projectTitleText; empty without a project

    bool operator==(const TitleState& other) const;
    bool operator!=(const TitleState& other) const { return !(*this == other); }
};

// The name of the product as the title ends in.
extern const char16_t* const kProductTitle;

// What the title says about a project: its name, with ": loading" while its
// folders are still being scanned.
ustring projectTitleText(const ustring& projectName, bool loading);

// The state of a window whose active view is `view` (null: none).
TitleState titleState(const TextBufferView* view, const ustring& projectText);

// The title: the active buffer's full path (or name) with "*" when dirty,
// the project text (in parentheses after a buffer), then " - " and the
// product; the product alone when there is neither.
ustring windowTitle(const TextBufferView* view, const ustring& projectText);

// Stores `state` in `cache` and returns true when it differs from what the
// cache held; a cache never filled always differs.
bool refreshTitleCache(std::optional<TitleState>& cache, const TitleState& state);

// A buffer needs saving when it has unsaved changes, unless it is an empty
// buffer without a file, which closes without a question.
bool bufferNeedsSaving(const slate::SP<TextBuffer>& buffer);

// The label of a view's tab: the file name, else the buffer name, else
// "untitled"; empty for null.
ustring tabLabel(const slate::SP<TextBufferView>& view);
