// Golden drawings: a frame's recording-canvas call lines (NAME.txt) and its
// pixels (NAME.png), stored under tests/data/ and compared on every run. A
// changed drawing fails with the call lines that differ, or with the number
// of pixels that differ and a copy of the new image. With
// VANTREL_UPDATE_GOLDEN=1 the comparisons rewrite the files instead; review
// the change to them before committing it.
//
// Shared by the native and the Wine test programs: neutral headers only.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "canvas/png_writer.h"
#include "canvas/util/png_image.h"

namespace golden {

inline std::string dataPath(const std::string& relative)
{
    return std::string(VANTREL_TEST_DATA_DIR) + "/" + relative;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

inline bool updating()
{
    const char* value = std::getenv("VANTREL_UPDATE_GOLDEN");
    return value && std::string(value) == "1";
}

inline std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// The lines only in `expected` ("- ") and only in `actual` ("+ "), by a
// longest common subsequence, with their line numbers.
inline std::string lineDiff(const std::vector<std::string>& expected,
                            const std::vector<std::string>& actual)
{
    const size_t n = expected.size(), m = actual.size();
    std::vector<std::vector<uint32_t>> common(n + 1, std::vector<uint32_t>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            common[i][j] = expected[i] == actual[j] ? common[i + 1][j + 1] + 1
                                                    : std::max(common[i + 1][j], common[i][j + 1]);
    std::string out;
    size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && expected[i] == actual[j]) {
            ++i;
            ++j;
        } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
            out += "+ " + std::to_string(j + 1) + ": " + actual[j] + "\n";
            ++j;
        } else {
            out += "- " + std::to_string(i + 1) + ": " + expected[i] + "\n";
            ++i;
        }
    }
    return out;
}

// Compares the call lines with `relative` (under the test data folder).
inline void compareText(const std::string& relative, const std::string& actual)
{
    const std::string path = dataPath(relative);
    if (updating()) {
        writeFile(path, actual);
        return;
    }
    const std::string expected = readFile(path);
    if (expected != actual)
        ADD_FAILURE() << "the drawing " << relative << " changed (- golden, + now):\n"
                      << lineDiff(splitLines(expected), splitLines(actual));
}

// An image of words 0x??RRGGBB (the top byte is ignored), rows top first.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

inline std::string encodePng(const Image& image)
{
    std::vector<unsigned char> samples;
    samples.reserve(image.pixels.size() * 4);
    for (uint32_t rgb : image.pixels)
        samples.insert(samples.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255});
    const std::vector<unsigned char> png =
        testing_png::encode(image.width, image.height, PNG_COLOR_TYPE_RGBA, 8, samples);
    return std::string(png.begin(), png.end());
}

// The stored image `relative`; false (and a failure) when it cannot be read.
inline bool readPng(const std::string& relative, Image& image)
{
    const std::string bytes = readFile(dataPath(relative));
    if (!decodePng(bytes.data(), bytes.size(), image.width, image.height, image.pixels)) {
        ADD_FAILURE() << "cannot read the golden image " << relative;
        return false;
    }
    return true;
}

// Where a copy of a drawing that failed its comparison is written.
inline std::string failedImagePath(const std::string& name)
{
    std::string file = name;
    std::replace(file.begin(), file.end(), '/', '-');
    return testing::TempDir() + file;
}

// Compares the pixels with the image `relative` exactly.
inline void comparePixels(const std::string& relative, const Image& actual)
{
    if (updating()) {
        writeFile(dataPath(relative), encodePng(actual));
        return;
    }
    Image golden;
    if (!readPng(relative, golden))
        return;
    ASSERT_EQ(golden.width, actual.width) << relative;
    ASSERT_EQ(golden.height, actual.height) << relative;
    size_t differing = 0, first = golden.pixels.size();
    for (size_t i = 0; i < golden.pixels.size(); ++i) {
        if ((golden.pixels[i] ^ actual.pixels[i]) & 0xFFFFFFu) {
            ++differing;
            first = std::min(first, i);
        }
    }
    if (differing) {
        const std::string copy = failedImagePath(relative);
        writeFile(copy, encodePng(actual));
        ADD_FAILURE() << relative << ": " << differing << " pixels differ, the first at ("
                      << first % golden.width << ", " << first / golden.width
                      << "); the new drawing is in " << copy;
    }
}

} // namespace golden
