// The command-line record another process hands over in WM_COPYDATA.
#include <cstdlib>
#include <cstring>

#include "fuzz_target.h"
#include "window_manager/command_line_payload.h"

VANTREL_FUZZ_TARGET(command_line_payload)
{
    ustring directory;
    std::vector<ustring> arguments;
    const bool taken = readCommandLinePayload(data, size, directory, arguments);
    // A refused record leaves nothing behind.
    if (!taken) {
        if (!directory.empty() || !arguments.empty())
            std::abort();
        return 0;
    }
    // A record is taken only when it is exactly what the writer makes of
    // what was read: no stray bytes, no count that was not honoured.
    WriteBuffer again;
    writeCommandLinePayload(again, directory, arguments);
    if (again.size() != size || (size > 0 && std::memcmp(again.data(), data, size) != 0))
        std::abort();
    return 0;
}
