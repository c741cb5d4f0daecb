// The command-line record another process hands over in WM_COPYDATA.
#include <cstdlib>

#include "fuzz_target.h"
#include "window_manager/command_line_payload.h"

VANTREL_FUZZ_TARGET(command_line_payload)
{
    ustring directory;
    std::vector<ustring> arguments;
    readCommandLinePayload(data, size, directory, arguments);
    // Everything read must have come out of the input: each argument costs
    // its 4-byte length and 2 bytes a unit.
    size_t used = 4 + directory.size() * 2 + 4;
    for (const ustring& argument : arguments)
        used += 4 + argument.size() * 2;
    if (directory.size() * 2 > size || (!arguments.empty() && used > size))
        std::abort();

    // What was read writes back as a record that reads the same, whole.
    WriteBuffer again;
    writeCommandLinePayload(again, directory, arguments);
    ustring directoryAgain;
    std::vector<ustring> argumentsAgain;
    if (!readCommandLinePayload(again.data(), again.size(), directoryAgain, argumentsAgain) ||
        directoryAgain != directory || argumentsAgain != arguments)
        std::abort();
    return 0;
}
