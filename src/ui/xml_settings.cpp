// XML parsing and settings elements over TinyXML. TinyXML only parses from a
// NUL-terminated string once it is not opening the file itself, and it then
// skips the line-end normalisation its file loader does, so parseXmlDocument
// makes that copy and normalises the line ends on the way. Its white-space
// switch is a global, so every parse sets it under one lock and puts the
// default back before releasing it.
#include "ui/xml_settings.h"

#include <charconv>
#include <mutex>

#include <tinyxml.h>

#include "ui/log.h"
#include "ui/options.h"
#include "ui/string_utils.h"
#include "ui/unicode.h"

namespace {

// Guards TinyXML's process-wide white-space switch for the whole of a parse.
std::mutex s_whiteSpaceLock;

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

bool parseXmlDocument(TiXmlDocument& document, const char* text, size_t length, bool keepWhiteSpace)
{
    std::string normalised;
    normalised.reserve(length);
    for (size_t i = 0; i < length && text[i]; ++i) {
        if (text[i] == '\r') {
            normalised += '\n';
            if (i + 1 < length && text[i + 1] == '\n')
                ++i;
        } else {
            normalised += text[i];
        }
    }

    document.Clear();
    document.ClearError();
    std::lock_guard<std::mutex> lock(s_whiteSpaceLock);
    TiXmlBase::SetCondenseWhiteSpace(!keepWhiteSpace);
    document.Parse(normalised.c_str());
    TiXmlBase::SetCondenseWhiteSpace(true);
    return !document.Error();
}

void addXmlTextElement(TiXmlNode* node, const char* name, const ustring& value)
{
    std::string text = toUtf8(value);
    const bool cdata = text.find("]]>") == std::string::npos;
    appendElement(node, name, text, cdata);
}

void addXmlElement(TiXmlNode* node, const char* name, const ustring& value)
{
    appendElement(node, name, toUtf8(value), false);
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
    if (!node)
        return ustring();
    const TiXmlElement* element = node->FirstChildElement(name);
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
