// A view keeps no text of its own: everything it shows comes from its
// buffer's token storage through its renderer, and everything it selects
// lives in its view state. What it adds is the window's side (scroll offsets,
// zoom, viewport), the settings read from its options, and the choice of
// renderer: a view reuses the renderer of another view of the same buffer
// whenever the two would lay the text out identically, since a layout costs a
// pass over the whole text and memory in every bucket.
//
// Listeners the view hangs on objects that may outlive it (its options, the
// buffer's load listeners) hold it through a weak lifetime token rather than
// a plain pointer. The destructor also takes its options listener off, but a
// notification already under way runs from a copy of the listener list, and
// the token is what keeps that copy from reaching a view destroyed halfway
// through it.
#include "ui/text/text_buffer_view.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "canvas/unicode_font.h"
#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/text/bracket_matching.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/status_text.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/unique_id.h"

slate::SP<TextBufferView> TextBuffer::createView(Canvas* canvas)
{
    slate::SP<TextBufferView> view(new TextBufferView(slate::SP<TextBuffer>(this), canvas));
    m_views.push_back(view.get());
    return view;
}

void TextBuffer::removeView(TextBufferView* view)
{
    auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it != m_views.end())
        m_views.erase(it);
}

TextBufferView::TextBufferView(slate::SP<TextBuffer> buffer, Canvas* canvas)
    : m_lifetime(std::make_shared<TextBufferView*>(this)),
      m_id(static_cast<uint32_t>(nextUniqueId())),
      m_settings(canvas),
      m_buffer(std::move(buffer)),
      m_viewState(m_buffer->createViewState())
{
    attachRenderer();
}

TextBufferView::~TextBufferView()
{
    m_lifetime.reset();
    m_buffer->removeView(this);
    if (m_options && m_optionsListener)
        m_options->removeListener(m_optionsListener);
    m_renderer.reset();
    m_onActivated.clear();
    m_onQueryContext.clear();
    m_viewState.reset();
    m_options.reset();
    m_statusValues.clear();
    m_buffer.reset();
}

void TextBufferView::shareViewState(const TextBufferView& other)
{
    VASSERT(m_buffer == other.m_buffer);
    if (m_buffer != other.m_buffer)
        return;
    m_viewState = other.m_viewState;
}

// --- Renderer ---------------------------------------------------------------

void TextBufferView::attachRenderer()
{
    VASSERT(!m_renderer);
    TokenStorage* storage = m_buffer->m_tokenStorage.get();
    for (TextBufferView* other : m_buffer->views()) {
        if (other == this || !other->m_renderer)
            continue;
        // A renderer left over the storage a load replaced is not shared,
        // even before its own view has been told.
        if (&other->m_renderer->storage() != storage)
            continue;
        if (other->m_layoutWidth == m_layoutWidth && other->m_settings.layout == m_settings.layout) {
            m_renderer = other->m_renderer;
            return;
        }
    }
    m_renderer = new TokenRenderer(storage, layoutWidth(), m_settings.layout);
}

void TextBufferView::dropRenderer() { m_renderer.reset(); }

void TextBufferView::reattachRenderer()
{
    dropRenderer();
    attachRenderer();
}

void TextBufferView::setLayoutWidth(float width)
{
    if (width == m_layoutWidth)
        return;
    m_layoutWidth = width;
    if (m_settings.layout.wordWrap && m_settings.layout.wrapWidth == 0.f)
        reattachRenderer();
}

// --- Options ------------------------------------------------------------------

void TextBufferView::setOptions(const slate::SP<Options>& options)
{
    if (m_options && m_optionsListener)
        m_options->removeListener(m_optionsListener);
    m_optionsListener = 0;
    m_options = options;
    if (!m_options)
        return;
    std::weak_ptr<TextBufferView*> lifetime = m_lifetime;
    m_optionsListener = m_options->addListener([lifetime] {
        const Lifetime alive = lifetime.lock();
        if (!alive)
            return;
        // Held for the call, so that a syntax listener that closes the view
        // does not pull it away from under applyOptions.
        slate::SP<TextBufferView> view(*alive);
        view->applyOptions();
    });
    applyOptions();
}

