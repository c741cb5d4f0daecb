// The first value of a property list given as XML bytes, read the way the
// property-list loader reads a file: the guarded parse, then the element
// inside the root. Shared by the targets that start from XML property lists.
#pragma once

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>

#include "ui/xml_settings.h"

// Null when the bytes are refused or hold no value; `document` owns the result.
inline const TiXmlElement* plistXmlTopValue(TiXmlDocument& document, const uint8_t* data, size_t size)
{
    if (!parseXmlDocument(document, reinterpret_cast<const char*>(data), size, true, nullptr))
        return nullptr;
    const TiXmlElement* root = document.RootElement();
    return root ? root->FirstChildElement() : nullptr;
}
