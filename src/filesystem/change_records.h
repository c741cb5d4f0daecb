// The change records a directory watch request fills in: a chain of
// variable-length records, each laid out as the system writes them (32-bit
// fields in the machine's byte order):
//
//   offset 0   next-record offset (from this record's start; 0 on the last)
//   offset 4   action (added, removed, modified, renamed old, renamed new)
//   offset 8   name length in bytes
//   offset 12  name, UTF-16, not terminated
//
// The buffer comes back from the system with whatever length it reports, so
// the walk trusts none of the offsets or lengths. Neutral code: the watcher's
// Win32 side hands the bytes over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "filesystem/file_system.h"
#include "ui/ustring.h"

namespace slate {

// The bytes before a record's name.
constexpr size_t kChangeRecordHeaderBytes = 12;

// Calls `visit` with the action and name of each record in the first
// `byteCount` bytes of `buffer`, in order. The walk stops at the last record,
// at a record whose header or name does not fit in the buffer (not visited),
// and at a next-record offset that leads past the end. A name of an odd
// number of bytes drops its last byte.
void readChangeRecords(const uint8_t* buffer, size_t byteCount,
                       const std::function<void(uint32_t action, const ustring& name)>& visit);

// Appends `change` to `pending` (a watcher's queue, in arrival order) unless
// the latest queued change of the same path already covers it: a write or a
// creation folds into a queued creation, and a write into a queued write. A
// creation that meets a queued write turns that write into a creation, so a
// file that is new to the listeners is never reported as merely written
// (per-directory requests interleave, so the write can be queued first).
// Removals are always appended.
void queueFileChange(std::vector<FileChange>& pending, FileChange change);

} // namespace slate
