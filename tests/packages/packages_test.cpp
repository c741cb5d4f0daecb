// The packages the editor ships, read as the program reads them: the
// repository's Packages/ and the build tree's (the dictionary) mounted at
// "Packages/" in the order a development build mounts them. Every file the
// program asks for is there and loads; every command a key binding, menu
// item or toolbar button names is a text command or on the list of
// commands still to be built (tests/packages/pending_commands.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "canvas/util/colour.h"
#include "canvas/util/png_image.h"
#include "controls/context_menu_commands.h"
#include "controls/text_control_bindings.h"
#include "filesystem/file_manager.h"
#include "filesystem/path_parts.h"
#include "filesystem/posix_file_system.h"
#include "input/binding_map.h"
#include "input/command_map.h"
#include "input/key_stroke.h"
#include "support/fixed_advance_font.h"
#include "support/golden_drawing.h"
#include "support/scratch_folder.h"
#include "texteditor/text_editor_application.h"
#include "texteditor/text_editor_window.h"
#include "texteditor/toolbar.h"
#include "packages/theme_scene.h"
#include "ui/key_codes.h"
#include "ui/log.h"
#include "ui/menu_descriptor.h"
#include "ui/options.h"
#include "ui/options_manager.h"
#include "ui/parse_strings.h"
#include "ui/string_utils.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/lexer/text_mate_grammar.h"
#include "ui/text/parse_exception.h"
#include "ui/text/spell_checker.h"
#include "ui/text/syntax/syntax.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"
#include "ui/theme.h"
#include "ui/unicode.h"
#include "ui/xml_settings.h"

namespace fs = std::filesystem;

namespace {

// The repository's packages are copied into a scratch folder once, because
// the property-list reader writes its caches beside the files it reads.
class PackagesCopy {
public:
    static const fs::path& path()
    {
        static PackagesCopy copy;
        return copy.m_folder.path();
    }

private:
    PackagesCopy() : m_folder("vantrel-packages")
    {
        fs::copy(VANTREL_PACKAGES_DIR, m_folder.path(), fs::copy_options::recursive);
    }
    test_support::ScratchFolder m_folder;
};

// Collects, for its lifetime, the log lines that contain `text`.
class LogLinesContaining final : public DebugListener {
public:
    explicit LogLinesContaining(std::string text) : m_text(std::move(text)) { addDebugListener(this); }
    ~LogLinesContaining() override { removeDebugListener(this); }
    void message(const uchar* text) override
    {
        const std::string line = toUtf8(text);
        if (line.find(m_text) != std::string::npos)
            lines.push_back(line);
    }
    std::vector<std::string> lines;

private:
    std::string m_text;
};

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// The first word of a command line, as the command maps split it.
ustring commandName(const ustring& line)
{
    std::vector<ustring> words;
    parseStrings(slate::usubstring(line), words);
    return words.empty() ? ustring() : words[0];
}

std::vector<ustring> commandWords(const ustring& line)
{
    std::vector<ustring> words;
    parseStrings(slate::usubstring(line), words);
    return words;
}

std::set<ustring> pendingCommands()
{
    std::ifstream in(VANTREL_PENDING_COMMANDS);
    EXPECT_TRUE(in) << "pending_commands.txt is missing";
    std::set<ustring> names;
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#')
            names.insert(toUstring(line));
    return names;
}

class PackagesTest : public testing::Test {
protected:
    PackagesTest()
    {
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/", slate::PosixFileSystem::create(toUstring(PackagesCopy::path().string())));
        if (fs::is_directory(VANTREL_SHARED_PACKAGES_DIR))
            slate::FileManager::get().mount(u"Packages/", slate::PosixFileSystem::create(toUstring(VANTREL_SHARED_PACKAGES_DIR)));
    }
    ~PackagesTest() override { slate::FileManager::destroy(); }

