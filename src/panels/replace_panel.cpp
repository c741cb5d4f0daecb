// The replace panel decides what is searched for and replaced, with which
// flags and in which view; the searching, replacing, undo groups and status
// messages are the find operations' (text_buffer_find). The find text and
// the flags are the window's FindSettings, so this panel and the find panels
// always agree on them; the replacement lives in a field of its own whose
// last committed text is kept in the Application options, so that every
// window shows the same one and it survives a restart.
//
// There is no incremental search here: editing the find field only
// highlights the matches again, in the bounded steps of FindSettings, and a
// pattern that does not compile shows its message beside the field.
#include "panels/replace_panel.h"

#include <cfloat>
#include <cmath>

#include "canvas/unicode_font.h"
#include "controls/control_helpers.h"
#include "controls/text_control.h"
#include "input/command_map.h"
#include "panels/find_panel_utils.h"
#include "panels/find_settings.h"
#include "panels/history_field.h"
#include "panels/history_list.h"
#include "panels/history_menu.h"
#include "texteditor/file_type_options.h"
#include "texteditor/text_editor_window.h"
#include "texteditor/view_set.h"
#include "ui/notification_manager.h"
#include "ui/options_manager.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_expansion.h"
#include "ui/text/text_buffer_find.h"
#include "ui/text/text_buffer_functions.h"
#include "ui/text/text_buffer_typing.h"
#include "ui/text/text_buffer_view.h"
#include "ui/theme.h"

namespace {

// Region indices under the panel; the toggles of the find flags have the
// FindSettings' regions.
constexpr int32_t kFindFieldRegion = 1;
constexpr int32_t kFindDropdownRegion = 2;
constexpr int32_t kReplaceFieldRegion = 3;
constexpr int32_t kReplaceDropdownRegion = 4;
constexpr int32_t kPreserveCaseRegion = 5;
constexpr int32_t kFindRegion = 8008;
constexpr int32_t kReplaceRegion = 8009;
constexpr int32_t kReplaceAllRegion = 8010;
constexpr int32_t kFindAllRegion = 8011;

constexpr float kSpacing = 4;
constexpr float kTogglesWidth = 148;
constexpr float kButtonWidth = 88;
constexpr float kButtonHeight = 26;
constexpr float kToggleIconSize = 16;
// The highlight toggle sits under the direction toggles.
constexpr float kSecondToggleRowTop = 32;

const ustring kPreserveCaseKey = u"find.preserveCase";
const ustring kReplacementKey = u"find.replacementString";
const ustring kFindLabel = u"Find what:";
const ustring kReplaceLabel = u"Replace with:";
const ustring kCopiedStatus = u"Copied replace string from buffer";
const ustring kRegexFormatWidgetOptionsPath = u"Packages/Default/Options/Regex Format Widget.vantrel-options";
const ustring kWidgetOptionsPath = u"Packages/Default/Options/Widget.vantrel-options";

float labelWidth(const ThemeFont& font, const ustring& label)
{
    return font.font ? std::ceil(textWidth(*font.font, label.data(), label.data() + label.size())) : 0;
}

// The label at the left of `rect`, centred vertically.
void drawLeftLabel(const ThemeFont& font, const interval2& rect, const ustring& label)
{
    if (!font.font)
        return;
    const float y = rect.y0 + ((rect.y1 - rect.y0) - font.font->lineHeight()) / 2;
    drawThemeText(font, rect.x0, y, label.data(), label.data() + label.size(), false);
}

} // namespace

ReplacePanel::ReplacePanel(TextEditorWindow* window, ViewSet* viewSet, FindSettings* settings,
                           HistoryList* replaceHistory)
    : m_window(window), m_viewSet(viewSet), m_settings(settings), m_replaceHistory(replaceHistory),
      m_fieldRegex(settings->regex())
{
}

ReplacePanel::~ReplacePanel() = default;

void ReplacePanel::registerCommands(CommandMap& map)
{
    map.add("slurpReplaceString", [this](const CommandArguments&) { slurpReplaceString(); });
}

void ReplacePanel::setCanvas(Canvas* canvas)
{
    slate::SP<TextBuffer> buffer(new TextBuffer);
    m_replaceView = buffer->createView(canvas);
    if (m_replaceHistory && !m_replaceHistory->empty())
        buffer->insertCharacters(0, (*m_replaceHistory)[0], true);
    applyReplaceFieldOptions();
    m_applicationOptions = OptionsManager::get().getOptions(FindSettings::kApplicationOptionsPath);
    settingsChanged(false);
}

void ReplacePanel::applyReplaceFieldOptions()
{
    if (!m_replaceView)
        return;
    slate::SP<Options> options(new Options);
    options->setBool(ustring(u"isFindWidget"), true);
    addUserFileTypeOptions(options);
    options->addParent(
        OptionsManager::get().getOptions(m_fieldRegex ? kRegexFormatWidgetOptionsPath : kWidgetOptionsPath));
    m_replaceView->setOptions(options);
}

