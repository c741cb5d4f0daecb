// Writing and reading the command-line hand-over record. The reader works on
// a private copy of the bytes through ReadBuffer, whose readers already stop
// at the end; what is left to guard here is the argument count, which must
// not drive a loop (or a reservation) past what the bytes can hold: every
// argument costs at least its 4-byte length, so the loop ends as soon as
// fewer than 4 bytes remain.
#include "window_manager/command_line_payload.h"

void writeCommandLinePayload(WriteBuffer& buffer, const ustring& directory,
                             const std::vector<ustring>& arguments)
{
    writeString(buffer, directory);
    writeInt32(buffer, static_cast<int32_t>(arguments.size()));
    for (const ustring& argument : arguments)
        writeString(buffer, argument);
}

bool readCommandLinePayload(const void* data, size_t size, ustring& directory,
                            std::vector<ustring>& arguments)
{
    directory.clear();
    arguments.clear();
    ReadBuffer buffer(data, size);
    bool complete = readString(buffer, directory);
    int32_t count = 0;
    complete = readInt32(buffer, count) && complete;
    if (count < 0)
        return false;
    for (int32_t i = 0; i < count; ++i) {
        if (buffer.remaining() < 4)
            return false;
        ustring argument;
        complete = readString(buffer, argument) && complete;
        arguments.push_back(std::move(argument));
    }
    return complete;
}