    // Every package file whose name matches `pattern`, as virtual paths.
    static std::vector<ustring> find(const ustring& pattern)
    {
        std::vector<ustring> paths;
        slate::FileManager::get().findFiles(u"Packages/", pattern, paths);
        return paths;
    }
    static std::string bytes(const ustring& path)
    {
        slate::SP<slate::MemoryBlock> block = slate::FileManager::get().read(path);
        return block ? std::string(reinterpret_cast<const char*>(block->data()), block->size()) : std::string();
    }
    static slate::SP<Options> options(const ustring& path)
    {
        slate::SP<Options> options(new Options);
        options->load(path);
        return options;
    }
};

// The commands that the package files may name: the text commands of a
// text control, the context menu's (registered by the menu at its
// position), and the commands still to be built.
class PackageCommandsTest : public PackagesTest {
protected:
    PackageCommandsTest() : m_buffer(view_test::makeBuffer(u"text")), m_view(m_buffer->createView(&m_canvas))
    {
        addTextCommands(m_view, m_map, &m_map, true, {}, nullptr);
        textContextMenu(m_view, m_map, 0, nullptr);
        for (const auto& entry : m_map.entries())
            m_textCommands.insert(entry.first);
        // Registered by the context menu only over a misspelled word.
        for (const char16_t* name : {u"spellingSuggestion", u"addWord", u"ignoreWord"})
            m_textCommands.insert(name);
        addWindowCommands();
    }

    // The editor window's and the application's command tables. A development build's
    // application leaves the options files alone when it goes.
    void addWindowCommands()
    {
        OptionsManager::create();
        {
            TextEditorApplication application(true);
            auto* window = new TextEditorWindow(&application);
            // Those of the platform window come with its canvas.
            window->setCanvas(&m_canvas);
            for (const auto& entry : window->commandMap().entries())
                m_textCommands.insert(entry.first);
            for (const auto& entry : application.commandMap().entries())
                m_textCommands.insert(entry.first);
            delete window;
        }
        OptionsManager::destroy();
    }

    // Checks one command line and, for dispatch, the command it runs.
    void checkCommand(const ustring& line, const std::string& where)
    {
        const std::vector<ustring> words = commandWords(line);
        ASSERT_FALSE(words.empty()) << where << ": an empty command";
        const ustring& name = words[0];
        m_used.insert(name);
        EXPECT_TRUE(m_textCommands.count(name) || m_pending.count(name))
            << where << ": no command " << toUtf8(name) << " (" << toUtf8(line) << ")";
        if (name == u"dispatch" && words.size() >= 2)
            checkCommand(words[1], where + " dispatching");
    }
    void checkMenu(const MenuDescriptor& menu, const std::string& where)
    {
        for (const MenuEntry& entry : menu.m_entries) {
            if (entry.m_submenu)
                checkMenu(*entry.m_submenu, where + " > " + toUtf8(entry.m_submenu->m_caption));
            else if (!entry.m_item->m_command.empty())
                checkCommand(entry.m_item->m_command, where + " > " + toUtf8(entry.m_item->m_caption));
        }
    }

    // Checks the commands of every key map; returns the number of bindings.
    // The shipped key maps bind from the root only (no namespaces), which
    // this reading relies on.
    int checkKeyMaps()
    {
        int count = 0;
        for (const ustring& path : find(u"*.vantrel-keymap")) {
            TiXmlDocument document;
            document.Parse(bytes(path).c_str());
            if (document.Error() || !document.RootElement()) {
                ADD_FAILURE() << toUtf8(path) << " does not parse: " << document.ErrorDesc();
                continue;
            }
            EXPECT_FALSE(document.RootElement()->FirstChildElement("namespace")) << toUtf8(path);
            for (const TiXmlElement* binding = document.RootElement()->FirstChildElement("binding"); binding;
                 binding = binding->NextSiblingElement("binding"), ++count) {
                const char* key = binding->Attribute("key");
                const char* command = binding->Attribute("command");
                if (!key || !command) {
                    ADD_FAILURE() << toUtf8(path) << ": a binding without key or command";
                    continue;
                }
                checkCommand(toUstring(command), toUtf8(path) + ": " + key);
            }
        }
        return count;
    }
    void checkMenus()
    {
        for (const ustring& path : find(u"*.vantrel-menu")) {
            slate::SP<MenuDescriptor> menu(new MenuDescriptor);
            ustring error;
            EXPECT_TRUE(menu->load(path, error)) << toUtf8(error);
            EXPECT_FALSE(menu->m_entries.empty()) << toUtf8(path);
            checkMenu(*menu, toUtf8(path));
        }
    }
    // Checks the toolbar's commands and icons; returns the number of buttons.
    int checkToolbar()
    {
        std::vector<ToolbarFileGroup> groups;
        size_t hash = 0;
        const std::string error = readToolbarFile(u"Packages/Default/Main.vantrel-toolbar", groups, hash);
        if (!error.empty()) {
            ADD_FAILURE() << "the toolbar does not parse: " << error;
            return 0;
        }
        int count = 0;
        for (const ToolbarFileGroup& group : groups) {
            for (const ToolbarButtonEntry& button : group) {
                ++count;
                if (button.command.empty() || button.icon.empty()) {
                    ADD_FAILURE() << "a toolbar button without command or icon";
                    continue;
                }
                checkCommand(button.command, "toolbar");
                const std::string png = bytes(button.icon);
                int width = 0, height = 0;
                std::vector<uint32_t> pixels;
                EXPECT_TRUE(decodePng(png.data(), png.size(), width, height, pixels)) << toUtf8(button.icon);
            }
        }
        return count;
    }

