// XML settings: any document, and the element readers over its root.
#include <tinyxml.h>

#include "fuzz_target.h"
#include "ui/options.h"
#include "ui/xml_settings.h"

VANTREL_FUZZ_TARGET(xml_settings)
{
    TiXmlDocument document;
    std::string error;
    if (!parseXmlDocument(document, reinterpret_cast<const char*>(data), size, size % 2 == 0, &error))
        return 0;
    const TiXmlElement* root = document.RootElement();
    for (const TiXmlElement* child = root ? root->FirstChildElement() : nullptr; child;
         child = child->NextSiblingElement()) {
        const char* name = child->Value();
        xmlElementText(root, name);
        xmlElementInt(root, name);
        xmlElementDouble(root, name);
        xmlElementOptions(root, name);
    }
    return 0;
}
