// Which grammar a file opens with. The syntax manager collects, for every
// ".tmLanguage" file under "Packages/", the extensions that select it (from
// the grammar's own options file and from its "fileTypes"), keeps each
// grammar's display name and extensions for the open and save dialogs,
// builds the syntax menu, moves an extension between grammars at the user's
// request, and maps grammar scope names to grammar paths for grammars that
// include one another.
//
//     ustring path = SyntaxManager::get().syntaxForFile(fileName);
//     if (path.empty())
//         path = u"Packages/Text/Plain Text.tmLanguage";
//
// So that start-up does not parse every grammar, the header fields it needs
// are kept in the summary cache "Packages/Default/Syntax Summary.cache".
//
// Threads: main thread only, no locks.
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "ui/hash.h"
#include "ui/options.h"
#include "ui/reference_counted.h"
#include "ui/singleton.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/ustring.h"

// The header of one grammar, as the summary cache keeps it.
struct SyntaxSummary {
    ustring path; // virtual path under "Packages/"; empty when the grammar could not be read
    ustring name;
    ustring scopeName;      // empty when absent
    ustring firstLineMatch; // empty when absent; carried, not used for choosing
    std::vector<ustring> fileTypes;
};

// One entry of the syntax menu: its caption (already escaped for menus) and
// the command line it runs.
struct SyntaxMenuItem {
    ustring caption;
    ustring command;
};

// The syntax menu as data, for the window manager to publish under the name
// "setFileType". Laid out as: the submenu `submenuCaption` holding
// `assignItems`, a separator, then `setItems`. Both lists name the same
// grammars in the same order: `setItems` run "setFileType \"PATH\"",
// `assignItems` run "assignFileType \"PATH\"".
struct SyntaxMenu {
    ustring submenuCaption;
    std::vector<SyntaxMenuItem> setItems;
    std::vector<SyntaxMenuItem> assignItems;
};

class SyntaxManager : public Singleton<SyntaxManager> {
public:
    struct ExtensionEntry {
        ustring extension; // as written
        bool hidden = false; // selects its grammar, but is not shown in dialog filters
    };

    // The dialog view of one grammar: one file-type filter showing `name`
    // (or, when empty, the stem of the path) with the extensions that are not
    // hidden, and matching all of them.
    struct SyntaxInfo {
        ustring name; // empty when the grammar's summary has none
        std::vector<ExtensionEntry> extensionEntries; // registration order; may repeat
    };

    using ExtensionMap = std::unordered_map<ustring, ustring, UstringHash>;
    using SyntaxInfoMap = std::unordered_map<ustring, SyntaxInfo, UstringHash>;
    // Called with the new menu after every reload, and once when installed.
    using MenuPublisher = std::function<void(const SyntaxMenu&)>;

    // Creates the singleton (none may exist): reloads once, then watches
    // "Packages/*.vantrel-options" and reloads on every change. Start-up
    // calls it after the file manager and the options manager exist.
    // Shutdown destroys it before the options manager and the file manager.
    static void create();

    // The grammar path registered for `key` (an extension, or a whole file
    // name), as written or else lower-cased; empty when none.
    ustring syntaxForExtension(const ustring& key) const;
    // The grammar path for a file name or native path (backslash or "/"
    // separated): by its extension (after the last "."), then by its whole
    // name; empty when neither is registered. The file's contents play no
    // part.
    ustring syntaxForFile(const ustring& fileName) const;
    // Makes `extension` select the grammar at `syntaxPath`: takes it out of
    // the options file of the grammar that had it (every case variant) and
    // appends it to the "extensions" of `syntaxPath`'s options file. Both
    // files are saved; the watch on options files then reloads everything.
    // Nothing for an empty extension. A file that cannot be saved is
    // reported to the user ("Unable to save PATH").
    void assignExtensionToSyntax(const ustring& extension, const ustring& syntaxPath);
    // Rebuilds the extension maps, the dialog entries and the menu from the
    // grammars and their options files. Scope names are added or replaced,
    // never removed.
    void reload();
    // Enters `extension` (as written and lower-cased) for `path` unless a
    // grammar has those keys already, and appends it to the grammar's dialog
    // entry.
    void registerExtension(const ustring& path, const ustring& extension, bool hidden);

