// Whole frames of the token renderer, compared with golden drawings in
// tests/data/render/: the recording canvas's call lines (NAME.txt) and the
// software canvas's pixels (NAME.png). Each scene lexes a C file with the C
// grammar, colours it with a colour scheme from the test data, checks its
// spelling with the test dictionary, and draws the gutter and the text of a
// band with selections, carets and bookmarks.
//
// A changed drawing fails with the call lines that differ. To accept new
// drawings, run the tests with VANTREL_UPDATE_GOLDEN=1, which rewrites the
// files, and review the change to them.
#include "ui/text/render/token_renderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "canvas/package_files.h"
#include "canvas/png_writer.h"
#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "canvas/unicode_font.h"
#include "canvas/util/png_image.h"
#include "support/program_files.h"
#include "ui/text/spell_checker.h"
#include "ui/text/syntax/regex_selector_styler.h"
#include "ui/text/syntax/scope_styler.h"
#include "ui/text/token/token_test_support.h"
#include "ui/text/view_settings.h"
#include "ui/theme.h"

namespace {

std::string dataPath(const std::string& relative)
{
    return std::string(VANTREL_TEST_DATA_DIR) + "/" + relative;
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

bool updatingGoldens()
{
    const char* value = std::getenv("VANTREL_UPDATE_GOLDEN");
    return value && std::string(value) == "1";
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// The lines only in `expected` ("- ") and only in `actual` ("+ "), by a
// longest common subsequence, with their line numbers.
std::string lineDiff(const std::vector<std::string>& expected, const std::vector<std::string>& actual)
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

void compareText(const std::string& name, const std::string& actual)
{
    const std::string path = dataPath("render/" + name + ".txt");
    if (updatingGoldens()) {
        writeFile(path, actual);
        return;
    }
    const std::string expected = readFile(path);
    if (expected != actual)
        ADD_FAILURE() << "the drawing of " << name << " changed (- golden, + now):\n"
                      << lineDiff(splitLines(expected), splitLines(actual));
}

std::string encodePixels(const SoftwareCanvas& canvas)
{
    std::vector<unsigned char> samples;
    samples.reserve(canvas.pixels().size() * 4);
    for (uint32_t argb : canvas.pixels())
        samples.insert(samples.end(), {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb),
                                       uint8_t(argb >> 24)});
    const std::vector<unsigned char> png =
        testing_png::encode(canvas.width(), canvas.height(), PNG_COLOR_TYPE_RGBA, 8, samples);
    return std::string(png.begin(), png.end());
}

void comparePixels(const std::string& name, const SoftwareCanvas& canvas)
{
    const std::string path = dataPath("render/" + name + ".png");
    if (updatingGoldens()) {
        writeFile(path, encodePixels(canvas));
        return;
    }
    const std::string golden = readFile(path);
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(decodePng(golden.data(), golden.size(), width, height, pixels)) << path;
    ASSERT_EQ(width, canvas.width());
    ASSERT_EQ(height, canvas.height());
    size_t differing = 0, first = pixels.size();
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] != canvas.pixels()[i]) {
            ++differing;
            first = std::min(first, i);
        }
    }
    if (differing) {
        const std::string actualPath = testing::TempDir() + name + ".png";
        writeFile(actualPath, encodePixels(canvas));
        ADD_FAILURE() << name << ": " << differing << " pixels differ, the first at ("
                      << first % width << ", " << first / width << "); the new drawing is in "
                      << actualPath;
    }
}

struct Scene {
    const char* name;
    const char16_t* text;
    bool wordWrap;
    float wrapColumns; // in widths of "m"
    bool indentSubsequentLines;
    bool drawAllWhiteSpace;
    bool active;
    std::vector<SelectionRegion> selections;
    std::vector<int64_t> bookmarks; // line starts, in bookmark order
    bool markedLayer; // a region layer of underline marks on its empty regions
    SelectionRegion bracket;
    double top; // band top; the band is the canvas's height
};

constexpr int kWidth = 330;
constexpr int kHeight = 210;

