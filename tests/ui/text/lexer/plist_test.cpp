#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "filesystem/posix_file_system.h"
#include "filesystem/memory_file_system.h"
#include "support/fixture_grammars.h"
#include "support/scratch_folder.h"
#include "ui/byte_buffer.h"
#include "ui/cache_file.h"
#include "ui/log.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"
#include "ui/xml_settings.h"

namespace {

const char* const kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";

std::string plistDocument(const std::string& body)
{
    return std::string(kHeader) + "<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

// Deep equality of two trees, with the path of the first difference.
::testing::AssertionResult sameTree(const PlistValue& a, const PlistValue& b, const std::string& where = "root")
{
    if (a.has_value() != b.has_value() || (a.has_value() && a.type() != b.type()))
        return ::testing::AssertionFailure() << where << ": different kinds";
    if (!a.has_value())
        return ::testing::AssertionSuccess();
    if (const auto* array = std::any_cast<PlistArray>(&a)) {
        const auto& other = std::any_cast<const PlistArray&>(b);
        if (array->size() != other.size())
            return ::testing::AssertionFailure() << where << ": array sizes " << array->size() << " and "
                                                 << other.size();
        for (size_t i = 0; i < array->size(); ++i) {
            auto result = sameTree((*array)[i], other[i], where + "[" + std::to_string(i) + "]");
            if (!result)
                return result;
        }
        return ::testing::AssertionSuccess();
    }
    if (const auto* dict = std::any_cast<PlistDict>(&a)) {
        const auto& other = std::any_cast<const PlistDict&>(b);
        if (dict->size() != other.size())
            return ::testing::AssertionFailure() << where << ": dict sizes " << dict->size() << " and "
                                                 << other.size();
        for (const auto& entry : *dict) {
            auto found = other.find(entry.first);
            if (found == other.end())
                return ::testing::AssertionFailure() << where << ": key " << toUtf8(entry.first) << " missing";
            auto result = sameTree(entry.second, found->second, where + "." + toUtf8(entry.first));
            if (!result)
                return result;
        }
        return ::testing::AssertionSuccess();
    }
    if (const auto* text = std::any_cast<ustring>(&a)) {
        if (*text == std::any_cast<const ustring&>(b))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << where << ": strings differ";
    }
    if (const auto* number = std::any_cast<int>(&a)) {
        if (*number == std::any_cast<int>(b))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << where << ": integers differ";
    }
    if (std::any_cast<bool>(a) == std::any_cast<bool>(b))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << where << ": booleans differ";
}

// A tree that holds every kind of value, including the awkward ones.
PlistValue everyKindTree()
{
    PlistDict inner(11);
    inner[u"empty string"] = ustring();
    inner[u"negative"] = -2147483647 - 1;
    inner[u"non-BMP \U0001F600"] = ustring(u"surrogates \U0001F600 and \u00e9");
    PlistArray array;
    array.push_back(ustring(u"first"));
    array.push_back(42);
    array.push_back(true);
    array.push_back(false);
    array.push_back(PlistValue());
    array.push_back(PlistArray());
    array.push_back(PlistDict(11));
    array.push_back(inner);
    PlistDict root(11);
    root[u"name"] = ustring(u"Every kind");
    root[u"array"] = array;
    root[u"nested"] = inner;
    root[u""] = ustring(u"empty key");
    return root;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

void setModificationTime(const std::string& path, time_t seconds)
{
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
}

std::string parseErrorOf(const ustring& path, bool allowCache = false)
{
    PlistValue value;
    try {
        loadPlist(path, value, allowCache);
    } catch (const ParseException& error) {
        return error.what();
    }
    return "(no error)";
}

// A scratch folder for one test.
class PlistTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
    }

    std::string nativeName(const std::string& name) const { return m_directory + "/" + name; }

    // Writes a file into the test directory; its native path as ustring.
    ustring file(const std::string& name, const std::string& bytes)
    {
        writeFile(nativeName(name), bytes);
        return toUstring(nativeName(name));
    }

    PlistValue load(const ustring& path, bool allowCache)
    {
        PlistValue value;
        loadPlist(path, value, allowCache);
        return value;
    }

    test_support::ScratchFolder m_folder{"vantrel-plist"};
    const std::string m_directory = m_folder.path().string();
};

TEST_F(PlistTest, ReadsEveryElementKind)
{
    ustring path = file("kinds.plist", plistDocument(R"(<dict>
	<key>name</key>
	<string>C &amp; C++</string>
	<key>count</key>
	<integer>-17</integer>
	<key>yes</key>
	<true/>
	<key>no</key>
	<false/>
	<key>list</key>
	<array>
		<string>a</string>
		<!-- comments are not elements -->
		<dict/>
		<array/>
		<string/>
	</array>
</dict>)"));
    PlistValue value = load(path, false);

    const auto& root = std::any_cast<const PlistDict&>(value);
    EXPECT_EQ(5u, root.size());
    EXPECT_EQ(u"C & C++", std::any_cast<const ustring&>(root.at(u"name")));
    EXPECT_EQ(-17, std::any_cast<int>(root.at(u"count")));
    EXPECT_TRUE(std::any_cast<bool>(root.at(u"yes")));
    EXPECT_FALSE(std::any_cast<bool>(root.at(u"no")));
    const auto& list = std::any_cast<const PlistArray&>(root.at(u"list"));
    ASSERT_EQ(4u, list.size());
    EXPECT_EQ(u"a", std::any_cast<const ustring&>(list[0]));
    EXPECT_TRUE(std::any_cast<const PlistDict&>(list[1]).empty());
    EXPECT_TRUE(std::any_cast<const PlistArray&>(list[2]).empty());
    EXPECT_EQ(u"", std::any_cast<const ustring&>(list[3]));
}

TEST_F(PlistTest, StringsKeepTheirWhiteSpaceExactly)
{
    struct Case {
        const char* name;
        std::string xml;
        ustring expected;
    };
    const Case cases[] = {
        {"leading blanks and a line break", "<string>  two\n  lines </string>", u"  two\n  lines "},
        {"tabs", "<string>\ta\t\tb</string>", u"\ta\t\tb"},
        {"CR LF becomes LF", "<string>a\r\nb\rc</string>", u"a\nb\nc"},
        {"only blanks", "<string>   </string>", u"   "},
        {"only a line break", "<string>\n</string>", u"\n"},
        {"CDATA", "<string><![CDATA[ <x> & y ]]></string>", u" <x> & y "},
        {"entities", "<string>&lt;&#x41;&#66;&gt;</string>", u"<AB>"},
        {"UTF-8", "<string>caf\xc3\xa9 \xf0\x9f\x98\x80</string>", u"caf\u00e9 \U0001F600"},
        {"blank string inside a comment stays a comment", "<string>x<!-- <string> </string> --></string>", u"x"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ustring path = file("string.plist", plistDocument(row.xml));
        PlistValue value = load(path, false);
        EXPECT_EQ(row.expected, std::any_cast<const ustring&>(value));
    }
}

TEST_F(PlistTest, IntegersReadLeadingDigits)
{
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"12abc", 12}, {"  -7", -7}, {"+5", 5}, {"", 0}, {"abc", 0}, {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.text);
        ustring path = file("integer.plist", plistDocument(std::string("<integer>") + row.text + "</integer>"));
        EXPECT_EQ(row.expected, std::any_cast<int>(load(path, false)));
    }
}

TEST_F(PlistTest, OnlyTheFirstChildOfTheRootIsRead)
{
    ustring path = file("two.plist", plistDocument("<string>first</string><string>second</string>"));
    EXPECT_EQ(u"first", std::any_cast<const ustring&>(load(path, false)));
}

TEST_F(PlistTest, StructureErrorsHaveTheirOwnMessages)
{
    struct Case {
        const char* name;
        std::string body;
        std::string message;
    };
    const Case cases[] = {
        {"key without value", "<dict><key>a</key></dict>", "Expected value"},
        {"value without key", "<dict><string>a</string><string>b</string></dict>", "Expected element key"},
        {"empty key", "<dict><key></key><string>b</string></dict>", "Empty key"},
        {"blank key", "<dict><key>  </key><string>b</string></dict>", "Empty key"},
        {"duplicate key", "<dict><key>a</key><true/><key>a</key><false/></dict>", "Duplicate key"},
        {"real", "<array><real>1.5</real></array>", "Unrecognised plist element real"},
        {"date", "<date>2024-01-01T00:00:00Z</date>", "Unrecognised plist element date"},
        {"data", "<dict><key>d</key><data>AAAA</data></dict>", "Unrecognised plist element data"},
        {"root without child", "", "Bad XML"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ustring path = file("bad.plist", plistDocument(row.body));
        EXPECT_EQ(row.message, parseErrorOf(path));
    }
}

TEST_F(PlistTest, XmlErrorsNameTheLibraryErrorAndThePath)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"unclosed element", plistDocument("<dict><key>a</key>")},
        {"empty file", ""},
        {"no element at all", "<?xml version=\"1.0\"?>\n<!-- nothing -->\n"},
        {"mismatched tags", plistDocument("<array></dict>")},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ustring path = file("broken.plist", row.bytes);
        const std::string message = parseErrorOf(path);
        const std::string prefix = "Error parsing plist xml: ";
        const std::string suffix = " In file " + toUtf8(path);
        EXPECT_EQ(prefix, message.substr(0, prefix.size())) << message;
        ASSERT_GE(message.size(), prefix.size() + suffix.size()) << message;
        EXPECT_EQ(suffix, message.substr(message.size() - suffix.size())) << message;
        EXPECT_GT(message.size(), prefix.size() + suffix.size()) << "no description: " << message;
    }
}