void ReplacePanel::settingsChanged(bool visible)
{
    if (m_applicationOptions) {
        m_applicationOptions->getBool(kPreserveCaseKey, m_preserveCase);
        ustring replacement;
        m_applicationOptions->getString(kReplacementKey, replacement);
        if (replacement != m_replacementString) {
            m_replacementString = replacement;
            setReplaceString(replacement);
        }
    }
    if (visible)
        refreshHighlights();
}

void ReplacePanel::updateTargetView() { m_settings->setTargetView(m_viewSet->activeView()); }

void ReplacePanel::refreshHighlights()
{
    if (slate::SP<TextBufferView> target = m_settings->targetView())
        m_settings->highlightMatches(target);
}

void ReplacePanel::focusView(const slate::SP<TextBufferView>& view)
{
    m_window->focusState()->requestFocus(RegionId(view.get()));
}

void ReplacePanel::onShow()
{
    const slate::SP<TextBufferView> view = m_viewSet->activeView();
    takeSearchFromSelection(*m_settings, view);
    if (const slate::SP<TextBufferView>& field = m_settings->findView())
        selectAll(field);
    m_window->focusState()->requestFocus(RegionId(this, kFindFieldRegion));
    m_settings->startSearch(view);
}

void ReplacePanel::onHide()
{
    m_settings->clearTarget();
    m_settings->commitFindString();
}

void ReplacePanel::run(Action action, bool focus)
{
    const slate::SP<TextBufferView> view = m_viewSet->activeView();
    if (!view)
        return;
    const ustring text = m_settings->findString();
    if (!text.empty()) {
        const SelectionSet area = m_settings->findArea();
        FindOptions options = m_settings->findOptions();
        switch (action) {
        case Action::previous:
            options.reverse = !options.reverse;
            [[fallthrough]];
        case Action::next:
            findAndSelectNext(view, area, text, options);
            break;
        case Action::all:
            selectAllMatches(view, area, text, options);
            break;
        case Action::replace:
            replaceNext(view, area, text, replaceString(), options, m_preserveCase);
            break;
        case Action::replaceAll:
            replaceAllMatches(view, area, text, replaceString(), options, m_preserveCase);
            break;
        }
        // What Find and Find All select is outside the area or all of it, so
        // searching inside it again would find nothing new. Replacing leaves
        // the area alone, so that a second Replace All stays inside it.
        if ((action == Action::next || action == Action::all) && m_settings->inSelection())
            m_settings->storeInSelectionQuietly(false);
        m_settings->commitFindString();
        if (action == Action::replace || action == Action::replaceAll)
            commitReplaceString();
    }
    if (focus)
        focusView(view);
}

void ReplacePanel::find(bool focusView) { run(Action::next, focusView); }
void ReplacePanel::findPrev(bool focusView) { run(Action::previous, focusView); }
void ReplacePanel::findAll() { run(Action::all, true); }
void ReplacePanel::replace() { run(Action::replace, true); }
void ReplacePanel::replaceAll(bool focusView) { run(Action::replaceAll, focusView); }

void ReplacePanel::onCommit(bool ctrl, bool alt, bool shift, const slate::SP<TextBufferView>& field)
{
    if (ctrl) {
        if (field)
            insertAndDecodeCharacters(field, u"\n");
        refreshHighlights();
    } else if (alt) {
        replaceAll(false);
    } else if (shift) {
        findPrev(false);
    } else {
        find(false);
    }
}

ustring ReplacePanel::replaceString() const
{
    if (!m_replaceView)
        return ustring();
    const TextBuffer& buffer = *m_replaceView->buffer();
    return buffer.substr(SelectionRegion(0, buffer.size()));
}

void ReplacePanel::setReplaceString(const ustring& text)
{
    if (!m_replaceView)
        return;
    SelectionSet& selection = m_replaceView->mutableSel();
    selection.clear();
    selection.add(SelectionRegion(0));
    TextBuffer& buffer = *m_replaceView->buffer();
    buffer.eraseCharacters(SelectionRegion(0, buffer.size()));
    buffer.insertCharacters(0, text, true);
}

void ReplacePanel::commitReplaceString()
{
    const ustring text = replaceString();
    if (m_replaceHistory)
        m_replaceHistory->add(text);
    // The options hold one line a value and refuse a replacement with a line
    // break. The stored replacement then stays as it was, and so must the one
    // last read, or reading the options back would put the stale one into
    // the field over the user's text.
    if (m_applicationOptions && m_applicationOptions->set(kReplacementKey, text)) {
        m_replacementString = text;
        m_applicationOptions->notifyChanged();
    }
}

void ReplacePanel::setPreserveCase(bool value)
{
    if (value == m_preserveCase || !m_applicationOptions)
        return;
    m_applicationOptions->setBool(kPreserveCaseKey, value);
    m_applicationOptions->notifyChanged();
}

