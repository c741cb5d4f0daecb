// A real application window that shows one text view, for the Wine tests
// and benchmarks that drive the text control through the window procedure.
// TextViewWindow is the window's content: a BaseWindow whose every frame
// draws one textView (with its minimap on the right) over the whole client
// area, with the window's keys bound by a key map file. The minimap shares
// the view's selection and draws in a font of its own. TextViewSession
// holds what such a window needs around it: the binding sources and a file
// manager whose "Packages/" is the test data's key maps.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "canvas/canvas.h"
#include "controls/text_control.h"
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

namespace text_window_test {

// A renderer the windows draw with, as the manager is told to pick it.
struct RendererCase {
    const char* name;
    int managerFlags;
    RendererKind kind;
};

inline void PrintTo(const RendererCase& renderer, std::ostream* out)
{
    *out << renderer.name;
}

// Direct3D 9 draws through swap chains of its own, as the renderer tests'
// peers do.
inline const RendererCase kRendererCases[] = {
    {"OpenGL", Win32WindowManager::kUseOpenGL, RendererKind::OpenGL},
    {"Direct3D9", Win32WindowManager::kUseSwapChains, RendererKind::Direct3D9},
};

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

class TextViewWindow : public BaseWindow {
public:
    // Shows `buffer` (never null) with the options parsed from
    // `optionsText`. The views are made when the window hands over its
    // canvas.
    TextViewWindow(slate::SP<TextBuffer> buffer, const std::string& optionsText)
        : m_buffer(std::move(buffer)), m_options(new Options), m_minimapOptions(new Options)
    {
        m_options->parse(toUstring(optionsText));
        m_minimapOptions->parse(toUstring(optionsText + "\ngutter false\nfont Courier New 3\n"));
        setDrawFunction([this](InputRegion* root, const interval2& rect) { return drawFrame(root, rect); });
    }

    // Opens the window through the manager, its frame at the top left of
    // the screen width x height pixels large, with the key map read and the
    // text region focused; null when the window or the key map could not be
    // made. The window owns what is returned.
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
        m_minimap->setOptions(m_minimapOptions);
    }
    void onCommandLine(const std::vector<ustring>&) override {}

    TextBuffer& buffer() const { return *m_buffer; }
    TextBufferView& view() const { return *m_view; }

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
    slate::SP<Options> m_minimapOptions; // the view's, in a small font without a gutter
    std::unique_ptr<Theme> m_theme; // over the window's canvas, from setCanvas on
    slate::SP<TextBufferView> m_view;    // null until setCanvas
    slate::SP<TextBufferView> m_minimap; // shares the view's selection
};

} // namespace text_window_test
