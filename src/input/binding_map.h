// Key bindings: which key sequences run which command lines under which
// contexts, for one window. A BindingMap is filled from the binding sources
// (the snippet store) and from the key map files of the packages, and turns
// the key strokes and characters that no input region consumed into typed
// characters and command lines, keeping the strokes of an unfinished
// sequence pending.
//
// Key texts. A key text is a list of elements separated by commas: a key
// ("ctrl+shift+f5", parsed by parseKey), a typed character ("a"), the comma
// key written as a lone comma (so ctrl+k followed by comma is "ctrl+k,,"), or
// a regular expression between slashes ("/[0-9]+/") that stands for typed
// characters and is handed to the command as $1, $2...
//
// Precedence. Every binding gets the next sequence number when it is bound;
// among the bindings whose contexts hold, the one bound last wins. A map is
// rebuilt by binding the binding sources' bindings, then the package key map
// files, then the user's key map files, so users override packages, which
// override the program's own bindings.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "filesystem/file_manager.h"
#include "input/key_stroke.h"
#include "ui/input_events.h"
#include "ui/reference_counted.h"
#include "ui/singleton.h"
#include "ui/ustring.h"

class KeyPattern;
class StringInterner;

// One context a binding needs: both texts are interned in the
// BindingSourceManager's interner, so equal texts share one pointer and live
// as long as the manager.
struct ContextCondition {
    const uchar* name = nullptr;
    const uchar* value = nullptr;
};

// A binding as read from a file or given by a binding source.
struct KeyBinding {
    ustring key;     // key text
    ustring command; // command line
    std::vector<ContextCondition> contexts; // in the order read
};

// What a key or character resolved to: a typed character (the character in
// `event`) or a command line to run.
struct InputAction {
    enum class Kind { TypedCharacter = 0, Command = 1 };
    Kind kind = Kind::TypedCharacter;
    ustring command;
    CharacterEvent event; // all zero but its character; TypedCharacter only
};

// One element of a key sequence that holds a regular expression: a plain
// stroke (no pattern), or a pattern (stroke all zero).
struct PatternElement {
    KeyStroke stroke;
    std::shared_ptr<const KeyPattern> pattern;
};
// Element by element: by the identity of the compiled pattern, then by the
// stroke.
bool operator<(const PatternElement& a, const PatternElement& b);

// One binding under a key sequence. The empty command marks the sequence as
// a proper prefix of a longer binding (a prefix marker).
struct BindingEntry {
    ustring command;
    std::vector<ContextCondition> contexts; // sorted by name; values of a name in binding order
    int sequence = 0;
};

// A key-sequence automaton: takes strokes and characters and yields actions.
class InputAutomata {
public:
    // Answers a context: its name and value, true when it holds.
    using ContextFunction = std::function<bool(const slate::usubstring& name, const slate::usubstring& value)>;

    virtual ~InputAutomata() = default;
    virtual ustring keyText(const slate::usubstring& command) const = 0;
    virtual bool onCharacter(const CharacterEvent& event, std::vector<InputAction>& actions) = 0;
    virtual bool onKey(const KeyEvent& event, std::vector<InputAction>& actions) = 0;
    virtual void clearPending() = 0;
    virtual void setContextFunction(ContextFunction function) = 0;
    virtual bool hasPending() const = 0;
    virtual ustring pendingText() const = 0;
};

// The bindings of one window. Registers itself with the
// BindingSourceManager, which must exist for the map's whole life. Main
// thread only.
class BindingMap final : public InputAutomata {
public:
    BindingMap();
    ~BindingMap() override;
    BindingMap(const BindingMap&) = delete;
    BindingMap& operator=(const BindingMap&) = delete;

    // Binds `command` to the key text under `contexts` (interned in the
    // manager). False, with a log line and nothing bound, when an element
    // names no key or a pattern does not compile.
    bool bind(const slate::usubstring& keyText, const ustring& command,
              const std::vector<ContextCondition>& contexts);

    // Reads one key map file, a virtual path, through the file manager and
    // binds its bindings. False, after showing the user an error that names
    // the file and says what is wrong (with the line where the XML parser
    // knows it), when the file cannot be read, is not well-formed XML, nests
    // deeper or holds a NUL byte, or expands to more than
    // kMaxKeyMapBindings bindings; nothing of such a file is bound.
    bool readFile(const ustring& path);
    // Rebuilds the tables from the binding sources and the key map files of
    // the current key map name. When any file fails, the tables in use
    // before stay in place. Pending strokes and the context function are
    // kept.
    void reload();
    // Selects the key map files "<name>.vantrel-keymap" and
    // "<name> - User.vantrel-keymap" under "Packages/", watches them and
    // reloads; nothing when the name is unchanged. Needs the file manager.
    void setKeymapName(const ustring& name);
    const ustring& keymapName() const { return m_keymapName; }

