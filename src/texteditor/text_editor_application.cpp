// The application object: its option table, the window list and the paths
// by which windows come to exist (start-up, a second start handing over its
// arguments, the "newWindow" command). The session, menus, autosave and the
// application commands hook in at the places marked below.
//
// The option table drives both directions: applyOptions takes what is
// present and storeOptions writes everything back in the table's order, so
// a missing options file comes back at exit holding every key.
#include "texteditor/text_editor_application.h"

#include <algorithm>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "input/binding_map.h"
#include "texteditor/command_line_arguments.h"
#include "texteditor/file_type_options.h"
#include "texteditor/text_editor_window.h"
#include "ui/input_region.h"
#include "ui/log.h"
#include "ui/options_manager.h"
#include "ui/statistics.h"
#include "ui/text/spell_checker.h"
#include "window_manager/window.h"
#include "window_manager/window_manager.h"

TextEditorApplication* g_application = nullptr;

const char16_t kApplicationOptionsPath[] = u"Packages/Default/Options/Application.vantrel-options";
const char16_t kDefaultThemePath[] = u"Packages/Theme - Default/Default.vantrel-theme";
const char16_t kWindowTitle[] = u"Vantrel 1.4";

namespace {

const char16_t kDefaultKeymap[] = u"Default";

// One entry of the option table: a key and the member it sets. Exactly one
// member pointer is set.
struct OptionEntry {
    const char16_t* key;
    bool TextEditorApplication::*flag;
    int TextEditorApplication::*number;
    float TextEditorApplication::*size;
    ustring TextEditorApplication::*text;
};

using App = TextEditorApplication;

// In the order storeOptions writes them. "keymap" is read only and the
// spelling words belong to the spell checker, so neither is here.
const OptionEntry kOptionTable[] = {
    {u"showMinimap", &App::m_showMinimap, nullptr, nullptr, nullptr},
    {u"showStatusbar", &App::m_showStatusbar, nullptr, nullptr, nullptr},
    {u"showToolbar", &App::m_showToolbar, nullptr, nullptr, nullptr},
    {u"showMinimapFullscreen", &App::m_showMinimapFullscreen, nullptr, nullptr, nullptr},
    {u"showStatusbarFullscreen", &App::m_showStatusbarFullscreen, nullptr, nullptr, nullptr},
    {u"showToolbarFullscreen", &App::m_showToolbarFullscreen, nullptr, nullptr, nullptr},
    {u"showMenuFullscreen", &App::m_showMenuFullscreen, nullptr, nullptr, nullptr},
    {u"minimapOnLeft", &App::m_minimapOnLeft, nullptr, nullptr, nullptr},
    {u"minimapMaxWidth", nullptr, nullptr, &App::m_minimapMaxWidth, nullptr},
    {u"showTabs", &App::m_showTabs, nullptr, nullptr, nullptr},
    {u"showTabsFullscreen", &App::m_showTabsFullscreen, nullptr, nullptr, nullptr},
    {u"showProjectPanel", &App::m_showProjectPanel, nullptr, nullptr, nullptr},
    {u"showCloseButton", &App::m_showCloseButton, nullptr, nullptr, nullptr},
    {u"showTabCloseButtons", &App::m_showTabCloseButtons, nullptr, nullptr, nullptr},
    {u"openPreviousFiles", &App::m_openPreviousFiles, nullptr, nullptr, nullptr},
    {u"theme", nullptr, nullptr, nullptr, &App::m_theme},
    {u"autoSaveInterval", nullptr, &App::m_autoSaveInterval, nullptr, nullptr},
    {u"autoSaveMaxFileSize", nullptr, &App::m_autoSaveMaxFileSize, nullptr, nullptr},
    {u"autoSaveEnabled", &App::m_autoSaveEnabled, nullptr, nullptr, nullptr},
    {u"checkForUpdates", &App::m_checkForUpdates, nullptr, nullptr, nullptr},
};

// The region every window's focus path ends in: it offers command lines to
// the application's runner after the window's own regions.
class CommandInputHandler : public InputRegion {
public:
    CommandInputHandler(TextEditorWindow* window, const interval2& rect, TextEditorApplication* application)
        : InputRegion(window, RegionId(application, window), rect), m_application(application)
    {
    }
    CommandRunner* commandRunner() override { return &m_application->commandRunner(); }

private:
    TextEditorApplication* m_application;
};

// Options::save over the native file of `path`, creating the folders on
// the way: a fresh data folder has no "Packages/Default/Options" yet, and
// the user's settings would otherwise be lost at exit.
bool saveOptionsFile(const slate::SP<Options>& options, const ustring& path)
{
    createMissingFolders(slate::FileManager::get().nativePath(path));
    if (options->save(path))
        return true;
    VLOG << u"Unable to save " << path;
    return false;
}

} // namespace

