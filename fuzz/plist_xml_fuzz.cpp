// Property lists in XML: the guarded parse, then the tree reader.
#include "fuzz_target.h"
#include "plist_xml_input.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/parse_exception.h"

VANTREL_FUZZ_TARGET(plist_xml)
{
    TiXmlDocument document;
    const TiXmlElement* top = plistXmlTopValue(document, data, size);
    if (!top)
        return 0;
    PlistValue value;
    try {
        readPlistXml(top, value);
    } catch (const ParseException&) {
    }
    return 0;
}
