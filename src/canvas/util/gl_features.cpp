#include "canvas/util/gl_features.h"

#include <cstdlib>
#include <cstring>

namespace {

bool hasExtension(const char* extensions, const char* name)
{
    const size_t length = std::strlen(name);
    for (const char* p = extensions; (p = std::strstr(p, name)) != nullptr; p += length) {
        const bool starts = p == extensions || p[-1] == ' ';
        const bool ends = p[length] == ' ' || p[length] == '\0';
        if (starts && ends)
            return true;
    }
    return false;
}

} // namespace

bool hasTextureCombiners(const char* version, const char* extensions)
{
    if (version) {
        char* end = nullptr;
        const long major = std::strtol(version, &end, 10);
        const long minor = end != version && *end == '.' ? std::strtol(end + 1, nullptr, 10) : 0;
        if (major > 1 || (major == 1 && minor >= 3))
            return true;
    }
    return extensions && (hasExtension(extensions, "GL_ARB_texture_env_combine") ||
                          hasExtension(extensions, "GL_EXT_texture_env_combine"));
}
