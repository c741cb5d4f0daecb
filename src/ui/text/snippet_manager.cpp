// The snippet store. Reading every snippet file of the packages takes long
// enough to delay the first window, so one loader thread scans them after
// start-up into a private map and posts that map to the main thread; the
// store itself is only ever touched on the main thread, so it needs no lock.
// The loader is shared with its posted call through a job record: stopping a
// load clears the job's receiver (so a call already posted delivers nothing)
// and wakes and joins the thread, which therefore never outlives the store
// or the file manager it reads through.
//
// Each snippet is one allocation holding its record and its five texts,
// since the store holds thousands of them for the whole session and reads
// them rarely.
#include "ui/text/snippet_manager.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <tinyxml.h>
#include <utility>

#include "filesystem/path_parts.h"
#include "ui/command_line.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/notification_manager.h"
#include "ui/statistics.h"
#include "ui/string_interner.h"
#include "ui/string_utils.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/line_ending.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"
#include "ui/xml_settings.h"
#include "window_manager/window_manager.h"

namespace {

const uchar kInsertSnippet[] = u"insertSnippet";
const uchar kChooseSnippet[] = u"chooseSnippet";

bool isPropertyList(const ustring& path)
{
    return slate::usubstring(path).endsWithNoCase(slate::usubstring(u".tmSnippet"));
}

// The description, or the file's stem when the description is empty.
slate::usubstring describe(const ustring& description, const ustring& path)
{
    if (!description.empty())
        return description;
    return pathStem(path, u'/');
}

ustring shownPathOf(const ustring& path)
{
    ustring shown;
    if (slate::FileManager::alive())
        shown = slate::FileManager::get().nativePath(path);
    return shown.empty() ? path : shown;
}

// The key text of a trigger: each character a typed-character element (a
// comma is the lone comma element), then the tab key. A surrogate pair stays
// one element.
ustring triggerKeyText(const slate::usubstring& trigger)
{
    ustring key;
    for (const uchar* c = trigger.begin; c != trigger.end; ++c) {
        key += *c;
        if (*c >= 0xD800 && *c < 0xDC00 && c + 1 != trigger.end && c[1] >= 0xDC00 && c[1] < 0xE000)
            key += *++c;
        key += u',';
    }
    return key + u"tab";
}

// Bindings that share a key are grouped by the key text, then by their
// contexts, element by element on the interned pointers.
struct GroupKey {
    ustring key;
    std::vector<ContextCondition> contexts;

    bool operator<(const GroupKey& other) const
    {
        if (key != other.key)
            return key < other.key;
        return std::lexicographical_compare(
            contexts.begin(), contexts.end(), other.contexts.begin(), other.contexts.end(),
            [](const ContextCondition& a, const ContextCondition& b) {
                std::less<const uchar*> less;
                if (a.name != b.name)
                    return less(a.name, b.name);
                return less(a.value, b.value);
            });
    }
};

} // namespace

void Snippet::Deleter::operator()(Snippet* snippet) const
{
    snippet->~Snippet();
    ::operator delete(snippet);
}

SnippetPtr Snippet::create(const slate::usubstring& description, const slate::usubstring& content,
                           const slate::usubstring& path, const slate::usubstring& tabTrigger,
                           const slate::usubstring& scope)
{
    const slate::usubstring* texts[kFieldCount] = {&description, &content, &path, &tabTrigger, &scope};
    size_t units = 0;
    for (const slate::usubstring* text : texts)
        units += text->size() + 1;
    void* memory = ::operator new(sizeof(Snippet) + units * sizeof(uchar));
    SnippetPtr snippet(new (memory) Snippet);
    uchar* out = reinterpret_cast<uchar*>(snippet.get() + 1);
    for (int field = 0; field < kFieldCount; ++field) {
        const slate::usubstring& text = *texts[field];
        if (text.size())
            std::memcpy(out, text.begin, text.size() * sizeof(uchar));
        snippet->m_begin[field] = out;
        out += text.size();
        snippet->m_end[field] = out;
        *out++ = 0;
    }
    return snippet;
}

SnippetPtr snippetFromPlist(const std::any& value, const ustring& path, const ustring& shownPath, ustring& error)
{
    const PlistDict* dict = std::any_cast<PlistDict>(&value);
    if (!dict) {
        error = u"Invalid snippet in file " + shownPath;
        return nullptr;
    }
    try {
        const ustring description = plistString(*dict, u"name");
        const ustring content = plistString(*dict, u"content");
        const ustring tabTrigger = plistString(*dict, u"tabTrigger");
        const ustring scope = plistString(*dict, u"scope");
        return Snippet::create(describe(description, path), content, path, tabTrigger, scope);
    } catch (const std::bad_any_cast&) {
        error = u"Invalid snippet in file " + shownPath;
        return nullptr;
    }
}

