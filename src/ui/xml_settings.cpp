// XML parsing and settings elements over TinyXML. TinyXML parses from a
// NUL-terminated string and trusts it: it steps over a UTF-8 sequence by its
// lead byte's length (past a terminator that comes too soon), and it recurses
// once per element level. So parseXmlDocument first makes the copy TinyXML
// reads: CR LF and lone CR become LF (as TinyXML's own file loading does), a
// byte that does not belong to well-formed UTF-8 becomes FF (never UTF-8,
// and a byte TinyXML steps over on its own, so text holding it still reads
// as not UTF-8 while no lead byte can carry TinyXML past the end), an
// embedded NUL is refused, and the copy ends in several NULs. It then walks the markup
// the way TinyXML will read it and refuses nesting deeper than a fixed limit,
// so no input can exhaust the stack of the thread that parses. TinyXML's
// white-space switch is a global, so every parse sets it under one lock and
// puts the default back before releasing it.
#include "ui/xml_settings.h"

#include <charconv>
#include <cstring>
#include <mutex>

#include <tinyxml.h>

#include "filesystem/file_manager.h"
#include "ui/log.h"
#include "ui/options.h"
#include "ui/string_utils.h"
#include "ui/unicode.h"

namespace {

// Guards TinyXML's process-wide white-space switch for the whole of a parse.
std::mutex s_whiteSpaceLock;

// TinyXML's own notion of white space and of a name's first character: any
// byte from 127 up counts as a letter.
bool isXmlBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool startsXmlName(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 127 || byte == '_' || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

bool startsWith(const std::string& text, size_t at, const char* prefix, bool ignoreCase = false)
{
    const size_t length = std::strlen(prefix);
    if (text.size() - at < length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        char c = text[at + i];
        if (ignoreCase && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

size_t skipPast(const std::string& text, size_t from, const char* terminator)
{
    const size_t found = text.find(terminator, from);
    return found == std::string::npos ? text.size() : found + std::strlen(terminator);
}

// The end of an XML declaration that starts at `at` ("<?xml", any case), as
// TinyXML finds it: the first '>' that is not inside the quoted value of a
// "version", "encoding" or "standalone" attribute. The text's end when TinyXML
// would stop parsing there (it reads nothing after a malformed attribute).
size_t skipDeclaration(const std::string& text, size_t at)
{
    const size_t length = text.size();
    size_t p = at + 5;
    while (p < length) {
        if (text[p] == '>')
            return p + 1;
        while (p < length && isXmlBlank(text[p]))
            ++p;
        if (startsWith(text, p, "version", true) || startsWith(text, p, "encoding", true) ||
            startsWith(text, p, "standalone", true)) {
            while (p < length && (startsXmlName(text[p]) || (text[p] >= '0' && text[p] <= '9') ||
                                  text[p] == '-' || text[p] == '.' || text[p] == ':'))
                ++p;
            while (p < length && isXmlBlank(text[p]))
                ++p;
            if (p >= length || text[p] != '=')
                return length;
            ++p;
            while (p < length && isXmlBlank(text[p]))
                ++p;
            if (p >= length)
                return length;
            if (text[p] == '"' || text[p] == '\'') {
                const size_t close = text.find(text[p], p + 1);
                if (close == std::string::npos)
                    return length;
                p = close + 1;
            } else {
                for (; p < length && !isXmlBlank(text[p]) && text[p] != '/' && text[p] != '>'; ++p) {
                    if (text[p] == '"' || text[p] == '\'')
                        return length;
                }
            }
        } else {
            while (p < length && text[p] != '>' && !isXmlBlank(text[p]))
                ++p;
        }
    }
    return length;
}

// Walks the markup of `text` as TinyXML will read it and returns the deepest
// element nesting. TinyXML decides what a '<' starts by the characters after
// it: "<?xml" a declaration, "<!--" a comment, "<![CDATA[" a text section, a
// letter or '_' an element, and anything else an unknown node that ends at
// the first '>'. Element tags end at the first '>' outside quoted attribute
// values. Where the two could disagree TinyXML reports an error and stops,
// so the walk never counts less nesting than TinyXML will recurse into.
//
// With `wrapBlankText`, the content of every "string" element that holds
// only white space is wrapped in a CDATA section: TinyXML drops blank text
// even with white space kept, and a property list's string of blanks (a
// snippet of one space, a tab) must not read as empty. Other elements keep
// TinyXML's reading (a blank dictionary key stays empty).
int walkMarkup(std::string& text, bool wrapBlankText)
{
    std::string rewritten;
    size_t copiedUpTo = 0;
    int depth = 0;
    int deepest = 0;
    const size_t length = text.size();
    size_t position = 0;
    while (position < length) {
        const size_t open = text.find('<', position);
        if (open == std::string::npos)
            break;
        if (startsWith(text, open, "<?xml", true)) {
            position = skipDeclaration(text, open);
        } else if (startsWith(text, open, "<!--")) {
            position = skipPast(text, open + 4, "-->");
        } else if (startsWith(text, open, "<![CDATA[")) {
            position = skipPast(text, open + 9, "]]>");
        } else if (startsWith(text, open, "</")) {
            if (depth > 0)
                --depth;
            position = skipPast(text, open + 2, ">");
        } else if (open + 1 >= length || !startsXmlName(text[open + 1])) {
            position = skipPast(text, open + 1, ">");
        } else {
            size_t close = open + 1;
            char quote = 0;
            for (; close < length; ++close) {
                const char c = text[close];
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    break;
                }
            }
            if (close >= length)
                break;
            position = close + 1;
            if (text[close - 1] == '/')
                continue;
            if (++depth > deepest)
                deepest = depth;
            if (!wrapBlankText || close - open != 7 || !startsWith(text, open, "<string>"))
                continue;
            size_t blankEnd = position;
            while (blankEnd < length && isXmlBlank(text[blankEnd]))
                ++blankEnd;
            if (blankEnd > position && startsWith(text, blankEnd, "</string>")) {
                rewritten.append(text, copiedUpTo, position - copiedUpTo);
                rewritten += "<![CDATA[";
                rewritten.append(text, position, blankEnd - position);
                rewritten += "]]>";
                copiedUpTo = blankEnd;
                position = blankEnd;
            }
        }
    }
    if (copiedUpTo > 0) {
        rewritten.append(text, copiedUpTo, std::string::npos);
        text.swap(rewritten);
    }
    return deepest;
}

// The copy of `text` that TinyXML may safely read (see the top of the file),
// without its terminating NULs; false with `error` set for an embedded NUL.
bool normaliseSource(const char* text, size_t length, std::string& out, std::string& error)
{
    out.clear();
    out.reserve(length);
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const auto* end = p + length;
    while (p < end) {
        const unsigned char c = *p;
        if (c == 0) {
            error = "Embedded NUL character at byte " + std::to_string(p - reinterpret_cast<const unsigned char*>(text));
            return false;
        }
        if (c == '\r') {
            out += '\n';
            p += p + 1 < end && p[1] == '\n' ? 2 : 1;
            continue;
        }
        const Utf8Sequence sequence = decodeUtf8Sequence(p, end);
        if (sequence.status == Utf8Status::valid)
            out.append(reinterpret_cast<const char*>(p), static_cast<size_t>(sequence.length));
        else
            out += '\xFF';
        p += sequence.status == Utf8Status::valid ? sequence.length : 1;
    }
    return true;
}

void appendElement(TiXmlNode* node, const char* name, const std::string& text, bool cdata)
{
    VASSERT(node);
    auto* element = new TiXmlElement(name);
    auto* textNode = new TiXmlText(text);
    textNode->SetCDATA(cdata);
    element->LinkEndChild(textNode);
    node->LinkEndChild(element);
}

} // namespace

bool parseXmlDocument(TiXmlDocument& document, const char* text, size_t length, bool keepWhiteSpace,
                      std::string* error)
{
    document.Clear();
    document.ClearError();
    std::string source;
    std::string problem;
    if (!normaliseSource(text, length, source, problem) || walkMarkup(source, keepWhiteSpace) > kMaximumXmlDepth) {
        if (problem.empty())
            problem = "Elements nested more than " + std::to_string(kMaximumXmlDepth) + " deep";
        document.SetError(TiXmlBase::TIXML_ERROR, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        if (error)
            *error = problem;
        return false;
    }
    // TinyXML looks up to three bytes ahead of where it stands.
    source.append(4, '\0');

    std::lock_guard<std::mutex> lock(s_whiteSpaceLock);
    TiXmlBase::SetCondenseWhiteSpace(!keepWhiteSpace);
    document.Parse(source.c_str());
    TiXmlBase::SetCondenseWhiteSpace(true);
    if (!document.Error())
        return true;
    if (error) {
        *error = document.ErrorDesc() ? document.ErrorDesc() : "";
        if (document.ErrorRow() > 0)
            *error += " (line " + std::to_string(document.ErrorRow()) + ", column " +
                      std::to_string(document.ErrorCol()) + ")";
    }
    return false;
}

std::string readXmlFile(const ustring& path, TiXmlDocument& document, bool keepWhiteSpace, ustring& shownPath)
{
    slate::FileManager& files = slate::FileManager::get();
    shownPath = files.nativePath(path);
    if (shownPath.empty())
        shownPath = path;

    std::string problem;
    slate::SP<slate::MemoryBlock> block = files.read(path);
    if (!block) {
        problem = "Unable to read the file.";
    } else if (!parseXmlDocument(document, reinterpret_cast<const char*>(block->data()), block->size(),
                                 keepWhiteSpace, &problem)) {
        if (problem.empty())
            problem = document.ErrorDesc();
    } else if (!document.RootElement()) {
        problem = "No root element.";
    }
    return problem;
}

void addXmlTextElement(TiXmlNode* node, const char* name, const ustring& value)
{
    std::string text = toUtf8Replacing(value);
    // A CDATA section carries every byte except two: parsing turns its CR
    // into LF, as TinyXML's own file loading does, and refuses a NUL. An
    // escaped text node writes both as character references, which survive.
    // Text made only of white space stays CDATA all the same, because
    // TinyXML drops a text node that decodes to white space alone.
    const bool onlyWhiteSpace = text.find_first_not_of(" \t\r\n") == std::string::npos;
    const bool cdata = text.find("]]>") == std::string::npos &&
                       (onlyWhiteSpace || text.find_first_of(std::string("\r\0", 2)) == std::string::npos);
    appendElement(node, name, text, cdata);
}

void addXmlElement(TiXmlNode* node, const char* name, const ustring& value)
{
    appendElement(node, name, toUtf8Replacing(value), false);
}

void addXmlElement(TiXmlNode* node, const char* name, int value)
{
    appendElement(node, name, toUtf8(intToString(value)), false);
}

void addXmlElement(TiXmlNode* node, const char* name, double value)
{
    // "%f" would follow the process locale's decimal point.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    appendElement(node, name, std::string(buffer, result.ptr), false);
}

ustring xmlElementText(const TiXmlNode* node, const char* name)
{
    return node ? xmlText(node->FirstChildElement(name)) : ustring();
}

ustring xmlText(const TiXmlElement* element)
{
    if (!element)
        return ustring();
    const TiXmlNode* child = element->FirstChild();
    if (!child || !child->ToText())
        return ustring();
    return toUstring(child->ValueStr());
}

int xmlElementInt(const TiXmlNode* node, const char* name)
{
    ustring text = xmlElementText(node, name);
    return toInt(text);
}

double xmlElementDouble(const TiXmlNode* node, const char* name)
{
    ustring text = xmlElementText(node, name);
    return toDouble(text);
}

void addXmlOptionsElement(TiXmlNode* node, const char* name, slate::SP<Options> options)
{
    addXmlTextElement(node, name, options->serialise());
}

slate::SP<Options> xmlElementOptions(const TiXmlNode* node, const char* name)
{
    slate::SP<Options> options(new Options);
    options->parse(xmlElementText(node, name));
    return options;
}