void TextBufferView::applyOptions()
{
    if (!m_options)
        return;
    ScopedTimer timer(g_statApplyOptions);

    // Another view may have changed the buffer's syntax since this one last
    // read its settings.
    if (m_settings.layout.syntax != m_buffer->m_tokenStorage->syntax()->path())
        m_buffer->notifySyntaxChange();

    m_buffer->applyOptions(*m_options);
    const bool wasWrapping = m_settings.layout.wordWrap;
    m_settings.read(*m_options);

    TokenStorage& storage = *m_buffer->m_tokenStorage;
    const ustring& syntaxPath = m_settings.layout.syntax;
    if (syntaxPath != storage.syntax()->path() && SyntaxLoader::alive()) {
        // An empty path asks for the plain text the buffer started with; the
        // loader would report it as a file it cannot read.
        slate::SP<Syntax> syntax = syntaxPath.empty() ? SyntaxLoader::get().defaultSyntax()
                                                      : SyntaxLoader::get().loadSyntax(syntaxPath);
        if (syntax != storage.syntax()) {
            // The buffer's syntax listeners hear of the change before it
            // happens, whichever view makes it.
            m_buffer->notifySyntaxChange();
            m_buffer->m_tokenStorage->setSyntax(syntax);
        }
    }
    m_buffer->m_tokenStorage->setColourScheme(m_settings.layout.colorscheme);

    reattachRenderer();
    if (m_settings.layout.wordWrap && !wasWrapping)
        m_translationX = 0.0;
}

// --- Geometry -----------------------------------------------------------------

void TextBufferView::setTranslationX(double value) { m_translationX = std::floor(value); }

void TextBufferView::setTranslationY(double value) { m_translationY = std::floor(value); }

LayoutPoint TextBufferView::windowToLayout(double x, double y) const
{
    return {(x + m_translationX) * m_zoom, (y + m_translationY) * m_zoom};
}

LayoutPoint TextBufferView::layoutToWindow(double x, double y) const
{
    const double scale = 1.0 / m_zoom;
    return {(x - m_translationX) * scale, (y - m_translationY) * scale};
}

int64_t TextBufferView::positionAtWindowPoint(const vector2& point)
{
    const LayoutPoint layout = windowToLayout(point.x, point.y);
    return m_renderer->positionAtPoint(layout.x, layout.y);
}

SelectionRegion TextBufferView::visibleRegion()
{
    const double z = m_zoom;
    const int64_t first = m_renderer->positionAtPoint(m_translationX * z, m_translationY * z);
    const int64_t last = m_renderer->positionAtPoint((m_translationX + m_viewportWidth) * z,
                                                     (m_translationY + m_viewportHeight) * z);
    return SelectionRegion(first, last);
}

LayoutPoint TextBufferView::layoutExtent() { return m_renderer->layoutSize(); }

int64_t TextBufferView::layoutToText(const LayoutPoint& point)
{
    return m_renderer->positionAtPoint(point.x, point.y);
}

LayoutPoint TextBufferView::textToLayout(int64_t position)
{
    return m_renderer->pointAtPosition(position);
}

LayoutPoint TextBufferView::textToLayoutNearX(int64_t position, double x)
{
    return m_renderer->pointAtPositionNearX(position, x);
}

float TextBufferView::gutterWidth(bool lineNumbers) { return m_renderer->gutterWidth(lineNumbers); }

float TextBufferView::layoutWidth() const
{
    return m_settings.layout.wrapWidth != 0.f ? m_settings.layout.wrapWidth : m_layoutWidth;
}

double TextBufferView::lineHeight() const
{
    return m_settings.layout.lineHeight();
}

namespace {

// Two widths of 'M' of room beyond the widest line.
double horizontalOverhang(double width, float viewportWidth, UnicodeFont* font)
{
    const double margin = font ? 2.0 * font->advance(u'M') : 0.0;
    return std::max(0.0, width - viewportWidth + margin);
}

} // namespace

