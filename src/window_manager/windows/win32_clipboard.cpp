// The clipboard through Win32. Blocks are allocated movable and shareable,
// as the clipboard requires; a block the clipboard did not take is freed
// here. Blocks read back are measured with GlobalSize, the only size that
// can be trusted, before their contents are decoded (clipboard_block.h).
#define NOMINMAX
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "filesystem/native_file.h"
#include "ui/log.h"
#include "ui/system_error.h"
#include "window_manager/windows/clipboard.h"
#include "window_manager/clipboard_block.h"

namespace {

// Places `size` bytes made by `fill` under `format`. False, with the block
// freed, when that fails.
template <typename Fill>
bool placeBlock(UINT format, size_t size, Fill fill)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    if (!block)
        return false;
    void* bytes = GlobalLock(block);
    if (!bytes) {
        GlobalFree(block);
        return false;
    }
    fill(bytes);
    GlobalUnlock(block);
    if (!SetClipboardData(format, block)) {
        const DWORD error = GetLastError();
        GlobalFree(block);
        SetLastError(error);
        return false;
    }
    return true;
}

// Logs `what` with the system's text for the failure just seen, read before
// the log record can disturb it.
void logFailure(const uchar* what)
{
    const ustring reason = lastErrorMessage();
    VLOG << what << reason;
}

UINT registerFormat(const ustring& formatName)
{
    return formatName.empty() ? 0 : RegisterClipboardFormatW(wide(formatName));
}

} // namespace

bool copyToClipboard(const ustring& text, const ustring& formatName, const void* data, size_t length)
{
    const UINT format = registerFormat(formatName);
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();

    if (!text.empty()) {
        const size_t size = (text.size() + 1) * sizeof(uchar);
        const bool placed = placeBlock(CF_UNICODETEXT, size, [&](void* bytes) {
            std::memcpy(bytes, text.c_str(), size); // with the terminating NUL
        });
        if (!placed)
            logFailure(u"Unable to copy to clipboard: ");
    }

    if (!formatName.empty() && data && length) {
        // The header holds a 32-bit length; nothing larger can be described.
        const bool placed = format && length <= UINT32_MAX - kClipboardBlockHeaderSize &&
                            placeBlock(format, clipboardBlockSize(length), [&](void* bytes) {
                                writeClipboardBlock(bytes, data, length);
                            });
        if (!placed)
            logFailure(u"Unable to copy extra data to clipboard: ");
    }

    return CloseClipboard() != FALSE;
}

bool copyFromClipboard(ustring& text, const ustring& formatName, std::vector<char>* data)
{
    const UINT format = registerFormat(formatName);
    if (!OpenClipboard(nullptr))
        return false;

    text.clear();
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
        if (const void* bytes = GlobalLock(block)) {
            readClipboardText(bytes, GlobalSize(block), text);
            GlobalUnlock(block);
        }
    }

    if (!formatName.empty() && data) {
        data->clear();
        if (format) {
            if (HANDLE block = GetClipboardData(format)) {
                if (const void* bytes = GlobalLock(block)) {
                    readClipboardBlock(bytes, GlobalSize(block), *data);
                    GlobalUnlock(block);
                } else {
                    logFailure(u"Unable to lock extra data to clipboard: ");
                }
            }
        }
    }

    return CloseClipboard() != FALSE;
}
