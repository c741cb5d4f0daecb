// The "goto" bottom panel: one field for a line number and a "Goto Line"
// button that move the active view's caret to that line and close the panel.
#pragma once

#include <functional>

#include "panels/dialog_panel.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class TextBufferView;
class TextEditorWindow;
class ViewSet;

// The 0-based row that the field's text names: its leading number (blanks
// skipped, a sign accepted, anything after the digits ignored, no number
// read as 0) minus one, never below 0. Rows past the end are the caller's
// to clamp.
int32_t gotoRowFromText(const ustring& text);

// Constructed and owned by its window; main thread only.
class GotoPanel final : public DialogPanel {
public:
    // `window` and `viewSet` outlive the panel. `hide` runs after each jump
    // to close the panel; it may be empty.
    GotoPanel(TextEditorWindow* window, ViewSet* viewSet, std::function<void()> hide);
    ~GotoPanel() override;

    const char16_t* name() const override { return u"goto"; }
    // Creates the field; until then committing moves nothing.
    void setCanvas(Canvas* canvas) override;
    float height() const override { return 32; }
    bool layout(Theme* theme, InputRegion* parent, const interval2& rect) override;
    // Focuses the field with its whole text selected, so that typing
    // replaces the last number.
    void onShow() override;

    // Moves the active view's caret to the start of the line the field
    // names, as one undo step, then hides the panel. Without an active view
    // nothing moves, and the panel still hides. The field keeps its text.
    void onCommit();

    // The field; null before setCanvas.
    const slate::SP<TextBufferView>& fieldView() const { return m_fieldView; }

private:
    TextEditorWindow* m_window;
    ViewSet* m_viewSet;
    slate::SP<TextBufferView> m_fieldView;
    std::function<void()> m_hide;
};
