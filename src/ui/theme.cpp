// Theme files into shaders, fonts, colours and sizes. Every reload starts
// from nothing: the shaders are rebuilt (textures come from the canvas's
// cache, so images are not decoded again), the fonts are the canvas's
// cached fonts, and colours and sizes keep their defaults or, for the keys
// the file does not set, what the previous reload read.
#include "ui/theme.h"

#include <cstdlib>

#include "canvas/canvas.h"
#include "canvas/util/colour.h"
#include "ui/log.h"
#include "ui/parse_strings.h"
#include "ui/unicode.h"

namespace {

constexpr Colour kWhite{1, 1, 1};
constexpr Colour kBlack{0, 0, 0};
constexpr Colour kBlue{0, 0, 1};

// The leading decimal float after the last `letter` of the path, 0 without.
float borderFromPath(const ustring& path, uchar letter)
{
    const size_t at = path.rfind(letter);
    if (at == ustring::npos)
        return 0;
    const std::string rest = toUtf8(path.substr(at + 1));
    // Only a plain decimal number counts: no blanks, signs or hexadecimal.
    if (rest.empty() || !((rest[0] >= '0' && rest[0] <= '9') || rest[0] == '.'))
        return 0;
    return std::strtof(rest.c_str(), nullptr);
}

void readColour(const slate::SP<Options>& options, const char* key, Colour& colour)
{
    if (const ustring* value = options->find(slate::substring(key)))
        parseColour(*value, colour);
}

bool startsWith(const ustring& text, const char16_t* prefix)
{
    return text.compare(0, std::char_traits<char16_t>::length(prefix), prefix) == 0;
}

} // namespace

// --- Shaders ---------------------------------------------------------------

ColourShader::ColourShader(Canvas* canvas, const Colour& colour)
    : m_canvas(canvas), m_colour(colour)
{
}

void ColourShader::draw(const interval2& rect)
{
    if (m_canvas)
        m_canvas->fillRect(rect, m_colour);
}

void BorderedImage::load(Canvas* canvas, const ustring& path)
{
    m_canvas = canvas;
    m_texture = canvas ? canvas->loadTexture(path) : nullptr;
    m_borderWidth = borderFromPath(path, u'w');
    m_borderHeight = borderFromPath(path, u'h');
}

void BorderedImage::draw(const interval2& rect) const
{
    if (!m_canvas || !m_texture)
        return;
    const float tw = float(m_texture->textureWidth()), th = float(m_texture->textureHeight());
    const float iw = float(m_texture->imageWidth()), ih = float(m_texture->imageHeight());
    if (tw <= 0 || th <= 0)
        return;
    if (rect.x1 - rect.x0 < 2 * m_borderWidth || rect.y1 - rect.y0 < 2 * m_borderHeight)
        return;
    m_canvas->pushTexture(m_texture);
    const float dx[4] = {rect.x0, rect.x0 + m_borderWidth, rect.x1 - m_borderWidth, rect.x1};
    const float dy[4] = {rect.y0, rect.y0 + m_borderHeight, rect.y1 - m_borderHeight, rect.y1};
    const float sx[4] = {0, m_borderWidth, iw - m_borderWidth, iw};
    const float sy[4] = {0, m_borderHeight, ih - m_borderHeight, ih};
    for (int i = 0; i < 9; ++i) {
        const int c = i % 3, r = i / 3;
        m_canvas->drawTexturedQuad(interval2(dx[c], dy[r], dx[c + 1], dy[r + 1]),
                                   interval2(sx[c] / tw + 0.001f, sy[r] / th + 0.001f,
                                             sx[c + 1] / tw, sy[r + 1] / th));
    }
}

TextureShader::TextureShader(Canvas* canvas, const ustring& path) { m_image.load(canvas, path); }

BlendedTextureShader::BlendedTextureShader(Canvas* canvas, const ustring& first,
                                           const ustring& second)
    : m_canvas(canvas)
{
    m_first.load(canvas, first);
    m_second.load(canvas, second);
}

void BlendedTextureShader::draw(const interval2& rect, float amount)
{
    if (amount == 0.f) {
        m_first.draw(rect);
        return;
    }
    if (amount == 1.f || !m_canvas) {
        m_second.draw(rect);
        return;
    }
    m_first.draw(rect);
    const BlendMode savedMode = m_canvas->setBlendMode(BlendMode::GlobalAlpha);
    const float savedAlpha = m_canvas->setAlpha(amount);
    m_second.draw(rect);
    m_canvas->setBlendMode(savedMode);
    m_canvas->setAlpha(savedAlpha);
}

