// The snippet store: every snippet of the packages, keyed by its virtual
// path. A loader thread reads the snippet files shortly after start-up and
// hands the result to the main thread; file watches then keep the store
// current one file at a time. The store offers one key binding per tab
// trigger to every key map (it is a binding source) and publishes the
// "snippets" menu. Snippet text is kept as written: expansion happens where
// a snippet is inserted.
//
// Two file formats, chosen by the path's extension (without regard to case):
// ".tmSnippet" property lists (dictionary strings "name", "content",
// "tabTrigger", "scope") and ".vantrel-snippet" XML (root of any name with
// the child elements "description", "tabTrigger", "scope", "content").
#pragma once

#include <any>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "filesystem/file_manager.h"
#include "input/binding_map.h"
#include "ui/reference_counted.h"
#include "ui/singleton.h"
#include "ui/thread.h"
#include "ui/ustring.h"
#include "ui/menu_descriptor.h"

// One loaded snippet, immutable after creation. Its five texts live in the
// same allocation as the record: the record holds a begin/end pair per text,
// and the texts follow it, each with a NUL after it (so `begin` of each may
// be used as a NUL-terminated string). Made only by create, freed only by
// its Deleter.
class Snippet {
public:
    struct Deleter {
        void operator()(Snippet* snippet) const;
    };

    static std::unique_ptr<Snippet, Deleter> create(const slate::usubstring& description,
                                                    const slate::usubstring& content, const slate::usubstring& path,
                                                    const slate::usubstring& tabTrigger,
                                                    const slate::usubstring& scope);

    slate::usubstring description() const { return text(kDescription); }
    slate::usubstring content() const { return text(kContent); }
    slate::usubstring path() const { return text(kPath); } // virtual, as found
    slate::usubstring tabTrigger() const { return text(kTabTrigger); }
    slate::usubstring scope() const { return text(kScope); } // a scope selector

private:
    enum Field { kDescription, kContent, kPath, kTabTrigger, kScope, kFieldCount };

    Snippet() = default;
    ~Snippet() = default;
    slate::usubstring text(Field field) const { return slate::usubstring(m_begin[field], m_end[field]); }

    const uchar* m_begin[kFieldCount];
    const uchar* m_end[kFieldCount];
};

using SnippetPtr = std::unique_ptr<Snippet, Snippet::Deleter>;
// Snippets by virtual path.
using SnippetMap = std::map<ustring, SnippetPtr>;

// The readers of the two formats, used by the store and usable on any
// thread. Each returns the snippet, or null with `error` set to the message
// for the user, which names `shownPath`. `path` is the snippet's virtual path
// (its stem names a snippet without a description).

// `value` is the whole property list.
SnippetPtr snippetFromPlist(const std::any& value, const ustring& path, const ustring& shownPath, ustring& error);
// `bytes` is the whole XML file.
SnippetPtr snippetFromXml(const char* bytes, size_t size, const ustring& path, const ustring& shownPath,
                          ustring& error);

class SnippetManager final : public Singleton<SnippetManager>, public BindingSourceManager::BindingSource {
public:
    // The loader's wait after loadInBackground before it scans.
    static constexpr uint32_t kLoadDelayMs = 500;

    // Creates the singleton (none may exist) and registers it as a binding
    // source. Start-up calls it after the BindingSourceManager and the file
    // manager exist; shutdown destroys it before either goes.
    static void create();
    // Stops and waits for a running loader (its result is dropped), removes
    // the binding source, frees the snippets and releases the watches.
    ~SnippetManager() override;
    SnippetManager(const SnippetManager&) = delete;
    SnippetManager& operator=(const SnippetManager&) = delete;

    // Starts the loader thread: after `delayMs` it reads every snippet file
    // under "Packages/" through the file manager and posts the result to the
    // main thread, where attachSnippets installs it. Main thread; a second
    // call while a loader runs stops that one first.
    void loadInBackground(uint32_t delayMs = kLoadDelayMs);
    // Main thread: replaces the store with `snippets`, watches the snippet
    // files, rebuilds the menu and reloads every key map.
    void attachSnippets(SnippetMap snippets);

    bool hasSnippet(const ustring& path) const;
    // Copies the content into `content`; false (and `content` unchanged) for
    // an unknown path.
    bool snippetContent(const ustring& path, ustring& content) const;
    // The description; empty for an unknown path. Valid until the store
    // changes.
    slate::usubstring findSnippet(const ustring& path) const;

    // Appends one binding per snippet with a tab trigger ("f,o,r,tab" runs
    // `insertSnippet "PATH"`, under the context selector=SCOPE when the
    // snippet has a scope), then one "chooseSnippet" binding listing every
    // path for each key and contexts that several snippets share.
    void getBindings(std::vector<KeyBinding>& bindings) override;

    // Reads one snippet file at the virtual `path`. A file that cannot be
    // read or is not a snippet is reported to the user (when the
    // notification manager exists) and logged, and gives null. Any thread.
    static SnippetPtr loadSnippet(const ustring& path);

    // Reads every "*.tmSnippet", then every "*.vantrel-snippet" file under
    // "Packages/" with loadSnippet, leaving out those that fail. Stops early,
    // with what it has, once `stop` (when given) is set. Any thread: the
    // loader's whole work.
    static SnippetMap loadPackageSnippets(const std::atomic<bool>* stop = nullptr);

    // Main thread: when a file change has altered the store since the last
    // rebuild, rebuilds the menu and reloads every key map.
    void rebuildIfPending();
    // Main thread: builds the "snippets" menu (one submenu per package and
    // directory, the "Default" package left out) and publishes it with the
    // window manager when there is one.
    void buildSnippetMenu();
    // The menu of the last build; null before the first.
    const slate::SP<MenuDescriptor>& menu() const { return m_menu; }
    const SnippetMap& snippets() const { return m_snippets; }

private:
    struct LoadJob;

    SnippetManager();
    static void onSnippetFileChanged(const ustring& path, int32_t flags, void* manager);
    // Asks a running loader to stop and waits for it.
    void stopLoader();

    SnippetMap m_snippets;
    slate::SP<DirectoryWatchHandle> m_tmSnippetWatch; // null until the first attach
    slate::SP<DirectoryWatchHandle> m_snippetWatch;   // null until the first attach
    // Set when a file change altered the store and the menu and key maps are
    // not yet rebuilt; a burst of changes then leads to one rebuild.
    bool m_rebuildPending = false;
    slate::SP<MenuDescriptor> m_menu;
    // The running load, shared with the loader thread and with the call it
    // posts; null when none runs.
    std::shared_ptr<LoadJob> m_job;
    Thread m_loader;
};
