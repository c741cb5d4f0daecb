// The property-list reader and its binary caches. A grammar of a few hundred
// kilobytes takes far longer to parse as XML than to inflate and walk as a
// flat record, so every load that may cache looks for "<native path>.cache"
// first and writes it after parsing. The cache records the modification time
// and size of the source it was made from and is used only while both still
// match exactly: comparing the cache's own time with the source's would trust
// a cache after the source was replaced by an older copy (a restored backup,
// a version-control checkout), and would trust a cache made from a file that
// changed within the clock's resolution.
//
// Nothing read from disk is trusted: the XML goes through the program's one
// guarded XML parse (which refuses deep nesting and mends broken UTF-8), and
// the cache reader refuses a record whose counts, tags or length do not add
// up, so a damaged cache is rebuilt from the XML instead of giving a damaged
// tree.
#include "ui/text/lexer/plist.h"

#include <cstring>

#include <tinyxml.h>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "ui/byte_buffer.h"
#include "ui/cache_file.h"
#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/string_utils.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"
#include "ui/xml_settings.h"

namespace {

// Deepest nesting of elements (XML) or values (cache) that is read. Real
// property lists stay below 30; TinyXML recurses once per level, and the
// snippet scan parses on a worker thread with a 1 MB stack.
constexpr int kMaximumDepth = 1000;

// Value tags of the binary form: integers as they stand in the stream.
constexpr int32_t kTagEmpty = 0;
constexpr int32_t kTagArray = 1;
constexpr int32_t kTagDict = 2;
constexpr int32_t kTagString = 3;
constexpr int32_t kTagInteger = 4;
constexpr int32_t kTagBool = 5;

constexpr size_t kDictBuckets = 11;

[[noreturn]] void throwParseError(const ustring& path, const std::string& description)
{
    throw ParseException("Error parsing plist xml: " + description + " In file " + toUtf8(path));
}

bool isXmlBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Leading white space, an optional sign, then decimal digits up to the first
// other character; saturates at the int range. No digits give 0.
int parseInteger(const char* text)
{
    if (!text)
        return 0;
    while (isXmlBlank(*text))
        ++text;
    return saturateToInt(readSignedDecimal(text, text + std::strlen(text)));
}

void readElement(const TiXmlElement* element, PlistValue& out, int depth)
{
    if (depth > kMaximumDepth)
        throw ParseException(std::string("Plist nested too deeply"));
    const std::string& name = element->ValueStr();
    if (name == "dict") {
        auto& dict = out.emplace<PlistDict>(kDictBuckets);
        const TiXmlElement* key = element->FirstChildElement();
        while (key) {
            if (key->ValueStr() != "key")
                throw ParseException(std::string("Expected element key"));
            const TiXmlElement* value = key->NextSiblingElement();
            if (!value)
                throw ParseException(std::string("Expected value"));
            const char* keyText = key->GetText();
            if (!keyText || !*keyText)
                throw ParseException(std::string("Empty key"));
            auto entry = dict.emplace(toUstring(keyText), PlistValue());
            if (!entry.second)
                throw ParseException(std::string("Duplicate key"));
            readElement(value, entry.first->second, depth + 1);
            key = value->NextSiblingElement();
        }
    } else if (name == "array") {
        auto& array = out.emplace<PlistArray>();
        size_t count = 0;
        for (const TiXmlElement* child = element->FirstChildElement(); child;
             child = child->NextSiblingElement())
            ++count;
        array.reserve(count);
        for (const TiXmlElement* child = element->FirstChildElement(); child;
             child = child->NextSiblingElement()) {
            array.emplace_back();
            readElement(child, array.back(), depth + 1);
        }
    } else if (name == "string") {
        const char* text = element->GetText();
        out = text ? toUstring(text) : ustring();
    } else if (name == "integer") {
        out = parseInteger(element->GetText());
    } else if (name == "true") {
        out = true;
    } else if (name == "false") {
        out = false;
    } else {
        throw ParseException("Unrecognised plist element " + name);
    }
}

bool readValue(ReadBuffer& buffer, PlistValue& out, int depth)
{
    if (depth > kMaximumDepth)
        return false;
    int32_t tag = 0;
    if (!readInt32(buffer, tag))
        return false;
    switch (tag) {
    case kTagEmpty:
        return true;
    case kTagArray: {
        int32_t count = 0;
        // Every element takes at least its 4-byte tag.
        if (!readInt32(buffer, count) || count < 0 || static_cast<size_t>(count) > buffer.remaining() / 4)
            return false;
        auto& array = out.emplace<PlistArray>(static_cast<size_t>(count));
        for (PlistValue& element : array) {
            if (!readValue(buffer, element, depth + 1))
                return false;
        }
        return true;
    }
    case kTagDict: {
        int32_t count = 0;
        // Every entry takes at least a key length and a tag.
        if (!readInt32(buffer, count) || count < 0 || static_cast<size_t>(count) > buffer.remaining() / 8)
            return false;
        auto& dict = out.emplace<PlistDict>(kDictBuckets);
        dict.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            ustring key;
            if (!readString(buffer, key))
                return false;
            if (!readValue(buffer, dict[key], depth + 1))
                return false;
        }
        return true;
    }
    case kTagString: {
        ustring text;
        if (!readString(buffer, text))
            return false;
        out = std::move(text);
        return true;
    }
    case kTagInteger: {
        int32_t value = 0;
        if (!readInt32(buffer, value))
            return false;
        out = static_cast<int>(value);
        return true;
    }
    case kTagBool: {
        uint8_t value = 0;
        if (!readByte(buffer, value))
            return false;
        out = value != 0;
        return true;
    }
    default:
        VLOG << u"Unknown plist type!";
        return false;
    }
}

} // namespace

