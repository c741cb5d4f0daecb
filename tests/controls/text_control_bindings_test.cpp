// The text command table: which commands a text control offers, with which
// tests and values, and that running them through the map edits the view as
// their algorithms do, under the undo group names that macros replay.
#include "controls/text_control_bindings.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/text/macro.h"
#include "ui/text/selection_printers.h"
#include "ui/text/text_buffer_expansion.h"
#include "ui/text/text_buffer_functions.h"
#include "ui/text/text_buffer_movement.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_function_fixture.h"
#include "ui/text/view_state.h"

namespace {

using Regions = std::vector<SelectionRegion>;

// Which callables a registration gave, named after the registration.
enum class Kind { Add, Enabled, Value, Checked, EnabledValue, EnabledChecked };

Kind kindOf(const CommandMap::Entry& entry)
{
    const bool enabled = static_cast<bool>(entry.enabled);
    if (entry.value)
        return enabled ? Kind::EnabledValue : Kind::Value;
    if (entry.checked)
        return enabled ? Kind::EnabledChecked : Kind::Checked;
    return enabled ? Kind::Enabled : Kind::Add;
}

struct Registration {
    const char16_t* name;
    Kind kind;
};

// Every text command with its registration. setLineEnding is registered with
// addEnabledChecked without a predicate, which leaves only its checked state.
const Registration kRegistrations[] = {
    {u"revert", Kind::Enabled},
    {u"undo", Kind::Enabled},
    {u"redo", Kind::Enabled},
    {u"softUndo", Kind::Enabled},
    {u"softRedo", Kind::Enabled},
    {u"repeat", Kind::Enabled},
    {u"redoOrRepeat", Kind::EnabledValue},
    {u"cut", Kind::Enabled},
    {u"copy", Kind::Enabled},
    {u"paste", Kind::Add},
    {u"pasteAndIndent", Kind::Add},
    {u"insertCharacters", Kind::Add},
    {u"insertAndDecodeCharacters", Kind::Add},
    {u"overwriteAndDecodeCharacters", Kind::Add},
    {u"leftDeleteCharacters", Kind::Add},
    {u"leftDeleteCharactersSingle", Kind::Add},
    {u"rightDeleteCharacters", Kind::Add},
    {u"fixedDeleteCharacters", Kind::Add},
    {u"openFolder", Kind::Enabled},
    {u"copyPath", Kind::Enabled},
    {u"join", Kind::Add},
    {u"indent", Kind::Add},
    {u"unindent", Kind::Add},
    {u"reindent", Kind::Add},
    {u"invertSelection", Kind::Add},
    {u"selectAll", Kind::Add},
    {u"move", Kind::Add},
    {u"moveTo", Kind::Add},
    {u"expandSelectionTo", Kind::Add},
    {u"scroll", Kind::Add},
    {u"selectLines", Kind::Add},
    {u"deleteOver", Kind::Add},
    {u"copyOver", Kind::Add},
    {u"cutOver", Kind::Add},
    {u"pasteAt", Kind::Add},
    {u"set", Kind::Checked},
    {u"toggle", Kind::EnabledValue},
    {u"nextMisspelledWord", Kind::Enabled},
    {u"prevMisspelledWord", Kind::Enabled},
    {u"toggleBookmark", Kind::Add},
    {u"nextBookmark", Kind::Add},
    {u"prevBookmark", Kind::Add},
    {u"allBookmarks", Kind::Add},
    {u"clearBookmarks", Kind::Add},
    {u"gotoBookmark", Kind::EnabledValue},
    {u"toggleRecord", Kind::Value},
    {u"startRecord", Kind::Add},
    {u"stopRecord", Kind::Enabled},
    {u"runMacroFile", Kind::Add},
    {u"runMacroFileSilently", Kind::Add},
    {u"runMacro", Kind::Enabled},
    {u"saveMacro", Kind::Enabled},
    {u"times", Kind::Add},
    {u"sequence", Kind::Add},
    {u"setLineEnding", Kind::Checked},
    {u"markSelection", Kind::Add},
    {u"prevInSelectionHistory", Kind::Enabled},
    {u"nextInSelectionHistory", Kind::Enabled},
    {u"clearSelectionHistory", Kind::Add},
    {u"mergeSelection", Kind::Enabled},
    {u"conflateSelection", Kind::Enabled},
    {u"nextField", Kind::Enabled},
    {u"prevField", Kind::Enabled},
    {u"clearFields", Kind::Add},
    {u"insertSnippet", Kind::Enabled},
    {u"insertInlineSnippet", Kind::Add},
    {u"splitSelectionIntoLines", Kind::Enabled},
    {u"splitSelection", Kind::Enabled},
    {u"singleSelection", Kind::Enabled},
    {u"markUndoGroupsForGluing", Kind::Add},
    {u"glueMarkedUndoGroups", Kind::Add},
    {u"displayName", Kind::Add},
    {u"toggleOverwrite", Kind::Add},
};

class TextCommandsTest : public TextFunctionTest {
protected:
    // A fresh view holding `text` with the table registered, as a control
    // of one or of several lines.
    void openControl(const ustring& text, const Regions& regions = {}, bool multiLine = true)
    {
        open(text, regions);
        m_view->setOptions(view_test::optionsFrom("wordWrap false\nscrollPastEnd false\ntabSize 4"));
        m_view->setViewportSize(200.f, 100.f);
        m_map = CommandMap();
        addTextCommands(m_view, m_map, &m_map, multiLine,
                        [this](const std::string& unit, int32_t amount) {
                            m_overflows.emplace_back(unit, amount);
                        },
                        nullptr);
    }
    void run(const ustring& line) { m_map.exec(slate::usubstring(line)); }
    void runAll(const std::vector<ustring>& lines)
    {
        for (const ustring& line : lines)
            run(line);
    }
    // The name of the newest undo group, none when the history is empty.
    std::optional<ustring> newestGroup() const
    {
        if (m_buffer->undoStack().empty())
            return std::nullopt;
        return *m_buffer->undoStack().top().commandText;
    }

