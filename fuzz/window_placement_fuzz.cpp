// Window placement text, as session files bring it back: whatever is read
// must print back as text that reads the same.
#include <cstdlib>

#include "fuzz_target.h"
#include "window_manager/window_placement.h"

VANTREL_FUZZ_TARGET(window_placement)
{
    const ustring text = fuzzUnits(data, size);
    WindowPlacement placement;
    const int count = parsePlacement(text, placement);
    if (count < 0 || count > WindowPlacement::kFieldCount)
        abort();
    WindowPlacement again;
    const ustring printed = formatPlacement(placement);
    if (parsePlacement(printed, again) != WindowPlacement::kFieldCount || formatPlacement(again) != printed)
        abort();
    return 0;
}