void readPlistXml(const TiXmlElement* element, PlistValue& out)
{
    readElement(element, out, 0);
}

void writePlistValue(WriteBuffer& buffer, const PlistValue& value)
{
    if (!value.has_value()) {
        writeInt32(buffer, kTagEmpty);
    } else if (const auto* array = std::any_cast<PlistArray>(&value)) {
        writeInt32(buffer, kTagArray);
        writeInt32(buffer, static_cast<int32_t>(array->size()));
        for (const PlistValue& element : *array)
            writePlistValue(buffer, element);
    } else if (const auto* dict = std::any_cast<PlistDict>(&value)) {
        writeInt32(buffer, kTagDict);
        writeInt32(buffer, static_cast<int32_t>(dict->size()));
        for (const auto& entry : *dict) {
            writeString(buffer, entry.first);
            writePlistValue(buffer, entry.second);
        }
    } else if (const auto* text = std::any_cast<ustring>(&value)) {
        writeInt32(buffer, kTagString);
        writeString(buffer, *text);
    } else if (const auto* number = std::any_cast<int>(&value)) {
        writeInt32(buffer, kTagInteger);
        writeInt32(buffer, *number);
    } else if (const auto* flag = std::any_cast<bool>(&value)) {
        writeInt32(buffer, kTagBool);
        writeByte(buffer, *flag ? 1 : 0);
    } else {
        VLOG << u"Unknown plist value!";
        writeInt32(buffer, kTagEmpty);
    }
}

bool readPlistValue(ReadBuffer& buffer, PlistValue& out)
{
    return readValue(buffer, out, 0);
}

bool writePlistCache(const ustring& cachePath, const PlistValue& value, const FileStat& source)
{
    WriteBuffer buffer;
    writePlistValue(buffer, value);
    writeFileStamp(buffer, source);
    return writeCacheFile(cachePath, kPropertyListCacheVersion, buffer);
}

bool readPlistCache(const ustring& cachePath, PlistValue& out, const FileStat& source)
{
    ReadBuffer buffer;
    if (!readCacheFile(cachePath, kPropertyListCacheVersion, buffer))
        return false;
    SynchronisedScopedTimer timer(g_statParsePListWork);
    PlistValue value;
    FileStat recorded;
    if (!readPlistValue(buffer, value) || !readFileStamp(buffer, recorded) || !buffer.atEnd() ||
        recorded != source)
        return false;
    out = std::move(value);
    return true;
}

void loadPlist(const ustring& path, PlistValue& out, bool allowCache)
{
    SynchronisedScopedTimer timer(g_statParsePList);

    // A path the file manager serves but cannot name natively (no native
    // file system behind it) gets no cache: "path.cache" would then be
    // written relative to the current directory.
    ustring sourcePath = path;
    bool cacheable = allowCache;
    if (slate::FileManager::alive()) {
        ustring nativeName = slate::FileManager::get().nativePath(path);
        if (!nativeName.empty())
            sourcePath = nativeName;
        else if (slate::FileManager::get().exists(path))
            cacheable = false;
    }
    const ustring cachePath = sourcePath + u".cache";

    // The stamp is taken before the source is read, so a file that changes
    // during the load leaves a cache that no longer matches it.
    FileStat stamp;
    if (cacheable) {
        cacheable = stamp.read(sourcePath);
        if (cacheable && isFile(cachePath) && readPlistCache(cachePath, out, stamp))
            return;
    }

    std::string text;
    slate::SP<slate::MemoryBlock> block;
    if (slate::FileManager::alive())
        block = slate::FileManager::get().read(path);
    if (block) {
        text.assign(reinterpret_cast<const char*>(block->data()), block->size());
    } else {
        ReadBuffer bytes;
        if (!readWholeFile(sourcePath, bytes))
            throwParseError(path, "Failed to open file");
        text.assign(reinterpret_cast<const char*>(bytes.begin()), bytes.size());
    }

    TiXmlDocument document;
    std::string description;
    if (!parseXmlDocument(document, text, true, &description))
        throwParseError(path, description);
    const TiXmlElement* root = document.RootElement();
    if (!root)
        throwParseError(path, "No element");
    const TiXmlElement* first = root->FirstChildElement();
    if (!first)
        throw ParseException(std::string("Bad XML"));

    PlistValue value;
    readPlistXml(first, value);
    out = std::move(value);

    if (cacheable)
        writePlistCache(cachePath, out, stamp);
}

const ustring& requirePlistString(const PlistDict& dict, const ustring& key)
{
    auto entry = dict.find(key);
    if (entry == dict.end())
        throw ParseException(u"Expected key " + key);
    return std::any_cast<const ustring&>(entry->second);
}

ustring plistString(const PlistDict& dict, const ustring& key)
{
    auto entry = dict.find(key);
    if (entry == dict.end())
        return ustring();
    return std::any_cast<const ustring&>(entry->second);
}
