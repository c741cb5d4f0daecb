// A file manager with an in-memory "Packages/" for canvas tests: images are
// added, changed and removed by the test while canvases load them.
#pragma once

#include <string>
#include <vector>

#include "canvas/png_writer.h"
#include "filesystem/file_manager.h"
#include "filesystem/memory_file_system.h"

namespace testing_canvas {

class PackageFiles {
public:
    PackageFiles()
    {
        m_files = new testing_support::MemoryFileSystem();
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/", m_files);
    }
    ~PackageFiles() { slate::FileManager::destroy(); }

    // `name` is relative to "Packages/".
    void add(const ustring& name, const std::vector<unsigned char>& bytes)
    {
        m_files->addFile(name, std::string(bytes.begin(), bytes.end()));
    }
    // A solid RGBA image.
    void addImage(const ustring& name, int width, int height, uint32_t argb)
    {
        std::vector<unsigned char> samples;
        for (int i = 0; i < width * height; ++i)
            samples.insert(samples.end(), {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb),
                                           uint8_t(argb >> 24)});
        add(name, testing_png::encode(width, height, PNG_COLOR_TYPE_RGBA, 8, samples));
    }

private:
    testing_support::MemoryFileSystem* m_files; // owned by the file manager
};

} // namespace testing_canvas
