// The toolbar strip. Button states are asked of a chain of the active
// view's runner and the window's, so a view command shows the view's state
// and a window command still answers when no view is open. A click does
// not keep the runner of the frame it was drawn in: it asks for the active
// view's runner again, because the regions that own runners are rebuilt
// every frame.
#include "texteditor/toolbar_strip.h"

#include <utility>

#include "canvas/canvas.h"
#include "controls/control_helpers.h"
#include "input/multi_command_runner.h"
#include "ui/base_window.h"
#include "ui/theme.h"

namespace {

constexpr float kDisabledIconAlpha = 0.4f;
constexpr float kIconSize = 16;

MultiCommandRunner chain(CommandRunner* viewRunner, CommandRunner* windowRunner)
{
    MultiCommandRunner runner;
    if (viewRunner)
        runner.addRunner(viewRunner);
    if (windowRunner)
        runner.addRunner(windowRunner);
    return runner;
}

interval2 centredSquare(const interval2& rect, float size)
{
    const float x = rect.x0 + (rect.x1 - rect.x0 - size) / 2;
    const float y = rect.y0 + (rect.y1 - rect.y0 - size) / 2;
    return interval2(x, y, x + size, y + size);
}

} // namespace

HintInputHandler::HintInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                                   ustring hintText, ustring command)
    : InputRegion(window, id, rect), m_hintText(std::move(hintText)), m_command(std::move(command))
{
}

bool HintInputHandler::hint(ustring& text, ustring& command)
{
    if (m_hintText.empty())
        return false;
    text = m_hintText;
    command = m_command;
    return true;
}

bool drawToolbarStrip(Theme& theme, InputRegion* parent, const interval2& strip,
                      const std::vector<ToolbarGroup>& groups, const ToolbarRunners& runners)
{
    theme.get("panel.toolbar").draw(strip);
    MultiCommandRunner runner = chain(runners.viewRunner, runners.windowRunner);
    BaseWindow* window = parent->baseWindow();
    bool done = true;
    float x = strip.x0 + 8;
    const float y = strip.y0 + 4;
    for (const ToolbarGroup& group : groups) {
        ButtonRow row(theme, x, y, static_cast<int>(group.size()));
        for (row.index = 0; row.index < row.count; ++row.index) {
            const ToolbarButton& button = group[row.index];
            const slate::usubstring command(button.command);
            const interval2 cell = row.cellRect();
            const bool checked = runner.value(command) == u"true";
            const RegionId id(&button);
            if (runner.isEnabled(command)) {
                auto click = [line = button.command, windowRunner = runners.windowRunner,
                              currentViewRunner = runners.currentViewRunner] {
                    MultiCommandRunner now = chain(currentViewRunner ? currentViewRunner() : nullptr, windowRunner);
                    const slate::usubstring commandLine(line);
                    if (now.isEnabled(commandLine))
                        now.exec(commandLine);
                };
                done &= iconButton(parent, id, cell, click, button.icon.get(), row.face(checked), row.hoverFace(),
                                   button.caption, button.command, kIconSize);
            } else {
                row.face(checked)->draw(cell);
                Canvas* canvas = window->canvas();
                const float alpha = canvas ? canvas->setAlpha(kDisabledIconAlpha) : 1.f;
                button.icon->draw(centredSquare(cell, kIconSize));
                if (canvas)
                    canvas->setAlpha(alpha);
                parent->addChild(new HintInputHandler(window, id, cell, button.caption, button.command));
            }
        }
        x += buttonRowSize(row.count).x + 8;
    }
    return done;
}