    GridRecordingCanvas m_canvas;
    slate::SP<TextBuffer> m_buffer;
    slate::SP<TextBufferView> m_view;
    CommandMap m_map;
    std::set<ustring> m_textCommands;
    const std::set<ustring> m_pending = pendingCommands();
    std::set<ustring> m_used;
};

} // namespace

TEST_F(PackagesTest, EveryOptionsFileTheProgramReadsIsThere)
{
    for (const char16_t* path :
         {u"Packages/Default/Options/Application.vantrel-options",
          u"Packages/Default/Options/Default File Type.vantrel-options",
          u"Packages/Default/Options/Minimap.vantrel-options", u"Packages/Default/Options/Widget.vantrel-options",
          u"Packages/Default/Options/Regex Widget.vantrel-options",
          u"Packages/Default/Options/Regex Format Widget.vantrel-options",
          u"Packages/Default/Options/Output Widget.vantrel-options",
          u"Packages/Default/Options/Console Widget.vantrel-options",
          u"Packages/Default/Options/Find Results Widget.vantrel-options",
          u"Packages/Text/Plain Text.vantrel-options"}) {
        SCOPED_TRACE(toUtf8(path));
        EXPECT_FALSE(options(path)->keys().empty());
    }
    // Shipped without settings, for the user's own; it must exist so that
    // the program has a file to save them in.
    EXPECT_TRUE(slate::FileManager::get().exists(u"Packages/Default/Options/User File Type.vantrel-options"));
    ustring buildFile;
    ASSERT_TRUE(options(u"Packages/Default/Options/Application.vantrel-options")
                    ->getString(ustring(u"project.buildFile"), buildFile));
    EXPECT_FALSE(options(buildFile)->keys().empty()) << toUtf8(buildFile);
}

// A misspelt "true" reads as false, silently; every shipped switch must be
// one of the two words.
TEST_F(PackagesTest, SwitchesAreWrittenTrueOrFalse)
{
    const std::set<std::string> textKeys = {"font", "colorscheme", "drawWhiteSpace", "rulers", "wrapWidth",
                                            "linePaddingTop", "linePaddingBottom", "clickToScroll", "tabSize",
                                            "wordSeparators", "fallbackEncoding", "defaultLineEnding",
                                            "dictionary", "contextMenu", "syntax", "extensions",
                                            "hiddenExtensions", "minimapMaxWidth", "theme", "keymap",
                                            "renderer", "autoSaveInterval", "autoSaveMaxFileSize", "build",
                                            "project.direxclude", "project.exclude", "project.buildFile",
                                            "find.string", "find.replacementString", "forcedExtension"};
    for (const ustring& path : find(u"*.vantrel-options")) {
        SCOPED_TRACE(toUtf8(path));
        const slate::SP<Options> file = options(path);
        for (const ustring& key : file->keys()) {
            if (textKeys.count(toUtf8(key)))
                continue;
            const ustring value = *file->find(key);
            EXPECT_TRUE(value == u"true" || value == u"false") << toUtf8(key) << " is " << toUtf8(value);
        }
    }
}

// A fresh buffer's settings are those the default file-type options give it
// (the spell checker aside: without its manager a buffer gets none).
TEST_F(PackagesTest, DefaultFileTypeOptionsKeepTheBufferDefaults)
{
    const slate::SP<TextBuffer> fresh = view_test::makeBuffer();
    const slate::SP<TextBuffer> configured = view_test::makeBuffer();
    configured->applyOptions(*options(u"Packages/Default/Options/Default File Type.vantrel-options"));
    EXPECT_EQ(toUtf8(configured->m_wordSeparators), toUtf8(fresh->m_wordSeparators));
    EXPECT_EQ(configured->m_autoIndent, fresh->m_autoIndent);
    EXPECT_EQ(configured->m_trimAutomaticWhitespace, fresh->m_trimAutomaticWhitespace);
    EXPECT_EQ(configured->m_translateTabsToSpaces, fresh->m_translateTabsToSpaces);
    EXPECT_EQ(configured->m_useTabStops, fresh->m_useTabStops);
    EXPECT_EQ(configured->m_tabSize, fresh->m_tabSize);
    EXPECT_EQ(configured->m_matchBrackets, fresh->m_matchBrackets);
    EXPECT_EQ(configured->m_fallbackEncoding, fresh->m_fallbackEncoding);
    EXPECT_EQ(configured->lineEnding(), fresh->lineEnding());
}