SnippetPtr snippetFromXml(const char* bytes, size_t size, const ustring& path, const ustring& shownPath,
                          ustring& error)
{
    TiXmlDocument document;
    std::string problem;
    // White space is kept: the content's own blanks and line ends matter.
    if (!parseXmlDocument(document, bytes, size, true, &problem) || !document.RootElement()) {
        if (problem.empty())
            problem = document.ErrorDesc() && *document.ErrorDesc() ? document.ErrorDesc() : "No root element.";
        error = u"Error parsing snippet xml: " + toUstring(problem) + u" In file " + shownPath;
        return nullptr;
    }
    const TiXmlElement* root = document.RootElement();
    ustring content = xmlElementText(root, "content");
    // Authors put the content on lines of its own, between the tags; those
    // two line ends are not part of the snippet.
    normaliseNewlines(content);
    if (!content.empty() && content.front() == u'\n')
        content.erase(0, 1);
    if (!content.empty() && content.back() == u'\n')
        content.pop_back();
    if (content.empty()) {
        error = u"No content for snippet " + shownPath;
        return nullptr;
    }
    const ustring description = xmlElementText(root, "description");
    return Snippet::create(describe(description, path), content, path, xmlElementText(root, "tabTrigger"),
                           xmlElementText(root, "scope"));
}

struct SnippetManager::LoadJob {
    std::atomic<bool> cancelled{false};
    Event wake{true, false}; // set to cut the loader's delay short
    // Main thread only: the store the result goes to; null once the load was
    // stopped or delivered.
    SnippetManager* receiver = nullptr;
};

void SnippetManager::create() { install(new SnippetManager); }

SnippetManager::SnippetManager() { BindingSourceManager::get().addSource(this); }

SnippetManager::~SnippetManager()
{
    stopLoader();
    if (BindingSourceManager::alive())
        BindingSourceManager::get().removeSource(this);
    m_snippets.clear();
    m_tmSnippetWatch = nullptr;
    m_snippetWatch = nullptr;
}

void SnippetManager::stopLoader()
{
    if (!m_job)
        return;
    m_job->receiver = nullptr;
    m_job->cancelled = true;
    m_job->wake.set();
    if (!m_loader.join(platform::kInfiniteTimeout))
        VLOG << u"Unable to wait for the snippet loader to exit";
    m_job.reset();
}

void SnippetManager::loadInBackground(uint32_t delayMs)
{
    stopLoader();
    auto job = std::make_shared<LoadJob>();
    job->receiver = this;
    m_job = job;
    const platform::ThreadHandle handle = m_loader.start([job, delayMs] {
        if (delayMs)
            job->wake.wait(delayMs);
        auto snippets = std::make_shared<SnippetMap>(loadPackageSnippets(&job->cancelled));
        if (job->cancelled)
            return;
        postToMainThread([job, snippets] {
            SnippetManager* manager = std::exchange(job->receiver, nullptr);
            if (manager)
                manager->attachSnippets(std::move(*snippets));
        });
    });
    if (!handle) {
        VLOG << u"Unable to start the snippet loader";
        m_job.reset();
    }
}

SnippetMap SnippetManager::loadPackageSnippets(const std::atomic<bool>* stop)
{
    std::vector<ustring> paths;
    slate::FileManager& files = slate::FileManager::get();
    files.findFiles(u"Packages/", u"*.tmSnippet", paths);
    std::vector<ustring> xmlPaths;
    files.findFiles(u"Packages/", u"*.vantrel-snippet", xmlPaths);
    paths.insert(paths.end(), xmlPaths.begin(), xmlPaths.end());

    SnippetMap snippets;
    for (const ustring& path : paths) {
        if (stop && *stop)
            break;
        if (SnippetPtr snippet = loadSnippet(path))
            snippets[path] = std::move(snippet);
    }
    return snippets;
}

SnippetPtr SnippetManager::loadSnippet(const ustring& path)
{
    const ustring shownPath = shownPathOf(path);
    ustring error;
    SnippetPtr snippet;
    if (isPropertyList(path)) {
        try {
            PlistValue value;
            loadPlist(path, value, false);
            snippet = snippetFromPlist(value, path, shownPath, error);
        } catch (const ParseException& exception) {
            error = u"Error parsing snippet: " + toUstring(std::string(exception.what())) + u" In file " + shownPath;
        }
    } else {
        slate::SP<slate::MemoryBlock> block;
        if (slate::FileManager::alive())
            block = slate::FileManager::get().read(path);
        if (block)
            snippet = snippetFromXml(reinterpret_cast<const char*>(block->data()), block->size(), path, shownPath,
                                     error);
        else
            error = u"Error parsing snippet xml: Unable to read the file. In file " + shownPath;
    }
    if (!snippet) {
        VLOG << error;
        if (NotificationManager::alive())
            NotificationManager::get().displayError(error);
    }
    return snippet;
}

