// The goto panel reads its field as a line number and hands the row to the
// text operation gotoLine, which clamps rows past the end and makes the jump
// one undo step. The row is worked out in 64 bits: the field saturates to
// the int range, and one less than the smallest int would overflow.
#include "panels/goto_panel.h"

#include <algorithm>

#include "controls/control_helpers.h"
#include "controls/text_control.h"
#include "texteditor/file_type_options.h"
#include "texteditor/text_editor_window.h"
#include "texteditor/view_set.h"
#include "ui/options_manager.h"
#include "ui/string_utils.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_expansion.h"
#include "ui/text/text_buffer_showing.h"
#include "ui/text/text_buffer_view.h"
#include "ui/theme.h"

namespace {

constexpr int32_t kFieldRegion = 1;
constexpr int32_t kButtonRegion = 2;
constexpr float kInset = 4;
constexpr float kGap = 4;
constexpr float kButtonWidth = 88;
const ustring kButtonLabel = u"Goto Line";
const ustring kWidgetOptionsPath = u"Packages/Default/Options/Widget.vantrel-options";

} // namespace

int32_t gotoRowFromText(const ustring& text)
{
    const int64_t line = toInt(slate::usubstring(text));
    return static_cast<int32_t>(std::max<int64_t>(line - 1, 0));
}

GotoPanel::GotoPanel(TextEditorWindow* window, ViewSet* viewSet, std::function<void()> hide)
    : m_window(window), m_viewSet(viewSet), m_hide(std::move(hide))
{
}

GotoPanel::~GotoPanel() = default;

void GotoPanel::setCanvas(Canvas* canvas)
{
    slate::SP<TextBuffer> buffer(new TextBuffer);
    m_fieldView = buffer->createView(canvas);
    slate::SP<Options> options(new Options);
    addUserFileTypeOptions(options);
    options->addParent(OptionsManager::get().getOptions(kWidgetOptionsPath));
    m_fieldView->setOptions(options);
}

void GotoPanel::onShow()
{
    if (!m_fieldView)
        return;
    m_window->focusState()->requestFocus(RegionId(this, kFieldRegion));
    selectAll(m_fieldView);
}

void GotoPanel::onCommit()
{
    if (m_fieldView) {
        const TextBuffer& field = *m_fieldView->buffer();
        const int32_t row = gotoRowFromText(field.str());
        if (slate::SP<TextBufferView> view = m_viewSet->activeView())
            gotoLine(*view, row);
    }
    if (m_hide)
        m_hide();
}

bool GotoPanel::layout(Theme* theme, InputRegion* parent, const interval2& rect)
{
    const interval2 inner(rect.x0 + kInset, rect.y0 + kInset, rect.x1 - kInset, rect.y1 - kInset);
    const interval2 button(inner.x1 - kButtonWidth, inner.y0, inner.x1, inner.y1);
    const interval2 field(inner.x0, inner.y0, button.x0 - kGap, inner.y1);
    bool done = pushButton(parent, RegionId(this, kButtonRegion), button, [this] { onCommit(); },
                           kButtonLabel.data(), kButtonLabel.data() + kButtonLabel.size(), theme->font(false),
                           &theme->get("button"), &theme->get("button.down"));
    if (m_fieldView)
        done &= textControl(*theme, parent, RegionId(this, kFieldRegion), field, m_fieldView,
                            [this](bool, bool, bool) { onCommit(); }, nullptr, nullptr);
    return done;
}
