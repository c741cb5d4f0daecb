// The "find" and "incremental find" bottom panels, and the window commands
// that search the active view with the window's find text and flags whether
// or not a panel is visible.
#pragma once

#include <cstdint>
#include <functional>

#include "panels/dialog_panel.h"
#include "panels/find_target_panel.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class CommandMap;
class FindSettings;
class TextBufferView;
class TextEditorWindow;
class ViewSet;

// Constructed and owned by its window; main thread only. Both instances of
// a window share its FindSettings, which holds the find text and flags.
class FindPanel final : public DialogPanel, public FindTargetPanel {
public:
    // The panel's preferred height, and the widths from which the find panel
    // shows its "Find Prev" and "Find All" buttons.
    static constexpr float kHeight = 32;
    static constexpr float kFindPrevMinimumWidth = 700;
    static constexpr float kFindAllMinimumWidth = 750;

    // `window`, `viewSet` and `settings` outlive the panel. `incremental`
    // makes the "incfind" panel, whose Enter runs `hide` (may be empty) and
    // whose field opens empty.
    FindPanel(TextEditorWindow* window, ViewSet* viewSet, FindSettings* settings, bool incremental,
              std::function<void()> hide);
    ~FindPanel() override;

    // Adds "findNext", "findPrev", "findAll", "findUnder", "findUnderPrev",
    // "findAllUnder" and "slurpFindString"; the panel must outlive the map's
    // use of them. The window calls it on one of its two panels.
    void registerCommands(CommandMap& map);

    const char16_t* name() const override { return m_incremental ? u"incfind" : u"find"; }
    float height() const override { return kHeight; }
    bool isResizable() const override { return true; }
    bool layout(Theme* theme, InputRegion* parent, const interval2& rect) override;
    // Remembers where incremental searches start (the begin of the last
    // selection), turns in selection on for a selection of several lines,
    // fills the field, focuses it and makes the active view the target.
    void onShow() override;
    // Removes the highlights and the find area and commits the find text.
    void onHide() override;
    // The incremental panel finds the next match and stays open; the find
    // panel lets the host hide it.
    bool onShowAgain() override;

    // FindTargetPanel.
    void settingsChanged(bool visible) override;
    void updateTargetView() override;

    // The searches. Each does nothing without an active view; the first
    // three search nothing for an empty find text, and with `focusView` hand
    // the keyboard focus back to the view.
    void findNext(bool focusView);
    // Searches the other way from the reverse flag, which stays as it is.
    void findPrev(bool focusView);
    // Selects every match; in selection is switched off afterwards.
    void findAll(bool focusView);
    // Search for the selection, or the word at the caret, as plain text
    // (regex and in selection switched off), then focus the view.
    void findUnder();
    void findUnderPrev();
    void findAllUnder();
    // Puts the selection, or the word at the caret, into the find field
    // without searching.
    void slurpFindString();

    // Selects the first match from where the panel was shown; with an
    // empty find text puts the caret back there. Never adds to the history.
    void searchIncremental();
    // Enter in the find field: Ctrl adds a line break, Alt finds all, Shift
    // finds the previous match; plain Enter finds the next one (find panel)
    // or closes the panel (incremental panel).
    void onCommit(bool ctrl, bool alt, bool shift);

    bool incremental() const { return m_incremental; }
    int64_t startPosition() const { return m_startPosition; }

private:
    enum class Search { next, previous, all };
    void find(Search search, bool focusView);
    void findUnderCaret(Search search);
    void focusView(const slate::SP<TextBufferView>& view);

    TextEditorWindow* m_window;
    ViewSet* m_viewSet;
    FindSettings* m_settings;
    const bool m_incremental;
    std::function<void()> m_hideCallback;
    // Where incremental searches start: the begin of the active view's last
    // selection when the panel was last shown, else 0.
    int64_t m_startPosition = 0;
};