TEST_F(PlistTest, MissingFileIsAParseError)
{
    const ustring path = toUstring(nativeName("missing.plist"));
    EXPECT_EQ("Error parsing plist xml: Failed to open file In file " + toUtf8(path), parseErrorOf(path, true));
    EXPECT_FALSE(fileExists(nativeName("missing.plist.cache")));
}

TEST_F(PlistTest, FailedLoadLeavesTheOutputUnchanged)
{
    ustring path = file("bad.plist", plistDocument("<array><string>a</string><real>1</real></array>"));
    PlistValue value = ustring(u"before");
    EXPECT_THROW(loadPlist(path, value, false), ParseException);
    EXPECT_EQ(u"before", std::any_cast<const ustring&>(value));
}

TEST_F(PlistTest, DeepNestingIsRefusedWithoutExhaustingTheStack)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<array>";
    ustring path = file("deep.plist", plistDocument(deep));
    const std::string message = parseErrorOf(path);
    EXPECT_EQ(0u, message.find("Error parsing plist xml: ")) << message;

    std::string fine;
    for (int i = 0; i < 200; ++i)
        fine += "<array>";
    for (int i = 0; i < 200; ++i)
        fine += "</array>";
    path = file("fine.plist", plistDocument(fine));
    EXPECT_NO_THROW(load(path, false));
}

