// The colour schemes of the program: loaded on first request, shared by every
// view that uses the same scheme file, and dropped when that file changes so
// that the views load it afresh.
//
//     slate::SP<ScopeStyler> styler = Styler::get().scopeStylerFor(u"Packages/Themes/Dark.tmTheme");
//     const Style* style = styler->styleForScope(scope);
#pragma once

#include <map>
#include <set>

#include "filesystem/file_manager.h"
#include "ui/reference_counted.h"
#include "ui/singleton.h"
#include "ui/text/syntax/regex_selector_styler.h"
#include "ui/text/syntax/scope_styler.h"
#include "ui/ustring.h"

// Singleton, created by start-up after the file manager and the options
// manager, destroyed by shutdown before them. Main thread only.
class Styler : public Singleton<Styler> {
public:
    // Creates the singleton (none may exist). With a file manager it watches
    // "Packages/*.tmTheme" for changes.
    static void create();
    // Singleton::destroy releases the watch first, then the cached schemes
    // (each goes when no ScopeStyler holds it any more).

    // A new styler over the scheme that is never loaded: black on white for
    // every scope, the default SchemeColours.
    slate::SP<ScopeStyler> defaultScopeStyler();

    // A new styler, with an empty cache, over the scheme at `path` (a virtual
    // path, compared exactly). The first request loads the file; later ones
    // share the loaded scheme until the file changes. Never fails: an empty
    // path gives the default styler, and a scheme that cannot be loaded is
    // reported ("Error loading colour scheme PATH: ...") and gives the default
    // styler; it is not cached, so the next request, or a change to the file,
    // tries again.
    slate::SP<ScopeStyler> scopeStylerFor(const ustring& path);

    // A scheme file changed: when a view asked for it (loaded or failed), the
    // scheme is forgotten and the default file-type options are reloaded, so
    // that every view re-applies its settings and asks again. Paths are
    // compared without regard to case, as the file system names them. Called
    // by the watch; public for tests.
    void schemeChanged(const ustring& path);

private:
    friend class Singleton<Styler>; // deletes it
    Styler();
    ~Styler();
    Styler(const Styler&) = delete;
    Styler& operator=(const Styler&) = delete;

    static void onSchemeFileChanged(const ustring& path, int32_t flags, void* userData);

    // Constructed once and never loaded.
    slate::SP<RegexSelectorStyler> m_defaultScheme;
    // By path exactly as requested.
    std::map<ustring, slate::SP<RegexSelectorStyler>> m_schemes;
    // Paths whose last load failed; never in m_schemes at the same time.
    std::set<ustring> m_failedSchemes;
    // Declared last so that it goes first.
    slate::SP<DirectoryWatchHandle> m_watch;

};
