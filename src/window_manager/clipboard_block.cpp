// Clipboard blocks are read defensively: their sizes come from the system,
// their contents from whichever program filled the clipboard.
#include "window_manager/clipboard_block.h"

#include <cstring>

void writeClipboardBlock(void* block, const void* data, size_t length)
{
    auto* bytes = static_cast<unsigned char*>(block);
    const auto stored = static_cast<uint32_t>(length);
    bytes[0] = static_cast<unsigned char>(stored);
    bytes[1] = static_cast<unsigned char>(stored >> 8);
    bytes[2] = static_cast<unsigned char>(stored >> 16);
    bytes[3] = static_cast<unsigned char>(stored >> 24);
    if (length)
        std::memcpy(bytes + kClipboardBlockHeaderSize, data, length);
}

bool readClipboardBlock(const void* block, size_t blockSize, std::vector<char>& data)
{
    data.clear();
    if (!block || blockSize < kClipboardBlockHeaderSize)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(block);
    const uint32_t stored = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                            static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    const size_t available = blockSize - kClipboardBlockHeaderSize;
    const size_t length = stored < available ? stored : available;
    const char* first = reinterpret_cast<const char*>(bytes + kClipboardBlockHeaderSize);
    data.assign(first, first + length);
    return stored <= available;
}

void readClipboardText(const void* block, size_t blockSize, ustring& text)
{
    text.clear();
    if (!block)
        return;
    const auto* bytes = static_cast<const unsigned char*>(block);
    const size_t units = blockSize / 2;
    size_t length = 0;
    while (length < units && (bytes[2 * length] | bytes[2 * length + 1]))
        ++length;
    text.resize(length);
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<uchar>(bytes[2 * i] | bytes[2 * i + 1] << 8);
}
