// A session file as the application reads it at start-up. Whatever the bytes,
// reading either refuses them or fills a record, and a filled record, once
// written, is written again the same after another read: what a session
// holds survives every later save and restore.
#include <cstdlib>

#include "fuzz_target.h"
#include "texteditor/application_settings.h"

VANTREL_FUZZ_TARGET(session_file)
{
    ApplicationSettings first;
    if (!first.readFromText(reinterpret_cast<const char*>(data), size).empty())
        return 0;
    const std::string written = first.writeToText();
    ApplicationSettings second;
    if (!second.readFromText(written.data(), written.size()).empty())
        std::abort();
    const std::string again = second.writeToText();
    ApplicationSettings third;
    if (!third.readFromText(again.data(), again.size()).empty() || third.writeToText() != again)
        std::abort();
    return 0;
}
