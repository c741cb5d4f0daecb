// Directory change records as a watch request returns them: the walk visits
// only names that lie inside the buffer, and every record it visits starts
// further on than the one before, so it ends. Records may overlap.
#include <cstdlib>

#include "filesystem/change_records.h"
#include "fuzz_target.h"

VANTREL_FUZZ_TARGET(change_records)
{
    size_t visits = 0;
    slate::readChangeRecords(data, size, [&](uint32_t, const ustring& name) {
        ++visits;
        // Records may overlap, but each name fits after a header.
        if (name.size() * 2 > size - slate::kChangeRecordHeaderBytes)
            abort();
    });
    // Each record starts at least one byte further on than the one before.
    if (visits > size)
        abort();
    return 0;
}
