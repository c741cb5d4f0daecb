// The pieces of a view's session node that are read back only once its
// buffer has loaded: the selection and the persistent named regions, kept as
// arrays of a and b keys. TextBufferView::writeSettings and readSettings use
// them; the buffer's own keys are the buffer's business.
//
// Session files are outside bytes: whatever they hold, a restored region lies
// inside the buffer, and positions saved for a buffer of another size are
// never applied. Main thread only.
#pragma once

#include "ui/options.h"
#include "ui/text/selection_set.h"
#include "ui/ustring.h"

class TextBufferView;

// Writes key + "[N].a" and key + "[N].b" for every region N of `set`.
void writeRegionSet(Options& node, const ustring& key, const SelectionSet& set);

// Adds to `set` every region N of the array `key` whose ".a" and ".b" keys
// are both present, in index order; an index with only one of them adds
// nothing.
void readRegionSet(const Options& node, const ustring& key, SelectionSet& set);

// What a view does when its buffer has loaded: when "bufferSize" equals the
// buffer's size, the selection (clamped to the text) becomes the current one
// and the named regions of the node are added to the view state's, clamped
// the same way. Nothing when the sizes differ.
void restoreSelection(TextBufferView& view, const Options& node);
