// Clipboard blocks as other programs may fill them: the private format's
// counted bytes and Unicode text.
#include <cstdlib>
#include <cstring>

#include "fuzz_target.h"
#include "window_manager/clipboard_block.h"

VANTREL_FUZZ_TARGET(clipboard_block)
{
    std::vector<char> bytes;
    const bool whole = readClipboardBlock(data, size, bytes);
    if (size < kClipboardBlockHeaderSize) {
        if (!bytes.empty() || whole)
            std::abort();
    } else if (bytes.size() > size - kClipboardBlockHeaderSize ||
               (!bytes.empty() &&
                std::memcmp(bytes.data(), data + kClipboardBlockHeaderSize, bytes.size()) != 0)) {
        std::abort();
    }

    std::vector<char> block(clipboardBlockSize(bytes.size()));
    writeClipboardBlock(block.data(), bytes.data(), bytes.size());
    std::vector<char> again;
    if (!readClipboardBlock(block.data(), block.size(), again) || again != bytes)
        std::abort();

    ustring text;
    readClipboardText(data, size, text);
    if (text.size() > size / 2 || text.find(u'\0') != ustring::npos)
        std::abort();
    return 0;
}