const char16_t kCFile[] =
    u"#include <stdio.h>\n"
    u"\n"
    u"/* Prints a helo to the wrold. */\n"
    u"int main(int argc, char** argv)\n"
    u"{\n"
    u"\tif (argc > 1)\n"
    u"\t\tprintf(\"%s: %d arguments and a line long enough to wrap\\n\", argv[0], argc);\n"
    u"\treturn 0;\n"
    u"}\n";

const Scene kScenes[] = {
    {"c_file", kCFile, true, 40.f, false, false, true,
     // A selection over two lines, then two carets.
     {{38, 60}, {90, 90}, {100, 100}},
     {0, 0, 71},
     false,
     {62, 85}, // the parentheses of main
     0.0},
    {"wrapped_indent", kCFile, true, 30.f, true, true, false,
     {{110, 170}, {200, 200}, {210, 210}},
     {92},
     true,
     {},
     30.0},
};

// Everything one frame needs, built for one canvas (fonts belong to it).
class SceneFrame {
public:
    SceneFrame(Canvas& canvas, const Scene& scene, Syntax& syntax, ScopeStyler* styler,
               SpellChecker* checker, const slate::SP<Options>& themeOptions)
        : m_canvas(canvas), m_scene(scene), m_view(&canvas), m_theme(&canvas, themeOptions)
    {
        const SchemeColours& colours = styler->colours();
        auto copy = [](float* to, const float* from) { std::copy(from, from + 3, to); };
        copy(m_view.backgroundColour, colours.background);
        copy(m_view.caretColour, colours.caret);
        copy(m_view.selectionStyle.foreground, colours.selectionForeground);
        copy(m_view.selectionStyle.background, colours.selection);
        copy(m_view.mixedSelectionStyle.foreground, colours.selectionMixForeground);
        copy(m_view.mixedSelectionStyle.background, colours.selectionMix);
        copy(m_view.lineHighlightColour, colours.lineHighlight);
        copy(m_view.mixedLineHighlightColour, colours.lineHighlightMix);
        copy(m_view.quarterForegroundColour, colours.foregroundQuarterMix);
        copy(m_view.bracketsColour, colours.brackets);
        copy(m_view.halfForegroundColour, colours.foregroundHalfMix);
        m_view.lineNumbers = true;
        m_view.drawAllWhiteSpace = scene.drawAllWhiteSpace;
        const float m = m_view.layout.font->advance(u'm');
        m_view.rulers = {36 * m};
        m_view.layout.tabWidth = 4 * m;
        m_view.layout.wordWrap = scene.wordWrap;
        m_view.layout.indentSubsequentLines = scene.indentSubsequentLines;

        m_storage.setSyntax(slate::SP<Syntax>(&syntax));
        m_storage.setScopeStyler(slate::SP<ScopeStyler>(styler));
        m_storage.setSpellChecker(slate::SP<SpellChecker>(checker));
        m_storage.insert(0, ustring(scene.text));
        m_renderer = new TokenRenderer(&m_storage, scene.wrapColumns * m, m_view.layout);
        for (const SelectionRegion& region : scene.selections)
            m_selections.push_back(region);
        if (scene.markedLayer) {
            m_layers.resize(1);
            RegionLayer& layer = m_layers[0];
            layer.style.background[0] = 0.8f;
            layer.style.background[1] = 0.3f;
            layer.style.background[2] = 0.1f;
            layer.style.backgroundIsDefault = false;
            layer.drawMarks = true;
            layer.underlineMarks = true;
            layer.filled = false;
            layer.regions.push_back(SelectionRegion(60, 65));
            layer.regions.push_back(SelectionRegion(150));
        }
    }

