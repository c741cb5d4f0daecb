// The syntax manager: which grammar a file opens with, decided by extension.
// A reload lists every grammar under "Packages/", registers first the
// extensions of every grammar's options file and only then the "fileTypes"
// the grammars declare, so that a user's choice always beats a package's
// claim; within each pass the grammars go by file stem, and the first grammar
// to register a key keeps it. Reading "fileTypes" needs each grammar's
// header, so the headers are kept in one compressed summary cache, which a
// reload trusts only when it was written for exactly the grammar files found
// now, each with the modification time and size it had then. Anything less
// (a renamed grammar, one edited within the same count, a truncated or
// foreign file) rereads every header and writes the cache again.
#include "ui/text/syntax/syntax_manager.h"

#include <algorithm>
#include <exception>

#include "filesystem/path_parts.h"
#include "ui/byte_buffer.h"
#include "ui/cache_file.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/options_manager.h"
#include "ui/statistics.h"
#include "ui/string_utils.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/lexer/text_mate_grammar.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"
#include "ui/menu_descriptor.h"

const char16_t kSyntaxSummaryCachePath[] = u"Packages/Default/Syntax Summary.cache";

namespace {

const char16_t kGrammarDirectory[] = u"Packages/";
const char16_t kGrammarPattern[] = u"*.tmLanguage";
const char16_t kOptionsWatchPattern[] = u"Packages/*.vantrel-options";
const char16_t kSubmenuCaption[] = u"Open all with current extension as...";
const char16_t kWordSeparators[] = u" \t";

// The stem of a virtual path: the name after the last "/" without its
// extension.
slate::usubstring stemOf(const ustring& path)
{
    return pathStem(slate::usubstring(path), u'/');
}

std::vector<ustring> words(const ustring& text)
{
    std::vector<slate::usubstring> pieces;
    tokenize(slate::usubstring(text), kWordSeparators, pieces);
    std::vector<ustring> result;
    result.reserve(pieces.size());
    for (const slate::usubstring& piece : pieces)
        result.emplace_back(piece.begin, piece.end);
    return result;
}

ustring stringOption(const slate::SP<Options>& options, const char* key)
{
    ustring value;
    options->getString(slate::substring(key), value);
    return value;
}

void reportSaveFailure(const ustring& path)
{
    const ustring text = u"Unable to save " + path;
    if (NotificationManager::alive())
        NotificationManager::get().displayError(text);
    else
        VLOG << text;
}

// The stamp of a grammar file; false when it has no native file to stamp.
bool grammarStamp(const ustring& path, FileStat& stamp)
{
    stamp = FileStat();
    if (!slate::FileManager::alive())
        return false;
    const ustring native = slate::FileManager::get().nativePath(path);
    return !native.empty() && stamp.read(native);
}

// The native name of the summary cache; empty when the file manager cannot
// name it, in which case the cache is neither read nor written (the bare
// virtual path would name a file relative to the current directory).
ustring summaryCacheNativePath()
{
    if (!slate::FileManager::alive())
        return ustring();
    return slate::FileManager::get().nativePath(kSyntaxSummaryCachePath);
}

// Reads the cache against the grammars found now and their current stamps.
//
// Record layout (after the count and the summaries, which older readers take
// as the whole record): one source entry per grammar, in the same order: the
// grammar's path as found when the cache was written (also for a grammar that
// could not be read, whose summary record is empty), then its modification
// time and size, each as two int32 words, low word first.
bool readSummaryCacheWithStamps(const std::vector<ustring>& paths,
                                const std::vector<FileStat>& stamps,
                                std::vector<SyntaxSummary>& summaries)
{
    const ustring cachePath = summaryCacheNativePath();
    if (cachePath.empty() || !isFile(cachePath))
        return false;
    for (size_t i = 0; i < paths.size(); ++i)
        if (stamps[i].size < 0)
            return false;

    ReadBuffer buffer;
    if (!readCacheFile(cachePath, kSyntaxSummaryCacheVersion, buffer))
        return false;
    int32_t count = -1;
    if (!readInt32(buffer, count) || count < 0 || static_cast<size_t>(count) != paths.size())
        return false;

    summaries.clear();
    summaries.resize(paths.size());
    for (SyntaxSummary& summary : summaries) {
        int32_t fileTypeCount = -1;
        if (!readString(buffer, summary.path) || !readString(buffer, summary.name) ||
            !readString(buffer, summary.scopeName) ||
            !readString(buffer, summary.firstLineMatch) || !readInt32(buffer, fileTypeCount) ||
            fileTypeCount < 0)
            return false;
        // No reserve: a corrupt count must not allocate; the reads fail at
        // the end of the bytes instead.
        for (int32_t i = 0; i < fileTypeCount; ++i) {
            ustring fileType;
            if (!readString(buffer, fileType))
                return false;
            summary.fileTypes.push_back(std::move(fileType));
        }
    }

    for (size_t i = 0; i < paths.size(); ++i) {
        ustring sourcePath;
        FileStat recorded;
        if (!readString(buffer, sourcePath) || !readFileStamp(buffer, recorded))
            return false;
        if (sourcePath != paths[i] || recorded != stamps[i])
            return false;
        // A readable grammar's summary names its own file.
        if (!summaries[i].path.empty() && summaries[i].path != paths[i])
            return false;
    }
    return buffer.atEnd();
}

std::vector<FileStat> grammarStamps(const std::vector<ustring>& paths)
{
    std::vector<FileStat> stamps(paths.size());
    for (size_t i = 0; i < paths.size(); ++i)
        grammarStamp(paths[i], stamps[i]);
    return stamps;
}

// The header of one grammar; an empty summary (after a log line) when it
// cannot be read.
SyntaxSummary readSummary(const ustring& path)
{
    SyntaxSummary summary;
    try {
        PlistValue root;
        loadPlist(path, root, true);
        Grammar grammar;
        parseTextMateGrammar(root, grammar, true);
        summary.path = path;
        summary.name = std::move(grammar.name);
        summary.scopeName = std::move(grammar.scopeName);
        summary.firstLineMatch = std::move(grammar.firstLineMatch);
        summary.fileTypes = std::move(grammar.fileTypes);
    } catch (const std::exception& error) {
        VLOG << u"Error parsing lexer: " << path << u": " << toUstring(error.what());
        summary = SyntaxSummary();
    }
    return summary;
}

} // namespace

