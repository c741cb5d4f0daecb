// The find state of one editor window, shared by its find, incremental
// find, replace and find-in-files panels: the find field, the eight find
// flags (mirrored from the Application options, so they are the same in
// every window and survive restarts) and the view whose matches of the find
// text are highlighted. Main thread only.
#pragma once

#include <cstdint>

#include "ui/interval2.h"
#include "ui/options.h"
#include "ui/text/selection_set.h"
#include "ui/text/text_buffer_find.h"
#include "ui/text/text_buffer_view.h"
#include "ui/ustring.h"

class Canvas;
class HistoryList;
class InputRegion;
class Theme;
class TextBuffer;

class FindSettings {
public:
    // The application options file the flags are kept in.
    static const ustring kApplicationOptionsPath;
    // The name of the region set holding the highlighted matches, and of the
    // one holding the selection a search is limited to.
    static const ustring kFindRegionName;
    static const ustring kFindAreaRegionName;
    // The drawing flags of the highlighted matches (outlined, caret colour).
    static constexpr uint32_t kFindRegionFlags = 96;
    // Units of text searched per highlighting step unless setHighlightBudget
    // says otherwise: about a millisecond of a plain search.
    static constexpr int64_t kDefaultHighlightBudget = 256 * 1024;

    // Flags at their defaults (regex, wrap and highlight on), no find field,
    // no options and no target. `findHistory` is the application's history
    // of find texts; it may be null and must outlive this object.
    explicit FindSettings(HistoryList* findHistory);
    FindSettings(const FindSettings&) = delete;
    FindSettings& operator=(const FindSettings&) = delete;

    // Creates the find field holding the newest find history entry, takes
    // the Application options from the options manager (which must exist)
    // and reads them; a stored find text replaces the history entry.
    void setCanvas(Canvas* canvas);
    // Null until setCanvas.
    const slate::SP<TextBufferView>& findView() const { return m_findView; }
    // The history given at construction; may be null.
    HistoryList* findHistory() const { return m_findHistory; }

    // The whole text of the find field; empty before setCanvas.
    ustring findString() const;
    // Replaces the find field's text (each edit its own undo step).
    void setFindString(const ustring& text);
    // Adds the find text to the find history (unless empty) and stores it
    // under "find.string" (also when empty) without notifying the options'
    // listeners.
    void commitFindString();

    // Reads every flag and the find text from the Application options. A
    // flag's key, when present, turns it on only for the text "true"; an
    // absent key leaves the flag as it is.
    void loadFromOptions();
    // Gives the find field the widget options that fit the regex flag.
    void applyFindFieldOptions();

    bool regex() const { return m_regex; }
    bool caseSensitive() const { return m_caseSensitive; }
    bool wholeWord() const { return m_wholeWord; }
    bool reverse() const { return m_reverse; }
    bool wrap() const { return m_wrap; }
    bool inSelection() const { return m_inSelection; }
    bool highlight() const { return m_highlight; }
    bool useSelectedText() const { return m_useSelectedText; }
    const ustring& lastFindString() const { return m_lastFindString; }
    // The flags a search reads: regex, case sensitive, whole word, reverse
    // and wrap as they stand.
    FindOptions findOptions() const;

    // Each setter writes the flag's option and notifies the Application
    // options; the flag itself follows when the window's change handler
    // calls loadFromOptions, so a toggle in one window reaches every window.
    // Nothing happens without options or when the value is the flag's.
    void setRegex(bool value);
    void setCaseSensitive(bool value);
    void setWholeWord(bool value);
    void setReverse(bool value);
    void setWrap(bool value);
    void setInSelection(bool value);
    void setHighlight(bool value);

    // Set the flag and store its option without notifying the options'
    // listeners: for a search that switches the flag off for itself and
    // must not make the open panels search again.
    void storeRegexQuietly(bool value);
    void storeInSelectionQuietly(bool value);