TEST(PlistStrings, RequireAndOptionalStringLookups)
{
    PlistDict dict(11);
    dict[u"name"] = ustring(u"Rust");
    dict[u"count"] = 3;

    EXPECT_EQ(u"Rust", requirePlistString(dict, u"name"));
    EXPECT_EQ(u"Rust", plistString(dict, u"name"));
    EXPECT_EQ(u"", plistString(dict, u"scopeName"));
    try {
        requirePlistString(dict, u"scopeName");
        ADD_FAILURE() << "no exception";
    } catch (const ParseException& error) {
        EXPECT_STREQ("Expected key scopeName", error.what());
    }
    EXPECT_THROW(requirePlistString(dict, u"count"), std::bad_any_cast);
    EXPECT_THROW(plistString(dict, u"count"), std::bad_any_cast);
}

TEST(PlistCacheRecord, EveryValueKindRoundTrips)
{
    const PlistValue tree = everyKindTree();
    WriteBuffer written;
    writePlistValue(written, tree);
    ReadBuffer buffer(written.data(), written.size());
    PlistValue read;
    ASSERT_TRUE(readPlistValue(buffer, read));
    EXPECT_TRUE(buffer.atEnd());
    EXPECT_TRUE(sameTree(tree, read));
}

TEST(PlistCacheRecord, HasTheDocumentedLayout)
{
    PlistArray array;
    array.push_back(ustring(u"ab"));
    array.push_back(7);
    array.push_back(true);
    array.push_back(PlistValue());
    WriteBuffer written;
    writePlistValue(written, array);
    const unsigned char expected[] = {
        1, 0, 0, 0, 4, 0, 0, 0,                   // array of 4
        3, 0, 0, 0, 2, 0, 0, 0, 'a', 0, 'b', 0,   // "ab"
        4, 0, 0, 0, 7, 0, 0, 0,                   // 7
        5, 0, 0, 0, 1,                            // true
        0, 0, 0, 0,                               // empty
    };
    ASSERT_EQ(sizeof expected, written.size());
    EXPECT_EQ(0, std::memcmp(expected, written.data(), sizeof expected));
}

