// The undo store's compact text: any UTF-16 text, lone surrogates included,
// comes back exactly, in each of its storage forms.
#include <cstdlib>

#include "fuzz_target.h"
#include "ui/text/compact_character_buffer.h"

VANTREL_FUZZ_TARGET(compact_character_buffer)
{
    if (size < 1)
        return 0;
    // The first byte repeats the text, to reach the compressed form.
    const ustring unit = fuzzUnits(data + 1, size - 1);
    ustring text;
    for (int i = 0; i <= data[0] % 64; ++i)
        text += unit;
    const CompactCharacterBuffer buffer(text);
    if (buffer.text() != text)
        std::abort();
    const CompactCharacterBuffer copy(buffer);
    if (copy.text() != text)
        std::abort();
    return 0;
}