    // Draws the regular expression, case sensitive and whole word toggles as
    // one button row at `point`, each pressed while its flag is on; a press
    // sets the opposite through the flag's setter. False while a button
    // still needs another frame (a hover fading out).
    bool layoutPatternToggles(Theme* theme, InputRegion* parent, vector2 point);
    // The same for the reverse, wrap and in selection toggles.
    bool layoutDirectionToggles(Theme* theme, InputRegion* parent, vector2 point);
    // The same for the one highlight toggle.
    bool layoutHighlightToggle(Theme* theme, InputRegion* parent, vector2 point);

    // A counted copy of the view whose matches are highlighted, or null.
    slate::SP<TextBufferView> targetView() const { return m_targetView; }
    // The target's "findarea" regions when in selection is on; else empty.
    SelectionSet findArea() const;
    // Makes `view` (may be null) the target and remembers its selection as
    // the area a search in it is limited to.
    void startSearch(const slate::SP<TextBufferView>& view);
    // Moves highlighting to `view` (may be null), turning in selection off.
    void setTargetView(const slate::SP<TextBufferView>& view);

    // Starts recomputing the "find" regions of `view` (never null) and runs
    // the first step. A large buffer is searched in bounded steps: while
    // highlightPending() is true the caller runs continueHighlighting once a
    // frame, and the regions grow as the steps catch up. A view with matches
    // becomes the target. A regular expression that does not compile, or a
    // search the engine gives up on, ends the search quietly, keeping the
    // matches found so far, and leaves its message in highlightError().
    void highlightMatches(const slate::SP<TextBufferView>& view);
    // Runs the next bounded step of the pending highlighting; false when
    // nothing is pending (any more).
    bool continueHighlighting();
    bool highlightPending() const { return m_pending.view.get() != nullptr; }
    // The message of the last highlighting's regular-expression error, for
    // the panel to show; empty when it went well.
    const ustring& highlightError() const { return m_highlightError; }
    // Units of text searched per step (at least 1). For tests and the
    // benchmark.
    void setHighlightBudget(int64_t units);

    // Removes the "find" region set of `view` (never null).
    void clearHighlights(const slate::SP<TextBufferView>& view);
    // Removes highlights and area from the target view and forgets it.
    void clearTarget();
    // Bound by the window to buffer modifications: highlights the target
    // again when `buffer` is the target's.
    void onBufferModified(TextBuffer* buffer);

private:
    // A highlighting in progress: what is searched and how far it got.
    struct PendingHighlight {
        slate::SP<TextBufferView> view; // null when nothing is pending
        ustring pattern;
        uint32_t flags = 0;
        SelectionSet areas;     // the whole buffer when there is no find area
        size_t areaIndex = 0;   // the area being searched
        int64_t position = 0;   // where the search of that area goes on
        SelectionSet matches;   // found by the current step, in order
        int64_t lastMatchEnd = -1; // of the last match found by any step
        bool published = false; // the view's regions of the last search are gone
    };

    void setFlag(bool value, bool flag, const ustring& key);
    void storeQuietly(bool value, bool& flag, const ustring& key);
    struct Toggle;
    // Draws `count` toggles as one row; their regions are numbered from
    // `firstIndex`, so that rows of one panel never share a region.
    bool layoutToggles(Theme* theme, InputRegion* parent, vector2 point, const Toggle* toggles, int count,
                       int firstIndex);
    // Searches on for at most the budget; true when the areas are done.
    bool searchStep();
    // Adds the matches of the current step to the pending view's regions.
    void publishMatches();
    void eraseRegionSet(TextBufferView& view, const ustring& name);

    slate::SP<TextBufferView> m_findView;
    bool m_regex = true;
    bool m_caseSensitive = false;
    bool m_wholeWord = false;
    bool m_reverse = false;
    bool m_wrap = true;
    bool m_inSelection = false;
    bool m_highlight = true;
    bool m_useSelectedText = false;
    ustring m_lastFindString;
    HistoryList* m_findHistory;
    slate::SP<Options> m_applicationOptions; // null until setCanvas
    slate::SP<TextBufferView> m_targetView;
    PendingHighlight m_pending;
    ustring m_highlightError;
    int64_t m_highlightBudget = kDefaultHighlightBudget;
};
