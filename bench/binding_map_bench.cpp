// Key resolution on every key press, and rebuilding a window's key map. The
// map is shaped like a full editor's: about 600 plain bindings (single keys
// with modifiers and two-key chords, many with contexts), 20 pattern keys,
// and 300 snippet triggers ("f,o,r,tab") whose selector context is answered
// once per selection, so the cost of a context grows with the selections.
// The argument of each benchmark is the number of selections.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "filesystem/file_manager.h"
#include "filesystem/posix_file_system.h"
#include "input/binding_map.h"
#include "ui/string_interner.h"
#include "ui/unicode.h"

namespace {

const char* const kKeys[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
                             "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z",
                             "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10", "f11", "f12",
                             "up", "down", "left", "right", "home", "end", "pageup", "pagedown"};
const char* const kModifiers[] = {"ctrl+", "alt+", "ctrl+shift+", "alt+shift+", "ctrl+alt+"};

std::string binding(const std::string& key, const std::string& command, const std::string& contexts = "")
{
    if (contexts.empty())
        return "  <binding key=\"" + key + "\" command=\"" + command + "\"/>\n";
    return "  <binding key=\"" + key + "\" command=\"" + command + "\">" + contexts + "</binding>\n";
}

// About 600 plain bindings and 20 pattern keys.
std::string keymapText()
{
    std::string text = "<keymap>\n";
    int count = 0;
    for (const char* modifier : kModifiers) {
        for (const char* key : kKeys) {
            const std::string k = std::string(modifier) + key;
            const bool withContext = count % 4 == 0;
            text += binding(k, "command" + std::to_string(count),
                            withContext ? "<context name=\"panelVisible\" value=\"true\"/>" : "");
            ++count;
        }
    }
    for (const char* key : kKeys) {
        text += binding(std::string("ctrl+k,ctrl+") + key, "chord" + std::to_string(count++));
        text += binding(std::string("ctrl+j,") + key, "chord" + std::to_string(count++));
        if (count > 600)
            break;
    }
    for (int i = 0; i < 20; ++i)
        text += binding("ctrl+q,/[0-9]{" + std::to_string(1 + i % 3) + "}x" + std::to_string(i) + "/",
                        "pattern $1");
    text += "</keymap>\n";
    return text;
}

// 300 snippet triggers with a selector context, as the snippet store gives.
struct SnippetSource : BindingSourceManager::BindingSource {
    std::vector<KeyBinding> bindings;
    SnippetSource()
    {
        StringInterner& interner = BindingSourceManager::get().interner();
        const uchar* selector = interner.intern(u"selector");
        const char16_t* scopes[] = {u"source.c", u"source.python", u"text.html", u"source.js"};
        for (int i = 0; i < 300; ++i) {
            ustring trigger;
            // Triggers of 2 to 5 letters, spread over the alphabet.
            int length = 2 + i % 4;
            for (int c = 0; c < length; ++c) {
                trigger += c ? u"," : u"";
                trigger += static_cast<char16_t>(u'a' + (i * 7 + c * 3) % 26);
            }
            bindings.push_back({trigger + u",tab", u"insertSnippet \"Packages/S/" + toUstring(std::to_string(i)) + u".vantrel-snippet\"",
                                {{selector, interner.intern(scopes[i % 4])}}});
        }
    }
    void getBindings(std::vector<KeyBinding>& out) override { out.insert(out.end(), bindings.begin(), bindings.end()); }
};

// A temporary "Packages/" with the key map, the file manager, the binding
// manager and a map with a context function over `selections` selections.
class Fixture {
public:
    explicit Fixture(int selections, const std::string& keymap = keymapText()) : m_selections(selections)
    {
        char pattern[] = "/tmp/vantrel_keymap_bench_XXXXXX";
        if (mkdtemp(pattern))
            m_directory = pattern;
        m_file = m_directory + "/Default.vantrel-keymap";
        std::ofstream(m_file) << keymap;
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/", slate::PosixFileSystem::create(toUstring(m_directory)));
        BindingSourceManager::create();
        m_source = std::make_unique<SnippetSource>();
        BindingSourceManager::get().addSource(m_source.get());
        m_map = std::make_unique<BindingMap>();
        m_map->setContextFunction([this](const slate::usubstring& name, const slate::usubstring& value) {
            if (name == slate::usubstring(u"selector")) {
                // A scope selector tested at every selection's scope.
                int matches = 0;
                for (int i = 0; i < m_selections; ++i)
                    matches += m_scope.startsWith(value) ? 1 : 0;
                return matches == m_selections;
            }
            return false;
        });
        m_map->setKeymapName(u"Default");
    }
    ~Fixture()
    {
        m_map.reset();
        BindingSourceManager::get().removeSource(m_source.get());
        m_source.reset();
        BindingSourceManager::destroy();
        slate::FileManager::destroy();
        std::remove(m_file.c_str());
        rmdir(m_directory.c_str());
    }
    BindingMap& map() { return *m_map; }

private:
    int m_selections;
    ustring m_scopeText = u"source.c meta.function.c";
    slate::usubstring m_scope{m_scopeText};
    std::string m_directory;
    std::string m_file;
    std::unique_ptr<SnippetSource> m_source;
    std::unique_ptr<BindingMap> m_map;
};

void BM_OnKeyExactBinding(benchmark::State& state)
{
    Fixture fixture(static_cast<int>(state.range(0)));
    KeyEvent event;
    event.code = 's';
    event.pressed = true;
    event.state.key[kKeyLeftControl] = 1;
    std::vector<InputAction> actions;
    for (auto _ : state) {
        actions.clear();
        fixture.map().onKey(event, actions);
        benchmark::DoNotOptimize(actions.data());
    }
}
BENCHMARK(BM_OnKeyExactBinding)->Arg(1)->Arg(10)->Arg(100);

// Ordinary typing: most letters begin some snippet trigger, so they stay
// pending until the next letter shows the trigger failed.
void BM_OnCharacterTyping(benchmark::State& state)
{
    Fixture fixture(static_cast<int>(state.range(0)));
    const ustring text = u"the quick brown fox jumps over the lazy dog ";
    std::vector<InputAction> actions;
    for (auto _ : state) {
        actions.clear();
        for (uchar c : text) {
            CharacterEvent event;
            event.character = c;
            fixture.map().onCharacter(event, actions);
        }
        benchmark::DoNotOptimize(actions.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_OnCharacterTyping)->Arg(1)->Arg(10)->Arg(100);

// A chord into a pattern key: ctrl+q, digits, then the pattern's letter.
void BM_OnKeyPatternChord(benchmark::State& state)
{
    Fixture fixture(static_cast<int>(state.range(0)));
    KeyEvent chord;
    chord.code = 'q';
    chord.pressed = true;
    chord.state.key[kKeyLeftControl] = 1;
    const ustring typed = u"12x5";
    std::vector<InputAction> actions;
    for (auto _ : state) {
        actions.clear();
        fixture.map().onKey(chord, actions);
        for (uchar c : typed) {
            CharacterEvent event;
            event.character = c;
            fixture.map().onCharacter(event, actions);
        }
        fixture.map().resolve(KeyStroke(), actions);
        benchmark::DoNotOptimize(actions.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(typed.size() + 2));
}
BENCHMARK(BM_OnKeyPatternChord)->Arg(1)->Arg(10)->Arg(100);

void BM_Reload(benchmark::State& state)
{
    Fixture fixture(1);
    for (auto _ : state)
        fixture.map().reload();
}
BENCHMARK(BM_Reload)->Unit(benchmark::kMillisecond);

// A key map whose namespaces multiply its bindings: one namespace of
// distinct two-letter keys, expanded under ctrl+k once for each of 16
// syntaxes (a context each), so every expanded binding adds a prefix marker
// under the one key ctrl+k. The argument is the number of expanded bindings.
std::string namespaceKeymapText(int expanded)
{
    std::string text = "<keymap>\n<namespace name=\"edit\">\n";
    for (int i = 0; i < expanded / 16; ++i) {
        const std::string key = std::string(1, static_cast<char>('a' + i % 26)) + "," +
                                kKeys[(i / 26) % (sizeof kKeys / sizeof kKeys[0])];
        text += binding(key, "edit" + std::to_string(i));
    }
    text += "</namespace>\n";
    for (int syntax = 0; syntax < 16; ++syntax)
        text += binding("ctrl+k", "${edit}", "<context name=\"syntax\" value=\"s" + std::to_string(syntax) + "\"/>");
    text += "</keymap>\n";
    return text;
}

void BM_ReloadNamespaceKeymap(benchmark::State& state)
{
    Fixture fixture(1, namespaceKeymapText(static_cast<int>(state.range(0))));
    for (auto _ : state)
        fixture.map().reload();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReloadNamespaceKeymap)->Arg(8000)->Arg(64000)->Unit(benchmark::kMillisecond);

// Binding one key text of many strokes, as a hostile key map can hold: the
// argument is the number of strokes.
void BM_BindLongKey(benchmark::State& state)
{
    BindingSourceManager::create();
    ustring keyText = u"ctrl+k";
    for (int64_t i = 0; i < state.range(0); ++i)
        keyText += u",b";
    for (auto _ : state) {
        BindingMap map;
        map.bind(keyText, u"long", {});
    }
    BindingSourceManager::destroy();
}
BENCHMARK(BM_BindLongKey)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);

} // namespace
