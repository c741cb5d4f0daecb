// The user's word lists as a session stores them ("addedWords" and
// "ignoredWords" in an options file, read through the file manager): read
// into a spelling manager, written back and read into a second one, the
// lists must give the same text again.
#include <cstdlib>

#include "one_file_system.h"
#include "ui/text/spell_checker.h"

VANTREL_FUZZ_TARGET(spelling_words)
{
    const slate::SP<Options> session = loadFuzzOptions(u"Fuzz.session", data, size);
    SpellCheckerManager first;
    first.readSession(*session);
    slate::SP<Options> written(new Options);
    first.writeSession(*written);

    SpellCheckerManager second;
    second.readSession(*written);
    slate::SP<Options> again(new Options);
    second.writeSession(*again);
    if (written->serialise() != again->serialise())
        std::abort();
    return 0;
}