SimpleTextureShader::SimpleTextureShader(Canvas* canvas, const ustring& path) : m_canvas(canvas)
{
    m_texture = canvas ? canvas->loadTexture(path) : nullptr;
    m_hasAlpha = m_texture && m_texture->hasAlpha();
}

void SimpleTextureShader::draw(const interval2& rect)
{
    if (!m_texture)
        return;
    m_canvas->pushTexture(m_texture);
    const BlendMode saved =
        m_hasAlpha ? m_canvas->setBlendMode(BlendMode::TextureAlpha) : BlendMode::Opaque;
    m_canvas->drawTexturedQuad(rect, m_texture->fullImageRect());
    if (m_hasAlpha)
        m_canvas->setBlendMode(saved);
}

SimpleBlendedTextureShader::SimpleBlendedTextureShader(Canvas* canvas, const ustring& first,
                                                       const ustring& second)
    : m_canvas(canvas)
{
    m_first = canvas ? canvas->loadTexture(first) : nullptr;
    m_second = canvas ? canvas->loadTexture(second) : nullptr;
    m_anyAlpha = m_first && m_second && (m_first->hasAlpha() || m_second->hasAlpha());
}

void SimpleBlendedTextureShader::drawOne(const slate::SP<Texture>& texture, const interval2& rect)
{
    m_canvas->pushTexture(texture);
    const BlendMode saved =
        m_anyAlpha ? m_canvas->setBlendMode(BlendMode::TextureAlpha) : BlendMode::Opaque;
    if (texture)
        m_canvas->drawTexturedQuad(rect, texture->fullImageRect());
    if (m_anyAlpha)
        m_canvas->setBlendMode(saved);
}

void SimpleBlendedTextureShader::draw(const interval2& rect, float amount)
{
    if (!m_canvas)
        return;
    if (amount == 0.f) {
        drawOne(m_first, rect);
        return;
    }
    if (amount == 1.f) {
        drawOne(m_second, rect);
        return;
    }
    const BlendMode savedMode =
        m_canvas->setBlendMode(m_anyAlpha ? BlendMode::TextureAlpha : BlendMode::Opaque);
    if (m_first) {
        m_canvas->pushTexture(m_first);
        m_canvas->drawTexturedQuad(rect, m_first->fullImageRect());
    }
    m_canvas->setBlendMode(m_anyAlpha ? BlendMode::TextureTimesGlobalAlpha
                                      : BlendMode::GlobalAlpha);
    const float savedAlpha = m_canvas->setAlpha(amount);
    if (m_second) {
        m_canvas->pushTexture(m_second);
        m_canvas->drawTexturedQuad(rect, m_second->fullImageRect());
    }
    m_canvas->setBlendMode(savedMode);
    m_canvas->setAlpha(savedAlpha);
}

// --- Theme -----------------------------------------------------------------

namespace {

// The shader a theme value describes: the class name and its parameters, as
// words. Null for an unknown class or the wrong number of parameters.
Shader* makeShader(Canvas* canvas, const std::vector<ustring>& words)
{
    const ustring& kind = words[0];
    const size_t parameters = words.size() - 1;
    if (kind == u"ColorShader" && parameters == 1) {
        Colour colour = kWhite;
        parseColour(words[1], colour);
        return new ColourShader(canvas, colour);
    }
    if (kind == u"TextureShader" && parameters == 1)
        return new TextureShader(canvas, words[1]);
    if (kind == u"BlendedTextureShader" && parameters == 2)
        return new BlendedTextureShader(canvas, words[1], words[2]);
    if (kind == u"SimpleTextureShader" && parameters >= 1)
        return new SimpleTextureShader(canvas, words[1]);
    if (kind == u"SimpleBlendedTextureShader" && parameters >= 2)
        return new SimpleBlendedTextureShader(canvas, words[1], words[2]);
    return nullptr;
}

} // namespace


ThemeFont readThemeFont(Canvas* canvas, const slate::SP<Options>& options, const char* faceKey,
                        const char* colourKey, const Colour& backgroundColour)
{
    ThemeFont font;
    ustring face;
    options->getString(slate::substring(faceKey), face);
    font.colours.text = kWhite;
    readColour(options, colourKey, font.colours.text);
    if (canvas) {
        font.font = canvas->getFont(face, 0);
        font.boldFont = canvas->getFont(face, 1);
    }
    font.colours.background = backgroundColour;
    return font;
}

Theme::Theme(Canvas* canvas, const slate::SP<Options>& options)
    : m_canvas(canvas), m_options(options)
{
    if (m_options)
        m_listener = m_options->addListener([this] { reload(); });
    reload();
}