TEST_F(PackagesTest, TheDictionaryTheOptionsNameLoads)
{
    ustring dictionary;
    ASSERT_TRUE(options(u"Packages/Default/Options/Default File Type.vantrel-options")
                    ->getString(ustring(u"dictionary"), dictionary));
    SpellChecker checker;
    checker.load(dictionary, {});
    ASSERT_TRUE(checker.hasDictionary()) << "no " << toUtf8(dictionary) << " under " VANTREL_SHARED_PACKAGES_DIR;
    EXPECT_TRUE(checker.check(slate::usubstring(ustring(u"receive"))));
    EXPECT_FALSE(checker.check(slate::usubstring(ustring(u"recieve"))));
}

TEST_F(PackagesTest, EveryGrammarCompilesUnderItsOwnName)
{
    const std::vector<ustring> grammars = find(u"*.tmLanguage");
    ASSERT_FALSE(grammars.empty());
    LanguageMap languages;
    for (const ustring& path : grammars) {
        PlistValue value;
        Grammar grammar;
        try {
            loadPlist(slate::FileManager::get().nativePath(path), value, false);
            parseTextMateGrammar(value, grammar, true);
        } catch (const ParseException& error) {
            ADD_FAILURE() << toUtf8(path) << ": " << error.what();
            continue;
        }
        languages[grammar.scopeName] = path;
    }
    SyntaxLoader loader;
    loader.setLanguageMapSource([languages] { return languages; });
    for (const ustring& path : grammars) {
        SCOPED_TRACE(toUtf8(path));
        const slate::SP<Syntax> syntax = loader.loadSyntax(path);
        EXPECT_NE(syntax.get(), loader.defaultSyntax().get());
        // The package's file name is the name menus and the status bar show.
        EXPECT_EQ(toUtf8(syntax->name()), toUtf8(pathStem(path, u'/').str()));
    }
    EXPECT_TRUE(languages.count(u"text.plain"));
}

