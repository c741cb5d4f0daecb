// A read-out of the running editor for the tests that drive the whole program
// with real input. When the environment variable VANTREL_TEST_HOOK names a
// file, the editor window reports the active view after every frame, and the
// hook writes the view's file name, selections and text to that file whenever
// they differ from what it wrote last, replacing the file atomically so that
// a reader polling it never sees half a record. Without the variable nothing
// is written and the report costs one branch.
//
// The record, in UTF-8:
//     line 1: the buffer's full path, its own name, or "untitled"
//     line 2: the selections as "anchor,caret" pairs separated by blanks,
//             in UTF-16 units (empty without a view)
//     then:   the whole text, exactly as the buffer holds it
#pragma once

#include <string>
#include <utility>

#include "ui/ustring.h"

class SelectionSet;
class TextBuffer;
class TextBufferView;

// The editor window's one call, after drawing a frame. `view` is the active
// view; null when the window has none. Main thread only.
void reportFrameToTestHook(const TextBufferView* view);

// The record for a buffer and its selections; both null or empty give the
// record of no view.
std::string testHookRecord(const TextBuffer* buffer, const SelectionSet* selections);

// Writes records to one file, skipping a record equal to the last one written.
class TestHook {
public:
    explicit TestHook(ustring path) : m_path(std::move(path)) {}

    // Writes `record` unless it equals the last record written. False when
    // nothing was written: unchanged, or the write failed (a failed record is
    // tried again on the next call).
    bool write(const std::string& record);

private:
    ustring m_path; // native path of the record file
    std::string m_lastWritten; // empty also before the first write
    bool m_hasWritten = false;
};