LayoutPoint TextBufferView::maxTranslation()
{
    const LayoutPoint extent = layoutExtent();
    double centring = 0.0;
    if (m_settings.drawCentered) {
        const double width =
            m_settings.layout.wrapWidth > 0.f ? m_settings.layout.wrapWidth : extent.x;
        if (width < m_viewportWidth)
            centring = (m_viewportWidth - width) * 0.5;
    }
    LayoutPoint limit;
    limit.x = centring + horizontalOverhang(extent.x, m_viewportWidth, m_settings.layout.font);
    if (m_settings.scrollPastEnd)
        limit.y = std::max(0.0, extent.y - lineHeight());
    else if (m_viewportHeight == 0.f)
        limit.y = 0.0;
    else
        limit.y = std::max(0.0, extent.y - m_viewportHeight);
    return limit;
}

LayoutPoint TextBufferView::contentOverhang()
{
    const LayoutPoint extent = layoutExtent();
    return {horizontalOverhang(extent.x, m_viewportWidth, m_settings.layout.font),
            std::max(0.0, extent.y - m_viewportHeight)};
}

// --- Drawing and status -------------------------------------------------------

ustring TextBufferView::statusText() const
{
    TextBuffer& buffer = *m_buffer;
    const TrackedRegions& fields = m_viewState->trackedRegions();
    return ::statusText(
        sel(),
        [&buffer](int64_t position, int32_t& row, int32_t& column) {
            buffer.rowcol(position, row, column);
        },
        [&buffer](const SelectionRegion& region) { return buffer.newlineCount(region); },
        fields.current(), fields.size());
}

void TextBufferView::contrastColour(const float colour[3], float out[3])
{
    auto isMid = [](float c) { return c >= 0.35f && c < 0.65f; };
    if (isMid(colour[0]) && isMid(colour[1]) && isMid(colour[2])) {
        out[0] = out[1] = out[2] = 1.f;
        return;
    }
    for (int i = 0; i < 3; ++i)
        out[i] = 1.f - colour[i];
}

SelectionRegion TextBufferView::bracketRegion()
{
    if (!m_settings.matchBrackets)
        return SelectionRegion();
    const SelectionSet& selection = sel();
    if (selection.size() != 1 || !selection[0].empty())
        return SelectionRegion();
    const int64_t caret = selection[0].b;
    const SelectionRegion pair = m_buffer->findMatchingBracket(caret, kBracketSearchLimit);
    if (pair.empty())
        return SelectionRegion();
    if (!m_settings.matchBracketsContent && caret != pair.a && caret != pair.a + 1 &&
        caret != pair.b - 1 && caret != pair.b)
        return SelectionRegion();
    return pair;
}

std::vector<RegionLayer> TextBufferView::highlightLayers(bool scaled)
{
    std::vector<RegionLayer> layers;
    for (const auto& [name, named] : m_viewState->namedRegions()) {
        const bool caretColoured = (named.flags & NamedRegions::DRAW_CARET_COLOUR) != 0;
        if (!named.scope || (named.scope->empty() && !caretColoured) || named.regions.empty())
            continue;
        if (scaled && (named.flags & NamedRegions::HIDE_ON_MINIMAP))
            continue;
        RegionLayer layer;
        if (caretColoured) {
            const float* caret = m_settings.caretColour;
            if (scaled) {
                contrastColour(caret, layer.style.foreground);
                std::copy(caret, caret + 3, layer.style.background);
                layer.style.backgroundIsDefault = false;
            } else {
                // The outline is mixed from the background colour, so the
                // background must be the caret colour too: left at its
                // default white, the outline vanished on a white page.
                std::copy(caret, caret + 3, layer.style.foreground);
                std::copy(caret, caret + 3, layer.style.background);
                layer.style.backgroundIsDefault = false;
            }
        } else {
            const Style* scopeStyle = m_buffer->m_tokenStorage->styleForScopeName(*named.scope);
            const Style plain;
            const float* colour = (scopeStyle ? *scopeStyle : plain).foreground;
            contrastColour(colour, layer.style.foreground);
            std::copy(colour, colour + 3, layer.style.background);
            layer.style.backgroundIsDefault = false;
        }
        layer.regionPass = true;
        layer.marksOnNonEmpty = (named.flags & NamedRegions::RENDERER_FLAG_8) != 0;
        layer.drawMarks = (named.flags & (NamedRegions::DRAW_EMPTY |
                                          NamedRegions::DRAW_EMPTY_AS_OVERWRITE)) != 0;
        layer.underlineMarks = (named.flags & NamedRegions::DRAW_EMPTY_AS_OVERWRITE) != 0;
        layer.outlined = true;
        layer.filled = scaled || !(named.flags & NamedRegions::DRAW_OUTLINED);
        layer.regions = named.regions;
        layers.push_back(std::move(layer));
    }
    return layers;
}

