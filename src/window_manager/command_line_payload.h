// The record a second start of the program hands to the running one: the
// sender's current directory and its command-line arguments, in the flat
// layout of byte_buffer.h (int32 counts, UTF-16 units, little-endian):
//
//   int32 directory length | directory units
//   int32 argument count   | count x (int32 length | units)
//
// It travels inside a WM_COPYDATA message marked with kCommandLineCopyDataId.
// The bytes come from another process, so the reader trusts none of the
// counts in them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/byte_buffer.h"
#include "ui/ustring.h"

// Window message asking whether a window belongs to this program; the
// program's own windows answer it with the same number.
constexpr unsigned WM_INSTANCE_PING = 1112;
// The dwData of the WM_COPYDATA that carries a command-line record.
constexpr uintptr_t kCommandLineCopyDataId = 88;

// Appends the record to `buffer`.
void writeCommandLinePayload(WriteBuffer& buffer, const ustring& directory,
                             const std::vector<ustring>& arguments);

// Decodes the `size` bytes at `data` into `directory` and `arguments`
// (both replaced). A malformed record is read as far as it goes: a string
// cut short by the end reads as the units present, a missing or negative
// count as no arguments, and reading stops where the bytes stop, whatever
// the count promised, so the work and memory are bounded by `size`. True
// when every count was honoured and nothing was cut short.
bool readCommandLinePayload(const void* data, size_t size, ustring& directory,
                            std::vector<ustring>& arguments);
