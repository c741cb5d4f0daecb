// Typing into a window: every character goes through the window's key
// pipeline and its binding map, whose snippet triggers ("f,o,r,tab") keep
// letters pending and ask the focused regions for their contexts at each
// stroke. The frame is shaped like an editor's: a few hundred regions (tabs,
// gutters, scroll bars, panels), the text view focused three levels down.
// The argument is the number of regions in the frame.
//
// The second benchmark types the same text with the triggers bound as the
// snippet store binds them, through a key map loaded from the store, beside
// the same window whose store holds no snippet: the triggers' cost is the
// ratio of the two.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/memory_file_system.h"
#include "input/binding_map.h"
#include "ui/base_window.h"
#include "ui/input_region.h"
#include "ui/string_interner.h"
#include "ui/text/snippet_manager.h"
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

constexpr int kTriggers = 300;
const char16_t* const kScopes[] = {u"source.c", u"source.python", u"text.html", u"source.js"};

// Trigger i of kTriggers: 2 to 5 letters, under one of four selectors.
ustring trigger(int i)
{
    ustring letters;
    const int length = 2 + i % 4;
    for (int c = 0; c < length; ++c)
        letters += static_cast<char16_t>(u'a' + (i * 7 + c * 3) % 26);
    return letters;
}

// The triggers bound directly, as the snippet store binds them.
void bindSnippets(BindingMap& map)
{
    StringInterner& interner = BindingSourceManager::get().interner();
    const uchar* selector = interner.intern(u"selector");
    for (int i = 0; i < kTriggers; ++i) {
        ustring key;
        for (uchar letter : trigger(i)) {
            key += letter;
            key += u',';
        }
        map.bind(key + u"tab", u"insertSnippet \"" + toUstring(std::to_string(i)) + u"\"",
                 {{selector, interner.intern(kScopes[i % 4])}});
    }
}

// `count` snippets with those triggers, for the snippet store.
SnippetMap triggerSnippets(int count)
{
    SnippetMap snippets;
    for (int i = 0; i < count; ++i) {
        const ustring path = u"Packages/Bench/" + toUstring(std::to_string(i)) + u".vantrel-snippet";
        snippets[path] = Snippet::create(u"", u"for (${1:i}) {\n\t$0\n}", path, trigger(i), kScopes[i % 4]);
    }
    return snippets;
}

class Fixture {
public:
    // With `storeSnippets` -1 the triggers are bound directly; otherwise
    // the key map is loaded from a snippet store holding that many.
    explicit Fixture(int regions, int storeSnippets = -1) : m_regions(regions)
    {
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/", new testing_support::MemoryFileSystem);
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
        if (storeSnippets < 0) {
            bindSnippets(*m_window->bindingMap());
        } else {
            SnippetManager::create();
            SnippetManager::get().attachSnippets(triggerSnippets(storeSnippets));
            m_window->bindingMap()->setKeymapName(u"Default");
        }
        m_window->draw(true);
        m_window->focusState()->requestFocus(RegionId(this, &m_window));
        m_window->draw(true);
    }
    ~Fixture()
    {
        m_window.reset();
        if (SnippetManager::alive())
            SnippetManager::destroy();
        BindingSourceManager::destroy();
        slate::FileManager::destroy();
    }
    BaseWindow& window() { return *m_window; }

private:
    int m_regions;
    std::unique_ptr<BenchWindow> m_window;
};

// Types the text once per iteration, one character event per unit.
void typeText(benchmark::State& state, Fixture& fixture)
{
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

void BM_WindowTypingWithSnippetTriggers(benchmark::State& state)
{
    Fixture fixture(static_cast<int>(state.range(0)));
    typeText(state, fixture);
}
BENCHMARK(BM_WindowTypingWithSnippetTriggers)->Arg(40)->Arg(400);

// The argument is the number of snippets in the store (0 or kTriggers), in
// a frame of 40 regions, where the bindings weigh most.
void BM_WindowTypingWithStoreSnippets(benchmark::State& state)
{
    Fixture fixture(40, static_cast<int>(state.range(0)));
    const ustring first = u"insertSnippet \"Packages/Bench/0.vantrel-snippet\"";
    if (state.range(0) > 0 && fixture.window().bindingMap()->keyText(first).empty()) {
        state.SkipWithError("the store's triggers are not bound");
        return;
    }
    typeText(state, fixture);
}
BENCHMARK(BM_WindowTypingWithStoreSnippets)->Arg(0)->Arg(kTriggers);

} // namespace
