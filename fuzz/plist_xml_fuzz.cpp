// Property lists in XML: the guarded parse, then the tree reader.
#include <tinyxml.h>

#include "fuzz_target.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/parse_exception.h"
#include "ui/xml_settings.h"

VANTREL_FUZZ_TARGET(plist_xml)
{
    TiXmlDocument document;
    if (!parseXmlDocument(document, reinterpret_cast<const char*>(data), size, true, nullptr))
        return 0;
    const TiXmlElement* root = document.RootElement();
    if (!root || !root->FirstChildElement())
        return 0;
    PlistValue value;
    try {
        readPlistXml(root->FirstChildElement(), value);
    } catch (const ParseException&) {
    }
    return 0;
}