// --- Free functions ---------------------------------------------------------

ustring syntaxOptionsPath(const ustring& syntaxPath)
{
    return replaceExtension(slate::usubstring(syntaxPath), slate::usubstring(u"vantrel-options"),
                            u'/');
}

slate::SP<Options> loadSyntaxOptions(const ustring& syntaxPath)
{
    const ustring path = syntaxOptionsPath(syntaxPath);
    if (OptionsManager::alive())
        return OptionsManager::get().getOptions(path);
    slate::SP<Options> options(new Options);
    options->load(path);
    return options;
}

ustring nativePathOrSelf(const ustring& path)
{
    if (slate::FileManager::alive()) {
        ustring native = slate::FileManager::get().nativePath(path);
        if (!native.empty())
            return native;
    }
    return path;
}

bool syntaxPathLess(const ustring& a, const ustring& b)
{
    const slate::usubstring stemA = stemOf(a);
    const slate::usubstring stemB = stemOf(b);
    return std::lexicographical_compare(stemA.begin, stemA.end, stemB.begin, stemB.end);
}

bool readSummaryCache(const std::vector<ustring>& paths, std::vector<SyntaxSummary>& summaries)
{
    return readSummaryCacheWithStamps(paths, grammarStamps(paths), summaries);
}

bool writeSummaryCache(const std::vector<ustring>& paths,
                       const std::vector<SyntaxSummary>& summaries,
                       const std::vector<FileStat>& stamps)
{
    const ustring cachePath = summaryCacheNativePath();
    if (cachePath.empty())
        return false;
    WriteBuffer record;
    writeInt32(record, static_cast<int32_t>(summaries.size()));
    for (const SyntaxSummary& summary : summaries) {
        writeString(record, summary.path);
        writeString(record, summary.name);
        writeString(record, summary.scopeName);
        writeString(record, summary.firstLineMatch);
        writeInt32(record, static_cast<int32_t>(summary.fileTypes.size()));
        for (const ustring& fileType : summary.fileTypes)
            writeString(record, fileType);
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        writeString(record, paths[i]);
        writeFileStamp(record, stamps[i]);
    }
    return writeCacheFile(cachePath, kSyntaxSummaryCacheVersion, record);
}