// Text stays readable in every style, also under the selection (WCAG's
// 4.5:1 for normal text).
TEST_F(PackagesTest, TheDefaultColourSchemeKeepsEveryStyleReadable)
{
    ustring scheme;
    ASSERT_TRUE(options(u"Packages/Default/Options/Default File Type.vantrel-options")
                    ->getString(ustring(u"colorscheme"), scheme));
    PlistValue root;
    loadPlist(slate::FileManager::get().nativePath(scheme), root, false);
    const auto& entries = std::any_cast<const PlistArray&>(std::any_cast<const PlistDict&>(root).at(u"settings"));
    auto luminance = [](const Colour& colour) {
        double sum = 0;
        const double weights[3] = {0.2126, 0.7152, 0.0722};
        const float channels[3] = {colour.red, colour.green, colour.blue};
        for (int i = 0; i < 3; ++i) {
            const double c = channels[i];
            sum += weights[i] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    auto contrast = [&](const Colour& a, const Colour& b) {
        const double la = luminance(a) + 0.05, lb = luminance(b) + 0.05;
        return la > lb ? la / lb : lb / la;
    };
    auto colour = [](const PlistDict& settings, const char16_t* key, Colour& out) {
        auto found = settings.find(key);
        return found != settings.end() && parseColour(std::any_cast<const ustring&>(found->second), out);
    };
    const auto& globals = std::any_cast<const PlistDict&>(std::any_cast<const PlistDict&>(entries.at(0)).at(u"settings"));
    Colour background, foreground, selection, selectionForeground;
    ASSERT_TRUE(colour(globals, u"background", background));
    ASSERT_TRUE(colour(globals, u"foreground", foreground));
    ASSERT_TRUE(colour(globals, u"selection", selection));
    ASSERT_TRUE(colour(globals, u"selectionForeground", selectionForeground));
    EXPECT_GE(contrast(foreground, background), 4.5);
    EXPECT_GE(contrast(selectionForeground, selection), 4.5);
    for (size_t i = 1; i < entries.size(); ++i) {
        const auto& settings =
            std::any_cast<const PlistDict&>(std::any_cast<const PlistDict&>(entries[i]).at(u"settings"));
        Colour text, ground = background;
        ASSERT_TRUE(colour(settings, u"foreground", text)) << "rule " << i;
        const bool ownBackground = colour(settings, u"background", ground);
        SCOPED_TRACE("rule " + std::to_string(i));
        EXPECT_GE(contrast(text, ground), 4.5);
        if (!ownBackground)
            EXPECT_GE(contrast(text, selection), 4.5);
    }
}

// The minimap reads the minimap options over its view's and is drawn at its
// own zoom; its scroll and its outline of the view take the two layouts to
// be one. A font or wrapping of its own would make them two: the outline
// would drift off the text and the map would end early.
TEST_F(PackagesTest, TheMinimapOptionsKeepTheLayoutOfTheirView)
{
    // Fonts measure by their size, so a font of another size lays out apart.
    class SizedFontCanvas : public RecordingCanvas {
    protected:
        UnicodeFont* createFont(const ustring&, const ustring&, int size, int) override
        {
            return new FixedAdvanceFont(0.6f * float(size), 1.5f * float(size));
        }
    } canvas;
    ustring text;
    for (int line = 0; line < 40; ++line)
        text += u"a line long enough to wrap at the width of the view it is shown in\n";
    const slate::SP<TextBuffer> buffer = view_test::makeBuffer(text);
    const slate::SP<TextBufferView> view = buffer->createView(&canvas);
    view->setOptions(options(u"Packages/Default/Options/Default File Type.vantrel-options"));
    const slate::SP<TextBufferView> minimap = buffer->createView(&canvas);
    slate::SP<Options> minimapOptions(new Options);
    minimapOptions->addParent(view->options());
    minimapOptions->addParent(options(u"Packages/Default/Options/Minimap.vantrel-options"));
    minimap->setOptions(minimapOptions);
    view->setLayoutWidth(300);
    minimap->setLayoutWidth(300);
    EXPECT_EQ(minimap->lineHeight(), view->lineHeight());
    EXPECT_EQ(minimap->layoutExtent().x, view->layoutExtent().x);
    EXPECT_EQ(minimap->layoutExtent().y, view->layoutExtent().y);
}

TEST_F(PackagesTest, TheThemeMapsEveryElementToAnImageThatDecodes)
{
    const ustring path = u"Packages/Theme - Default/Default.vantrel-theme";
    const slate::SP<Options> file = options(path);
    LogLinesContaining problems("Theme");
    Theme theme(nullptr, file);
    EXPECT_EQ(joined(problems.lines), "");

    Shader* none = &theme.get(".none");
    for (const char* element :
         {"button", "button.down", "button.disabled", "button.down.disabled", "button.statusbutton",
          "button.statusbutton.down", "btn.dropdown", "btn.left", "btn.middle", "btn.right", "btn.down.left",
          "btn.down.middle", "btn.down.right", "btn.down.over.left", "btn.down.over.middle", "btn.down.over.right",
          "panel", "panel.hint", "panel.raised", "panel.statusbar", "panel.tab", "panel.tabbody", "panel.toolbar",
          "tab.selected", "tab.selected.unfocused", "tab.unselected", "tree.button", "tree.button.down",
          "scrollbar.track", "scrollbar.puck", "scrollbar.htrack", "scrollbar.hpuck", "icon.bookmark",
          "icon.collapse", "icon.cross", "icon.downarrow", "icon.expand", "icon.find.case", "icon.find.highlight",
          "icon.find.inselection", "icon.find.preservecase", "icon.find.regex", "icon.find.reverse",
          "icon.find.wholeword", "icon.find.wrap", "icon.minicross", "icon.multibookmark", "icon.sort.dup",
          "icon.tabcross"})
        EXPECT_NE(&theme.get(element), none) << element;

    for (const ustring& key : file->keys()) {
        std::vector<ustring> words;
        parseStrings(slate::usubstring(*file->find(key)), words);
        for (size_t i = 1; i < words.size(); ++i) {
            if (words[i].size() < 4 || words[i].compare(words[i].size() - 4, 4, u".png") != 0)
                continue;
            SCOPED_TRACE(toUtf8(words[i]));
            const std::string png = bytes(words[i]);
            int width = 0, height = 0;
            std::vector<uint32_t> pixels;
            std::string why;
            ASSERT_TRUE(decodePng(png.data(), png.size(), width, height, pixels, &why)) << why;
            // Padding would let filtering blend in transparent pixels at the
            // edges, differently on each renderer.
            EXPECT_EQ(paddedSize(width), width);
            EXPECT_EQ(paddedSize(height), height);
        }
    }
}

// The elements drawn as the controls draw them, through the software canvas
// (the OpenGL renderer's rules), at typical sizes: a person has looked at
// tests/data/packages/theme.png, so a change to the theme's drawing shows
// here and gets looked at again.
TEST_F(PackagesTest, TheThemeDrawsItsElements)
{
    SoftwareCanvas canvas(theme_scene::kWidth, theme_scene::kHeight);
    canvas.clear(Colour(theme_scene::kWindow[0], theme_scene::kWindow[1], theme_scene::kWindow[2]));
    Theme theme(&canvas, options(u"Packages/Theme - Default/Default.vantrel-theme"));
    theme_scene::draw(theme);
    for (const theme_scene::Probe& probe : theme_scene::kProbes)
        EXPECT_EQ(canvas.pixel(probe.x, probe.y) & 0xFFFFFFu, probe.rgb) << probe.what;
    golden::comparePixels("packages/theme.png", {canvas.width(), canvas.height(), canvas.pixels()});
}

// The "Default" key map as a window loads it: every key text names a key,
// and plain keys and chords run what a Windows user expects.
TEST_F(PackageCommandsTest, TheDefaultKeyMapLoadsAndEveryBindingNamesACommand)
{
    LogLinesContaining unknownKeys("Unable to find key for string");
    LogLinesContaining refusals("Error parsing key binding xml");
    BindingSourceManager::create();
    {
        BindingMap map;
        map.setKeymapName(u"Default");
        struct Case {
            std::vector<KeyStroke> strokes;
            const char16_t* command;
        };
        const Case cases[] = {
            {{{'z', kModifierCtrl, 0}}, u"undo"},
            {{{'c', kModifierCtrl, 0}}, u"copy"},
            {{{'s', kModifierCtrl, 0}}, u"save"},
            {{{kKeyEnd, kModifierShift, 0}}, u"moveTo eol extend"},
            {{{kKeyEnter, 0, 0}}, u"insertAndDecodeCharacters \"\\n\""},
            {{{'k', kModifierCtrl, 0}, {'f', kModifierCtrl, 0}}, u"reindent"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(toUtf8(c.command));
            std::vector<InputAction> actions;
            for (const KeyStroke& stroke : c.strokes)
                map.resolve(stroke, actions);
            ASSERT_EQ(actions.size(), 1u);
            EXPECT_EQ(toUtf8(actions[0].command), toUtf8(c.command));
        }
    }
    BindingSourceManager::destroy();
    EXPECT_EQ(joined(unknownKeys.lines), "");
    EXPECT_EQ(joined(refusals.lines), "");
    EXPECT_GT(checkKeyMaps(), 0);
}

TEST_F(PackageCommandsTest, EveryMenuItemNamesACommand)
{
    const std::vector<ustring> menus = find(u"*.vantrel-menu");
    ustring contextMenu;
    options(u"Packages/Default/Options/Default File Type.vantrel-options")
        ->getString(ustring(u"contextMenu"), contextMenu);
    for (const ustring& required :
         {ustring(u"Packages/Default/Main.vantrel-menu"), ustring(u"Packages/Default/Completions.vantrel-menu"),
          ustring(u"Packages/Default/Line Ending.vantrel-menu"), ustring(u"Packages/Default/Tab Context.vantrel-menu"),
          ustring(u"Packages/Default/Pane Context.vantrel-menu"), contextMenu})
        EXPECT_NE(std::find(menus.begin(), menus.end(), required), menus.end()) << toUtf8(required);
    checkMenus();
}

TEST_F(PackageCommandsTest, EveryToolbarButtonNamesACommandAndItsIconDecodes)
{
    EXPECT_GT(checkToolbar(), 0);
}

// The list of commands to come stays honest: a name on it is used by some
// package file, and is not a command that exists already.
TEST_F(PackageCommandsTest, PendingCommandsAreUsedAndNotYetBuilt)
{
    checkKeyMaps();
    checkMenus();
    checkToolbar();
    std::string list;
    for (const ustring& name : m_pending) {
        EXPECT_TRUE(m_used.count(name)) << toUtf8(name) << " is pending but no package file uses it";
        EXPECT_FALSE(m_textCommands.count(name)) << toUtf8(name) << " is a text or window command already";
        list += " " + toUtf8(name);
    }
    std::printf("Commands the packages name that are still to be built (%zu):%s\n", m_pending.size(), list.c_str());
}
