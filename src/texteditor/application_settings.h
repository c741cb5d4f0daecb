// The session in memory and on disk: what the application had open (every
// window's placement, layout, panels, project, view groups and the buffers
// behind them) and its seven history lists, kept as an XML document with a
// version attribute. The application decides when a session is written and
// under which name; each window fills and reads its own WindowSettings.
//
// All records are plain values: copying one copies its strings and lists and
// adds a reference to each Options it holds. Main thread only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "panels/history_list.h"
#include "ui/options.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class TiXmlElement;

// The value of the root's "version" attribute that this program writes and
// reads. A file of any other version is refused whole.
extern const char kSessionFileVersion[];

// One top-level window as the session keeps it. A field whose element is
// absent from the file reads as its default below.
struct WindowSettings {
    // One tab of a group.
    struct View {
        ustring bufferId; // the `id` of a Buffer record of the same window; may name none
        slate::SP<Options> options; // the view's own settings; never null after read

        void write(TiXmlElement* element) const;
        // Always gives new options, empty when the element has none.
        void read(const TiXmlElement* element);
    };

    // One group of tabs.
    struct Group {
        std::vector<View> views;
        // The index of the active tab in `views`, as read: not checked
        // against the number of views (the window does that).
        int activeView = 0;

        void write(TiXmlElement* element) const;
        void read(const TiXmlElement* element);
    };

    // A buffer shown by one or more views of the window.
    struct Buffer {
        ustring id;
        ustring fileName; // empty for a buffer without a file
        // True exactly when `contents` is stored: the buffer's text was
        // written into the session (unsaved or file-less text).
        bool hasContents = false;
        ustring contents;
        slate::SP<Options> options; // the buffer's own settings; null when not stored

        void write(TiXmlElement* element) const;
        void read(const TiXmlElement* element);
    };

    ustring position; // the platform window's placement text; empty for none
    int layoutType = 0;
    std::vector<float> rowSplits;
    std::vector<float> colSplits;
    // Panel name -> height in pixels, written in ascending name order. When
    // a file names a panel twice, the later height wins.
    std::map<ustring, float> panelHeights;
    std::vector<Group> groups;
    std::vector<Buffer> buffers;
    int activeGroup = 0; // as read: may be out of range
    ustring project; // the project file name; empty without a project

    // Appends this window's elements to `element`, the window's own element.
    void write(TiXmlElement* element) const;
    // Fills the fields from `element`, appending to the lists and the map.
    // Call it on a new record. Unknown elements are ignored; missing ones
    // leave the defaults.
    void read(const TiXmlElement* element);
};

// How reading a session file went.
enum class SessionReadResult {
    Read, // the record holds the file's contents
    Missing, // no such file (a first start): nothing to report
    Refused, // the file exists but was not used; the record is unchanged and the error says why
};

struct ApplicationSettings {
    // The seven history lists, newest first, each with the maximum size and
    // case rule of the application's own list of that name.
    HistoryList recentFiles;
    HistoryList recentProjects;
    HistoryList findHistory;
    HistoryList findLocationHistory;
    HistoryList findIncludeHistory;
    HistoryList replaceHistory;
    HistoryList consoleHistory;
    std::vector<WindowSettings> windows;

    // Empty lists and no windows.
    ApplicationSettings();

    // Reads the session file at the native `path` into this record, which
    // should be new: history entries are appended behind any already held.
    // A file that cannot be read, does not parse (damaged or cut short), is
    // not a session or has a version other than kSessionFileVersion (an
    // older format or one from a newer program) is Refused with the record
    // unchanged and, when `error` is not null, a sentence naming the file
    // and the reason for the user. `error` is left alone otherwise.
    SessionReadResult readFromFile(const ustring& path, ustring* error = nullptr);
    // The same for a document already in memory (`size` bytes of UTF-8).
    // Empty when it was read; otherwise the reason, without a file name.
    std::string readFromText(const char* text, size_t size);

    // Writes the session file at the native `path`: the bytes go to a
    // temporary file beside it, which is then renamed over it. False, with
    // any previous file untouched, when that fails.
    bool writeToFile(const ustring& path) const;
    // The document writeToFile stores: UTF-8, LF line ends, no declaration.
    std::string writeToText() const;

    // The root element's contents and attribute, written and read.
    void write(TiXmlElement* root) const;
    // Call it on a new record, with a root already known to be a session of
    // kSessionFileVersion.
    void read(const TiXmlElement* root);
};

// The stored value of one history list: every entry, newest first, escaped
// with escapeString and wrapped in double quotes, separated by single blanks.
// An entry that the history text cannot hold (a CR, a NUL or an unpaired
// surrogate) is left out, so it never costs the rest of the list.
ustring historyToString(const HistoryList& list);
// Splits a stored value with parseStrings and appends the pieces to `list` in
// order, without removing duplicates or trimming: the list shows what was
// saved until its next add.
void appendHistoryFromString(HistoryList& list, const ustring& value);
