// Font specs ("Courier New 10 :bold; Consolas"), as the options and themes
// give them (UTF-16 input). Whatever the text, the size stays a usable one,
// only known style flags are set, and a face is reported found only when it
// exists (here: a few fixed names).
#include <cstdlib>

#include "canvas/util/font_builder.h"
#include "canvas/util/texture_unicode_font.h"
#include "fuzz_target.h"

VANTREL_FUZZ_TARGET(font_spec)
{
    const ustring spec = fuzzUnits(data, size);
    const FaceExistsFunction exists = [](const ustring& face) {
        return face == u"Courier New" || face == u"Consolas" || face == u"DejaVu Sans Mono";
    };
    const int kKnownFlags =
        kFontBold | kFontItalic | kFontNoAntialias | kFontStandardAntialias | kFontClearTypeAntialias;
    ustring face;
    int fontSize = 12;
    int styleFlags = 0;
    const bool found = parseFontSpec(spec, face, fontSize, styleFlags, exists);
    if (fontSize < 2 || (styleFlags & ~kKnownFlags) != 0 || (found && !exists(face)))
        std::abort();
    return 0;
}
