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
#include "ui/text/region_set_settings.h"
#include "ui/text/selection_set.h"
#include "ui/ustring.h"

class TextBufferView;

// What a view does when its buffer has loaded: when "bufferSize" equals the
// buffer's size, the selection (clamped to the text) becomes the current one
// and the named regions of the node are added to the view state's, clamped
// the same way. Nothing when the sizes differ.
void restoreSelection(TextBufferView& view, const Options& node);