void SnippetManager::attachSnippets(SnippetMap snippets)
{
    m_snippets = std::move(snippets);
    VLOG << u"Loaded " << static_cast<int>(m_snippets.size()) << u" snippets";
    m_tmSnippetWatch = DirectoryWatchHandle::watch(u"Packages/*.tmSnippet", 7, &onSnippetFileChanged, this);
    m_snippetWatch = DirectoryWatchHandle::watch(u"Packages/*.vantrel-snippet", 7, &onSnippetFileChanged, this);
    buildSnippetMenu();
    BindingSourceManager::get().reloadAll();
}

void SnippetManager::onSnippetFileChanged(const ustring& path, int32_t flags, void* userData)
{
    ScopedTimer timer(g_statReloadSnippets);
    auto* manager = static_cast<SnippetManager*>(userData);
    manager->m_snippets.erase(path);
    if (flags != FileChangeRemoved) {
        if (SnippetPtr snippet = loadSnippet(path))
            manager->m_snippets[path] = std::move(snippet);
    }
    if (manager->m_rebuildPending)
        return;
    manager->m_rebuildPending = true;
    // The store outlives the queue's calls: shutdown clears the queue
    // before it destroys the store.
    postToMainThread([] {
        if (SnippetManager::alive())
            SnippetManager::get().rebuildIfPending();
    });
}

void SnippetManager::rebuildIfPending()
{
    if (!m_rebuildPending)
        return;
    buildSnippetMenu();
    BindingSourceManager::get().reloadAll();
    m_rebuildPending = false;
}

bool SnippetManager::hasSnippet(const ustring& path) const { return m_snippets.count(path) != 0; }

bool SnippetManager::snippetContent(const ustring& path, ustring& content) const
{
    auto found = m_snippets.find(path);
    if (found == m_snippets.end())
        return false;
    const slate::usubstring text = found->second->content();
    content.assign(text.begin, text.end);
    return true;
}

slate::usubstring SnippetManager::findSnippet(const ustring& path) const
{
    auto found = m_snippets.find(path);
    if (found == m_snippets.end())
        return slate::usubstring();
    return found->second->description();
}

void SnippetManager::getBindings(std::vector<KeyBinding>& bindings)
{
    StringInterner& interner = BindingSourceManager::get().interner();
    const uchar* selector = interner.intern(u"selector");
    std::map<GroupKey, std::vector<const ustring*>> groups;
    for (const auto& [path, snippet] : m_snippets) {
        if (snippet->tabTrigger().empty())
            continue;
        KeyBinding binding;
        binding.key = triggerKeyText(snippet->tabTrigger());
        if (!snippet->scope().empty())
            binding.contexts.push_back({selector, interner.intern(snippet->scope())});
        binding.command = makeCommandLine(kInsertSnippet, path);
        groups[GroupKey{binding.key, binding.contexts}].push_back(&path);
        bindings.push_back(std::move(binding));
    }
    for (const auto& [group, paths] : groups) {
        if (paths.size() < 2)
            continue;
        std::vector<slate::usubstring> words{slate::usubstring(kChooseSnippet)};
        for (const ustring* path : paths)
            words.emplace_back(*path);
        bindings.push_back(KeyBinding{group.key, joinCommandLine(words), group.contexts});
    }
}

void SnippetManager::buildSnippetMenu()
{
    slate::SP<MenuDescriptor> root(new MenuDescriptor);
    for (const auto& [path, snippet] : m_snippets) {
        std::vector<slate::usubstring> parts;
        split(path, u"/", parts);
        if (parts.size() < 3 || parts[1] == slate::usubstring(u"Default"))
            continue;
        MenuDescriptor* menu = root.get();
        for (size_t part = 1; part + 1 < parts.size(); ++part) {
            const ustring caption(parts[part].begin, parts[part].end);
            slate::SP<MenuDescriptor> submenu = menu->findSubmenu(caption);
            if (!submenu) {
                submenu = slate::SP<MenuDescriptor>(new MenuDescriptor(caption));
                menu->addSubmenu(submenu);
            }
            menu = submenu.get();
        }
        const slate::usubstring description = snippet->description();
        menu->addItem(escapeMenuCaption(ustring(description.begin, description.end)),
                      makeCommandLine(kInsertSnippet, path));
    }
    m_menu = root;
    if (WindowManager::alive())
        WindowManager::get().setMenu(u"snippets", m_menu);
}
