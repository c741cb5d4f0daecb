// Replays every input in tests/data/hostile (see its README) through the
// entry point its name starts with. Each must be refused with a clear error
// or handled correctly, within a thread stack the size of the program's
// worker threads, and without a large allocation.
#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "ui/cache_file.h"
#include "ui/text/encoding.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"

namespace {

const std::string kHostileDirectory = VANTREL_TEST_DATA_DIR "/hostile";

// The program's worker threads have 1 MB stacks; the sanitizers' larger
// frames get proportionally more.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kWorkerStack = 4u << 20;
#else
constexpr size_t kWorkerStack = 1u << 20;
#endif

// Runs `work` on a thread with a stack of kWorkerStack bytes and waits.
void onWorkerStack(const std::function<void()>& work)
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kWorkerStack);
    pthread_t thread;
    auto run = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(0, pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&work)));
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Property lists (and grammars, which are property lists) load or throw
// ParseException; nothing else may happen.
void replayPropertyList(const std::string& path, bool mustFail)
{
    bool failed = false;
    std::string message;
    onWorkerStack([&] {
        PlistValue value;
        try {
            loadPlist(toUstring(path), value, false);
        } catch (const ParseException& error) {
            failed = true;
            message = error.what();
        }
    });
    if (mustFail) {
        EXPECT_TRUE(failed) << "loaded without an error";
    }
    if (failed) {
        EXPECT_NE(std::string::npos, message.find(path)) << "the error names the file: " << message;
    }
}

// A cache read with the file's own version word: refused, or a record no
// longer than the stated size.
void replayCache(const std::string& path)
{
    const std::string bytes = readBytes(path);
    ASSERT_GE(bytes.size(), 8u);
    int32_t version;
    uint32_t stated;
    std::memcpy(&version, bytes.data(), 4);
    std::memcpy(&stated, bytes.data() + 4, 4);
    ReadBuffer record;
    if (readCacheFile(toUstring(path), version, record)) {
        EXPECT_LE(record.size(), stated);
    }
}

// Decoded with detection: either some bytes count as lost, or saving the
// text in the detected encoding gives the file back unchanged.
void replayFileDecoding(const std::string& path)
{
    const std::string bytes = readBytes(path);
    const auto* input = reinterpret_cast<const unsigned char*>(bytes.data());
    std::vector<uchar> units(bytes.size() + 1);
    FileEncoding encoding = 0;
    uchar* output = units.data();
    const size_t lost = decodeWithDetection(encoding, 0, input, input + bytes.size(), output, bytes.size(), true);
    if (lost)
        return;
    std::string saved(bytes.size() * 3 + 4, '\0');
    const uchar* source = units.data();
    const size_t written = encodeChunk(encoding, source, output, reinterpret_cast<unsigned char*>(&saved[0]),
                                       saved.size(), true);
    saved.resize(written);
    EXPECT_EQ(bytes, saved) << "decoded as " << encoding << " without a loss, but saving changes the file";
}

// The strict whole-string conversion refuses the bytes or converts them
// both ways without a change.
void replayStrictConversion(const std::string& path)
{
    const std::string bytes = readBytes(path);
    const ustring text = toUstring(bytes);
    if (!text.empty()) {
        EXPECT_EQ(bytes, toUtf8(text));
    }
}

struct EntryPoint {
    const char* prefix;
    std::function<void(const std::string& path)> replay;
    const char* skipReason; // non-null: replayed elsewhere
};

const EntryPoint kEntryPoints[] = {
    {"plist-xml-deep-", [](const std::string& path) { replayPropertyList(path, true); }, nullptr},
    {"plist-xml-", [](const std::string& path) { replayPropertyList(path, false); }, nullptr},
    {"grammar-xml-", [](const std::string& path) { replayPropertyList(path, false); }, nullptr},
    {"grammar-include-chain-", nullptr, "grammar context loading: replayed by the grammar loader's tests"},
    {"grammar-quadratic-", nullptr, "grammar context loading: replayed by the grammar loader's tests"},
    {"cache-file-", replayCache, nullptr},
    {"encoding-utf8-", replayFileDecoding, nullptr},
    {"unicode-utf8-", replayStrictConversion, nullptr},
};

std::vector<std::string> hostileFiles()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kHostileDirectory)) {
        const std::string name = entry.path().filename().string();
        if (name != "README.md")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class HostileInput : public ::testing::TestWithParam<std::string> {};

TEST_P(HostileInput, IsRefusedOrHandled)
{
    const std::string& name = GetParam();
    const EntryPoint* entry = nullptr;
    for (const EntryPoint& candidate : kEntryPoints) {
        if (name.compare(0, std::strlen(candidate.prefix), candidate.prefix) == 0) {
            entry = &candidate;
            break;
        }
    }
    ASSERT_NE(nullptr, entry) << "no entry point replays " << name;
    if (entry->skipReason)
        GTEST_SKIP() << entry->skipReason;
    entry->replay(kHostileDirectory + "/" + name);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInput, ::testing::ValuesIn(hostileFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });

} // namespace
