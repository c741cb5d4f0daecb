// Saving a token storage: line endings, byte-order marks, the fall-back to
// UTF-8, unpaired surrogates, and failed saves that must leave the original
// file untouched.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "ui/text/file_buffer_source.h"
#include "ui/text/token/token_storage.h"
#include "ui/unicode.h"

namespace {

class TokenWriting : public testing::Test {
protected:
    TokenWriting()
    {
        static int s_counter = 0;
        folder = std::filesystem::temp_directory_path() /
                 ("vantrel-writing-" + std::to_string(::getpid()) + "-" + std::to_string(s_counter++));
        std::filesystem::create_directories(folder);
    }
    ~TokenWriting() override
    {
        std::error_code ignored;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(folder, ignored);
    }

    std::string path(const char* name) const { return (folder / name).string(); }

    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    static void put(const std::string& file, const std::string& bytes)
    {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    }

    std::filesystem::path folder;
};

TEST_F(TokenWriting, LineEndingsAndByteOrderMarks)
{
    struct Case {
        const char* name;
        LineEnding ending;
        FileEncoding encoding;
        const char16_t* text;
        std::string bytes;
    };
    const Case cases[] = {
        {"Windows line ends", kLineEndingWindows, kEncodingUtf8, u"a\nb\n", "a\r\nb\r\n"},
        {"Unix line ends", kLineEndingUnix, kEncodingUtf8, u"a\nb", "a\nb"},
        {"Mac line ends", kLineEndingMac, kEncodingUtf8, u"a\n", "a\r"},
        {"UTF-8 with its mark", kLineEndingUnix, kEncodingUtf8WithBom, u"\xE9", "\xEF\xBB\xBF\xC3\xA9"},
        {"empty text: only the mark", kLineEndingUnix, kEncodingUtf16LEWithBom, u"", "\xFF\xFE"},
        {"UTF-16 BE", kLineEndingWindows, kEncodingUtf16BE, u"a\n", std::string("\0a\0\r\0\n", 6)},
        {"Windows 1252", kLineEndingUnix, kEncodingWindows1252, u"\x20AC", "\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenStorage storage;
        storage.insert(0, c.text);
        storage.setLineEnding(c.ending);
        FileBufferSource source(toUstring(path("out.txt")), kEncodingUndefined);
        ASSERT_TRUE(storage.write(&source, c.encoding));
        EXPECT_EQ(read(path("out.txt")), c.bytes);
        EXPECT_EQ(storage.encoding(), c.encoding);
    }
}

TEST_F(TokenWriting, UnrepresentableCharactersFallBackToUtf8)
{
    TokenStorage storage;
    storage.setLineEnding(kLineEndingUnix);
    storage.insert(0, u"\x3B1 and e\n");
    FileBufferSource source(toUstring(path("greek.txt")), kEncodingUndefined);
    ASSERT_TRUE(storage.write(&source, kEncodingWindows1252));
    EXPECT_EQ(read(path("greek.txt")), "\xCE\xB1 and e\n");
    EXPECT_EQ(storage.encoding(), kEncodingUtf8);
}

TEST_F(TokenWriting, UnpairedSurrogatesAreWrittenNotDroppedOrLoopedOn)
{
    struct Case {
        const char* name;
        std::vector<ustring> inserts; // inserted in order at the end
        std::string bytes;
    };
    const Case cases[] = {
        {"a lone high surrogate ends the text", {u"ab\xD800"}, "ab\xED\xA0\x80"},
        {"a lone high surrogate ends a line", {u"a\xD800\nb"}, "a\xED\xA0\x80\nb"},
        {"a pair split between two tokens", {u"x \xD83D", u"\xDE00 y"}, "x \xF0\x9F\x98\x80 y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenStorage storage;
        storage.setLineEnding(kLineEndingUnix);
        for (const ustring& text : c.inserts)
            storage.insert(storage.size(), text);
        FileBufferSource source(toUstring(path("pairs.txt")), kEncodingUndefined);
        ASSERT_TRUE(storage.write(&source, kEncodingUtf8));
        EXPECT_EQ(read(path("pairs.txt")), c.bytes);
    }
}

TEST_F(TokenWriting, AFailedSaveLeavesTheOriginalByteForByte)
{
    const std::string original = "original\r\ncontents\r\n";
    const std::string readOnly = path("read-only.txt");
    put(readOnly, original);
    ::chmod(readOnly.c_str(), 0444);
    // A folder that can no longer take the temporary file.
    const std::string locked = path("locked");
    std::filesystem::create_directories(locked);
    const std::string inLocked = locked + "/file.txt";
    put(inLocked, original);
    ::chmod(locked.c_str(), 0555);

    for (const std::string& target : {readOnly, inLocked}) {
        SCOPED_TRACE(target);
        if (::geteuid() == 0 && target == inLocked)
            continue; // root writes into any folder
        TokenStorage storage;
        storage.insert(0, u"new text\n");
        storage.setEncoding(kEncodingUtf16LE);
        FileBufferSource source(toUstring(target), kEncodingUndefined);
        EXPECT_FALSE(storage.write(&source, kEncodingUtf8));
        EXPECT_EQ(read(target), original);
        EXPECT_EQ(storage.encoding(), kEncodingUtf16LE);
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(target).parent_path()))
            EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    }
    ::chmod(locked.c_str(), 0755);
}

// The text goes to the temporary file as it is encoded; a write the system
// refuses part way through (here at the process's file-size limit, after
// several chunks went in) fails the save, leaves the original byte for byte
// and removes the temporary file.
TEST_F(TokenWriting, ASaveCutShortPartWayLeavesTheOriginalByteForByte)
{
    const std::string original = "original\r\n";
    const std::string target = path("big.txt");
    put(target, original);
    TokenStorage storage;
    ustring text;
    for (int i = 0; i < 20000; ++i)
        text += u"a line of text that makes the file grow\n";
    storage.insert(0, text);
    FileBufferSource source(toUstring(target), kEncodingUndefined);

    rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
    rlimit limited = saved;
    limited.rlim_cur = 300000;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limited));
    const bool written = storage.write(&source, kEncodingUtf8);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(read(target), original);
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++entries;
        EXPECT_EQ(entry.path().filename(), "big.txt");
    }
    EXPECT_EQ(entries, 1u);
    // Without the limit the same save goes through.
    EXPECT_TRUE(storage.write(&source, kEncodingUtf8));
    EXPECT_EQ(read(target).size(), text.size() + 20000); // each break as CR LF
}

TEST_F(TokenWriting, OurOwnSaveIsNoChangeOnDisk)
{
    const std::string file = path("watched.txt");
    put(file, "one");
    FileBufferSource source(toUstring(file), kEncodingUndefined);
    EXPECT_EQ(source.displayName(), u"watched.txt");
    source.refreshFileStat();
    TokenStorage storage;
    storage.insert(0, u"two, longer");
    ASSERT_TRUE(storage.write(&source, kEncodingUtf8));
    EXPECT_FALSE(source.hasChangedOnDisk());
    put(file, "changed outside");
    EXPECT_TRUE(source.hasChangedOnDisk());
    EXPECT_FALSE(source.hasChangedOnDisk());
    std::filesystem::remove(file);
    EXPECT_FALSE(source.hasChangedOnDisk());
    EXPECT_FALSE(storage.write(nullptr, kEncodingUtf8));
}

} // namespace
