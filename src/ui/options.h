// Options: one options file in memory, with typed access, parents and change
// listeners.
//
// An options file is UTF-8 text of "key value" lines. Lines that are empty,
// blank or start with "#" (after blanks) are kept as they are and written
// back unchanged; every other line sets its first word (up to a space or a
// tab) to the rest of the line after the blanks that follow it, trailing
// blanks included. When a key is set on several lines the last one wins and
// the key keeps the place of its first line. Saving keeps comments, blank
// lines and order, rewriting each setting line with its key's current value.
//
// Settings are layered: a lookup that misses goes on through the parents,
// the most recently added first, each searched with its own parents before
// the next. Nothing notifies by itself: whoever changes options and wants
// the world to know calls notifyChanged, which runs this object's listeners
// and then every descendant's, depth first.
//
// Values are text; the typed getters and setters read and write numbers in
// the C locale ("%d", "%f" with six decimals) and booleans as "true" and
// "false". Two naming conventions group keys: arrays as prefix[N]... and
// groups as prefix.sub.
//
// Every operation that takes a key has a form with a `ustring` key and one
// with a UTF-8 `slate::substring` key, which is what code with key literals
// uses: options->getInt("tab_size", tabSize).
//
// Threads: main thread only, no lock. Only the reference count is atomic.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "ui/reference_counted.h"
#include "ui/ustring.h"

// Shared through slate::SP<Options>: a new object has the count 0 and goes
// into an SP at once; the last release deletes it.
class Options : public slate::ReferenceCounted<Options> {
public:
    // Called with nothing; may read any options. It must not add or remove
    // listeners of the options notifying it, change the parent links along
    // the chain, or release the last reference to any options on it.
    using Listener = std::function<void()>;

    Options() = default;
    // Leaves every parent first (removeParents). Children hold their parents
    // counted, so none is left pointing here.
    ~Options();
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;

    // --- Reading and writing files ------------------------------------------

    // Replaces lines, keys and values by those of `text`. Parents, children
    // and listeners stay; nobody is notified.
    void parse(const ustring& text);
    // The same for the file at the virtual path, read through the file
    // manager. A file that cannot be read (missing, no file manager) or is
    // not well-formed UTF-8 leaves the options empty, whatever they held.
    // Nobody is notified.
    void load(const ustring& path);
    // As load, except that a file that cannot be read leaves the options
    // unchanged and returns false. For reloading options in place when their
    // file changes, where a failed read is passing (the file held by its
    // writer) and must not wipe settings that are in use.
    bool reload(const ustring& path);
    // The file's text: its lines joined by LF with no line end after the
    // last; a setting line whose key has a value is rewritten as key, one
    // blank and the current value. Empty lines at the very start are dropped.
    ustring serialise() const;
    // Writes serialise() as UTF-8 with CR LF line ends, no byte-order mark
    // and no final line end, to the native file of the virtual path. The
    // file is replaced through a temporary file beside it, so it is either
    // the old or the new text, never a mixture. False, with the file left as
    // it was, when the path has no native name (or there is no file manager)
    // or anything fails: a read-only target, a directory in its place, a
    // missing directory, a failed write.
    bool save(const ustring& path) const;

    // --- Keys and values ----------------------------------------------------

    // Stores `value` under `key`. A new key is appended to the file as the
    // line key + " " + value; the line of a known key is rewritten when the
    // options are saved. Refused, with nothing changed and false returned,
    // when the text could not be read back as this one setting
    // (optionsKeyProblem, optionsValueProblem): an empty key, a key holding
    // a space, tab, CR, LF or NUL or starting with "#", a value holding CR,
    // LF or NUL, or either one not valid UTF-16. Nobody is notified.
    bool set(const ustring& key, const ustring& value);
    bool set(const slate::substring& key, const ustring& value);
    // Removes the key's value and the first line that sets it; later lines
    // that set the same key stay in the file (and give it their value again
    // when the file is read back). Nobody is notified.
    void erase(const ustring& key);
    void erase(const slate::substring& key);
    // Every key that has a value here (parents not included), once each, in
    // the order of its first line.
    const std::vector<ustring>& keys() const { return m_keys; }

    // The value of `key` here or, failing that, in the parents (last added
    // first, each with its own parents before the next). Null when no one
    // holds the key. The pointer is valid until the holder changes.
    const ustring* find(const ustring& key) const;
    const ustring* find(const slate::substring& key) const;

    // Typed getters: false, with `value` untouched, when find gives nothing,
    // so callers put the default into `value` first. A found value that is
    // not a number reads as 0 (numbers are read as atoi and atof read them,
    // in the C locale; integers saturate at their type's limits). A boolean
    // is true exactly when the text is "true".
    bool getString(const ustring& key, ustring& value) const;
    bool getString(const slate::substring& key, ustring& value) const;
    bool getInt(const ustring& key, int& value) const;
    bool getInt(const slate::substring& key, int& value) const;
    bool getInt64(const ustring& key, int64_t& value) const;
    bool getInt64(const slate::substring& key, int64_t& value) const;
    bool getFloat(const ustring& key, float& value) const;
    bool getFloat(const slate::substring& key, float& value) const;
    bool getDouble(const ustring& key, double& value) const;
    bool getDouble(const slate::substring& key, double& value) const;
    bool getBool(const ustring& key, bool& value) const;
    bool getBool(const slate::substring& key, bool& value) const;

