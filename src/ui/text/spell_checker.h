// Spell checking: one Hunspell dictionary per `SpellChecker`, and the
// process-wide `SpellCheckerManager` that caches a checker per dictionary
// path and keeps the user's word lists.
//
// Two lists belong to the user, not to a dictionary. Added words are given
// to every dictionary, which then accepts them. Ignored words are accepted
// by every checker without asking its dictionary. Both lists live in the
// session under "addedWords" and "ignoredWords".
//
// Only ASCII words are checked, added or ignored: a word holding any unit of
// 128 or more counts as correct and is never stored. Identifiers (a capital
// or "_" after the first letter) and words without letters count as correct
// too. Separators and punctuation at either end of a word are not part of
// it, and at most kMaximumCheckedLength units of it are looked at.
//
// Threads: everything here runs on the main thread, without locks. A checker
// is reference counted and may be held by token storages after the manager
// is gone; it then no longer sees the ignored words.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/reference_counted.h"
#include "ui/singleton.h"
#include "ui/ustring.h"

class Options;
struct Hunhandle;

// Told when the added or ignored words change, so that what was marked
// misspelt can be checked again. Registered with SpellCheckerManager::
// addListener; the manager does not own it.
class SpellingListener {
public:
    virtual ~SpellingListener() = default;
    // Called on the main thread after every change of either list. It must
    // not add or remove listeners.
    virtual void spellingChanged() = 0;
};

// The sorted ignored words, as views of copies the manager owns.
using IgnoredWordList = std::vector<slate::substring>;

// One dictionary. Shared through slate::SP<SpellChecker>: a new checker has
// the count 0 and goes into an SP at once; the last release deletes it with
// its engine. Main thread only.
class SpellChecker : public slate::ReferenceCounted<SpellChecker> {
public:
    // Words longer than this (after trimming) are checked on this many
    // leading units only.
    static constexpr size_t kMaximumCheckedLength = 97;

    // `ignoredWords` is the manager's list (not owned; null for none), read
    // at every check. The checker has no dictionary until load.
    explicit SpellChecker(const IgnoredWordList* ignoredWords = nullptr);
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    // Replaces the dictionary by the one at the virtual path `path` (a ".dic"
    // file; its affixes come from the file of the same name with the
    // extension "aff") and makes it accept `addedWords` as well. When the
    // file manager cannot find the dictionary the checker is left without
    // one: it then finds nothing misspelt. A missing or unreadable affix
    // file is not an error: the dictionary is used with what could be read.
    void load(const ustring& path, const std::vector<std::string>& addedWords);
    // Whether a dictionary is loaded.
    bool hasDictionary() const { return m_engine != nullptr; }

    // True when the word counts as correctly spelt: empty, non-ASCII,
    // without letters, an identifier, ignored, or accepted by the
    // dictionary (any word, when there is none). Timed into "CheckSpelling".
    bool check(const slate::usubstring& word) const;
    // Appends the dictionary's suggestions for the trimmed word, best first.
    // Nothing without a dictionary, or for a word that is not ASCII.
    void suggest(const slate::usubstring& word, std::vector<ustring>& suggestions) const;

private:
    friend class SpellCheckerManager;

    // Owned; null when no dictionary is loaded.
    Hunhandle* m_engine = nullptr;
    // The manager's list while it lives; cleared when the manager goes.
    const IgnoredWordList* m_ignoredWords;
};

// The process-wide cache of checkers and the user's word lists. Created and
// its session read at start-up, destroyed at shutdown. Main thread only.
class SpellCheckerManager : public Singleton<SpellCheckerManager> {
public:
    // Creates the singleton; there must be none yet.
    static void create();

    SpellCheckerManager() = default;
    // Releases every cached checker; checkers still held elsewhere stop
    // seeing the ignored words.
    ~SpellCheckerManager();
    SpellCheckerManager(const SpellCheckerManager&) = delete;
    SpellCheckerManager& operator=(const SpellCheckerManager&) = delete;

    // The checker of the dictionary at the virtual path, loaded with the
    // added words on first use and cached under the path as written. Never
    // null (a path without a dictionary gives a checker that has none).
    slate::SP<SpellChecker> spellChecker(const ustring& path);

    // Adds the trimmed word to the added words (again, if it is there
    // already), reloads every cached dictionary with the whole list and
    // tells the listeners. A word that is not ASCII, or nothing but
    // separators, is refused silently.
    void addWord(const slate::usubstring& word);
    // Adds the trimmed word to the ignored words (duplicates stay) and tells
    // the listeners. Refuses what addWord refuses.
    void ignoreWord(const slate::usubstring& word);

    // The lists as they stand: added words in the order added, ignored
    // words sorted bytewise.
    const std::vector<std::string>& addedWords() const { return m_addedWords; }
    const IgnoredWordList& ignoredWords() const { return m_ignoredWords; }

    // Appends a listener (not owned); it must be removed before it dies.
    void addListener(SpellingListener* listener);
    // Removes the first registration of `listener`, if any.
    void removeListener(SpellingListener* listener);

    // Stores each list under "addedWords" and "ignoredWords" as one text of
    // double-quoted words separated by blanks, quotes and backslashes
    // escaped (escapeString), so that readSession restores every word. A
    // word holding a CR, which an options value cannot hold, is left out.
    void writeSession(Options& session) const;
    // Adds and ignores the words stored by writeSession. Only for a manager
    // that holds no words, checkers or listeners yet (an assertion otherwise).
    void readSession(const Options& session);

private:
    void notifyListeners();

    // Every dictionary loaded so far, by path.
    std::map<ustring, slate::SP<SpellChecker>> m_spellCheckers;
    // Sorted; each views one of m_ignoredWordCopies, which stay put when
    // either vector grows. Duplicates stay.
    IgnoredWordList m_ignoredWords;
    std::vector<std::unique_ptr<char[]>> m_ignoredWordCopies;
    // In the order added, duplicates included; given to every dictionary.
    std::vector<std::string> m_addedWords;
    // Not owned, in registration order.
    std::vector<SpellingListener*> m_changeListeners;
};
