// A buffer with one view on a grid canvas, for the tests of the functions
// that query and edit a view through its selections.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/log.h"
#include "ui/text/meta_info.h"
#include "ui/text/package_test_support.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"

// Collects the log messages of its lifetime.
class LogRecorder final : public DebugListener {
public:
    LogRecorder() { addDebugListener(this); }
    ~LogRecorder() override { removeDebugListener(this); }
    void message(const uchar* text) override { messages.emplace_back(text); }
    std::vector<ustring> messages;
};

// Installs, for its lifetime, preferences that give plain text the two
// indentation patterns (XML-escaped as they stand in the file).
class IndentPreferences {
public:
    IndentPreferences(const std::string& increase, const std::string& decrease)
    {
        m_packages.add(u"Test/Indent.tmPreferences",
                       package_test::plist("<dict><key>scope</key><string>text.plain</string>"
                                           "<key>settings</key>" +
                                           package_test::stringDict({{"increaseIndentPattern", increase},
                                                                     {"decreaseIndentPattern", decrease}}) +
                                           "</dict>"));
        MetaInfo::create();
    }
    ~IndentPreferences() { MetaInfo::destroy(); }

private:
    package_test::MemoryPackages m_packages;
};

class TextFunctionTest : public testing::Test {
protected:
    // Replaces the buffer and view with fresh ones holding `text`, selected
    // as `regions` (a caret at 0 when none are given).
    void open(const ustring& text, const std::vector<SelectionRegion>& regions = {})
    {
        m_view.reset();
        m_buffer = view_test::makeBuffer(text);
        m_view = m_buffer->createView(&m_canvas);
        select(regions.empty() ? std::vector<SelectionRegion>{SelectionRegion(0)} : regions);
    }
    void select(const std::vector<SelectionRegion>& regions)
    {
        m_view->mutableSel() = view_test::setOf(regions);
    }
    std::vector<SelectionRegion> selections() const
    {
        return std::vector<SelectionRegion>(m_view->sel().begin(), m_view->sel().end());
    }
    ustring text() const { return m_buffer->str(); }

    // Blocks open after a line holding "{" and close on a line starting
    // with "}".
    void useBracePatterns() { m_preferences = std::make_unique<IndentPreferences>(".*\\{", "\\s*\\}"); }

    std::unique_ptr<IndentPreferences> m_preferences;
    GridRecordingCanvas m_canvas;
    slate::SP<TextBuffer> m_buffer;
    slate::SP<TextBufferView> m_view;
};