TEST(PlistCacheRecord, AnyNonzeroByteReadsAsTrue)
{
    const unsigned char bytes[] = {5, 0, 0, 0, 0x80};
    ReadBuffer buffer(bytes, sizeof bytes);
    PlistValue value;
    ASSERT_TRUE(readPlistValue(buffer, value));
    EXPECT_TRUE(std::any_cast<bool>(value));
}

TEST(PlistCacheRecord, DamagedRecordsAreRefused)
{
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {"unknown tag", {9, 0, 0, 0}},
        {"truncated tag", {1, 0}},
        {"array count beyond the bytes", {1, 0, 0, 0, 0xff, 0xff, 0xff, 0x7f, 0, 0, 0, 0}},
        {"negative array count", {1, 0, 0, 0, 0xff, 0xff, 0xff, 0xff}},
        {"dict count beyond the bytes", {2, 0, 0, 0, 0x00, 0x00, 0x00, 0x40}},
        {"string shorter than its count", {3, 0, 0, 0, 5, 0, 0, 0, 'a', 0}},
        {"missing integer", {4, 0, 0, 0, 1}},
        {"missing bool", {5, 0, 0, 0}},
        {"array element with unknown tag", {1, 0, 0, 0, 1, 0, 0, 0, 6, 0, 0, 0}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ReadBuffer buffer(row.bytes.data(), row.bytes.size());
        PlistValue value;
        EXPECT_FALSE(readPlistValue(buffer, value));
    }

    // Nesting as deep as the record allows, without recursing that deep.
    WriteBuffer deep;
    for (int i = 0; i < 100000; ++i) {
        writeInt32(deep, 1);
        writeInt32(deep, 1);
    }
    writeInt32(deep, 0);
    ReadBuffer buffer(deep.data(), deep.size());
    PlistValue value;
    EXPECT_FALSE(readPlistValue(buffer, value));
}

TEST_F(PlistTest, CacheFileRoundTripsWithItsStamp)
{
    const ustring cache = toUstring(nativeName("tree.cache"));
    const PlistValue tree = everyKindTree();
    FileStat stamp;
    stamp.modificationTime = 0x0123456789abcdefLL;
    stamp.size = 0x100000001LL;
    ASSERT_TRUE(writePlistCache(cache, tree, stamp));

    PlistValue read;
    ASSERT_TRUE(readPlistCache(cache, read, stamp));
    EXPECT_TRUE(sameTree(tree, read));

    FileStat otherTime = stamp;
    otherTime.modificationTime += 1;
    FileStat otherSize = stamp;
    otherSize.size -= 1;
    PlistValue untouched = ustring(u"untouched");
    EXPECT_FALSE(readPlistCache(cache, untouched, otherTime));
    EXPECT_FALSE(readPlistCache(cache, untouched, otherSize));
    EXPECT_EQ(u"untouched", std::any_cast<const ustring&>(untouched));

    // A record that holds only the value (no stamp) is not trusted.
    WriteBuffer valueOnly;
    writePlistValue(valueOnly, tree);
    ASSERT_TRUE(writeCacheFile(cache, kPropertyListCacheVersion, valueOnly));
    EXPECT_FALSE(readPlistCache(cache, read, stamp));
}