    CommandMap m_map;
    std::vector<std::pair<std::string, int32_t>> m_overflows;
};

TEST_F(TextCommandsTest, RegistersEveryCommandOnceWithItsKindAndASecondCallChangesNothing)
{
    openControl(u"text");
    std::map<ustring, Kind> expected;
    for (const Registration& registration : kRegistrations)
        EXPECT_TRUE(expected.emplace(registration.name, registration.kind).second)
            << toUtf8(registration.name);
    EXPECT_EQ(expected.size(), 73u);
    for (int calls = 1; calls <= 2; ++calls) {
        SCOPED_TRACE(calls);
        std::map<ustring, Kind> registered;
        for (const auto& entry : m_map.entries())
            registered.emplace(entry.first, kindOf(entry.second));
        EXPECT_EQ(registered, expected);
        addTextCommands(m_view, m_map, &m_map, true, {}, nullptr);
    }
}

// Each family of commands, run through the map, against its algorithm
// called directly on an identical view.
TEST_F(TextCommandsTest, CommandsEditAsTheirAlgorithmsUnderTheirGroupNames)
{
    struct Case {
        const char16_t* line;
        std::vector<ustring> before; // run through the map on both views first
        std::function<void(const ViewPtr&)> algorithm;
        std::optional<ustring> group;
    };
    const Case cases[] = {
        {u"insertAndDecodeCharacters \"x\ty\"", {},
         [](const ViewPtr& v) { insertAndDecodeCharacters(v, u"x\ty"); },
         u"insertAndDecodeCharacters \"x\\ty\""},
        {u"move words 1 extend", {}, [](const ViewPtr& v) { moveWords(v, true, true); },
         u"move words 1 extend"},
        {u"move words -7", {}, [](const ViewPtr& v) { moveWords(v, false, false); }, u"move words -1"},
        {u"moveTo eol extend", {}, [](const ViewPtr& v) { moveToEol(v, true); }, u"moveTo eol extend"},
        {u"moveTo brackets extend", {}, [](const ViewPtr& v) { moveToBrackets(v); }, u"moveTo brackets"},
        {u"indent", {}, [](const ViewPtr& v) { indent(v, u"\t"); }, u"indent \"\\t\""},
        {u"expandSelectionTo word", {}, [](const ViewPtr& v) { expandSelectionToWord(v); },
         u"expandSelectionTo word"},
        {u"selectLines 0", {}, [](const ViewPtr& v) { selectLines(v, false); }, u"selectLines -1"},
        {u"leftDeleteCharactersSingle", {}, [](const ViewPtr& v) { leftDeleteCharacters(v, false); },
         u"leftDeleteCharacters"},
        {u"toggleBookmark", {}, [](const ViewPtr& v) { toggleBookmark(*v); }, u"toggleBookmark"},
        {u"undo", {u"insertCharacters z"},
         [](const ViewPtr& v) {
             insertCharacters(v, u"z");
             undoAndShow(*v);
         },
         std::nullopt},
        {u"redo", {u"insertCharacters z", u"undo"},
         [](const ViewPtr& v) {
             insertCharacters(v, u"z");
             undoAndShow(*v);
             redoAndShow(*v);
         },
         u"insertCharacters \"z\""},
    };
    const ustring text = u"if (ab) cd\n  ef gh\nij";
    const Regions start = {SelectionRegion(5), SelectionRegion(14)};
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.line));
        openControl(text, start);
        c.algorithm(m_view);
        const ustring expectedText = this->text();
        const Regions expectedSelections = selections();

        openControl(text, start);
        runAll(c.before);
        run(c.line);
        EXPECT_EQ(this->text(), expectedText);
        EXPECT_EQ(selections(), expectedSelections);
        EXPECT_EQ(newestGroup(), c.group);
    }
}