void loadSummaries(const std::vector<ustring>& paths, std::vector<SyntaxSummary>& summaries)
{
    // Stamps first: a grammar that changes while it is read then no longer
    // matches what the cache records.
    const std::vector<FileStat> stamps = grammarStamps(paths);
    if (readSummaryCacheWithStamps(paths, stamps, summaries))
        return;

    summaries.clear();
    summaries.reserve(paths.size());
    for (const ustring& path : paths)
        summaries.push_back(readSummary(path));
    writeSummaryCache(paths, summaries, stamps);
}

// --- SyntaxManager ----------------------------------------------------------

void SyntaxManager::create()
{
    install(new SyntaxManager);
}

SyntaxManager::SyntaxManager()
{
    reload();
    if (slate::FileManager::alive())
        m_watch = DirectoryWatchHandle::watch(
            kOptionsWatchPattern, FileChangeModified | FileChangeAdded | FileChangeRemoved,
            &SyntaxManager::onOptionsChanged, this);
}

SyntaxManager::~SyntaxManager() = default;

void SyntaxManager::onOptionsChanged(const ustring&, int32_t, void* userData)
{
    static_cast<SyntaxManager*>(userData)->reload();
}

void SyntaxManager::setMenuPublisher(MenuPublisher publisher)
{
    m_menuPublisher = std::move(publisher);
    if (m_menuPublisher)
        m_menuPublisher(m_menu);
}

ustring SyntaxManager::syntaxForExtension(const ustring& key) const
{
    auto found = m_extensionToSyntax.find(key);
    if (found != m_extensionToSyntax.end())
        return found->second;
    found = m_extensionToSyntax.find(toLower(slate::usubstring(key)));
    if (found != m_extensionToSyntax.end())
        return found->second;
    return ustring();
}

ustring SyntaxManager::syntaxForFile(const ustring& fileName) const
{
    // Native paths use backslashes; "/" is taken too, as Windows does, so
    // that Unix-style names given on the command line work alike.
    const size_t separator = fileName.find_last_of(u"\\/");
    const ustring name = separator == ustring::npos ? fileName : fileName.substr(separator + 1);

    const size_t dot = name.rfind(u'.');
    if (dot != ustring::npos && dot != 0 && dot + 1 != name.size()) {
        ustring path = syntaxForExtension(name.substr(dot + 1));
        if (!path.empty())
            return path;
    }
    return syntaxForExtension(name);
}

void SyntaxManager::registerExtension(const ustring& path, const ustring& extension, bool hidden)
{
    m_extensionToSyntax.emplace(extension, path);
    m_extensionToSyntax.emplace(toLower(slate::usubstring(extension)), path);
    m_syntaxInfo[path].extensionEntries.push_back(ExtensionEntry{extension, hidden});
}

