// File decoding: the first byte picks the requested encoding (0 detects) and
// the chunk size; the rest is decoded in chunks as a file is read. A decode
// without a lost byte must save back to the same bytes.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_target.h"
#include "ui/text/encoding.h"

VANTREL_FUZZ_TARGET(encoding)
{
    if (size < 1)
        return 0;
    const FileEncoding requested = data[0] % (kEncodingLast + 2);
    const size_t chunk = 1 + (data[0] >> 3) * 7;
    const unsigned char* bytes = data + 1;
    const size_t length = size - 1;

    // The decoder's buffers are far larger than any input: allocating them
    // for every input cost more than the decoding.
    static StreamDecoder s_decoder(0, 0);
    static ustring s_text;
    static std::vector<unsigned char> s_saved;
    StreamDecoder& decoder = s_decoder;
    decoder.reset(requested, 0);
    ustring& text = s_text;
    text.clear();
    size_t fed = 0;
    do {
        const size_t count = std::min({chunk, length - fed, decoder.inputSpaceSize()});
        std::memcpy(decoder.inputSpace(), bytes + fed, count);
        fed += count;
        decoder.decode(count, fed == length);
        text.append(decoder.outputBegin(), decoder.outputEnd());
    } while (fed < length);

    const FileEncoding encoding = decoder.encoding();
    if (decoder.lostBytes() || encoding < 1 || encoding > kEncodingLast)
        return 0;
    // A mark is skipped only when it is really there.
    const size_t bom = detectBom(bytes, length) == encoding ? bomLength(encoding) : 0;
    std::vector<unsigned char>& saved = s_saved;
    saved.resize(text.size() * 4 + 4);
    const uchar* source = text.data();
    const size_t written =
        encodeChunk(encoding, source, text.data() + text.size(), saved.data(), saved.size(), true);
    if (written != length - bom || std::memcmp(saved.data(), bytes + bom, written) != 0)
        std::abort();
    return 0;
}