void createMissingFolders(const ustring& nativeFile)
{
    std::vector<ustring> missing;
    for (size_t end = nativeFile.find_last_of(u"/\\"); end != ustring::npos && end > 0;
         end = nativeFile.find_last_of(u"/\\", end - 1)) {
        const ustring folder = nativeFile.substr(0, end);
        if (isDirectory(folder))
            break;
        missing.push_back(folder);
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder)
        createDirectory(*folder);
}

ustring normalizeDirectoryPath(const ustring& path)
{
    ustring folder = path;
    std::replace(folder.begin(), folder.end(), u'/', u'\\');
    if (folder.empty() || folder.back() != u'\\')
        folder += u'\\';
    return folder;
}

TextEditorApplication::TextEditorApplication(bool developmentBuild)
    : m_theme(kDefaultThemePath), m_developmentBuild(developmentBuild),
      m_lifetime(std::make_shared<TextEditorApplication*>(this))
{
    // The package file menus and the menu file watches register here once
    // they exist; so does the plug-in host's application runner, which goes
    // before the command map.
    addSessionCommands();
    if (m_pythonCommandRunner)
        m_commandRunner.addRunner(m_pythonCommandRunner.get());
    m_commandRunner.addRunner(&m_commandMap);
}

TextEditorApplication::~TextEditorApplication()
{
    VASSERT(m_windows.empty());
    m_pythonCommandRunner.reset();
    OptionsManager& manager = OptionsManager::get();
    slate::SP<Options> options = manager.getOptions(ustring(kApplicationOptionsPath));
    options->clearListeners();
    if (m_developmentBuild)
        return;
    storeOptions(options);
    saveOptionsFile(options, ustring(kApplicationOptionsPath));
    saveOptionsFile(manager.getOptions(ustring(kUserFileTypeOptionsPath)), ustring(kUserFileTypeOptionsPath));
}

bool TextEditorApplication::init(const std::vector<ustring>& files, const std::vector<ustring>& commands,
                                 const ustring& project, bool restore)
{
    ScopedTimer timer(g_statApplicationInit);
    m_applicationOptions = OptionsManager::get().getOptions(ustring(kApplicationOptionsPath));
    applyOptions(m_applicationOptions);
    m_applicationOptions->addListener([this] { applyOptions(m_applicationOptions); });
    if (SpellCheckerManager::alive())
        SpellCheckerManager::get().readSession(*m_applicationOptions);
    linkFileTypeOptions();

    ScopedTimer sessionTimer(g_statApplicationInitSession);
    // A restored session's first window is the target of what follows.
    const ustring firstPlacement = restoreSession(restore);
    if (!files.empty()) {
        if (m_windows.empty())
            newWindow(firstPlacement, false);
        if (TextEditorWindow* target = activeWindow())
            openFiles(files, target);
    }
    if (m_windows.empty() && !newWindow(firstPlacement, true))
        return false;
    TextEditorWindow* target = activeWindow();
    if (!project.empty())
        target->openProject(project);
    target->m_postInitCommands = commands;
    return true;
}

TextEditorWindow* TextEditorApplication::newWindow(const ustring& placement, bool withEmptyFile)
{
    ScopedTimer timer(g_statApplicationCreateWindow);
    // The main menu is loaded here, on the first window, once menus exist.
    auto* window = new TextEditorWindow(this);
    window->setDrawFunction(
        [this, window](InputRegion* root, const interval2& rect) { return drawWindow(root, rect, window); });
    installBindingMap(window);
    if (!WindowManager::get().createWindow(ustring(kWindowTitle), window, m_mainMenu, placement)) {
        delete window;
        return nullptr;
    }
    m_windows.insert(m_windows.begin(), window);
    window->setTheme(m_theme);
    if (withEmptyFile)
        window->newFile();
    return window;
}