// The handlers that edit by their arguments themselves.
TEST_F(TextCommandsTest, ArgumentHandlersEditAsOneNamedStep)
{
    struct Case {
        const char* name;
        ustring text;
        Regions before;
        bool multiLine;
        const char16_t* line;
        ustring expectedText;
        Regions expectedSelections;
        ustring group;
    };
    const Case cases[] = {
        {"fixed deletion before every anchor", u"0123456789ab", {SelectionRegion(5), SelectionRegion(10)},
         true,
         u"fixedDeleteCharacters 2", u"012567ab", {SelectionRegion(3), SelectionRegion(6)},
         u"fixedDeleteCharacters \"2\""},
        {"negative fixed deletion takes the units after", u"0123456789", {SelectionRegion(2)}, true,
         u"fixedDeleteCharacters -3", u"0156789", {SelectionRegion(2)}, u"fixedDeleteCharacters \"-3\""},
        {"deletion over the previous word", u"one two three", {SelectionRegion(7)}, true,
         u"deleteOver words -1", u"one  three", {SelectionRegion(4)}, u"deleteOver words -1"},
        {"deletion over whole lines", u"ab\ncd\nef", {SelectionRegion(4)}, true, u"deleteOver entireline",
         u"ab\nef", {SelectionRegion(3)}, u"deleteOver entireline"},
        {"deletion over an unknown word takes the selection only", u"abcdef", {{1, 3}}, true,
         u"deleteOver nowhere", u"adef", {SelectionRegion(1)}, u"deleteOver nowhere"},
        {"a field keeps the text before its first line feed", u"", {}, false,
         u"insertCharacters \"a\rb\nc\"", u"a\rb", {SelectionRegion(3)}, u"insertCharacters \"a\rb\""},
        {"a multi-line control inserts it all", u"", {}, true, u"insertCharacters \"a\\nc\"", u"a\nc",
         {SelectionRegion(3)}, u"insertCharacters \"a\\nc\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(c.text, c.before, c.multiLine);
        run(c.line);
        EXPECT_EQ(text(), c.expectedText);
        EXPECT_EQ(selections(), c.expectedSelections);
        EXPECT_EQ(newestGroup(), c.group);
        run(u"undo");
        EXPECT_EQ(text(), c.text);
    }
}

TEST_F(TextCommandsTest, CommandsThatRunCommandsRunThemThroughTheRunnerAsOneStep)
{
    struct Case {
        const char* name;
        ustring text;
        std::vector<ustring> before;
        const char16_t* line;
        ustring expectedText;
        Regions expectedSelections;
        std::optional<ustring> group;
    };
    const Case cases[] = {
        {"repeat types the merged typing again", u"",
         {u"insertAndDecodeCharacters a", u"insertAndDecodeCharacters b"},
         u"repeat", u"abab", {SelectionRegion(4)}, u"insertAndDecodeCharacters \"ab\""},
        {"redoOrRepeat repeats after an edit", u"", {u"insertCharacters ab"}, u"redoOrRepeat", u"abab",
         {SelectionRegion(4)}, u"insertCharacters \"ab\""},
        {"redoOrRepeat redoes after an undo", u"", {u"insertCharacters ab", u"undo"}, u"redoOrRepeat", u"ab",
         {SelectionRegion(2)}, u"insertCharacters \"ab\""},
        {"times runs the command words count times", u"a b c d", {}, u"times 3 move characters 1", u"a b c d",
         {SelectionRegion(3)}, u"times \"3\" \"move\" \"characters\" \"1\""},
        {"times 0 runs nothing", u"a b c d", {}, u"times 0 move words 1", u"a b c d", {SelectionRegion(0)},
         std::nullopt},
        {"sequence runs each line in turn", u"", {},
         u"sequence \"insertCharacters xy\" \"move characters -1\"",
         u"xy", {SelectionRegion(1)}, u"sequence \"insertCharacters xy\" \"move characters -1\""},
        {"a macro file plays its lines", u"", {}, u"runMacroFile Packages/Test/step.vantrel-macro", u"q",
         {SelectionRegion(0)}, u"runMacroFile \"Packages/Test/step.vantrel-macro\""},
        {"a missing macro file is passed over", u"", {},
         u"runMacroFileSilently Packages/none.vantrel-macro Packages/Test/step.vantrel-macro", u"q",
         {SelectionRegion(0)},
         u"runMacroFileSilently \"Packages/none.vantrel-macro\" \"Packages/Test/step.vantrel-macro\""},
        {"the recorded macro plays", u"", {u"startRecord", u"insertCharacters z", u"stopRecord"}, u"runMacro",
         u"zz", {SelectionRegion(2)}, u"runMacro"},
    };
    package_test::MemoryPackages packages;
    packages.add(u"Test/step.vantrel-macro", "# one step\ninsertCharacters q\n\nmove characters -1\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(c.text);
        runAll(c.before);
        const ustring textBefore = text();
        const Regions selectionsBefore = selections();
        run(c.line);
        EXPECT_EQ(text(), c.expectedText);
        EXPECT_EQ(selections(), c.expectedSelections);
        EXPECT_EQ(newestGroup(), c.group);
        run(u"softUndo");
        EXPECT_EQ(text(), textBefore);
        EXPECT_EQ(selections(), selectionsBefore);
    }
    setMacro({});
}

TEST_F(TextCommandsTest, FieldCommandsStepThroughTheSnippetFieldsUntilCleared)
{
    openControl(u"abc def ghi", {SelectionRegion(0, 3)});
    ViewState& state = m_view->viewState();
    const TrackedPointId first = state.mutableTrackedPoints().addPoints({0, 3, 4, 7});
    state.mutableTrackedRegions().addFieldPair(0, {first, first + 1});
    state.mutableTrackedRegions().addFieldPair(1, {first + 2, first + 3});
    state.addFieldRegions(view_test::setOf({{0, 3}, {4, 7}}));

    struct Step {
        const char16_t* line;
        Regions selections;
        std::optional<ustring> group;
        bool nextEnabled;
        bool prevEnabled;
    };
    const Step steps[] = {
        {u"nextField", {{4, 7}}, u"nextField", false, true},
        {u"prevField", {{0, 3}}, u"prevField", true, false},
        {u"clearFields", {{0, 3}}, u"clearFields", false, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(toUtf8(step.line));
        run(step.line);
        EXPECT_EQ(selections(), step.selections);
        EXPECT_EQ(newestGroup(), step.group);
        EXPECT_EQ(m_map.isEnabled(slate::usubstring(ustring(u"nextField"))), step.nextEnabled);
        EXPECT_EQ(m_map.isEnabled(slate::usubstring(ustring(u"prevField"))), step.prevEnabled);
    }
    EXPECT_TRUE(state.fieldRegions().empty());
}

TEST_F(TextCommandsTest, LineMovesThatCannotHappenGoToTheOverflow)
{
    struct Case {
        const char* name;
        bool multiLine;
        const char16_t* line;
        Regions expectedSelections;
        std::vector<std::pair<std::string, int32_t>> overflows;
    };
    const Case cases[] = {
        {"a field passes line moves on unchanged", false, u"move lines 5", {SelectionRegion(4)},
         {{"lines", 5}}},
        {"a field ignores whole-line moves", false, u"move wholelines 1", {SelectionRegion(4)}, {}},
        {"the last line has no line below", true, u"move lines 1", {SelectionRegion(4)}, {{"lines", 1}}},
        {"a line that moves does not overflow", true, u"move lines -1", {SelectionRegion(1)}, {}},
        {"an unknown unit does nothing", true, u"move leagues 1", {SelectionRegion(4)}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_overflows.clear();
        openControl(u"ab\ncd", {SelectionRegion(4)}, c.multiLine);
        run(c.line);
        EXPECT_EQ(selections(), c.expectedSelections);
        EXPECT_EQ(m_overflows, c.overflows);
    }
}

TEST_F(TextCommandsTest, EnabledStatesAndValuesFollowTheViewAndBuffer)
{
    struct Case {
        const char* name;
        Regions selection; // empty: no selection at all
        std::vector<ustring> before;
        const char16_t* line;
        bool enabled;
        ustring value;
    };
    setMacro({});
    const Regions caret = {SelectionRegion(1)};
    const Case cases[] = {
        {"nothing to undo on a fresh buffer", caret, {}, u"undo", false, u""},
        {"nothing to redo before an undo", caret, {u"insertCharacters x"}, u"redo", false, u""},
        {"repeat after an edit", caret, {u"insertCharacters x"}, u"repeat", true, u""},
        {"redoOrRepeat repeats after an edit", caret, {u"insertCharacters x"}, u"redoOrRepeat", true,
         u"Repeat"},
        {"redoOrRepeat redoes after an undo", caret, {u"insertCharacters x", u"undo"}, u"redoOrRepeat", true,
         u"Redo"},
        {"redoOrRepeat after the last redo waits for an edit", caret,
         {u"insertCharacters x", u"undo", u"redo"}, u"redoOrRepeat", false, u"Redo"},
        {"copy needs a selection", {}, {}, u"copy", false, u""},
        {"an empty caret counts as a selection", caret, {}, u"cut", true, u""},
        {"a caret cannot be split", caret, {}, u"splitSelection", false, u""},
        {"a selection splits", {{0, 2}}, {}, u"splitSelection", true, u""},
        {"one line does not split into lines", {{0, 2}}, {}, u"splitSelectionIntoLines", false, u""},
        {"two lines split into lines", {{0, 4}}, {}, u"splitSelectionIntoLines", true, u""},
        {"no first selection without a selection", {}, {}, u"singleSelection", false, u""},
        {"no file to revert", caret, {}, u"revert", false, u""},
        {"no file to show", caret, {}, u"openFolder", false, u""},
        {"not recording", caret, {}, u"toggleRecord", true, u"Record Macro"},
        {"recording", caret, {u"startRecord"}, u"toggleRecord", true, u"Stop Recording Macro"},
        {"nothing to stop", caret, {}, u"stopRecord", false, u""},
        {"a recording to stop", caret, {u"startRecord"}, u"stopRecord", true, u""},
        {"no macro to run", caret, {}, u"runMacro", false, u""},
        {"no macro to save", caret, {}, u"saveMacro", false, u""},
        {"the option has the value", caret, {}, u"set tabSize 4", true, u"true"},
        {"the option has another value", caret, {u"set tabSize 8"}, u"set tabSize 4", true, u"false"},
        {"an absent option toggles from false", caret, {}, u"toggle newKey", true, u"false"},
        {"a toggled option reads true", caret, {u"toggle newKey"}, u"toggle newKey", true, u"true"},
        {"a text other than true toggles to true", caret, {u"set newKey yes", u"toggle newKey"},
         u"toggle newKey", true, u"true"},
        {"a known ending", caret, {u"setLineEnding mac"}, u"setLineEnding Mac", true, u"true"},
        {"another ending", caret, {u"setLineEnding mac"}, u"setLineEnding Unix", true, u"false"},
        {"an unknown ending is enabled but never checked", caret, {}, u"setLineEnding Amiga", true, u"false"},
        {"no bookmarks", caret, {}, u"gotoBookmark 0", false, u"(No Bookmarks)"},
        {"the first bookmark", caret, {u"toggleBookmark"}, u"gotoBookmark 0", true, u"Line 1"},
        {"past the last bookmark", caret, {u"toggleBookmark"}, u"gotoBookmark 1", false, u""},
        {"nothing marked", caret, {}, u"prevInSelectionHistory", false, u""},
        {"a marked selection to go back to", caret, {u"markSelection"}, u"mergeSelection", true, u""},
        {"nothing ahead in the history", caret, {u"markSelection"}, u"nextInSelectionHistory", false, u""},
        {"marking twice without moving fills one slot", caret,
         {u"markSelection", u"markSelection", u"prevInSelectionHistory"}, u"prevInSelectionHistory", false,
         u""},
        {"no snippet fields", caret, {}, u"nextField", false, u""},
        {"no snippet of that path", caret, {}, u"insertSnippet Any/Path.tmSnippet", false, u""},
        {"no misspelled words", caret, {}, u"nextMisspelledWord", false, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(u"ab\ncd", c.selection.empty() ? Regions{SelectionRegion(0)} : c.selection);
        if (c.selection.empty())
            m_view->mutableSel().clear();
        runAll(c.before);
        const ustring line = c.line;
        EXPECT_EQ(m_map.isEnabled(slate::usubstring(line)), c.enabled);
        EXPECT_EQ(m_map.value(slate::usubstring(line)), c.value);
    }
    setMacro({});
}

TEST_F(TextCommandsTest, CommandsMissingArgumentsDoNothingAndReportNothing)
{
    struct Case {
        const char16_t* line;
        bool enabled;
        ustring value;
    };
    const Case cases[] = {
        {u"insertCharacters", true, u""},       {u"insertAndDecodeCharacters", true, u""},
        {u"fixedDeleteCharacters", true, u""},  {u"move words", true, u""},
        {u"moveTo", true, u""},                 {u"expandSelectionTo", true, u""},
        {u"scroll", true, u""},                 {u"selectLines", true, u""},
        {u"deleteOver", true, u""},             {u"set tabSize", true, u"false"},
        {u"toggle", false, u"false"},           {u"gotoBookmark", false, u""},
        {u"setLineEnding", true, u"false"},     {u"undo", false, u""},
    };
    const ustring text = u"ab\ncd ef";
    const Regions start = {{4, 6}};
    for (const Case& c : cases) {
        const ustring line = c.line;
        SCOPED_TRACE(toUtf8(line));
        openControl(text, start);
        run(line);
        EXPECT_EQ(this->text(), text);
        EXPECT_EQ(selections(), start);
        EXPECT_FALSE(m_buffer->canSoftUndo());
        EXPECT_EQ(m_map.isEnabled(slate::usubstring(line)), c.enabled);
        EXPECT_EQ(m_map.value(slate::usubstring(line)), c.value);
    }
}

} // namespace
