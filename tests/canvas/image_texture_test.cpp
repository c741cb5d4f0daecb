#include "canvas/image_texture.h"

#include <gtest/gtest.h>

#include <functional>

#include "canvas/package_files.h"
#include "canvas/software_canvas.h"

namespace {

// Whatever takes a loaded texture back to no image leaves nothing of the old
// image behind: no sizes, the unset full rect, no alpha.
TEST(ImageTexture, UnloadAndAFailedLoadLeaveNoImage)
{
    struct Case {
        const char* name;
        std::function<void(testing_canvas::PackageFiles&, MemoryTexture&)> unloadIt;
    };
    const Case cases[] = {
        {"unload", [](testing_canvas::PackageFiles&, MemoryTexture& texture) { texture.unload(); }},
        {"reload of a file that is no PNG any more",
         [](testing_canvas::PackageFiles& files, MemoryTexture& texture) {
             files.add(u"icon.png", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
             EXPECT_FALSE(texture.load());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_canvas::PackageFiles files;
        files.addImage(u"icon.png", 3, 5, 0x80FFFFFF);
        MemoryTexture texture(u"Packages/icon.png");
        ASSERT_TRUE(texture.load());
        ASSERT_TRUE(texture.hasAlpha());
        c.unloadIt(files, texture);
        EXPECT_EQ(texture.imageWidth(), 0);
        EXPECT_EQ(texture.imageHeight(), 0);
        EXPECT_EQ(texture.textureWidth(), 0);
        EXPECT_EQ(texture.textureHeight(), 0);
        EXPECT_EQ(texture.fullImageRect(), interval2());
        EXPECT_FALSE(texture.hasAlpha());
    }
}

} // namespace