void TextEditorApplication::windowActivated(TextEditorWindow* window)
{
    auto it = std::find(m_windows.begin(), m_windows.end(), window);
    if (it != m_windows.end())
        std::iter_swap(m_windows.begin(), it);
}

void TextEditorApplication::windowDestroyed(TextEditorWindow* window)
{
    auto it = std::find(m_windows.begin(), m_windows.end(), window);
    if (it == m_windows.end())
        return;
    m_windows.erase(it);
    if (m_windows.empty() && m_quit)
        m_quit(0);
}

void TextEditorApplication::applyOptions(const slate::SP<Options>& options)
{
    ScopedTimer timer(g_statApplyOptions);
    const bool menuFullscreen = m_showMenuFullscreen;
    for (const OptionEntry& entry : kOptionTable) {
        const ustring key(entry.key);
        if (entry.flag)
            options->getBool(key, this->*entry.flag);
        else if (entry.number)
            options->getInt(key, this->*entry.number);
        else if (entry.size)
            options->getFloat(key, this->*entry.size);
    }

    m_theme = kDefaultThemePath;
    options->getString(ustring(u"theme"), m_theme);
    for (TextEditorWindow* window : m_windows)
        window->setTheme(m_theme);

    ustring keymap(kDefaultKeymap);
    options->getString(ustring(u"keymap"), keymap);
    if (keymap != m_keymap) {
        m_keymap = keymap;
        for (TextEditorWindow* window : m_windows)
            installBindingMap(window);
    }

    if (menuFullscreen != m_showMenuFullscreen) {
        for (TextEditorWindow* window : m_windows) {
            if (window->m_window && window->m_window->isFullscreen())
                window->m_window->setMenu(m_showMenuFullscreen ? m_mainMenu : nullptr);
        }
    }
    for (TextEditorWindow* window : m_windows)
        window->applyApplicationOptions();
}

void TextEditorApplication::storeOptions(const slate::SP<Options>& options)
{
    if (SpellCheckerManager::alive())
        SpellCheckerManager::get().writeSession(*options);
    for (const OptionEntry& entry : kOptionTable) {
        const ustring key(entry.key);
        if (entry.flag)
            options->setBool(key, this->*entry.flag);
        else if (entry.number)
            options->setInt(key, this->*entry.number);
        else if (entry.size)
            options->setFloat(key, this->*entry.size);
        else
            options->set(key, this->*entry.text);
    }
}

void TextEditorApplication::handleCommandLine(const std::vector<ustring>& arguments)
{
    TextEditorWindow* target = activeWindow();
    if (!target)
        return;
    // Read as start-up reads them, so that the value of a switch such as
    // "--data" is never taken for a file or a project to open.
    const CommandLineArguments parsed = parseCommandLineArguments(arguments);
    const std::vector<ustring>& files = parsed.files;
    const std::vector<ustring>& commands = parsed.commands;
    const ustring& project = parsed.project;
    openFiles(files, target);
    if (!project.empty())
        target->openProject(project);
    target->m_postInitCommands = commands;
}

void TextEditorApplication::openFiles(const std::vector<ustring>& files, TextEditorWindow* window)
{
    slate::SP<TextBufferView> first;
    for (const ustring& file : files) {
        if (isDirectory(file)) {
            const ustring folder = normalizeDirectoryPath(file);
            if (window->openProject(folder))
                window->addRecentProject(folder);
            continue;
        }
        slate::SP<TextBufferView> view =
            window->openFileSpec(file, kEncodingUndefined, TextEditorWindow::kOpenFromUser);
        if (view && !first)
            first = view;
    }
    if (first)
        window->viewSet().focusView(first.get());
}

void TextEditorApplication::installBindingMap(TextEditorWindow* window)
{
    auto* map = new BindingMap;
    map->setKeymapName(m_keymap);
    window->setBindingMap(map);
}

bool TextEditorApplication::drawWindow(InputRegion* root, const interval2& rect, TextEditorWindow* window)
{
    auto* handler = new CommandInputHandler(window, rect, this);
    root->addChild(handler);
    const bool fullscreen = window->m_window && window->m_window->isFullscreen();
    return window->draw(handler, rect, fullscreen ? m_showMinimapFullscreen : m_showMinimap,
                        fullscreen ? m_showToolbarFullscreen : m_showToolbar,
                        fullscreen ? m_showStatusbarFullscreen : m_showStatusbar, m_showCloseButton,
                        m_showTabCloseButtons);
}
