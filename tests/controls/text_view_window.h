// A real application window that shows one text view, for the Wine tests
// and benchmarks that drive the text control through the window procedure.
// TextViewWindow is the window's content: a BaseWindow whose every frame
// draws one textView (with its minimap on the right) over the whole client
// area, with the window's keys bound by a key map file. TextViewSession
// holds what such a window needs around it: the binding sources and a file
// manager whose "Packages/" is the test data's key maps.
#pragma once

#include <cmath>
#include <memory>
#include <string>

#include "controls/text_control_bindings.h"
#include "canvas/canvas.h"
#include "input/command_map.h"
#include "ui/text/text_buffer_typing.h"
#include "filesystem/file_manager.h"
#include "input/binding_map.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/base_window.h"
#include "ui/options.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/theme.h"
#include "ui/unicode.h"
#include "window_manager/window.h"
#include "window_manager/windows/win32_window_manager.h"

namespace text_view_test {

// The key map the windows use: the test data's default key map.
inline const char16_t* const kKeyMapPath = u"Packages/Default.vantrel-keymap";

// The singletons a text view window needs, for the life of a test.
class TextViewSession {
public:
    TextViewSession()
    {
        BindingSourceManager::create();
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/",
                                        test_support::createFileSystem(test_support::dataPath("input").string()));
    }
    ~TextViewSession()
    {
        slate::FileManager::destroy();
        BindingSourceManager::destroy();
    }
    TextViewSession(const TextViewSession&) = delete;
    TextViewSession& operator=(const TextViewSession&) = delete;
};

// Stands in for the text control until it exists: types characters and
// runs the text commands, without mouse input.
class StandInTextRegion : public InputRegion {
public:
    StandInTextRegion(BaseWindow* window, const interval2& rect, const slate::SP<TextBufferView>& view, float gutter)
        : InputRegion(window, RegionId(view.get()), rect), m_view(view)
    {
        view->setInputRegion(this, rect.x0 + gutter, rect.y0);
        addTextCommands(view, m_commands, &m_commands, true, {}, nullptr);
    }
    ~StandInTextRegion() override { m_view->setInputRegion(nullptr, 0, 0); }
    bool onCharacter(const CharacterEvent& event) override
    {
        if (event.character < 32 && event.character != 9)
            return false;
        insertAndDecodeCharacters(m_view, ustring(1, char16_t(event.character)));
        return true;
    }
    bool acceptsFocus() override { return true; }
    bool wantsTab() override { return true; }
    CommandRunner* commandRunner() override { return &m_commands; }

private:
    slate::SP<TextBufferView> m_view;
    CommandMap m_commands;
};

inline bool textView(Theme&, InputRegion* parent, const interval2& rect, const slate::SP<TextBufferView>& view,
                     const slate::SP<TextBufferView>&, bool, float, std::nullptr_t, std::nullptr_t)
{
    Canvas* canvas = view->settings().canvas;
    const float gutter = view->gutterWidth(view->settings().lineNumbers);
    parent->addChild(new StandInTextRegion(parent->baseWindow(), rect, view, gutter));
    view->setViewportSize(rect.x1 - rect.x0 - gutter, rect.y1 - rect.y0);
    ViewFrame frame;
    frame.active = true;
    frame.halfPixelShapes = true;
    std::vector<int64_t> highlighted;
    frame.highlightedLines = &highlighted;
    Matrix4 shifted = Matrix4::identity();
    shifted.m[12] = rect.x0;
    shifted.m[13] = rect.y0;
    canvas->setTransform(shifted);
    view->drawGutter(canvas, frame, highlighted);
    shifted.m[12] = rect.x0 + gutter;
    canvas->setTransform(shifted);
    view->draw(canvas, frame);
    canvas->setTransform(Matrix4::identity());
    return true;
}

class TextViewWindow : public BaseWindow {
public:
    // Shows `buffer` (never null) with the options parsed from
    // `optionsText`. The views are made when the window hands over its
    // canvas.
    TextViewWindow(slate::SP<TextBuffer> buffer, const std::string& optionsText)
        : m_buffer(std::move(buffer)), m_options(new Options)
    {
        m_options->parse(toUstring(optionsText));
        setDrawFunction([this](InputRegion* root, const interval2& rect) { return drawFrame(root, rect); });
    }

    // Opens the window through the manager, its frame at the top left of
    // the screen width x height pixels large (the placement text, applied
    // before the renderer is set up: a resize of a Direct3D 9 window with
    // swap chains leaves the process hanging at exit under Wine), with the
    // key map read and the text region focused; null when the window or
    // the key map could not be made. The window owns what is returned.
    static TextViewWindow* open(Win32WindowManager& manager, slate::SP<TextBuffer> buffer,
                                const std::string& optionsText, int width, int height)
    {
        auto content = std::make_unique<TextViewWindow>(std::move(buffer), optionsText);
        auto* bindings = new BindingMap;
        content->setBindingMap(bindings);
        if (!bindings->readFile(kKeyMapPath))
            return nullptr;
        const std::string placement = "0,0,1,-1,-1,-1,-1,0,0," + std::to_string(width) + "," + std::to_string(height);
        if (!manager.createWindow(u"Text view", content.get(), nullptr, toUstring(placement)))
            return nullptr;
        TextViewWindow* window = content.release(); // the native window's now
        window->focusState()->requestFocus(RegionId(window->m_view.get()));
        return window;
    }

    void setCanvas(Canvas* canvas) override
    {
        BaseWindow::setCanvas(canvas);
        m_theme = std::make_unique<Theme>(canvas, nullptr);
        m_view = m_buffer->createView(canvas);
        m_view->setOptions(m_options);
        m_minimap = m_buffer->createView(canvas);
        m_minimap->shareViewState(*m_view);
        m_minimap->setOptions(m_options);
    }
    void onCommandLine(const std::vector<ustring>&) override {}

    TextBuffer& buffer() const { return *m_buffer; }
    TextBufferView& view() const { return *m_view; }
    TextBufferView& minimap() const { return *m_minimap; }

    // The window point of the middle of the line at `position`, at the
    // left edge of the unit there.
    vector2 windowPoint(int64_t position) const
    {
        const LayoutPoint layout = m_view->textToLayout(position);
        const LayoutPoint window = m_view->layoutToWindow(layout.x, layout.y);
        const vector2 origin = m_view->textOrigin();
        return vector2{float(origin.x + window.x), float(origin.y + window.y + m_view->lineHeight() / 2)};
    }

private:
    bool drawFrame(InputRegion* root, const interval2& rect)
    {
        canvas()->fillRect(rect, Colour(m_view->settings().backgroundColour[0],
                                        m_view->settings().backgroundColour[1],
                                        m_view->settings().backgroundColour[2]));
        return textView(*m_theme, root, rect, m_view, m_minimap, false, 0, nullptr, nullptr);
    }

    slate::SP<TextBuffer> m_buffer;
    slate::SP<Options> m_options;
    std::unique_ptr<Theme> m_theme; // over the window's canvas, from setCanvas on
    slate::SP<TextBufferView> m_view;    // null until setCanvas
    slate::SP<TextBufferView> m_minimap; // shares the view's selection
};

} // namespace text_view_test
