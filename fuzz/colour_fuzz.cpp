// Colours as settings and themes write them ("#RGB", "#RRGGBBAA", names).
#include <cmath>
#include <cstdlib>

#include "fuzz_target.h"
#include "canvas/util/colour.h"
#include "ui/unicode.h"

VANTREL_FUZZ_TARGET(colour)
{
    const std::string bytes = fuzzBytes(data, size);
    float colour[3] = {0, 0, 0};
    if (parseColour(toUstring(bytes), colour)) {
        for (float channel : colour) {
            if (!(channel >= 0.f && channel <= 1.f))
                std::abort();
        }
    }
    parseColourName(bytes.c_str(), colour);
    return 0;
}