    void draw()
    {
        const bool active = m_scene.active;
        std::vector<int64_t> full, gutterOnly;
        for (const SelectionRegion& region : m_selections) {
            int32_t row = 0, column = 0;
            m_storage.rowcol(region.a, row, column);
            const int64_t start = m_storage.textPoint(row, 0);
            (region.empty() ? full : gutterOnly).push_back(start);
        }
        const LayoutBand band{0.0, m_scene.top, double(kWidth), m_scene.top + kHeight};
        GutterArguments gutter;
        gutter.canvas = &m_canvas;
        gutter.theme = &m_theme;
        gutter.band = band;
        gutter.bookmarks = &m_scene.bookmarks;
        gutter.fullyHighlighted = &full;
        gutter.gutterHighlighted = &gutterOnly;
        gutter.lineNumbers = true;
        gutter.active = active;
        gutter.settings = &m_view;
        std::vector<int64_t> highlighted;
        m_renderer->drawGutter(gutter, highlighted);
        std::sort(highlighted.begin(), highlighted.end());

        const float gutterWidth = m_renderer->gutterWidth(true);
        Matrix4 shifted = Matrix4::identity();
        shifted.m[12] = gutterWidth;
        const Matrix4 saved = m_canvas.getTransform();
        m_canvas.setTransform(shifted);
        DrawArguments args;
        args.canvas = &m_canvas;
        args.active = active;
        args.band = LayoutBand{0.0, band.top, band.right - gutterWidth, band.bottom};
        args.selections = &m_selections;
        args.layers = &m_layers;
        args.bracket = m_scene.bracket;
        args.settings = &m_view;
        args.highlightedLines = &highlighted;
        m_renderer->draw(args);
        m_canvas.setTransform(saved);
    }

private:
    Canvas& m_canvas;
    const Scene& m_scene;
    ViewSettings m_view;
    Theme m_theme;
    TokenStorage m_storage;
    slate::SP<TokenRenderer> m_renderer;
    SelectionSet m_selections;
    std::vector<RegionLayer> m_layers;
};

class TokenRendererGolden : public testing::TestWithParam<Scene> {
protected:
    TokenRendererGolden() : m_grammar("c.tmLanguage") {}

    void SetUp() override
    {
        m_files.reset(new testing_canvas::PackageFiles);
        auto add = [this](const char16_t* name, const std::string& path) {
            const std::string bytes = readFile(dataPath(path));
            m_files->add(name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
        };
        add(u"Scheme.tmTheme", "themes/light-plus.tmTheme");
        // Hunspell reads its files by native name.
        slate::FileManager::get().mount(u"Packages/Spelling",
                                        test_support::createFileSystem(test_support::dataPath("spelling")));
        m_files->addImage(u"bookmark.png", 16, 16, 0xFF3070C0);
        m_files->addImage(u"multibookmark.png", 16, 16, 0xFFC03030);
        m_themeOptions = new Options;
        m_themeOptions->parse(u"icon.bookmark SimpleTextureShader Packages/bookmark.png\n"
                              u"icon.multibookmark SimpleTextureShader Packages/multibookmark.png\n");
        slate::SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
        scheme->loadFromFile(u"Packages/Scheme.tmTheme");
        m_styler = new ScopeStyler(scheme);
        m_checker = new SpellChecker;
        m_checker->load(u"Packages/Spelling/tiny.dic", {"include", "stdio", "int", "main", "argc", "argv",
                                               "char", "printf", "Prints", "stdio", "a", "to",
                                                         "the", "and", "arguments", "line", "long",
                                                         "enough", "wrap"});
    }

    void TearDown() override
    {
        m_checker.reset();
        m_styler.reset();
        m_themeOptions.reset();
        m_files.reset();
    }

    token_test::DataGrammar m_grammar;
    std::unique_ptr<testing_canvas::PackageFiles> m_files;
    slate::SP<Options> m_themeOptions;
    slate::SP<ScopeStyler> m_styler;
    slate::SP<SpellChecker> m_checker;
};

TEST_P(TokenRendererGolden, DrawsAsTheGoldenFiles)
{
    const Scene& scene = GetParam();
    {
        RecordingCanvas canvas;
        SceneFrame frame(canvas, scene, *m_grammar.syntax, m_styler.get(), m_checker.get(),
                         m_themeOptions);
        canvas.clearLines();
        frame.draw();
        compareText(scene.name, canvas.text());
    }
    {
        SoftwareCanvas canvas(kWidth, kHeight);
        SceneFrame frame(canvas, scene, *m_grammar.syntax, m_styler.get(), m_checker.get(),
                         m_themeOptions);
        canvas.clear(m_styler->colours().background);
        frame.draw();
        comparePixels(scene.name, canvas);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, TokenRendererGolden, testing::ValuesIn(kScenes),
                         [](const testing::TestParamInfo<Scene>& info) { return std::string(info.param.name); });

} // namespace
