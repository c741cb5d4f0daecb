#include "ui/text/region_set_settings.h"

#include <string>
#include <vector>

#include "ui/options.h"

void writeRegionSet(Options& node, const ustring& key, const SelectionSet& set)
{
    for (size_t i = 0; i < set.size(); ++i) {
        const std::string index = std::to_string(i);
        const ustring element = key + u"[" + ustring(index.begin(), index.end()) + u"]";
        node.setInt64(element + u".a", set[i].a);
        node.setInt64(element + u".b", set[i].b);
    }
}

void readRegionSet(const Options& node, const ustring& key, SelectionSet& set)
{
    std::vector<ustring> elements;
    node.getIndexedKeys(key, elements);
    std::vector<SelectionRegion> regions;
    regions.reserve(elements.size());
    for (const ustring& element : elements) {
        if (element.empty())
            continue;
        int64_t a = 0;
        int64_t b = 0;
        if (node.getInt64(element + u".a", a) && node.getInt64(element + u".b", b))
            regions.push_back(SelectionRegion(a, b));
    }
    set.addAll(regions);
}

void eraseKeysStartingWith(Options& node, std::initializer_list<ustring> prefixes)
{
    // A copy: erasing changes the node's key list.
    const std::vector<ustring> keys = node.keys();
    for (const ustring& key : keys)
        for (const ustring& prefix : prefixes)
            if (key.compare(0, prefix.size(), prefix) == 0) {
                node.erase(key);
                break;
            }
}
