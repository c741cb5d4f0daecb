#include "filesystem/change_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/unicode.h"

namespace {

using slate::kChangeRecordHeaderBytes;

struct Record {
    uint32_t next;
    uint32_t action;
    uint32_t nameBytes;
    const char16_t* name; // its units are written whatever nameBytes says
};

std::vector<uint8_t> bufferOf(const std::vector<Record>& records)
{
    std::vector<uint8_t> buffer;
    for (const Record& record : records) {
        const uint32_t header[3] = {record.next, record.action, record.nameBytes};
        const size_t start = buffer.size();
        buffer.resize(start + sizeof(header));
        std::memcpy(buffer.data() + start, header, sizeof(header));
        const ustring name = record.name;
        const size_t nameStart = buffer.size();
        buffer.resize(nameStart + name.size() * 2);
        std::memcpy(buffer.data() + nameStart, name.data(), name.size() * 2);
    }
    return buffer;
}

// The records visited, as "action:name" joined by spaces.
std::string walk(const std::vector<uint8_t>& buffer, size_t byteCount)
{
    std::string visited;
    slate::readChangeRecords(buffer.data(), byteCount, [&](uint32_t action, const ustring& name) {
        visited += (visited.empty() ? "" : " ") + std::to_string(action) + ":" + toUtf8(name);
    });
    return visited;
}

TEST(ChangeRecords, WalkStaysInsideTheBuffer)
{
    const uint32_t kHeader = kChangeRecordHeaderBytes;
    struct Case {
        const char* name;
        std::vector<Record> records;
        int cut; // bytes left off the end of the buffer
        const char* visited;
    };
    const Case cases[] = {
        {"a chain ends at the record with no next", {{kHeader + 4, 1, 4, u"ab"}, {0, 3, 2, u"c"}}, 0, "1:ab 3:c"},
        {"an empty name", {{0, 2, 0, u""}}, 0, "2:"},
        {"an odd name length drops the last byte", {{0, 1, 3, u"ab"}}, 0, "1:a"},
        {"a header cut short is not read", {{kHeader + 2, 1, 2, u"a"}, {0, 1, 0, u""}}, 1, "1:a"},
        {"a name past the end is not read", {{0, 1, 6, u"ab"}}, 0, ""},
        {"a name length that wraps a 32-bit sum", {{0, 1, 0xFFFFFFF8u, u"ab"}}, 0, ""},
        {"a next offset past the end", {{0x7FFFFFF0u, 1, 2, u"a"}, {0, 2, 2, u"b"}}, 0, "1:a"},
        {"a next offset that would wrap back to the start",
         {{kHeader + 2, 1, 2, u"a"}, {0xFFFFFFFFu - (kHeader + 2) + 1, 2, 2, u"b"}},
         0,
         "1:a 2:b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> buffer = bufferOf(c.records);
        EXPECT_EQ(walk(buffer, buffer.size() - size_t(c.cut)), c.visited);
    }
}

TEST(ChangeRecords, NothingIsReadFromABufferShorterThanAHeader)
{
    const std::vector<uint8_t> buffer = bufferOf({{0, 1, 0, u""}});
    for (size_t size = 0; size < kChangeRecordHeaderBytes; ++size) {
        SCOPED_TRACE(size);
        EXPECT_EQ(walk(buffer, size), "");
    }
}

} // namespace

// A change queued behind others: "path:flags" of the queue afterwards.
TEST(ChangeRecords, QueuedChangeFoldsIntoTheLatestChangeOfItsPath)
{
    using slate::FileChange;
    const int32_t M = slate::FileChangeModified, A = slate::FileChangeAdded, R = slate::FileChangeRemoved;
    struct Case {
        const char* name;
        std::vector<FileChange> pending;
        FileChange change;
        std::vector<FileChange> expected;
    };
    const Case cases[] = {
        {"a write folds into a creation", {{u"a", A}}, {u"a", M}, {{u"a", A}}},
        {"a write folds into a write", {{u"a", M}}, {u"a", M}, {{u"a", M}}},
        {"a second creation folds", {{u"a", A}}, {u"a", A}, {{u"a", A}}},
        // A file of a directory that arrived whole, whose write was queued
        // before the directory was listed, stays new to the listeners.
        {"a creation turns a queued write into a creation", {{u"a", M}, {u"b", A}}, {u"a", A},
         {{u"a", A}, {u"b", A}}},
        {"a removal is always queued", {{u"a", A}}, {u"a", R}, {{u"a", A}, {u"a", R}}},
        {"a creation after a removal is queued", {{u"a", M}, {u"a", R}}, {u"a", A},
         {{u"a", M}, {u"a", R}, {u"a", A}}},
        {"another path is queued", {{u"a", A}}, {u"b", M}, {{u"a", A}, {u"b", M}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<FileChange> pending = c.pending;
        slate::queueFileChange(pending, c.change);
        EXPECT_EQ(c.expected, pending);
    }
}
