// A snippet file, read once as the XML format and once as a property list:
// whatever its bytes, it is either refused or gives a snippet that keeps its
// path, has a description (the file's stem at least) and, from the XML
// format, a content that is not empty and holds no carriage return.
#include <cstdlib>

#include "one_file_system.h"
#include "ui/text/snippet_manager.h"

namespace {

SnippetPtr loadMounted(const ustring& name, const uint8_t* data, size_t size)
{
    mountFuzzInput(name, data, size);
    SnippetPtr snippet = SnippetManager::loadSnippet(u"Packages/" + name);
    slate::FileManager::destroy();
    return snippet;
}

void checkCommon(const Snippet& snippet, const ustring& name)
{
    if (snippet.path() != slate::usubstring(u"Packages/" + name) || snippet.description().empty() ||
        *snippet.scope().end != 0)
        std::abort();
}

} // namespace

VANTREL_FUZZ_TARGET(snippet_file)
{
    const ustring xmlName = u"s.vantrel-snippet";
    if (SnippetPtr snippet = loadMounted(xmlName, data, size)) {
        checkCommon(*snippet, xmlName);
        const slate::usubstring content = snippet->content();
        if (content.empty() || content.find(u'\r'))
            std::abort();
    }
    const ustring plistName = u"s.tmSnippet";
    if (SnippetPtr snippet = loadMounted(plistName, data, size))
        checkCommon(*snippet, plistName);
    return 0;
}