TEST_F(PlistTest, CacheIsWrittenOnlyWhenAllowed)
{
    ustring path = file("a.tmLanguage", plistDocument("<dict><key>k</key><string>v</string></dict>"));
    const std::string cache = nativeName("a.tmLanguage.cache");

    load(path, false);
    EXPECT_FALSE(fileExists(cache));
    load(path, true);
    EXPECT_TRUE(fileExists(cache));

    // With caching off even a matching cache is not read.
    FileStat stamp;
    ASSERT_TRUE(stamp.read(path));
    ASSERT_TRUE(writePlistCache(toUstring(cache), ustring(u"from the cache"), stamp));
    PlistValue value = load(path, false);
    EXPECT_NE(nullptr, std::any_cast<PlistDict>(&value));
}

TEST_F(PlistTest, CacheMatchingTheSourceStampIsUsed)
{
    ustring path = file("a.tmLanguage", plistDocument("<string>from the XML</string>"));
    const ustring cache = path + u".cache";
    FileStat stamp;
    ASSERT_TRUE(stamp.read(path));
    ASSERT_TRUE(writePlistCache(cache, ustring(u"from the cache"), stamp));

    EXPECT_EQ(u"from the cache", std::any_cast<const ustring&>(load(path, true)));
}

TEST_F(PlistTest, StaleCacheIsIgnoredAndRewritten)
{
    struct Case {
        const char* name;
        int64_t timeChange;
        int64_t sizeChange;
    };
    // A cache recorded for a newer source is stale too: the source may have
    // been replaced by an older copy.
    const Case cases[] = {
        {"source is newer", -10000000, 0},
        {"source is older", 10000000, 0},
        {"same time, other size", 0, 1},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ustring path = file("a.tmLanguage", plistDocument("<string>from the XML</string>"));
        setModificationTime(toUtf8(path), 1500000000);
        const ustring cache = path + u".cache";
        FileStat stamp;
        ASSERT_TRUE(stamp.read(path));
        FileStat recorded = stamp;
        recorded.modificationTime += row.timeChange;
        recorded.size += row.sizeChange;
        ASSERT_TRUE(writePlistCache(cache, ustring(u"from the cache"), recorded));

        EXPECT_EQ(u"from the XML", std::any_cast<const ustring&>(load(path, true)));
        // The load healed the cache: it now matches and is used.
        PlistValue cached;
        ASSERT_TRUE(readPlistCache(cache, cached, stamp));
        EXPECT_EQ(u"from the XML", std::any_cast<const ustring&>(cached));
    }
}

TEST_F(PlistTest, CorruptCacheIsIgnoredAndRewritten)
{
    ustring path = file("a.tmLanguage", plistDocument("<string>from the XML</string>"));
    writeFile(nativeName("a.tmLanguage.cache"), "not a cache at all");
    EXPECT_EQ(u"from the XML", std::any_cast<const ustring&>(load(path, true)));
    FileStat stamp;
    ASSERT_TRUE(stamp.read(path));
    PlistValue cached;
    EXPECT_TRUE(readPlistCache(path + u".cache", cached, stamp));
}

