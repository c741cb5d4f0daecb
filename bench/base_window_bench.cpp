// Typing into a window: every character goes through the window's key
// pipeline and its binding map, whose snippet triggers ("f,o,r,tab") keep
// letters pending and ask the focused regions for their contexts at each
// stroke. The frame is shaped like an editor's: a few hundred regions (tabs,
// gutters, scroll bars, panels), the text view focused three levels down.
// The argument is the number of regions in the frame.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "input/binding_map.h"
#include "ui/base_window.h"
#include "ui/input_region.h"
#include "ui/string_interner.h"
#include "ui/unicode.h"

namespace {

// A region that takes characters and predictions and knows the selector
// context of a C file.
struct TextRegion : InputRegion {
    using InputRegion::InputRegion;
    bool onCharacter(const CharacterEvent&) override { return true; }
    bool onPredictedCharacter(const CharacterEvent&) override { return true; }
    bool checkContext(const ustring& name, const ustring& value, bool& result) override
    {
        if (name != u"selector")
            return false;
        result = value == u"source.c";
        return true;
    }
};

struct BenchWindow : BaseWindow {
    void onCommandLine(const std::vector<ustring>&) override {}
};

// 300 snippet triggers of 2 to 5 letters followed by tab, under four
// selectors, as the snippet store binds them.
void bindSnippets(BindingMap& map)
{
    StringInterner& interner = BindingSourceManager::get().interner();
    const uchar* selector = interner.intern(u"selector");
    const char16_t* scopes[] = {u"source.c", u"source.python", u"text.html", u"source.js"};
    for (int i = 0; i < 300; ++i) {
        ustring trigger;
        const int length = 2 + i % 4;
        for (int c = 0; c < length; ++c) {
            trigger += static_cast<char16_t>(u'a' + (i * 7 + c * 3) % 26);
            trigger += u',';
        }
        map.bind(trigger + u"tab", u"insertSnippet \"" + toUstring(std::to_string(i)) + u"\"",
                 {{selector, interner.intern(scopes[i % 4])}});
    }
}

class Fixture {
public:
    explicit Fixture(int regions) : m_regions(regions)
    {
        BindingSourceManager::create();
        m_window = std::make_unique<BenchWindow>();
        m_window->m_rect = interval2(0, 0, 1200, 800);
        m_window->setDrawFunction([this](InputRegion* root, const interval2& rect) {
            // Panels of leaves, the last panel holding the view that has the focus.
            const int panels = 8;
            for (int p = 0; p < panels; ++p) {
                auto* panel = new InputRegion(m_window.get(), RegionId(this, p), rect);
                root->addChild(panel);
                for (int leaf = 0; leaf < m_regions / panels; ++leaf)
                    panel->addChild(new InputRegion(m_window.get(), RegionId(panel, this, leaf), rect));
                if (p == panels - 1)
                    panel->addChild(new TextRegion(m_window.get(), RegionId(this, &m_window), rect));
            }
            return true;
        });
        m_window->setBindingMap(new BindingMap());
        bindSnippets(*m_window->bindingMap());
        m_window->draw(true);
        m_window->focusState()->requestFocus(RegionId(this, &m_window));
        m_window->draw(true);
    }
    ~Fixture()
    {
        m_window.reset();
        BindingSourceManager::destroy();
    }
    BaseWindow& window() { return *m_window; }

private:
    int m_regions;
    std::unique_ptr<BenchWindow> m_window;
};

void BM_WindowTypingWithSnippetTriggers(benchmark::State& state)
{
    Fixture fixture(static_cast<int>(state.range(0)));
    const ustring text = u"the quick brown fox jumps over the lazy dog ";
    for (auto _ : state) {
        for (uchar c : text) {
            CharacterEvent event;
            event.character = c;
            fixture.window().onCharacter(event);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_WindowTypingWithSnippetTriggers)->Arg(40)->Arg(400);

} // namespace
