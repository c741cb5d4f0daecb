// The look of the controls, read from a theme file: an options file whose
// keys are element names ("button.down", "scrollbar.puck") valued with a
// shader spec, plus fonts ("font.", "control.*font.*"), colours
// ("control.*Color") and sizes ("size.*"). Controls ask for the shader of a
// dotted element name and paint a rect with it; an unknown name falls back
// to its shorter prefixes and finally to a shader that paints nothing.
//
// A theme rebuilds itself whenever its options announce a change, which
// deletes every shader: never keep a Shader reference across frames.
// Main thread only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "canvas/colour.h"
#include "canvas/texture.h"
#include "ui/interval2.h"
#include "ui/options.h"

class Canvas;
class UnicodeFont;

class Shader {
public:
    virtual ~Shader() = default;
    // Paints the rect; `amount` in 0..1 chooses between the two images of the
    // blended kinds (0 the first, 1 the second, a mix between) and is
    // ignored by the others.
    virtual void draw(const interval2& rect, float amount) = 0;
    virtual void draw(const interval2& rect) = 0;
};

class NullShader : public Shader {
public:
    void draw(const interval2&, float) override {}
    void draw(const interval2&) override {}
};

class ColourShader : public Shader {
public:
    ColourShader(Canvas* canvas, const Colour& colour);
    void draw(const interval2& rect, float amount) override { draw(rect); }
    void draw(const interval2& rect) override;

private:
    Canvas* m_canvas;
    Colour m_colour;
};

// An image drawn as a 3 x 3 grid whose corners keep their size while the
// edges and middle stretch. The border sizes come from the path: the number
// after the last "w" and after the last "h" ("tab_w6h4.png" gives 6 and 4).
class BorderedImage {
public:
    // Loads the texture through the canvas (none without a canvas).
    void load(Canvas* canvas, const ustring& path);
    // Nothing without a canvas or texture, or when the rect is narrower or
    // lower than the two borders together. Replaces the fill; the blend mode
    // and alpha are the caller's.
    void draw(const interval2& rect) const;

    const slate::SP<Texture>& texture() const { return m_texture; }
    float borderWidth() const { return m_borderWidth; }
    float borderHeight() const { return m_borderHeight; }

private:
    Canvas* m_canvas = nullptr;
    slate::SP<Texture> m_texture;
    float m_borderWidth = 0;
    float m_borderHeight = 0;
};

class TextureShader : public Shader {
public:
    TextureShader(Canvas* canvas, const ustring& path);
    void draw(const interval2& rect, float) override { draw(rect); }
    void draw(const interval2& rect) override { m_image.draw(rect); }

private:
    BorderedImage m_image;
};

class BlendedTextureShader : public Shader {
public:
    BlendedTextureShader(Canvas* canvas, const ustring& first, const ustring& second);
    // The first image, then the second over it at alpha `amount` in blend
    // mode 1; 0 and 1 draw one image alone. Restores blend mode and alpha.
    void draw(const interval2& rect, float amount) override;
    void draw(const interval2& rect) override { draw(rect, 1.f); }

private:
    Canvas* m_canvas;
    BorderedImage m_first;
    BorderedImage m_second;
};

class SimpleTextureShader : public Shader {
public:
    SimpleTextureShader(Canvas* canvas, const ustring& path);
    void draw(const interval2& rect, float) override { draw(rect); }
    // The whole image stretched over the rect, blended by its own alpha when
    // it has one. Replaces the fill.
    void draw(const interval2& rect) override;

private:
    Canvas* m_canvas;
    slate::SP<Texture> m_texture;
    bool m_hasAlpha = false;
};

class SimpleBlendedTextureShader : public Shader {
public:
    SimpleBlendedTextureShader(Canvas* canvas, const ustring& first, const ustring& second);
    void draw(const interval2& rect, float amount) override;
    void draw(const interval2& rect) override { draw(rect, 1.f); }

private:
    void drawOne(const slate::SP<Texture>& texture, const interval2& rect);

    Canvas* m_canvas;
    slate::SP<Texture> m_first;
    slate::SP<Texture> m_second;
    bool m_anyAlpha = false;
};

// A font of the theme: the canvas's fonts (not owned; null without a
// canvas), the text colour and the colour the text is drawn on.
struct ThemeFont {
    UnicodeFont* font = nullptr;
    UnicodeFont* boldFont = nullptr;
    ColourPair colours{Colour(0, 0, 0), Colour(1, 1, 1)};
};

// Reads a font from `faceKey` and `colourKey` (white when missing or not a
// colour) over `backgroundColour`.
ThemeFont readThemeFont(Canvas* canvas, const slate::SP<Options>& options, const char* faceKey,
                        const char* colourKey, const Colour& backgroundColour);

class Theme {
public:
    // Listens to `options` (may be null: then only the defaults) and loads.
    // `canvas` may be null (no fonts, shaders that paint nothing).
    Theme(Canvas* canvas, const slate::SP<Options>& options);
    // Removes its own listener only: other windows may share the options.
    ~Theme();
    Theme(const Theme&) = delete;
    Theme& operator=(const Theme&) = delete;

    // The shader of a dotted element name, falling back to shorter prefixes
    // ("button.down.disabled", "button.down", "button"); the fallback is
    // remembered under the full name. Never null: unknown names get a shader
    // that paints nothing.
    Shader& get(const std::string& name);
    const ThemeFont& font(bool monospace) const { return monospace ? controlMonospaceFont : controlFont; }
    // Rebuilds everything from the options.
    void reload();
    // Deletes every shader and resets the fonts; sizes and colours stay.
    void clear();
    // Maps `name` to `shader`, which the theme owns from now on; a second
    // shader for a name replaces the mapping while both stay owned.
    void addShader(const std::string& name, Shader* shader);

    ThemeFont textFont;          // "font.face"
    ThemeFont controlFont;
    ThemeFont controlHighlightFont;
    ThemeFont controlMonospaceFont;
    ThemeFont controlHighlightMonospaceFont;

    float tabGlobalBorder = 4;
    float tabHeaderHeight = 28;
    float tabMiniButtonSize = 24;
    float tabMiniButtonSpacing = 4;
    float tabAdditionalSpacing = 20;
    float toolbarHeight = 32;
    float statusbarHeight = 20;
    float checkboxWidth = 13;
    float checkboxHeight = 13;
    float scrollbarCrossExtent = 16;

    Colour backgroundColour{1, 1, 1};
    Colour highlightColour{0, 0, 1};
    Colour lightColour{0, 0, 0};
    Colour shadowColour{0, 0, 0};

private:
    // The steps of reload, in order: colours first, as the fonts draw on them.
    void readColours();
    void readFonts();
    void readSizes();
    void readShaders();

    Canvas* m_canvas;
    slate::SP<Options> m_options;
    Options::ListenerId m_listener = 0;
    std::vector<std::unique_ptr<Shader>> m_shaders;
    std::map<std::string, Shader*> m_elements;
    NullShader m_nullShader;
};
