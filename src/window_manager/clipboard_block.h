// The layouts of the memory blocks the program puts on the system clipboard
// and takes from it, apart from the clipboard calls themselves
// (clipboard.h), so that the decoding of what other programs may have put
// there is portable, tested natively and fuzzed.
//
// A block of a private format: a 32-bit little-endian byte count, then that
// many bytes.
//
//   +--------------------+---------------------+
//   | uint32 length (LE) | length bytes of data |
//   +--------------------+---------------------+
//
// A Unicode text block: UTF-16 units, normally ending in a NUL unit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/ustring.h"

constexpr size_t kClipboardBlockHeaderSize = 4;

// The size of the block that carries `length` bytes of private data.
inline size_t clipboardBlockSize(size_t length) { return kClipboardBlockHeaderSize + length; }

// Writes the header and the `length` bytes at `data` into `block`, which
// holds clipboardBlockSize(length) bytes. `length` must fit 32 bits.
void writeClipboardBlock(void* block, const void* data, size_t length);

// Replaces `data` with the private data of a block of `blockSize` bytes as
// the system reports its size. Any program can put data under a private
// format, so the stored length is not trusted: only the bytes the block
// really holds after the header are taken. True when the stored length
// matched them (or fewer bytes were promised than the block holds, the rest
// being the system's rounding); false, with what fitted, when it promised
// more, or the block is too short for the header (data then empty).
bool readClipboardBlock(const void* block, size_t blockSize, std::vector<char>& data);

// Replaces `text` with the text of a Unicode text block of `blockSize` bytes:
// the units before the first NUL, or all of them when there is none (an odd
// last byte is dropped).
void readClipboardText(const void* block, size_t blockSize, ustring& text);