    // Grammar path -> dialog entry; only grammars with at least one
    // registered extension. Valid until the next reload.
    const SyntaxInfoMap& syntaxInfo() const { return m_syntaxInfo; }
    // Grammar scope name -> grammar path, for resolving includes of other
    // languages (loadLexerContexts takes it as is).
    const LanguageMap& scopeNameToSyntax() const { return m_scopeNameToSyntax; }
    // Every grammar found by the last reload, in menu order (syntaxPathLess).
    const std::vector<ustring>& syntaxPaths() const { return m_syntaxPaths; }
    // The menu built by the last reload.
    const SyntaxMenu& menu() const { return m_menu; }
    // Installs the function that publishes the menu (the window manager's),
    // and calls it at once with the current menu. An empty function
    // publishes nothing.
    void setMenuPublisher(MenuPublisher publisher);

private:
    friend class Singleton<SyntaxManager>; // deletes it
    SyntaxManager();
    ~SyntaxManager();
    SyntaxManager(const SyntaxManager&) = delete;
    SyntaxManager& operator=(const SyntaxManager&) = delete;

    static void onOptionsChanged(const ustring& path, int32_t flags, void* userData);

    // Extension (as registered, and lower-cased) -> grammar path; each key
    // keeps the first grammar that registered it.
    ExtensionMap m_extensionToSyntax;
    SyntaxInfoMap m_syntaxInfo;
    slate::SP<DirectoryWatchHandle> m_watch;
    // Only grows: entries are added or replaced by reloads.
    LanguageMap m_scopeNameToSyntax;
    std::vector<ustring> m_syntaxPaths;
    SyntaxMenu m_menu;
    MenuPublisher m_menuPublisher;

};

// The summary cache's virtual path. The file is a cache file (cache_file.h)
// of version kSyntaxSummaryCacheVersion whose record holds: the number of
// grammars; per grammar its summary (path, name, scopeName, firstLineMatch,
// the number of file types and the file types; four empty strings and no
// file types for a grammar that could not be read); then per grammar, in the
// same order, the path it was read from and that file's modification time
// and size (each two int32 words, low word first).
extern const char16_t kSyntaxSummaryCachePath[];

// The options file of a grammar: its path with the extension replaced by
// "vantrel-options" (Packages/Web/Page.tmLanguage gives
// Packages/Web/Page.vantrel-options).
ustring syntaxOptionsPath(const ustring& syntaxPath);
// The shared options of that file (OptionsManager, which must exist); empty
// options when the file is missing.
slate::SP<Options> loadSyntaxOptions(const ustring& syntaxPath);
// The file manager's native name of a virtual path, or the path itself when
// it has none (or there is no file manager).
ustring nativePathOrSelf(const ustring& path);
// The order of grammars: by file stem, code unit by code unit, a stem that is
// a prefix of another first; case-sensitive. Paths with equal stems are
// equivalent (sort stably).
bool syntaxPathLess(const ustring& a, const ustring& b);

// Fills `summaries` with one summary per path, in order: from the summary
// cache when it is valid for exactly these files, otherwise by reading every
// grammar's header (a grammar that cannot be read is logged and gets an empty
// summary) and writing the cache again.
void loadSummaries(const std::vector<ustring>& paths, std::vector<SyntaxSummary>& summaries);
// The cache reader of loadSummaries: true, with `summaries` filled, only when
// the cache file was written for exactly `paths`, in order, and every one of
// them still has the modification time and size it had then. False, with
// `summaries` meaningless, otherwise (missing, corrupt, stale, another
// version, or a grammar without a native file).
bool readSummaryCache(const std::vector<ustring>& paths, std::vector<SyntaxSummary>& summaries);
// Writes the cache for `paths` and their `summaries` (same length). The
// stamps recorded are the ones in `stamps` (one per path, taken before the
// grammars were read). False when the cache path has no native name or the
// file cannot be written.
bool writeSummaryCache(const std::vector<ustring>& paths,
                       const std::vector<SyntaxSummary>& summaries,
                       const std::vector<FileStat>& stamps);