void ReplacePanel::slurpReplaceString()
{
    const ustring text = selectionOrWordText(m_viewSet->activeView());
    if (text.empty())
        return;
    setReplaceString(text);
    commitReplaceString();
    if (NotificationManager::alive())
        NotificationManager::get().setStatus(kCopiedStatus);
}

bool ReplacePanel::layoutReplaceField(Theme* theme, InputRegion* parent, const interval2& rect)
{
    if (!m_replaceView)
        return true;
    const slate::SP<TextBufferView> field = m_replaceView;
    std::function<void()> dropdown;
    if (HistoryList* history = m_replaceHistory) {
        const vector2 menuPoint = historyMenuPoint(rect);
        dropdown = [this, field, history, menuPoint] {
            showFieldHistoryMenu(*m_window, *field, RegionId(this, kReplaceFieldRegion), *history, menuPoint);
        };
    }
    return dropdownTextControl(
        *theme, parent, RegionId(this, kReplaceFieldRegion), rect, field,
        [this, field](bool ctrl, bool alt, bool shift) { onCommit(ctrl, alt, shift, field); }, nullptr,
        historyRecallHook(field, m_replaceHistory), RegionId(this, kReplaceDropdownRegion), std::move(dropdown));
}

bool ReplacePanel::layout(Theme* theme, InputRegion* parent, const interval2& rect)
{
    if (m_settings->regex() != m_fieldRegex) {
        m_fieldRegex = m_settings->regex();
        applyReplaceFieldOptions();
    }

    const ThemeFont& font = theme->font(false);
    const interval2 inner = insetRect4(rect);
    const float columnSizes[] = {kTogglesWidth, labelWidth(font, kReplaceLabel), FLT_MAX, kButtonWidth,
                                 kButtonWidth};
    float xs[6];
    distributeSizes(inner.x1 - inner.x0, columnSizes, 5, kSpacing, inner.x0, xs);
    const float rowSizes[] = {FLT_MAX, FLT_MAX};
    float ys[3];
    distributeSizes(inner.y1 - inner.y0, rowSizes, 2, kSpacing, inner.y0, ys);
    const auto cell = [&xs, &ys](int row, int column) {
        return interval2(xs[column], ys[row], xs[column + 1] - kSpacing, ys[row + 1] - kSpacing);
    };

    drawLeftLabel(font, cell(0, 1), kFindLabel);
    drawLeftLabel(font, cell(1, 1), kReplaceLabel);
    bool done = layoutFindField(
        *m_settings, *theme, parent, cell(0, 2), RegionId(this, kFindFieldRegion),
        RegionId(this, kFindDropdownRegion), m_window->m_window,
        [this, field = m_settings->findView()](bool ctrl, bool alt, bool shift) { onCommit(ctrl, alt, shift, field); },
        [this] { refreshHighlights(); });
    done &= layoutReplaceField(theme, parent, cell(1, 2));

    // The push buttons are as high as the fields, at the top of their cells.
    const auto button = [&](int row, int column) {
        const interval2 rect = cell(row, column);
        return interval2(rect.x0, rect.y0, rect.x1, rect.y0 + kButtonHeight);
    };
    done &= pushLabelButton(*theme, parent, RegionId(this, kFindRegion), button(0, 3), [this] { find(true); },
                            u"Find");
    done &= pushLabelButton(*theme, parent, RegionId(this, kFindAllRegion), button(1, 3), [this] { findAll(); },
                            u"Find All");
    done &= pushLabelButton(*theme, parent, RegionId(this, kReplaceRegion), button(0, 4), [this] { replace(); },
                            u"Replace");
    done &= pushLabelButton(*theme, parent, RegionId(this, kReplaceAllRegion), button(1, 4),
                            [this] { replaceAll(true); }, u"Replace All");

    const float rowWidth = buttonRowSize(3).x;
    const float directionX = rect.x0 + rowWidth + 8;
    done &= m_settings->layoutPatternToggles(theme, parent, vector2{rect.x0 + 4, rect.y0 + 4});
    done &= m_settings->layoutDirectionToggles(theme, parent, vector2{directionX, rect.y0 + 4});
    done &= m_settings->layoutHighlightToggle(theme, parent, vector2{directionX, rect.y0 + kSecondToggleRowTop});

    ButtonRow preserveCase(*theme, xs[0], ys[1], 1);
    done &= iconButton(parent, RegionId(this, kPreserveCaseRegion), preserveCase.cellRect(),
                       [this] { setPreserveCase(!m_preserveCase); }, &theme->get("icon.find.preservecase"),
                       preserveCase.face(m_preserveCase), preserveCase.hoverFace(), u"Preserve case",
                       u"toggleApp find.preserveCase", kToggleIconSize);
    return done;
}
