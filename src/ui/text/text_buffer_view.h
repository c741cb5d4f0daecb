// One view onto a text buffer: where it is scrolled to, its zoom, the size of
// the window area it fills, the settings it draws with, its selection (kept
// in a view state, which cloned views share) and the renderer that lays its
// text out. The window code creates views through TextBuffer::createView,
// draws them every frame and converts mouse positions through them; the
// editing commands change the text and the selection through them.
//
// Several views of one buffer share one renderer whenever they would lay the
// text out identically (equal layout settings and layout width). A view's
// renderer is replaced, never changed, when its layout changes.
//
// Shared through slate::SP<TextBufferView>: a new view goes into an SP at
// once. Main thread only.
//
//     slate::SP<TextBufferView> view = buffer->createView(canvas);
//     view->setOptions(options);        // reads the settings, listens for changes
//     view->setViewportSize(640, 480);
//     view->draw(canvas, frame);
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/interval2.h"
#include "ui/options.h"
#include "ui/reference_counted.h"
#include "ui/text/render/token_renderer.h"
#include "ui/text/selection_history.h"
#include "ui/text/selection_set.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_settings.h"
#include "ui/text/view_state.h"
#include "ui/ustring.h"

class Canvas;
class InputRegion;
class Theme;

// What the window hands a view for one frame, passed on to the renderer as
// it stands.
struct ViewFrame {
    bool active = false; // the view has the focus: active colours, carets, brackets
    bool halfPixelShapes = false; // the canvas samples pixel centres
    Theme* theme = nullptr; // may be null: no bookmark icons in the gutter
    // The lines drawGutter of the same frame highlighted; may be null.
    const std::vector<int64_t>* highlightedLines = nullptr;
};

class TextBufferView : public slate::ReferenceCounted<TextBufferView> {
public:
    using ActivatedListener = std::function<void()>;
    // (context key, operand text, result): true when the listener answered,
    // with the answer in `result`.
    using QueryContextListener =
        std::function<bool(const ustring& key, const ustring& operand, bool& result)>;

    // A view of `buffer` (never null) drawn with the fonts of `canvas`
    // (never null; it must outlive the view). The view is not listed by the
    // buffer: TextBuffer::createView makes views and lists them, and is what
    // callers use.
    TextBufferView(slate::SP<TextBuffer> buffer, Canvas* canvas);
    // Takes the view off the buffer's list and off its options' listeners.
    ~TextBufferView();
    TextBufferView(const TextBufferView&) = delete;
    TextBufferView& operator=(const TextBufferView&) = delete;

    // --- Identity, buffer and state -----------------------------------------

    uint32_t id() const { return m_id; }
    TextBuffer* buffer() const { return m_buffer.get(); }
    const slate::SP<TextBuffer>& sharedBuffer() const { return m_buffer; }
    ViewState& viewState() const { return *m_viewState; }
    // Makes this view show the selection, history and fields of `other`,
    // which must show the same buffer (an assertion).
    void shareViewState(const TextBufferView& other);

    // The current selection. mutableSel and mutableSelectionHistory first keep
    // the buffer's next undo group from merging into the last one.
    const SelectionSet& sel() const { return m_viewState->sel(); }
    SelectionSet& mutableSel() { return m_viewState->mutableSel(); }
    const SelectionHistory& selectionHistory() const { return m_viewState->selectionHistory(); }
    SelectionHistory& mutableSelectionHistory() { return m_viewState->mutableSelectionHistory(); }

    // --- Renderer ------------------------------------------------------------

    // Takes the renderer of another view of the buffer that lays the text
    // out the same way (equal layout settings and layout width), else a new
    // one. The view must hold none (an assertion).
    void attachRenderer();
    void dropRenderer();
    // After the layout settings, the layout width or the buffer's token
    // storage changed.
    void reattachRenderer();
    // Null only between dropRenderer and attachRenderer.
    TokenRenderer* renderer() const { return m_renderer.get(); }

    // --- Settings and options ------------------------------------------------

    const ViewSettings& settings() const { return m_settings; }
    // The view's own options, null until setOptions.
    const slate::SP<Options>& options() const { return m_options; }
    // Keeps `options` (may be null: the view keeps its settings), listens to
    // their changes with applyOptions and applies them once. The listener on
    // the options held before is removed.
    void setOptions(const slate::SP<Options>& options);
    // Reads the buffer's and the view's settings from the options and
    // reattaches the renderer; switching word wrap on scrolls back to the
    // left edge. Nothing without options.
    void applyOptions();

    // Width to wrap at when the settings give no wrap width of their own.
    float layoutWidthSetting() const { return m_layoutWidth; }
    void setLayoutWidth(float width);

    // --- Geometry ------------------------------------------------------------
    // Window coordinates are relative to the view's area; layout coordinates
    // are the renderer's. The two conversions are exact inverses only at
    // zoom 1 or translation 0.

    double translationX() const { return m_translationX; }
    double translationY() const { return m_translationY; }
    // Store floor(value): scroll offsets stay whole.
    void setTranslationX(double value);
    void setTranslationY(double value);
    // Stored as given (sessions restore exactly what they saved).
    void setTranslation(double x, double y)
    {
        m_translationX = x;
        m_translationY = y;
    }
    float zoom() const { return m_zoom; }
    void setZoom(float zoom) { m_zoom = zoom; }
    float viewportWidth() const { return m_viewportWidth; }
    float viewportHeight() const { return m_viewportHeight; }
    void setViewportSize(float width, float height)
    {
        m_viewportWidth = width;
        m_viewportHeight = height;
    }