    // Resolution.
    ustring keyText(const slate::usubstring& command) const override;
    bool onCharacter(const CharacterEvent& event, std::vector<InputAction>& actions) override;
    bool onKey(const KeyEvent& event, std::vector<InputAction>& actions) override;
    void clearPending() override { m_pending.clear(); }
    void setContextFunction(ContextFunction function) override { m_contextFunction = std::move(function); }
    bool hasPending() const override { return !m_pending.empty(); }
    // The characters of the pending strokes up to the first key stroke.
    ustring pendingText() const override;

    // Appends `stroke` to the pending strokes and resolves them: false
    // exactly when the last stroke was discarded as an unbound key (actions
    // appended before that stay). A stroke all zero settles a pending
    // sequence. Public for the window's flush and for tests.
    bool resolve(const KeyStroke& stroke, std::vector<InputAction>& actions);

    // The key stroke of one element of a key text (see parseKey).
    static bool parseKey(const slate::usubstring& element, KeyStroke& stroke) { return ::parseKey(element, stroke); }
    static ustring formatKeySequence(const std::vector<KeyStroke>& sequence) { return ::formatKeySequence(sequence); }

    // Strokes that can be pending at once; a longer buffer is never looked
    // up whole.
    static constexpr size_t kMaxPending = 31;
    // Bindings one key map file may expand to, counting each namespace
    // binding once for every root binding that uses the namespace. The
    // default key map has a few hundred; a file beyond this is refused
    // whole, since namespaces let a small file ask for millions.
    static constexpr size_t kMaxKeyMapBindings = 100000;

private:
    struct CommandKey {
        std::vector<KeyStroke> strokes;
        std::vector<ContextCondition> contexts;
    };
    // The entries of each key are kept in binding order, oldest first, so
    // lookups walk them from the back.
    struct Tables {
        std::map<std::vector<KeyStroke>, std::vector<BindingEntry>> exact;
        std::map<std::vector<PatternElement>, std::vector<BindingEntry>> pattern;
        std::map<ustring, std::vector<CommandKey>> commandKeys;
    };
    struct LookupResult {
        bool found = false;
        bool pending = false;
        ustring command;
    };

    bool contextsMatch(const std::vector<ContextCondition>& contexts) const;
    LookupResult lookup(const KeyStroke* begin, const KeyStroke* end, bool pendingAllowed) const;
    // The bindings of the key map file at `path`, namespaces expanded, in
    // binding order. Throws ParseException saying what is wrong with the
    // file; `shownPath` gets the path to name in a message.
    static std::vector<KeyBinding> readBindings(const ustring& path, StringInterner& interner, ustring& shownPath);
    // Appends one binding of a file to `expanded`, expanding "${namespace}"
    // in its command with the file's namespaces.
    static void expandNamespace(KeyBinding&& binding,
                                const std::map<ustring, std::vector<KeyBinding>>& namespaces,
                                std::vector<KeyBinding>& expanded);

    Tables m_tables;
    std::vector<KeyStroke> m_pending; // waiting for resolution
    ContextFunction m_contextFunction; // empty: bindings with contexts never match
    ustring m_keymapName;
    slate::SP<DirectoryWatchHandle> m_keymapWatch;
    StringInterner* m_interner; // the manager's
    int m_nextSequence = 0;     // never reset, so reloads keep ordering newer
};

// The singleton that knows every BindingMap and every binding source, and
// interns the context texts of all bindings. Created by the toolkit's
// start-up before any window and destroyed at shutdown after the last map.
// Owns neither the maps nor the sources. Main thread only.
class BindingSourceManager : public Singleton<BindingSourceManager> {
public:
    // Something that contributes bindings to every map (the snippet store).
    class BindingSource {
    public:
        virtual ~BindingSource() = default;
        // Appends this source's bindings, contexts interned in the manager.
        virtual void getBindings(std::vector<KeyBinding>& bindings) = 0;
    };

    static void create();

    // add* move the pointer to the end of its list; remove* erase it.
    void addMap(BindingMap* map);
    void removeMap(BindingMap* map);
    void addSource(BindingSource* source);
    void removeSource(BindingSource* source);
    // Reloads every map, in registration order (the snippet store calls it
    // when its snippets change).
    void reloadAll();

    const std::vector<BindingSource*>& sources() const { return m_sources; }
    StringInterner& interner() { return *m_interner; }

private:
    friend class Singleton<BindingSourceManager>; // deletes it
    BindingSourceManager();
    ~BindingSourceManager();

    std::vector<BindingSource*> m_sources;
    std::vector<BindingMap*> m_maps;
    std::unique_ptr<StringInterner> m_interner;
};
