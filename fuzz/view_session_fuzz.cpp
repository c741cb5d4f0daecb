// A view's session node as read from a session file: the first two bytes
// give the buffer's size (below 512), the rest is the node's options text.
// Whatever the node holds, the restored selection and named regions lie
// inside the buffer, the zoom and offsets stay usable, and what the view then
// writes reads back into the same selection.
#include <cmath>
#include <cstdlib>

#include "fuzz_target.h"
#include "support/blank_canvas.h"
#include "support/fixed_advance_font.h"
#include "ui/options.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_session.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

namespace {

// Every code unit 10 wide, every line 16 high.
class GridCanvas : public BlankCanvas {
protected:
    UnicodeFont* createFont(const ustring&, const ustring&, int, int) override
    {
        return new FixedAdvanceFont(10.f, 16.f);
    }
};

bool inside(const SelectionSet& set, int64_t size)
{
    for (const SelectionRegion& region : set)
        if (region.a < 0 || region.b < 0 || region.a > size || region.b > size)
            return false;
    return true;
}

} // namespace

VANTREL_FUZZ_TARGET(view_session)
{
    if (size < 2)
        return 0;
    const size_t bufferSize = (data[0] | data[1] << 8) % 512;
    slate::SP<Options> node(new Options);
    node->parse(toUstring(fuzzBytes(data + 2, size - 2)));

    GridCanvas canvas;
    slate::SP<TextBuffer> buffer = view_test::makeBuffer(ustring(bufferSize, u'x'));
    slate::SP<TextBufferView> view = buffer->createView(&canvas);
    view->setOptions(slate::SP<Options>(new Options));
    view->readSettings(node);
    buffer->notifyLoaded();

    const int64_t length = buffer->size();
    if (!inside(view->sel(), length))
        std::abort();
    for (const auto& entry : view->viewState().namedRegions())
        if (!inside(entry.second.regions, length))
            std::abort();
    if (!(view->zoom() > 0.f) || !std::isfinite(view->zoom()) ||
        !std::isfinite(view->translationX()) || !std::isfinite(view->translationY()))
        std::abort();

    slate::SP<Options> written(new Options);
    view->writeSettings(written);
    slate::SP<TextBufferView> again = buffer->createView(&canvas);
    again->setOptions(slate::SP<Options>(new Options));
    again->readSettings(written);
    buffer->notifyLoaded();
    if (!(again->sel() == view->sel()))
        std::abort();
    return 0;
}
