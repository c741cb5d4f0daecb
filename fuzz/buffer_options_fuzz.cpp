// A buffer's settings from an options file, read through the file manager.
// Whatever the text, the tab size stays in range and the fallback encoding is
// one the decoder knows (or none).
#include <cstdlib>

#include "one_file_system.h"
#include "ui/text/buffer_options.h"

VANTREL_FUZZ_TARGET(buffer_options)
{
    const slate::SP<Options> options = loadFuzzOptions(u"Fuzz.vantrel-options", data, size);
    BufferOptions settings;
    readBufferOptions(*options, settings);
    if (settings.tabSize < kMinimumTabSize || settings.tabSize > kMaximumTabSize ||
        settings.fallbackEncoding > kEncodingLast)
        std::abort();
    return 0;
}
