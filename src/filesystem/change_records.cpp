// Every comparison is made against the bytes left after the current offset,
// so no sum of untrusted values can wrap past the end of the buffer. Fields
// are copied out rather than read in place: the offsets are the system's
// (or an attacker's) and need not be aligned.
#include "filesystem/change_records.h"

#include <cstring>
#include <utility>

namespace slate {

namespace {

uint32_t readField(const uint8_t* record, size_t fieldOffset)
{
    uint32_t value;
    std::memcpy(&value, record + fieldOffset, sizeof(value));
    return value;
}

} // namespace

void readChangeRecords(const uint8_t* buffer, size_t byteCount,
                       const std::function<void(uint32_t action, const ustring& name)>& visit)
{
    size_t offset = 0; // never past byteCount
    while (byteCount - offset >= kChangeRecordHeaderBytes) {
        const uint8_t* record = buffer + offset;
        const uint32_t next = readField(record, 0);
        const uint32_t action = readField(record, 4);
        const uint32_t nameBytes = readField(record, 8);
        if (nameBytes > byteCount - offset - kChangeRecordHeaderBytes)
            return;
        ustring name(nameBytes / 2, u'\0');
        std::memcpy(&name[0], record + kChangeRecordHeaderBytes, name.size() * sizeof(uchar));
        visit(action, name);
        if (next == 0 || next >= byteCount - offset)
            return;
        offset += next;
    }
}

void queueFileChange(std::vector<FileChange>& pending, FileChange change)
{
    if (change.flags != FileChangeRemoved) {
        // The latest change of the path decides, not merely the last one in
        // the queue.
        for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
            if (it->path != change.path)
                continue;
            if (it->flags & (FileChangeModified | FileChangeAdded)) {
                if (change.flags & FileChangeAdded)
                    it->flags = FileChangeAdded;
                return;
            }
            break;
        }
    }
    pending.push_back(std::move(change));
}

} // namespace slate
