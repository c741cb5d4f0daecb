// Spell checking over Hunspell. Checks run once per distinct token while text
// is tokenised, so they are cheap to refuse: non-ASCII words, words without
// letters and identifiers are accepted before anything is copied, and the
// rest is narrowed into a fixed stack buffer (one byte per unit, at most
// kMaximumCheckedLength of them) that is looked up in the sorted ignored
// words by binary search and only then handed to the engine. The user's
// added words are given to Hunspell's run-time dictionary whenever a
// dictionary is (re)loaded, which is why adding a word reloads every cached
// dictionary; ignored words never reach the engine. Hunspell opens its files
// itself, by Unix name, so dictionary paths go from virtual to native through
// the file manager and from native to Unix through the platform.
#include "ui/text/spell_checker.h"

#include <hunspell/hunspell.h>

#include <algorithm>
#include <cstring>

#include "filesystem/file_manager.h"
#include "filesystem/path_parts.h"
#include "ui/log.h"
#include "ui/options.h"
#include "ui/parse_strings.h"
#include "ui/platform.h"
#include "ui/statistics.h"
#include "ui/string_utils.h"
#include "ui/unicode.h"

namespace {

// Room for kMaximumCheckedLength bytes and the terminating zero, with slack.
constexpr size_t kNarrowBufferSize = 102;
static_assert(SpellChecker::kMaximumCheckedLength < kNarrowBufferSize, "narrow buffer too small");

// What is not part of a word at either end: control characters and these.
// The full stop is not among them: Hunspell itself knows abbreviations.
constexpr char kSeparators[] = "()[]{},!@#$%^*-+/\\;:?<>`~'\"\n\t ";

bool isAscii(const slate::usubstring& word)
{
    for (const uchar* p = word.begin; p != word.end; ++p) {
        if (*p >= 128)
            return false;
    }
    return true;
}

// For ASCII units only.
bool isSeparator(uchar unit)
{
    return unit < 32 || (unit != 0 && std::strchr(kSeparators, static_cast<char>(unit)));
}

bool isAsciiLetter(uchar unit) { return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z'); }

// The ASCII word without the separators at its ends.
slate::usubstring trimSeparators(const slate::usubstring& word)
{
    const uchar* begin = word.begin;
    const uchar* end = word.end;
    while (begin != end && isSeparator(*begin))
        ++begin;
    while (end != begin && isSeparator(end[-1]))
        --end;
    return slate::usubstring(begin, end);
}

// Copies at most kMaximumCheckedLength units of an ASCII word (already
// trimmed) into `buffer` as bytes, NUL-terminated, stopping early at a NUL
// unit. Returns the number of bytes copied. Separators that the cut leaves
// at the end are dropped too: a stored word is read back through the same
// trimming, and must come back unchanged.
size_t narrowTrimmed(const slate::usubstring& word, char (&buffer)[kNarrowBufferSize])
{
    const size_t limit = std::min(word.length(), SpellChecker::kMaximumCheckedLength);
    size_t length = 0;
    while (length < limit && word.begin[length] != 0) {
        buffer[length] = static_cast<char>(word.begin[length]);
        ++length;
    }
    while (length > 0 && isSeparator(static_cast<unsigned char>(buffer[length - 1])))
        --length;
    buffer[length] = 0;
    return length;
}

size_t narrowWord(const slate::usubstring& word, char (&buffer)[kNarrowBufferSize])
{
    return narrowTrimmed(trimSeparators(word), buffer);
}

ustring widenAscii(const std::string& word) { return ustring(word.begin(), word.end()); }
ustring widenAscii(const slate::substring& word) { return ustring(word.begin, word.end); }

// The session text of a list: each word escaped inside double quotes, one
// blank between words. Words with a CR cannot be stored in an options value
// and are left out, so that they cannot cost the whole list.
template <typename Words>
ustring sessionText(const Words& words)
{
    ustring text;
    for (const auto& word : words) {
        const ustring wide = widenAscii(word);
        if (wide.find(u'\r') != ustring::npos)
            continue;
        if (!text.empty())
            text += u' ';
        text += u'"';
        text += escapeString(wide);
        text += u'"';
    }
    return text;
}

} // namespace

// --- SpellChecker -----------------------------------------------------------

SpellChecker::SpellChecker(const IgnoredWordList* ignoredWords) : m_ignoredWords(ignoredWords) {}

SpellChecker::~SpellChecker()
{
    if (m_engine)
        Hunspell_destroy(m_engine);
}

void SpellChecker::load(const ustring& path, const std::vector<std::string>& addedWords)
{
    if (m_engine) {
        Hunspell_destroy(m_engine);
        m_engine = nullptr;
    }
    LogRecord("SpellChecker::load", __FILE__, __LINE__) << u"Loading dictionary " << path;

    // Hunspell reads whatever it can and then rejects every word when the
    // dictionary is missing; with no dictionary at all, nothing is misspelt.
    if (!slate::FileManager::alive())
        return;
    slate::FileManager& files = slate::FileManager::get();
    if (!files.exists(path)) {
        LogRecord("SpellChecker::load", __FILE__, __LINE__) << u"Dictionary not found: " << path;
        return;
    }
    const std::string dictionaryFile = platform::get().unixPath(files.nativePath(path));
    if (dictionaryFile.empty())
        return;
    const ustring affixPath = replaceExtension(path, u"aff", u'/');
    const std::string affixFile =
        affixPath.empty() ? std::string() : platform::get().unixPath(files.nativePath(affixPath));

    m_engine = Hunspell_create(affixFile.c_str(), dictionaryFile.c_str());
    if (!m_engine)
        return;
    for (const std::string& word : addedWords)
        Hunspell_add(m_engine, word.c_str());
}

bool SpellChecker::check(const slate::usubstring& word) const
{
    ScopedTimer timer(g_statCheckSpelling);

    bool hasLetter = false;
    for (const uchar* p = word.begin; p != word.end; ++p) {
        if (*p >= 128)
            return true;
        hasLetter = hasLetter || isAsciiLetter(*p);
    }
    if (!hasLetter)
        return true;

    // Identifiers (camelCase, CAPITALS, with_underscores) are not prose. The
    // test looks past the separators at the front, so that a quoted or
    // bracketed capitalised word is still looked up.
    const slate::usubstring trimmed = trimSeparators(word);
    for (const uchar* p = trimmed.begin + 1; p < trimmed.end; ++p) {
        if ((*p >= u'A' && *p <= u'Z') || *p == u'_')
            return true;
    }

    char buffer[kNarrowBufferSize];
    const size_t length = narrowTrimmed(trimmed, buffer);
    if (length == 0)
        return true;
    if (m_ignoredWords &&
        std::binary_search(m_ignoredWords->begin(), m_ignoredWords->end(),
                           slate::substring(buffer, buffer + length)))
        return true;
    if (!m_engine)
        return true;
    return Hunspell_spell(m_engine, buffer) != 0;
}

void SpellChecker::suggest(const slate::usubstring& word, std::vector<ustring>& suggestions) const
{
    // A non-ASCII word is never misspelt, and its low bytes would not be text.
    if (!m_engine || !isAscii(word))
        return;
    char buffer[kNarrowBufferSize];
    if (narrowWord(word, buffer) == 0)
        return;

    char** list = nullptr;
    const int count = Hunspell_suggest(m_engine, &list, buffer);
    for (int i = 0; i < count; ++i) {
        // Dictionaries in other encodings than UTF-8 may propose what does
        // not decode; an empty suggestion would only erase the word.
        ustring suggestion = toUstring(list[i]);
        if (!suggestion.empty())
            suggestions.push_back(std::move(suggestion));
    }
    if (list)
        Hunspell_free_list(m_engine, &list, count);
}

// --- SpellCheckerManager ----------------------------------------------------

void SpellCheckerManager::create()
{
    install(new SpellCheckerManager);
}

SpellCheckerManager::~SpellCheckerManager()
{
    // Token storages may hold checkers a while longer; they must not read
    // the list that dies with us.
    for (auto& entry : m_spellCheckers)
        entry.second->m_ignoredWords = nullptr;
    m_spellCheckers.clear();
    m_ignoredWords.clear();
    m_ignoredWordCopies.clear();
}

slate::SP<SpellChecker> SpellCheckerManager::spellChecker(const ustring& path)
{
    auto found = m_spellCheckers.find(path);
    if (found != m_spellCheckers.end())
        return found->second;
    slate::SP<SpellChecker> checker(new SpellChecker(&m_ignoredWords));
    checker->load(path, m_addedWords);
    m_spellCheckers.emplace(path, checker);
    return checker;
}

void SpellCheckerManager::addWord(const slate::usubstring& word)
{
    if (!isAscii(word))
        return;
    char buffer[kNarrowBufferSize];
    const size_t length = narrowWord(word, buffer);
    if (length == 0)
        return;
    m_addedWords.emplace_back(buffer, length);
    for (auto& entry : m_spellCheckers)
        entry.second->load(entry.first, m_addedWords);
    notifyListeners();
}

void SpellCheckerManager::ignoreWord(const slate::usubstring& word)
{
    if (!isAscii(word))
        return;
    char buffer[kNarrowBufferSize];
    const size_t length = narrowWord(word, buffer);
    if (length == 0)
        return;
    std::unique_ptr<char[]> copy(new char[length + 1]);
    std::memcpy(copy.get(), buffer, length + 1);
    const slate::substring view(copy.get(), copy.get() + length);
    m_ignoredWordCopies.push_back(std::move(copy));
    m_ignoredWords.insert(std::upper_bound(m_ignoredWords.begin(), m_ignoredWords.end(), view), view);
    notifyListeners();
}

void SpellCheckerManager::addListener(SpellingListener* listener) { m_changeListeners.push_back(listener); }

void SpellCheckerManager::removeListener(SpellingListener* listener)
{
    auto found = std::find(m_changeListeners.begin(), m_changeListeners.end(), listener);
    if (found != m_changeListeners.end())
        m_changeListeners.erase(found);
}

void SpellCheckerManager::notifyListeners()
{
    for (size_t i = 0; i < m_changeListeners.size(); ++i)
        m_changeListeners[i]->spellingChanged();
}

void SpellCheckerManager::writeSession(Options& session) const
{
    session.set("addedWords", sessionText(m_addedWords));
    session.set("ignoredWords", sessionText(m_ignoredWords));
}

void SpellCheckerManager::readSession(const Options& session)
{
    VASSERT(m_addedWords.empty());
    VASSERT(m_ignoredWords.empty());
    VASSERT(m_spellCheckers.empty());
    VASSERT(m_changeListeners.empty());

    std::vector<ustring> words;
    if (const ustring* text = session.find("addedWords")) {
        parseStrings(*text, words);
        for (const ustring& word : words)
            addWord(word);
    }
    words.clear();
    if (const ustring* text = session.find("ignoredWords")) {
        parseStrings(*text, words);
        for (const ustring& word : words)
            ignoreWord(word);
    }
}