    // Typed setters: format the value and call set (so the result is set's).
    // Integers in decimal; floats and doubles as "%f" in the C locale (six
    // decimals, written in full however large; infinities and NaN as "inf",
    // "-inf" and "nan", which the getters read back); booleans as "true" or
    // "false".
    bool setInt(const ustring& key, int value);
    bool setInt(const slate::substring& key, int value);
    bool setInt64(const ustring& key, int64_t value);
    bool setInt64(const slate::substring& key, int64_t value);
    bool setFloat(const ustring& key, float value);
    bool setFloat(const slate::substring& key, float value);
    bool setDouble(const ustring& key, double value);
    bool setDouble(const slate::substring& key, double value);
    bool setBool(const ustring& key, bool value);
    bool setBool(const slate::substring& key, bool value);

    // --- Parents, children and listeners ------------------------------------

    // Makes `parent` (never null) the newest parent: it is searched before
    // the older ones, and this object is notified after it. A parent added
    // twice, or one that would close a cycle (this object itself, or one
    // that inherits from it), is a broken invariant: assertion report, and
    // the link is not made. Nobody is notified.
    void addParent(const slate::SP<Options>& parent);
    // Leaves every parent (releasing them). Nobody is notified.
    void removeParents();
    // Whether `other` is a parent, or an ancestor through any parent.
    bool inheritsFrom(const slate::SP<Options>& other) const;
    const std::vector<slate::SP<Options>>& parents() const { return m_parents; }

    // Appends a listener; the same callback added twice runs twice. An empty
    // callback is ignored (it could only stop a notification half way).
    // Returns the listener's id for removeListener: 1, 2, 3... never reused;
    // 0 for an ignored callback.
    using ListenerId = uint64_t;
    ListenerId addListener(Listener listener);
    // Removes one listener; an unknown id is ignored. Owners that share the
    // options with others remove only their own.
    void removeListener(ListenerId id);
    void clearListeners();
    // Runs every listener in registration order, then notifies every child
    // in the order they were linked, depth first.
    void notifyChanged();

    // --- Arrays and groups of keys ------------------------------------------

    // For every own key (parents are not consulted) that starts with
    // prefix + "[" followed by a decimal index N, sets out[N] to
    // prefix + "[" + N + "]", growing `out` with empty texts as needed; the
    // vector is never cleared or shrunk. Indices with leading zeros are
    // normalised (x[07] gives x[7]); text that is not a number reads as 0.
    // Keys come from session and project files, so an index that is
    // negative, or larger than an array these options could describe (the
    // number of own keys plus kIndexedKeySlack), is ignored.
    void getIndexedKeys(const ustring& prefix, std::vector<ustring>& out) const;
    void getIndexedKeys(const slate::substring& prefix, std::vector<ustring>& out) const;
    // Sets in `target` every own key that starts with prefix + ".", without
    // that start, to its value, in key order. Target's listeners are not
    // told. A null target gets nothing.
    void getGroup(const ustring& prefix, const slate::SP<Options>& target) const;
    void getGroup(const slate::substring& prefix, const slate::SP<Options>& target) const;
    // Sets prefix + "." + key to the value for every own key of `source`, in
    // key order. Nobody is notified. A null source gives nothing.
    void setGroup(const ustring& prefix, const slate::SP<Options>& source);
    void setGroup(const slate::substring& prefix, const slate::SP<Options>& source);

    // How many missing elements getIndexedKeys allows beyond one per key:
    // an array written by the program has at least one key per element, so
    // only hand-made gaps need room.
    static constexpr size_t kIndexedKeySlack = 4096;

private:
    // Fills lines, keys and values from lines already split.
    void takeLines(std::vector<ustring> lines);
    // inheritsFrom by address, so that no count is taken on an object that
    // may not be held by an SP yet.
    bool hasAncestor(const Options* other) const;

    // The file's lines as read, comments and blank lines included, in file
    // order; keys set later are appended. The text of a setting line may be
    // out of date: the current value is in m_values.
    std::vector<ustring> m_lines;
    // Every key that has a value, once, in order of first appearance. A key
    // is here exactly when it is in m_values.
    std::vector<ustring> m_keys;
    // Key to current value, ordered by the keys' code units.
    std::map<ustring, ustring> m_values;
    // Counted, in the order they were added; each at most once. This object
    // is in each parent's m_children once per link.
    std::vector<slate::SP<Options>> m_parents;
    // Not counted: a child leaves every parent before it is destroyed.
    std::vector<Options*> m_children;
    std::vector<std::pair<ListenerId, Listener>> m_listeners;
    ListenerId m_lastListenerId = 0;
};

// Why `key` cannot be stored by Options::set, as the message the plug-in
// interface raises ("Keys may not be blank", "Keys may not contain
// whitespace", ...); null when it can. Any thread.
const char* optionsKeyProblem(const ustring& key);
// The same for a value ("Values may not contain newlines", ...).
const char* optionsValueProblem(const ustring& value);

// Splits one line of an options file: false for a comment, empty or blank
// line; otherwise true, with `key` and `value` viewing the line (which must
// outlive them).
bool parseOptionsLine(const slate::usubstring& line, slate::usubstring& key,
                      slate::usubstring& value);