Theme::~Theme()
{
    clear();
    if (m_options)
        m_options->removeListener(m_listener);
    m_options.reset();
}

void Theme::clear()
{
    m_elements.clear();
    m_shaders.clear();
    for (ThemeFont* font : {&textFont, &controlFont, &controlMonospaceFont}) {
        *font = ThemeFont();
        font->colours = {kBlack, kWhite};
    }
    for (ThemeFont* font : {&controlHighlightFont, &controlHighlightMonospaceFont}) {
        *font = ThemeFont();
        font->colours = {kWhite, kBlue};
    }
}

void Theme::addShader(const std::string& name, Shader* shader)
{
    m_shaders.emplace_back(shader);
    m_elements[name] = shader;
}

Shader& Theme::get(const std::string& name)
{
    auto found = m_elements.find(name);
    if (found != m_elements.end())
        return *found->second;
    std::string prefix = name;
    for (;;) {
        const size_t dot = prefix.rfind('.');
        if (dot == std::string::npos || dot == 0)
            return m_nullShader;
        prefix.resize(dot);
        found = m_elements.find(prefix);
        if (found != m_elements.end()) {
            m_elements[name] = found->second;
            return *found->second;
        }
    }
}

void Theme::reload()
{
    clear();
    if (!m_options)
        return;
    readColours();
    readFonts();
    readSizes();
    readShaders();
}

void Theme::readColours()
{
    readColour(m_options, "control.backgroundColor", backgroundColour);
    readColour(m_options, "control.highlightColor", highlightColour);
    readColour(m_options, "control.lightColor", lightColour);
    readColour(m_options, "control.shadowColor", shadowColour);
}

void Theme::readFonts()
{
    const slate::SP<Options>& options = m_options;
    ustring face;
    options->getString(slate::substring("font.face"), face);
    textFont.colours = {kWhite, kBlack};
    readColour(options, "font.color", textFont.colours.text);
    readColour(options, "font.backgroundColor", textFont.colours.background);
    textFont.font = m_canvas ? m_canvas->getFont(face, 0) : nullptr;
    textFont.boldFont = nullptr;
    controlFont = readThemeFont(m_canvas, options, "control.font.face", "control.font.color",
                                backgroundColour);
    controlMonospaceFont = readThemeFont(m_canvas, options, "control.monospaceFont.face",
                                         "control.font.color", backgroundColour);
    controlHighlightFont = readThemeFont(m_canvas, options, "control.highlight.font.face",
                                         "control.highlight.font.color", highlightColour);
    controlHighlightMonospaceFont =
        readThemeFont(m_canvas, options, "control.highlight.monospaceFont.face",
                      "control.highlight.font.color", highlightColour);
}

void Theme::readSizes()
{
    tabGlobalBorder = 4;
    tabHeaderHeight = 28;
    tabMiniButtonSize = 24;
    tabMiniButtonSpacing = 4;
    tabAdditionalSpacing = 20;
    toolbarHeight = 32;
    statusbarHeight = 20;
    const struct {
        const char* key;
        float* value;
    } sizes[] = {{"size.tabGlobalBorder", &tabGlobalBorder},
                 {"size.tabHeaderHeight", &tabHeaderHeight},
                 {"size.tabMiniButtonSize", &tabMiniButtonSize},
                 {"size.tabMiniButtonSpacing", &tabMiniButtonSpacing},
                 {"size.tabAdditionalSpacing", &tabAdditionalSpacing},
                 {"size.toolbarHeight", &toolbarHeight},
                 {"size.statusbarHeight", &statusbarHeight},
                 {"size.checkboxWidth", &checkboxWidth},
                 {"size.checkboxHeight", &checkboxHeight},
                 {"size.scrollbarCrossExtent", &scrollbarCrossExtent}};
    for (const auto& size : sizes)
        m_options->getFloat(slate::substring(size.key), *size.value);
}

void Theme::readShaders()
{
    for (const ustring& key : m_options->keys()) {
        if (startsWith(key, u"font.") || startsWith(key, u"size.") || startsWith(key, u"control."))
            continue;
        const ustring* value = m_options->find(key);
        std::vector<ustring> words;
        if (value)
            parseStrings(slate::usubstring(*value), words);
        if (words.empty()) {
            VLOG << u"Theme: Ignoring key " << key;
            continue;
        }
        Shader* shader = makeShader(m_canvas, words);
        if (!shader) {
            VLOG << u"Unknown shader class or wrong number of parameters " << *value;
            continue;
        }
        addShader(toUtf8(key), shader);
    }
}
