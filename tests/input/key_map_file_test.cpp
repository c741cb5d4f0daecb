#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "input/binding_map.h"
#include "ui/log.h"
#include "ui/string_interner.h"
#include "ui/text/package_test_support.h"
#include "ui/unicode.h"

namespace {

KeyStroke key(int code, uint16_t modifiers = 0) { return {code, modifiers, 0}; }
KeyStroke ch(char16_t c) { return {0, 0, c}; }
const KeyStroke kCtrlK = key('k', kModifierCtrl);

// A binding source standing for the snippet store.
struct FixedSource : BindingSourceManager::BindingSource {
    std::vector<KeyBinding> bindings;
    void getBindings(std::vector<KeyBinding>& out) override
    {
        out.insert(out.end(), bindings.begin(), bindings.end());
    }
};

std::string keymap(const std::string& body) { return "<keymap>\n" + body + "</keymap>\n"; }

std::string readTestData(const std::string& name)
{
    std::ifstream in(VANTREL_TEST_DATA_DIR "/input/" + name, std::ios::binary);
    EXPECT_TRUE(in) << "missing test data " << name;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Collects the log lines that start with `prefix`.
struct LogLinesStartingWith : DebugListener {
    explicit LogLinesStartingWith(std::string prefix) : m_prefix(std::move(prefix)) { addDebugListener(this); }
    ~LogLinesStartingWith() override { removeDebugListener(this); }
    void message(const uchar* text) override
    {
        const std::string line = toUtf8(text);
        if (line.compare(0, m_prefix.size(), m_prefix) == 0)
            lines.push_back(line);
    }
    std::string m_prefix;
    std::vector<std::string> lines;
};

// Key maps read from an in-memory "Packages/" with errors recorded.
class KeyMapFileTest : public testing::Test {
protected:
    KeyMapFileTest() { BindingSourceManager::create(); }
    ~KeyMapFileTest() override
    {
        m_map.reset();
        BindingSourceManager::get().removeSource(&m_source);
        BindingSourceManager::destroy();
    }

    BindingMap& map()
    {
        if (!m_map) {
            m_map = std::make_unique<BindingMap>();
            m_map->setContextFunction([this](const slate::usubstring& name, const slate::usubstring& value) {
                return m_holding.count(toUtf8(name) + "=" + toUtf8(value)) != 0;
            });
        }
        return *m_map;
    }
    // The command the strokes run, or "" when they run none.
    std::string run(const std::vector<KeyStroke>& strokes)
    {
        std::vector<InputAction> actions;
        for (const KeyStroke& stroke : strokes)
            map().resolve(stroke, actions);
        map().clearPending();
        std::string result;
        for (const InputAction& action : actions) {
            if (action.kind == InputAction::Kind::Command)
                result += (result.empty() ? "" : "|") + toUtf8(action.command);
        }
        return result;
    }

    package_test::ReportedErrors m_errors;
    package_test::MemoryPackages m_packages;
    FixedSource m_source;
    std::set<std::string> m_holding;
    std::unique_ptr<BindingMap> m_map;
};

} // namespace

TEST_F(KeyMapFileTest, UserBeatsPackageBeatsBindingSource)
{
    StringInterner& interner = BindingSourceManager::get().interner();
    m_source.bindings = {{u"f1", u"source", {}}, {u"f2", u"source", {}}, {u"f3", u"source", {}}};
    BindingSourceManager::get().addSource(&m_source);
    m_packages.add(u"Default/Default.vantrel-keymap",
                   keymap("<binding key='f2' command='package'/>\n"
                          "<binding key='f3' command='package'/>\n"));
    m_packages.add(u"User/Default - User.vantrel-keymap", keymap("<binding key='f3' command='user'/>\n"));
    m_packages.add(u"Other/Other.vantrel-keymap", keymap("<binding key='f1' command='other'/>\n"));
    map().setKeymapName(u"Default");
    EXPECT_EQ(run({key(kKeyF1)}), "source");
    EXPECT_EQ(run({key(kKeyF2)}), "package");
    EXPECT_EQ(run({key(kKeyF3)}), "user");
    (void)interner;
    EXPECT_TRUE(m_errors.take().empty());
}

TEST_F(KeyMapFileTest, XmlErrorRollsBackToTheBindingsInUseAndNamesFileAndLine)
{
    m_packages.add(u"Default/Default.vantrel-keymap", keymap("<binding key='f5' command='build'/>\n"));
    map().setKeymapName(u"Default");
    ASSERT_EQ(run({key(kKeyF5)}), "build");

    // A user file with an error after a good package file: nothing of this
    // reload stays, not even the package file's new binding.
    m_packages.add(u"Default/Default.vantrel-keymap",
                   keymap("<binding key='f5' command='rebuilt'/>\n<binding key='f6' command='new'/>\n"));
    m_packages.change(u"User/Default - User.vantrel-keymap",
                      "<keymap>\n<binding key='f5' command='user'>\n</keymap>\n");
    EXPECT_EQ(run({key(kKeyF5)}), "build");
    EXPECT_EQ(run({key(kKeyF6)}), "");
    const std::vector<std::string> errors = m_errors.take();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Error parsing key binding xml: ", 0), 0u) << errors[0];
    EXPECT_NE(errors[0].find(" In file Packages/User/Default - User.vantrel-keymap"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("line 3"), std::string::npos) << errors[0];

    // Mended, the next change reloads everything.
    m_packages.change(u"User/Default - User.vantrel-keymap", keymap("<binding key='f7' command='user'/>\n"));
    EXPECT_EQ(run({key(kKeyF5)}), "rebuilt");
    EXPECT_EQ(run({key(kKeyF6)}), "new");
    EXPECT_EQ(run({key(kKeyF7)}), "user");
}

TEST_F(KeyMapFileTest, FilesThatAreNotKeyMapsAreRefused)
{
    const char* bodies[] = {"", "   ", "<!-- only a comment -->", "not xml", "<a><b></a>"};
    for (const char* body : bodies) {
        SCOPED_TRACE(body);
        m_map.reset();
        m_packages.add(u"Default/Default.vantrel-keymap", body);
        BindingMap& m = map();
        m.bind(u"f1", u"kept", {});
        EXPECT_FALSE(m.readFile(u"Packages/Default/Default.vantrel-keymap"));
        EXPECT_EQ(m_errors.take().size(), 1u);
        EXPECT_EQ(run({key(kKeyF1)}), "kept");
    }
    EXPECT_FALSE(map().readFile(u"Packages/Missing/Missing.vantrel-keymap"));
    EXPECT_EQ(m_errors.take().size(), 1u);
}

TEST_F(KeyMapFileTest, ElementsAndAttributesThatAreMissingAreSkipped)
{
    m_packages.add(u"Default/Default.vantrel-keymap",
                   keymap("<binding key='f1'/>\n"
                          "<binding command='nokey'/>\n"
                          "<binding key='f2' command='two'><context name='mode'/><context value='x'/></binding>\n"
                          "<other><binding key='f3' command='nested'/></other>\n"
                          "<binding key='f4' command='four'><context name='mode' value='on'/></binding>\n"
                          "<binding key='f5' command='\xff'/>\n"));
    map().setKeymapName(u"Default");
    EXPECT_EQ(run({key(kKeyF1)}), "");
    EXPECT_EQ(run({key(kKeyF2)}), "two");
    EXPECT_EQ(run({key(kKeyF3)}), "");
    EXPECT_EQ(run({key(kKeyF4)}), "");
    EXPECT_EQ(run({key(kKeyF5)}), "");
    m_holding = {"mode=on"};
    EXPECT_EQ(run({key(kKeyF4)}), "four");
}

TEST_F(KeyMapFileTest, NamespacesExpandUnderTheRootKey)
{
    m_packages.add(u"Default/Default.vantrel-keymap",
                   keymap("<binding key='ctrl+k' command='pre ${ns} post'>\n"
                          "  <context name='outer' value='1'/>\n"
                          "</binding>\n"
                          "<namespace name='ns'>\n"
                          "  <binding key='x' command='y'/>\n"
                          "  <binding key='z' command='w'><context name='inner' value='2'/></binding>\n"
                          "</namespace>\n"
                          "<namespace><binding key='q' command='unnamed'/></namespace>\n"
                          "<binding key='ctrl+m' command='${missing}'/>\n"
                          "<binding key='ctrl+o' command='open ${ns'/>\n"
                          "<binding key='ctrl+p' command='cost $5'/>\n"
                          "<namespace name='ns'><binding key='v' command='added'/></namespace>\n"));
    map().setKeymapName(u"Default");
    EXPECT_EQ(run({kCtrlK, ch('x')}), "");
    m_holding = {"outer=1"};
    EXPECT_EQ(run({kCtrlK, ch('x')}), "pre y post");
    EXPECT_EQ(run({kCtrlK, ch('v')}), "pre added post");
    EXPECT_EQ(run({kCtrlK, ch('z')}), "");
    m_holding = {"outer=1", "inner=2"};
    EXPECT_EQ(run({kCtrlK, ch('z')}), "pre w post");
    EXPECT_EQ(run({kCtrlK}), "");
    EXPECT_EQ(run({key('x')}), "");
    EXPECT_EQ(run({key('m', kModifierCtrl)}), "");
    EXPECT_EQ(run({key('o', kModifierCtrl)}), "");
    EXPECT_EQ(run({key('p', kModifierCtrl)}), "cost $5");
}

TEST_F(KeyMapFileTest, SameNameDoesNotReloadAndEveryMapFollowsReloadAll)
{
    m_packages.add(u"Default/Default.vantrel-keymap", keymap("<binding key='f1' command='one'/>\n"));
    map().setKeymapName(u"Default");
    m_packages.add(u"Default/Default.vantrel-keymap", keymap("<binding key='f1' command='two'/>\n"));
    map().setKeymapName(u"Default");
    EXPECT_EQ(run({key(kKeyF1)}), "one");
    BindingMap second;
    second.setKeymapName(u"Default");
    m_source.bindings = {{u"f9", u"snippet", {}}};
    BindingSourceManager::get().addSource(&m_source);
    BindingSourceManager::get().reloadAll();
    EXPECT_EQ(run({key(kKeyF1)}), "two");
    EXPECT_EQ(run({key(kKeyF9)}), "snippet");
    std::vector<InputAction> actions;
    second.resolve(key(kKeyF9), actions);
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(actions[0].command, u"snippet");
}

TEST_F(KeyMapFileTest, RealisticKeyMapLoads)
{
    LogLinesStartingWith dropped("Unable to find key for string");
    m_packages.add(u"Default/Default.vantrel-keymap", readTestData("Default.vantrel-keymap"));
    map().setKeymapName(u"Default");
    EXPECT_TRUE(m_errors.take().empty());
    EXPECT_EQ(dropped.lines, std::vector<std::string>());
    EXPECT_EQ(map().keyText(u"save"), u"Ctrl+S");
    EXPECT_EQ(run({key('s', kModifierCtrl)}), "save");
    EXPECT_EQ(run({kCtrlK, key('u', kModifierCtrl)}), "upperCase");
    EXPECT_EQ(run({key('/', kModifierCtrl)}), "toggleComment");
    EXPECT_EQ(run({key(']', kModifierCtrl)}), "indent");
}

// The XML reader's own refusals reach the user with their reason, not the
// parser's generic text and a line it does not know.
TEST_F(KeyMapFileTest, RefusedXmlNamesItsReason)
{
    std::string deep = "<keymap>";
    for (int i = 0; i < 1200; ++i)
        deep += "<a>";
    deep += "</keymap>";
    const std::string withNul = keymap("<binding key='f1' command='x'/>") + std::string(1, '\0') + "<more/>";
    struct Case {
        std::string bytes;
        std::string reason;
    } cases[] = {
        {deep, "Elements nested more than 1000 deep"},
        {withNul, "Embedded NUL character at byte " + std::to_string(withNul.find('\0'))},
        {"<keymap>\n<binding key='f5'>\n</keymap>\n", "(line 3)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        m_map.reset();
        m_packages.add(u"Default/Default.vantrel-keymap", c.bytes);
        map().bind(u"f1", u"kept", {});
        EXPECT_FALSE(map().readFile(u"Packages/Default/Default.vantrel-keymap"));
        const std::vector<std::string> errors = m_errors.take();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].rfind("Error parsing key binding xml: ", 0), 0u) << errors[0];
        EXPECT_NE(errors[0].find(c.reason), std::string::npos) << errors[0];
        EXPECT_EQ(errors[0].find("line 0"), std::string::npos) << errors[0];
        EXPECT_NE(errors[0].find(" In file Packages/Default/Default.vantrel-keymap"), std::string::npos) << errors[0];
        EXPECT_EQ(run({key(kKeyF1)}), "kept");
    }
}

// Namespaces multiply bindings: a key map may expand to the limit, and one
// binding more refuses the whole file.
TEST_F(KeyMapFileTest, KeyMapsBeyondTheBindingLimitAreRefusedWhole)
{
    const size_t perNamespace = 1000;
    std::string space = "<namespace name='n'>";
    for (size_t i = 0; i < perNamespace; ++i)
        space += "<binding key='x' command='inner'/>";
    space += "</namespace>\n";
    std::string atLimit = space;
    for (size_t i = 0; i < BindingMap::kMaxKeyMapBindings / perNamespace; ++i)
        atLimit += "<binding key='ctrl+k' command='${n}'/>\n";
    m_packages.add(u"Default/Default.vantrel-keymap", keymap(atLimit));
    EXPECT_TRUE(map().readFile(u"Packages/Default/Default.vantrel-keymap"));
    EXPECT_TRUE(m_errors.take().empty());
    EXPECT_EQ(run({kCtrlK, ch('x')}), "inner");

    m_map.reset();
    m_packages.add(u"Default/Default.vantrel-keymap",
                   keymap("<binding key='f1' command='first'/>\n" + atLimit));
    map().bind(u"f2", u"kept", {});
    EXPECT_FALSE(map().readFile(u"Packages/Default/Default.vantrel-keymap"));
    const std::vector<std::string> errors = m_errors.take();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("more than 100000 bindings"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(" In file Packages/Default/Default.vantrel-keymap"), std::string::npos) << errors[0];
    EXPECT_EQ(run({key(kKeyF2)}), "kept");
    EXPECT_EQ(run({key(kKeyF1)}), "");
    EXPECT_EQ(run({kCtrlK, ch('x')}), "");
}

// Found by fuzzing: 249 KB that expand to 128,000 bindings under one key
// once took 43 s to load. Refused, the reload keeps the bindings before it.
TEST_F(KeyMapFileTest, NamespaceBombIsRefusedAndThePreviousBindingsStay)
{
    m_packages.add(u"Default/Default.vantrel-keymap", keymap("<binding key='f1' command='before'/>\n"));
    map().setKeymapName(u"Default");
    m_packages.change(u"User/Default - User.vantrel-keymap", readTestData("key-map-namespace-quadratic-1.xml"));
    const std::vector<std::string> errors = m_errors.take();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("more than 100000 bindings"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(" In file Packages/User/Default - User.vantrel-keymap"), std::string::npos) << errors[0];
    EXPECT_EQ(run({key(kKeyF1)}), "before");
    EXPECT_EQ(run({ch('a'), ch('b')}), "");
}