namespace {

LayoutBand visibleBand(double tx, double ty, float vw, float vh, float z)
{
    LayoutBand band;
    band.left = tx * z;
    band.top = ty * z;
    band.right = (vw + tx) * z;
    band.bottom = (vh + ty) * z;
    return band;
}

} // namespace

void TextBufferView::draw(Canvas* canvas, const ViewFrame& frame)
{
    const bool scaled = m_zoom != 1.f;
    const std::vector<RegionLayer> layers = highlightLayers(scaled);
    DrawArguments args;
    args.canvas = canvas;
    args.active = frame.active;
    args.overwrite = m_overwrite;
    args.band = visibleBand(m_translationX, m_translationY, m_viewportWidth, m_viewportHeight, m_zoom);
    args.selections = &sel();
    args.layers = &layers;
    args.bracket = bracketRegion();
    args.settings = &m_settings;
    args.highlightedLines = frame.highlightedLines;
    args.halfPixelShapes = frame.halfPixelShapes;
    m_renderer->draw(args);
}

void TextBufferView::drawGutter(Canvas* canvas, const ViewFrame& frame,
                                std::vector<int64_t>& highlightedOut)
{
    TextBuffer& buffer = *m_buffer;
    auto lineStart = [&buffer](int64_t position) {
        int32_t row = 0, column = 0;
        buffer.rowcol(position, row, column);
        return position - column;
    };
    std::vector<int64_t> bookmarks;
    for (const SelectionRegion& mark : buffer.m_bookmarks)
        bookmarks.push_back(lineStart(mark.begin()));
    std::vector<int64_t> anchors;
    std::vector<int64_t> carets;
    std::vector<int64_t>& caretLines = m_settings.highlightLine ? carets : anchors;
    for (const SelectionRegion& region : sel()) {
        if (region.empty())
            caretLines.push_back(lineStart(region.b));
        else
            anchors.push_back(lineStart(region.a));
    }
    GutterArguments args;
    args.canvas = canvas;
    args.theme = frame.theme;
    args.band = visibleBand(m_translationX, m_translationY, m_viewportWidth, m_viewportHeight, m_zoom);
    args.bookmarks = &bookmarks;
    args.fullyHighlighted = &carets;
    args.gutterHighlighted = &anchors;
    args.lineNumbers = m_settings.lineNumbers;
    args.active = frame.active;
    args.settings = &m_settings;
    m_renderer->drawGutter(args, highlightedOut);
}

// --- Window and plug-in hooks ---------------------------------------------------

void TextBufferView::setInputRegion(InputRegion* region, float textOriginX, float textOriginY)
{
    m_inputRegion = region;
    m_textOrigin.x = textOriginX;
    m_textOrigin.y = textOriginY;
}

void TextBufferView::activate()
{
    if (BufferSource* source = m_buffer->source())
        source->makeDirectoryCurrent();
    // By index, each called from a copy: a listener may add another.
    for (size_t i = 0; i < m_onActivated.size(); ++i) {
        const ActivatedListener listener = m_onActivated[i];
        listener();
    }
}
