#include "canvas/util/gl_features.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(GLFeatures, TextureCombinersComeWithVersionOneThreeOrTheirExtension)
{
    struct Case {
        const char* version;
        const char* extensions;
        bool expected;
    } cases[] = {
        {"1.3", "", true},
        {"4.5 (Compatibility Profile) Mesa 22.3.6", "", true},
        {"2.1 vendor", "", true},
        {"1.2.1", "", false},
        {"1.1.0", "GL_EXT_bgra GL_ARB_texture_env_combine", true},
        {"1.1.0", "GL_EXT_texture_env_combine GL_EXT_bgra", true},
        {"1.1.0", "GL_ARB_texture_env_combine_plus GL_NV_GL_ARB_texture_env_combine", false},
        {"1.1.0", "GL_ARB_texture_env_add", false},
        {nullptr, nullptr, false},
        {"garbage", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.version ? c.version : "null") + " / " +
                     (c.extensions ? c.extensions : "null"));
        EXPECT_EQ(hasTextureCombiners(c.version, c.extensions), c.expected);
    }
}

} // namespace
