// A text control in a test window: a view on the grid canvas (10 pixels a
// unit, 16 a line) inside the rect {0, 0, 400, 300}, whose gutter makes the
// text start at x = 22. `drawControl` draws a frame holding the control's
// input handler; `at` gives the window point over a row and column.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "controls/control_events.h"
#include "controls/control_test_window.h"
#include "controls/text_area.h"
#include "controls/text_input_handler.h"
#include "ui/key_codes.h"
#include "ui/text/selection_printers.h"
#include "ui/text/text_function_fixture.h"

class TextControlTest : public TextFunctionTest {
protected:
    static constexpr float kTextLeft = 22.f; // gutter width 14 plus 8

    void openControl(const ustring& text, const std::vector<SelectionRegion>& regions = {},
                     const std::string& options = "")
    {
        open(text, regions);
        m_view->setOptions(view_test::optionsFrom("wordWrap false\n" + options));
        drawControl();
    }
    // A new frame: the previous handler goes with its tree.
    void drawControl()
    {
        m_frame.frame([this](InputRegion* root) {
            fitViewToRect(m_rect, *m_view, true);
            m_handler = new TextInputHandler(&m_frame.window, RegionId(m_view.get()), m_rect, m_view, m_multiLine,
                                             m_onReturn, m_onModified, m_onDoubleClick, nullptr);
            root->addChild(m_handler);
            return true;
        });
        // The test frames are drawn as for a window without keyboard focus.
        m_frame.window.focusState()->m_windowFocused = true;
    }
    // The window point over the middle of the unit at (row, column).
    float columnX(int column) const { return kTextLeft + 10.f * column + 5.f; }
    static float rowY(int row) { return 16.f * row + 8.f; }

    bool press(int code, int row, int column, std::initializer_list<int32_t> held = {})
    {
        return m_handler->onInputEvent(control_events::button(code, true, columnX(column), rowY(row), held));
    }
    bool pressAt(int code, float x, float y, std::initializer_list<int32_t> held = {})
    {
        return m_handler->onInputEvent(control_events::button(code, true, x, y, held));
    }
    // The focused handler: a first press only takes the focus.
    void focus()
    {
        m_frame.window.focusState()->setFocusPath(m_handler);
    }
    void dragTo(int row, int column, int32_t button = kMouseLeft, std::initializer_list<int32_t> held = {})
    {
        MotionEvent event = control_events::motion(columnX(column), rowY(row), held);
        event.state.key[button] = 1;
        m_frame.platform.dragMotion(event);
    }
    void release(int row, int column, int32_t button = kMouseLeft)
    {
        m_frame.platform.dragKey(control_events::button(button, false, columnX(column), rowY(row)));
    }
    SelectionSet selectionSet(const std::vector<SelectionRegion>& regions) { return view_test::setOf(regions); }

    control_test::TestFrame m_frame{m_canvas, false};
    interval2 m_rect{0, 0, 400, 300};
    TextInputHandler* m_handler = nullptr; // of the last frame
    bool m_multiLine = true;
    TextInputHandler::ReturnFunction m_onReturn;
    TextInputHandler::ModifiedFunction m_onModified;
    TextInputHandler::DoubleClickFunction m_onDoubleClick;
};