TEST_F(PlistTest, VirtualPathsReadThroughTheFileManagerAndCacheNatively)
{
    auto* manager = new slate::FileManagerImpl;
    manager->mount(u"Packages", slate::PosixFileSystem::create(toUstring(m_directory)));
    slate::FileManager::setInstance(manager);
    file("C.tmLanguage", plistDocument("<dict><key>scopeName</key><string>source.c</string></dict>"));

    PlistValue value = load(u"Packages/C.tmLanguage", true);
    EXPECT_EQ(u"source.c", requirePlistString(std::any_cast<const PlistDict&>(value), u"scopeName"));
    EXPECT_TRUE(fileExists(nativeName("C.tmLanguage.cache")));

    EXPECT_EQ("Error parsing plist xml: Failed to open file In file Packages/Missing.tmLanguage",
              parseErrorOf(u"Packages/Missing.tmLanguage", true));
}

TEST_F(PlistTest, FilesWithoutNativeNamesLoadWithoutACache)
{
    auto* system = new testing_support::MemoryFileSystem();
    system->addFile(u"Snippet.tmLanguage", plistDocument("<string>in memory</string>"));
    auto* manager = new slate::FileManagerImpl;
    manager->mount(u"Memory", system);
    slate::FileManager::setInstance(manager);

    char previous[4096];
    ASSERT_NE(nullptr, getcwd(previous, sizeof previous));
    ASSERT_EQ(0, chdir(m_directory.c_str()));
    PlistValue value;
    EXPECT_NO_THROW(loadPlist(u"Memory/Snippet.tmLanguage", value, true));
    const bool strayCache = fileExists("Memory/Snippet.tmLanguage.cache");
    ASSERT_EQ(0, chdir(previous));
    EXPECT_EQ(u"in memory", std::any_cast<const ustring&>(value));
    EXPECT_FALSE(strayCache);
}

// Every shipped grammar and colour scheme loads, and its tree survives the
// cache record unchanged.
TEST(PlistFixtures, EveryGrammarAndThemeLoadsAndRoundTripsThroughTheCache)
{
    std::vector<std::filesystem::path> files = test_support::fixtureGrammarFiles();
    const size_t grammarCount = files.size();
    for (const std::filesystem::path& theme : test_support::fixtureThemeFiles())
        files.push_back(theme);
    ASSERT_GT(grammarCount, 0u);
    ASSERT_GT(files.size(), grammarCount);

    for (const std::filesystem::path& file : files) {
        const std::string path = file.string();
        SCOPED_TRACE(path);
        PlistValue value;
        try {
            // Caching off: the test data folder stays as checked in.
            loadPlist(toUstring(path), value, false);
        } catch (const ParseException& error) {
            ADD_FAILURE() << error.what();
            continue;
        }
        const auto* root = std::any_cast<PlistDict>(&value);
        ASSERT_NE(nullptr, root);
        if (file.extension() == ".tmLanguage")
            EXPECT_FALSE(requirePlistString(*root, u"scopeName").empty());
        else
            EXPECT_NE(root->end(), root->find(u"settings"));

        WriteBuffer written;
        writePlistValue(written, value);
        ReadBuffer buffer(written.data(), written.size());
        PlistValue read;
        ASSERT_TRUE(readPlistValue(buffer, read));
        EXPECT_TRUE(sameTree(value, read));
    }
}

// Random and damaged input never crashes the readers: XML either loads or
// throws ParseException; cache bytes either read or are refused.
class PlistFuzz : public PlistTest {
protected:
    // Damaged caches are logged; thousands of lines would bury the results.
    void SetUp() override
    {
        PlistTest::SetUp();
        m_debugOutput = g_debugOutputEnabled.exchange(false);
    }
    void TearDown() override
    {
        g_debugOutputEnabled = m_debugOutput;
        PlistTest::TearDown();
    }

