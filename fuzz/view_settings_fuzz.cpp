// A view's settings from its options file, read through the file manager,
// over a canvas whose fonts measure on a fixed grid, so that the measured
// settings (tab width, wrap width, rulers) are read too. Whatever the text,
// the tab width stays finite and positive, the line paddings finite and the
// wrap width a number not below 0.
#include <cmath>
#include <cstdlib>

#include "one_file_system.h"
#include "ui/text/view_settings.h"
#include "ui/text/view_test_canvas.h"

VANTREL_FUZZ_TARGET(view_settings)
{
    const slate::SP<Options> options = loadFuzzOptions(u"Fuzz.vantrel-options", data, size);
    GridRecordingCanvas canvas;
    ViewSettings settings(&canvas);
    settings.read(*options);
    const LayoutSettings& layout = settings.layout;
    if (!(std::isfinite(layout.tabWidth) && layout.tabWidth > 0) ||
        !(layout.wrapWidth >= 0) || !std::isfinite(layout.linePaddingTop) ||
        !std::isfinite(layout.linePaddingBottom))
        std::abort();
    return 0;
}