    LayoutPoint windowToLayout(double x, double y) const;
    LayoutPoint layoutToWindow(double x, double y) const;
    int64_t positionAtWindowPoint(const vector2& point);
    // From the position at the top left corner of the viewport to the one
    // at its bottom right.
    SelectionRegion visibleRegion();
    // Width of the widest line and height of all lines.
    LayoutPoint layoutExtent();
    int64_t layoutToText(const LayoutPoint& point);
    LayoutPoint textToLayout(int64_t position);
    // At a wrap, the visual line nearer `x`.
    LayoutPoint textToLayoutNearX(int64_t position, double x);
    float gutterWidth(bool lineNumbers);
    // The effective wrap width: the settings' when not 0, else the layout
    // width.
    float layoutWidth() const;
    // The font's line height plus the line paddings.
    double lineHeight() const;
    // The largest scroll offsets, both at least 0: horizontally the widest
    // line plus two widths of 'M' (plus the centring margin), vertically up
    // to the last line at the top with scrollPastEnd, else the last line at
    // the bottom.
    LayoutPoint maxTranslation();
    // How far the text reaches past the viewport, without centring or
    // scrolling past the end.
    LayoutPoint contentOverhang();

    // --- Drawing and status ---------------------------------------------------

    // "Line 1, Column 1", "5 characters selected", "3 selection regions"...,
    // with " - Field 1 of 3" while a snippet with several fields is filled
    // in.
    ustring statusText() const;
    // The brackets to highlight this frame: empty unless bracket matching is
    // on and the selection is one caret inside or next to a pair.
    SelectionRegion bracketRegion();
    // The named regions to draw this frame, `scaled` when the view is drawn
    // reduced (the minimap).
    std::vector<RegionLayer> highlightLayers(bool scaled);
    // Draws the band the viewport shows. A zoom other than 1 draws the
    // reduced overview.
    void draw(Canvas* canvas, const ViewFrame& frame);
    // Draws the gutter of that band: bookmarks, the lines of selection
    // anchors and carets. Appends to `highlightedOut` what draw needs in
    // ViewFrame::highlightedLines.
    void drawGutter(Canvas* canvas, const ViewFrame& frame, std::vector<int64_t>& highlightedOut);

    // (1, 1, 1) for a mid-grey colour (every component in [0.35, 0.65)),
    // else the complement: a colour that stands out on `colour`.
    static void contrastColour(const float colour[3], float out[3]);

    // --- Window and plug-in hooks ---------------------------------------------

    bool overwrite() const { return m_overwrite; }
    void setOverwrite(bool overwrite) { m_overwrite = overwrite; }

    // The input region of the text control that shows the view (not owned),
    // and where its text area begins. The control of the newest frame sets
    // it, replacing one of an older tree that is still kept alive; null
    // detaches.
    void setInputRegion(InputRegion* region, float textOriginX, float textOriginY);
    InputRegion* inputRegion() const { return m_inputRegion; }
    vector2 textOrigin() const { return m_textOrigin; }

    // Keyed status-bar texts of plug-ins, in key order.
    const std::map<ustring, ustring>& statusValues() const { return m_statusValues; }
    void setStatusValue(const ustring& key, const ustring& text) { m_statusValues[key] = text; }
    void eraseStatusValue(const ustring& key) { m_statusValues.erase(key); }

    // Makes the folder of the buffer's file the current directory, then runs
    // the activated listeners in order.
    void activate();
    void addActivatedListener(ActivatedListener listener)
    {
        m_onActivated.push_back(std::move(listener));
    }
    void addQueryContextListener(QueryContextListener listener)
    {
        m_onQueryContext.push_back(std::move(listener));
    }
    const std::vector<QueryContextListener>& queryContextListeners() const
    {
        return m_onQueryContext;
    }

    // --- Session -------------------------------------------------------------

    // Writes the scroll position, zoom, options, selection and persistent
    // named regions into a session node (never null).
    void writeSettings(const slate::SP<Options>& node);
    // Reads the scroll position, zoom, buffer name and options back at once,
    // and the selection and regions when the buffer's next load ends (only
    // when it still has the size it had). The view must have its options.
    void readSettings(const slate::SP<Options>& node);

private:
    // Listeners hold this weakly and reach the view only while it lives.
    using Lifetime = std::shared_ptr<TextBufferView*>;

    Lifetime m_lifetime; // reset first thing in the destructor
    const uint32_t m_id;
    InputRegion* m_inputRegion = nullptr; // not owned
    vector2 m_textOrigin;
    double m_translationX = 0.0;
    double m_translationY = 0.0;
    float m_zoom = 1.f;
    float m_viewportWidth = 0.f;
    float m_viewportHeight = 0.f;
    ViewSettings m_settings;
    slate::SP<TextBuffer> m_buffer; // never null
    bool m_overwrite = false;
    std::map<ustring, ustring> m_statusValues;
    slate::SP<Options> m_options; // may be null
    Options::ListenerId m_optionsListener = 0; // on m_options; 0 for none
    float m_layoutWidth = 0.f;
    slate::SP<TokenRenderer> m_renderer; // over the buffer's current token storage
    slate::SP<ViewState> m_viewState; // never null
    std::vector<ActivatedListener> m_onActivated;
    std::vector<QueryContextListener> m_onQueryContext;
};
