// Directory change records as a watch request returns them: the walk visits
// only names that lie inside the buffer, and every record it visits starts
// further on than the one before, so it ends.
#include <cstdlib>

#include "filesystem/change_records.h"
#include "fuzz_target.h"

VANTREL_FUZZ_TARGET(change_records)
{
    size_t visits = 0;
    size_t nameUnits = 0;
    slate::readChangeRecords(data, size, [&](uint32_t, const ustring& name) {
        ++visits;
        nameUnits += name.size();
    });
    // A record is at least one byte further on than the one before and its
    // name fits after its header.
    if (visits > size || (visits && nameUnits * 2 > size - slate::kChangeRecordHeaderBytes))
        abort();
    return 0;
}
