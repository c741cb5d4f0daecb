// A buffer's keys from a session file: whatever the node holds, the restored
// bookmarks lie inside the text, in order and apart, and written back and
// read again into an equal buffer they come back the same.
#include <cstdlib>

#include "fuzz_target.h"
#include "ui/options.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

VANTREL_FUZZ_TARGET(buffer_session)
{
    slate::SP<Options> node(new Options);
    node->parse(toUstring(fuzzBytes(data, size)));
    int64_t recordedSize = 0;
    node->getInt64("bufferSize", recordedSize);
    // A text of the recorded size when it is small, so that the size check
    // passes and the bookmarks are read.
    const ustring text(recordedSize >= 0 && recordedSize <= 4096 ? static_cast<size_t>(recordedSize) : 7, u'x');
    slate::SP<TextBuffer> buffer = view_test::makeBuffer(text);
    buffer->readSettings(node);

    const SelectionSet& bookmarks = buffer->m_bookmarks;
    for (size_t i = 0; i < bookmarks.size(); ++i) {
        const SelectionRegion& region = bookmarks[i];
        if (region.begin() < 0 || region.end() > buffer->size())
            std::abort();
        if (i > 0 && bookmarks[i - 1].end() > region.begin())
            std::abort();
    }

    slate::SP<Options> written(new Options);
    buffer->writeSettings(written);
    slate::SP<TextBuffer> again = view_test::makeBuffer(text);
    again->readSettings(written);
    if (again->m_bookmarks != bookmarks || again->lineEnding() != buffer->lineEnding()
        || again->m_name != buffer->m_name || again->m_scratch != buffer->m_scratch
        || again->isReadOnly() != buffer->isReadOnly())
        std::abort();
    return 0;
}