    bool m_debugOutput = false;
    std::mt19937 m_random{20240611};

    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }

    std::string randomElement(int depth)
    {
        static const char* const kNames[] = {"dict", "array", "string", "integer", "true", "false",
                                             "key", "real", "plist", "data"};
        static const char* const kTexts[] = {"", "a", "  spaced  ", "12abc", "-3", "&amp;", "&bogus;",
                                             "<![CDATA[x]]>", "\n", "\xc3\xa9", "\xff\xfe", "]]>"};
        const char* name = kNames[below(depth > 6 ? 5 : 10)];
        std::string out = std::string("<") + name;
        if (below(8) == 0)
            return out + "/>";
        out += ">";
        const int children = below(5);
        for (int i = 0; i < children; ++i) {
            if (below(3) == 0 || depth > 8)
                out += kTexts[below(12)];
            else
                out += randomElement(depth + 1);
        }
        if (below(20) != 0)
            out += std::string("</") + name + ">";
        return out;
    }

    void mutate(std::string& bytes)
    {
        if (bytes.empty())
            return;
        switch (below(4)) {
        case 0:
            bytes.resize(below(static_cast<int>(bytes.size())));
            break;
        case 1:
            for (int i = below(8) + 1; i > 0; --i)
                bytes[below(static_cast<int>(bytes.size()))] = static_cast<char>(below(256));
            break;
        case 2:
            bytes.erase(below(static_cast<int>(bytes.size())), below(16));
            break;
        default:
            bytes.insert(below(static_cast<int>(bytes.size())), 1 + below(3), "<>/&\"'"[below(6)]);
            break;
        }
    }
};

TEST_F(PlistFuzz, RandomAndDamagedXmlNeverCrashes)
{
    std::ifstream grammar(VANTREL_TEST_DATA_DIR "/grammars/json.tmLanguage", std::ios::binary);
    std::stringstream contents;
    contents << grammar.rdbuf();
    const std::string real = contents.str();
    ASSERT_FALSE(real.empty());

    // Most rounds read from memory through the file manager (no cache: the
    // file system has no native names); every tenth goes to disk with caching.
    auto* memory = new testing_support::MemoryFileSystem();
    auto* manager = new slate::FileManagerImpl;
    manager->mount(u"Memory", memory);
    slate::FileManager::setInstance(manager);

    int loaded = 0;
    int refused = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = round % 3 == 0 ? real : plistDocument(randomElement(0));
        if (round % 2 == 0)
            mutate(bytes);
        ustring path = u"Memory/fuzz.tmLanguage";
        if (round % 10 == 0)
            path = file("fuzz.tmLanguage", bytes);
        else
            memory->addFile(u"fuzz.tmLanguage", bytes);
        PlistValue value;
        try {
            loadPlist(path, value, true);
            ++loaded;
        } catch (const ParseException&) {
            ++refused;
        }
    }
    // The generator reaches both outcomes.
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}

TEST_F(PlistFuzz, TruncatedAndDamagedCacheBytesNeverCrash)
{
    WriteBuffer written;
    writePlistValue(written, everyKindTree());
    const std::string record(written.data(), written.size());

    // The encoding is prefix-free, so every truncation of a record is refused.
    for (size_t length = 0; length < record.size(); ++length) {
        ReadBuffer buffer(record.data(), length);
        PlistValue value;
        EXPECT_FALSE(readPlistValue(buffer, value)) << length;
    }

    const ustring cache = toUstring(nativeName("fuzz.cache"));
    FileStat stamp;
    stamp.modificationTime = 1;
    stamp.size = 2;
    ASSERT_TRUE(writePlistCache(cache, everyKindTree(), stamp));
    std::ifstream in(toUtf8(cache), std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    const std::string file = contents.str();

    for (int round = 0; round < 20000; ++round) {
        std::string bytes = record;
        mutate(bytes);
        ReadBuffer buffer(bytes.data(), bytes.size());
        PlistValue value;
        readPlistValue(buffer, value);
    }
    // Whole files, damaged in the header or the compressed stream.
    for (int round = 0; round < 200; ++round) {
        std::string damagedFile = file;
        mutate(damagedFile);
        writeFile(toUtf8(cache), damagedFile);
        PlistValue value;
        readPlistCache(cache, value, stamp);
    }
}

} // namespace