void SyntaxManager::assignExtensionToSyntax(const ustring& extension, const ustring& syntaxPath)
{
    if (extension.empty())
        return;
    VLOG << u"Assigning " << extension << u" to syntax " << syntaxPath;

    const ustring oldPath = syntaxForExtension(extension);
    const ustring lowerExtension = toLower(slate::usubstring(extension));
    m_extensionToSyntax.erase(extension);
    m_extensionToSyntax.erase(lowerExtension);
    registerExtension(syntaxPath, extension, false);

    if (!oldPath.empty()) {
        // Only an options file that listed the extension is rewritten: one
        // that got it from its grammar's "fileTypes" loses nothing, and the
        // new grammar's options win over those on the next reload anyway.
        slate::SP<Options> options = loadSyntaxOptions(oldPath);
        std::vector<ustring> kept;
        bool dropped = false;
        for (ustring& word : words(stringOption(options, "extensions"))) {
            if (toLower(slate::usubstring(word)) == lowerExtension)
                dropped = true;
            else
                kept.push_back(std::move(word));
        }
        if (dropped) {
            ustring joined;
            for (const ustring& word : kept) {
                if (!joined.empty())
                    joined += u' ';
                joined += word;
            }
            options->set(slate::substring("extensions"), joined);
            const ustring optionsPath = syntaxOptionsPath(oldPath);
            if (!options->save(optionsPath))
                reportSaveFailure(optionsPath);
        }
    }

    slate::SP<Options> options = loadSyntaxOptions(syntaxPath);
    ustring extensions = stringOption(options, "extensions");
    if (!extensions.empty())
        extensions += u' ';
    extensions += extension;
    options->set(slate::substring("extensions"), extensions);
    const ustring optionsPath = syntaxOptionsPath(syntaxPath);
    if (!options->save(optionsPath))
        reportSaveFailure(optionsPath);
}

void SyntaxManager::reload()
{
    ScopedTimer timer(g_statSyntaxManagerReload);

    m_extensionToSyntax.clear();
    m_syntaxInfo.clear();

    std::vector<ustring> paths;
    if (slate::FileManager::alive())
        slate::FileManager::get().findFiles(kGrammarDirectory, kGrammarPattern, paths);
    std::stable_sort(paths.begin(), paths.end(), syntaxPathLess);

    if (OptionsManager::alive()) {
        for (const ustring& path : paths) {
            slate::SP<Options> options = loadSyntaxOptions(path);
            for (const ustring& word : words(stringOption(options, "extensions")))
                registerExtension(path, word, false);
            for (const ustring& word : words(stringOption(options, "hiddenExtensions")))
                registerExtension(path, word, true);
        }
    }

    std::vector<SyntaxSummary> summaries;
    loadSummaries(paths, summaries);

    std::unordered_map<ustring, ustring, UstringHash> captions;
    for (const SyntaxSummary& summary : summaries) {
        if (summary.path.empty())
            continue;
        for (const ustring& fileType : summary.fileTypes)
            registerExtension(summary.path, fileType, false);
        captions[summary.path] = summary.name;
        auto info = m_syntaxInfo.find(summary.path);
        if (info != m_syntaxInfo.end())
            info->second.name = summary.name;
        if (!summary.scopeName.empty())
            m_scopeNameToSyntax[summary.scopeName] = summary.path;
    }

    SyntaxMenu menu;
    menu.submenuCaption = kSubmenuCaption;
    for (const ustring& path : paths) {
        if (!m_syntaxInfo.count(path))
            continue;
        auto caption = captions.find(path);
        ustring text = caption != captions.end() ? caption->second : ustring();
        if (text.empty()) {
            const slate::usubstring stem = stemOf(path);
            text.assign(stem.begin, stem.end);
        }
        text = escapeMenuCaption(text);
        const ustring quoted = u"\"" + path + u"\"";
        menu.setItems.push_back(SyntaxMenuItem{text, u"setFileType " + quoted});
        menu.assignItems.push_back(SyntaxMenuItem{text, u"assignFileType " + quoted});
    }
    m_menu = std::move(menu);
    m_syntaxPaths = std::move(paths);
    if (m_menuPublisher)
        m_menuPublisher(m_menu);
}
