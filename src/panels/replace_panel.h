// The "replace" bottom panel: the window's find field and a replacement
// field on two rows, with Find, Find All, Replace and Replace All on the
// active view, and the window command "slurpReplaceString".
#pragma once

#include "panels/dialog_panel.h"
#include "panels/find_target_panel.h"
#include "ui/options.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class CommandMap;
class FindSettings;
class HistoryList;
class TextBufferView;
class TextEditorWindow;
class ViewSet;

// Constructed and owned by its window; main thread only. The find text and
// the search flags are the window's FindSettings, shared with the find
// panels; the replacement, its history and the preserve case flag are this
// panel's, the latter two kept in the Application options.
class ReplacePanel final : public DialogPanel, public FindTargetPanel {
public:
    static constexpr float kHeight = 64;

    // `window`, `viewSet` and `settings` outlive the panel; so does
    // `replaceHistory`, which may be null (no history is kept then).
    ReplacePanel(TextEditorWindow* window, ViewSet* viewSet, FindSettings* settings, HistoryList* replaceHistory);
    ~ReplacePanel() override;

    // Adds "slurpReplaceString"; the panel must outlive the map's use of it.
    void registerCommands(CommandMap& map);

    const char16_t* name() const override { return u"replace"; }
    // Creates the replacement field, holding the stored replacement or else
    // the newest history entry, and takes the Application options (the
    // options manager must exist).
    void setCanvas(Canvas* canvas) override;
    float height() const override { return kHeight; }
    bool isResizable() const override { return true; }
    bool layout(Theme* theme, InputRegion* parent, const interval2& rect) override;
    // Turns in selection on for a selection of several lines, fills the find
    // field from the selection when asked to, focuses the find field and
    // makes the active view the target. Nothing is searched.
    void onShow() override;
    // Removes the highlights and the find area and commits the find text.
    void onHide() override;

    // FindTargetPanel: reads the preserve case flag and the stored
    // replacement, and when visible highlights the matches again.
    void settingsChanged(bool visible) override;
    void updateTargetView() override;

    // The actions of the buttons and of Enter in the fields. Each does
    // nothing without an active view, and searches and commits nothing for
    // an empty find text. `focusView` hands the keyboard focus back to the
    // view; findAll and replace always do.
    //
    // Selects the next match; in selection is switched off afterwards.
    void find(bool focusView);
    // Searches the other way from the reverse flag, which stays as it is.
    void findPrev(bool focusView);
    // Selects every match; in selection is switched off afterwards.
    void findAll();
    // Replaces the selected match and selects the next one; a selection that
    // is not the next match only moves to it. Commits both texts.
    void replace();
    // Replaces every match (inside the find area when in selection is on)
    // as one undo step. Commits both texts; in selection stays as it is.
    void replaceAll(bool focusView);

    // Enter in either field; `field` is the field it was pressed in. Ctrl
    // adds a line break to that field, Alt replaces all, Shift finds the
    // previous match, plain Enter the next one. The focus stays in the field.
    void onCommit(bool ctrl, bool alt, bool shift, const slate::SP<TextBufferView>& field);

    // The whole text of the replacement field; empty before setCanvas.
    ustring replaceString() const;
    // Replaces the field's whole text, leaving one caret at its start.
    void setReplaceString(const ustring& text);
    // Adds the replacement to its history and stores it under
    // "find.replacementString", notifying the Application options.
    void commitReplaceString();
    // Stores "find.preserveCase" and notifies the Application options when
    // the value differs; the flag follows in settingsChanged.
    void setPreserveCase(bool value);
    // Puts the selection, or the word at the caret, into the replacement
    // field and commits it. No search runs.
    void slurpReplaceString();

    bool preserveCase() const { return m_preserveCase; }
    // Null before setCanvas.
    const slate::SP<TextBufferView>& replaceView() const { return m_replaceView; }

private:
    enum class Action { next, previous, all, replace, replaceAll };
    void run(Action action, bool focusView);
    void refreshHighlights();
    void applyReplaceFieldOptions();
    void focusView(const slate::SP<TextBufferView>& view);
    bool layoutReplaceField(Theme* theme, InputRegion* parent, const interval2& rect);

    TextEditorWindow* m_window;
    ViewSet* m_viewSet;
    FindSettings* m_settings;
    HistoryList* m_replaceHistory;
    bool m_preserveCase = false;
    // The regex flag the replacement field's options were built for: a
    // regular expression's replacement is a format and is coloured as one.
    bool m_fieldRegex;
    // The replacement as last read from or stored in the options.
    ustring m_replacementString;
    slate::SP<TextBufferView> m_replaceView; // null until setCanvas
    slate::SP<Options> m_applicationOptions; // null until setCanvas
};
