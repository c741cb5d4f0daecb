// The record a second start of the program hands to the running one: the
// sender's current directory and its command-line arguments, in the flat
// layout of byte_buffer.h (int32 counts, UTF-16 units, little-endian):
//
//   int32 directory length | directory units
//   int32 argument count   | count x (int32 length | units)
//
// It travels inside a WM_COPYDATA message marked with kCommandLineCopyDataId.
// The bytes come from any local process, so the reader trusts none of the
// counts in them and refuses a record that does not add up exactly.
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

// The largest record a running instance accepts. A command line holds at
// most 32767 units and a directory no more, so a real record stays far
// below this; anything larger is not a hand-over.
constexpr size_t kMaxCommandLinePayloadBytes = 1 << 20;

// Decodes the `size` bytes at `data` into `directory` and `arguments`
// (both replaced). The record is taken whole or not at all: it is refused,
// with both outputs left empty, when it is larger than
// kMaxCommandLinePayloadBytes, when a length or the count is negative or
// promises more than the bytes left, or when bytes remain after the last
// argument (a truncated record, or one of odd size). Nothing is read past
// `data + size`, and the work and memory are bounded by `size`. True when
// the record was taken.
bool readCommandLinePayload(const void* data, size_t size, ustring& directory,
                            std::vector<ustring>& arguments);
