// The fixture scenes of the token renderer's golden drawings: a C file lexed
// with the C grammar, coloured by a colour scheme from the test data,
// spell-checked with the test dictionary, and drawn as one frame of a view:
// the gutter with line numbers, line highlights and bookmarks, then the text
// of a band with wrapped lines, tabs, a misspelling, selections, carets, a
// region layer and bracket underlines.
//
// Shared by the native test program (the box font of the native rasteriser)
// and the Wine one (the GDI glyphs of the fonts mapped in the Wine prefix,
// and the graphics interfaces). Neutral headers only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/package_files.h"
#include "canvas/unicode_font.h"
#include "support/golden_drawing.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/text/render/token_renderer.h"
#include "ui/text/spell_checker.h"
#include "ui/text/syntax/regex_selector_styler.h"
#include "ui/text/syntax/scope_styler.h"
#include "ui/text/token/token_test_support.h"
#include "ui/text/view_settings.h"
#include "ui/theme.h"

namespace render_scenes {

struct Scene {
    const char* name;
    const char16_t* text;
    bool wordWrap;
    float wrapColumns; // in widths of "m"
    bool indentSubsequentLines;
    bool drawAllWhiteSpace;
    bool active;
    bool overwrite; // carets are underlines
    std::vector<SelectionRegion> selections;
    std::vector<int64_t> bookmarks; // line starts, in bookmark order
    bool markedLayer; // a region layer of underline marks on its empty regions
    SelectionRegion bracket;
    double top; // band top; the band is the canvas's height
};

// Every scene is drawn into this many pixels.
constexpr int kWidth = 330;
constexpr int kHeight = 210;

// Line starts: 0, 19, 20, 54, 86, 88, 103, 181, 192.
inline const char16_t kCFile[] =
    u"#include <stdio.h>\n"
    u"\n"
    u"/* Prints a helo to the wrold. */\n"
    u"int main(int argc, char** argv)\n"
    u"{\n"
    u"\tif (argc > 1)\n"
    u"\t\tprintf(\"%s: %d arguments and a line long enough to wrap\\n\", argv[0], argc);\n"
    u"\treturn 0;\n"
    u"}\n";

inline const Scene kScenes[] = {
    {"c_file", kCFile, true, 40.f, false, false, true, false,
     // A selection over two lines, then two carets.
     {{38, 60}, {90, 90}, {100, 100}},
     {0, 0, 71},
     false,
     {62, 85}, // the parentheses of main
     0.0},
    {"wrapped_indent", kCFile, true, 30.f, true, true, false, false,
     {{110, 170}, {200, 200}, {210, 210}},
     {92},
     true,
     {},
     30.0},
    // Three selections with their carets in overwrite mode: a reversed one
    // ("Prints"), one adjacent to it (" a helo"), and one over a line end
    // (the misspelling's line into "int ma").
    {"three_selections", kCFile, true, 40.f, true, true, true, true,
     {{29, 23}, {29, 36}, {47, 60}},
     {20, 54, 54, 192},
     false,
     {},
     0.0},
};

// Scenes print as their names in test results.
inline void PrintTo(const Scene& scene, std::ostream* out)
{
    *out << scene.name;
}

// Gives each scene its name in parameterised tests.
inline std::string sceneName(const testing::TestParamInfo<Scene>& info)
{
    return info.param.name;
}

// The golden drawings of a scene with the real glyphs (Wine only), without
// the extension.
inline std::string glyphGoldenName(const Scene& scene)
{
    return std::string("render/glyphs/") + scene.name;
}

// The software canvas stands in for the OpenGL renderer, so its frames with
// the real glyphs take the half-unit shape offset that the view passes on
// that renderer.
constexpr bool kSoftwareHalfPixelShapes = true;

// What every frame of a test shares: the C grammar, the colour scheme, the
// spelling dictionary and a theme with the bookmark icons, loaded through a
// file manager of its own (the package files).
class SceneResources {
public:
    SceneResources() : m_grammar("c.tmLanguage"), m_files(new testing_canvas::PackageFiles)
    {
        // The scheme gains a line highlight: without one, selection
        // outlines (half background, half line highlight) are white on its
        // white background, and a frame that lost them would still match.
        std::string schemeText = golden::readFile(golden::dataPath("themes/light-plus.tmTheme"));
        const std::string globals = "<key>background</key>";
        schemeText.insert(schemeText.find(globals), "<key>lineHighlight</key><string>#C09040</string>");
        m_files->add(u"Scheme.tmTheme", std::vector<unsigned char>(schemeText.begin(), schemeText.end()));
        // Hunspell reads its files by native name.
        slate::FileManager::get().mount(
            u"Packages/Spelling", test_support::createFileSystem(test_support::dataPath("spelling")));
        m_files->addImage(u"bookmark.png", 16, 16, 0xFF3070C0);
        m_files->addImage(u"multibookmark.png", 16, 16, 0xFFC03030);
        themeOptions = new Options;
        themeOptions->parse(u"icon.bookmark SimpleTextureShader Packages/bookmark.png\n"
                            u"icon.multibookmark SimpleTextureShader Packages/multibookmark.png\n");
        slate::SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
        scheme->loadFromFile(u"Packages/Scheme.tmTheme");
        styler = new ScopeStyler(scheme);
        checker = new SpellChecker;
        checker->load(u"Packages/Spelling/tiny.dic",
                      {"include", "stdio", "int", "main", "argc", "argv", "char", "printf",
                       "Prints", "stdio", "a", "to", "the", "and", "arguments", "line", "long",
                       "enough", "wrap"});
    }
    ~SceneResources()
    {
        // Everything that reads through the file manager goes before it.
        checker.reset();
        styler.reset();
        themeOptions.reset();
        m_files.reset();
    }

    Syntax& syntax() { return *m_grammar.syntax; }
    Colour background() const { return styler->colours().background; }

    slate::SP<Options> themeOptions;
    slate::SP<ScopeStyler> styler;
    slate::SP<SpellChecker> checker;

private:
    token_test::DataGrammar m_grammar;
    std::unique_ptr<testing_canvas::PackageFiles> m_files;
};

// Everything one frame needs, built for one canvas (fonts belong to it).
class SceneFrame {
public:
    SceneFrame(Canvas& canvas, const Scene& scene, SceneResources& resources)
        : m_canvas(canvas), m_scene(scene), m_view(&canvas), m_theme(&canvas, resources.themeOptions)
    {
        const SchemeColours& colours = resources.styler->colours();
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

        m_storage.setSyntax(slate::SP<Syntax>(&resources.syntax()));
        m_storage.setScopeStyler(resources.styler);
        m_storage.setSpellChecker(resources.checker);
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

    // The gutter, then the text beside it. `halfPixelShapes` as the view
    // passes it for the canvas (set on the OpenGL renderer).
    void draw(bool halfPixelShapes = false)
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
        args.overwrite = m_scene.overwrite;
        args.band = LayoutBand{0.0, band.top, band.right - gutterWidth, band.bottom};
        args.selections = &m_selections;
        args.layers = &m_layers;
        args.bracket = m_scene.bracket;
        args.settings = &m_view;
        args.highlightedLines = &highlighted;
        args.halfPixelShapes = halfPixelShapes;
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

} // namespace render_scenes
