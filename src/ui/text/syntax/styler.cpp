// The scheme cache behind every view's colours. Views name their scheme by
// the "colorscheme" option; the first request loads the file and later ones
// share it, each view getting its own ScopeStyler so that its per-scope cache
// follows its own syntax. Nothing pushes a changed scheme into the views:
// when a scheme file changes, the cached scheme is forgotten and the default
// file-type options are reloaded, whose change notification makes every view
// re-read its settings and ask for its scheme again. A scheme that failed to
// load is remembered only so that fixing the file triggers the same refresh;
// until then every request retries and reports.
#include "ui/text/syntax/styler.h"

#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/options_manager.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"

namespace {

const char16_t kSchemePattern[] = u"Packages/*.tmTheme";
const char16_t kDefaultFileTypeOptions[] = u"Packages/Default/Options/Default File Type.vantrel-options";

bool samePathNoCase(const ustring& a, const ustring& b)
{
    return slate::usubstring(a).equalsNoCase(slate::usubstring(b));
}

} // namespace

void Styler::create()
{
    install(new Styler);
}

Styler::Styler() : m_defaultScheme(new RegexSelectorStyler)
{
    if (slate::FileManager::alive())
        m_watch = DirectoryWatchHandle::watch(
            kSchemePattern, FileChangeModified | FileChangeAdded | FileChangeRemoved,
            &Styler::onSchemeFileChanged, this);
}

Styler::~Styler()
{
    m_watch.reset();
    m_schemes.clear();
    m_defaultScheme.reset();
}

slate::SP<ScopeStyler> Styler::defaultScopeStyler()
{
    return slate::SP<ScopeStyler>(new ScopeStyler(m_defaultScheme));
}

slate::SP<ScopeStyler> Styler::scopeStylerFor(const ustring& path)
{
    if (path.empty())
        return defaultScopeStyler();

    auto cached = m_schemes.find(path);
    if (cached != m_schemes.end())
        return slate::SP<ScopeStyler>(new ScopeStyler(cached->second));

    slate::SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
    try {
        scheme->loadFromFile(path);
    } catch (const ParseException& error) {
        m_failedSchemes.insert(path);
        const ustring message = u"Error loading colour scheme " + path + u": " + toUstring(error.what());
        if (NotificationManager::alive())
            NotificationManager::get().displayError(message);
        else
            VLOG << message;
        return defaultScopeStyler();
    }
    m_failedSchemes.erase(path);
    m_schemes.emplace(path, scheme);
    return slate::SP<ScopeStyler>(new ScopeStyler(scheme));
}

void Styler::schemeChanged(const ustring& path)
{
    // A view may have spelt the path in another case than the file system
    // reports it; on Windows both name the same file.
    bool inUse = false;
    for (auto scheme = m_schemes.begin(); scheme != m_schemes.end();) {
        if (samePathNoCase(scheme->first, path)) {
            // Styles stay valid while any ScopeStyler still holds the scheme.
            scheme = m_schemes.erase(scheme);
            inUse = true;
        } else {
            ++scheme;
        }
    }
    for (auto failed = m_failedSchemes.begin(); failed != m_failedSchemes.end();) {
        if (samePathNoCase(*failed, path)) {
            failed = m_failedSchemes.erase(failed);
            inUse = true;
        } else {
            ++failed;
        }
    }
    if (inUse && OptionsManager::alive())
        OptionsManager::get().reload(kDefaultFileTypeOptions);
}

void Styler::onSchemeFileChanged(const ustring& path, int32_t, void* userData)
{
    static_cast<Styler*>(userData)->schemeChanged(path);
}
