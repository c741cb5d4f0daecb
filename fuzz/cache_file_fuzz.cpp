// Cache files: the input is the whole file, read with its own version word.
#include <cstdlib>

#include "fuzz_target.h"
#include "ui/cache_file.h"

VANTREL_FUZZ_TARGET(cache_file)
{
    if (size < 8)
        return 0;
    const int32_t version = static_cast<int32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                                 static_cast<uint32_t>(data[3]) << 24);
    const uint32_t stated = data[4] | data[5] << 8 | data[6] << 16 | static_cast<uint32_t>(data[7]) << 24;
    ReadBuffer record;
    if (decodeCacheFile(data, size, version, record) && record.size() > stated)
        std::abort();
    return 0;
}
